// SPDX-License-Identifier: GPL-2.0-or-later
// The track ripper against generated disc images: blocks of 26 sectors, the
// WAV file byte for byte, abort, read faults with their exact texts, the
// track before a data session, and outputs that cannot be written.
#include "rip/batchfigures.h"
#include "rip/ripobserver.h"
#include "rip/timefigures.h"
#include "rip/trackripper.h"
#include "rip/wavfilesink.h"
#include "rip/wavheader.h"

#include "akrip32.h"
#include "akrip32_testing.h"
#include "discimage.h"
#include "programfolders.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace trackmill;
using Outcome = TrackRipResult::Outcome;

namespace {

constexpr qint64 kSector = 2352;
constexpr qint64 kBlock = 26 * kSector;

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The file holds a header announcing exactly the audio behind it, and that
// audio is `expected`.
void expectWav(const QString& path, const QByteArray& expected)
{
    const QByteArray wav = readFile(path);
    ASSERT_EQ(wav.size(), 44 + expected.size()) << path.toStdString();
    EXPECT_EQ(wav.left(44), WavHeader::build(std::uint32_t(expected.size())));
    EXPECT_TRUE(wav.mid(44) == expected) << "audio differs";
}

// Everything the ripper shows, and a hand on the clock and the abort flag.
struct RecordingObserver : RipObserver
{
    BatchFigures* figures = nullptr;
    qint64* clock = nullptr;
    int abortAfterReads = -1; // the user presses Abort after this many reads

    QStringList states, titles, logs;
    QList<RipTimeTexts> times;
    QList<std::pair<qint64, qint64>> reads; // ReadingSector, gauge position
    QList<std::pair<qint64, QString>> ended;

    void stateChanged(const QString& text) override { states << text; }
    void titleChanged(const QString& title) override { titles << title; }
    void timesChanged(const RipTimeTexts& t) override { times << t; }
    void sectorsRead(qint64 reading, qint64 gauge) override { reads.append({reading, gauge}); }
    void processEvents() override
    {
        *clock += 1000; // each read takes a second
        if (reads.size() == abortAfterReads)
            figures->abort = true;
    }
    void trackEnded(qint64 total, const QString& passed) override { ended.append({total, passed}); }
    void log(const QString& line) override { logs << line; }
};

// A WAV file sink that also notes the size of every block.
struct BlockRecordingSink : AudioSink
{
    explicit BlockRecordingSink(const QString& path) : file(path) {}
    bool begin(quint64 bytes, QString* error) override
    {
        announced = bytes;
        return file.begin(bytes, error);
    }
    bool write(const char* data, qsizetype bytes, QString* error) override
    {
        blocks << bytes;
        return file.write(data, bytes, error);
    }
    bool end(End how, QString* error) override
    {
        ends << how;
        return file.end(how, error);
    }
    WavFileSink file;
    quint64 announced = 0;
    QList<qsizetype> blocks;
    QList<End> ends;
};

class TrackRipperTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        observer.figures = &figures;
        observer.clock = &now;
        figures.selectedCount = 3;
    }
    void TearDown() override
    {
        if (cd)
            CloseCDHandle(cd);
    }

    void insertDisc(std::vector<uint64_t> trackBytes, bool dataTrack = false)
    {
        discSpec.trackBytes = std::move(trackBytes);
        discSpec.dataTrack = dataTrack;
        layout = discimage::writeDisc(QDir(folders.paths.discsDir()).filePath("disc").toStdString(), discSpec);
        GETCDHAND request{};
        request.size = sizeof request;
        request.ver = 1;
        cd = GetCDHandle(&request);
        ASSERT_NE(cd, 0u);
    }

    TrackRipResult rip(int track, AudioSink& sink, TrackRipper::Options options = {})
    {
        return ripper.RipTrack(cd, track, QStringLiteral("1, 2, 3"), sink, options);
    }

    QString out(const QString& name) const { return folders.output + '/' + name; }

    QByteArray pcm(int track) const
    {
        const std::vector<uint8_t> bytes = discimage::trackPcm(discSpec, track);
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    }

    test::ProgramFolders folders;  // the library reads discs from its Discs/
    discimage::DiscSpec discSpec;
    discimage::DiscLayout layout;
    HCDROM cd = 0;
    qint64 now = 500000;
    BatchFigures figures;
    TimeFigures timeFigures{figures, [this] { return now; }};
    RecordingObserver observer;
    TrackRipper ripper{figures, timeFigures, observer,
                       {"Grabbing track", "File", "of", "Read error", "Grabbing has been aborted"}};
};

