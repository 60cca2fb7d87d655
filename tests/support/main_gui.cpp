// SPDX-License-Identifier: GPL-2.0-or-later
// Test main for window tests: offscreen (set before Qt starts, as test
// discovery runs this binary at build time), in a private configuration home.
#include "testenvironment.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    trackmill::test::isolateEnvironment();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
