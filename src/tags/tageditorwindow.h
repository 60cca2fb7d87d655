// SPDX-License-Identifier: GPL-2.0-or-later
// TForm4: the tag editor window.
#pragma once

#include "tags/id3v1tag.h"
#include "tags/tageditorfields.h"

#include <QColor>
#include <QDialog>
#include <QString>
#include <functional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace trackmill {

class GenreList;

// The values written into the ID3 tags of every encoded track: one group
// for the version 1.1 tag and one for the version 2.3 tag, each switched on
// or off by its check box. The controls are the only store of these values;
// the tag writers read them through fields() when a track is tagged.
//
// Names travel between this window, the main window and the settings window
// as signals and slots: connect artistChanged/albumChanged to the other
// windows' edits, and their edits' changes to setArtist/setAlbum.
class TForm4 : public QDialog
{
    Q_OBJECT
public:
    // What the window reads from the other windows, asked each time it is
    // needed. A member left empty answers false, 0 or an empty text.
    struct Sources
    {
        // Main window's busy flag (TForm1::GetProcess): a rip or encode run is active.
        std::function<bool()> GetProcess;
        // The Track list's audio disc flag: an audio disc was read.
        std::function<bool()> audioDisc;
        // Sorted genre position stored for the disc in CDPLAYER.INI (0 when none).
        std::function<int()> GetGenreFromCDPlayerINI;
        // Main window's Artist and Album edits.
        std::function<QString()> mainArtist;
        std::function<QString()> mainAlbum;
        // Settings window's Split box and Character edit (the separator).
        std::function<bool()> split;
        std::function<QString()> splitCharacter;
        // Name cell of a Track list row (1 for the first track).
        std::function<QString(int row)> trackName;
    };

    static constexpr const char* DefaultComment = "Ripped & encoded - Trackmill";
    static constexpr const char* DefaultEncodedBy = "Trackmill 2.0";
    static constexpr const char* DefaultUrl = "https://trackmill.example/";

    // Runs FormCreate: fills the genre lists (the list must outlive the
    // window) and selects the disc's stored genre.
    TForm4(const GenreList& genres, Sources sources, QWidget* parent = nullptr);
    ~TForm4() override;

    // Takes the values Cancel brings back, then shows the window modally,
    // centred on its screen.
    void ShowID3Form();

    // Resets the fields from the main window's Artist and Album. Year,
    // genre and the check boxes are left alone.
    void ID3Initialization();

    // Splits a track name at the first occurrence of the separator. Asked
    // for 0, the artist piece goes into Artist2, Artist, Composer2 and
    // OriginalArtist2; asked for 1, the title piece into Title2 and Title.
    // The piece is also the result. Any other number changes nothing and
    // returns false.
    bool Split(const QString& trackName, const QString& separator, int part, QString& result);

    // Tag writers for one encoded track (the encoder's finish handler calls
    // them when UseID3v1 / UseID3v2 are ticked). Track number = Track list
    // row, total = the grid's track rows. Each returns an empty text on
    // success, else the error to show; the per-track fields (titles, and
    // with Split the artist fields) change as the writers set them.
    QString SaveTagid3v11(const QString& fileName, const QString& title, int trackNumber);
    QString SaveTagID3v23(const QString& fileName, const QString& title, int trackNumber, int total);

    // The field values as the tag writers read them.
    TagEditorFields fields() const;

    // Settings USEID3v1 / USEID3v2 (loaded into and saved from the boxes).
    bool useId3v1() const;
    bool useId3v2() const;
    void setUseId3v1(bool on);
    void setUseId3v2(bool on);

    // Year into Year and Year2 (start-up and the settings window's Apply).
    void setYears(const QString& year);
    // Year2 alone: the output naming reads it and writes back a cleaned text.
    QString year2() const;
    void setYear2(const QString& year);
    // Selects a sorted genre position in Genre and Genre2; a position
    // outside the list (no entry chosen) changes nothing.
    void setGenrePosition(int position);
    // The settings window's Apply and Cancel: its artist into Artist,
    // Artist2, OriginalArtist2 and Composer2, the copyright line, its album
    // into Album and Album2 and its genre position (-1: none chosen).
    void applySettingsNames(const QString& artist, const QString& album, int genrePosition);

public Q_SLOTS:
    // The main window's or the freedb lookup's names: Artist and Artist2,
    // Album and Album2. A text equal to the current one changes nothing, so
    // a name echoed back while the user types keeps the cursor where it is.
    void setArtist(const QString& text);
    void setAlbum(const QString& text);

Q_SIGNALS:
    // The user's (or a reset's) artist for the main window's Artist and the
    // settings window's Edt_Artist. Not emitted during a run: the per-track
    // artist of Split must not replace the album artist.
    void artistChanged(const QString& text);
    // The album for the main window's Album and the settings window's Edt_Album.
    void albumChanged(const QString& text);

private:
    struct SavedValues
    {
        bool useId3v1 = true;
        bool useId3v2 = true;
        QString year;
        QString year2;
        QString composer2;
        QString originalArtist2;
        QString copyright2;
        QString firstCommentLine2;
    };

    void buildControls();
    void FormCreate();
    void UseID3v1Click();
    void UseID3v2Click();
    void YearChange();
    void ArtistChange();
    void AlbumChange();
    void SaveClick();
    void CancelClick();

    TagSources tagSources() const;
    // Copies back what a writer changed: titles, artist fields, copyright.
    void takePerTrackFields(const TagEditorFields& f);
    void setFirstCommentLine2(const QString& line);
    void setFieldColour(QWidget* field, const QColor& colour);

    const GenreList& m_genres;
    Sources m_sources;
    SavedValues m_saved;
    // The version 1.1 tag object the writer reuses for every track.
    TID3v1Tag m_id3v1;

    // Colours of the system palette: a field of a tag that is off, a
    // read-only field, an editable field.
    QColor m_buttonFace;
    QColor m_infoBackground;
    QColor m_windowColour;

    QGroupBox* m_group1 = nullptr;
    QCheckBox* m_useId3v1 = nullptr;
    QLineEdit* m_title = nullptr;
    QLineEdit* m_artist = nullptr;
    QLineEdit* m_album = nullptr;
    QLineEdit* m_year = nullptr;
    QComboBox* m_genre = nullptr;
    QLineEdit* m_comment = nullptr;
    QLineEdit* m_track = nullptr;

    QGroupBox* m_group2 = nullptr;
    QCheckBox* m_useId3v2 = nullptr;
    QLineEdit* m_title2 = nullptr;
    QLineEdit* m_artist2 = nullptr;
    QLineEdit* m_album2 = nullptr;
    QLineEdit* m_year2 = nullptr;
    QComboBox* m_genre2 = nullptr;
    QPlainTextEdit* m_comment2 = nullptr;
    QLineEdit* m_composer2 = nullptr;
    QLineEdit* m_originalArtist2 = nullptr;
    QLineEdit* m_copyright2 = nullptr;
    QLineEdit* m_url2 = nullptr;
    QLineEdit* m_encodedBy2 = nullptr;
    QLineEdit* m_track2 = nullptr;

    QPushButton* m_save = nullptr;
    QPushButton* m_cancel = nullptr;
};

}
