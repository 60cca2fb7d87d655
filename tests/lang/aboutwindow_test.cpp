// SPDX-License-Identifier: GPL-2.0-or-later
// The About window offscreen, filled from the shipped language files, and
// its wiring in the whole program: the About button and the settings
// window's library lines.
#include "akrip32.h"
#include "app/mainwindow.h"
#include "app/trackmillapp.h"
#include "fakedesktopshell.h"
#include "lang/aboutwindow.h"
#include "lang/languagelist.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"
#include "settings/settingswindow.h"
#include "ui/libraryversionlines.h"
#include "../ui/qstringprinter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

using namespace trackmill;

namespace {

class AboutWindowTest : public ::testing::Test
{
protected:
    // The shipped files as the build lays them out beside the program.
    static AppPaths builtProgram()
    {
        AppPaths paths;
        paths.programDir = QStringLiteral(TRACKMILL_BIN_DIR);
        paths.configDir = QStringLiteral(TRACKMILL_BIN_DIR) + QStringLiteral("/no-config");
        return paths;
    }

    template <typename T>
    T* find(const char* name)
    {
        T* w = m_form.findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    QString text(const char* label) { return find<QLabel>(label)->text(); }
    QString title(const char* group) { return find<QGroupBox>(group)->title(); }
    QString tab(const char* page)
    {
        auto* tabs = find<QTabWidget>("PageControl1");
        return tabs->tabText(tabs->indexOf(find<QWidget>(page)));
    }

    // Every language-dependent text, in the order of the window's fill.
    QStringList languageTexts()
    {
        return {m_form.windowTitle(),      text("LabelAuthor"),
                text("LabelLanguage"),     text("LabelFreeware"),
                title("Grb_Thanks_Developers"), title("Grb_Thanks_Others"),
                title("Grb_Thanks_Testers"), title("Grb_Thanks_Translators"),
                tab("TabSheet1"),          tab("TabSheet2")};
    }

    AppPaths m_paths = builtProgram();
    test::FakeDesktopShell m_shell;
    TForm5 m_form{m_paths, m_shell};
};

TEST_F(AboutWindowTest, EachLanguageLineStandsBesideItsFlag)
{
    auto* translators = find<QGroupBox>("Grb_Thanks_Translators");
    auto* grid = qobject_cast<QGridLayout*>(translators->layout());
    ASSERT_NE(grid, nullptr);
    for (int i = 0; i < languageCount; ++i) {
        const QString name = TForm5::flagImageName(i);
        auto* flag = translators->findChild<QLabel*>(name);
        ASSERT_NE(flag, nullptr) << name.toStdString();
        EXPECT_EQ(m_form.flagPicture(i).cacheKey(), flag->pixmap().cacheKey());
        int row, column, rowSpan, columnSpan;
        grid->getItemPosition(grid->indexOf(flag), &row, &column, &rowSpan, &columnSpan);
        auto* line = qobject_cast<QLabel*>(grid->itemAtPosition(row, column + 1)->widget());
        ASSERT_NE(line, nullptr);
        EXPECT_TRUE(line->text().startsWith(QLatin1String(languageList()[i].name) + QLatin1Char(':')))
            << line->text().toStdString();
    }
    if (QFile::exists(QStringLiteral("/usr/share/flags/countries/16x11/pl.png"))) {
        EXPECT_EQ(m_form.flagPicture(1).size(), QSize(16, 11));
    }
}

TEST_F(AboutWindowTest, FillsFromTheFileAtEveryOpening)
{
    const QStringList english = {
        "About", "Author: Trackmill developers", "Programming language: C++20 with Qt 6",
        "Freeware - September 2001",
        "Special thanks for support and some useful technical clues about:", "Others:",
        "Testers:", "Special thanks for translation, testing and support:", "Author",
        "Translators"};
    const QStringList russian = {
        "О программе", "Автор: Trackmill developers",
        "Язык программирования: C++20 with Qt 6", "Бесплатная программа - сентябрь 2001",
        "Особая благодарность за помощь и полезные технические советы:", "Другие:",
        "Тестировщики:", "Особая благодарность за перевод, тестирование и поддержку:", "Автор",
        "Переводчики"};

    m_form.GetInformationAboutLNG(QStringLiteral("English.LNG"));
    EXPECT_EQ(languageTexts(), english);
    m_form.GetInformationAboutLNG(QStringLiteral("Russian.LNG"));
    EXPECT_EQ(languageTexts(), russian);
    m_form.GetInformationAboutLNG(QStringLiteral("English.LNG"));
    EXPECT_EQ(languageTexts(), english);
    // A missing file leaves the fixed parts.
    m_form.GetInformationAboutLNG(QStringLiteral("Klingon.LNG"));
    EXPECT_EQ(languageTexts(),
              QStringList({"", ": Trackmill developers", ": C++20 with Qt 6", " -  2001", ":", ":",
                           ":", ":", "", ""}));
}

TEST_F(AboutWindowTest, CreditsNameTheLibrariesAndLinksOpenThroughTheDesktopShell)
{
    QString developers;
    for (QLabel* l : find<QGroupBox>("Grb_Thanks_Developers")->findChildren<QLabel*>())
        developers += l->text() + QLatin1Char('\n');
    for (const char* name : {"Qt", "libcdio", "LAME", "libsndfile", "libcurl", "GOGO.DLL", "AKRIP32.DLL"})
        EXPECT_TRUE(developers.contains(QLatin1String(name))) << name;

    QStringList links;
    for (QLabel* label : m_form.findChildren<QLabel*>()) {
        if (label->textFormat() != Qt::RichText)
            continue;
        EXPECT_FALSE(label->openExternalLinks());
        const QString html = label->text();
        const qsizetype from = html.indexOf(QLatin1String("href=\"")) + 6;
        const QString url = html.mid(from, html.indexOf(QLatin1Char('"'), from) - from);
        emit label->linkActivated(url);
        links << url;
    }
    EXPECT_EQ(m_shell.openedUrls, links);
    EXPECT_TRUE(links.contains(QStringLiteral("https://www.qt.io/")));
    EXPECT_TRUE(links.contains(QStringLiteral("https://lame.sourceforge.io/")));
    EXPECT_GE(links.size(), 6);
}

// The whole program over the recording fakes, with two shipped language files.
class AboutWiringTest : public ::testing::Test
{
protected:
    AboutWiringTest()
    {
        QDir().mkpath(folders.paths.languagesDir());
        for (const char* name : {"English.LNG", "Russian.LNG"})
            QFile::copy(QStringLiteral(TRACKMILL_BIN_DIR "/Languages/") + QLatin1String(name),
                        folders.paths.languagesDir() + QLatin1Char('/') + QLatin1String(name));
        app = std::make_unique<TrackmillApp>(
            TrackmillApp::Services{boxes, system, shell, folders.paths, false, false, {"127.0.0.1", 9}});
    }

