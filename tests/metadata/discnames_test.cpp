// SPDX-License-Identifier: GPL-2.0-or-later
// Disc names through the whole program: a generated disc image, the local
// CDDB server and recording fakes, driven through the windows by name.
#include "akrip32_testing.h"
#include "app/hiddenlog.h"
#include "app/mainwindow.h"
#include "app/tracklist.h"
#include "app/trackmillapp.h"
#include "cd/cddrives.h"
#include "cddbserver.h"
#include "discimage.h"
#include "fakedesktopshell.h"
#include "metadata/backgroundcddbservice.h"
#include "metadata/cdplayerdatabase.h"
#include "metadata/cdplayernames.h"
#include "metadata/freedbwindow.h"
#include "platform/inifile.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"
#include "settings/settings.h"
#include "settings/settingswindow.h"
#include "tags/tageditorwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>

using namespace trackmill;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

using Server = test::CddbServer;

class DiscNamesTest : public ::testing::Test
{
protected:
    DiscNamesTest()
    {
        // Where the library stores names under option 8, too (the isolated
        // configuration of this process).
        paths.configDir = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Trackmill");
        QFile::remove(paths.cdPlayerIni());
        AkripTestResetCddb();
        AkripTestSetCddbTimeouts(500, 1500);
        // Looked up by the window's Connect only; the other switches stay on.
        IniFile(paths.settingsFile()).writeString("MAIN", "AUTO_CONNECT_FREEDB", "0");
    }
    ~DiscNamesTest() override
    {
        app.reset();
        AkripTestResetCddb();
        QFile::remove(paths.cdPlayerIni());
    }

    void writeDisc(int tracks, bool dataTrack = false)
    {
        discimage::DiscSpec disc;
        for (int i = 0; i < tracks; ++i)
            disc.trackBytes.push_back(uint64_t(3 + i) * discimage::kBytesPerSecond);
        disc.dataTrack = dataTrack;
        discimage::writeDisc((paths.discsDir() + QStringLiteral("/disc")).toStdString(), disc);
    }

    void start(uint16_t port = 0)
    {
        app = std::make_unique<TrackmillApp>(TrackmillApp::Services{
            boxes, system, shell, paths, false, false, {"127.0.0.1", port ? port : server.port()}});
        LanguageTexts& texts = app->languageTexts();
        texts.noDisc = QStringLiteral("No disc");
        texts.freedbFound = QStringLiteral("Found");
        texts.freedbNotFound = QStringLiteral("Not found");
    }

    void answer(const std::string& queryAnswer, const std::vector<std::pair<std::string, std::string>>& entries)
    {
        server.setQueryAnswer(queryAnswer);
        for (const auto& [id, body] : entries)
            server.setReadAnswer(body.substr(4, body.find(' ', 4) - 4), id, body);
    }

    static std::string entry(const std::string& category, const std::string& id, const std::string& dtitle,
                             const std::vector<std::string>& titles)
    {
        std::vector<std::string> lines = {"# xmcd", "DISCID=" + id, "DTITLE=" + dtitle, "DYEAR=1999"};
        for (size_t i = 0; i < titles.size(); ++i)
            lines.push_back("TTITLE" + std::to_string(i) + "=" + titles[i]);
        lines.push_back("EXTD=");
        return Server::entry(category, id, lines);
    }

    void connect() { app->form7().findChild<QPushButton*>(QStringLiteral("BtnConnect"))->click(); }
    QString status() { return app->form7().status(); }
    QStringList gridNames()
    {
        QStringList names;
        for (int r = 1; r < app->tracks().RowCount(); ++r)
            names.append(app->tracks().trackName(r));
        return names;
    }
    QString tagField(const char* name)
    {
        return app->form4().findChild<QLineEdit*>(QString::fromLatin1(name))->text();
    }
    QString edit(const char* name)
    {
        return app->form2().findChild<QLineEdit*>(QString::fromLatin1(name))->text();
    }
    QStringList trackList()
    {
        QStringList names;
        const auto* list = app->form2().findChild<QListWidget*>(QStringLiteral("Tracks"));
        for (int i = 0; i < list->count(); ++i)
            names.append(list->item(i)->text());
        return names;
    }
    QString discId() { return *CdPlayerNames::GetCD_ID_Audio(app->drives()); }

