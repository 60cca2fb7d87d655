// SPDX-License-Identifier: GPL-2.0-or-later
// TForm4, the tag editor window, driven offscreen by object name.
#include "mp3fixture.h"
#include "tags/genrelist.h"
#include "tags/tageditorwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <id3v1tag.h>
#include <id3v2tag.h>
#include <mpegfile.h>

#include <functional>
#include <memory>

namespace trackmill {
namespace {

// Key presses as the user makes them, at the edit's cursor.
void type(QWidget* widget, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

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
        bool ran = false;
        QTimer::singleShot(0, form.get(), [&] {
            ran = true;
            whileOpen();
            if (form->isVisible()) {
                ADD_FAILURE() << "the window stayed open";
                form->done(0);
            }
        });
        form->ShowID3Form();
        EXPECT_TRUE(ran);
    }

    GenreList genres;
    bool busy = false, audioDisc = false, split = false;
    int storedGenre = 0;
    QString artist, album;
    QStringList trackNames;  // row r is entry r - 1
    std::unique_ptr<TForm4> form;
};

TEST_F(TagEditorWindowTest, YearKeepsItsFirstFourCharacters)
{
    const struct
    {
        QString before;
        int cursor;
        QString typed, after;
    } cases[] = {{"2001", 4, "9", "2001"}, {"", 0, "199945", "1999"}, {"2001", 2, "5", "2050"}};
    QLineEdit* year = child("Year");
    for (const auto& c : cases) {
        year->setText(c.before);
        year->setCursorPosition(c.cursor);
        type(year, c.typed);
        EXPECT_EQ(year->text(), c.after) << c.typed.toStdString();
        EXPECT_LE(year->cursorPosition(), 4);
    }
    form->setYears(QStringLiteral("1999abc"));  // pasted in
    EXPECT_EQ(form->fields().year, QStringLiteral("1999"));
}

TEST_F(TagEditorWindowTest, UntickingATagGreysItsGroupAndTickingRestoresIt)
{
    const struct
    {
        const char* box;
        std::vector<const char*> readOnly, editable;
        const char *year, *genre, *otherYear;
    } groups[] = {
        {"UseID3v1", {"Track", "Title", "Comment"}, {"Artist", "Album", "Year", "Genre"}, "Year", "Genre", "Year2"},
        {"UseID3v2", {"Track2", "Title2", "EncodedBy2", "URL2"},
         {"Artist2", "Album2", "Year2", "Genre2", "Comment2", "OriginalArtist2", "Composer2", "Copyright2"},
         "Year2", "Genre2", "Year"},
    };
    const QPalette system = QGuiApplication::palette();
    const QColor buttonFace = system.color(QPalette::Button), info = system.color(QPalette::ToolTipBase),
                 window = system.color(QPalette::Base);
    ASSERT_NE(buttonFace, window);
    ASSERT_NE(info, window);
    const auto base = [this](const char* name) { return child<QWidget>(name)->palette().color(QPalette::Base); };

    for (const auto& g : groups) {
        SCOPED_TRACE(g.box);
        auto* box = child<QCheckBox>(g.box);
        ASSERT_TRUE(box->isChecked());
        for (bool on : {false, true}) {
            box->click();
            EXPECT_EQ(box->isChecked(), on);
            for (const char* name : g.readOnly)
                EXPECT_EQ(base(name), on ? info : buttonFace) << name;
            for (const char* name : g.editable)
                EXPECT_EQ(base(name), on ? window : buttonFace) << name;
            EXPECT_EQ(child(g.year)->isReadOnly(), !on);
            EXPECT_EQ(child<QComboBox>(g.genre)->isEnabled(), on);
            EXPECT_FALSE(child(g.otherYear)->isReadOnly());
        }
    }

    // The artist carries the disc's name: still editable with the tag off.
    child<QCheckBox>("UseID3v1")->click();
    type(child("Artist"), QStringLiteral("Band"));
    EXPECT_EQ(child("Artist")->text(), QStringLiteral("Band"));
}

TEST_F(TagEditorWindowTest, ResetThenCancelRestoresTheValuesTakenWhenOpenedAndSaveKeepsThem)
{
    // The reset takes the disc's names and leaves year, genre and boxes.
    artist = QStringLiteral("Band");
    album = QStringLiteral("Album");
    for (const char* name : {"Title", "Title2", "Artist", "Album", "Comment", "Composer2", "Copyright2"})
        child(name)->setText(QStringLiteral("old"));
    form->setYears(QStringLiteral("2001"));
    form->setGenrePosition(5);
    form->ID3Initialization();
    TagEditorFields f = form->fields();
    EXPECT_EQ(f.title + f.title2, QString());
    for (const QString& name : {f.artist, f.artist2, f.composer2, f.originalArtist2})
        EXPECT_EQ(name, QStringLiteral("Band"));
    EXPECT_EQ(f.album2, QStringLiteral("Album"));
    EXPECT_EQ(f.comment, QStringLiteral("Ripped & encoded - Trackmill"));
    EXPECT_EQ(f.comment2, QStringLiteral("Ripped & encoded - Trackmill"));
    EXPECT_EQ(f.encodedBy2, QStringLiteral("Trackmill 2.0"));
    EXPECT_EQ(f.year2, QStringLiteral("2001"));
    EXPECT_EQ(child<QComboBox>("Genre2")->currentIndex(), 5);

    child<QPlainTextEdit>("Comment2")->setPlainText(QStringLiteral("line one\nline two"));
    const auto editEverything = [this] {
        child<QCheckBox>("UseID3v2")->click();
        child<QCheckBox>("UseID3v1")->click();
        child("Year")->setText(QStringLiteral("1999"));
        child("Year2")->setText(QStringLiteral("1998"));
        for (const char* name : {"Composer2", "OriginalArtist2", "Copyright2", "Album2"})
            child(name)->setText(QStringLiteral("edited"));
        child<QPlainTextEdit>("Comment2")->setPlainText(QStringLiteral("changed\nline two\nline three"));
    };

    whileShown([&] {
        editEverything();
        child<QPushButton>("Cancel")->click();
    });
    EXPECT_TRUE(form->useId3v1());
    EXPECT_TRUE(form->useId3v2());
    EXPECT_FALSE(child("Year2")->isReadOnly());  // the group is live again
    f = form->fields();
    EXPECT_EQ(f.year, QStringLiteral("2001"));
    EXPECT_EQ(f.year2, QStringLiteral("2001"));
    EXPECT_EQ(f.composer2, QStringLiteral("Band"));
    EXPECT_EQ(f.originalArtist2, QStringLiteral("Band"));
    EXPECT_EQ(f.copyright2, QStringLiteral("All rights reserved by Band"));
    // Only the memo's first line is remembered; other fields keep their edits.
    EXPECT_EQ(f.comment2, QStringLiteral("line one\r\nline two\r\nline three"));
    EXPECT_EQ(f.album2, QStringLiteral("edited"));

    whileShown([&] {
        editEverything();
        child<QPushButton>("Save")->click();
    });
    EXPECT_FALSE(form->useId3v1());
    EXPECT_FALSE(form->useId3v2());
    EXPECT_EQ(form->fields().year, QStringLiteral("1999"));

    // The next opening takes the values anew: Cancel goes back to the saved edits.
    whileShown([&] {
        child<QCheckBox>("UseID3v2")->click();
        child("Composer2")->setText(QStringLiteral("Third"));
        child<QPushButton>("Cancel")->click();
    });
    EXPECT_FALSE(form->useId3v2());
    EXPECT_EQ(form->fields().composer2, QStringLiteral("edited"));
}

TEST_F(TagEditorWindowTest, GenreListsShowTheSortedNamesWithTheirNumbers)
{
    ASSERT_EQ(child<QComboBox>("Genre2")->count(), GenreList::Count);
    EXPECT_EQ(child<QComboBox>("Genre")->itemData(GenreList::PopPosition).toInt(), 13);
    // The position stored for the disc; without a disc, or out of range: "Pop".
    const struct
    {
        bool disc;
        int stored, position;
    } cases[] = {{false, 5, 98}, {true, 0, 98}, {true, 5, 5}, {true, -3, 98}, {true, 147, 147}, {true, 148, 98}};
    for (const auto& c : cases) {
        audioDisc = c.disc;
        storedGenre = c.stored;
        form = makeForm();
        EXPECT_EQ(child<QComboBox>("Genre")->currentIndex(), c.position) << c.stored;
        EXPECT_EQ(child<QComboBox>("Genre2")->currentIndex(), c.position) << c.stored;
        EXPECT_EQ(form->fields().genre, genres.sorted()[c.position].number);
        EXPECT_EQ(form->fields().genre2, genres.sorted()[c.position].name);
    }
    // Apply's position selects in both lists; "none chosen" leaves them.
    form->applySettingsNames(QStringLiteral("Band"), QStringLiteral("Album"), 0);
    form->applySettingsNames(QStringLiteral("Band"), QStringLiteral("Album"), -1);
    EXPECT_EQ(form->fields().genre, genres.sorted()[0].number);
    EXPECT_EQ(child<QComboBox>("Genre2")->currentIndex(), 0);
}

// A run with Split: the track's own artist goes into its tags but not to
// the main window (typing here reaching the other windows is checked in the
// whole program), and Title2 is empty afterwards.
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
    form->setYears(QStringLiteral("2001"));
    form->setGenrePosition(genres.sortedPosition(8));  // "Jazz"