    QString settingsText(const char* name) const
    {
        auto* label = app->form2().findChild<QLabel*>(QLatin1String(name));
        return label ? label->text() : QStringLiteral("<no label>");
    }

    test::ProgramFolders folders;
    test::RecordingMessageBoxes boxes;
    test::RecordingSystemServices system;
    test::FakeDesktopShell shell;
    std::unique_ptr<TrackmillApp> app;
};

TEST_F(AboutWiringTest, AboutButtonOpensTheWindowInTheCurrentLanguage)
{
    auto* about = app->form1().findChild<QToolButton*>(QStringLiteral("About"));
    ASSERT_NE(about, nullptr);
    // Answers the modal window: notes its title and presses Ok.
    QString shownTitle;
    auto openAndClose = [&] {
        shownTitle.clear();
        QTimer::singleShot(0, [&] {
            auto* form5 = qobject_cast<TForm5*>(QApplication::activeModalWidget());
            ASSERT_NE(form5, nullptr);
            shownTitle = form5->windowTitle();
            form5->findChild<QPushButton*>(QStringLiteral("Ok"))->click();
        });
        about->click();
    };

    openAndClose();  // no language file applied yet: English
    EXPECT_EQ(shownTitle, QStringLiteral("About"));
    app->form2().selectLanguage(QStringLiteral("Russian"));
    openAndClose();
    EXPECT_EQ(shownTitle, QStringLiteral("О программе"));
    EXPECT_EQ(app->form1().findChildren<TForm5*>().size(), 1);  // made once, shown again
    EXPECT_TRUE(boxes.messages.isEmpty());
}

TEST_F(AboutWiringTest, SettingsWindowShowsTheLibrariesInUse)
{
    // No ripping library file beside this program folder: its date is unknown.
    const QString rip = QStringLiteral("Used Library: ") + ripLibraryVersionText(GetAKRipDllVersion())
                        + QStringLiteral(", Last modified: unknown");
    EXPECT_EQ(settingsText("LibraryRipCDROM"), rip);
    EXPECT_EQ(settingsText("LibraryRipCDDB"), rip);

    // The encoder library is found by name on the test's run path.
    app->form2().hooks().refreshEncoderVersionLines();
    const QRegularExpression library(QStringLiteral(
        "^Used Library: libgogo\\.so, version v\\d+\\.\\d\\d, Last modified: \\d{1,2} \\S+ \\d{4}$"));
    EXPECT_TRUE(library.match(settingsText("MyLibrary")).hasMatch()) << settingsText("MyLibrary").toStdString();
    EXPECT_TRUE(settingsText("MyCompany").startsWith(QStringLiteral("Company: ")));
    EXPECT_FALSE(settingsText("MyCopyright").isEmpty());
}

}
