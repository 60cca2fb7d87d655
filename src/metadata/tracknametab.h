// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "tracknamefields.h"

#include <functional>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace trackmill {

// TrackNameFields over the settings window's own controls, found by their
// design names (Edt_Artist, Edt_Album, Edt_Year, Cmb_Genre, Tracks,
// CurrentTrack, BtnSetName). The window outlives this object.
class TrackNameTab : public TrackNameFields
{
public:
    // rebuildLabels: rebuilds LabelAvailableTracks and LabelTrack from their
    // language texts after the list changed (may be empty).
    TrackNameTab(QWidget& settingsWindow, std::function<void()> rebuildLabels);

    // Whether every control was found.
    bool complete() const;

    DiscEntry names() const override;
    void setArtist(const QString& text) override;
    void setAlbum(const QString& text) override;
    void setTrackName(int index, const QString& text) override;
    void showStoredNames(const TrackNameTabNames& names, bool audioDisc) override;
    void setTrackNames(const QStringList& names) override;
    void clearYearAndGenre() override;

private:
    void fillTracks(const QStringList& names);

    std::function<void()> m_rebuildLabels;
    QLineEdit* m_artist = nullptr;
    QLineEdit* m_album = nullptr;
    QLineEdit* m_year = nullptr;
    QComboBox* m_genre = nullptr;
    QListWidget* m_tracks = nullptr;
    QLineEdit* m_currentTrack = nullptr;
    QPushButton* m_setName = nullptr;
};

}
