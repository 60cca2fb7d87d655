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
#include <ostream>

// Readable texts in failure messages.
void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace trackmill {
namespace {

// The other windows as the tag editor sees them.
struct FakeWindows
{
    bool busy = false;
    bool audioDisc = false;
    int storedGenre = 0;
    QString artist;
    QString album;
    bool split = false;
    QString separator = QStringLiteral("/");
    QStringList trackNames;  // row r is entry r - 1

    TForm4::Sources sources()
    {
        TForm4::Sources s;
        s.GetProcess = [this] { return busy; };
        s.audioDisc = [this] { return audioDisc; };
        s.GetGenreFromCDPlayerINI = [this] { return storedGenre; };
        s.mainArtist = [this] { return artist; };
        s.mainAlbum = [this] { return album; };
        s.split = [this] { return split; };
        s.splitCharacter = [this] { return separator; };
        s.trackName = [this](int row) { return trackNames.value(row - 1); };
        return s;
    }
};

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

QString qs(const TagLib::String& s)
{
    return QString::fromUtf8(s.toCString(true));
}

class TagEditorWindowTest : public ::testing::Test
{
protected:
    void SetUp() override { form = std::make_unique<TForm4>(genres, windows.sources()); }

    template <typename T = QLineEdit>
    T* child(const char* name)
    {
        T* widget = form->findChild<T*>(QString::fromLatin1(name));
        if (!widget)
            ADD_FAILURE() << "no control " << name;
        return widget;
    }

    QColor base(const char* name) { return child<QWidget>(name)->palette().color(QPalette::Base); }

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
        EXPECT_FALSE(form->isVisible());
    }

    GenreList genres;
    FakeWindows windows;
    std::unique_ptr<TForm4> form;
};

TEST_F(TagEditorWindowTest, YearKeepsItsFirstFourCharacters)
{
    struct Case
    {
        const char* label;
        QString before;
        int cursor;
        QString typed;
        QString after;
    };
    const Case cases[] = {
        {"fifth digit at the end", "2001", 4, "9", "2001"},
        {"typed one by one", "", 0, "199945", "1999"},
        {"digit typed in the middle", "2001", 2, "5", "2050"},
    };
    QLineEdit* year = child("Year");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        year->setText(c.before);
        year->setCursorPosition(c.cursor);
        type(year, c.typed);
        EXPECT_EQ(year->text(), c.after);
        EXPECT_LE(year->cursorPosition(), 4);
    }
    // A pasted or copied-in text is cut the same way.
    form->setYears(QStringLiteral("1999abc"));
    EXPECT_EQ(year->text(), QStringLiteral("1999"));
    EXPECT_EQ(form->fields().year, QStringLiteral("1999"));
}

TEST_F(TagEditorWindowTest, UntickingATagGreysItsGroupAndTickingRestoresIt)
{
    struct Group
    {
        const char* box;
        std::vector<const char*> readOnly;  // information background when on
        std::vector<const char*> editable;  // window colour when on
        const char* year;
        const char* genre;
    };
    const Group groups[] = {
        {"UseID3v1", {"Track", "Title", "Comment"}, {"Artist", "Album", "Year", "Genre"}, "Year", "Genre"},
        {"UseID3v2",
         {"Track2", "Title2", "EncodedBy2", "URL2"},
         {"Artist2", "Album2", "Year2", "Genre2", "Comment2", "OriginalArtist2", "Composer2", "Copyright2"},
         "Year2",
         "Genre2"},
    };
    const QPalette system = QGuiApplication::palette();
    const QColor buttonFace = system.color(QPalette::Button);
    const QColor info = system.color(QPalette::ToolTipBase);
    const QColor window = system.color(QPalette::Base);
    ASSERT_NE(buttonFace, window);
    ASSERT_NE(info, window);

    for (const Group& g : groups) {
        SCOPED_TRACE(g.box);
        auto* box = child<QCheckBox>(g.box);
        ASSERT_TRUE(box->isChecked());

        box->click();
        EXPECT_FALSE(box->isChecked());
        for (const char* name : g.readOnly)
            EXPECT_EQ(base(name), buttonFace) << name;
        for (const char* name : g.editable)
            EXPECT_EQ(base(name), buttonFace) << name;
        EXPECT_TRUE(child(g.year)->isReadOnly());
        EXPECT_FALSE(child<QComboBox>(g.genre)->isEnabled());
        // The group's other tag is untouched.
        const char* other = std::string_view(g.box) == "UseID3v1" ? "Year2" : "Year";
        EXPECT_FALSE(child(other)->isReadOnly());

        box->click();
        for (const char* name : g.readOnly)
            EXPECT_EQ(base(name), info) << name;
        for (const char* name : g.editable)
            EXPECT_EQ(base(name), window) << name;
        EXPECT_FALSE(child(g.year)->isReadOnly());
        EXPECT_TRUE(child<QComboBox>(g.genre)->isEnabled());
    }

    // The artist and album carry the disc's names: still editable with the tag off.
    child<QCheckBox>("UseID3v1")->click();
    QLineEdit* artist = child("Artist");
    EXPECT_FALSE(artist->isReadOnly());
    type(artist, QStringLiteral("Band"));
    EXPECT_EQ(artist->text(), QStringLiteral("Band"));
    EXPECT_FALSE(form->useId3v1());
}

