// SPDX-License-Identifier: GPL-2.0-or-later
#include "tracknamepage.h"

#include "cd/tracklist.h"
#include "metadata/discnames.h"
#include "pagewidgets.h"
#include "tags/genrelist.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace trackmill {

using namespace settingspages;

TrackNamePage::TrackNamePage(TrackList& tracks, DiscNames& names, QWidget* parent)
    : QWidget(parent), m_tracks(tracks), m_names(names)
{
    setObjectName(QStringLiteral("TrackName"));
    auto* layout = new QVBoxLayout(this);
    auto* group = named(new QGroupBox(this), "GroupBox9");
    auto* grid = new QGridLayout(group);
    m_artist = named(new QLineEdit(group), "Edt_Artist");
    m_album = named(new QLineEdit(group), "Edt_Album");
    m_year = named(new QLineEdit(group), "Edt_Year");
    m_genre = named(new QComboBox(group), "Cmb_Genre");
    const GenreList genres;
    for (const GenreEntry& genre : genres.sorted())
        m_genre->addItem(genre.name, genre.number);
    m_genre->setCurrentIndex(GenreList::PopPosition);
    grid->addWidget(label("LabelArtist", QStringLiteral("Artist:"), group), 0, 0);
    grid->addWidget(m_artist, 0, 1);
    grid->addWidget(label("LabelAlbum", QStringLiteral("Album:"), group), 1, 0);
    grid->addWidget(m_album, 1, 1);
    grid->addWidget(label("LabelYear", QStringLiteral("Year:"), group), 2, 0);
    grid->addWidget(m_year, 2, 1);
    grid->addWidget(label("LabelGenre", QStringLiteral("Genre:"), group), 3, 0);
    grid->addWidget(m_genre, 3, 1);
    m_labelAvailableTracks = label("LabelAvailableTracks", m_availableTracksText, group);
    m_tracksList = named(new QListWidget(group), "Tracks");
    m_labelTrack = label("LabelTrack", m_trackText, group);
    m_currentTrack = named(new QLineEdit(group), "CurrentTrack");
    m_setName = named(new QPushButton(QStringLiteral("Set name of track"), group), "BtnSetName");
    m_setName->setAutoDefault(false);
    grid->addWidget(m_labelAvailableTracks, 0, 2);
    grid->addWidget(m_tracksList, 1, 2, 4, 1);
    grid->addWidget(m_labelTrack, 5, 0);
    grid->addWidget(m_currentTrack, 5, 1, 1, 2);
    grid->addWidget(m_setName, 6, 2);
    grid->setColumnStretch(2, 1);
    layout->addWidget(group);

    connect(m_tracksList, &QListWidget::itemClicked, this, &TrackNamePage::TracksClick);
    connect(m_setName, &QPushButton::clicked, this, &TrackNamePage::BtnSetNameClick);
    m_currentTrack->installEventFilter(this);
    bindNames();
}

namespace {

// Written only when the text differs, so that an echo of the user's own
// typing never moves the cursor.
void showText(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text)
        edit->setText(text);
}

}

void TrackNamePage::bindNames()
{
    if (m_names.genre() < 0)
        m_names.setGenre(GenreList::PopPosition);
    m_artist->setText(m_names.artist());
    m_album->setText(m_names.album());
    m_year->setText(m_names.year());
    m_genre->setCurrentIndex(m_names.genre() < m_genre->count() ? m_names.genre() : -1);
    showTrackNames(m_names.trackNames());

    connect(m_artist, &QLineEdit::textChanged, &m_names, &DiscNames::setArtist);
    connect(m_album, &QLineEdit::textChanged, &m_names, &DiscNames::setAlbum);
    connect(m_year, &QLineEdit::textChanged, &m_names, &DiscNames::setYear);
    connect(m_genre, &QComboBox::currentIndexChanged, &m_names, &DiscNames::setGenre);
    connect(&m_names, &DiscNames::artistChanged, m_artist, [this](const QString& t) { showText(m_artist, t); });
    connect(&m_names, &DiscNames::albumChanged, m_album, [this](const QString& t) { showText(m_album, t); });
    connect(&m_names, &DiscNames::yearChanged, m_year, [this](const QString& t) { showText(m_year, t); });
    connect(&m_names, &DiscNames::genreChanged, m_genre, [this](int position) {
        // A stored position the list does not have shows no entry.
        m_genre->setCurrentIndex(position < m_genre->count() ? position : -1);
    });
    connect(&m_names, &DiscNames::trackNamesChanged, this, &TrackNamePage::showTrackNames);
    connect(&m_names, &DiscNames::trackNameChanged, this, [this](int index, const QString& text) {
        if (QListWidgetItem* item = m_tracksList->item(index))
            item->setText(text);
    });
}

void TrackNamePage::showTrackNames(const QStringList& names)
{
    m_tracksList->clear();
    m_tracksList->addItems(names);
    if (m_tracksList->count() > 0)
        m_tracksList->setCurrentRow(0);
    const bool audioDisc = m_tracks.CD();
    m_currentTrack->setText(audioDisc ? names.value(0) : QString());
    m_setName->setEnabled(audioDisc);
    rebuildCountingLabels();
}

void TrackNamePage::shown()
{
    m_currentTrack->setFocus();
    m_setName->setEnabled(m_tracks.CD());
}

void TrackNamePage::setCountingLabelTexts(const QString& availableTracks, const QString& track)
{
    m_availableTracksText = availableTracks;
    m_trackText = track;
    rebuildCountingLabels();
}

void TrackNamePage::rebuildCountingLabels()
{
    // The grid's track rows, less a final data track, which has no name here.
    int count = m_tracks.RowCount() - 1;
    if (m_tracks.CD() && m_tracks.GetCDAudioInfo())
        --count;
    m_labelAvailableTracks->setText(m_availableTracksText + QStringLiteral(" (") + QString::number(count)
                                    + QStringLiteral("):"));
    const int k = m_tracksList->currentRow() + 1;
    m_labelTrack->setText(m_trackText + (k < 10 ? QStringLiteral(" 0") : QStringLiteral(" "))
                          + QString::number(k) + QLatin1Char(':'));
}

void TrackNamePage::TracksClick()
{
    if (QListWidgetItem* item = m_tracksList->currentItem())
        m_currentTrack->setText(item->text());
    rebuildCountingLabels();
}

void TrackNamePage::BtnSetNameClick()
{
    const int index = m_tracksList->currentRow();
    if (!m_tracks.CD() || index < 0) {
        rebuildCountingLabels();
        return;
    }
    const QString name = m_currentTrack->text();
    m_names.setTrackName(index, name);
    m_tracks.setCell(1, index + 1, name);
    // After the last named track the first one comes again; a final data
    // track has no entry here, so the list's end wraps as well.
    const bool last = index >= m_tracks.RowCount() - 2 || index + 1 >= m_tracksList->count();
    m_tracksList->setCurrentRow(last ? 0 : index + 1);
    m_currentTrack->setText(m_tracksList->currentItem()->text());
    rebuildCountingLabels();
    m_currentTrack->setFocus();
}

bool TrackNamePage::CurrentTrackKeyPress(int key)
{
    // Enter sets the name, as the button does, and goes no further (the
    // dialog would take it as its default button).
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if (m_tracks.CD())
        BtnSetNameClick();
    return true;
}

bool TrackNamePage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_currentTrack && event->type() == QEvent::KeyPress
        && CurrentTrackKeyPress(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QWidget::eventFilter(watched, event);
}

}
