// SPDX-License-Identifier: GPL-2.0-or-later
#include "ui/tstatusbarpro.h"

#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>

using namespace trackmill;

namespace {

class TStatusBarProTest : public ::testing::Test
{
protected:
    TStatusBarProTest()
    {
        bar.resize(400, 24);
        first = bar.addPanel(21);
        second = bar.addPanel(175);
        second->setPopupMenu(&menu);
        menu.addAction("English");
        bar.show();
    }
    ~TStatusBarProTest() override { menu.hide(); }

    QMenu menu;
    TStatusBarPro bar;
    TStatusPanelPro* first = nullptr;
    TStatusPanelPro* second = nullptr;
};

TEST_F(TStatusBarProTest, LeftClickFiresTheClickedPanelOnlyAndRightClickOpensItsMenu)
{
    EXPECT_EQ(bar.panelRect(1).width(), 175);
    EXPECT_GT(bar.panelRect(1).left(), bar.panelRect(0).right());
    QSignalSpy firstClicks(first, &TStatusPanelPro::click);
    QSignalSpy secondClicks(second, &TStatusPanelPro::click);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.panelRect(1).center());
    EXPECT_EQ(firstClicks.count(), 0);
    EXPECT_EQ(secondClicks.count(), 1);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(390, 12)); // beyond the panels
    EXPECT_EQ(firstClicks.count() + secondClicks.count(), 1);

    QTest::mouseClick(&bar, Qt::RightButton, {}, bar.panelRect(0).center());
    EXPECT_FALSE(menu.isVisible()); // the first panel has no menu
    QTest::mouseClick(&bar, Qt::RightButton, {}, bar.panelRect(1).center());
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(secondClicks.count(), 1);
}

TEST_F(TStatusBarProTest, DrawsPicturesAndLongTextsWithoutSpilling)
{
    QPixmap pic(16, 16);
    pic.fill(Qt::red);
    first->setPicture(pic);
    second->setText(QString(300, QLatin1Char('x')));
    second->setAlignment(Qt::AlignCenter);
    const QImage image = bar.grab().toImage();
    EXPECT_EQ(image.pixelColor(bar.panelRect(0).center()), QColor(Qt::red)) << "the picture centred in its panel";
    EXPECT_EQ(image.pixelColor(QPoint(395, 12)), image.pixelColor(QPoint(399, 2))) << "nothing past the last panel";
}

TEST_F(TStatusBarProTest, OnlyATextCutShortIsShownWholeAsAToolTip)
{
    const auto hover = [this](int index) {
        const QPoint at = bar.panelRect(index).center();
        QHelpEvent help(QEvent::ToolTip, at, bar.mapToGlobal(at));
        QApplication::sendEvent(&bar, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    first->setText(QStringLiteral("Debian GNU/Linux 12 (bookworm)"));
    second->setText(QStringLiteral("3 tracks"));
    EXPECT_EQ(hover(1), "");
    EXPECT_EQ(hover(0), "Debian GNU/Linux 12 (bookworm)");
    QToolTip::hideText();
}

}
