// SPDX-License-Identifier: GPL-2.0-or-later
#include "consoletexts.h"

#include "lang/languagechoice.h"
#include "lang/languagefile.h"

namespace trackmill::cli {

ConsoleTexts ConsoleTexts::fromFiles(const LanguageFile& file, const LanguageFile& fallback)
{
    const auto text = [&](const char* key, const char* section = "CONSOLE") {
        const QString own = file.text(section, key);
        return own.isEmpty() ? fallback.text(section, key) : own;
    };
    ConsoleTexts t;
    t.noDrive = text("NO_DRIVE");
    t.noSuchDrive = text("NO_SUCH_DRIVE");
    t.noDisc = text("NO_DISC");
    t.noAudioDisc = text("NO_AUDIO_DISC");
    t.noSettingsFile = text("NO_SETTINGS_FILE");
    t.noSuchTrack = text("NO_SUCH_TRACK");
    t.dataTrack = text("DATA_TRACK");
    t.noEncoder = text("NO_ENCODER");
    t.interrupted = text("INTERRUPTED");
    t.runFailed = text("RUN_FAILED");
    t.tracksDone = text("TRACKS_DONE");
    t.track = text("TRACK");
    t.trackDone = text("TRACK_DONE");
    t.trackAborted = text("TRACK_ABORTED");
    t.trackFailed = text("TRACK_FAILED");
    t.jobsRunning = text("RUNNING", "JOBS");
    t.noMatch = text("NO_MATCH", "LOOKUP");
    t.lookupFailed = text("LOOKUP_FAILED", "LOOKUP");
    t.noSuchRelease = text("NO_SUCH_RELEASE", "LOOKUP");
    return t;
}

ConsoleTexts ConsoleTexts::forSettings(const QString& settingsFile, const QString& languagesDir)
{
    const StartupLanguage language = startupLanguage(settingsFile, languagesDir);
    const LanguageFile english = LanguageFile::open(languagesDir, QStringLiteral("English.LNG"));
    if (!language.applyFile)
        return fromFiles(english, english);
    return fromFiles(LanguageFile::open(languagesDir, language.marked.name + QStringLiteral(".LNG")), english);
}

}
