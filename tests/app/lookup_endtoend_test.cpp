// SPDX-License-Identifier: GPL-2.0-or-later
// Names that arrive, through the whole program: a CD-TEXT image at
// start-up, a MusicBrainz lookup against a local web server with canned
// answers (one release, a choice of two, none, a server down or silent),
// and the MP3 files ripped afterwards with their names, year, disc number
// and cover, read back by TagLib.
#include "app/mainwindow.h"
#include "app/trackmillapp.h"
#include "cd/cddrives.h"
#include "cd/tracklist.h"
#include "encoder/trackencoder.h"
#include "metadata/cdplayerdatabase.h"
#include "metadata/cdplayernames.h"
#include "metadata/discnames.h"
#include "metadata/freedbwindow.h"
#include "metadata/musicbrainzdiscid.h"
#include "platform/inifile.h"
#include "rip/riprun.h"
#include "settings/settings.h"
#include "tags/tageditorwindow.h"
#include "tags/tagfields.h"

#include "akrip32_testing.h"
#include "discimage.h"
#include "fakedesktopshell.h"
#include "httpserver.h"
#include "jpegfixture.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <attachedpictureframe.h>
#include <id3v1tag.h>
#include <id3v2tag.h>
#include <mpegfile.h>

#include <memory>

using namespace trackmill;

