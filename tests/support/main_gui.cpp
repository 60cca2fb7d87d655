// SPDX-License-Identifier: GPL-2.0-or-later
// Test main for window tests: offscreen (set before Qt starts, as test
// discovery runs this binary at build time), in a private configuration home.
// TRACKMILL_TEST_SCREEN ("1366x768", or "1400x900@2" for a scale factor)
// gives the offscreen screen a size of its own instead of the platform's
// 800 by 600 pixels.
#include "testenvironment.h"

#include <QApplication>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QByteArray offscreenPlatform()
{
    const QString screen = QString::fromLatin1(qgetenv("TRACKMILL_TEST_SCREEN"));
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)(?:@(\\d+))?$")).match(screen);
    if (!size.hasMatch())
        return "offscreen";
    if (!size.captured(3).isEmpty())
        qputenv("QT_SCALE_FACTOR", size.captured(3).toLatin1());
    const QString config = trackmill::test::isolatedRoot() + QStringLiteral("/offscreen-screen.json");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return "offscreen";
    file.write(QStringLiteral(R"({"screens": [{"name": "test", "x": 0, "y": 0, "width": %1, "height": %2, "logicalDpi": 96}]})")
                   .arg(size.captured(1), size.captured(2))
                   .toLatin1());
    return "offscreen:configfile=" + QFile::encodeName(config);
}

}

int main(int argc, char** argv)
{
    trackmill::test::isolateEnvironment();
    qputenv("QT_QPA_PLATFORM", offscreenPlatform());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
