// SPDX-License-Identifier: GPL-2.0-or-later
// TForm3 offscreen: its controls by name, Abort and closing, minimising the
// whole program.
#include "rip/progresswindow.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

using trackmill::TForm3;

namespace {

template <typename T>
T* control(const TForm3& form, const char* name)
{
    return form.findChild<T*>(QLatin1String(name));
}

TEST(ProgressWindow, ControlsByNameWithTheirCaptions)
{
    TForm3 form;
    EXPECT_EQ(form.objectName(), "TForm3");
    EXPECT_EQ(form.windowTitle(), "Grabbing & Encoding...");
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "fixed size";
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);

    const std::pair<const char*, const char*> labels[] = {
        {"LabelStatus", "Status:"}, {"LabelPerform", "Perform:"}, {"LabelTo", "To:"},
        {"LabelDirectory", "Directory:"}, {"LabelTimeElapsedGrabbing", "Time elapsed:"},
        {"LabelTimeLeftGrabbing", "Time left:"}, {"LabelTimeRemainingGrabbing", "Time remaining:"},
        {"LabelReadingSectorGrabbing", "Reading sector:"}, {"LabelTotalSectorGrabbing", "Total sector:"},
        {"LabelTrackLengthGrabbing", "Track length:"}, {"LabelTimeElapsedEncoding", "Time elapsed:"},
        {"LabelTimeLeftEncoding", "Time left:"}, {"LabelTimeRemainingEncoding", "Time remaining:"},
        {"LabelBitrateEncoding", "Bitrate:"}, {"LabelQualityEncoding", "Quality:"}, {"LabelVBREncoding", "VBR:"},
        // Written by the program.
        {"State", nullptr}, {"Input", nullptr}, {"Output", nullptr}, {"Directory", nullptr},
        {"PassedTimeRip", nullptr}, {"EstimateTimeRip", nullptr}, {"RemainTimeRip", nullptr},
        {"ReadingSector", nullptr}, {"TotalSector", nullptr}, {"TrackLength", nullptr},
        {"PassedTime", nullptr}, {"EstimateTime", nullptr}, {"RemainTime", nullptr},
        {"Bitrate", nullptr}, {"Quality", nullptr}, {"VBR", nullptr},
    };
    form.show();
    for (const auto& [name, caption] : labels) {
        QLabel* label = control<QLabel>(form, name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_TRUE(label->isVisible()) << name;
        if (caption)
            EXPECT_EQ(label->text(), caption) << name;
    }
    for (const char* name : {"Speed1", "Speed2", "Frames", "LabelSpeedGrabbing", "LabelSpeedEncoding"})
        EXPECT_FALSE(control<QLabel>(form, name)->isVisible()) << name;
    // Track names are shown as they are, never read as markup or with "&"
    // taken for a shortcut mark.
    for (QLabel* label : form.findChildren<QLabel*>())
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();

    for (const auto& [name, title] : {std::pair{"Grb_Grabbing", "Grabbing"}, std::pair{"Grb_Encoding", "Encoding"}}) {
        ASSERT_NE(control<QGroupBox>(form, name), nullptr);
        EXPECT_EQ(control<QGroupBox>(form, name)->title(), title);
    }
    EXPECT_TRUE(control<QGroupBox>(form, "Grb_Encoding")->isAncestorOf(control<QLabel>(form, "VBR")));
    EXPECT_EQ(control<QPushButton>(form, "Abort")->text(), "Abort");
    EXPECT_TRUE(control<QProgressBar>(form, "ProgressBar1") && control<QProgressBar>(form, "ProgressBar2"));
    for (const auto& [name, caption] : TForm3::DesignCaptions())
        EXPECT_TRUE(form.objectName() == name || form.findChild<QWidget*>(QLatin1String(name))) << name;

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
    control<QPushButton>(form, "Abort")->click();
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
