// SPDX-License-Identifier: GPL-2.0-or-later
// A language applied to the whole program: from the language menu, from the
// settings window's list (and taken back by Cancel), at start-up, and over
// every control the key table names.
#include "app/mainwindow.h"
#include "app/trackmillapp.h"
#include "app/tracklist.h"
#include "metadata/freedbwindow.h"
#include "settings/settings.h"
#include "tags/tageditorwindow.h"
#include "fakedesktopshell.h"
#include "lang/aboutwindow.h"
#include "lang/languageapplier.h"
#include "lang/languagefile.h"
#include "lang/languagekeys.h"
#include "platform/inifile.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"
#include "rip/progresswindow.h"
#include "settings/settingswindow.h"
#include "ui/pictures.h"
#include "ui/tstatusbarpro.h"
#include "ui/tstatuspanelpro.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

using namespace trackmill;

namespace {

// The program over the recording fakes in a temporary program folder with
// the shipped language files. stored: LANGUAGE of the settings file, if any.
struct Program
{
    explicit Program(const QString& stored = QString())
    {
        const QDir shipped(QStringLiteral(TRACKMILL_BIN_DIR "/Languages"));
        QDir().mkpath(paths.languagesDir());
        for (const QString& name : shipped.entryList({QStringLiteral("*.LNG")}, QDir::Files))
            QFile::copy(shipped.filePath(name), paths.languagesDir() + QLatin1Char('/') + name);
        if (!stored.isEmpty())
            IniFile(paths.settingsFile()).writeString("MAIN", "LANGUAGE", stored.toUtf8());
        app = std::make_unique<TrackmillApp>(
            TrackmillApp::Services{boxes, system, shell, paths, false, false, {"127.0.0.1", 9}});
    }

    LanguageFile file(const char* name) const { return LanguageFile::open(paths.languagesDir(), QLatin1String(name)); }
    QString toolbar(const char* button) const
    {
        return app->form1().findChild<QToolButton*>(QLatin1String(button))->text();
    }
    QComboBox* list(const char* name) const { return app->form2().findChild<QComboBox*>(QLatin1String(name)); }
    QAction* menuItem(const char* item) const
    {
        return app->form1().findChild<QMenu*>(QStringLiteral("PopupMenu1"))->findChild<QAction*>(QLatin1String(item));
    }
    TStatusPanelPro* languagePanel() const
    {
        return app->form1().findChild<TStatusBarPro*>(QStringLiteral("StatusBarPro1"))->panel(4);
    }
    QString stored() const
    {
        return QString::fromUtf8(IniFile(paths.settingsFile()).readString("MAIN", "LANGUAGE"));
    }
    // The window titles of all six windows, in the table's order.
    QStringList titles() const
    {
        return {app->form1().findChild<QWidget*>(QStringLiteral("LabelArtist"))->property("text").toString(),
                app->form2().windowTitle(), app->form3().windowTitle(), app->form4().windowTitle(),
                app->form1().findChild<TForm5*>()->windowTitle(), app->form7().windowTitle()};
    }
    static QStringList expectedTitles(const LanguageFile& f)
    {
        QStringList t{f.composed("MAIN", "ARTIST", TextForm::Colon)};
        for (const char* form : {"TForm2", "TForm3", "TForm4", "TForm5", "TForm7"})
            for (const LanguageTextRow& row : languageTextRows())
                if (QLatin1String(row.target) == QLatin1String(form))
                    t << f.composed(row);
        return t;
    }

