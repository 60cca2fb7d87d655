// SPDX-License-Identifier: GPL-2.0-or-later
#include "languagekeys.h"

#include <QByteArrayView>
#include <vector>

namespace trackmill {

QString composeText(const QString& value, TextForm form)
{
    switch (form) {
    case TextForm::Text: return value;
    case TextForm::Colon: return value + QLatin1String(":");
    case TextForm::TrackNumber: return value + QLatin1String(" #:");
    case TextForm::TrackNumberOfTotal: return value + QLatin1String(" #/*:");
    case TextForm::Ellipsis: return value + QLatin1String("...");
    case TextForm::LeadingBlank: return QLatin1String(" ") + value;
    }
    return value;
}

namespace {

using F = TextForm;

constexpr LanguageTextRow kRows[] = {
    {"MAIN", "REFRESH", "TForm1.Refresh", F::Text},
    {"MAIN", "WAV", "TForm1.WAV", F::Text},
    {"MAIN", "MP3", "TForm1.MP3", F::Text},
    {"MAIN", "FLAC", "TForm1.FLAC", F::Text},
    {"MAIN", "FLAC_HINT", "TForm1.FLAC:toolTip", F::Text},
    {"MAIN", "FREEDB", "TForm1.FreeDB", F::Text},
    {"MAIN", "SETTINGS", "TForm1.Settings", F::Text},
    {"MAIN", "SETTINGS", "TForm2", F::Text},
    {"MAIN", "ID3", "TForm1.ID3", F::Text},
    {"MAIN", "ABOUT", "TForm1.About", F::Text},
    {"MAIN", "ABOUT", "TForm5", F::Text},
    {"MAIN", "ARTIST", "TForm1.LabelArtist", F::Colon},
    {"MAIN", "ALBUM", "TForm1.LabelAlbum", F::Colon},
    {"MAIN", "NAME", "TForm1.TracksGrid#1", F::LeadingBlank},
    {"MAIN", "NUMBER", "TForm1.TracksGrid#2", F::LeadingBlank},
    {"MAIN", "TIME", "TForm1.TracksGrid#3", F::LeadingBlank},
    {"MAIN", "LENGTH", "TForm1.TracksGrid#4", F::LeadingBlank},
    {"MAIN", "INFORMATION", "TForm1.TracksGrid#5", F::LeadingBlank},
    {"MAIN", "MESSAGE", "LanguageTexts.noDisc", F::Text},
    {"FREEDB", "FREEDB_CONNECT", "LanguageTexts.freedbConnect", F::Text},
    {"FREEDB", "FREEDB_CD_AUDIO_FOUND", "LanguageTexts.freedbFound", F::Text},
    {"FREEDB", "FREEDB_CD_AUDIO_NO_FOUND", "LanguageTexts.freedbNotFound", F::Text},
    {"SETTINGS", "APPLY", "TForm2.Apply", F::Text},
    {"SETTINGS", "CANCEL", "TForm2.Cancel", F::Text},
    {"SETTINGS_ENCODER", "ENCODER", "TForm2.Encoder", F::Text},
    {"SETTINGS_ENCODER", "BITRATE", "TForm2.LabelBitrate", F::Colon},
    {"SETTINGS_ENCODER", "QUALITY", "TForm2.LabelQuality", F::Colon},
    {"SETTINGS_ENCODER", "VBR", "TForm2.LabelVBR", F::Colon},
    {"SETTINGS_ENCODER", "PRIORITY", "TForm2.LabelPriority", F::Colon},
    {"SETTINGS_ENCODER", "EMPHASIS", "TForm2.LabelEmphasis", F::Colon},
    {"SETTINGS_ENCODER", "PRIMARY_OPTIONS", "TForm2.PrimaryOptionsTab", F::Text},
    {"SETTINGS_ENCODER", "SECONDARY_OPTIONS", "TForm2.AdvancedOptionsTab", F::Text},
    {"SETTINGS_ENCODER", "OUTPUT_DIRECTORY", "TForm2.LabelOutputDirectory", F::Colon},
    {"SETTINGS_ENCODER", "BROWSE", "TForm2.BtnBrowseWAV_MP3", F::Text},
    {"SETTINGS_ENCODER", "USE_MPEG1", "TForm2.MPEG1", F::Text},
    {"SETTINGS_ENCODER", "USE_MPEG2", "TForm2.MPEG2", F::Text},
    {"SETTINGS_ENCODER", "ON_THE_FLY_ENCODING", "TForm2.OnTheFly", F::Text},
    {"SETTINGS_ENCODER", "DELETE", "TForm2.MyDeleteBox", F::Text},
    {"SETTINGS_ENCODER", "PSY_SOUND", "TForm2.UsePsy", F::Text},
    {"SETTINGS_ENCODER", "FILTER_16kHz", "TForm2.UseLPF16", F::Text},
    {"SETTINGS_ENCODER", "VBR_RATIO", "TForm2.VBRRatio", F::Text},
    {"SETTINGS_ENCODER", "MMX_3DNOW", "TForm2.Use_MMX_3DNOW", F::Text},
    {"SETTINGS_ENCODER", "MULTI_CPU", "TForm2.Use_Multi_CPU", F::Text},
    {"SETTINGS_ENCODER", "ENCODE_WAV_TO_MP3", "TForm2.EncodeWAVtoMP3", F::Text},
    {"SETTINGS_ENCODER", "FILTER_CBR", "TForm2.ExtendedFilterCBR", F::Text},
    {"SETTINGS_ENCODER", "FILTER_CBR_HIGH", "TForm2.LabelFrequencyCBRHigh", F::Text},
    {"SETTINGS_ENCODER", "FILTER_CBR_LOW", "TForm2.LabelFrequencyCBRLow", F::Text},
    {"SETTINGS_ENCODER", "FILTER_MS_STEREO", "TForm2.Filter_MS_Stereo", F::Text},
    {"SETTINGS_ENCODER", "FILTER_MS_STEREO_THRESHOLD", "TForm2.LabelThreshold", F::Text},
    {"SETTINGS_ENCODER", "FILTER_MS_STEREO_POWER", "TForm2.LabelPower", F::Text},
    {"SETTINGS_CDROM", "CDROM", "TForm2.CDROM", F::Text},
    {"SETTINGS_CDROM", "CDROM_UNIT", "TForm2.LabelCDROMUnit", F::Colon},
    {"SETTINGS_CDROM", "CDROM_TYPE", "TForm2.LabelCDROMType", F::Colon},
    {"SETTINGS_CDROM", "SELECT_ALL", "TForm2.SelectAllTracks", F::Text},
    {"SETTINGS_CDROM", "EJECT_AFTER", "TForm2.EjectCDAudio", F::Text},
    {"SETTINGS_CDROM", "USE_CDPLAYER_INI", "TForm2.UseCDPlayerINI", F::Text},
    {"SETTINGS_CDROM", "PREVENT_SCREENSAVER", "TForm2.Cmb_Screensaver", F::Text},
    {"SETTINGS_CDROM", "AFTER_EXECUTE", "TForm2.LabelExecute", F::Text},
    {"SETTINGS_CDROM", "EXECUTE_NONE", "TForm2.Cmb_Execute#0", F::Text},
    {"SETTINGS_CDROM", "EXECUTE_SHUTDOWN", "TForm2.Cmb_Execute#1", F::Text},
    {"SETTINGS_CDROM", "EXECUTE_RESTART", "TForm2.Cmb_Execute#2", F::Text},
    {"SETTINGS_FREEDB", "FREEDB", "TForm2.FREEDB", F::Text},
    {"SETTINGS_FREEDB", "EMAIL", "TForm2.LabelEmail", F::Colon},
    {"SETTINGS_FREEDB", "CGI_SERVER", "TForm2.LabelCGI", F::Colon},
    {"SETTINGS_FREEDB", "FREEDB_SERVER", "TForm2.LabelServer", F::Colon},
    {"SETTINGS_FREEDB", "AUTO_CONNECT", "TForm2.AutoConnectFREEDB", F::Text},
    {"SETTINGS_FREEDB", "AUTO_STORE_CDPLAYER_INI", "TForm2.Cmb_AutoStore", F::Text},
    {"SETTINGS_FREEDB", "USE_PROXY", "TForm2.Use_Proxy", F::Text},
    {"SETTINGS_FREEDB", "SERVER_PROXY", "TForm2.LabelServerProxy", F::Colon},
    {"SETTINGS_FREEDB", "PORT_PROXY", "TForm2.LabelPortProxy", F::Colon},
    {"SETTINGS_FILENAME", "FILENAME", "TForm2.FileName", F::Text},
    {"SETTINGS_FILENAME", "FILENAME_MP3", "TForm2.LabelFileNameMP3", F::Colon},
    {"SETTINGS_FILENAME", "ARTIST_AS_DIRECTORY", "TForm2.ArtistAsDirectory", F::Text},
    {"SETTINGS_FILENAME", "ALBUM_AS_DIRECTORY", "TForm2.AlbumAsDirectory", F::Text},
    {"SETTINGS_FILENAME", "ARTIST_AND_ALBUM_AS_DIRECTORY", "TForm2.ArtistAndAlbumAsDirectory", F::Text},
    {"SETTINGS_FILENAME", "ARTIST_ALBUM_YEAR_AS_DIRECTORY", "TForm2.ArtistAlbumYearAsDirectory", F::Text},
    {"SETTINGS_FILENAME", "SPLIT", "TForm2.Split", F::Text},
    {"SETTINGS_FILENAME", "CHARACTER", "TForm2.LabelCharacter", F::Text},
    {"SETTINGS_FILENAME", "LANGUAGE", "TForm2.LabelLanguage", F::Colon},
    {"SETTINGS_FILENAME", "CHANGE_ILLEGAL_CHARACTERS", "TForm2.Grb_ChangeCharacter", F::Text},
    {"SETTINGS_FILENAME", "REPLACE_SPACES_BY_UNDERSCORES", "TForm2.ReplaceSpaces", F::Text},
    {"SETTINGS_FILENAME", "FILENAME_NUMBER", "TForm2.Cmb_FileName#0", F::Text},
    {"SETTINGS_FILENAME", "FILENAME_NUMBER_TITLE", "TForm2.Cmb_FileName#1", F::Text},
    {"SETTINGS_FILENAME", "FILENAME_NUMBER_ARTIST_TITLE", "TForm2.Cmb_FileName#2", F::Text},
    {"SETTINGS_FILENAME", "FILENAME_ARTIST_TITLE", "TForm2.Cmb_FileName#3", F::Text},
    {"SETTINGS_FILENAME", "FILENAME_ARTIST_NUMBER_TITLE", "TForm2.Cmb_FileName#4", F::Text},
    {"SETTINGS_FILENAME", "FILENAME_TITLE", "TForm2.Cmb_FileName#5", F::Text},
    {"SETTINGS_TRACKNAME", "TRACKNAME", "TForm2.TrackName", F::Text},
    {"SETTINGS_TRACKNAME", "ARTIST", "TForm2.LabelArtist", F::Colon},
    {"SETTINGS_TRACKNAME", "ALBUM", "TForm2.LabelAlbum", F::Colon},
    {"SETTINGS_TRACKNAME", "YEAR", "TForm2.LabelYear", F::Colon},
    {"SETTINGS_TRACKNAME", "GENRE", "TForm2.LabelGenre", F::Colon},
    {"SETTINGS_TRACKNAME", "SET_NAME_OF_TRACK", "TForm2.BtnSetName", F::Text},
    {"SETTINGS_TRACKNAME", "AVAILABLE_TRACKS", "TForm2.LabelAvailableTracks", F::Text},
    {"SETTINGS_TRACKNAME", "TRACK", "TForm2.LabelTrack", F::Text},
    {"GRABBING_AND_ENCODING", "GRABBING_AND_ENCODING", "TForm3", F::Ellipsis},
    {"GRABBING_AND_ENCODING", "GRABBING_TRACK", "LanguageTexts.grabbingTrack", F::Text},
    {"GRABBING_AND_ENCODING", "FILE", "LanguageTexts.file", F::Text},
    {"GRABBING_AND_ENCODING", "OF", "LanguageTexts.of", F::Text},
    {"GRABBING_AND_ENCODING", "GRABBING", "TForm3.Grb_Grabbing", F::Text},
    {"GRABBING_AND_ENCODING", "STATUS", "TForm3.LabelStatus", F::Colon},
    {"GRABBING_AND_ENCODING", "PERFORM", "TForm3.LabelPerform", F::Colon},
    {"GRABBING_AND_ENCODING", "TO", "TForm3.LabelTo", F::Colon},
    {"GRABBING_AND_ENCODING", "DIRECTORY", "TForm3.LabelDirectory", F::Colon},
    {"GRABBING_AND_ENCODING", "ENCODING", "TForm3.Grb_Encoding", F::Text},
    {"GRABBING_AND_ENCODING", "TIME_ELAPSED", "TForm3.LabelTimeElapsedGrabbing", F::Colon},
    {"GRABBING_AND_ENCODING", "TIME_LEFT", "TForm3.LabelTimeLeftGrabbing", F::Colon},
    {"GRABBING_AND_ENCODING", "TIME_REMAINING", "TForm3.LabelTimeRemainingGrabbing", F::Colon},
    {"GRABBING_AND_ENCODING", "READING_SECTOR", "TForm3.LabelReadingSectorGrabbing", F::Colon},
    {"GRABBING_AND_ENCODING", "TOTAL_SECTOR", "TForm3.LabelTotalSectorGrabbing", F::Colon},
    {"GRABBING_AND_ENCODING", "TRACK_LENGTH", "TForm3.LabelTrackLengthGrabbing", F::Colon},
    {"GRABBING_AND_ENCODING", "ABORT", "TForm3.Abort", F::LeadingBlank},
    {"GRABBING_AND_ENCODING", "TIME_ELAPSED", "TForm3.LabelTimeElapsedEncoding", F::Colon},
    {"GRABBING_AND_ENCODING", "TIME_LEFT", "TForm3.LabelTimeLeftEncoding", F::Colon},
    {"GRABBING_AND_ENCODING", "TIME_REMAINING", "TForm3.LabelTimeRemainingEncoding", F::Colon},
    {"GRABBING_AND_ENCODING", "BITRATE", "TForm3.LabelBitrateEncoding", F::Colon},
    {"GRABBING_AND_ENCODING", "QUALITY", "TForm3.LabelQualityEncoding", F::Colon},
    {"GRABBING_AND_ENCODING", "VBR", "TForm3.LabelVBREncoding", F::Colon},
    {"JOBS", "RUNNING", "TForm3.LabelJobsEncoding", F::Colon},
    {"ID3", "ID3_TAG_EDITOR", "TForm4", F::Text},
    {"ID3", "USE_ID3V1", "TForm4.UseID3v1", F::Text},
    {"ID3", "ARTIST", "TForm4.LabelArtist", F::Colon},
    {"ID3", "ALBUM", "TForm4.LabelAlbum", F::Colon},
    {"ID3", "TITLE", "TForm4.LabelTitle", F::Colon},
    {"ID3", "YEAR", "TForm4.LabelYear", F::Colon},
    {"ID3", "GENRE", "TForm4.LabelGenre", F::Colon},
    {"ID3", "COMMENT", "TForm4.LabelComment", F::Colon},
    {"ID3", "TRACK", "TForm4.LabelTrack", F::TrackNumber},
    {"ID3", "USE_ID3V2", "TForm4.UseID3v2", F::Text},
    {"ID3", "ARTIST", "TForm4.LabelArtist2", F::Colon},
    {"ID3", "ALBUM", "TForm4.LabelAlbum2", F::Colon},
    {"ID3", "TITLE", "TForm4.LabelTitle2", F::Colon},
    {"ID3", "YEAR", "TForm4.LabelYear2", F::Colon},
    {"ID3", "GENRE", "TForm4.LabelGenre2", F::Colon},
    {"ID3", "COMMENT", "TForm4.LabelComment2", F::Colon},
    {"ID3", "TRACK", "TForm4.LabelTrack2", F::TrackNumberOfTotal},
    {"ID3", "COMPOSER", "TForm4.LabelComposer2", F::Colon},
    {"ID3", "ORGINAL_ARTIST", "TForm4.LabelOriginalArtist2", F::Colon},
    {"ID3", "COPYRIGHT", "TForm4.LabelCopyright2", F::Colon},
    {"ID3", "URL", "TForm4.LabelURL2", F::Colon},
    {"ID3", "ENCODED_BY", "TForm4.LabelEncodedBy2", F::Colon},
    {"ID3", "SAVE", "TForm4.Save", F::LeadingBlank},
    {"ID3", "CANCEL", "TForm4.Cancel", F::LeadingBlank},
    {"FREEDB", "FREEDB_CONNECTION", "TForm7", F::Text},
    {"FREEDB", "EMAIL", "TForm7.LabelEmail", F::Colon},
    {"FREEDB", "SERVER", "TForm7.LabelServer", F::Colon},
    {"FREEDB", "STATUS", "TForm7.LabelStatus", F::Colon},
    {"FREEDB", "CONNECT", "TForm7.BtnConnect", F::LeadingBlank},
    {"FREEDB", "CLOSE", "TForm7.BtnClose", F::LeadingBlank},
    {"MESSAGES", "FINISH_GRABBING", "LanguageTexts.finishGrabbing", F::Text},
    {"MESSAGES", "ABORT_GRABBING", "LanguageTexts.abortGrabbing", F::Text},
    {"MESSAGES", "FINISH_GRABBING_AND_ENCODING", "LanguageTexts.finishGrabbingAndEncoding", F::Text},
    {"MESSAGES", "ABORT_ENCODING", "LanguageTexts.abortEncoding", F::Text},
    {"MESSAGES", "ASPI_ERROR", "LanguageTexts.aspiError", F::Text},
    {"MESSAGES", "NO_TRACK_SELECTED", "LanguageTexts.noTrackSelected", F::Text},
    {"MESSAGES", "FINISH_ENCODING", "LanguageTexts.finishEncoding", F::Text},
    {"SETTINGS_FILENAME", "LANGUAGE", "TForm2.Language", F::Text},
    {"TRANSLATION", "AUTHOR", "TForm2.LabelAuthor", F::Text},
    {"TRANSLATION", "COUNTRY", "TForm2.LabelCountry", F::Text},
    {"TRANSLATION", "CITY", "TForm2.LabelCity", F::Text},
    {"TRANSLATION", "EMAIL", "TForm2.LabelEmailTranslator", F::Text},
    {"TRANSLATION", "WWW", "TForm2.Labelwww", F::Text},
    {"SETTINGS_LANGUAGE", "TRANSLATOR", "TForm2.Translator", F::Colon},
    {"SETTINGS_LANGUAGE", "COUNTRY", "TForm2.Country", F::Colon},
    {"SETTINGS_LANGUAGE", "CITY", "TForm2.City", F::Colon},
    {"SETTINGS_LANGUAGE", "EMAIL", "TForm2.Email", F::Colon},
    {"SETTINGS_LANGUAGE", "HOMEPAGE", "TForm2.Homepage", F::Colon},
    {"OTHERS", "TRACKS", "LanguageTexts.tracks", F::Text},
    {"OTHERS", "PLAYTIME", "LanguageTexts.playtime", F::Text},
    {"OTHERS", "ERROR_PATH_FILENAME", "LanguageTexts.errorPathFilename", F::Text},
    {"SETTINGS_ENCODER", "PRIORITY_IDLE", "TForm2.Priority#0", F::Text},
    {"SETTINGS_ENCODER", "PRIORITY_LOWER", "TForm2.Priority#1", F::Text},
    {"SETTINGS_ENCODER", "PRIORITY_LOWEST", "TForm2.Priority#2", F::Text},
    {"SETTINGS_ENCODER", "PRIORITY_NORMAL", "TForm2.Priority#3", F::Text},
    {"SETTINGS_ENCODER", "PRIORITY_HIGH", "TForm2.Priority#4", F::Text},
    {"SETTINGS_ENCODER", "PRIORITY_HIGHER", "TForm2.Priority#5", F::Text},
    {"SETTINGS_ENCODER", "PRIORITY_HIGHEST", "TForm2.Priority#6", F::Text},
    {"SETTINGS_ENCODER", "PRIORITY_TIME_CRITICAL", "TForm2.Priority#7", F::Text},
    {"FLAC", "OPTIONS", "TForm2.FlacOptionsTab", F::Text},
    {"FLAC", "COMPRESSION_LEVEL", "TForm2.LabelFlacCompression", F::Colon},
    {"FLAC", "COMPRESSION_HINT", "TForm2.LabelFlacCompressionHint", F::Text},
    {"FLAC", "VERIFY", "TForm2.FlacVerify", F::Text},
    {"FLAC", "LOSSLESS", "LanguageTexts.flacLossless", F::Text},
};

// Verified reading: the Reading page of the settings window and the texts
// of a track's result.
constexpr LanguageTextRow kReadingRows[] = {
    {"READING", "PAGE", "TForm2.READING", F::Text},
    {"READING", "MODE", "TForm2.LabelReadingMode", F::Colon},
    {"READING", "SECURE", "TForm2.ReadingMode#0", F::Text},
    {"READING", "FAST", "TForm2.ReadingMode#1", F::Text},
    {"READING", "OFFSET", "TForm2.LabelReadOffset", F::Colon},
    {"READING", "SERVER", "TForm2.LabelAccurateRipServer", F::Colon},
    {"READING", "SHORT_ACCURATE", "LanguageTexts.reading.shortAccurate", F::Text},
    {"READING", "SHORT_REPAIRED", "LanguageTexts.reading.shortRepaired", F::Text},
    {"READING", "SHORT_READ_ERROR", "LanguageTexts.reading.shortReadError", F::Text},
    {"READING", "SHORT_NOT_VERIFIED", "LanguageTexts.reading.shortNotVerified", F::Text},
    {"READING", "SHORT_NOT_ACCURATE", "LanguageTexts.reading.shortNotAccurate", F::Text},
    {"READING", "LONG_ACCURATE", "LanguageTexts.reading.longAccurate", F::Text},
    {"READING", "LONG_NOT_ACCURATE", "LanguageTexts.reading.longNotAccurate", F::Text},
    {"READING", "LONG_NOT_IN_DATABASE", "LanguageTexts.reading.longNotInDatabase", F::Text},
    {"READING", "LONG_READ_ERROR", "LanguageTexts.reading.longReadError", F::Text},
    {"READING", "LONG_READS", "LanguageTexts.reading.longReads", F::Text},
    {"READING", "ACCURATE_COUNT", "LanguageTexts.reading.accurateCount", F::Text},
};

// Names that arrive: the lookup window's source and matches, the lookup
// settings, the cover in the tag editor.
constexpr LanguageTextRow kLookupRows[] = {
    {"LOOKUP", "SOURCE", "TForm7.LabelSource", F::Colon},
    {"LOOKUP", "MATCHES", "TForm7.GroupBoxCandidates", F::Text},
    {"LOOKUP", "ARTIST", "TForm7.Candidates#0", F::Text},
    {"LOOKUP", "ALBUM", "TForm7.Candidates#1", F::Text},
    {"LOOKUP", "YEAR", "TForm7.Candidates#2", F::Text},
    {"LOOKUP", "COUNTRY", "TForm7.Candidates#3", F::Text},
    {"LOOKUP", "TRACKS", "TForm7.Candidates#4", F::Text},
    {"LOOKUP", "USE", "TForm7.BtnUseCandidate", F::LeadingBlank},
    {"LOOKUP", "CHOOSE", "LanguageTexts.lookupChoose", F::Text},
    {"LOOKUP", "SOURCE", "TForm2.LabelLookupSource", F::Colon},
    {"LOOKUP", "MUSICBRAINZ_SERVER", "TForm2.LabelMusicBrainzServer", F::Colon},
    {"LOOKUP", "COVER_ART_SERVER", "TForm2.LabelCoverArtServer", F::Colon},
    {"LOOKUP", "FETCH_COVER", "TForm2.CoverArt", F::Text},
    {"LOOKUP", "CD_NUMBER_FOLDER", "TForm2.CdNumberAsDirectory", F::Text},
    {"LOOKUP", "COVER", "TForm4.LabelCover", F::Colon},
    {"LOOKUP", "CHOOSE_PICTURE", "TForm4.BtnChoosePicture", F::LeadingBlank},
    {"LOOKUP", "NO_PICTURE", "TForm4.BtnNoPicture", F::LeadingBlank},
    {"LOOKUP", "CHOOSE_PICTURE", "LanguageTexts.choosePicture", F::Text},
    {"LOOKUP", "PICTURE_NOT_USABLE", "LanguageTexts.pictureNotUsable", F::Text},
};

constexpr LanguageKey kAboutKeys[] = {
    {"OTHERS", "AUTHOR"},
    {"OTHERS", "PROGRAMMING_LANGUAGE"},
    {"OTHERS", "FREEWARE"},
    {"OTHERS", "THANKS_ASSISTANTS"},
    {"OTHERS", "THANKS_OTHERS"},
    {"OTHERS", "THANKS_TESTERS"},
    {"OTHERS", "THANKS_TRANSLATORS"},
    {"OTHERS", "AUTHOR_AND_ASSISTANTS"},
    {"OTHERS", "TESTERS_AND_TRANSLATORS"},
    {"MONTHS", "SEPTEMBER"},
};

// The command-line ripper's lines (trackmill-cli), read by it alone.
constexpr LanguageKey kConsoleKeys[] = {
    {"CONSOLE", "NO_DRIVE"},      {"CONSOLE", "NO_SUCH_DRIVE"}, {"CONSOLE", "NO_DISC"},
    {"CONSOLE", "NO_AUDIO_DISC"}, {"CONSOLE", "NO_SETTINGS_FILE"}, {"CONSOLE", "NO_SUCH_TRACK"},
    {"CONSOLE", "DATA_TRACK"},    {"CONSOLE", "NO_ENCODER"},    {"CONSOLE", "INTERRUPTED"},
    {"CONSOLE", "RUN_FAILED"},    {"CONSOLE", "TRACKS_DONE"},   {"CONSOLE", "TRACK"},
    {"CONSOLE", "TRACK_DONE"},    {"CONSOLE", "TRACK_ABORTED"}, {"CONSOLE", "TRACK_FAILED"},
    {"LOOKUP", "NO_MATCH"},       {"LOOKUP", "LOOKUP_FAILED"},  {"LOOKUP", "NO_SUCH_RELEASE"},
};

std::vector<LanguageKey> collectKeys()
{
    std::vector<LanguageKey> keys;
    auto add = [&keys](const char* section, const char* key) {
        for (const LanguageKey& k : keys) {
            if (QByteArrayView(k.section) == QByteArrayView(section)
                && QByteArrayView(k.key) == QByteArrayView(key))
                return;
        }
        keys.push_back({section, key});
    };
    for (const LanguageTextRow& row : languageTextRows())
        add(row.section, row.key);
    for (const LanguageKey& k : kAboutKeys)
        add(k.section, k.key);
    for (const LanguageKey& k : kConsoleKeys)
        add(k.section, k.key);
    add(characterSetKey.section, characterSetKey.key);
    return keys;
}

}

std::span<const LanguageTextRow> languageTextRows()
{
    // The designed rows, then those of the later features.
    static const std::vector<LanguageTextRow> rows = [] {
        std::vector<LanguageTextRow> all(std::begin(kRows), std::end(kRows));
        all.insert(all.end(), std::begin(kReadingRows), std::end(kReadingRows));
        all.insert(all.end(), std::begin(kLookupRows), std::end(kLookupRows));
        return all;
    }();
    return rows;
}

std::span<const LanguageKey> aboutWindowKeys()
{
    return kAboutKeys;
}

std::span<const LanguageKey> allLanguageKeys()
{
    static const std::vector<LanguageKey> keys = collectKeys();
    return keys;
}

}
