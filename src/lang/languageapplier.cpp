// SPDX-License-Identifier: GPL-2.0-or-later
#include "languageapplier.h"

#include "cd/tracklist.h"
#include "cd/tracklisttexts.h"
#include "languagefile.h"
#include "languagekeys.h"
#include "languagetexts.h"
#include "settings/settingswindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QWidget>

namespace trackmill {

namespace {

// Toolbar captions are centred in these widths (characters), so that the
// buttons keep their look whatever the caption's length.
struct ToolbarWidth
{
    const char* button;
    int width;
};
constexpr ToolbarWidth kToolbarWidths[] = {{"Refresh", 11}, {"WAV", 11}, {"MP3", 11},  {"FLAC", 11},
                                           {"FreeDB", 7},    {"Settings", 11}, {"ID3", 13}, {"About", 13}};

// Files whose scripts would be pushed out of shape by padding blanks;
// compared exactly, so "JAPANESE.LNG" from the settings list is centred.
const char* const kUncentredFiles[] = {"TChinese.LNG", "SChinese.LNG", "Hebrew.LNG",
                                       "Japanese.LNG", "Greek.LNG",    "Russian.LNG"};

int toolbarWidth(const QString& button)
{
    for (const ToolbarWidth& t : kToolbarWidths)
        if (button == QLatin1String(t.button))
            return t.width;
    return -1;
}

// A page of a tab widget takes its caption as the tab's text.
QTabWidget* tabsOfPage(QWidget* page)
{
    auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget());
    return stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
}

}

LanguageApplier::LanguageApplier(std::map<QString, QWidget*> windows, TForm2& settingsWindow,
                                 TrackList& tracks, LanguageTexts& texts, QString languagesDir)
    : m_windows(std::move(windows))
    , m_settingsWindow(settingsWindow)
    , m_tracks(tracks)
    , m_texts(texts)
    , m_languagesDir(std::move(languagesDir))
{
}

QString LanguageApplier::AddSpaceToString(const QString& text, int width)
{
    const qsizetype n = text.size();
    if (width <= n)
        return text;
    const qsizetype right = (width - n) / 2;
    const qsizetype left = width - n - right;
    return QString(left, QLatin1Char(' ')) + text + QString(right, QLatin1Char(' '));
}

void LanguageApplier::LoadSettingLanguage(const QString& fileName)
{
    apply(LanguageFile::open(m_languagesDir, fileName), fileName);
}

void LanguageApplier::apply(const LanguageFile& file, const QString& fileName)
{
    m_unresolved.clear();
    bool centred = true;
    for (const char* name : kUncentredFiles)
        if (fileName == QLatin1String(name))
            centred = false;

    TrackListTexts trackTexts;
    QString availableTracks;
    QString track;
    for (const LanguageTextRow& row : languageTextRows()) {
        const QString target = QString::fromLatin1(row.target);
        const QString text = file.composed(row);
        if (target.startsWith(QLatin1String("LanguageTexts.")))
            continue;  // replaced as a whole below
        if (target.startsWith(QLatin1String("TForm1.TracksGrid#"))) {
            const int column = target.section(QLatin1Char('#'), 1).toInt();
            if (column > 0 && column < int(trackTexts.headers.size()))
                trackTexts.headers[size_t(column)] = text;
            continue;
        }
        // The counting labels add the figures to these texts.
        if (target == QLatin1String("TForm2.LabelAvailableTracks")) {
            availableTracks = text;
            continue;
        }
        if (target == QLatin1String("TForm2.LabelTrack")) {
            track = text;
            continue;
        }
        const QString control = target.section(QLatin1Char('.'), 1);
        const int width = target.startsWith(QLatin1String("TForm1.")) ? toolbarWidth(control) : -1;
        const QString shown = width > 0 && centred ? AddSpaceToString(text, width) : text;
        if (!setControlText(target, shown))
            m_unresolved << target;
    }

    m_texts = LanguageTexts::fromFile(file);
    trackTexts.message = m_texts.noDisc;
    trackTexts.tracks = m_texts.tracks;
    trackTexts.playtime = m_texts.playtime;
    m_tracks.setTexts(trackTexts);
    m_settingsWindow.setCountingLabelTexts(availableTracks, track);
    // Qt's fonts are Unicode and find a face for every script themselves;
    // the declared character set only chose the code page the texts were
    // decoded from (LanguageFile), so no font needs changing here.
}

bool LanguageApplier::setControlText(const QString& target, const QString& text)
{
    const QString windowName = target.section(QLatin1Char('.'), 0, 0);
    const auto window = m_windows.find(windowName);
    if (window == m_windows.end() || !window->second)
        return false;
    QWidget* form = window->second;
    if (!target.contains(QLatin1Char('.'))) {
        form->setWindowTitle(text);
        return true;
    }
    QString control = target.section(QLatin1Char('.'), 1);
    // "Window.Control:toolTip": the control's tool tip, not its caption.
    const QLatin1String toolTipMark(":toolTip");
    const bool toolTip = control.endsWith(toolTipMark);
    if (toolTip)
        control.chop(toolTipMark.size());
    int entry = -1;
    if (control.contains(QLatin1Char('#'))) {
        entry = control.section(QLatin1Char('#'), 1).toInt();
        control = control.section(QLatin1Char('#'), 0, 0);
    }
    QObject* object = form->findChild<QObject*>(control);
    if (!object)
        return false;
    if (toolTip) {
        auto* widget = qobject_cast<QWidget*>(object);
        if (widget)
            widget->setToolTip(text);
        return widget != nullptr;
    }
    if (entry >= 0) {
        // A list of several columns: the column's header.
        if (auto* tree = qobject_cast<QTreeWidget*>(object)) {
            if (entry >= tree->columnCount())
                return false;
            tree->headerItem()->setText(entry, text);
            return true;
        }
        // setItemText keeps the selected entry, so the user's choice stays.
        auto* list = qobject_cast<QComboBox*>(object);
        if (!list || entry >= list->count())
            return false;
        list->setItemText(entry, text);
        return true;
    }
    if (auto* action = qobject_cast<QAction*>(object)) {
        action->setText(text);
        return true;
    }
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return false;
    if (QTabWidget* tabs = tabsOfPage(widget)) {
        tabs->setTabText(tabs->indexOf(widget), text);
        return true;
    }
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(text);
        return true;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
        return true;
    }
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
        return true;
    }
    return false;
}

}