    busy = true;
    QString title;
    ASSERT_TRUE(form->Split(trackNames[2], QStringLiteral("/"), 1, title));
    EXPECT_EQ(form->SaveTagid3v11(path, title, 3), QString());
    EXPECT_EQ(form->SaveTagID3v23(path, title, 3, 12), QString());
    EXPECT_EQ(child("Artist")->text(), QStringLiteral("Band"));
    EXPECT_EQ(child("Title2")->text(), QString());
    EXPECT_EQ(mainArtist.text(), QStringLiteral("Various"));

    TagLib::MPEG::File mpeg(QFile::encodeName(path).constData());
    ASSERT_NE(mpeg.ID3v1Tag(), nullptr);
    ASSERT_NE(mpeg.ID3v2Tag(), nullptr);
    for (TagLib::Tag* tag : {static_cast<TagLib::Tag*>(mpeg.ID3v1Tag()), static_cast<TagLib::Tag*>(mpeg.ID3v2Tag())}) {
        EXPECT_EQ(tag->artist(), "Band");
        EXPECT_EQ(tag->title(), "Song");
        EXPECT_EQ(tag->album(), "Mix");
        EXPECT_EQ(tag->genre(), "Jazz");
        EXPECT_EQ(tag->track(), 3u);
    }
}

}
}
