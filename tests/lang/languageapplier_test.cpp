// SPDX-License-Identifier: GPL-2.0-or-later
// A language applied to the whole program: from the language menu, from the
// settings window's list (and taken back by Cancel), at start-up, and over
// every control the key table names; the About window filled from a file.
#include "akrip32.h"
#include "app/mainwindow.h"
#include "app/trackmillapp.h"
#include "cd/tracklist.h"
#include "fakedesktopshell.h"
#include "lang/aboutwindow.h"
#include "lang/languageapplier.h"
#include "lang/languagefile.h"
#include "lang/languagekeys.h"
#include "lang/languagelist.h"
#include "metadata/freedbwindow.h"
#include "platform/inifile.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"
#include "rip/progresswindow.h"
#include "settings/settings.h"
#include "settings/settingswindow.h"
#include "tags/tageditorwindow.h"
#include "ui/libraryversionlines.h"
#include "ui/pictures.h"
#include "ui/pixelpicture.h"
#include "ui/toolbarbutton.h"
#include "ui/tstatusbarpro.h"
#include "../ui/qstringprinter.h"

#include <QAction>
#include <QApplication>
#include <QStyle>
#include <QHeaderView>
#include <QToolBar>
#include <QTableView>
#include <QShortcut>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTabWidget>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

using namespace trackmill;

namespace {

// The program over the recording fakes in a temporary program folder with
// the shipped language files. stored: LANGUAGE of the settings file, if any.
struct Program
{
    // `before` lays out more files before the program starts.
    explicit Program(const QByteArray& stored = {}, const std::function<void(const AppPaths&)>& before = {})
    {
        folders.copyLanguages(QStringLiteral(TRACKMILL_BIN_DIR "/Languages"));
        if (!stored.isEmpty())
            IniFile(paths.settingsFile()).writeString("MAIN", "LANGUAGE", stored);
        if (before)
            before(paths);
        app = std::make_unique<TrackmillApp>(
            TrackmillApp::Services{boxes, system, shell, paths, false, false, {"127.0.0.1", 9}});
    }

    LanguageFile file(const char* name) const { return LanguageFile::open(paths.languagesDir(), name); }
    QString toolbar(const char* button) const { return app->form1().findChild<QToolButton*>(button)->text(); }
    QString settingsText(const char* label) const { return app->form2().findChild<QLabel*>(label)->text(); }
    QComboBox* list(const char* name) const { return app->form2().findChild<QComboBox*>(name); }
    QAction* menuItem(const char* item) const
    {
        return app->form1().findChild<QMenu*>("PopupMenu1")->findChild<QAction*>(item);
    }
    TStatusPanelPro* languagePanel() const { return app->form1().findChild<TStatusBarPro*>("StatusBarPro1")->panel(4); }
    QByteArray stored() const { return IniFile(paths.settingsFile()).readString("MAIN", "LANGUAGE"); }
    // The text the file gives the control of the key table named target.
    static QString textFor(const LanguageFile& f, const char* target)
    {
        for (const LanguageTextRow& row : languageTextRows())
            if (QLatin1String(row.target) == QLatin1String(target))
                return f.composed(row);
        return "<not in the table>";
    }
    // The titles of all six windows against those the file gives them.
    void expectTitlesOf(const LanguageFile& f) const
    {
        QStringList expected{f.composed("MAIN", "ARTIST", TextForm::Colon)};
        for (const char* form : {"TForm2", "TForm3", "TForm4", "TForm5", "TForm7"})
            expected << textFor(f, form);
        EXPECT_EQ((QStringList{app->form1().findChild<QWidget*>("LabelArtist")->property("text").toString(),
                               app->form2().windowTitle(), app->form3().windowTitle(), app->form4().windowTitle(),
                               app->form1().findChild<TForm5*>()->windowTitle(), app->form7().windowTitle()}),
                  expected);
    }

