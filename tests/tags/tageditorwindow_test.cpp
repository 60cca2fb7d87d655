// SPDX-License-Identifier: GPL-2.0-or-later
// TForm4, the tag editor window, driven offscreen by object name, alone
// and kept in step with the main and settings windows.
#include "app/mainwindow.h"
#include "app/trackmillapp.h"
#include "fakedesktopshell.h"
#include "mp3fixture.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"
#include "settings/settingswindow.h"
#include "tags/genrelist.h"
#include "tags/tageditorwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <id3v1tag.h>
#include <id3v2tag.h>
#include <mpegfile.h>

#include <functional>
#include <memory>

namespace trackmill {
namespace {

class TagEditorWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { form = makeForm(); }

    // The other windows as the tag editor sees them.
    std::unique_ptr<TForm4> makeForm()
    {
        TForm4::Sources s;
        s.GetProcess = [this] { return busy; };
        s.audioDisc = [this] { return audioDisc; };
        s.GetGenreFromCDPlayerINI = [this] { return storedGenre; };
        s.mainArtist = [this] { return artist; };
        s.mainAlbum = [this] { return album; };
        s.split = [this] { return split; };
        s.splitCharacter = [] { return QStringLiteral("/"); };
        s.trackName = [this](int row) { return trackNames.value(row - 1); };
        return std::make_unique<TForm4>(genres, s);
    }

    template <typename T = QLineEdit>
    T* child(const char* name)
    {
        T* widget = form->findChild<T*>(QString::fromLatin1(name));
        if (!widget)
            ADD_FAILURE() << "no control " << name;
        return widget;
    }

    // Opens the window modally; `whileOpen` runs inside and must close it.
    void whileShown(const std::function<void()>& whileOpen)
    {
        QTimer::singleShot(0, form.get(), [&] {
            whileOpen();
            EXPECT_FALSE(form->isVisible()) << "the window stayed open";
            if (form->isVisible())
                form->done(0);
        });
        form->ShowID3Form();
    }

