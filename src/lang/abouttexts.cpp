// SPDX-License-Identifier: GPL-2.0-or-later
#include "abouttexts.h"

#include "languagefile.h"
#include "languagelist.h"

namespace trackmill {

QString AboutTexts::authorDetails()
{
    return QStringLiteral("Trackmill developers");
}

QString AboutTexts::programmingLine()
{
    return QStringLiteral("C++20 with Qt 6");
}

AboutTexts AboutTexts::fromFile(const LanguageFile& f)
{
    AboutTexts t;
    t.title = f.text("MAIN", "ABOUT");
    t.author = f.text("OTHERS", "AUTHOR") + QLatin1String(": ") + authorDetails();
    t.programmingLanguage = f.text("OTHERS", "PROGRAMMING_LANGUAGE") + QLatin1String(": ")
                            + programmingLine();
    t.freeware = f.text("OTHERS", "FREEWARE") + QLatin1String(" - ")
                 + f.text("MONTHS", "SEPTEMBER") + QLatin1String(" 2001");
    t.thanksAssistants = f.composed("OTHERS", "THANKS_ASSISTANTS", TextForm::Colon);
    t.thanksOthers = f.composed("OTHERS", "THANKS_OTHERS", TextForm::Colon);
    t.thanksTesters = f.composed("OTHERS", "THANKS_TESTERS", TextForm::Colon);
    t.thanksTranslators = f.composed("OTHERS", "THANKS_TRANSLATORS", TextForm::Colon);
    t.authorTab = f.text("OTHERS", "AUTHOR_AND_ASSISTANTS");
    t.translatorsTab = f.text("OTHERS", "TESTERS_AND_TRANSLATORS");
    return t;
}

AboutCredits AboutCredits::standard()
{
    AboutCredits c;
    c.developers = {
        QStringLiteral("Qt - user interface and text conversion (The Qt Company and contributors)"),
        QStringLiteral("libcdio - CD drive access and audio extraction (AKRIP32.DLL)"),
        QStringLiteral("LAME - MP3 encoding (GOGO.DLL)"),
        QStringLiteral("libsndfile - reading WAV files"),
        QStringLiteral("libcurl - FreeDB queries over HTTP"),
    };
    c.others = {
        QStringLiteral("famfamfam flag icons - the flags of the languages"),
        QStringLiteral("The freedb and gnudb communities - disc information"),
    };
    c.iconDesigner = QStringLiteral("Trackmill developers");
    c.logoDesigner = QStringLiteral("Trackmill developers");
    for (const LanguageEntry& language : languageList())
        c.translators << QLatin1String(language.name) + QLatin1String(": Trackmill translators");
    c.testers = {QStringLiteral("Trackmill developers and users")};
    return c;
}

}
