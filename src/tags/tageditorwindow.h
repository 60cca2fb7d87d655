// SPDX-License-Identifier: GPL-2.0-or-later
// TForm4: the tag editor window.
#pragma once

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

class DesktopShell;
class DiscNames;
class GenreList;
class MessageBoxes;
class TagFields;
struct CoverArt;
struct LanguageTexts;

// The tag editor: one group of fields for the version 1.1 tag and one for
// the version 2.3 tag, each switched on or off by its check box. The window
// shows the tag fields model and moves the user's edits into it; the runs
// read the model when a track is tagged. Below them the disc's front cover
// (from a lookup), which the user may replace by a picture file or remove.
class TForm4 : public QDialog
{
    Q_OBJECT
public:
    // What choosing a cover picture needs: the file dialog, the error box
    // and the current language's texts.
    struct PictureChoice
    {
        DesktopShell& shell;
        MessageBoxes& boxes;
        std::function<const LanguageTexts&()> texts;
    };

    // Both models and the genre list outlive the window. The genre lists
    // start on the model's genre.
    TForm4(const GenreList& genres, TagFields& tags, DiscNames& names, PictureChoice pictures,
           QWidget* parent = nullptr);
    ~TForm4() override;

    // Takes the values Cancel brings back, then shows the window modally,
    // centred on its screen.
    void ShowID3Form();

    // Resets the fields from the disc's artist and album. Year, genre and
    // the check boxes are left alone.
    void ID3Initialization();

    // The field values as the tag writers read them.
    TagEditorFields fields() const;

    // Settings USEID3v1 / USEID3v2 (loaded into and saved from the boxes).
    bool useId3v1() const;
    bool useId3v2() const;
    void setUseId3v1(bool on);
    void setUseId3v2(bool on);

    // Year into Year and Year2 (start-up and the settings window's Apply).
    void setYears(const QString& year);
    QString year2() const;
    void setYear2(const QString& year);
    // Selects a sorted genre position in Genre and Genre2; a position
    // outside the list (no entry chosen) changes nothing.
    void setGenrePosition(int position);
    // The settings window's Apply and Cancel: its artist into Artist,
    // Artist2, OriginalArtist2 and Composer2, the copyright line, its album
    // into Album and Album2 and its genre position (-1: none chosen).
    void applySettingsNames(const QString& artist, const QString& album, int genrePosition);

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
    // The model's values into the controls, and the controls' into the model.
    void showFields();
    void takeFields();
    void UseID3v1Click();
    void UseID3v2Click();
    void YearChange();
    void ArtistChange();
    void AlbumChange();
    void SaveClick();
    void CancelClick();

public:
    // The cover buttons: a picture file chosen in the file dialog becomes
    // the disc's cover (one that cannot be used is named in an error box
    // and changes nothing); BtnNoPicture leaves the disc without one.
    void BtnChoosePictureClick();
    void BtnNoPictureClick();

private:
    void showCover(const CoverArt& cover);

    void setFirstCommentLine2(const QString& line);
    void setFieldColour(QWidget* field, const QColor& colour);

    const GenreList& m_genres;
    TagFields& m_tags;
    DiscNames& m_names;
    PictureChoice m_pictures;
    SavedValues m_saved;
    // Set while the model's values are put into the controls, so their
    // change signals do not write half-shown values back.
    bool m_showing = false;

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

    QLabel* m_cover = nullptr;
    QPushButton* m_choosePicture = nullptr;
    QPushButton* m_noPicture = nullptr;
};

}
