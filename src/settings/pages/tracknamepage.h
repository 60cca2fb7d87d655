// SPDX-License-Identifier: GPL-2.0-or-later
// The settings window's TrackName tab: the disc's artist, album, year and
// genre, and the names of its tracks, one set at a time.
#pragma once

#include <QString>
#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace trackmill {

class TrackList;

class TrackNamePage : public QWidget
{
    Q_OBJECT
public:
    TrackNamePage(TrackList& tracks, QWidget* parent);

    QLineEdit* artist() const { return m_artist; }
    QLineEdit* album() const { return m_album; }
    QLineEdit* year() const { return m_year; }
    QComboBox* genre() const { return m_genre; }
    QListWidget* trackNames() const { return m_tracksList; }
    QLineEdit* currentTrack() const { return m_currentTrack; }

    // The page came to the front: the track name edit takes the focus, and
    // the button works only with an audio disc.
    void shown();
    // Empties the disc's names (artist, album, year, tracks).
    void clearNames();
    // Forgets the tracks' names of the disc that was in the drive.
    void clearTrackNames();

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
    TrackList& m_tracks;
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
