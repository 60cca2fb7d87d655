// SPDX-License-Identifier: GPL-2.0-or-later
// A run of the core with several encode jobs, without windows: the drive
// over a generated image, the names, the run controller, the real MP3
// encoder, and a pool whose encoders can be told to fail a running job.
#pragma once

#include "cd/akriplibrary.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "cd/tracklist.h"
#include "encoder/encoderpool.h"
#include "encoder/gogotea.h"
#include "encoder/gogotrackencoder.h"
#include "lang/languagetexts.h"
#include "metadata/discnames.h"
#include "metadata/discstartnames.h"
#include "platform/hiddenlog.h"
#include "rip/riprun.h"
#include "rip/runservices.h"
#include "rip/runview.h"
#include "rip/settingsnaming.h"
#include "settings/settings.h"
#include "tags/genrelist.h"
#include "tags/tagfields.h"

#include "fakedesktopshell.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "recordingrunview.h"
#include "recordingsystemservices.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>

namespace trackmill::test {

// An encoder in front of a real one that a test can make fail: the running
// job is stopped and ends as an encoder error does, aborted with a reason.
// While `hold` is set, a job that the real encoder has finished is reported
// only when it is failed or aborted (or released), so a test can have
// several jobs running at once however fast the machine encodes.
class InjectableEncoder final : public TrackEncoder
{
public:
    InjectableEncoder(TrackEncoder& inner, const bool& hold, std::unique_ptr<TrackEncoder> owned = nullptr)
        : m_owned(std::move(owned))
        , m_inner(inner)
        , m_hold(hold)
    {
        connect(&m_inner, &TrackEncoder::progress, this, &TrackEncoder::progress);
        connect(&m_inner, &TrackEncoder::finished, this, [this](bool aborted) {
            // A job asked to stop is never held: its end may already have
            // been on its way when the abort came.
            if (m_hold && !aborted && m_injected.isEmpty() && !m_stopAsked) {
                m_held = true;
                return;
            }
            Q_EMIT finished(aborted || !m_injected.isEmpty());
        });
    }
    QString extension() const override { return m_inner.extension(); }
    bool start(const Job& job, QString* error) override
    {
        m_injected.clear();
        m_held = false;
        m_stopAsked = false;
        destination = job.destination;
        return m_inner.start(job, error);
    }
    bool feed(const char* data, qsizetype bytes) override { return m_inner.feed(data, bytes); }
    void endFeed() override { m_inner.endFeed(); }
    bool isEncoding() const override { return m_held || m_inner.isEncoding(); }
    void abort() override
    {
        m_stopAsked = true;
        if (m_held)
            endHeld(true);
        else
            m_inner.abort();
    }
    QString failure() const override { return m_injected.isEmpty() ? m_inner.failure() : m_injected; }
    bool runsBesideOthers() const override { return m_inner.runsBesideOthers(); }

    // The running job fails with this reason.
    void fail(const QString& why)
    {
        m_injected = why;
        m_stopAsked = true;
        if (m_held)
            endHeld(true);
        else
            m_inner.abort();
    }
    // A held job ends as it did.
    void release()
    {
        if (m_held)
            endHeld(false);
    }
    bool held() const { return m_held; }
    QString destination;  // of the last job

private:
    void endHeld(bool aborted)
    {
        m_held = false;
        // As the real encoder reports: after the call, from the event loop.
        QMetaObject::invokeMethod(this, [this, aborted] { Q_EMIT finished(aborted); }, Qt::QueuedConnection);
    }