    test::ProgramFolders folders;
    AppPaths& paths = folders.paths;
    test::RecordingMessageBoxes boxes;
    test::RecordingSystemServices system;
    test::FakeDesktopShell shell;
    Server server;
    std::unique_ptr<TrackmillApp> app;
};

TEST_F(DiscNamesTest, LookupNamesTheDiscInEveryWindow)
{
    writeDisc(3);
    // The server answers in windows-1252, as old entries are.
    answer(Server::exactMatch("rock", "1f00b203", "The B\xE4nd / The Album"),
           {{"1f00b203", entry("rock", "1f00b203", "The B\xE4nd / The Album", {"One", "Two", "Three"})}});
    start();
    app->settings().autoStoreCdPlayerIni = false;
    connect();

    const QString band = QString::fromUtf8("The B\xC3\xA4nd");
    EXPECT_EQ(status(), "Found");
    EXPECT_EQ(gridNames(), (QStringList{"One", "Two", "Three"}));
    EXPECT_EQ(app->form1().artist(), band);
    EXPECT_EQ(app->form1().album(), "The Album");
    EXPECT_EQ(QStringList({tagField("Artist"), tagField("Artist2"), edit("Edt_Artist")}), QStringList(3, band));
    EXPECT_EQ(QStringList({tagField("Album"), tagField("Album2"), edit("Edt_Album")}), QStringList(3, "The Album"));
    EXPECT_EQ(edit("CurrentTrack"), "One");
    EXPECT_EQ(trackList(), (QStringList{"One", "Two", "Three"}));

    const QStringList& log = app->log().lines();
    ASSERT_FALSE(log.isEmpty());
    EXPECT_EQ(log.first(), "0: rock 1f00b203 " + band + " / The Album");
    EXPECT_TRUE(log.contains("TTITLE0=One"));
    EXPECT_TRUE(log.contains("TTITLE2=Three"));
    EXPECT_EQ(log.last(), "The following matches were found:");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(boxes.messages.isEmpty());

    // Option 8 off: the library stored nothing (the program stores the
    // names itself later, see EditedNamesAreWhatIsStored).
    EXPECT_FALSE(CdPlayerDatabase(paths.cdPlayerIni()).isKnown(discId()));
}

TEST_F(DiscNamesTest, StoredByTheLibraryAndShownByTheNextStart)
{
    writeDisc(4, true);
    answer(Server::exactMatch("jazz", "2a00c404", "Quartet / Live"),
           {{"2a00c404", entry("jazz", "2a00c404", "Quartet / Live", {"Intro", "Theme", "Solo", "Coda"})}});
    start();
    ASSERT_TRUE(app->settings().autoStoreCdPlayerIni);
    connect();
    ASSERT_EQ(status(), "Found");
    const int requests = server.requestCount();
    // The data track has no entry in the settings window's list.
    EXPECT_EQ(trackList(), (QStringList{"Intro", "Theme", "Solo", "Coda"}));
    ASSERT_TRUE(CdPlayerDatabase(paths.cdPlayerIni()).isKnown(discId()));

    // A new program over the same folders: names without a request.
    app.reset();
    start();
    EXPECT_EQ(server.requestCount(), requests);
    EXPECT_EQ(app->form1().artist(), "Quartet");
    EXPECT_EQ(app->form1().album(), "Live");
    EXPECT_EQ(gridNames(), (QStringList{"Intro", "Theme", "Solo", "Coda", "DataTrack"}));
    EXPECT_EQ(tagField("Artist"), "Quartet");
    EXPECT_EQ(tagField("Year2"), "1999");
    EXPECT_EQ(edit("Edt_Artist"), "Quartet");
    EXPECT_EQ(edit("Edt_Year"), "1999");
    EXPECT_EQ(trackList(), (QStringList{"Intro", "Theme", "Solo", "Coda"}));

    // The refresh reads them again after the grid was rebuilt.
    app->form1().RefreshClick();
    EXPECT_EQ(gridNames().first(), "Intro");
    EXPECT_EQ(app->form1().artist(), "Quartet");
}