TEST_F(TrackRipperTest, ReadsBlocksOf26AndWritesTheTrackByteForByte)
{
    // Track 2 has 26 × 4 + 5 sectors; track 1 ends inside its last sector.
    insertDisc({3 * kSector + 10, (26 * 4 + 5) * kSector, 40 * kSector});

    BlockRecordingSink sink(out("02 - Two.wav"));
    figures.grabTimes.set(2, 77); // left from an earlier rip, replaced
    const TrackRipResult r = rip(2, sink);

    EXPECT_EQ(r.outcome, Outcome::Ripped);
    EXPECT_EQ(sink.announced, quint64(109 * kSector));
    EXPECT_EQ(sink.blocks, (QList<qsizetype>{kBlock, kBlock, kBlock, kBlock, 5 * kSector}));
    EXPECT_EQ(sink.ends, QList<AudioSink::End>{AudioSink::End::Complete});

    expectWav(out("02 - Two.wav"), pcm(2));

    // The progress window: ReadingSector before each read, gauge by 26.
    EXPECT_EQ(observer.reads, (QList<std::pair<qint64, qint64>>{{0, 26}, {26, 52}, {52, 78}, {78, 104}, {104, 130}}));
    EXPECT_EQ(observer.titles, (QStringList{"Trackmill 0% / 0%", "Trackmill 23% / 0%", "Trackmill 47% / 0%",
                                            "Trackmill 71% / 0%", "Trackmill 95% / 0%"}));
    EXPECT_EQ(observer.states, QStringList{"Grabbing track: 2  (File 1 of 3)  [1, 2, 3]"});

    // Times: one second per read; the estimate follows the share read
    // before the previous read (23 % after 2 s: 8.695 s).
    ASSERT_EQ(observer.times.size(), 5);
    EXPECT_FALSE(observer.times[1].hasEstimate);
    EXPECT_EQ(observer.times[2].estimate + " " + observer.times[2].remaining, "00:00:08 00:00:06");

    // The end of the track: grab time of the last time routine call.
    EXPECT_EQ(r.information, " OK 00:00:04");
    EXPECT_EQ(figures.grabTimes.at(2), 4000);
    EXPECT_EQ(observer.ended, (QList<std::pair<qint64, QString>>{{109, "00:00:04"}}));
    EXPECT_EQ(observer.logs, QStringList{"Track ripped!"});
    EXPECT_FALSE(figures.ripError);

    // A track that ends inside its last sector is ripped with the padding
    // a burner writes; the second track of the batch counts as file 2.
    WavFileSink first(out("01.wav"));
    EXPECT_EQ(rip(1, first).outcome, Outcome::Ripped);
    expectWav(out("01.wav"), pcm(1) + QByteArray(kSector - 10, '\0'));
    EXPECT_EQ(observer.states.last(), "Grabbing track: 1  (File 2 of 3)  [1, 2, 3]");
}