TEST_F(TagEditorWindowTest, CancelRestoresTheValuesTakenWhenOpenedAndSaveKeepsTheEdits)
{
    windows.artist = QStringLiteral("Band");
    form->ID3Initialization();
    form->setYears(QStringLiteral("2001"));
    child<QPlainTextEdit>("Comment2")->setPlainText(QStringLiteral("line one\nline two"));

    const auto editEverything = [this] {
        child<QCheckBox>("UseID3v2")->click();
        child<QCheckBox>("UseID3v1")->click();
        child("Year")->setText(QStringLiteral("1999"));
        child("Year2")->setText(QStringLiteral("1998"));
        child("Composer2")->setText(QStringLiteral("Composer"));
        child("OriginalArtist2")->setText(QStringLiteral("Original"));
        child("Copyright2")->setText(QStringLiteral("(c) nobody"));
        child<QPlainTextEdit>("Comment2")->setPlainText(QStringLiteral("changed\nline two\nline three"));
        child("Album2")->setText(QStringLiteral("Other album"));
    };

    whileShown([&] {
        editEverything();
        child<QPushButton>("Cancel")->click();
    });
    EXPECT_TRUE(form->useId3v1());
    EXPECT_TRUE(form->useId3v2());
    EXPECT_FALSE(child("Year2")->isReadOnly());  // the group is live again
    TagEditorFields f = form->fields();
    EXPECT_EQ(f.year, QStringLiteral("2001"));
    EXPECT_EQ(f.year2, QStringLiteral("2001"));
    EXPECT_EQ(f.composer2, QStringLiteral("Band"));
    EXPECT_EQ(f.originalArtist2, QStringLiteral("Band"));
    EXPECT_EQ(f.copyright2, QStringLiteral("All rights reserved by Band"));
    // Only the first line of the memo is remembered; other fields keep their edits.
    EXPECT_EQ(f.comment2, QStringLiteral("line one\r\nline two\r\nline three"));
    EXPECT_EQ(f.album2, QStringLiteral("Other album"));

    whileShown([&] {
        editEverything();
        child<QPushButton>("Save")->click();
    });
    f = form->fields();
    EXPECT_FALSE(form->useId3v1());
    EXPECT_FALSE(form->useId3v2());
    EXPECT_EQ(f.year, QStringLiteral("1999"));
    EXPECT_EQ(f.composer2, QStringLiteral("Composer"));

    // The next opening takes the values anew: Cancel now goes back to the saved edits.
    whileShown([&] {
        child<QCheckBox>("UseID3v2")->click();
        child("Composer2")->setText(QStringLiteral("Third"));
        child<QPushButton>("Cancel")->click();
    });
    EXPECT_FALSE(form->useId3v2());
    EXPECT_EQ(form->fields().composer2, QStringLiteral("Composer"));
}

