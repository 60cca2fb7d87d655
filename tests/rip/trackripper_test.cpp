// SPDX-License-Identifier: GPL-2.0-or-later
// The WAV header, the time figures, and the track ripper against generated
// disc images.
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
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sndfile.h>

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

// A different byte at each position, so a shifted copy shows.
QByteArray audio(int bytes)
{
    QByteArray a(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        a[i] = char(i * 7 + 3);
    return a;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
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

// What the ripper shows, and the clock: each read takes a second.
struct RecordingObserver : RipObserver
{
    qint64 now = 500000;
    QStringList logs;
    QList<std::pair<qint64, qint64>> reads;  // ReadingSector, gauge position

    void sectorsRead(qint64 reading, qint64 gauge) override { reads.append({reading, gauge}); }
    void processEvents() override { now += 1000; }
    void log(const QString& line) override { logs << line; }
};

class TrackRipperTest : public ::testing::Test
{
protected:
    void SetUp() override { figures.selectedCount = 3; }
    void TearDown() override { CloseCDHandle(cd); }

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

    TrackRipResult rip(int track, const QString& name)
    {
        WavFileSink sink(out(name));
        return ripper.RipTrack(cd, track, QStringLiteral("1, 2, 3"), sink, {});
    }

    QString out(const QString& name) const { return name.startsWith('/') ? name : folders.output + '/' + name; }

    QByteArray pcm(int track) const
    {
        const std::vector<uint8_t> bytes = discimage::trackPcm(discSpec, track);
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    }

    test::ProgramFolders folders;  // the library reads discs from its Discs/
    discimage::DiscSpec discSpec;
    discimage::DiscLayout layout;
    HCDROM cd = 0;
    BatchFigures figures;
    RecordingObserver observer;
    TimeFigures timeFigures{figures, [this] { return observer.now; }};
    TrackRipper ripper{figures, timeFigures, observer,
                       {"Grabbing track", "File", "of", "Read error", "Grabbing has been aborted"}};
};

TEST(WavHeader, GoldenBytes)
{
    const std::pair<std::uint32_t, const char*> cases[] = {
        // One read of 26 sectors: 61152 bytes, RIFF size 61188.
        {26 * kSector, "52494646 04ef0000 57415645 666d7420 10000000 0100 0200 44ac0000 10b10200 0400 1000 "
                       "64617461 e0ee0000"},
        // The RIFF size cannot pass 32 bits.
        {0xFFFFFFF0u, "52494646 ffffffff 57415645 666d7420 10000000 0100 0200 44ac0000 10b10200 0400 1000 "
                      "64617461 f0ffffff"},
    };
    for (const auto& [data, golden] : cases)
        EXPECT_EQ(WavHeader::build(data).toHex(), QByteArray(golden).replace(' ', "")) << data;
}

TEST(WavSizeFix, HeaderTellsWhatIsInTheFile)
{
    const struct
    {
        int announced;  // data size the header was written with
        int written;    // audio bytes actually behind it
        int expected;   // data size after the fix
    } cases[] = {
        {10 * kSector, 3 * kSector, 3 * kSector},           // aborted
        {4 * kSector, 4 * kSector, 4 * kSector},            // complete: unchanged
        {26 * kSector, 0, 0},                               // nothing read
        {10 * kSector, 2 * kSector + 3, 2 * kSector},       // half a frame dropped
        {1 * kSector, 2 * kSector, 2 * kSector},            // more than announced
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("03_-_Track.wav"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        const QByteArray pcm = audio(c.written);
        ASSERT_TRUE(writeFile(path, WavHeader::build(std::uint32_t(c.announced)) + pcm));
        QString error;
        ASSERT_TRUE(WavHeader::fixSizes(path, &error)) << error.toStdString();
        // Byte for byte: the header of the bytes kept, then those bytes unchanged.
        EXPECT_EQ(readFile(path).toHex(), (WavHeader::build(std::uint32_t(c.expected)) + pcm.left(c.expected)).toHex());

        // And an independent reader agrees.
        SF_INFO info{};
        SNDFILE* sf = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
        ASSERT_NE(sf, nullptr) << sf_strerror(nullptr);
        EXPECT_EQ(info.frames, sf_count_t(c.expected / 4));
        sf_close(sf);
    }
}

TEST(WavSizeFix, LeavesOtherFilesAlone)
{
    QTemporaryDir dir;
    QByteArray foreignHeader = WavHeader::build(8);
    foreignHeader.replace(36, 4, "LIST");  // another chunk where our data chunk sits
    const std::pair<const char*, QByteArray> cases[] = {
        {"song.mp3", QByteArray("ID3\x03\0\0\0\0\0\0", 10) + audio(100)},
        {"other-layout.wav", foreignHeader + audio(8)},
        {"missing.wav", QByteArray()},  // not created
    };
    for (const auto& [name, bytes] : cases) {
        const QString path = dir.filePath(QString::fromUtf8(name));
        ASSERT_TRUE(bytes.isEmpty() || writeFile(path, bytes));
        QString error;
        EXPECT_FALSE(WavHeader::fixSizes(path, &error)) << name;
        EXPECT_TRUE(error.startsWith(path)) << error.toStdString();
        EXPECT_EQ(readFile(path), bytes) << name;
        EXPECT_EQ(QFile::exists(path), !bytes.isEmpty()) << name;
    }
}

TEST(TimeFigures, FormatTimeAndTheGrabbingTimeOfTheGrid)
{
    const std::pair<qint64, const char*> cases[] = {
        {999, "00:00:00"}, {3723000, "01:02:03"}, {100LL * 3600000, "100:00:00"}, {-5000, "00:00:00"}};
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(TimeFigures::FormatTime(ms), QString::fromLatin1(text)) << ms;

    GrabTimeTable table;
    table.set(1, 61000);
    table.set(3, 3600000);
    table.set(250, 2000);  // beyond the old fixed table of 200 slots
    table.set(0, 999999);  // no track 0
    // RowCount counts the header row: tracks 1 to RowCount - 1.
    EXPECT_EQ(TimeFigures::GrabbingTime("Grabbing", table, 3), "Grabbing: 00:01:01");
    EXPECT_EQ(TimeFigures::GrabbingTime("Grabbing", table, 251), "Grabbing: 01:01:03");
}

TEST_F(TrackRipperTest, ReadsBlocksOf26AndWritesTheTrackByteForByte)
{
    // Track 2 has 26 × 4 + 5 sectors; track 1 ends inside its last sector.
    insertDisc({3 * kSector + 10, (26 * 4 + 5) * kSector, 40 * kSector});
    figures.grabTimes.set(2, 77);  // left from an earlier rip, replaced
    const TrackRipResult r = rip(2, "02 - Two.wav");

    EXPECT_EQ(r.outcome, Outcome::Ripped);
    expectWav(out("02 - Two.wav"), pcm(2));
    // The progress window: ReadingSector before each read, gauge by 26.
    EXPECT_EQ(observer.reads, (QList<std::pair<qint64, qint64>>{{0, 26}, {26, 52}, {52, 78}, {78, 104}, {104, 130}}));
    // One second per read: the grab time of the last time routine call.
    EXPECT_EQ(r.information, " OK 00:00:04");
    EXPECT_EQ(figures.grabTimes.at(2), 4000);
    EXPECT_EQ(observer.logs, QStringList{"Track ripped!"});

    // A track that ends inside its last sector is ripped with the padding
    // a burner writes.
    EXPECT_EQ(rip(1, "01.wav").outcome, Outcome::Ripped);
    expectWav(out("01.wav"), pcm(1) + QByteArray(kSector - 10, '\0'));
}

TEST_F(TrackRipperTest, ReadFaultsStopTheTrackWithTheirTexts)
{
    insertDisc({100 * kSector, 80 * kSector});
    const struct
    {
        DWORD status;
        QString box, information;
    } cases[] = {
        {SS_ABORTED,
         "Could not load ASPI function GetASPI32SupportInfo. Only occurs when an ASPI manager (WNASPI32.DLL)\n"
         "is found, but cannot be correctly loaded by the system. Most often indicates that ASPI is "
         "improperly installed.\nAKRIP32.DLL Error code = 2",
         ""},
        {SS_ERR, "An error was returned by the ASPI manager\nAKRIP32.DLL Read error: 4", "Read error: 4"},
        {SS_INVALID_SRB, "AKRIP32.DLL Error code = 224", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        observer.logs.clear();
        // Track 2 starts at sector 100; the third read (52..77) hits 160.
        AkripTestFailReads(160, c.status);
        const TrackRipResult r = rip(2, "02.wav");

        EXPECT_EQ(r.outcome, Outcome::ReadFailed);
        EXPECT_EQ(r.errorText, c.box);
        EXPECT_EQ(r.information, c.information);
        EXPECT_FALSE(observer.logs.contains("Track ripped!"));
        EXPECT_TRUE(figures.ripError);
        EXPECT_FALSE(figures.busy);
        // What was read stays, in a file whose header says so.
        expectWav(out("02.wav"), pcm(2).left(2 * kBlock));
    }
    AkripTestFailReads(0, 0);
}

TEST_F(TrackRipperTest, TrackBeforeADataSessionAcceptsStatus4)
{
    insertDisc({30 * kSector, 60 * kSector}, true);

    // Without faults the last audio track is read to its exact end: the
    // session gap is taken off its length.
    TrackRipResult r = rip(2, "02.wav");
    EXPECT_EQ(r.totalSectors, 60);
    expectWav(out("02.wav"), pcm(2));

    // Status 4 from sector 30 + 40 on: those reads count as done, the
    // track is complete, the file holds what came back.
    AkripTestFailReads(70, SS_ERR);
    r = rip(2, "02b.wav");
    EXPECT_EQ(r.outcome, Outcome::Ripped);
    EXPECT_FALSE(figures.ripError);
    EXPECT_EQ(observer.reads.size(), 3 + 3);
    expectWav(out("02b.wav"), pcm(2).left(kBlock));

    // Only status 4, and only on that track.
    AkripTestFailReads(70, SS_ABORTED);
    EXPECT_EQ(rip(2, "02c.wav").outcome, Outcome::ReadFailed);
    AkripTestFailReads(10, SS_ERR);
    EXPECT_EQ(rip(1, "01.wav").outcome, Outcome::ReadFailed);
    AkripTestFailReads(0, 0);
}

// Failures before the first read write nothing; a failing output names its path and reason.
TEST_F(TrackRipperTest, NoTrackNoHandleOrNoOutputIsAFailure)
{
    insertDisc({100 * kSector, 60 * kSector});
    EXPECT_EQ(rip(5, "05.wav").errorText, "Track 5 is not in the table of contents of the disc.");
    WavFileSink noHandle(out("01.wav"));
    EXPECT_EQ(ripper.RipTrack(0, 1, QString(), noHandle, {}).outcome, Outcome::NoHandle);
    EXPECT_TRUE(QDir(folders.output).isEmpty());

    TrackRipResult r = rip(2, "/dev/full");
    EXPECT_EQ(r.outcome, Outcome::OutputFailed);
    EXPECT_EQ(r.errorText, "/dev/full: No space left on device");
    EXPECT_TRUE(figures.ripError);
    EXPECT_TRUE(observer.reads.isEmpty());

    // A file size limit lets the file grow to the header, two blocks and
    // 1000 bytes of the third; the system then refuses with EFBIG.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 44 + 2 * kBlock + 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    r = rip(1, "01.wav");
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(r.outcome, Outcome::OutputFailed);
    EXPECT_EQ(r.errorText, out("01.wav") + ": File too large");
    // Every byte that reached the file is audio of the track, announced by
    // its header (whole sample frames).
    expectWav(out("01.wav"), pcm(1).left(2 * kBlock + 1000));
}

}
