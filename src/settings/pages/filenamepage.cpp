// SPDX-License-Identifier: GPL-2.0-or-later
#include "filenamepage.h"

#include "pagewidgets.h"
#include "platform/systemservices.h"
#include "settings/settingstable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace trackmill {

using namespace settingspages;

namespace {

// The nine characters a file name may not hold, in the order of the edits
// Edt1 to Edt9 that give their replacements.
const char* const kIllegalCharacters[] = {"<", ">", ":", "\"", "\\", "/", "|", "*", "?"};

}

FileNamePage::FileNamePage(DesktopShell& shell, QWidget* parent) : QWidget(parent), m_shell(shell)
{
    setObjectName(QStringLiteral("FileName"));
    auto* layout = new QVBoxLayout(this);

    auto* naming = named(new QGroupBox(this), "GroupBox8");
    auto* grid = new QGridLayout(naming);
    m_fileName = list("Cmb_FileName",
                      {QStringLiteral("<number>"), QStringLiteral("<number> - <title>"),
                       QStringLiteral("<number> - <artist> - <title>"), QStringLiteral("<artist> - <title>"),
                       QStringLiteral("<artist> - <number> - <title>"), QStringLiteral("<title>")},
                      6, naming);
    grid->addWidget(label("LabelFileNameMP3", QStringLiteral("FileName MP3:"), naming), 0, 0);
    grid->addWidget(m_fileName, 0, 1, 1, 2);
    m_artistDir = checkBox("ArtistAsDirectory", QStringLiteral("<Artist> as directory"), naming);
    m_albumDir = checkBox("AlbumAsDirectory", QStringLiteral("<Album> as directory"), naming);
    m_artistAlbumDir = checkBox("ArtistAndAlbumAsDirectory", QStringLiteral("<Artist> - <Album> as directory"), naming);
    m_artistAlbumYearDir = checkBox("ArtistAlbumYearAsDirectory",
                                    QStringLiteral("<Artist> - <Album> - <Year> as directory"), naming);
    int row = 1;
    for (QWidget* w : std::initializer_list<QWidget*>{m_artistDir, m_albumDir, m_artistAlbumDir, m_artistAlbumYearDir})
        grid->addWidget(w, row++, 0, 1, 3);
    auto* splitRow = new QHBoxLayout;
    m_split = checkBox("Split", QStringLiteral("Split track name to Artist Title using "), naming);
    m_character = named(new QLineEdit(QStringLiteral("/"), naming), "Character");
    m_character->setMaxLength(1);
    m_character->setFixedWidth(24);
    splitRow->addWidget(m_split);
    splitRow->addWidget(m_character);
    splitRow->addWidget(label("LabelCharacter", QStringLiteral("Character (use this option for various artists)"), naming));
    splitRow->addStretch();
    grid->addLayout(splitRow, row++, 0, 1, 3);
    m_replaceSpaces = checkBox("ReplaceSpaces", QStringLiteral("Replace spaces by underscores in filenames"), naming);
    grid->addWidget(m_replaceSpaces, row++, 0, 1, 3);
    // Bound to the settings (section LOOKUP), not part of the naming: a disc
    // of a set rips into a "CD n" folder inside the album's folder.
    grid->addWidget(checkBox("CdNumberAsDirectory", QStringLiteral("\"CD n\" folder for a disc of a set"), naming),
                    row++, 0, 1, 3);
    layout->addWidget(naming);

    auto* illegal = named(new QGroupBox(QStringLiteral("Replace Illegal Characters"), this), "Grb_ChangeCharacter");
    auto* characters = new QHBoxLayout(illegal);
    // Shown in the order < > : / | * " \ ?; each edit keeps the name of the
    // character it replaces (Edt1 "<" ... Edt9 "?").
    for (int edit : {0, 1, 2, 5, 6, 7, 3, 4, 8}) {
        const QByteArray number = QByteArray::number(edit + 1);
        characters->addWidget(label(("LabelEdt" + number).constData(),
                                    QString::fromLatin1(kIllegalCharacters[edit]), illegal));
        auto* replacement = named(new QLineEdit(QStringLiteral("_"), illegal), ("Edt" + number).constData());
        replacement->setMaxLength(1);
        replacement->setFixedWidth(24);
        characters->addWidget(replacement);
        m_replacements[edit] = replacement;
    }
    characters->addStretch();
    layout->addWidget(illegal);

    auto* directory = new QHBoxLayout;
    m_directory = fixedField("Edt_Directory_WAV_MP3", QString(), this);
    auto* browse = named(new QPushButton(QStringLiteral("Browse"), this), "BtnBrowseWAV_MP3");
    browse->setAutoDefault(false);
    directory->addWidget(label("LabelOutputDirectory", QStringLiteral("Output Directory:"), this));
    directory->addWidget(m_directory, 1);
    directory->addWidget(browse);
    layout->addLayout(directory);
    layout->addStretch();
    connect(browse, &QPushButton::clicked, this, &FileNamePage::BtnBrowseWAV_MP3Click);
}

NamingSettings FileNamePage::namingSettings() const
{
    NamingSettings naming;
    naming.fileNameScheme = m_fileName->currentIndex();
    naming.split = m_split->isChecked();
    naming.splitCharacter = m_character->text();
    naming.replaceSpaces = m_replaceSpaces->isChecked();
    for (int i = 0; i < 9; ++i)
        naming.replacements[size_t(i)] = m_replacements[i]->text();
    naming.artistAsDirectory = m_artistDir->isChecked();
    naming.albumAsDirectory = m_albumDir->isChecked();
    naming.artistAndAlbumAsDirectory = m_artistAlbumDir->isChecked();
    naming.artistAlbumYearAsDirectory = m_artistAlbumYearDir->isChecked();
    return naming;
}

QString FileNamePage::Browse()
{
    const QString current = m_directory->text();
    QString folder = m_shell.selectDirectory(QStringLiteral("Select directory:"),
                                             current.isEmpty() ? defaultOutputDirectory() : current);
    if (folder.isEmpty())
        return QString();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

void FileNamePage::BtnBrowseWAV_MP3Click()
{
    const QString folder = Browse();
    if (!folder.isEmpty())
        m_directory->setText(folder);
}

}
