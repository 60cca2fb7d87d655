// SPDX-License-Identifier: GPL-2.0-or-later
// The FLAC command through the whole program, offscreen, over a generated
// disc: both ways a run goes, the names in the files, aborts, a full disk,
// and WAV files from disk. Every FLAC file is read back by other readers:
// libsndfile decodes it, TagLib reads its comments, libFLAC its metadata.
#include "encoder/trackencoder.h"
#include "metadata/discnames.h"
#include "platform/hiddenlog.h"
#include "tags/tagfields.h"

#include "filesizelimit.h"
#include "flacreading.h"
#include "jpegfixture.h"
#include "programrun.h"
#include "wavfixture.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>

#include <taglib/flacfile.h>
#include <taglib/xiphcomment.h>

#include <cerrno>
#include <cstring>

using namespace trackmill;
using namespace trackmill::test;

namespace {

constexpr int kRate = 44100;

class FlacRunTest : public ProgramRunTest
{
protected:
    // Four tracks of these seconds, 2 and 4 selected, rip then encode,
    // level 5 with verify, the run's WAV files deleted.
    void start(std::vector<int> seconds = {1, 3, 1, 2}, const QString& album = "Live Set")
    {
        std::vector<uint64_t> bytes;
        for (int s : seconds)
            bytes.push_back(quint64(s) * 75 * 2352);
        insertDisc(bytes);
        ProgramRunTest::start(album, {2, 4});
        progressActive = false;
        Settings& s = app->settings();
        s.onTheFly = false;
        s.encodeWavToMp3 = false;
        s.deleteWav = true;
        s.flacCompression = 5;
        s.flacVerify = true;
        albumDir = output + "/The Band/" + album + "/";
        logName = "The Band - " + album + ".log";
    }

    // Presses FLAC and waits until the run has given the program back.
    void runFlac()
    {
        press("FLAC");
        auto busy = [this] { return app->ripRun().running() || app->flacEncoder().isEncoding(); };
        QElapsedTimer timer;
        for (timer.start(); busy() && timer.elapsed() < 60000; QThread::msleep(1))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_FALSE(busy()) << "the run did not end";
        for (timer.start(); timer.elapsed() < 50; QThread::msleep(1))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }

