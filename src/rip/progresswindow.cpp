// SPDX-License-Identifier: GPL-2.0-or-later
// TForm3: the progress window.
#include "progresswindow.h"

#include "timefigures.h"
#include "ui/screenfit.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

#include <array>
#include <limits>
#include <utility>

namespace trackmill {

namespace {

// Width of the window in pixels; long names and paths are cut at its edge
// instead of widening a window of fixed size.
constexpr int kWindowWidth = 520;

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text = QString())
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    // Names come from discs and freedb: never read them as markup.
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A value label that takes what room there is and cuts what does not fit.
QLabel* makeValue(QWidget* parent, const char* name, const QString& text = QString())
{
    QLabel* label = makeLabel(parent, name, text);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return label;
}

QProgressBar* makeGauge(QWidget* parent, const char* name)
{
    auto* gauge = new QProgressBar(parent);
    gauge->setObjectName(QLatin1String(name));
    gauge->setRange(0, 100);
    gauge->setValue(0);
    return gauge;
}

// Three rows of two label/value pairs (row by row), the gauge across
// below them; the value columns take the spare width.
void layFigures(QGridLayout* grid, const std::array<QLabel*, 12>& cells, QProgressBar* gauge)
{
    for (int i = 0; i < 12; ++i)
        grid->addWidget(cells[i], i / 4, i % 4);
    grid->addWidget(gauge, 3, 0, 1, 4);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
}

QString number(qint64 value)
{
    return QString::number(value);
}

} // namespace

const QList<std::pair<const char*, const char*>>& TForm3::DesignCaptions()
{
    static const QList<std::pair<const char*, const char*>> captions{
        {"TForm3", "Grabbing & Encoding..."},
        {"LabelStatus", "Status:"},
        {"LabelPerform", "Perform:"},
        {"LabelTo", "To:"},
        {"LabelDirectory", "Directory:"},
        {"Grb_Grabbing", "Grabbing"},
        {"LabelTimeElapsedGrabbing", "Time elapsed:"},
        {"LabelTimeLeftGrabbing", "Time left:"},
        {"LabelTimeRemainingGrabbing", "Time remaining:"},
        {"LabelReadingSectorGrabbing", "Reading sector:"},
        {"LabelTotalSectorGrabbing", "Total sector:"},
        {"LabelTrackLengthGrabbing", "Track length:"},
        {"Grb_Encoding", "Encoding"},
        {"LabelTimeElapsedEncoding", "Time elapsed:"},
        {"LabelTimeLeftEncoding", "Time left:"},
        {"LabelTimeRemainingEncoding", "Time remaining:"},
        {"LabelBitrateEncoding", "Bitrate:"},
        {"LabelQualityEncoding", "Quality:"},
        {"LabelVBREncoding", "VBR:"},
        {"LabelJobsEncoding", "Jobs running:"},
        {"Abort", "Abort"},
    };
    return captions;
}

