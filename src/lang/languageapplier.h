// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <map>

class QWidget;

namespace trackmill {

class LanguageFile;
class TForm2;
class TrackList;
struct LanguageTexts;

// Puts the texts of a language file into every window by the objectName of
// the controls, in the order of the key table, together with the
// program-wide texts and the Track list's texts.
class LanguageApplier
{
public:
    // windows maps a window's design name ("TForm1" ... "TForm7") to the
    // window; all of them outlive the applier.
    LanguageApplier(std::map<QString, QWidget*> windows, TForm2& settingsWindow, TrackList& tracks,
                    LanguageTexts& texts, QString languagesDir);

    // TForm1.LoadSettingLanguage: a missing file empties every text fed by it.
    void LoadSettingLanguage(const QString& fileName);
    void apply(const LanguageFile& file, const QString& fileName);

    // The text centred in width characters; an odd surplus puts the extra
    // blank on the left. A text as long as width or longer is unchanged.
    static QString AddSpaceToString(const QString& text, int width);

    // Targets of the key table that named no control in the last apply()
    // (for the tests: an empty list means every text found its place).
    const QStringList& unresolved() const { return m_unresolved; }

private:
    bool setControlText(const QString& target, const QString& text);

    std::map<QString, QWidget*> m_windows;
    TForm2& m_settingsWindow;
    TrackList& m_tracks;
    LanguageTexts& m_texts;
    QString m_languagesDir;
    QStringList m_unresolved;
};

}
