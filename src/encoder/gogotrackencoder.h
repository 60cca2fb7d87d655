// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "trackencoder.h"

namespace trackmill {

class HiddenLog;
class Settings;
class TGogoTea;

// MP3 jobs on the encoder component GogoTea1: before every job the user's
// settings are copied into the component (SetPrimaryAndSecondarySettings);
// a setup failure of the component is the refusal's reason, and a line of
// the hidden log.
class GogoTrackEncoder final : public TrackEncoder
{
    Q_OBJECT
public:
    GogoTrackEncoder(TGogoTea& tea, const Settings& settings, HiddenLog& log, QObject* parent = nullptr);

    QString extension() const override { return QStringLiteral(".mp3"); }
    bool start(const Job& job, QString* error) override;
    bool feed(const char* data, qsizetype bytes) override;
    void endFeed() override;
    bool isEncoding() const override;
    void abort() override;
    QString failure() const override { return m_failure; }

    TGogoTea& component() { return m_tea; }

private:
    void onError(int code);

    TGogoTea& m_tea;
    const Settings& m_settings;
    HiddenLog& m_log;
    QString m_destination;  // the running job's output
    QString m_failure;
};

}
