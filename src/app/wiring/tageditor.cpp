// SPDX-License-Identifier: GPL-2.0-or-later
// The disc's names and the tag fields in the program: the tag fields follow
// the one model of the disc's names (which the main window and the settings
// window's TrackName page show), the tag editor shows the tag fields; the
// ID3 button and the tag editor's steps of the other windows.
#include "app/trackmillapp.h"

#include "app/mainwindow.h"
#include "cd/tracklist.h"
#include "metadata/discstartnames.h"
#include "metadata/discnames.h"
#include "tags/genrelist.h"
#include "tags/tageditorwindow.h"
#include "tags/tagfields.h"

namespace trackmill {

void TrackmillApp::wireTagEditor()
{
    DiscNames& names = *m_discNames;
    TagFields& tags = *m_tagFields;

    // The genre the window starts on: the stored one of the disc in the
    // drive, "Pop" without one.
    const int position = m_tracks->CD() ? startGenrePosition(*m_drives, m_services.paths.cdPlayerIni())
                                        : GenreList::PopPosition;
    tags.setGenrePosition(position);
    m_form4 = std::make_unique<TForm4>(
        *m_genres, tags, names,
        TForm4::PictureChoice{m_services.shell, m_services.messageBoxes,
                              [this]() -> const LanguageTexts& { return m_languageTexts; }});

    // The disc's names, wherever they were typed or read, reach the tag
    // fields; the artist and album typed into the tag editor are the
    // disc's names too.
    QObject::connect(&names, &DiscNames::artistChanged, &tags, &TagFields::setArtist);
    QObject::connect(&names, &DiscNames::albumChanged, &tags, &TagFields::setAlbum);
    QObject::connect(&tags, &TagFields::artistEdited, &names, &DiscNames::setArtist);
    QObject::connect(&tags, &TagFields::albumEdited, &names, &DiscNames::setAlbum);

    // TForm1.ID3Click
    m_form1->setCommand(QStringLiteral("ID3"), [this] { m_form4->ShowID3Form(); });
}

void TrackmillApp::resetTagEditor()
{
    m_form4->ID3Initialization();
}

void TrackmillApp::resetTagEditorGenres()
{
    m_form4->setGenrePosition(0);
}

void TrackmillApp::copyToTagEditor(const NamesForTagEditor& names)
{
    if (names.withYear)
        m_form4->setYears(names.year);
    m_form4->applySettingsNames(names.artist, names.album, names.genre);
}

}
