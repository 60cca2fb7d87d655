// SPDX-License-Identifier: GPL-2.0-or-later
// TForm3: the progress window.
#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <utility>

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace trackmill {

struct RipTimeTexts;

// Shows what the rippers and the encode jobs report while a batch runs.
// Every control carries its design name as objectName, so the language
// texts and the tests reach it by name. The window is made once and only
// shown and hidden afterwards. Labels show their text as it stands: a "&"
// in a track name needs no doubling here, and no text is read as markup.
class TForm3 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
    ~TForm3() override;

    // objectName and design caption of every control whose caption is a
    // fixed text (the language files overwrite these by name), the window's
    // own title under its objectName "TForm3".
    static const QList<std::pair<const char*, const char*>>& DesignCaptions();

    // Figures of the rippers, in the terms of RipObserver. With
    // bothGauges (on the fly) the encoding gauge follows the reads as well.
    void ShowTrackMeasured(qint64 sectors, bool bothGauges);
    void ResetGauges();
    void ShowTimes(const RipTimeTexts& times);
    void ShowSectorsRead(qint64 readingSector, qint64 gaugePosition, bool bothGauges);
    void ShowTrackEnded(qint64 totalSectors, const QString& passedTime, bool bothGauges);

    // What the run controller shows beside the ripper's figures: the batch
    // line, the files, the encoder's figures, the encoding gauge (frames of
    // 1152 samples) and times, an encode-only run's empty grabbing group,
    // and on the fly a finished track's gauges at their ends.
    void ShowState(const QString& text);
    void ShowFiles(const QString& input, const QString& output, const QString& directory);
    void ShowEncoderFigures(const QString& bitrate, const QString& quality, const QString& vbr);
    void ShowTrackLength(const QString& playTime);
    void ShowEncodingProgress(qint64 framesDone, qint64 framesTotal);
    void ShowEncodingTimes(const RipTimeTexts& times);
    void ClearRipGroup();
    void CompleteGauges();
    // How many encode jobs run at once, in a run with several; 0 hides the
    // line (a run of one job at a time shows the window as it always was).
    void ShowRunningJobs(int jobs);

    // Sets a gauge, kept within its range (the rippers advance by 26
    // sectors per read, which passes the maximum on a track's last read).
    static void SetGauge(QProgressBar* gauge, qint64 value);

    // Batch line, files and directory
    QLabel* State;
    QLabel* Input;
    QLabel* Output;
    QLabel* Directory;
    QLabel* LabelStatus;
    QLabel* LabelPerform;
    QLabel* LabelTo;
    QLabel* LabelDirectory;

    QGroupBox* Grb_Grabbing;
    QLabel* LabelTimeElapsedGrabbing;
    QLabel* LabelTimeLeftGrabbing;
    QLabel* LabelTimeRemainingGrabbing;
    QLabel* LabelReadingSectorGrabbing;
    QLabel* LabelTotalSectorGrabbing;
    QLabel* LabelTrackLengthGrabbing;
    QLabel* PassedTimeRip;
    QLabel* EstimateTimeRip;
    QLabel* RemainTimeRip;
    QLabel* ReadingSector;
    QLabel* TotalSector;
    QLabel* TrackLength;
    QProgressBar* ProgressBar1;

    QGroupBox* Grb_Encoding;
    QLabel* LabelTimeElapsedEncoding;
    QLabel* LabelTimeLeftEncoding;
    QLabel* LabelTimeRemainingEncoding;
    QLabel* LabelBitrateEncoding;
    QLabel* LabelQualityEncoding;
    QLabel* LabelVBREncoding;
    QLabel* PassedTime;
    QLabel* EstimateTime;
    QLabel* RemainTime;
    QLabel* Bitrate;
    QLabel* Quality;
    QLabel* VBR;
    QProgressBar* ProgressBar2;
    // Shown in runs with several jobs at once.
    QLabel* LabelJobsEncoding;
    QLabel* Jobs;

    // Present and never shown.
    QLabel* Speed1;
    QLabel* Speed2;
    QLabel* Frames;
    QLabel* LabelSpeedGrabbing;
    QLabel* LabelSpeedEncoding;

    QPushButton* Abort;

Q_SIGNALS:
    // The user wants the batch stopped: the Abort button or closing the
    // window. The main window connects its AbortRipping here.
    void abortRequested();

public Q_SLOTS:
    void AbortClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void minimizeApplication();
    void restoreApplication();

    // Windows this window minimised along with itself, with their state
    // before, restored when this window is.
    QList<std::pair<QPointer<QWidget>, Qt::WindowStates>> m_minimized;
    bool m_centred = false;
};

}
