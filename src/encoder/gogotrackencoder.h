// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "trackencoder.h"

#include <memory>

namespace trackmill {

class HiddenLog;
class Settings;
class TGogoTea;
struct GogoLibrarySource;

// MP3 jobs on the encoder component GogoTea1: before every job the user's
// settings are copied into the component (SetPrimaryAndSecondarySettings);
// a setup failure of the component is the refusal's reason, and a line of
// the hidden log.
class GogoTrackEncoder final : public TrackEncoder
{
    Q_OBJECT
public:
    GogoTrackEncoder(TGogoTea& tea, const Settings& settings, HiddenLog& log, QObject* parent = nullptr);
    // One more encoder with a component of its own over the same library,
    // for jobs beside those of GogoTea1. Raises EGogoTeaError as the
    // component does.
    static std::unique_ptr<GogoTrackEncoder> withOwnComponent(const GogoLibrarySource& source,
                                                              const Settings& settings, HiddenLog& log);
    ~GogoTrackEncoder() override;

    QString extension() const override { return QStringLiteral(".mp3"); }
    bool start(const Job& job, QString* error) override;
    bool feed(const char* data, qsizetype bytes) override;
    void endFeed() override;
    bool isEncoding() const override;
    void abort() override;
    QString failure() const override { return m_failure; }
    // Only with a job state of its own in the library.
    bool runsBesideOthers() const override;

    TGogoTea& component() { return m_tea; }

private:
    GogoTrackEncoder(std::unique_ptr<TGogoTea> owned, const Settings& settings, HiddenLog& log);
    void onError(int code);

    std::unique_ptr<TGogoTea> m_owned;  // set when the component is this encoder's own
    TGogoTea& m_tea;
    const Settings& m_settings;
    HiddenLog& m_log;
    QString m_destination;  // the running job's output
    QString m_failure;
};

}