TEST_F(DiscNamesTest, SeveralMatchesNameTheDiscFromTheFirst)
{
    struct Case
    {
        const char* name;
        int code;
    };
    for (const Case& c : {Case{"exact", 210}, Case{"inexact", 211}}) {
        SCOPED_TRACE(c.name);
        writeDisc(2);
        answer(Server::matchList(c.code, {"rock 3b000102 First / One", "misc 3b000103 Second / Two"}),
               {{"3b000102", entry("rock", "3b000102", "First / One", {"A1", "A2"})},
                {"3b000103", entry("misc", "3b000103", "Second / Two", {"B1", "B2"})}});
        start();
        app->settings().autoStoreCdPlayerIni = false;
        connect();

        EXPECT_EQ(status(), "Found");
        EXPECT_EQ(app->form1().artist(), "First");
        EXPECT_EQ(app->form1().album(), "One");
        EXPECT_EQ(tagField("Artist2"), "First");
        EXPECT_EQ(gridNames(), (QStringList{"A1", "A2"}));
        EXPECT_TRUE(app->log().lines().contains("1: misc 3b000103 Second / Two"));
        app.reset();
    }
}

TEST_F(DiscNamesTest, NothingFoundChangesNoName)
{
    // The broken answers of every kind are the CDDB client's tests; here
    // the three the user meets most, through the windows.
    const std::pair<const char*, std::function<void(Server&)>> cases[] = {
        {"no match", [](Server& s) { s.setQueryAnswer("202 No match found.\r\n"); }},
        {"silent server", [](Server& s) { s.setBehaviour(Server::Behaviour::Silent); }},
        {"server down", nullptr},
    };
    for (const auto& [name, setUp] : cases) {
        SCOPED_TRACE(name);
        writeDisc(3);
        Server local;
        uint16_t port = local.port();
        if (setUp) {
            setUp(local);
        } else {
            port = std::make_unique<Server>()->port();  // nothing listens there any more
        }
        start(port);
        app->form1().setArtist(QStringLiteral("Kept"));
        const QStringList before = gridNames();

        QElapsedTimer timer;
        timer.start();
        connect();
        // Connect limit 500 ms, whole exchange 1500 ms.
        EXPECT_LT(timer.elapsed(), 4000);
        EXPECT_EQ(status(), "Not found");
        EXPECT_EQ(gridNames(), before);
        EXPECT_EQ(app->form1().artist(), "Kept");
        EXPECT_EQ(tagField("Artist"), "Kept");
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(boxes.messages.isEmpty());
        app.reset();
    }
}

TEST_F(DiscNamesTest, WindowsKeepWorkingDuringASlowAnswer)
{
    writeDisc(2);
    answer(Server::exactMatch("rock", "1f00b202", "Slow / Answer"),
           {{"1f00b202", entry("rock", "1f00b202", "Slow / Answer", {"S1", "S2"})}});
    server.setBehaviour(Server::Behaviour::Slow, 3);  // ms per byte
    AkripTestSetCddbTimeouts(1000, 10000);
    start();
    app->settings().autoStoreCdPlayerIni = false;

    int ticks = 0;
    int waitCursorTicks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        if (QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor)
            ++waitCursorTicks;
    });
    timer.start(20);
    QElapsedTimer elapsed;
    elapsed.start();
    connect();
    timer.stop();

    ASSERT_EQ(status(), "Found");
    EXPECT_GT(elapsed.elapsed(), 300);
    // Timers fired all the way through, under the hourglass.
    EXPECT_GE(ticks, int(elapsed.elapsed() / 20 / 3));
    EXPECT_GE(waitCursorTicks, ticks - 2);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(gridNames(), (QStringList{"S1", "S2"}));
}

