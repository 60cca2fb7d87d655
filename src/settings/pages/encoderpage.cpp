// SPDX-License-Identifier: GPL-2.0-or-later
#include "encoderpage.h"

#include "pagewidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

namespace trackmill {

using namespace settingspages;

EncoderPage::EncoderPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Encoder"));
    auto* layout = new QVBoxLayout(this);
    m_tabs = named(new QTabWidget(this), "PageControl2");
    m_tabs->setDocumentMode(true);
    layout->addWidget(m_tabs, 1);
    buildPrimaryOptions();
    buildAdvancedOptions();
    buildFlacOptions();

    // The encoder library's version lines, filled by the version display.
    auto* versions = named(new QGroupBox(this), "GroupBox4");
    auto* versionLines = new QVBoxLayout(versions);
    versionLines->addWidget(label("MyLibrary", QStringLiteral("Library:"), versions));
    versionLines->addWidget(label("MyCompany", QStringLiteral("Company:"), versions));
    versionLines->addWidget(label("MyCopyright", QStringLiteral("Copyright:"), versions));
    layout->addWidget(versions);

    for (QCheckBox* box : {m_vbrRatio, m_extendedFilterCbr, m_msStereo})
        connect(box, &QCheckBox::toggled, this, &EncoderPage::ruleBoxToggled);
    // The value displays follow the sliders also while the Settings are shown.
    connect(m_cbrLow, &QSlider::valueChanged, this, &EncoderPage::TrackBarCBR_LowChange);
    connect(m_cbrHigh, &QSlider::valueChanged, this, &EncoderPage::TrackBarCBR_HighChange);
    connect(m_threshold, &QSlider::valueChanged, this, &EncoderPage::TrackBarThresholdChange);
    connect(m_power, &QSlider::valueChanged, this, &EncoderPage::TrackBarPowerChange);
}

void EncoderPage::buildPrimaryOptions()
{
    auto* primaryTab = named(new QWidget(m_tabs), "PrimaryOptionsTab");
    m_tabs->addTab(primaryTab, QStringLiteral("Primary options"));
    auto* primaryLayout = new QHBoxLayout(primaryTab);
    auto* primary = named(new QGroupBox(primaryTab), "PrimaryOptions");
    auto* grid = new QGridLayout(primary);
    m_labelBitrate = label("LabelBitrate", QStringLiteral("Bitrate:"), primary);
    m_bitrate = list("Bitrate", {}, 14, primary);
    m_labelBitrateMax = label("LabelBitrateMax", QStringLiteral("Bitrate Max:"), primary);
    m_bitrateMax = list("BitrateMax", {}, 14, primary);
    auto* quality = list("Quality", Settings::qualityNames(), 5, primary);
    QStringList levels;
    for (int i = 0; i < Settings::kVbrLevels; ++i)
        levels << QString::number(i);
    m_labelVbr = label("LabelVBR", QStringLiteral("VBR:"), primary);
    m_vbr = list("VBR", levels, 12, primary);
    // "Time critical" gives the encoder thread the highest priority the
    // system grants this program (see the priority table in the design notes).
    auto* priority = list("Priority",
                          {QStringLiteral("Idle"), QStringLiteral("Lower"), QStringLiteral("Lowest"),
                           QStringLiteral("Normal"), QStringLiteral("High"), QStringLiteral("Higher"),
                           QStringLiteral("Highest"), QStringLiteral("Time critical")},
                          8, primary);
    auto* emphasis = list("Emphasis", Settings::emphasisNames(), 3, primary);
    const struct
    {
        QLabel* label;
        QComboBox* box;
    } rows[] = {{m_labelBitrate, m_bitrate},
                {m_labelBitrateMax, m_bitrateMax},
                {label("LabelQuality", QStringLiteral("Quality:"), primary), quality},
                {m_labelVbr, m_vbr},
                {label("LabelPriority", QStringLiteral("Priority:"), primary), priority},
                {label("LabelEmphasis", QStringLiteral("Emphasis:"), primary), emphasis}};
    int row = 0;
    for (const auto& r : rows) {
        r.label->setBuddy(r.box);
        grid->addWidget(r.label, row, 0);
        grid->addWidget(r.box, row++, 1);
    }
    grid->setRowStretch(row, 1);
    primaryLayout->addWidget(primary);

    auto* secondary = named(new QGroupBox(primaryTab), "SecondaryOptions");
    auto* column = new QVBoxLayout(secondary);
    m_mpeg1 = named(new QRadioButton(QStringLiteral("Use MPEG1 [32-320kbps]"), secondary), "MPEG1");
    m_mpeg2 = named(new QRadioButton(QStringLiteral("Use MPEG2 [8-160kbps]"), secondary), "MPEG2");
    m_vbrRatio = checkBox("VBRRatio", QStringLiteral("Use VBR Encode Quality Ratio"), secondary);
    const QList<QWidget*> boxes{
        m_mpeg1,
        m_mpeg2,
        checkBox("OnTheFly", QStringLiteral("On the fly encoding (cda -> mp3 without .wav files)"), secondary),
        checkBox("MyDeleteBox", QStringLiteral("Delete .wav files after encoding"), secondary),
        checkBox("UsePsy", QStringLiteral("Use Psy-Sound Calculation (better quality)"), secondary),
        checkBox("UseLPF16", QStringLiteral("Use 16kHz Low Pass-Filter"), secondary),
        m_vbrRatio,
        checkBox("Use_MMX_3DNOW", QStringLiteral("Use MMX/SSE/(Enhanced)3DNow! (if available)"), secondary),
        checkBox("Use_Multi_CPU", QStringLiteral("Use Multi Processors Support 1-4 CPUs (if available)"), secondary),
        checkBox("EncodeWAVtoMP3", QStringLiteral("Encode from external .wav files to .mp3 files"), secondary)};
    for (QWidget* w : boxes)
        column->addWidget(w);
    column->addStretch();
    primaryLayout->addWidget(secondary, 1);
}

