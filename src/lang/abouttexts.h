// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace trackmill {

class LanguageFile;

// The language-dependent texts of the About window, composed as shown, and
// the fixed credit lines of its groups (the same in every language).
struct AboutTexts
{
    QString title;                  // MAIN/ABOUT
    QString author;                 // AUTHOR + ": " + authorDetails
    QString programmingLanguage;    // PROGRAMMING_LANGUAGE + ": " + programmingLine
    QString freeware;               // FREEWARE + " - " + MONTHS/SEPTEMBER + " 2001"
    QString thanksAssistants;       // THANKS_ASSISTANTS + ":"
    QString thanksOthers;           // THANKS_OTHERS + ":"
    QString thanksTesters;          // THANKS_TESTERS + ":"
    QString thanksTranslators;      // THANKS_TRANSLATORS + ":"
    QString authorTab;              // AUTHOR_AND_ASSISTANTS
    QString translatorsTab;         // TESTERS_AND_TRANSLATORS

    static AboutTexts fromFile(const LanguageFile& file);

    static QString authorDetails();
    static QString programmingLine();
};

// Fixed lines of the About window's groups, in the groups' order.
struct AboutCredits
{
    QStringList developers;   // Grb_Thanks_Developers: libraries the program stands on
    QStringList others;       // Grb_Thanks_Others
    QString iconDesigner;     // GroupBox1
    QString logoDesigner;     // GroupBox3
    QStringList translators;  // Grb_Thanks_Translators: one line per language, list order
    QStringList testers;      // Grb_Thanks_Testers

    static AboutCredits standard();
};

}