TForm3::TForm3(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("TForm3"));

    LabelStatus = makeLabel(this, "LabelStatus");
    LabelPerform = makeLabel(this, "LabelPerform");
    LabelTo = makeLabel(this, "LabelTo");
    LabelDirectory = makeLabel(this, "LabelDirectory");
    State = makeValue(this, "State");
    Input = makeValue(this, "Input");
    Output = makeValue(this, "Output");
    Directory = makeValue(this, "Directory");

    auto* files = new QGridLayout;
    files->addWidget(LabelStatus, 0, 0);
    files->addWidget(State, 0, 1);
    files->addWidget(LabelPerform, 1, 0);
    files->addWidget(Input, 1, 1);
    files->addWidget(LabelTo, 2, 0);
    files->addWidget(Output, 2, 1);
    files->addWidget(LabelDirectory, 3, 0);
    files->addWidget(Directory, 3, 1);
    files->setColumnStretch(1, 1);

    const QString zeroTime = TimeFigures::FormatTime(0);

    Grb_Grabbing = new QGroupBox(this);
    Grb_Grabbing->setObjectName(QStringLiteral("Grb_Grabbing"));
    LabelTimeElapsedGrabbing = makeLabel(Grb_Grabbing, "LabelTimeElapsedGrabbing");
    LabelTimeLeftGrabbing = makeLabel(Grb_Grabbing, "LabelTimeLeftGrabbing");
    LabelTimeRemainingGrabbing = makeLabel(Grb_Grabbing, "LabelTimeRemainingGrabbing");
    LabelReadingSectorGrabbing = makeLabel(Grb_Grabbing, "LabelReadingSectorGrabbing");
    LabelTotalSectorGrabbing = makeLabel(Grb_Grabbing, "LabelTotalSectorGrabbing");
    LabelTrackLengthGrabbing = makeLabel(Grb_Grabbing, "LabelTrackLengthGrabbing");
    PassedTimeRip = makeValue(Grb_Grabbing, "PassedTimeRip", zeroTime);
    EstimateTimeRip = makeValue(Grb_Grabbing, "EstimateTimeRip", zeroTime);
    RemainTimeRip = makeValue(Grb_Grabbing, "RemainTimeRip", zeroTime);
    ReadingSector = makeValue(Grb_Grabbing, "ReadingSector", QStringLiteral("0"));
    TotalSector = makeValue(Grb_Grabbing, "TotalSector", QStringLiteral("0"));
    TrackLength = makeValue(Grb_Grabbing, "TrackLength", QStringLiteral("00:00"));
    ProgressBar1 = makeGauge(Grb_Grabbing, "ProgressBar1");
    Speed1 = makeLabel(Grb_Grabbing, "Speed1");
    LabelSpeedGrabbing = makeLabel(Grb_Grabbing, "LabelSpeedGrabbing");

    auto* grabbing = new QGridLayout(Grb_Grabbing);
    layFigures(grabbing, {LabelTimeElapsedGrabbing, PassedTimeRip, LabelReadingSectorGrabbing, ReadingSector,
                          LabelTimeLeftGrabbing, EstimateTimeRip, LabelTotalSectorGrabbing, TotalSector,
                          LabelTimeRemainingGrabbing, RemainTimeRip, LabelTrackLengthGrabbing, TrackLength},
               ProgressBar1);
    grabbing->addWidget(Speed1, 4, 0);
    grabbing->addWidget(LabelSpeedGrabbing, 4, 1);

    Grb_Encoding = new QGroupBox(this);
    Grb_Encoding->setObjectName(QStringLiteral("Grb_Encoding"));
    LabelTimeElapsedEncoding = makeLabel(Grb_Encoding, "LabelTimeElapsedEncoding");
    LabelTimeLeftEncoding = makeLabel(Grb_Encoding, "LabelTimeLeftEncoding");
    LabelTimeRemainingEncoding = makeLabel(Grb_Encoding, "LabelTimeRemainingEncoding");
    LabelBitrateEncoding = makeLabel(Grb_Encoding, "LabelBitrateEncoding");
    LabelQualityEncoding = makeLabel(Grb_Encoding, "LabelQualityEncoding");
    LabelVBREncoding = makeLabel(Grb_Encoding, "LabelVBREncoding");
    PassedTime = makeValue(Grb_Encoding, "PassedTime", zeroTime);
    EstimateTime = makeValue(Grb_Encoding, "EstimateTime", zeroTime);
    RemainTime = makeValue(Grb_Encoding, "RemainTime", zeroTime);
    Bitrate = makeValue(Grb_Encoding, "Bitrate");
    Quality = makeValue(Grb_Encoding, "Quality");
    VBR = makeValue(Grb_Encoding, "VBR");
    ProgressBar2 = makeGauge(Grb_Encoding, "ProgressBar2");
    Speed2 = makeLabel(Grb_Encoding, "Speed2");
    Frames = makeLabel(Grb_Encoding, "Frames");
    LabelSpeedEncoding = makeLabel(Grb_Encoding, "LabelSpeedEncoding");

    auto* encoding = new QGridLayout(Grb_Encoding);
    layFigures(encoding, {LabelTimeElapsedEncoding, PassedTime, LabelBitrateEncoding, Bitrate,
                          LabelTimeLeftEncoding, EstimateTime, LabelQualityEncoding, Quality,
                          LabelTimeRemainingEncoding, RemainTime, LabelVBREncoding, VBR},
               ProgressBar2);
    encoding->addWidget(Speed2, 4, 0);
    encoding->addWidget(Frames, 4, 1);
    encoding->addWidget(LabelSpeedEncoding, 4, 2);
    // Its room is kept while hidden: the window has one fixed size.
    LabelJobsEncoding = makeLabel(Grb_Encoding, "LabelJobsEncoding");
    Jobs = makeValue(Grb_Encoding, "Jobs");
    encoding->addWidget(LabelJobsEncoding, 5, 0);
    encoding->addWidget(Jobs, 5, 1);
    for (QLabel* label : {LabelJobsEncoding, Jobs}) {
        QSizePolicy policy = label->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        label->setSizePolicy(policy);
        label->setVisible(false);
    }

    for (QLabel* hidden : {Speed1, Speed2, Frames, LabelSpeedGrabbing, LabelSpeedEncoding})
        hidden->setVisible(false);

    Abort = new QPushButton(this);
    Abort->setObjectName(QStringLiteral("Abort"));
    connect(Abort, &QPushButton::clicked, this, &TForm3::AbortClick);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Abort);

    auto* main = new QVBoxLayout(this);
    main->addLayout(files);
    main->addWidget(Grb_Grabbing);
    main->addWidget(Grb_Encoding);
    main->addLayout(buttons);

    for (const auto& [name, caption] : DesignCaptions()) {
        const QString text = QString::fromUtf8(caption);
        if (objectName() == QLatin1String(name))
            setWindowTitle(text);
        else if (auto* label = findChild<QLabel*>(QLatin1String(name)))
            label->setText(text);
        else if (auto* group = findChild<QGroupBox*>(QLatin1String(name)))
            group->setTitle(text);
        else if (auto* button = findChild<QPushButton*>(QLatin1String(name)))
            button->setText(text);
    }

    // A fixed single border: the size the controls need at a set width.
    setFixedSize(qMax(kWindowWidth, main->minimumSize().width()), main->sizeHint().height());
    // On a small screen (or at scale 2) the content scrolls and the window
    // stays inside the screen.
    scrollWholeWindowWhenCramped(*this);
    keepInsideScreen(*this);
}

