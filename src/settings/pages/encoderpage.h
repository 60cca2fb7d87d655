// SPDX-License-Identifier: GPL-2.0-or-later
// The settings window's Encoder tab: its inner tabs (the MP3 encoder's
// primary and advanced options, the FLAC options) and the encoder
// library's version lines.
#pragma once

#include "settings/settings.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QSlider;
class QTabWidget;

namespace trackmill {

class EncoderPage : public QWidget
{
    Q_OBJECT
public:
    explicit EncoderPage(QWidget* parent);

    QTabWidget* innerTabs() const { return m_tabs; }
    QRadioButton* mpeg1() const { return m_mpeg1; }
    QRadioButton* mpeg2() const { return m_mpeg2; }

    // Checks the version's radio button and fills both bitrate lists with
    // its table; None unchecks both and empties the lists.
    void showMpegVersion(Settings::MpegVersion version);
    // Refills Bitrate and BitrateMax with the table of MPEG version 1 or 2
    // (2 for anything but 1), keeping the selected positions.
    void SetMPEG(int version);
    // "128kbps": the table value of the checked MPEG version (MPEG-2 unless
    // MPEG1 is checked) at index; empty for an index outside the table.
    QString GetBitrate(int index) const;

    // Rules 1 to 3 of the window (VBR range or CBR filter, the CBR sliders,
    // the MS stereo setting) as one function of the boxes' states.
    void applyEnablingRules();

    // The value displays beside the track bars.
    void TrackBarCBR_LowChange();
    void TrackBarCBR_HighChange();
    void TrackBarThresholdChange();
    void TrackBarPowerChange();

Q_SIGNALS:
    // A box that one of the enabling rules reads was ticked or unticked.
    void ruleBoxToggled();

private:
    void buildPrimaryOptions();
    void buildAdvancedOptions();
    void buildFlacOptions();

    QTabWidget* m_tabs = nullptr;
    QComboBox* m_bitrate = nullptr;
    QComboBox* m_bitrateMax = nullptr;
    QComboBox* m_vbr = nullptr;
    QLabel* m_labelBitrate = nullptr;
    QLabel* m_labelBitrateMax = nullptr;
    QLabel* m_labelVbr = nullptr;
    QRadioButton* m_mpeg1 = nullptr;
    QRadioButton* m_mpeg2 = nullptr;
    QCheckBox* m_vbrRatio = nullptr;
    QCheckBox* m_extendedFilterCbr = nullptr;
    QSlider* m_cbrLow = nullptr;
    QSlider* m_cbrHigh = nullptr;
    QLabel* m_labelCbrLow = nullptr;
    QLabel* m_labelCbrHigh = nullptr;
    QLabel* m_cbrLowValue = nullptr;
    QLabel* m_cbrHighValue = nullptr;
    QCheckBox* m_msStereo = nullptr;
    QSlider* m_threshold = nullptr;
    QSlider* m_power = nullptr;
    QLabel* m_labelThreshold = nullptr;
    QLabel* m_labelPower = nullptr;
    QLabel* m_thresholdValue = nullptr;
    QLabel* m_powerValue = nullptr;
};

}