    std::unique_ptr<TrackEncoder> m_owned;
    TrackEncoder& m_inner;
    const bool& m_hold;
    bool m_held = false;
    bool m_stopAsked = false;
    QString m_injected;
};

// Keeps nothing: no after-run action in these runs.
class NoPersistence final : public RunPersistence
{
public:
    void saveSettings() override {}
    void storeDiscNames() override {}
};

// Records what a run shows (no windows behind it).
class CoreRunView final : public RunView
{
public:
    void showProgress() override { shown = true; }
    void hideProgress() override { shown = false; }
    bool progressWatched() const override { return true; }
    void showState(const QString& text) override { states << text; }
    void showFiles(const QString&, const QString& output, const QString&) override { outputs << output; }
    void showEncoderFigures(const EncoderFigures&) override {}
    void showTrackMeasured(qint64, const QString&, bool) override {}
    void resetGauges() override {}
    void showRipTimes(const RipTimeTexts&) override {}
    void showSectorsRead(qint64, qint64, bool) override { tick(); }
    void showTrackEnded(qint64, const QString&, bool) override {}
    void clearRipGroup() override {}
    void completeGauges() override {}
    void showEncodingProgress(qint64 done, qint64 total) override
    {
        encoding = {done, total};
        tick();
    }
    void showEncodingTimes(const RipTimeTexts&) override {}
    void showRunningJobs(int jobs) override
    {
        if (runningJobs.isEmpty() || runningJobs.last() != jobs)
            runningJobs << jobs;
        tick();
    }
    QString grabbingCaption() const override { return QStringLiteral("Grabbing"); }
    QString encodingCaption() const override { return QStringLiteral("Encoding"); }
    void setTitle(const QString& title) override { titles << title; }
    void setMainWindowEnabled(bool) override {}
    void showMainWindow() override {}
    void blink(int) override {}

    // Called on every figure the run shows: a test looks at the disk then.
    std::function<void()> onTick;
    bool shown = false;
    QStringList states, outputs, titles;
    QList<int> runningJobs;
    std::pair<qint64, qint64> encoding{0, 0};

private:
    void tick()
    {
        if (onTick)
            onTick();
    }
};

class JobsRunTest : public ::testing::Test
{
protected:
    JobsRunTest()
    {
        source.libraryName = QStringLiteral("libgogo.so");
        tea = std::make_unique<TGogoTea>(source);
        gogo = std::make_unique<GogoTrackEncoder>(*tea, settings, log);
        first = std::make_unique<InjectableEncoder>(*gogo, hold);
        encoders.push_back(first.get());
        pool = std::make_unique<EncoderPool>(*first, [this] {
            std::unique_ptr<TrackEncoder> own = GogoTrackEncoder::withOwnComponent(source, settings, log);
            TrackEncoder& inner = *own;
            auto made = std::make_unique<InjectableEncoder>(inner, hold, std::move(own));
            encoders.push_back(made.get());
            return made;
        });

        Settings& s = settings;
        s.directoryMp3 = folders.output + "/";
        s.mpegVersion = Settings::MpegVersion::Mpeg1;
        s.bitrate = 8;  // 128 kbps
        s.bitrateMax = 13;
        s.vbrRatio = false;
        s.usePsy = false;
        s.priority = 3;
        s.onTheFly = false;
        s.encodeWavToMp3 = false;
        s.deleteWav = true;
        s.multiCpu = true;
        // The fast read loop: reads outpace the jobs, so several run at once.
        s.readMode = 1;
        s.preventScreensaver = false;
        s.afterExecute = 0;
        s.ejectCdAudio = false;
        s.fileName = 1;  // <number> - <title>
        s.split = s.replaceSpaces = false;
        s.artistAsDirectory = s.albumAsDirectory = true;
        s.artistAndAlbumAsDirectory = s.artistAlbumYearAsDirectory = false;
        tags.setUseId3v1(true);
        tags.setUseId3v2(true);

        texts.grabbingTrack = "Grabbing track";
        texts.file = "File";
        texts.of = "of";
        texts.finishGrabbing = "Grabbing finished";
        texts.abortGrabbing = "Grabbing aborted";
        texts.finishGrabbingAndEncoding = "Grabbing and encoding finished";
        texts.abortEncoding = "Encoding aborted";
        texts.finishEncoding = "Encoding finished";
        texts.noTrackSelected = "No track selected";
        texts.noDisc = "No audio CD";
    }

    ~JobsRunTest() override
    {
        // The run first: it listens to the pool.
        run.reset();
        pool.reset();
    }