TForm3::~TForm3() = default;

void TForm3::SetGauge(QProgressBar* gauge, qint64 value)
{
    gauge->setValue(int(qBound(qint64(gauge->minimum()), value, qint64(gauge->maximum()))));
}

void TForm3::ShowTrackMeasured(qint64 sectors, bool bothGauges)
{
    // A CD holds fewer than 2^31 sectors; a larger figure is a broken TOC.
    const int maximum = int(qBound(qint64(1), sectors, qint64(std::numeric_limits<int>::max())));
    TotalSector->setText(number(sectors));
    ProgressBar1->setRange(0, maximum);
    if (bothGauges)
        ProgressBar2->setRange(0, maximum);
}

void TForm3::ResetGauges()
{
    ProgressBar1->setValue(0);
    ProgressBar2->setValue(0);
}

void TForm3::ShowTimes(const RipTimeTexts& times)
{
    PassedTimeRip->setText(times.passed);
    if (times.hasEstimate) {
        EstimateTimeRip->setText(times.estimate);
        RemainTimeRip->setText(times.remaining);
    }
    if (times.encodingToo) {
        PassedTime->setText(times.passed);
        if (times.hasEstimate) {
            EstimateTime->setText(times.estimate);
            RemainTime->setText(times.remaining);
        }
    }
}

void TForm3::ShowSectorsRead(qint64 readingSector, qint64 gaugePosition, bool bothGauges)
{
    ReadingSector->setText(number(readingSector));
    SetGauge(ProgressBar1, gaugePosition);
    if (bothGauges)
        SetGauge(ProgressBar2, gaugePosition);
}

