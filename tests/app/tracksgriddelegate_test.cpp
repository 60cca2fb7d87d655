// SPDX-License-Identifier: GPL-2.0-or-later
// The track grid painted under a light and a dark palette: the designed
// colours where they read, readable shades where they would not.
#include "app/tracksgriddelegate.h"
#include "ui/readablecolour.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QStandardItemModel>
#include <QTableView>

using namespace trackmill;

namespace {

QPalette darkPalette()
{
    QPalette p;
    p.setColor(QPalette::Window, QColor(0x2d, 0x2d, 0x2d));
    p.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    p.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x26));
    p.setColor(QPalette::Text, QColor(0xe0, 0xe0, 0xe0));
    p.setColor(QPalette::WindowText, QColor(0xe0, 0xe0, 0xe0));
    p.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    p.setColor(QPalette::ButtonText, QColor(0xe0, 0xe0, 0xe0));
    p.setColor(QPalette::ToolTipBase, QColor(0x40, 0x40, 0x20));
    return p;
}

// The best contrast any pixel of a cell reaches against the cell's
// background colour: the core of the glyphs, not their antialiased edges.
double bestTextContrast(const QImage& image, const QRect& cell, const QColor& background)
{
    double best = 1.0;
    for (int y = cell.top() + 2; y < cell.bottom() - 1; ++y)
        for (int x = cell.left() + 2; x < cell.right() - 1; ++x)
            best = std::max(best, contrastRatio(image.pixelColor(x, y), background));
    return best;
}

struct Grid
{
    explicit Grid(const QPalette& palette)
    {
        model.setColumnCount(3);
        model.setRowCount(2);
        for (int r = 0; r < 2; ++r) {
            model.setItem(r, 0, new QStandardItem(QStringLiteral("1")));
            model.setItem(r, 1, new QStandardItem(QStringLiteral("WWWWWWWW Track")));
            model.setItem(r, 2, new QStandardItem(QStringLiteral("03:25")));
        }
        view.setModel(&model);
        view.setItemDelegate(new TracksGridDelegate([] { return true; }, &view));
        view.setPalette(palette);
        view.resize(500, 120);
        view.setColumnWidth(0, 40);
        view.setColumnWidth(1, 200);
        view.setColumnWidth(2, 120);
    }
    QImage render()
    {
        QImage image(view.viewport()->size(), QImage::Format_RGB32);
        view.viewport()->render(&image);
        return image;
    }
    QRect cell(int row, int column) const { return view.visualRect(model.index(row, column)); }

    QStandardItemModel model;
    QTableView view;
};

}

TEST(ReadableColour, KeepsWhatReadsAndFindsTheNearestShadeOfWhatDoesNot)
{
    const QColor navy(0, 0, 128);
    const QColor white(Qt::white);
    const QColor dark(0x1e, 0x1e, 0x1e);
    EXPECT_NEAR(contrastRatio(QColor(Qt::black), white), 21.0, 1e-9);
    EXPECT_NEAR(contrastRatio(white, white), 1.0, 1e-9);
    EXPECT_EQ(readableOn(navy, white), navy) << "the designed colour on the light palette";
    const QColor onDark = readableOn(navy, dark);
    EXPECT_GE(contrastRatio(onDark, dark), 4.5);
    EXPECT_NEAR(onDark.hslHueF(), navy.hslHueF(), 0.01) << "still a blue";
    EXPECT_GT(onDark.lightnessF(), navy.lightnessF());
    // A grey background half way has no readable shade of pure grey both
    // ways; whichever is found must still read.
    const QColor mid(0x76, 0x76, 0x76);
    EXPECT_GE(contrastRatio(readableOn(QColor(0x80, 0x80, 0x80), mid), mid), 4.5);
}

TEST(TracksGridPainting, NamesReadOnALightAndOnADarkPalette)
{
    for (const bool dark : {false, true}) {
        SCOPED_TRACE(dark ? "dark palette" : "light palette");
        const QPalette palette = dark ? darkPalette() : QPalette(QColor(0xf0, 0xf0, 0xf0));
        Grid grid(palette);
        const QImage image = grid.render();
        const QColor base = palette.color(QPalette::Base);
        EXPECT_GE(bestTextContrast(image, grid.cell(1, 1), base), 4.5);
        EXPECT_GE(bestTextContrast(image, grid.cell(1, 2), base), 4.5);
        // The selection column: white as designed on a light palette, the
        // grid's base on a dark one (not a white stripe beside dark cells).
        const QRect selection = grid.cell(0, 0);
        const QColor corner = image.pixelColor(selection.right() - 1, selection.bottom() - 1);
        EXPECT_EQ(corner, dark ? base : QColor(Qt::white));
    }
}

TEST(TracksGridPainting, LightPaletteKeepsTheDesignedNavy)
{
    Grid grid(QPalette(QColor(0xf0, 0xf0, 0xf0)));
    const QImage image = grid.render();
    const QRect cell = grid.cell(0, 1);
    bool navySeen = false;
    for (int y = cell.top(); y <= cell.bottom() && !navySeen; ++y)
        for (int x = cell.left(); x <= cell.right() && !navySeen; ++x)
            navySeen = image.pixelColor(x, y) == QColor(0, 0, 128);
    EXPECT_TRUE(navySeen);
}