TEST_F(DiscNamesTest, FreeDBButtonWithoutADiscOnlyWarns)
{
    start();
    ASSERT_FALSE(app->tracks().CD());
    auto* button = app->form1().findChild<QToolButton*>(QStringLiteral("FreeDB"));
    ASSERT_TRUE(button->isEnabled());
    button->click();
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_EQ(boxes.messages.first().kind, test::RecordingMessageBoxes::Kind::Warning);
    EXPECT_EQ(boxes.messages.first().text, "  No disc.  ");
    EXPECT_FALSE(app->form7().isVisible());
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(DiscNamesTest, FreeDBButtonOpensTheWindowWithAnEmptyStatus)
{
    writeDisc(2);
    start();
    TForm7& form7 = app->form7();
    form7.setStatus(QStringLiteral("old"));
    QString statusWhenShown = QStringLiteral("not shown");
    QTimer::singleShot(0, &form7, [&] {
        if (form7.isVisible())
            statusWhenShown = form7.status();
        form7.findChild<QPushButton*>(QStringLiteral("BtnClose"))->click();
    });
    app->form1().findChild<QToolButton*>(QStringLiteral("FreeDB"))->click();
    EXPECT_EQ(statusWhenShown, "");
    EXPECT_FALSE(form7.isVisible());
    EXPECT_TRUE(boxes.messages.isEmpty());
}

TEST_F(DiscNamesTest, EditedNamesAreWhatIsStored)
{
    writeDisc(3);
    start();
    app->form1().setArtist(QStringLiteral("Typed Artist"));
    app->form1().setAlbum(QStringLiteral("Typed Album"));
    // A name typed into the grid (the editor reports it as it changes).
    app->tracks().setCell(1, 2, QStringLiteral("Typed Track"));
    Q_EMIT app->form1().trackNameEdited(2, QStringLiteral("Typed Track"));
    EXPECT_EQ(tagField("Artist"), "Typed Artist");
    app->storeDiscNames();

    const TrackNameTabNames stored =
        CdPlayerDatabase(paths.cdPlayerIni()).namesForTrackNameTab(discId(), 4, false);
    EXPECT_EQ(stored.artist, "Typed Artist");
    EXPECT_EQ(stored.album, "Typed Album");
    EXPECT_EQ(stored.tracks, (QStringList{"AudioTrack 01", "Typed Track", "AudioTrack 03"}));

    // Apply in the settings window stores the page as it stands.
    app->form2().findChild<QLineEdit*>(QStringLiteral("Edt_Year"))->setText(QStringLiteral("2001"));
    app->form2().findChild<QComboBox*>(QStringLiteral("Cmb_Genre"))->setCurrentIndex(7);
    app->form2().ApplyClick();
    const TrackNameTabNames applied =
        CdPlayerDatabase(paths.cdPlayerIni()).namesForTrackNameTab(discId(), 4, false);
    EXPECT_EQ(applied.year, "2001");
    EXPECT_EQ(applied.genre, 7);
    EXPECT_EQ(applied.tracks[1], "Typed Track");

    // The next start gives the tag editor the stored genre.
    app.reset();
    start();
    for (const char* box : {"Genre", "Genre2"})
        EXPECT_EQ(app->form4().findChild<QComboBox*>(QLatin1String(box))->currentIndex(), 7) << box;
}

TEST(BackgroundCddbService, CallsRunBesideTheEventLoop)
{
    class Slow : public CddbService
    {
    public:
        void setOption(Option, const QByteArray&, int) override {}
        QList<CddbMatchRecord> query(int) override
        {
            QThread::msleep(200);
            return {{"rock", "1", "a", "t"}};
        }
        std::optional<QString> diskInfo(const CddbMatchRecord&) override { throw std::runtime_error("gone"); }
    };
    BackgroundCddbService service(std::make_unique<Slow>());
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    EXPECT_EQ(service.query(5).size(), 1);
    EXPECT_GE(ticks, 5);
    EXPECT_THROW(service.diskInfo({}), std::runtime_error);
}

}