void TForm3::ShowTrackEnded(qint64 totalSectors, const QString& passedTime, bool bothGauges)
{
    ReadingSector->setText(number(totalSectors));
    EstimateTimeRip->setText(passedTime);
    SetGauge(ProgressBar1, totalSectors);
    if (bothGauges) {
        EstimateTime->setText(PassedTime->text());
        SetGauge(ProgressBar2, totalSectors);
    }
}

void TForm3::ShowState(const QString& text)
{
    State->setText(text);
}

void TForm3::ShowFiles(const QString& input, const QString& output, const QString& directory)
{
    Input->setText(input);
    Output->setText(output);
    Directory->setText(directory);
}

void TForm3::ShowEncoderFigures(const QString& bitrate, const QString& quality, const QString& vbr)
{
    Bitrate->setText(bitrate);
    Quality->setText(quality);
    VBR->setText(vbr);
}

void TForm3::ShowTrackLength(const QString& playTime)
{
    TrackLength->setText(playTime);
}

void TForm3::ShowEncodingProgress(qint64 framesDone, qint64 framesTotal)
{
    ProgressBar2->setMaximum(int(qBound(qint64(1), framesTotal, qint64(std::numeric_limits<int>::max()))));
    SetGauge(ProgressBar2, framesDone);
    Frames->setText(number(framesTotal));
}

void TForm3::ShowEncodingTimes(const RipTimeTexts& times)
{
    PassedTime->setText(times.passed);
    if (times.hasEstimate) {
        EstimateTime->setText(times.estimate);
        RemainTime->setText(times.remaining);
    }
}

void TForm3::ClearRipGroup()
{
    for (QLabel* label : {PassedTimeRip, EstimateTimeRip, RemainTimeRip})
        label->setText(QStringLiteral("00:00:00"));
    ReadingSector->setText(QStringLiteral("0"));
    TotalSector->setText(QStringLiteral("0"));
    TrackLength->setText(QStringLiteral("0:00"));
    SetGauge(ProgressBar1, 0);
}

void TForm3::CompleteGauges()
{
    SetGauge(ProgressBar1, ProgressBar1->maximum());
    SetGauge(ProgressBar2, ProgressBar2->maximum());
    ReadingSector->setText(TotalSector->text());
    EstimateTimeRip->setText(PassedTimeRip->text());
    EstimateTime->setText(PassedTime->text());
}

void TForm3::ShowRunningJobs(int jobs)
{
    Jobs->setText(number(jobs));
    LabelJobsEncoding->setVisible(jobs > 0);
    Jobs->setVisible(jobs > 0);
}

void TForm3::AbortClick()
{
    Q_EMIT abortRequested();
}

void TForm3::closeEvent(QCloseEvent* event)
{
    event->accept();
    Q_EMIT abortRequested();
}

void TForm3::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        const bool was = static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowMinimized;
        if (isMinimized() && !was)
            minimizeApplication();
        else if (!isMinimized() && was)
            restoreApplication();
    }
    QWidget::changeEvent(event);
}

void TForm3::showEvent(QShowEvent* event)
{
    if (!m_centred) {
        m_centred = true;
        if (const QScreen* s = screen()) {
            QRect frame = frameGeometry();
            frame.moveCenter(s->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QWidget::showEvent(event);
}

void TForm3::minimizeApplication()
{
    // Minimising the progress window minimises the whole program: every
    // other window shown goes with it.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == this || !w->isVisible() || w->isMinimized())
            continue;
        const Qt::WindowType type = w->windowType();
        if (type != Qt::Window && type != Qt::Dialog)
            continue;
        m_minimized.append({QPointer<QWidget>(w), w->windowState()});
        w->setWindowState(w->windowState() | Qt::WindowMinimized);
    }
}

void TForm3::restoreApplication()
{
    const auto windows = std::exchange(m_minimized, {});
    for (const auto& [w, state] : windows) {
        if (w && w->isMinimized())
            w->setWindowState(state & ~Qt::WindowMinimized);
    }
}

}