    GenreList genres;
    bool busy = false, audioDisc = false, split = false;
    int storedGenre = 0;
    QString artist, album;
    QStringList trackNames;  // row r is entry r - 1
    std::unique_ptr<TForm4> form;
};

TEST_F(TagEditorWindowTest, YearsKeepFourCharactersAndUntickedGroupsAreReadOnly)
{
    QLineEdit* year = child("Year");
    year->setText(QStringLiteral("2001"));
    year->setCursorPosition(2);
    QTest::keyClicks(year, QStringLiteral("5"));
    EXPECT_EQ(year->text(), QStringLiteral("2050"));
    form->setYears(QStringLiteral("1999abc"));  // pasted in
    EXPECT_EQ(form->fields().year, QStringLiteral("1999"));

    const struct
    {
        const char *box, *year, *genre, *otherYear;
    } groups[] = {{"UseID3v1", "Year", "Genre", "Year2"}, {"UseID3v2", "Year2", "Genre2", "Year"}};
    for (const auto& g : groups) {
        for (bool on : {false, true}) {
            child<QCheckBox>(g.box)->click();
            EXPECT_EQ(child(g.year)->isReadOnly(), !on) << g.box;
            EXPECT_EQ(child<QComboBox>(g.genre)->isEnabled(), on) << g.box;
            EXPECT_FALSE(child(g.otherYear)->isReadOnly()) << g.box;
        }
    }
    // The artist carries the disc's name: still editable with the tag off.
    child<QCheckBox>("UseID3v1")->click();
    QTest::keyClicks(child("Artist"), QStringLiteral("Band"));
    EXPECT_EQ(child("Artist")->text(), QStringLiteral("Band"));
}

TEST_F(TagEditorWindowTest, ResetThenCancelRestoresTheValuesTakenWhenOpenedAndSaveKeepsThem)
{
    // The reset takes the disc's names and leaves year, genre and boxes.
    artist = QStringLiteral("Band");
    album = QStringLiteral("Album");
    for (const char* name : {"Title2", "Artist", "Composer2"})
        child(name)->setText(QStringLiteral("old"));
    form->setYears(QStringLiteral("2001"));
    form->setGenrePosition(5);
    form->ID3Initialization();
    TagEditorFields f = form->fields();
    EXPECT_EQ(QStringList({f.title2, f.artist, f.artist2, f.composer2, f.album2, f.year2}).join(','),
              ",Band,Band,Band,Album,2001");

    child<QPlainTextEdit>("Comment2")->setPlainText(QStringLiteral("line one\nline two"));
    const auto editEverything = [this] {
        child<QCheckBox>("UseID3v2")->click();
        child<QCheckBox>("UseID3v1")->click();
        child("Year")->setText(QStringLiteral("1999"));
        for (const char* name : {"Composer2", "Album2"})
            child(name)->setText(QStringLiteral("edited"));
        child<QPlainTextEdit>("Comment2")->setPlainText(QStringLiteral("changed\nline two\nline three"));
    };
    whileShown([&] {
        editEverything();
        child<QPushButton>("Cancel")->click();
    });
    EXPECT_TRUE(form->useId3v1() && form->useId3v2());
    EXPECT_FALSE(child("Year2")->isReadOnly());  // the group is live again
    f = form->fields();
    EXPECT_EQ(f.year, QStringLiteral("2001"));
    EXPECT_EQ(f.composer2, QStringLiteral("Band"));
    // Only the memo's first line is remembered; other fields keep their edits.
    EXPECT_EQ(f.comment2, QStringLiteral("line one\r\nline two\r\nline three"));
    EXPECT_EQ(f.album2, QStringLiteral("edited"));

    whileShown([&] {
        editEverything();
        child<QPushButton>("Save")->click();
    });
    EXPECT_FALSE(form->useId3v1() || form->useId3v2());
    EXPECT_EQ(form->fields().year, QStringLiteral("1999"));
}

TEST_F(TagEditorWindowTest, GenreListsStartAtTheStoredPositionOrPop)
{
    // Without a disc, or out of range: "Pop".
    const struct
    {
        bool disc;
        int stored, position;
    } cases[] = {{false, 5, 98}, {true, 5, 5}, {true, -3, 98}, {true, 148, 98}};
    for (const auto& c : cases) {
        audioDisc = c.disc;
        storedGenre = c.stored;
        form = makeForm();
        EXPECT_EQ(child<QComboBox>("Genre2")->currentIndex(), c.position) << c.stored;
        EXPECT_EQ(form->fields().genre, genres.sorted()[c.position].number);
    }
}

// A run with Split: the track's own artist goes into its tags but not to
// the main window, and Title2 is empty afterwards.
TEST_F(TagEditorWindowTest, WritersTagATrackFromTheFieldsDuringARun)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("03 Song.mp3"));
    ASSERT_TRUE(test::writeWholeFile(path, test::sineMp3(300)));
    QLineEdit mainArtist;
    QObject::connect(form.get(), &TForm4::artistChanged, &mainArtist, &QLineEdit::setText);
    artist = QStringLiteral("Various");
    album = QStringLiteral("Mix");
    split = true;
    trackNames = {QStringLiteral("A/One"), QStringLiteral("B/Two"), QStringLiteral("Band/Song")};
    form->ID3Initialization();
    form->setGenrePosition(genres.sortedPosition(8));  // "Jazz"

    busy = true;
    QString title;
    ASSERT_TRUE(form->Split(trackNames[2], QStringLiteral("/"), 1, title));
    // Version 2.3 first: it must not lean on the artist the other tag split off.
    EXPECT_EQ(form->SaveTagID3v23(path, title, 3, 12), QString());
    EXPECT_EQ(form->SaveTagid3v11(path, title, 3), QString());
    EXPECT_EQ(child("Title2")->text(), QString());
    EXPECT_EQ(mainArtist.text(), QStringLiteral("Various"));

    TagLib::MPEG::File mpeg(QFile::encodeName(path).constData());
    ASSERT_TRUE(mpeg.ID3v1Tag() && mpeg.ID3v2Tag());
    for (TagLib::Tag* tag : {static_cast<TagLib::Tag*>(mpeg.ID3v1Tag()), static_cast<TagLib::Tag*>(mpeg.ID3v2Tag())}) {
        EXPECT_EQ(tag->artist(), "Band");
        EXPECT_EQ(tag->title(), "Song");
        EXPECT_EQ(tag->album(), "Mix");
        EXPECT_EQ(tag->genre(), "Jazz");
    }
}

TEST(TagWiring, ArtistTypedInTheTagEditorReachesTheOtherWindows)
{
    test::ProgramFolders folders;
    test::RecordingMessageBoxes boxes;
    test::RecordingSystemServices system;
    test::FakeDesktopShell shell;
    // A closed local port: no freedb server is reached.
    TrackmillApp app(TrackmillApp::Services{boxes, system, shell, folders.paths, false, false,
                                            FreedbServer{"127.0.0.1", 9}});
    // Typing in the middle keeps the cursor where it is, although the text
    // comes back from the other windows.
    auto* artist = app.form4().findChild<QLineEdit*>("Artist");
    QTest::keyClicks(artist, QStringLiteral("Kraftwerk"));
    artist->setCursorPosition(5);
    QTest::keyClicks(artist, QStringLiteral("X"));
    EXPECT_EQ(artist->cursorPosition(), 6);
    EXPECT_EQ(app.form1().findChild<QLineEdit*>("Artist")->text(), QStringLiteral("KraftXwerk"));
    EXPECT_EQ(app.form2().findChild<QLineEdit*>("Edt_Artist")->text(), QStringLiteral("KraftXwerk"));
    EXPECT_EQ(app.form4().findChild<QLineEdit*>("Artist2")->text(), QStringLiteral("KraftXwerk"));
}

}
}
