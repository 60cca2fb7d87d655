// SPDX-License-Identifier: GPL-2.0-or-later
// TForm4, the tag editor window, driven offscreen by object name, alone
// and kept in step with the main and settings windows.
#include "app/mainwindow.h"
#include "app/trackmillapp.h"
#include "fakedesktopshell.h"
#include "jpegfixture.h"
#include "lang/languagetexts.h"
#include "metadata/coverart.h"
#include "mp3fixture.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"
#include "settings/settingswindow.h"
#include "metadata/discnames.h"
#include "tags/genrelist.h"
#include "tags/tageditorwindow.h"
#include "tags/tagfields.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
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

    // The window over the two models it shows.
    std::unique_ptr<TForm4> makeForm()
    {
        return std::make_unique<TForm4>(genres, tags, names,
                                        TForm4::PictureChoice{shell, boxes, [this]() -> const LanguageTexts& {
                                                                  return texts;
                                                              }});
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
    TagFields tags{genres};
    DiscNames names;
    test::FakeDesktopShell shell;
    test::RecordingMessageBoxes boxes;
    LanguageTexts texts;
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
    names.setArtist(QStringLiteral("Band"));
    names.setAlbum(QStringLiteral("Album"));
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

TEST_F(TagEditorWindowTest, GenreListsFollowTheModelAndAPositionOutsideTheListChangesNothing)
{
    // The start is the model's genre, "Pop" for a new model.
    EXPECT_EQ(child<QComboBox>("Genre2")->currentIndex(), GenreList::PopPosition);
    tags.setGenrePosition(5);
    form = makeForm();
    EXPECT_EQ(child<QComboBox>("Genre")->currentIndex(), 5);
    for (int outside : {-3, GenreList::Count}) {
        form->setGenrePosition(outside);
        EXPECT_EQ(child<QComboBox>("Genre2")->currentIndex(), 5) << outside;
    }
    child<QComboBox>("Genre")->setCurrentIndex(7);
    EXPECT_EQ(tags.genrePosition(), 7);
    EXPECT_EQ(form->fields().genre, genres.sorted()[7].number);
}

// A run with Split: the track's own artist goes into its tags but not to
// the disc's names, and Title2 is empty afterwards. The run reads the
// model, so the window only has to show what the writers left.
TEST_F(TagEditorWindowTest, WritersTagATrackFromTheModelDuringARun)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("03 Song.mp3"));
    ASSERT_TRUE(test::writeWholeFile(path, test::sineMp3(300)));
    names.setArtist(QStringLiteral("Various"));
    names.setAlbum(QStringLiteral("Mix"));
    QObject::connect(&tags, &TagFields::artistEdited, &names, &DiscNames::setArtist);
    form->ID3Initialization();
    form->setGenrePosition(genres.sortedPosition(8));  // "Jazz"

    QString title;
    ASSERT_TRUE(tags.split(QStringLiteral("Band/Song"), QStringLiteral("/"), 1, title));
    TrackToTag track{path, title, QStringLiteral("Band/Song"), 3, 12};
    TagSources sources{names.artist(), names.album(), true, QStringLiteral("/")};
    // Version 2.3 first: it must not lean on the artist the other tag split off.
    EXPECT_EQ(tags.writeId3v23(track, sources), QString());
    EXPECT_EQ(tags.writeId3v1(track, sources), QString());
    EXPECT_EQ(child("Title2")->text(), QString());
    EXPECT_EQ(names.artist(), QStringLiteral("Various"));

    TagLib::MPEG::File mpeg(QFile::encodeName(path).constData());
    ASSERT_TRUE(mpeg.ID3v1Tag() && mpeg.ID3v2Tag());
    for (TagLib::Tag* tag : {static_cast<TagLib::Tag*>(mpeg.ID3v1Tag()), static_cast<TagLib::Tag*>(mpeg.ID3v2Tag())}) {
        EXPECT_EQ(tag->artist(), "Band");
        EXPECT_EQ(tag->title(), "Song");
        EXPECT_EQ(tag->album(), "Mix");
        EXPECT_EQ(tag->genre(), "Jazz");
    }
}

// The disc's cover shows under the tags; a chosen picture file replaces it
// (a large one made small enough), "No picture" removes it, a file that is
// no picture is named in an error box and changes nothing.
TEST_F(TagEditorWindowTest, CoverFromTheLookupOrAPictureFileOrNone)
{
    auto* picture = child<QLabel>("CoverPicture");
    const QByteArray small = test::noiseJpeg(50, 40);
    names.setCover({small, "image/jpeg"});
    EXPECT_FALSE(picture->pixmap().isNull());

    QTemporaryDir dir;
    const QString big = dir.filePath("big.png");
    QImage noise(1500, 1500, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 251, (x * y) % 253, (x + 3 * y) % 255));
    ASSERT_TRUE(noise.save(big, "PNG", 0));
    ASSERT_GT(QFileInfo(big).size(), CoverArt::kMaxEmbeddedBytes);
    const QString text = dir.filePath("notes.jpg");
    ASSERT_TRUE(test::writeWholeFile(text, "not a picture"));

    texts.choosePicture = "Choose picture";
    texts.pictureNotUsable = "The picture cannot be used";
    shell.fileAnswers = {{big}, {text}, {}};
    child<QPushButton>("BtnChoosePicture")->click();
    EXPECT_EQ(names.cover().mimeType, "image/jpeg");
    EXPECT_LE(names.cover().data.size(), CoverArt::kMaxEmbeddedBytes);
    EXPECT_TRUE(jpegSize(names.cover().data).has_value());
    const CoverArt chosen = names.cover();

    child<QPushButton>("BtnChoosePicture")->click();
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_TRUE(boxes.messages[0].text.startsWith("  The picture cannot be used.  \n\n" + text + ": "));
    EXPECT_EQ(names.cover(), chosen);
    child<QPushButton>("BtnChoosePicture")->click();  // the dialog cancelled
    EXPECT_EQ(names.cover(), chosen);
    EXPECT_EQ(boxes.messages.size(), 1);

    child<QPushButton>("BtnNoPicture")->click();
    EXPECT_TRUE(names.cover().data.isEmpty());
    EXPECT_TRUE(picture->pixmap().isNull());
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