    // The run's log lies beside its files, however the run ended.
    QString logName;
    QString flac(int track) const { return albumDir + QString("0%1 - %2.flac").arg(track).arg(app->tracks().trackName(track)); }
    QStringList everyFile(const QString& dir) const
    {
        return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QByteArray pcm(int track) const
    {
        const std::vector<uint8_t> bytes = discimage::trackPcm(discSpec, track);
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    }

    // The file decodes to exactly these samples, its STREAMINFO holds their
    // MD5 and number, and the metadata blocks are the writer's.
    static void expectAudio(const QString& file, const QByteArray& pcm)
    {
        SCOPED_TRACE(file.toStdString());
        sf_count_t frames = 0;
        const QByteArray samples = decoded(file, &frames);
        EXPECT_EQ(frames, pcm.size() / 4);
        EXPECT_TRUE(samples == pcm) << "the audio differs";
        const Blocks b = blocksOf(file);
        EXPECT_EQ(b.md5, QCryptographicHash::hash(pcm, QCryptographicHash::Md5));
        EXPECT_EQ(b.totalSamples, FLAC__uint64(pcm.size() / 4));
        EXPECT_EQ(b.padding, 8192u);
        EXPECT_FALSE(b.seekPoints.empty());
    }

    // The comments as TagLib reads them, "NAME=value" in file order.
    static QStringList comments(const QString& file)
    {
        TagLib::FLAC::File f(QFile::encodeName(file).constData());
        QStringList out;
        if (!f.xiphComment())
            return out;
        for (const auto& [name, values] : f.xiphComment()->fieldListMap())
            for (const TagLib::String& value : values)
                out << QString::fromStdString(name.to8Bit(true)) + '=' + QString::fromStdString(value.to8Bit(true));
        out.sort();
        return out;
    }

    QString albumDir;
};

// Rip then encode and on the fly give the same files: the track's exact
// samples, its names in the comments (non-Latin text too), nothing else in
// the folder, and the progress window's encoding group speaking of FLAC.
TEST_F(FlacRunTest, BothWaysGiveTheTracksSamplesAndNames)
{
    start({1, 3, 1, 11}, QStringLiteral("Живой звук"));
    app->tracks().setCell(1, 2, QStringLiteral("夜の歌 – שיר"));
    app->tracks().setCell(1, 4, QStringLiteral("Ünïcødé"));
    app->tagFields().setYears("1999");
    QStringList figures;
    QList<bool> toolbarDuringRun;
    onTitle = [&](const QString&) {
        figures << app->form3().Bitrate->text() + '|' + app->form3().Quality->text();
        toolbarDuringRun << app->form1().findChild<QToolButton*>("FLAC")->isEnabled();
    };
    for (bool onTheFly : {false, true}) {
        SCOPED_TRACE(onTheFly);
        app->settings().onTheFly = onTheFly;
        app->settings().flacCompression = onTheFly ? 8 : 5;
        boxes.messages.clear();
        figures.clear();
        // The tag editor's values as the run finds them.
        const TagEditorFields f = app->tagFields().fields();
        runFlac();

        EXPECT_EQ(everyFile(albumDir), (QStringList{QFileInfo(flac(2)).fileName(), QFileInfo(flac(4)).fileName(), logName}))
            << "no WAV, hidden or not, and no temporary file";
        expectAudio(flac(2), pcm(2));
        expectAudio(flac(4), pcm(4));
        // A point at the start, one at the block where the 10th second begins.
        const std::vector<FLAC__uint64> points = blocksOf(flac(4)).seekPoints;
        ASSERT_EQ(points.size(), 2u);
        EXPECT_EQ(points[0], 0u);
        EXPECT_TRUE(points[1] <= 10 * kRate && points[1] > 10 * kRate - 4608) << points[1];
        // The names of the version 2.3 tag; the disc's artist is the
        // track's, so there is no ALBUMARTIST.
        QStringList expected = QStringList{"ALBUM=Живой звук", "ARTIST=The Band", "COMMENT=" + f.comment2,
                                           "COMPOSER=" + f.composer2, "COPYRIGHT=" + f.copyright2, "DATE=1999",
                                           "ENCODER=" + f.encodedBy2, "GENRE=" + f.genre2, "TITLE=夜の歌 – שיר",
                                           "TRACKNUMBER=2", "TRACKTOTAL=4"}
                                   .filter(QRegularExpression("=."));
        expected.sort();
        EXPECT_EQ(comments(flac(2)), expected);
        EXPECT_TRUE(comments(flac(4)).contains("TITLE=Ünïcødé"));
        EXPECT_TRUE(comments(flac(4)).contains("TRACKNUMBER=4"));

        const QString level = onTheFly ? "8" : "5";
        EXPECT_TRUE(figures.contains("Lossless, level " + level + "|Stereo")) << figures.join(' ').toStdString();
        EXPECT_FALSE(toolbarDuringRun.contains(true)) << "no second command while a run goes";
        ASSERT_EQ(boxes.messages.size(), 1);
        EXPECT_EQ(boxes.messages[0].kind, RecordingMessageBoxes::Kind::Information);
        EXPECT_TRUE(boxes.messages[0].text.startsWith(onTheFly ? "  Grabbing finished.  " : "  Grabbing and encoding finished.   "))
            << boxes.messages[0].text.toStdString();
        EXPECT_TRUE(app->tracks().cell(5, 2).startsWith(" OK ")) << app->tracks().cell(5, 2).toStdString();
        expectIdle();
        EXPECT_TRUE(app->form1().findChild<QToolButton*>("FLAC")->isEnabled());
        for (int track : {2, 4})
            QFile::remove(flac(track));
    }
}

// Abort in the middle of a track, either way: no FLAC is left that a
// player would take for the whole track, no WAV of the run either, and the
// next track is not started.
TEST_F(FlacRunTest, AbortLeavesNoFlacThatLooksComplete)
{
    start({1, 20, 1, 2});
    for (bool onTheFly : {false, true}) {
        SCOPED_TRACE(onTheFly);
        app->settings().onTheFly = onTheFly;
        boxes.messages.clear();
        titles().clear();
        onTitle = [this, onTheFly](const QString& title) {
            if (!app->form3().isVisible())
                return;
            // Rip then encode: the encoder's first report; on the fly: a
            // third of the track read and encoded.
            const QRegularExpressionMatch m = QRegularExpression("^Trackmill (\\d+)% / (\\d+)%$").match(title);
            if (m.hasMatch() && (onTheFly ? m.captured(1).toInt() >= 30 : m.captured(1) == "100" && m.captured(2) != "0"))
                app->form3().Abort->click();
        };
        runFlac();
        onTitle = nullptr;
        EXPECT_EQ(everyFile(albumDir), QStringList{logName});
        const QString text = onTheFly ? "Grabbing aborted" : "Encoding aborted";
        EXPECT_EQ(boxes.texts(), QStringList{"  " + text + ".  "});
        EXPECT_EQ(app->tracks().cell(5, 2), text);
        EXPECT_EQ(app->tracks().cell(5, 4), "");
        expectIdle();
    }
}

// A disc of a set with a front cover from a lookup: the FLAC file carries
// the disc number in its comments and the cover as a picture block, as its
// MP3 would in TPOS and APIC.
TEST_F(FlacRunTest, DiscNumberAndCoverOfALookupReachTheFile)
{
    start();
    const QByteArray jpeg = test::noiseJpeg(64, 64);
    app->discNames().setDiscNumber(2, 3);
    app->discNames().setCover(CoverArt{jpeg, "image/jpeg"});
    runFlac();
    // The finish box alone: no tag error.
    ASSERT_EQ(boxes.messages.size(), 1) << boxes.texts().join('|').toStdString();
    for (int track : {2, 4}) {
        SCOPED_TRACE(track);
        const QStringList c = comments(flac(track));
        EXPECT_TRUE(c.contains("DISCNUMBER=2") && c.contains("DISCTOTAL=3")) << c.join('|').toStdString();
        TagLib::FLAC::File f(QFile::encodeName(flac(track)).constData());
        const auto pictures = f.pictureList();
        ASSERT_EQ(pictures.size(), 1u);
        EXPECT_EQ(pictures.front()->type(), TagLib::FLAC::Picture::FrontCover);
        EXPECT_EQ(QByteArray(pictures.front()->data().data(), int(pictures.front()->data().size())), jpeg);
        // The audio is untouched by the picture going in.
        EXPECT_TRUE(decoded(flac(track)) == pcm(track));
    }
}

// A full disk under the FLAC file, either way: after the designed box the
// file and the system's reason; the partial file is gone and the run stops.
// On the fly the reader goes on to the track's end, the blocks dropped.
TEST_F(FlacRunTest, AFullDiskEndsTheRunSaysWhyAndLeavesNoFlac)
{
    start({1, 6, 1, 2});
    app->tracks().setSelection(4, false);
    // Verified reads lay a sparse file the size of the disc into the
    // temporary folder, which the file size limit would refuse as well.
    app->settings().readMode = 1;
    for (bool onTheFly : {false, true}) {
        SCOPED_TRACE(onTheFly);
        app->settings().onTheFly = onTheFly;
        boxes.messages.clear();
        {
            // Rip then encode: room for the run's WAV of the track (test
            // pattern audio does not compress), not for the FLAC file with
            // its padding. On the fly: room for a second.
            FileSizeLimit limit(onTheFly ? 192 * 1024 : rlim_t(discSpec.trackBytes[1] + 2048));
            ASSERT_TRUE(limit.set());
            runFlac();
        }
        const QString text = onTheFly ? "Grabbing aborted" : "Encoding aborted";
        const QString reason = flac(2) + ": " + QString::fromLocal8Bit(strerror(EFBIG));
        EXPECT_EQ(boxes.texts(), QStringList({"  " + text + ".  ", reason}));
        EXPECT_TRUE(app->log().lines().contains(reason));
        EXPECT_EQ(app->tracks().cell(5, 2), text);
        EXPECT_EQ(everyFile(albumDir), QStringList{logName});
        expectIdle();
    }
}

class FlacWavFilesTest : public FlacRunTest
{
protected:
    void SetUp() override
    {
        start();
        app->settings().encodeWavToMp3 = true;
        source = folders.root.filePath("source");
        QDir().mkpath(source);
    }