TEST_F(TagEditorWindowTest, NamesTypedHereReachTheConnectedEditsExceptTheArtistDuringARun)
{
    QLineEdit mainArtist, mainAlbum, settingsArtist, settingsAlbum;
    QObject::connect(form.get(), &TForm4::artistChanged, &mainArtist, &QLineEdit::setText);
    QObject::connect(form.get(), &TForm4::artistChanged, &settingsArtist, &QLineEdit::setText);
    QObject::connect(form.get(), &TForm4::albumChanged, &mainAlbum, &QLineEdit::setText);
    QObject::connect(form.get(), &TForm4::albumChanged, &settingsAlbum, &QLineEdit::setText);
    // The main window's edits write back, as they do in the program.
    QObject::connect(&mainArtist, &QLineEdit::textChanged, form.get(), &TForm4::setArtist);
    QObject::connect(&mainAlbum, &QLineEdit::textChanged, form.get(), &TForm4::setAlbum);

    type(child("Artist"), QStringLiteral("Bnd"));
    type(child("Album"), QStringLiteral("Live"));
    EXPECT_EQ(mainArtist.text(), QStringLiteral("Bnd"));
    EXPECT_EQ(settingsArtist.text(), QStringLiteral("Bnd"));
    EXPECT_EQ(child("Artist2")->text(), QStringLiteral("Bnd"));
    EXPECT_EQ(mainAlbum.text(), QStringLiteral("Live"));
    EXPECT_EQ(settingsAlbum.text(), QStringLiteral("Live"));
    EXPECT_EQ(child("Album2")->text(), QStringLiteral("Live"));

    // The echo from the main window must not throw the cursor to the end.
    QLineEdit* artist = child("Artist");
    artist->setCursorPosition(1);
    type(artist, QStringLiteral("a"));
    EXPECT_EQ(artist->text(), QStringLiteral("Band"));
    EXPECT_EQ(artist->cursorPosition(), 2);
    EXPECT_EQ(mainArtist.text(), QStringLiteral("Band"));

    // The main window's own edit fills both artist fields here.
    mainArtist.setText(QStringLiteral("Other"));
    EXPECT_EQ(artist->text(), QStringLiteral("Other"));
    EXPECT_EQ(child("Artist2")->text(), QStringLiteral("Other"));

    // During a run the artist stays here; the album still travels.
    windows.busy = true;
    artist->setText(QStringLiteral("Per-track artist"));
    EXPECT_EQ(mainArtist.text(), QStringLiteral("Other"));
    EXPECT_EQ(settingsArtist.text(), QStringLiteral("Other"));
    EXPECT_EQ(child("Artist2")->text(), QStringLiteral("Other"));
    child("Album")->setText(QStringLiteral("Studio"));
    EXPECT_EQ(mainAlbum.text(), QStringLiteral("Studio"));
    EXPECT_EQ(child("Album2")->text(), QStringLiteral("Studio"));
}

TEST_F(TagEditorWindowTest, ResetTakesTheDiscNamesAndLeavesYearGenreAndBoxes)
{
    windows.artist = QStringLiteral("Band");
    windows.album = QStringLiteral("Album");
    for (const char* name : {"Title", "Title2", "Artist", "Artist2", "Album", "Album2", "Comment", "Composer2",
                             "OriginalArtist2", "Copyright2", "URL2", "EncodedBy2"})
        child(name)->setText(QStringLiteral("old"));
    child<QPlainTextEdit>("Comment2")->setPlainText(QStringLiteral("old\nlines"));
    form->setYears(QStringLiteral("1987"));
    form->setGenrePosition(5);
    form->setUseId3v1(false);
    QString propagated;
    QObject::connect(form.get(), &TForm4::artistChanged, [&](const QString& t) { propagated = t; });

    form->ID3Initialization();

    const TagEditorFields f = form->fields();
    EXPECT_EQ(f.title, QString());
    EXPECT_EQ(f.title2, QString());
    for (const QString& artist : {f.artist, f.artist2, f.composer2, f.originalArtist2})
        EXPECT_EQ(artist, QStringLiteral("Band"));
    EXPECT_EQ(f.album, QStringLiteral("Album"));
    EXPECT_EQ(f.album2, QStringLiteral("Album"));
    EXPECT_EQ(f.comment, QStringLiteral("Ripped & encoded - Trackmill"));
    EXPECT_EQ(f.comment2, QStringLiteral("Ripped & encoded - Trackmill"));
    EXPECT_EQ(f.encodedBy2, QStringLiteral("Trackmill 2.0"));
    EXPECT_EQ(f.copyright2, QStringLiteral("All rights reserved by Band"));
    EXPECT_FALSE(f.url2.isEmpty());
    EXPECT_EQ(propagated, QStringLiteral("Band"));

    EXPECT_EQ(f.year, QStringLiteral("1987"));
    EXPECT_EQ(f.year2, QStringLiteral("1987"));
    EXPECT_EQ(child<QComboBox>("Genre")->currentIndex(), 5);
    EXPECT_EQ(child<QComboBox>("Genre2")->currentIndex(), 5);
    EXPECT_FALSE(form->useId3v1());
    EXPECT_TRUE(form->useId3v2());
}