TEST_F(TrackRipperTest, AbortLeavesAValidShorterFile)
{
    insertDisc({100 * kSector, 200 * kSector});
    figures.abort = true; // left from the previous batch: cleared at the start

    observer.abortAfterReads = 2;
    BlockRecordingSink sink(out("02.wav"));
    const TrackRipResult r = rip(2, sink);

    EXPECT_EQ(r.outcome, Outcome::Aborted);
    EXPECT_EQ(r.information, "Grabbing has been aborted");
    EXPECT_EQ(sink.blocks.size(), 2); // polled before the third read
    EXPECT_EQ(sink.ends, QList<AudioSink::End>{AudioSink::End::Aborted});
    EXPECT_FALSE(figures.ripError);
    EXPECT_EQ(observer.logs, QStringList{"Track ripped!"});
    // The header tells the truth about the 52 sectors behind it.
    expectWav(out("02.wav"), pcm(2).left(2 * kBlock));
}

TEST_F(TrackRipperTest, ReadFaultsStopTheTrackWithTheirTexts)
{
    insertDisc({100 * kSector, 80 * kSector});

    const QString aspi2or3 =
        "Could not load ASPI function GetASPI32SupportInfo. Only occurs when an ASPI manager (WNASPI32.DLL)\n"
        "is found, but cannot be correctly loaded by the system. Most often indicates that ASPI is "
        "improperly installed.\nAKRIP32.DLL Error code = ";
    struct Case
    {
        DWORD status;
        QString box;
        QString information;
        QStringList logs;
    };
    const Case cases[] = {
        {SS_ABORTED, aspi2or3 + "2", "", {}},
        {SS_ABORT_FAIL, aspi2or3 + "3", "", {}},
        {SS_ERR, "An error was returned by the ASPI manager\nAKRIP32.DLL Read error: 4", "Read error: 4",
         {"Error! Status = 4"}},
        {SS_INVALID_SRB, "AKRIP32.DLL Error code = 224", "", {}},
        {SS_NO_ADAPTERS, "AKRIP32.DLL Error code = 232", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        observer.logs.clear();
        // Track 2 starts at sector 100; the third read (52..77) hits 160.
        AkripTestFailReads(160, c.status);
        BlockRecordingSink sink(out("02.wav"));
        const TrackRipResult r = rip(2, sink);

        EXPECT_EQ(r.outcome, Outcome::ReadFailed);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.errorText, c.box);
        EXPECT_EQ(r.information, c.information);
        EXPECT_EQ(observer.logs, c.logs); // no "Track ripped!"
        EXPECT_TRUE(figures.ripError);
        EXPECT_FALSE(figures.busy);
        EXPECT_EQ(sink.blocks.size(), 2);
        EXPECT_EQ(sink.ends, QList<AudioSink::End>{AudioSink::End::Failed});

        // What was read stays, in a file whose header says so.
        expectWav(out("02.wav"), pcm(2).left(2 * kBlock));
    }
}

TEST_F(TrackRipperTest, TrackBeforeADataSessionAcceptsStatus4)
{
    insertDisc({30 * kSector, 60 * kSector}, true);

    // Without faults the last audio track is read to its exact end: the
    // session gap is taken off its length.
    WavFileSink whole(out("02.wav"));
    TrackRipResult r = rip(2, whole);
    EXPECT_EQ(r.outcome, Outcome::Ripped);
    EXPECT_EQ(r.totalSectors, 60);
    expectWav(out("02.wav"), pcm(2));

    // The drive reports status 4 from sector 30 + 40 on: those reads count
    // as done, the track is complete, the file holds what came back.
    AkripTestFailReads(70, SS_ERR);
    BlockRecordingSink sink(out("02b.wav"));
    r = rip(2, sink);
    EXPECT_EQ(r.outcome, Outcome::Ripped);
    EXPECT_EQ(r.information.left(4), " OK ");
    EXPECT_FALSE(figures.ripError);
    EXPECT_EQ(observer.reads.size(), 3 + 3);
    expectWav(out("02b.wav"), pcm(2).left(kBlock));

    // Only status 4, and only on that track.
    AkripTestFailReads(70, SS_ABORTED);
    WavFileSink other(out("02c.wav"));
    EXPECT_EQ(rip(2, other).outcome, Outcome::ReadFailed);
    AkripTestFailReads(10, SS_ERR);
    WavFileSink first(out("01.wav"));
    EXPECT_EQ(rip(1, first).outcome, Outcome::ReadFailed);
}