    test::ProgramFolders folders;
    AppPaths& paths = folders.paths;
    test::RecordingMessageBoxes boxes;
    test::RecordingSystemServices system;
    test::FakeDesktopShell shell;
    std::unique_ptr<TrackmillApp> app;
};

TEST(LanguageApplierTest, CentringPutsTheOddBlankOnTheLeft)
{
    EXPECT_EQ(LanguageApplier::AddSpaceToString("WAV", 11), "    WAV    ");
    EXPECT_EQ(LanguageApplier::AddSpaceToString("Abcdef", 7), " Abcdef");
    EXPECT_EQ(LanguageApplier::AddSpaceToString("Abcdefg", 7), "Abcdefg");
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
    EXPECT_FALSE(texts.noDisc.isEmpty());
}

TEST(LanguageApplierTest, MenuAppliesMarksAndSavesTheLanguage)
{
    Program p;
    EXPECT_TRUE(p.menuItem("English")->isChecked());  // nothing stored: English marked
    p.menuItem("German")->trigger();

    const LanguageFile german = p.file("German.LNG");
    EXPECT_EQ(p.titles(), Program::expectedTitles(german));
    EXPECT_EQ(p.toolbar("WAV"), LanguageApplier::AddSpaceToString(german.text("MAIN", "WAV"), 11));
    EXPECT_EQ(p.app->languageTexts().noDisc, german.text("MAIN", "MESSAGE"));
    EXPECT_EQ(p.app->tracks().data(p.app->tracks().index(0, 1), Qt::DisplayRole).toString(), german.text("MAIN", "MESSAGE"));
    EXPECT_TRUE(p.menuItem("German")->isChecked());
    EXPECT_FALSE(p.menuItem("English")->isChecked());
    EXPECT_EQ(p.languagePanel()->text(), "German");
    EXPECT_EQ(p.languagePanel()->picture().toImage(), pictures::flag("de").toImage());
    EXPECT_EQ(p.list("Cmb_Language")->currentText(), "German");
    EXPECT_FALSE(p.app->form2().findChild<QLabel*>(QStringLiteral("ImageCountry"))->pixmap().isNull());
    EXPECT_EQ(p.stored(), "German");
}

TEST(LanguageApplierTest, SettingsListAppliesWithoutSavingAndCancelTakesItBack)
{
    Program p(QStringLiteral("German"));
    const LanguageFile german = p.file("German.LNG");
    EXPECT_EQ(p.titles(), Program::expectedTitles(german));  // the stored language at start-up
    EXPECT_TRUE(p.menuItem("German")->isChecked());

    p.app->form2().Cmb_LanguageClick(4);  // Japanese, by the file name in capitals: centred
    const LanguageFile japanese = p.file("Japanese.LNG");
    EXPECT_EQ(p.titles(), Program::expectedTitles(japanese));
    EXPECT_EQ(p.toolbar("MP3"), LanguageApplier::AddSpaceToString(japanese.text("MAIN", "MP3"), 11));
    EXPECT_TRUE(p.menuItem("Japanese")->isChecked());
    EXPECT_EQ(p.languagePanel()->text(), "Japanese");
    EXPECT_EQ(p.stored(), "German");

    p.app->form2().CancelClick();
    EXPECT_EQ(p.titles(), Program::expectedTitles(german));
    EXPECT_TRUE(p.menuItem("German")->isChecked());
    EXPECT_FALSE(p.menuItem("Japanese")->isChecked());
    EXPECT_EQ(p.list("Cmb_Language")->currentText(), "German");
    EXPECT_EQ(p.languagePanel()->text(), "German");
    EXPECT_EQ(p.languagePanel()->picture().toImage(), pictures::flag("de").toImage());

    p.menuItem("Japanese")->trigger();  // from the menu: as the file has them
    EXPECT_EQ(p.toolbar("MP3"), japanese.text("MAIN", "MP3"));
}

TEST(LanguageApplierTest, ListsKeepTheirSelectionInTheNewLanguage)
{
    Program p;
    QComboBox* priority = p.list("Priority");
    priority->setCurrentIndex(5);
    const int setting = p.app->settings().priority;
    p.menuItem("Polish")->trigger();
    EXPECT_EQ(priority->currentIndex(), 5);
    EXPECT_EQ(p.app->settings().priority, setting);
    const LanguageFile polish = p.file("Polish.LNG");
    QString expected;
    for (const LanguageTextRow& row : languageTextRows())
        if (QLatin1String(row.target) == QLatin1String("TForm2.Priority#5"))
            expected = polish.composed(row);
    EXPECT_FALSE(expected.isEmpty());
    EXPECT_EQ(priority->currentText(), expected);

    // Screenshots for a look at the scripts, only when asked for.
    const QString shots = qEnvironmentVariable("TRACKMILL_LANGUAGE_SHOTS");
    if (!shots.isEmpty())
        for (const char* item : {"English", "Polish", "Russian", "Greek", "Japanese"}) {
            p.menuItem(item)->trigger();
            p.app->form1().resize(760, 420);
            p.app->form1().grab().save(shots + QLatin1Char('/') + QLatin1String(item) + ".png");
        }
}

}
