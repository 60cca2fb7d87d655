// SPDX-License-Identifier: GPL-2.0-or-later
// The About window offscreen, filled from the shipped language files.
#include "fakedesktopshell.h"
#include "lang/aboutwindow.h"
#include "lang/languagelist.h"

#include <QApplication>
#include <QFile>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <ostream>

void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

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

TEST_F(AboutWindowTest, HasTheDesignsPagesAndGroupsInOrder)
{
    EXPECT_EQ(m_form.size(), QSize(709, 420));
    auto* tabs = find<QTabWidget>("PageControl1");
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->widget(0)->objectName(), QStringLiteral("TabSheet1"));
    EXPECT_EQ(tabs->widget(1)->objectName(), QStringLiteral("TabSheet2"));
    auto* ok = find<QPushButton>("Ok");
    EXPECT_EQ(ok->text(), QStringLiteral("   OK "));
    EXPECT_EQ(ok->size(), QSize(97, 30));

    auto groupsOf = [](QWidget* page) {
        QStringList names;
        for (QGroupBox* g : page->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly))
            names << g->objectName();
        return names;
    };
    EXPECT_EQ(groupsOf(tabs->widget(0)),
              QStringList({"GroupBox2", "Grb_Thanks_Developers", "Grb_Thanks_Others",
                           "GroupBox1", "GroupBox3"}));
    EXPECT_EQ(groupsOf(tabs->widget(1)),
              QStringList({"Grb_Thanks_Translators", "Grb_Thanks_Testers"}));
    for (const char* name : {"LabelAuthor", "LabelLanguage", "LabelFreeware"})
        EXPECT_EQ(find<QLabel>(name)->parentWidget()->objectName(), QStringLiteral("GroupBox2"));

    // The libraries the program stands on, the two outside ones among them.
    const QString developers = [&] {
        QString all;
        for (QLabel* l : find<QGroupBox>("Grb_Thanks_Developers")->findChildren<QLabel*>())
            all += l->text() + QLatin1Char('\n');
        return all;
    }();
    for (const char* name : {"Qt", "libcdio", "LAME", "libsndfile", "libcurl", "GOGO.DLL", "AKRIP32.DLL"})
        EXPECT_TRUE(developers.contains(QLatin1String(name))) << name;
}

TEST_F(AboutWindowTest, EachLanguageLineStandsBesideItsFlag)
{
    auto* translators = find<QGroupBox>("Grb_Thanks_Translators");
    for (int i = 0; i < languageCount; ++i) {
        const QString name = TForm5::flagImageName(i);
        auto* flag = translators->findChild<QLabel*>(name);
        ASSERT_NE(flag, nullptr) << name.toStdString();
        EXPECT_EQ(m_form.flagPicture(i).cacheKey(), flag->pixmap().cacheKey());
        // The line in the next grid cell names the flag's language.
        auto* grid = qobject_cast<QGridLayout*>(translators->layout());
        ASSERT_NE(grid, nullptr);
        int row, column, rowSpan, columnSpan;
        grid->getItemPosition(grid->indexOf(flag), &row, &column, &rowSpan, &columnSpan);
        auto* line = qobject_cast<QLabel*>(grid->itemAtPosition(row, column + 1)->widget());
        ASSERT_NE(line, nullptr);
        EXPECT_TRUE(line->text().startsWith(QLatin1String(languageList()[i].name) + QLatin1Char(':')))
            << line->text().toStdString();
    }
    EXPECT_EQ(TForm5::flagImageName(0), QStringLiteral("Image62"));   // English
    EXPECT_EQ(TForm5::flagImageName(1), QStringLiteral("Image39"));   // Polish
    EXPECT_EQ(TForm5::flagImageName(29), QStringLiteral("Image77"));  // Serbian
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
    const QStringList japanese = {
        "バージョン情報", "作者: Trackmill developers", "開発言語: C++20 with Qt 6",
        "フリーウェア - 9月 2001", "支援と有益な技術情報をいただいた方々に感謝します:",
        "その他:", "テスター:", "翻訳、テスト、支援をいただいた方々に感謝します:", "作者",
        "翻訳者"};

    m_form.GetInformationAboutLNG(QStringLiteral("English.LNG"));
    EXPECT_EQ(languageTexts(), english);
    // Switching the language shows the new texts at the next opening.
    m_form.GetInformationAboutLNG(QStringLiteral("Russian.LNG"));
    EXPECT_EQ(languageTexts(), russian);
    m_form.GetInformationAboutLNG(QStringLiteral("Japanese.LNG"));
    EXPECT_EQ(languageTexts(), japanese);
    m_form.GetInformationAboutLNG(QStringLiteral("English.LNG"));
    EXPECT_EQ(languageTexts(), english);
}

TEST_F(AboutWindowTest, MissingFileLeavesTheFixedPartsAndStillOpens)
{
    m_form.GetInformationAboutLNG(QStringLiteral("Klingon.LNG"));
    EXPECT_EQ(languageTexts(),
              QStringList({"", ": Trackmill developers", ": C++20 with Qt 6", " -  2001", ":", ":",
                           ":", ":", "", ""}));

    // A file with the month but no FREEWARE, and an empty title.
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath("Languages"));
    QFile f(dir.filePath("Languages/Partial.LNG"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[MONTHS]\r\nSEPTEMBER=September\r\n[OTHERS]\r\nTHANKS_OTHERS=Others\r\n");
    f.close();
    AppPaths paths = m_paths;
    paths.programDir = dir.path();
    TForm5 partial(paths, m_shell);
    partial.GetInformationAboutLNG(QStringLiteral("Partial.LNG"));
    EXPECT_EQ(partial.findChild<QLabel*>("LabelFreeware")->text(), QStringLiteral(" - September 2001"));
    EXPECT_EQ(partial.findChild<QGroupBox*>("Grb_Thanks_Others")->title(), QStringLiteral("Others:"));

    // Shown modally; Ok hides it and it can be opened again.
    for (int opening = 0; opening < 2; ++opening) {
        QTimer::singleShot(0, &m_form, [this] {
            EXPECT_EQ(QApplication::activeModalWidget(), &m_form);
            find<QPushButton>("Ok")->click();
        });
        EXPECT_EQ(m_form.exec(), QDialog::Accepted);
        EXPECT_FALSE(m_form.isVisible());
    }
}

TEST_F(AboutWindowTest, LinksOpenThroughTheDesktopShell)
{
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

}