void EncoderPage::buildAdvancedOptions()
{
    auto* advancedTab = named(new QWidget(m_tabs), "AdvancedOptionsTab");
    m_tabs->addTab(advancedTab, QStringLiteral("Advanced options"));
    auto* advancedLayout = new QVBoxLayout(advancedTab);
    auto* cbr = named(new QGroupBox(advancedTab), "GroupBox13");
    auto* cbrGrid = new QGridLayout(cbr);
    m_extendedFilterCbr = checkBox("ExtendedFilterCBR", QStringLiteral("Manual filter setting for CBR only"), cbr);
    m_labelCbrLow = label("LabelFrequencyCBRLow", QStringLiteral("Frequency band A (low)"), cbr);
    m_cbrLow = slider("TrackBarCBR_Low", cbr);
    m_cbrLowValue = label("Filter_CBR_ValueLow", Settings::ratioText(0, QLocale()), cbr);
    m_labelCbrHigh = label("LabelFrequencyCBRHigh", QStringLiteral("Frequency band B (high)"), cbr);
    m_cbrHigh = slider("TrackBarCBR_High", cbr);
    m_cbrHighValue = label("Filter_CBR_ValueHigh", Settings::ratioText(0, QLocale()), cbr);
    cbrGrid->addWidget(m_extendedFilterCbr, 0, 0, 1, 3);
    cbrGrid->addWidget(m_labelCbrLow, 1, 0);
    cbrGrid->addWidget(m_cbrLow, 1, 1);
    cbrGrid->addWidget(m_cbrLowValue, 1, 2);
    cbrGrid->addWidget(m_labelCbrHigh, 2, 0);
    cbrGrid->addWidget(m_cbrHigh, 2, 1);
    cbrGrid->addWidget(m_cbrHighValue, 2, 2);
    advancedLayout->addWidget(cbr);

    auto* ms = named(new QGroupBox(advancedTab), "GroupBox14");
    auto* msGrid = new QGridLayout(ms);
    m_msStereo = checkBox("Filter_MS_Stereo", QStringLiteral("Manual setting for quality MS Stereo"), ms);
    m_labelThreshold = label("LabelThreshold", QStringLiteral("Threshold "), ms);
    m_threshold = slider("TrackBarThreshold", ms);
    m_thresholdValue = label("Filter_MS_Threshold", Settings::ratioText(0, QLocale()), ms);
    m_labelPower = label("LabelPower", QStringLiteral("Power"), ms);
    m_power = slider("TrackBarPower", ms);
    m_powerValue = label("Filter_MS_Power", QStringLiteral("67%/33%"), ms);
    msGrid->addWidget(m_msStereo, 0, 0, 1, 3);
    msGrid->addWidget(m_labelThreshold, 1, 0);
    msGrid->addWidget(m_threshold, 1, 1);
    msGrid->addWidget(m_thresholdValue, 1, 2);
    msGrid->addWidget(m_labelPower, 2, 0);
    msGrid->addWidget(m_power, 2, 1);
    msGrid->addWidget(m_powerValue, 2, 2);
    advancedLayout->addWidget(ms);
    advancedLayout->addStretch();
}

