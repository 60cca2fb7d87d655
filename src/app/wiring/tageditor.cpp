// SPDX-License-Identifier: GPL-2.0-or-later
// The disc's names and the tag fields in the program: the main window's
// Artist and Album edits and the tag editor both show the one model of the
// disc's names, the tag editor shows the tag fields; and the ID3 button.
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
    m_form4 = std::make_unique<TForm4>(*m_genres, tags, names);

    // Typed into the main window: the model, and from it the tag fields.
    QObject::connect(m_form1.get(), &TForm1::artistChanged, &names, &DiscNames::setArtist);
    QObject::connect(m_form1.get(), &TForm1::albumChanged, &names, &DiscNames::setAlbum);
    QObject::connect(&names, &DiscNames::artistChanged, m_form1.get(), &TForm1::setArtist);
    QObject::connect(&names, &DiscNames::albumChanged, m_form1.get(), &TForm1::setAlbum);
    QObject::connect(&names, &DiscNames::artistChanged, &tags, &TagFields::setArtist);
    QObject::connect(&names, &DiscNames::albumChanged, &tags, &TagFields::setAlbum);
    // The artist typed into the tag editor is the disc's artist too; its
    // album stays the tag's own.
    QObject::connect(&tags, &TagFields::artistEdited, &names, &DiscNames::setArtist);
    m_form1->hooks().resetTagEditor = [this] { m_form4->ID3Initialization(); };

    // TForm1.ID3Click
    m_form1->setCommand(QStringLiteral("ID3"), [this] { m_form4->ShowID3Form(); });
}

}