namespace {

struct Release
{
    QString id;
    QString artist;
    QString album;
    QString date;
    QString country;
    QStringList titles;
    int position = 1;  // of the disc among the release's media
    int media = 1;
    bool front = false;
};

// A disc document as the web service sends it for a disc id hit.
QByteArray discDocument(const QString& discId, const QList<Release>& releases)
{
    QJsonArray list;
    for (const Release& r : releases) {
        QJsonArray media;
        for (int m = 1; m <= r.media; ++m) {
            QJsonArray tracks;
            for (int t = 0; t < r.titles.size(); ++t)
                tracks.append(QJsonObject{{"position", t + 1}, {"number", QString::number(t + 1)},
                                          {"title", m == r.position ? r.titles[t] : QStringLiteral("Other %1").arg(t)}});
            media.append(QJsonObject{{"position", m}, {"format", "CD"},
                                     {"discs", QJsonArray{QJsonObject{{"id", m == r.position ? discId : "x"}}}},
                                     {"tracks", tracks}});
        }
        list.append(QJsonObject{{"id", r.id}, {"title", r.album}, {"date", r.date}, {"country", r.country},
                                {"artist-credit", QJsonArray{QJsonObject{{"name", r.artist}, {"joinphrase", ""}}}},
                                {"cover-art-archive", QJsonObject{{"front", r.front}}}, {"media", media}});
    }
    return QJsonDocument(QJsonObject{{"id", discId}, {"offsets", QJsonArray{}}, {"releases", list}}).toJson();
}

class LookupEndToEnd : public ::testing::Test
{
protected:
    LookupEndToEnd()
    {
        folders.copyLanguages(QStringLiteral(TRACKMILL_BIN_DIR "/Languages"));
        QFile::copy(QStringLiteral(TRACKMILL_DEFAULT_INI), paths.settingsFile());
        QFile(paths.settingsFile()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        IniFile settings(paths.settingsFile());
        settings.writeString("MAIN", "AUTO_CONNECT_FREEDB", "0");
        settings.writeString("MAIN", "ON_THE_FLY_ENCODING", "0");
        settings.writeString("MAIN", "DIRECTORYMP3", QFile::encodeName(folders.output + '/'));
        // Lookups go to the local web server, MusicBrainz first.
        settings.writeString("LOOKUP", "SOURCE", "1");
        settings.writeString("LOOKUP", "MUSICBRAINZ_SERVER", web.url().c_str());
        settings.writeString("LOOKUP", "COVER_ART_SERVER", (web.url() + "/caa").c_str());
    }
    ~LookupEndToEnd() override { app.reset(); }

    void start(int timeLimitMs = 5000)
    {
        // No CDDB server: port 9 of the loopback, where nothing answers.
        app = std::make_unique<TrackmillApp>(TrackmillApp::Services{
            boxes, system, shell, paths, false, false, FreedbServer{"127.0.0.1", 9, timeLimitMs}});
    }
    QString discId()
    {
        TOC toc;
        EXPECT_TRUE(app->drives().readToc(toc, 0));
        return musicBrainzDiscId(*musicBrainzToc(toc)).value_or(QString());
    }
    // Opens the lookup window as the FreeDB button does, runs `inside`, closes it.
    void inLookupWindow(const std::function<void(TForm7&)>& inside)
    {
        QTimer::singleShot(0, [this, inside] {
            inside(app->form7());
            app->form7().reject();
        });
        app->form1().findChild<QToolButton*>(QStringLiteral("FreeDB"))->click();
    }
    void connect() { app->form7().findChild<QPushButton*>(QStringLiteral("BtnConnect"))->click(); }
    QStringList gridNames()
    {
        QStringList names;
        for (int r = 1; r < app->tracks().RowCount(); ++r)
            names.append(app->tracks().trackName(r));
        return names;
    }
    QString tagField(const char* name) { return app->form4().findChild<QLineEdit*>(QLatin1String(name))->text(); }
    void runMp3()
    {
        app->form1().findChild<QToolButton*>(QStringLiteral("MP3"))->click();
        EXPECT_TRUE(QTest::qWaitFor([this] { return !app->ripRun().running() && !app->encoder()->isEncoding(); },
                                    60000));
    }

    test::ProgramFolders folders;
    AppPaths& paths = folders.paths;
    test::RecordingMessageBoxes boxes;
    test::RecordingSystemServices system;
    test::FakeDesktopShell shell;
    test::HttpServer web;
    std::unique_ptr<TrackmillApp> app;
};

TEST_F(LookupEndToEnd, ACdTextImageNamesItselfAtStartUpAndInBothTags)
{
    discimage::DiscSpec disc;
    disc.trackBytes = {3 * discimage::kBytesPerSecond, 2 * discimage::kBytesPerSecond};
    disc.title = "Text Album";
    disc.performer = "Text Band";
    disc.trackTitles = {"Opening", "Closing"};
    discimage::writeDisc((paths.discsDir() + "/text").toStdString(), disc);
    IniFile(paths.settingsFile()).writeString("MAIN", "SELECTALL", "1");
    start();

    EXPECT_EQ(app->form1().artist() + "/" + app->form1().album(), "Text Band/Text Album");
    EXPECT_EQ(gridNames(), (QStringList{"Opening", "Closing"}));
    EXPECT_EQ(tagField("Artist2") + "/" + tagField("Album"), "Text Band/Text Album");
    EXPECT_EQ(web.requestCount(), 0) << "no lookup";

    runMp3();
    const QString path = folders.output + "/Text Band/Text Album/01 - Opening.mp3";
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    ASSERT_TRUE(file.ID3v1Tag() && file.ID3v2Tag()) << path.toStdString();
    for (TagLib::Tag* tag : {static_cast<TagLib::Tag*>(file.ID3v1Tag()), static_cast<TagLib::Tag*>(file.ID3v2Tag())}) {
        EXPECT_EQ(tag->title().to8Bit(true), "Opening");
        EXPECT_EQ(tag->artist().to8Bit(true), "Text Band");
        EXPECT_EQ(tag->album().to8Bit(true), "Text Album");
    }
}

TEST_F(LookupEndToEnd, AReleaseNamesTheDiscWithYearDiscNumberAndCoverIntoTheTags)
{
    folders.writeDisc("disc", {3, 2});
    IniFile(paths.settingsFile()).writeString("LOOKUP", "CD_NUMBER_FOLDER", "1");
    start();
    const QByteArray cover = test::noiseJpeg(60, 60);
    const QString release = "0b1c2d3e-0000-4000-8000-000000000001";
    web.answer("/ws/2/discid/" + discId().toStdString(),
               {200, discDocument(discId(), {{release, "MB Artist", "MB Album", "2004-03-01", "GB",
                                              {"First", "Second"}, 2, 2, true}}).toStdString()});
    web.redirect(("/caa/release/" + release + "/front-500").toStdString(), "/pictures/front.jpg");
    web.answer("/pictures/front.jpg", {200, cover.toStdString(), "image/jpeg"});

    inLookupWindow([this](TForm7& window) {
        EXPECT_EQ(window.findChild<QComboBox*>(QStringLiteral("Cmb_Source"))->currentIndex(), 1);
        connect();
        EXPECT_EQ(window.status(), app->languageTexts().freedbFound);
        EXPECT_FALSE(window.findChild<QLabel*>(QStringLiteral("CoverImage"))->pixmap().isNull());
        EXPECT_FALSE(window.findChild<QTreeWidget*>(QStringLiteral("Candidates"))->isVisibleTo(&window))
            << "one release is taken at once";
    });
    EXPECT_EQ(app->form1().artist() + "/" + app->form1().album(), "MB Artist/MB Album");
    EXPECT_EQ(gridNames(), (QStringList{"First", "Second"}));
    EXPECT_EQ(tagField("Year2"), "2004");
    EXPECT_EQ(app->discNames().discNumber() * 10 + app->discNames().discCount(), 22);
    EXPECT_EQ(app->discNames().cover().data, cover);
    EXPECT_FALSE(app->form4().findChild<QLabel*>(QStringLiteral("CoverPicture"))->pixmap().isNull());
    // Stored like a CDDB entry (AUTO_STORE_CDPLAYER_INI is on): the next
    // start knows the disc without a lookup.
    EXPECT_TRUE(CdPlayerDatabase(paths.cdPlayerIni()).isKnown(*CdPlayerNames::GetCD_ID_Audio(app->drives())));
    const auto requests = web.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_TRUE(QString::fromStdString(requests[0].userAgent).startsWith("Trackmill/"));

    app->tracks().CheckOrNotAllTracks(app->tracks().RowCount() - 1, QLatin1Char('1'));
    runMp3();
    const QString album = folders.output + "/MB Artist/MB Album/";
    EXPECT_EQ(QDir(album).entryList(QDir::Files), QStringList{"cover.jpg"});
    QFile saved(album + "cover.jpg");
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), cover);
    const QString path = album + "CD 2/02 - Second.mp3";
    TagLib::MPEG::File file(QFile::encodeName(path).constData());
    ASSERT_TRUE(file.ID3v2Tag()) << path.toStdString();
    const auto& frames = file.ID3v2Tag()->frameListMap();
    ASSERT_FALSE(frames["TPOS"].isEmpty());
    EXPECT_EQ(frames["TPOS"].front()->toString().to8Bit(), "2/2");
    ASSERT_FALSE(frames["APIC"].isEmpty());
    const auto* apic = dynamic_cast<TagLib::ID3v2::AttachedPictureFrame*>(frames["APIC"].front());
    ASSERT_NE(apic, nullptr);
    EXPECT_EQ(QByteArray(apic->picture().data(), int(apic->picture().size())), cover);
    EXPECT_EQ(file.ID3v2Tag()->year(), 2004u);
}