TEST_F(TagEditorWindowTest, GenreListsShowTheSortedNamesWithTheirNumbers)
{
    for (const char* name : {"Genre", "Genre2"}) {
        SCOPED_TRACE(name);
        auto* box = child<QComboBox>(name);
        ASSERT_EQ(box->count(), GenreList::Count);
        for (int i = 0; i < box->count(); ++i) {
            EXPECT_EQ(box->itemText(i), genres.sorted()[i].name) << i;
            EXPECT_EQ(genres.name(box->itemData(i).toInt()), box->itemText(i)) << i;
        }
        EXPECT_EQ(box->itemText(98), QStringLiteral("Pop"));
        EXPECT_EQ(box->itemData(98).toInt(), 13);
        // No disc at start-up: "Pop".
        EXPECT_EQ(box->currentIndex(), 98);
    }
    EXPECT_EQ(form->fields().genre, 13);
    EXPECT_EQ(form->fields().genre2, QStringLiteral("Pop"));

    // The position stored for the disc; 0, a negative or an out-of-range
    // value gives "Pop".
    struct Case
    {
        bool disc;
        int stored;
        int position;
    };
    for (const Case& c : {Case{false, 5, 98}, Case{true, 0, 98}, Case{true, 5, 5}, Case{true, -3, 98},
                          Case{true, 147, 147}, Case{true, 148, 98}}) {
        SCOPED_TRACE(testing::Message() << "disc " << c.disc << ", stored " << c.stored);
        windows.audioDisc = c.disc;
        windows.storedGenre = c.stored;
        TForm4 created(genres, windows.sources());
        EXPECT_EQ(created.findChild<QComboBox*>(QStringLiteral("Genre"))->currentIndex(), c.position);
        EXPECT_EQ(created.findChild<QComboBox*>(QStringLiteral("Genre2"))->currentIndex(), c.position);
        EXPECT_EQ(created.fields().genre, genres.sorted()[c.position].number);
    }

    // Apply's position selects in both lists; "none chosen" leaves them.
    form->applySettingsNames(QStringLiteral("Band"), QStringLiteral("Album"), 0);
    EXPECT_EQ(form->fields().genre, genres.sorted()[0].number);
    EXPECT_EQ(form->fields().genre2, genres.sorted()[0].name);
    form->applySettingsNames(QStringLiteral("Band"), QStringLiteral("Album"), -1);
    EXPECT_EQ(child<QComboBox>("Genre2")->currentIndex(), 0);
}

TEST_F(TagEditorWindowTest, FieldsForTheWritersComeFromTheControls)
{
    const struct
    {
        const char* control;
        QString TagEditorFields::*member;
    } texts[] = {
        {"Title", &TagEditorFields::title},
        {"Artist", &TagEditorFields::artist},
        {"Album", &TagEditorFields::album},
        {"Comment", &TagEditorFields::comment},
        {"Title2", &TagEditorFields::title2},
        {"Album2", &TagEditorFields::album2},
        {"Year2", &TagEditorFields::year2},
        {"Composer2", &TagEditorFields::composer2},
        {"OriginalArtist2", &TagEditorFields::originalArtist2},
        {"Copyright2", &TagEditorFields::copyright2},
        {"URL2", &TagEditorFields::url2},
        {"EncodedBy2", &TagEditorFields::encodedBy2},
        // After Artist: typing the artist copies it into Artist2.
        {"Artist2", &TagEditorFields::artist2},
    };
    for (const auto& t : texts)
        child(t.control)->setText(QStringLiteral("text of ") + QLatin1String(t.control));
    child("Year")->setText(QStringLiteral("2001"));
    auto* genre = child<QComboBox>("Genre");
    genre->setCurrentIndex(genre->findText(QStringLiteral("Blues")));
    auto* genre2 = child<QComboBox>("Genre2");
    genre2->setCurrentIndex(genre2->findText(QStringLiteral("Rock & Roll")));
    child<QPlainTextEdit>("Comment2")->setPlainText(QStringLiteral("first\nsecond\nthird"));

    const TagEditorFields f = form->fields();
    for (const auto& t : texts)
        EXPECT_EQ(f.*t.member, QStringLiteral("text of ") + QLatin1String(t.control)) << t.control;
    EXPECT_EQ(f.year, QStringLiteral("2001"));
    EXPECT_EQ(f.genre, 0);
    EXPECT_EQ(f.genre2, QStringLiteral("Rock & Roll"));
    EXPECT_EQ(f.comment2, QStringLiteral("first\r\nsecond\r\nthird"));
}

