// SPDX-License-Identifier: GPL-2.0-or-later
#include "tracknametab.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace trackmill {

namespace {

// Written only when the text differs, so that an echo of the user's own
// typing never moves the cursor.
void setText(QLineEdit* edit, const QString& text)
{
    if (edit && edit->text() != text)
        edit->setText(text);
}

}

TrackNameTab::TrackNameTab(QWidget& settingsWindow, std::function<void()> rebuildLabels)
    : m_rebuildLabels(std::move(rebuildLabels))
    , m_artist(settingsWindow.findChild<QLineEdit*>(QStringLiteral("Edt_Artist")))
    , m_album(settingsWindow.findChild<QLineEdit*>(QStringLiteral("Edt_Album")))
    , m_year(settingsWindow.findChild<QLineEdit*>(QStringLiteral("Edt_Year")))
    , m_genre(settingsWindow.findChild<QComboBox*>(QStringLiteral("Cmb_Genre")))
    , m_tracks(settingsWindow.findChild<QListWidget*>(QStringLiteral("Tracks")))
    , m_currentTrack(settingsWindow.findChild<QLineEdit*>(QStringLiteral("CurrentTrack")))
    , m_setName(settingsWindow.findChild<QPushButton*>(QStringLiteral("BtnSetName")))
{
}

bool TrackNameTab::complete() const
{
    return m_artist && m_album && m_year && m_genre && m_tracks && m_currentTrack && m_setName;
}

DiscEntry TrackNameTab::names() const
{
    DiscEntry names;
    if (!complete())
        return names;
    names.artist = m_artist->text();
    names.album = m_album->text();
    names.year = m_year->text();
    // No genre chosen is stored as the first entry.
    names.genre = qMax(0, m_genre->currentIndex());
    for (int i = 0; i < m_tracks->count(); ++i)
        names.tracks.append(m_tracks->item(i)->text());
    return names;
}

void TrackNameTab::setArtist(const QString& text)
{
    setText(m_artist, text);
}

void TrackNameTab::setAlbum(const QString& text)
{
    setText(m_album, text);
}

void TrackNameTab::setTrackName(int index, const QString& text)
{
    if (!m_tracks)
        return;
    if (QListWidgetItem* item = m_tracks->item(index))
        item->setText(text);
}

void TrackNameTab::fillTracks(const QStringList& names)
{
    m_tracks->clear();
    m_tracks->addItems(names);
    if (m_tracks->count() > 0)
        m_tracks->setCurrentRow(0);
}

void TrackNameTab::showStoredNames(const TrackNameTabNames& names, bool audioDisc)
{
    if (!complete())
        return;
    setText(m_artist, names.artist);
    setText(m_album, names.album);
    if (names.known) {
        m_year->setText(names.year);
        m_genre->setCurrentIndex(names.genre >= 0 && names.genre < m_genre->count() ? names.genre : -1);
    }
    fillTracks(names.tracks);
    if (audioDisc) {
        m_currentTrack->setText(m_tracks->count() > 0 ? m_tracks->item(0)->text() : QString());
        m_setName->setEnabled(true);
    } else {
        m_currentTrack->clear();
        m_setName->setEnabled(false);
    }
    if (m_rebuildLabels)
        m_rebuildLabels();
}

void TrackNameTab::setTrackNames(const QStringList& names)
{
    if (!complete())
        return;
    fillTracks(names);
    m_currentTrack->setText(names.value(0));
    if (m_rebuildLabels)
        m_rebuildLabels();
}

void TrackNameTab::clearYearAndGenre()
{
    if (!complete())
        return;
    m_genre->setCurrentIndex(0);
    m_year->clear();
}

}
