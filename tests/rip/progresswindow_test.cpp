// SPDX-License-Identifier: GPL-2.0-or-later
// TForm3 offscreen: its controls by name, Abort and closing, minimising the
// whole program, and the ripper's figures in the labels and gauges.
#include "rip/progresswindow.h"
#include "rip/timefigures.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <gtest/gtest.h>

using trackmill::RipTimeTexts;
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
    for (const char* name : {"Speed1", "Speed2", "Frames", "LabelSpeedGrabbing", "LabelSpeedEncoding"}) {
        QLabel* label = control<QLabel>(form, name);
        ASSERT_NE(label, nullptr) << name;
        EXPECT_FALSE(label->isVisible()) << name;
    }
    // Track names are shown as they are, never read as markup or with
    // "&" taken for a shortcut mark.
    for (QLabel* label : form.findChildren<QLabel*>())
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->objectName().toStdString();

    ASSERT_NE(control<QGroupBox>(form, "Grb_Grabbing"), nullptr);
    EXPECT_EQ(control<QGroupBox>(form, "Grb_Grabbing")->title(), "Grabbing");
    ASSERT_NE(control<QGroupBox>(form, "Grb_Encoding"), nullptr);
    EXPECT_EQ(control<QGroupBox>(form, "Grb_Encoding")->title(), "Encoding");
    EXPECT_TRUE(control<QGroupBox>(form, "Grb_Grabbing")->isAncestorOf(control<QLabel>(form, "PassedTimeRip")));
    EXPECT_TRUE(control<QGroupBox>(form, "Grb_Encoding")->isAncestorOf(control<QLabel>(form, "VBR")));
    ASSERT_NE(control<QProgressBar>(form, "ProgressBar1"), nullptr);
    ASSERT_NE(control<QProgressBar>(form, "ProgressBar2"), nullptr);
    ASSERT_NE(control<QPushButton>(form, "Abort"), nullptr);
    EXPECT_EQ(control<QPushButton>(form, "Abort")->text(), "Abort");

    // Every caption of the design table is reachable by its name.
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
    mainWindow.setWindowTitle("Trackmill");
    QWidget settings;
    QWidget hiddenTagEditor; // never shown: stays hidden
    TForm3 form;
    mainWindow.show();
    settings.showMaximized();
    form.show();

    form.showMinimized();
    EXPECT_TRUE(form.isMinimized());
    EXPECT_TRUE(mainWindow.isMinimized());
    EXPECT_TRUE(settings.isMinimized());
    EXPECT_FALSE(hiddenTagEditor.isVisible());

    // Restoring the progress window brings the others back as they were.
    form.showNormal();
    EXPECT_FALSE(mainWindow.isMinimized());
    EXPECT_FALSE(settings.isMinimized());
    EXPECT_TRUE(settings.isMaximized());
    EXPECT_FALSE(hiddenTagEditor.isVisible());
}

TEST(ProgressWindow, ShowsTheRipperFigures)
{
    TForm3 form;
    form.ShowTrackMeasured(109, false);
    EXPECT_EQ(form.TotalSector->text(), "109");
    EXPECT_EQ(form.ProgressBar1->maximum(), 109);
    form.ResetGauges();

    RipTimeTexts t;
    t.passed = "00:00:02";
    form.ShowTimes(t); // nothing read yet: estimate and remaining stay
    EXPECT_EQ(form.PassedTimeRip->text(), "00:00:02");
    EXPECT_EQ(form.EstimateTimeRip->text(), "00:00:00");
    EXPECT_EQ(form.PassedTime->text(), "00:00:00");
    t.hasEstimate = true;
    t.estimate = "00:00:08";
    t.remaining = "00:00:06";
    t.encodingToo = true;
    form.ShowTimes(t);
    EXPECT_EQ(form.EstimateTimeRip->text(), "00:00:08");
    EXPECT_EQ(form.RemainTime->text(), "00:00:06");

    form.ShowSectorsRead(78, 104, false);
    EXPECT_EQ(form.ReadingSector->text(), "78");
    EXPECT_EQ(form.ProgressBar1->value(), 104);
    // The last read of 5 sectors moves the gauge by 26, past the maximum.
    form.ShowSectorsRead(104, 130, false);
    EXPECT_EQ(form.ProgressBar1->value(), 109);
    EXPECT_EQ(form.ProgressBar2->value(), 0);

    form.ShowTrackEnded(109, "00:00:04", false);
    EXPECT_EQ(form.ReadingSector->text(), "109");
    EXPECT_EQ(form.EstimateTimeRip->text(), "00:00:04");

    // On the fly both gauges follow the reads.
    form.ShowTrackMeasured(52, true);
    form.ResetGauges();
    form.ShowSectorsRead(0, 26, true);
    EXPECT_EQ(form.ProgressBar2->maximum(), 52);
    EXPECT_EQ(form.ProgressBar2->value(), 26);
}

}