TEST_F(TrackRipperTest, NoDiscOrNoTrackIsAFailureAndWritesNothing)
{
    insertDisc({30 * kSector, 30 * kSector});

    WavFileSink notOnDisc(out("05.wav"));
    TrackRipResult r = rip(5, notOnDisc);
    EXPECT_EQ(r.outcome, Outcome::TocUnreadable);
    EXPECT_EQ(r.errorText, "Track 5 is not in the table of contents of the disc.");
    EXPECT_TRUE(figures.ripError);
    EXPECT_FALSE(figures.busy);

    // The disc is taken out after the handle was opened.
    QFile::remove(QString::fromStdString(layout.binPath));
    QFile::remove(QString::fromStdString(layout.cuePath));
    WavFileSink gone(out("01.wav"));
    r = rip(1, gone);
    EXPECT_EQ(r.outcome, Outcome::TocUnreadable);
    EXPECT_EQ(r.errorText, "The table of contents of the disc could not be read.\nAKRIP32.DLL Error code = 4");
    EXPECT_NE(r.information.left(4), " OK ");
    EXPECT_TRUE(figures.ripError);

    WavFileSink noHandle(out("01.wav"));
    r = ripper.RipTrack(0, 1, QString(), noHandle, {});
    EXPECT_EQ(r.outcome, Outcome::NoHandle);
    EXPECT_TRUE(r.failed());

    EXPECT_TRUE(QDir(folders.output).isEmpty());
    EXPECT_TRUE(observer.reads.isEmpty());
}

TEST_F(TrackRipperTest, OutputThatCannotBeWrittenIsAnErrorNamingPathAndReason)
{
    insertDisc({60 * kSector, 60 * kSector});

    // Track 1 of the batch is ripped; the failures below leave it alone.
    WavFileSink done(out("01.wav"));
    ASSERT_EQ(rip(1, done).outcome, Outcome::Ripped);
    const QByteArray ripped = readFile(out("01.wav"));
    QFile blocker(out("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    const std::pair<QString, QString> cases[] = {
        {out("missing/02.wav"), "No such file or directory"},
        {out("file/02.wav"), "Not a directory"},
        {"/dev/full", "No space left on device"},
    };
    for (const auto& [path, reason] : cases) {
        SCOPED_TRACE(path.toStdString());
        observer.reads.clear();
        WavFileSink sink(path);
        const TrackRipResult r = rip(2, sink);
        EXPECT_EQ(r.outcome, Outcome::OutputFailed);
        EXPECT_EQ(r.errorText, path + ": " + reason);
        EXPECT_TRUE(figures.ripError);
        EXPECT_FALSE(figures.busy);
        EXPECT_TRUE(observer.reads.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(out("missing")));
    EXPECT_EQ(readFile(out("01.wav")), ripped);
}

TEST_F(TrackRipperTest, WriteFailingMidwayKeepsAValidFile)
{
    insertDisc({100 * kSector});

    // A file size limit lets the file grow to the header, two blocks and
    // 1000 bytes of the third; the system then refuses with EFBIG.
    const rlim_t limit = 44 + 2 * kBlock + 1000;
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = limit;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    WavFileSink sink(out("01.wav"));
    const TrackRipResult r = rip(1, sink);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(r.outcome, Outcome::OutputFailed);
    EXPECT_EQ(r.errorText, out("01.wav") + ": File too large");
    EXPECT_TRUE(figures.ripError);
    EXPECT_EQ(observer.reads.size(), 2);
    EXPECT_EQ(sink.bytesWritten(), quint64(2 * kBlock + 1000));

    // Every byte that reached the file is audio of the track, announced by
    // its header (whole sample frames).
    expectWav(out("01.wav"), pcm(1).left(2 * kBlock + 1000));
}

}