// A run with Split: each track's own artist goes into its tags, the album
// artist of the main window stays, and Title2 is empty afterwards.
TEST_F(TagEditorWindowTest, WritersTagATrackFromTheFieldsDuringARun)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("03 Song.mp3"));
    const QByteArray audio = test::sineMp3(300);
    ASSERT_TRUE(test::writeWholeFile(path, audio));

    QLineEdit mainArtist;
    QObject::connect(form.get(), &TForm4::artistChanged, &mainArtist, &QLineEdit::setText);
    windows.artist = QStringLiteral("Various");
    windows.album = QStringLiteral("Mix");
    windows.split = true;
    windows.trackNames = {QStringLiteral("A/One"), QStringLiteral("B/Two"), QStringLiteral("Band/Song")};
    form->ID3Initialization();
    form->setYears(QStringLiteral("2001"));
    form->setGenrePosition(genres.sortedPosition(8));  // "Jazz"
    EXPECT_EQ(mainArtist.text(), QStringLiteral("Various"));

    windows.busy = true;
    QString title;
    ASSERT_TRUE(form->Split(windows.trackNames[2], windows.separator, 1, title));
    EXPECT_EQ(title, QStringLiteral("Song"));
    EXPECT_EQ(form->SaveTagid3v11(path, title, 3), QString());
    EXPECT_EQ(form->SaveTagID3v23(path, title, 3, 12), QString());

    EXPECT_EQ(child("Artist")->text(), QStringLiteral("Band"));
    EXPECT_EQ(child("Copyright2")->text(), QStringLiteral("All rights reserved by Band"));
    EXPECT_EQ(child("Title")->text(), QStringLiteral("Song"));
    EXPECT_EQ(child("Title2")->text(), QString());
    EXPECT_EQ(mainArtist.text(), QStringLiteral("Various"));

    TagLib::MPEG::File mpeg(QFile::encodeName(path).constData());
    ASSERT_NE(mpeg.ID3v1Tag(), nullptr);
    ASSERT_NE(mpeg.ID3v2Tag(), nullptr);
    TagLib::ID3v1::Tag* v1 = mpeg.ID3v1Tag();
    EXPECT_EQ(qs(v1->artist()), QStringLiteral("Band"));
    EXPECT_EQ(qs(v1->album()), QStringLiteral("Mix"));
    EXPECT_EQ(v1->year(), 2001u);
    EXPECT_EQ(qs(v1->genre()), QStringLiteral("Jazz"));
    TagLib::ID3v2::Tag* v2 = mpeg.ID3v2Tag();
    EXPECT_EQ(qs(v2->artist()), QStringLiteral("Band"));
    EXPECT_EQ(qs(v2->title()), QStringLiteral("Song"));
    EXPECT_EQ(qs(v2->genre()), QStringLiteral("Jazz"));
    EXPECT_EQ(qs(v2->frameListMap()["TRCK"].front()->toString()), QStringLiteral("3/12"));
    EXPECT_EQ(qs(v2->frameListMap()["TCOP"].front()->toString()), QStringLiteral("All rights reserved by Band"));

    // A file that cannot be written is reported, not passed over.
    const QString missing = dir.filePath(QStringLiteral("missing/04.mp3"));
    EXPECT_NE(form->SaveTagid3v11(missing, title, 4), QString());
    EXPECT_NE(form->SaveTagID3v23(missing, title, 4, 12), QString());
}

}
}