    // A disc of tracks of these seconds, all selected, named "Song n" by
    // "The Band" on "Live Set".
    void insertDisc(const std::vector<int>& seconds)
    {
        disc = folders.writeDisc("disc", seconds);
        drives = std::make_unique<CdDrives>(library, log, driveList,
                                            CdDrives::Options{folders.paths.discsDir(), false});
        tracks = std::make_unique<TrackList>(*drives, log);
        drives->GetListCDROM();
        driveList.setSelectedIndex(0);
        drives->openSelectedDrive();
        tracks->GetCDTOC();
        applyDiscStartNames(DiscStartNames{false, {}, {}, {}, GenreList::PopPosition, {}}, names, *tracks, tags);
        names.setArtist("The Band");
        names.setAlbum("Live Set");
        tags.initialize(names.artist(), names.album());
        for (int n = 1; n < tracks->RowCount(); ++n) {
            tracks->setCell(1, n, QStringLiteral("Song %1").arg(n));
            tracks->setSelection(n, true);
        }
        run = std::make_unique<RipRun>(
            RipRun::Collaborators{*tracks, *drives, driveList, tray, settings, naming, names, tags, texts, log, boxes,
                                  system, shell, persistence, first.get(), nullptr, {}, pool.get(), nullptr},
            view);
    }

    // Presses MP3 and waits until the run and every job are over.
    void runMp3(int jobs)
    {
        run->setJobs(jobs);
        // A run waiting for its jobs shows nothing new: the test looks too.
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [this] {
            if (view.onTick)
                view.onTick();
        });
        look.start(5);
        run->MP3Click();
        QDeadlineTimer deadline(120000);
        while ((run->running() || pool->running() > 0) && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(1);
        }
        ASSERT_FALSE(run->running()) << "the run did not end";
        EXPECT_EQ(pool->running(), 0) << "a job outlived the run";
        // Anything queued behind the end (a next track that must not come).
        for (QDeadlineTimer late(100); !late.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    QString albumDir() const { return folders.output + "/The Band/Live Set/"; }
    QString mp3(int track) const { return albumDir() + QStringLiteral("0%1 - Song %1.mp3").arg(track); }
    QStringList filesIn(const QString& dir) const
    {
        return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    int wavsIn(const QString& dir) const
    {
        return int(QDir(dir).entryList({"*.wav"}, QDir::Files | QDir::Hidden).size());
    }
    int mp3sIn(const QString& dir) const
    {
        return int(QDir(dir).entryList({"*.mp3"}, QDir::Files | QDir::Hidden).size());
    }
    QList<RipRun::TrackReport::Result> resultOf(int track) const
    {
        QList<RipRun::TrackReport::Result> out;
        for (const RipRun::TrackReport& r : run->reports())
            if (r.track == track)
                out << r.result;
        return out;
    }

    // Finished jobs wait (InjectableEncoder) while set.
    bool hold = false;
    ProgramFolders folders;
    discimage::DiscSpec disc;
    GogoLibrarySource source;
    HiddenLog log;
    Settings settings;
    GenreList genres;
    TagFields tags{genres};
    DiscNames names;
    LanguageTexts texts;
    SettingsNaming naming{settings};
    DriveList driveList;
    AkripLibrary library;
    std::unique_ptr<CdDrives> drives;
    std::unique_ptr<TrackList> tracks;
    RecordingMessageBoxes boxes;
    RecordingSystemServices system;
    FakeDesktopShell shell;
    RecordingTray tray;
    NoPersistence persistence;
    CoreRunView view;
    std::unique_ptr<TGogoTea> tea;
    std::unique_ptr<GogoTrackEncoder> gogo;
    std::unique_ptr<InjectableEncoder> first;
    std::vector<InjectableEncoder*> encoders;
    std::unique_ptr<EncoderPool> pool;
    std::unique_ptr<RipRun> run;

    void releaseJobs()
    {
        hold = false;
        for (InjectableEncoder* e : encoders)
            e->release();
    }
};

}