    // WAV files of CD audio, `seconds` long each; their samples in pcms.
    void chooseFiles(const QList<int>& seconds)
    {
        QStringList files;
        for (int i = 0; i < seconds.size(); ++i) {
            files << source + QString("/take%1.wav").arg(i + 1);
            pcms << makePcm16(long(seconds[i]) * kRate, 2, kRate, unsigned(30 + i));
            ASSERT_TRUE(writeBytes(files.last(), makeWavBytes(pcms.last(), 2, kRate)));
        }
        shell.fileAnswers = {files};
    }

    QString source;
    QList<QByteArray> pcms;
};

// The batch over files from disk to FLAC: each decodes to its source's
// samples, gets no comments (no track to name it), and its source goes
// once it is encoded; the grid is untouched.
TEST_F(FlacWavFilesTest, EncodesEachFileAndDeletesItsSource)
{
    chooseFiles({3, 2});
    runFlac();
    EXPECT_EQ(everyFile(output), (QStringList{"take1.flac", "take2.flac"}));
    EXPECT_EQ(everyFile(source), QStringList{});
    for (int i : {0, 1}) {
        expectAudio(output + QString("/take%1.flac").arg(i + 1), pcms[i]);
        EXPECT_EQ(comments(output + QString("/take%1.flac").arg(i + 1)), QStringList{});
    }
    EXPECT_EQ(states(), (QStringList{"File 1 of 2", "File 2 of 2"}));
    EXPECT_EQ(app->form3().Bitrate->text(), "Lossless, level 5");
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_TRUE(QRegularExpression("^  Encoding finished\\.   \n\n    .+: \\d\\d:\\d\\d:\\d\\d$")
                    .match(boxes.messages[0].text)
                    .hasMatch())
        << boxes.messages[0].text.toStdString();
    EXPECT_EQ(app->tracks().cell(5, 2), "");
    expectIdle();
}

// Abort on the second of three files: the first is done, the second's
// partial FLAC is gone, and both sources not fully encoded stay.
TEST_F(FlacWavFilesTest, AbortOnTheSecondFileKeepsItsSourceAndTheRest)
{
    chooseFiles({2, 20, 2});
    onTitle = [this](const QString& title) {
        if (title.startsWith("Trackmill 0% / ") && title != "Trackmill 0% / 0%"
            && app->form3().State->text() == "File 2 of 3" && app->form3().isVisible())
            app->form3().Abort->click();
    };
    runFlac();
    EXPECT_EQ(everyFile(output), QStringList{"take1.flac"});
    EXPECT_EQ(everyFile(source), (QStringList{"take2.wav", "take3.wav"}));
    expectAudio(output + "/take1.flac", pcms[0]);
    EXPECT_EQ(boxes.texts(), QStringList{"  Encoding aborted.  "});
    EXPECT_EQ(boxes.messages[0].kind, RecordingMessageBoxes::Kind::Warning);
    expectIdle();
}

// The encoder fails on a full disk: the designed abort box, then the file
// and the reason; no FLAC, every source kept. A source that is not CD audio
// is refused with what it is, before anything is written.
TEST_F(FlacWavFilesTest, AFailingEncoderAndAFileThatIsNoCdAudioSayWhy)
{
    chooseFiles({3, 3});
    {
        FileSizeLimit limit(64 * 1024);
        ASSERT_TRUE(limit.set());
        runFlac();
    }
    const QString reason = output + "/take1.flac: " + QString::fromLocal8Bit(strerror(EFBIG));
    EXPECT_EQ(boxes.texts(), QStringList({"  Encoding aborted.  ", reason}));
    EXPECT_EQ(everyFile(output), QStringList{});
    EXPECT_EQ(everyFile(source), (QStringList{"take1.wav", "take2.wav"}));
    expectIdle();

    boxes.messages.clear();
    const QString mono = source + "/mono.wav";
    ASSERT_TRUE(writeBytes(mono, makeWavBytes(makePcm16(kRate, 1, 22050), 1, 22050)));
    shell.fileAnswers = {{mono}};
    runFlac();
    EXPECT_EQ(boxes.texts(), QStringList{mono + ": not 16-bit stereo 44.1 kHz PCM"});
    EXPECT_EQ(boxes.messages[0].kind, RecordingMessageBoxes::Kind::Error);
    EXPECT_EQ(everyFile(output), QStringList{});
    EXPECT_TRUE(QFile::exists(mono));
    EXPECT_TRUE(app->form1().isEnabled());
    EXPECT_FALSE(app->ripRun().running());
}

}
