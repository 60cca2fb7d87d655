// SPDX-License-Identifier: GPL-2.0-or-later
// TForm3 offscreen: its controls by name, Abort and closing, minimising the
// whole program.
#include "rip/progresswindow.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

using trackmill::TForm3;

namespace {

TEST(ProgressWindow, FixedWindowWithPlainTextLabels)
{
    TForm3 form;
    EXPECT_EQ(form.windowTitle(), "Grabbing & Encoding...");
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "fixed size";
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    // The language files find every captioned control by its name.
    for (const auto& [name, caption] : TForm3::DesignCaptions())
        EXPECT_TRUE(form.objectName() == name || form.findChild<QWidget*>(QLatin1String(name))) << name;

    form.show();
    EXPECT_TRUE(form.State->isVisible());
    for (const char* name : {"Speed1", "Speed2", "Frames", "LabelSpeedGrabbing", "LabelSpeedEncoding"})
        EXPECT_FALSE(form.findChild<QLabel*>(name)->isVisible()) << name;
    // Track names are shown as they are, never read as markup or with "&"
    // taken for a shortcut mark.
    for (QLabel* label : form.findChildren<QLabel*>())
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();

    // A long path does not widen the fixed window.
    const QSize size = form.size();
    form.Directory->setText(QString(400, QLatin1Char('x')));
    QApplication::processEvents();
    EXPECT_EQ(form.size(), size);
}

TEST(ProgressWindow, AbortAndClosingSignalOnce)
{
    TForm3 form;
    int aborts = 0;
    // As the main window's AbortRipping does, hide the window on the signal.
    QObject::connect(&form, &TForm3::abortRequested, [&] {
        ++aborts;
        form.hide();
    });

    form.show();
    form.Abort->click();
    EXPECT_EQ(aborts, 1);
    EXPECT_FALSE(form.isVisible());

    form.show();
    EXPECT_TRUE(form.close());
    EXPECT_EQ(aborts, 2);
    EXPECT_FALSE(form.isVisible());
}

TEST(ProgressWindow, MinimisingMinimisesTheWholeProgram)
{
    QWidget mainWindow;
    QWidget settings;
    QWidget hiddenTagEditor; // never shown: stays hidden
    TForm3 form;
    mainWindow.show();
    settings.showMaximized();
    form.show();

    form.showMinimized();
    EXPECT_TRUE(mainWindow.isMinimized());
    EXPECT_TRUE(settings.isMinimized());
    EXPECT_FALSE(hiddenTagEditor.isVisible());

    // Restoring the progress window brings the others back as they were.
    form.showNormal();
    EXPECT_FALSE(mainWindow.isMinimized());
    EXPECT_TRUE(settings.isMaximized());
    EXPECT_FALSE(hiddenTagEditor.isVisible());
}

}