TEST_F(LookupEndToEnd, TwoReleasesAreTheUsersChoice)
{
    folders.writeDisc("disc", {3, 2});
    start();
    web.answer("/ws/2/discid/" + discId().toStdString(),
               {200, discDocument(discId(), {{"0b1c2d3e-0000-4000-8000-00000000000a", "First Artist", "First Album",
                                              "1990", "US", {"A1", "A2"}},
                                             {"0b1c2d3e-0000-4000-8000-00000000000b", "Second Artist", "Second Album",
                                              "2010-05", "JP", {"B1", "B2"}}})
                         .toStdString()});
    inLookupWindow([this](TForm7& window) {
        connect();
        EXPECT_EQ(window.status(), app->languageTexts().lookupChoose);
        auto* list = window.findChild<QTreeWidget*>(QStringLiteral("Candidates"));
        ASSERT_EQ(list->topLevelItemCount(), 2);
        QStringList second;
        for (int column = 0; column < 5; ++column)
            second << list->topLevelItem(1)->text(column);
        EXPECT_EQ(second, (QStringList{"Second Artist", "Second Album", "2010", "JP / CD", "2"}));
        EXPECT_NE(app->form1().artist(), "First Artist") << "nothing taken before the choice";
        list->setCurrentItem(list->topLevelItem(1));
        window.findChild<QPushButton*>(QStringLiteral("BtnUseCandidate"))->click();
        EXPECT_EQ(window.status(), app->languageTexts().freedbFound);
    });
    EXPECT_EQ(app->form1().artist() + "/" + app->form1().album(), "Second Artist/Second Album");
    EXPECT_EQ(gridNames(), (QStringList{"B1", "B2"}));
    EXPECT_EQ(tagField("Year2"), "2010");
    EXPECT_EQ(web.requestCount(), 1) << "no cover asked for a release without one";
}

TEST_F(LookupEndToEnd, NothingFoundChangesNoNameWithinTheTimeLimit)
{
    folders.writeDisc("disc", {3, 2});
    struct Case
    {
        const char* name;
        std::function<void(test::HttpServer&, const std::string& path)> answer;
        QString server;  // empty: the local web server
    };
    const Case cases[] = {
        {"not found", [](test::HttpServer&, const std::string&) {}, {}},
        {"not JSON", [](test::HttpServer& s, const std::string& p) { s.answer(p, {200, "<html>"}); }, {}},
        {"busy twice", [](test::HttpServer& s, const std::string& p) { s.answer(p, {503, "{}"}); }, {}},
        {"silent",
         [](test::HttpServer& s, const std::string& p) {
             test::HttpServer::Answer a;
             a.misbehave = test::HttpServer::Answer::Misbehave::Silent;
             s.answer(p, a);
         },
         {}},
        {"server down", nullptr, QStringLiteral("http://127.0.0.1:9")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.server.isEmpty())
            IniFile(paths.settingsFile()).writeString("LOOKUP", "MUSICBRAINZ_SERVER", c.server.toUtf8());
        start(1500);
        if (c.answer)
            c.answer(web, "/ws/2/discid/" + discId().toStdString());
        app->form1().setArtist(QStringLiteral("Kept"));
        const QStringList before = gridNames();
        QElapsedTimer timer;
        timer.start();
        inLookupWindow([this](TForm7& window) {
            connect();
            EXPECT_EQ(window.status(), app->languageTexts().freedbNotFound);
        });
        EXPECT_LT(timer.elapsed(), 6000);
        EXPECT_EQ(gridNames(), before);
        EXPECT_EQ(app->form1().artist(), "Kept");
        EXPECT_EQ(tagField("Artist"), "Kept");
        EXPECT_TRUE(app->discNames().cover().data.isEmpty());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(boxes.messages.isEmpty());
        app.reset();
    }
}

}