    test::ProgramFolders folders;
    AppPaths& paths = folders.paths;
    test::RecordingMessageBoxes boxes;
    test::RecordingSystemServices system;
    test::FakeDesktopShell shell;
    std::unique_ptr<TrackmillApp> app;
};

// Each pixel of `source` a factor-by-factor square of `shown`: the flag
// enlarged without smoothing.
bool enlargedCrisply(const QImage& source, const QImage& shown, int factor)
{
    if (shown.size() != source.size() * factor)
        return false;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            if (shown.pixel(x, y) != source.pixel(x / factor, y / factor))
                return false;
    return true;
}

TEST(LanguageApplierTest, CentringPutsTheOddBlankOnTheLeft)
{
    EXPECT_EQ(LanguageApplier::AddSpaceToString("WAV", 11), "    WAV    ");
    EXPECT_EQ(LanguageApplier::AddSpaceToString("Abcdef", 7), " Abcdef");
    EXPECT_EQ(LanguageApplier::AddSpaceToString("Abcdefghij", 7), "Abcdefghij");
}

TEST(LanguageApplierTest, EveryTextOfTheTableFindsItsControl)
{
    Program p;
    TrackmillApp& app = *p.app;
    LanguageTexts texts;
    std::map<QString, QWidget*> windows{{"TForm1", &app.form1()}, {"TForm2", &app.form2()},
                                        {"TForm3", &app.form3()},  {"TForm4", &app.form4()},
                                        {"TForm5", app.form1().findChild<TForm5*>()},
                                        {"TForm7", &app.form7()}};
    LanguageApplier applier(windows, app.form2(), app.tracks(), texts, p.paths.languagesDir());
    applier.apply(p.file("German.LNG"), QStringLiteral("German.LNG"));
    EXPECT_TRUE(applier.unresolved().isEmpty()) << applier.unresolved().join(' ').toStdString();
    EXPECT_EQ(texts.noDisc, p.file("German.LNG").text("MAIN", "MESSAGE"));
}

TEST(LanguageApplierTest, MenuAppliesMarksAndSavesTheLanguageAndListsKeepTheirSelection)
{
    Program p;
    EXPECT_TRUE(p.menuItem("English")->isChecked());  // nothing stored
    p.list("Priority")->setCurrentIndex(5);
    const int priority = p.app->settings().priority;
    p.menuItem("German")->trigger();

    const LanguageFile german = p.file("German.LNG");
    p.expectTitlesOf(german);
    EXPECT_EQ(p.toolbar("WAV"), LanguageApplier::AddSpaceToString(german.text("MAIN", "WAV"), 11));
    EXPECT_EQ(p.app->tracks().data(p.app->tracks().index(0, 1), Qt::DisplayRole).toString(), german.text("MAIN", "MESSAGE"));
    EXPECT_FALSE(p.menuItem("English")->isChecked());
    EXPECT_EQ(p.languagePanel()->text(), "German");
    EXPECT_EQ(p.languagePanel()->picture().toImage(), pictures::flag("de").toImage());
    EXPECT_EQ(p.list("Cmb_Language")->currentText(), "German");
    // The settings window's flag: three times its size, not stretched.
    const QImage flag = pictures::flag("de").toImage().convertToFormat(QImage::Format_ARGB32);
    const auto* country = p.app->form2().findChild<PixelPicture*>("ImageCountry");
    ASSERT_NE(country, nullptr);
    EXPECT_TRUE(enlargedCrisply(flag, country->shownPicture().toImage().convertToFormat(QImage::Format_ARGB32), 3));
    EXPECT_EQ(p.stored(), "German");
    EXPECT_EQ(p.list("Priority")->currentIndex(), 5);
    EXPECT_EQ(p.list("Priority")->currentText(), Program::textFor(german, "TForm2.Priority#5"));
    EXPECT_EQ(p.app->settings().priority, priority);
}

TEST(LanguageApplierTest, SettingsListAppliesWithoutSavingAndCancelTakesItBack)
{
    Program p("German");
    const LanguageFile german = p.file("German.LNG");
    p.expectTitlesOf(german);  // the stored language at start-up
    EXPECT_TRUE(p.menuItem("German")->isChecked());

    p.app->form2().Cmb_LanguageClick(4);  // Japanese, by the file name in capitals: centred
    const LanguageFile japanese = p.file("Japanese.LNG");
    p.expectTitlesOf(japanese);
    EXPECT_EQ(p.toolbar("MP3"), LanguageApplier::AddSpaceToString(japanese.text("MAIN", "MP3"), 11));
    EXPECT_TRUE(p.menuItem("Japanese")->isChecked());
    EXPECT_EQ(p.stored(), "German");

    p.app->form2().CancelClick();
    p.expectTitlesOf(german);
    EXPECT_FALSE(p.menuItem("Japanese")->isChecked());
    EXPECT_EQ(p.list("Cmb_Language")->currentText(), "German");
    EXPECT_EQ(p.languagePanel()->text(), "German");

    p.menuItem("Japanese")->trigger();  // from the menu: as the file has them
    EXPECT_EQ(p.toolbar("MP3"), japanese.text("MAIN", "MP3"));
}

TEST(LanguageApplierTest, SettingsWindowShowsTheLibrariesInUse)
{
    Program p;
    // No ripping library file beside this program folder: its date is unknown.
    const QString rip = "Used Library: " + ripLibraryVersionText(GetAKRipDllVersion()) + ", Last modified: unknown";
    EXPECT_EQ(p.settingsText("LibraryRipCDROM"), rip);
    EXPECT_EQ(p.settingsText("LibraryRipCDDB"), rip);
    // The encoder library is found by name on the test's run path.
    p.app->form2().steps().refreshEncoderVersionLines();
    const QRegularExpression library(QStringLiteral(
        "^Used Library: libgogo\\.so, version v\\d+\\.\\d\\d, Last modified: \\d{1,2} \\S+ \\d{4}$"));
    EXPECT_TRUE(library.match(p.settingsText("MyLibrary")).hasMatch()) << p.settingsText("MyLibrary").toStdString();
    EXPECT_TRUE(p.settingsText("MyCompany").startsWith("Company: "));
}

TEST(AboutWindowTest, FillsFromTheFileAtEveryOpeningAndOpensLinksThroughTheShell)
{
    // The shipped files as the build lays them out beside the program.
    const AppPaths paths{QStringLiteral(TRACKMILL_BIN_DIR), QStringLiteral(TRACKMILL_BIN_DIR "/no-config")};
    test::FakeDesktopShell shell;
    TForm5 form{paths, shell};
    // The window title, the author line, a group title and a tab.
    const auto texts = [&](const char* file) {
        form.GetInformationAboutLNG(QLatin1String(file));
        return QStringList{form.windowTitle(), form.findChild<QLabel*>("LabelAuthor")->text(),
                           form.findChild<QGroupBox*>("Grb_Thanks_Others")->title(),
                           form.findChild<QTabWidget*>("PageControl1")->tabText(1)};
    };
    const QStringList english = {"About", "Author: Trackmill developers", "Others:", "Translators"};
    EXPECT_EQ(texts("English.LNG"), english);
    EXPECT_EQ(texts("Russian.LNG"), (QStringList{"О программе", "Автор: Trackmill developers", "Другие:", "Переводчики"}));
    EXPECT_EQ(texts("English.LNG"), english);
    EXPECT_EQ(texts("Klingon.LNG"), (QStringList{"", ": Trackmill developers", ":", ""}));  // the fixed parts

    QStringList links;
    for (QLabel* label : form.findChildren<QLabel*>()) {
        if (label->textFormat() != Qt::RichText)
            continue;
        EXPECT_FALSE(label->openExternalLinks());
        const QString html = label->text();
        const qsizetype from = html.indexOf(QLatin1String("href=\"")) + 6;
        links << html.mid(from, html.indexOf('"', from) - from);
        emit label->linkActivated(links.last());
    }
    EXPECT_EQ(shell.openedUrls, links);
    EXPECT_TRUE(links.contains(QStringLiteral("https://www.qt.io/")));
}

TEST(AboutWindowTest, ShowsTheFlagOfTheLanguageInUseEnlargedByAWholeFactor)
{
    const AppPaths paths{QStringLiteral(TRACKMILL_BIN_DIR), QStringLiteral(TRACKMILL_BIN_DIR "/no-config")};
    test::FakeDesktopShell shell;
    TForm5 form{paths, shell};
    auto* logo = form.findChild<PixelPicture*>(QStringLiteral("ImageLogo"));
    ASSERT_NE(logo, nullptr);
    for (const auto& [file, stem] : {std::pair{"German.LNG", "de"}, {"japanese.lng", "jp"}, {"English.LNG", "gb"}}) {
        SCOPED_TRACE(file);
        form.GetInformationAboutLNG(QLatin1String(file));
        const QImage flag = pictures::flag(QLatin1String(stem)).toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(logo->pixmap().toImage().convertToFormat(QImage::Format_ARGB32), flag);
        EXPECT_TRUE(enlargedCrisply(flag, logo->shownPicture().toImage().convertToFormat(QImage::Format_ARGB32), 3));
    }
    // A file that is no language of the list keeps the flag shown before.
    form.GetInformationAboutLNG(QStringLiteral("Klingon.LNG"));
    EXPECT_EQ(logo->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
              pictures::flag(QStringLiteral("gb")).toImage().convertToFormat(QImage::Format_ARGB32));
}

TEST(PixelPictureTest, WholeFactorFitsTheRoom)
{
    const struct { QSize picture, room; int factor; } cases[] = {
        {{16, 11}, {48, 33}, 3}, {{16, 11}, {48, 32}, 2}, {{16, 11}, {96, 66}, 6},
        {{16, 11}, {10, 10}, 1}, {{0, 0}, {48, 33}, 1}, {{16, 11}, {0, 0}, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PixelPicture::wholeFactor(c.picture, c.room), c.factor)
            << c.picture.width() << "x" << c.picture.height() << " in " << c.room.width() << "x" << c.room.height();
}

TEST(LanguageApplierTest, TheFirstReadingOfTheDiscSpeaksTheStoredLanguage)
{
    // A translation of the user's own, not one of the thirty: its no-disc
    // text is read by the stored name before the disc is read; English
    // follows, and without its file the grid keeps the first text.
    Program own("Klingon", [](const AppPaths& paths) {
        QFile::remove(paths.languagesDir() + "/English.LNG");
        QFile file(paths.languagesDir() + "/Klingon.LNG");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[MAIN]\r\nMESSAGE=QaStaH nuq?\r\n");
    });
    EXPECT_EQ(own.app->tracks().texts().message, "QaStaH nuq?");
    EXPECT_EQ(own.app->tracks().cell(1, 1), "QaStaH nuq?");

    // No file of that name: the built-in text.
    Program missing("Elvish", [](const AppPaths& paths) { QFile::remove(paths.languagesDir() + "/English.LNG"); });
    EXPECT_EQ(missing.app->tracks().texts().message, TrackListTexts{}.message);
}

TEST(LanguageApplierTest, NoToolbarCaptionOrGridHeaderIsCutInAnyLanguage)
{
    Program p;
    TForm1& form1 = p.app->form1();
    form1.show();
    QHeaderView* header = form1.findChild<QTableView*>("TracksGrid")->horizontalHeader();
    auto* toolbar = form1.findChild<QToolBar*>("ToolBar1");
    auto* bar = form1.findChild<TStatusBarPro*>("StatusBarPro1");
    ASSERT_NE(bar, nullptr);
    // Panel 5's own text stands for a long system name.
    bar->panel(5)->setText("Debian GNU/Linux 12 (bookworm)");
    const int headerMargin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int i = 0; i < languageCount; ++i) {
        const char* language = languageList()[size_t(i)].name;
        SCOPED_TRACE(language);
        p.app->form2().Cmb_LanguageClick(i);
        QApplication::processEvents();
        QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QApplication::processEvents();
        ASSERT_EQ(p.languagePanel()->text(), QLatin1String(language));
        for (ToolbarButton* button : toolbar->findChildren<ToolbarButton*>()) {
            EXPECT_FALSE(button->captionElided()) << button->objectName().toStdString() << ": "
                                                  << button->text().toStdString() << " in " << button->width();
            // Not pushed behind the toolbar's overflow arrow either.
            EXPECT_TRUE(button->isVisible()) << button->objectName().toStdString();
            EXPECT_LE(button->geometry().right(), toolbar->contentsRect().right());
        }
        for (int c = 0; c < header->count(); ++c) {
            const QString text = header->model()->headerData(c, Qt::Horizontal).toString();
            EXPECT_GE(header->sectionSize(c), header->fontMetrics().horizontalAdvance(text) + headerMargin)
                << "column " << c << ": " << text.toStdString();
        }
        for (int i = 0; i < bar->panelCount(); ++i) {
            EXPECT_FALSE(bar->textElided(i)) << "panel " << i << ": " << bar->panel(i)->text().toStdString();
            EXPECT_LE(bar->panelRect(i).right(), bar->width()) << "panel " << i;
        }
    }
}

TEST(LanguageApplierTest, ToolbarButtonsTellTheirCaptionAndKeysRunTheirCommands)
{
    Program p("German");
    TForm1& form1 = p.app->form1();
    form1.show();
    QApplication::processEvents();
    const LanguageFile german = p.file("German.LNG");
    const auto tip = [&](const char* button) {
        return form1.findChild<ToolbarButton*>(button)->toolTipText();
    };
    EXPECT_EQ(tip("WAV"), german.text("MAIN", "WAV").trimmed());
    EXPECT_EQ(tip("Refresh"), german.text("MAIN", "REFRESH").trimmed() + " (F5)");
    EXPECT_EQ(tip("Settings"), german.text("MAIN", "SETTINGS").trimmed() + " (Ctrl+,)");
    // FLAC's tip says what the new button does, in the language's words.
    EXPECT_EQ(form1.findChild<ToolbarButton*>("FLAC")->text().trimmed(), german.text("MAIN", "FLAC"));
    EXPECT_EQ(tip("FLAC"), german.text("MAIN", "FLAC_HINT"));
    EXPECT_TRUE(tip("FLAC").contains("FLAC-Dateien")) << tip("FLAC").toStdString();
    for (ToolbarButton* button : form1.findChildren<ToolbarButton*>())
        EXPECT_FALSE(button->toolTipText().isEmpty()) << button->objectName().toStdString();

    // Ctrl+, clicks the Settings button (whose window is modal, so only
    // the click is counted here).
    int settingsClicks = 0;
    QObject::connect(form1.findChild<ToolbarButton*>("Settings"), &QToolButton::pressed, [&] { ++settingsClicks; });
    auto* settingsKey = form1.findChild<QShortcut*>("ShortcutSettings");
    ASSERT_NE(settingsKey, nullptr);
    EXPECT_EQ(settingsKey->key(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    EXPECT_EQ(form1.findChild<QShortcut*>("ShortcutRefresh")->key(), QKeySequence(Qt::Key_F5));
    form1.findChild<ToolbarButton*>("Settings")->setEnabled(false);
    settingsKey->activated();
    EXPECT_EQ(settingsClicks, 0) << "a disabled button ignores its key";
    // Ctrl+Q closes the main window, saving the settings as closing does.
    QFile::remove(p.paths.settingsFile());
    form1.findChild<QShortcut*>("ShortcutQuit")->activated();
    QApplication::processEvents();
    EXPECT_FALSE(form1.isVisible());
    EXPECT_TRUE(QFile::exists(p.paths.settingsFile()));
}

}