void EncoderPage::buildFlacOptions()
{
    auto* flacTab = named(new QWidget(m_tabs), "FlacOptionsTab");
    m_tabs->addTab(flacTab, QStringLiteral("FLAC options"));
    auto* layout = new QVBoxLayout(flacTab);
    auto* group = named(new QGroupBox(flacTab), "GroupBoxFlac");
    auto* grid = new QGridLayout(group);
    QStringList levels;
    for (int i = 0; i < Settings::kFlacLevels; ++i)
        levels << QString::number(i);
    auto* level = list("Cmb_FlacCompression", levels, Settings::kFlacLevels, group);
    auto* levelLabel = label("LabelFlacCompression", QStringLiteral("Compression level:"), group);
    levelLabel->setBuddy(level);
    auto* hint = label("LabelFlacCompressionHint",
                       QStringLiteral("0 is the fastest, 8 makes the smallest files; the sound is the same at every level"),
                       group);
    hint->setWordWrap(true);
    grid->addWidget(levelLabel, 0, 0);
    grid->addWidget(level, 0, 1);
    grid->setColumnStretch(2, 1);
    grid->addWidget(hint, 1, 0, 1, 3);
    grid->addWidget(checkBox("FlacVerify", QStringLiteral("Verify while encoding: decode what was written and compare"),
                             group),
                    2, 0, 1, 3);
    layout->addWidget(group);
    layout->addStretch();
}

void EncoderPage::showMpegVersion(Settings::MpegVersion version)
{
    if (version == Settings::MpegVersion::None) {
        // Radio buttons of one group cannot be unchecked one by one.
        for (QRadioButton* b : {m_mpeg1, m_mpeg2}) {
            b->setAutoExclusive(false);
            b->setChecked(false);
            b->setAutoExclusive(true);
        }
        for (QComboBox* box : {m_bitrate, m_bitrateMax})
            box->clear();
        return;
    }
    (version == Settings::MpegVersion::Mpeg1 ? m_mpeg1 : m_mpeg2)->setChecked(true);
    SetMPEG(int(version));
}

void EncoderPage::SetMPEG(int version)
{
    const auto mpeg = version == 2 ? Settings::MpegVersion::Mpeg2 : Settings::MpegVersion::Mpeg1;
    const QList<int>& table = Settings::bitrateTable(mpeg);
    for (QComboBox* box : {m_bitrate, m_bitrateMax}) {
        const int keep = box->currentIndex();
        const QSignalBlocker block(box);
        box->clear();
        for (int i = 0; i < table.size(); ++i)
            box->addItem(Settings::bitrateListEntry(mpeg, i));
        box->setCurrentIndex(keep);
    }
}

QString EncoderPage::GetBitrate(int index) const
{
    const auto mpeg = m_mpeg1->isChecked() ? Settings::MpegVersion::Mpeg1 : Settings::MpegVersion::Mpeg2;
    return QString::fromLatin1(Settings::bitrateText(mpeg, index));
}

void EncoderPage::applyEnablingRules()
{
    // Rule 1: the VBR range, or the CBR filter group.
    const bool vbr = m_vbrRatio->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_bitrateMax, m_vbr, m_labelBitrateMax, m_labelVbr})
        w->setEnabled(vbr);
    m_labelBitrate->setText(vbr ? QStringLiteral("Bitrate Min:") : QStringLiteral("Bitrate:"));
    m_extendedFilterCbr->setEnabled(!vbr);
    // Rule 2: the CBR filter's sliders, only while their box can be used.
    const bool cbr = !vbr && m_extendedFilterCbr->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_cbrLow, m_cbrHigh, m_labelCbrHigh, m_labelCbrLow,
                                                      m_cbrLowValue, m_cbrHighValue})
        w->setEnabled(cbr);
    // Rule 3: the MS stereo setting.
    const bool ms = m_msStereo->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_threshold, m_power, m_labelThreshold, m_labelPower,
                                                      m_thresholdValue, m_powerValue})
        w->setEnabled(ms);
}

void EncoderPage::TrackBarCBR_LowChange()
{
    m_cbrLowValue->setText(Settings::ratioText(m_cbrLow->value(), QLocale()));
}

void EncoderPage::TrackBarCBR_HighChange()
{
    m_cbrHighValue->setText(Settings::ratioText(m_cbrHigh->value(), QLocale()));
}

void EncoderPage::TrackBarThresholdChange()
{
    m_thresholdValue->setText(Settings::ratioText(m_threshold->value(), QLocale()));
}

void EncoderPage::TrackBarPowerChange()
{
    m_powerValue->setText(Settings::powerText(m_power->value()));
}

}
