// SPDX-License-Identifier: GPL-2.0-or-later
// The settings window's TrackName tab: the disc's artist, album, year and
// genre, and the names of its tracks, one set at a time. The controls show
// the disc's names model and every edit goes into it at once, so the main
// window and the tag editor follow while the user types.
#pragma once

#include <QString>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace trackmill {

class DiscNames;
class TrackList;

class TrackNamePage : public QWidget
{
    Q_OBJECT
public:
    // Both outlive the page. The genre list starts on "Pop" when the model
    // has none chosen yet.
    TrackNamePage(TrackList& tracks, DiscNames& names, QWidget* parent);

    // The page came to the front: the track name edit takes the focus, and
    // the button works only with an audio disc.
    void shown();

    void TracksClick();
    void BtnSetNameClick();
    // Answers whether the key was consumed.
    bool CurrentTrackKeyPress(int key);

    // Base texts of the two counting labels (the language file's texts),
    // then rebuilds them: "Available tracks: (12):" and "Track 03:".
    void setCountingLabelTexts(const QString& availableTracks, const QString& track);
    void rebuildCountingLabels();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void bindNames();
    // Tracks := names, item 0 selected and in CurrentTrack (empty without
    // an audio disc); BtnSetName works exactly while an audio disc is in.
    void showTrackNames(const QStringList& names);

    TrackList& m_tracks;
    DiscNames& m_names;
    QString m_availableTracksText = QStringLiteral("Available tracks:");
    QString m_trackText = QStringLiteral("Track");
    QLineEdit* m_artist = nullptr;
    QLineEdit* m_album = nullptr;
    QLineEdit* m_year = nullptr;
    QComboBox* m_genre = nullptr;
    QListWidget* m_tracksList = nullptr;
    QLabel* m_labelAvailableTracks = nullptr;
    QLabel* m_labelTrack = nullptr;
    QLineEdit* m_currentTrack = nullptr;
    QPushButton* m_setName = nullptr;
};

}
