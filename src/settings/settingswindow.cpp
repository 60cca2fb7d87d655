// SPDX-License-Identifier: GPL-2.0-or-later
// TForm2: the settings window.
#include "settingswindow.h"

#include "app/mainwindow.h"
#include "cd/tracklist.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "platform/inifile.h"
#include "platform/messageboxes.h"
#include "platform/systemservices.h"
#include "settings.h"
#include "tags/genrelist.h"
#include "tags/tageditorwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace trackmill {

namespace {

// The language list's entries: the language files' names, in the order of
// the main window's language menu.
const char* const kLanguageNames[] = {
    "English", "Polish",   "German",   "French",   "Japanese", "PortugueseBr",
    "Spanish", "Czech",    "Slovak",   "Dutch",    "Italian",  "Swedish",
    "Hungarian", "Russian", "Norwegian", "Croatian", "Hebrew",   "Estonian",
    "TChinese", "SChinese", "Danish",   "Turkish",  "Greek",    "Romanian",
    "Latvian", "Albanian", "Finnish",  "Chilean",  "Catalan",  "Serbian"};

// The nine characters a file name may not hold, in the order of the edits
// Edt1 to Edt9 that give their replacements.
const char* const kIllegalCharacters[] = {"<", ">", ":", "\"", "\\", "/", "|", "*", "?"};

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* label(const char* name, const QString& text, QWidget* parent)
{
    return named(new QLabel(text, parent), name);
}

QCheckBox* checkBox(const char* name, const QString& text, QWidget* parent)
{
    return named(new QCheckBox(text, parent), name);
}

QComboBox* list(const char* name, const QStringList& entries, int rows, QWidget* parent)
{
    auto* box = named(new QComboBox(parent), name);
    box->addItems(entries);
    box->setMaxVisibleItems(rows);
    return box;
}

QSlider* slider(const char* name, QWidget* parent)
{
    auto* s = named(new QSlider(Qt::Horizontal, parent), name);
    s->setRange(0, Settings::kTrackBarMax);
    s->setSingleStep(1);
    s->setTickInterval(1);
    s->setTickPosition(QSlider::TicksBelow);
    return s;
}

void setBackground(QLineEdit* edit, QPalette::ColorRole role)
{
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, QApplication::palette().color(role));
    edit->setPalette(palette);
}

// A read-only field on the tooltip background, for values the user cannot change.
QLineEdit* fixedField(const char* name, const QString& text, QWidget* parent)
{
    auto* edit = named(new QLineEdit(text, parent), name);
    edit->setReadOnly(true);
    setBackground(edit, QPalette::ToolTipBase);
    return edit;
}

// This window's hook, else the main window's hook for the same step.
template <typename F>
const F& either(const F& own, const F& mainWindows)
{
    return own ? own : mainWindows;
}

}

TForm2::TForm2(Collaborators collaborators, QWidget* parent)
    : QDialog(parent), m_c(collaborators)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Settings"));
    resize(708, 385);

    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(4, 4, 4, 4);
    m_pages = named(new QTabWidget(this), "PageControl1");
    m_pages->setDocumentMode(true);  // tabs drawn as flat buttons
    m_pages->setMinimumSize(586, 377);
    outer->addWidget(m_pages, 1);
    auto* buttons = new QVBoxLayout;
    m_apply = named(new QPushButton(QStringLiteral("Apply"), this), "Apply");
    m_cancel = named(new QPushButton(QStringLiteral("Cancel"), this), "Cancel");
    for (QPushButton* b : {m_apply, m_cancel}) {
        b->setFixedSize(97, 30);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    outer->addLayout(buttons);

    buildEncoderPage(m_pages);
    buildCdRomPage(m_pages);
    buildFreedbPage(m_pages);
    buildFileNamePage(m_pages);
    buildTrackNamePage(m_pages);
    buildLanguagePage(m_pages);

    bindControls();
    showDriveList();
    wireMainWindow();
    wireTagEditor();

    // FormCreate: the lists start on "Stereo", VBR 4, "Normal", "None",
    // scheme 0 and "None" (the Settings object's start values); then the
    // settings file is loaded.
    loadSettings();
    rebuildCountingLabels();
}

TForm2::~TForm2()
{
    TForm1::Hooks& h = m_c.mainWindow.hooks();
    h.useCdPlayerIniTicked = nullptr;
    h.saveSettings = nullptr;
    h.rebuildCountingLabels = nullptr;
    h.clearOtherWindowsNames = m_previousClearNames;
}

void TForm2::buildEncoderPage(QTabWidget* pages)
{
    auto* page = named(new QWidget(pages), "Encoder");
    pages->addTab(page, QStringLiteral("Encoder"));
    auto* layout = new QVBoxLayout(page);
    m_encoderPages = named(new QTabWidget(page), "PageControl2");
    m_encoderPages->setDocumentMode(true);
    layout->addWidget(m_encoderPages, 1);

    // Primary options.
    auto* primaryTab = named(new QWidget(m_encoderPages), "PrimaryOptionsTab");
    m_encoderPages->addTab(primaryTab, QStringLiteral("Primary options"));
    auto* primaryLayout = new QHBoxLayout(primaryTab);
    auto* primary = named(new QGroupBox(primaryTab), "PrimaryOptions");
    auto* grid = new QGridLayout(primary);
    m_labelBitrate = label("LabelBitrate", QStringLiteral("Bitrate:"), primary);
    m_bitrate = list("Bitrate", {}, 14, primary);
    m_labelBitrateMax = label("LabelBitrateMax", QStringLiteral("Bitrate Max:"), primary);
    m_bitrateMax = list("BitrateMax", {}, 14, primary);
    m_quality = list("Quality", Settings::qualityNames(), 5, primary);
    QStringList levels;
    for (int i = 0; i < Settings::kVbrLevels; ++i)
        levels << QString::number(i);
    m_labelVbr = label("LabelVBR", QStringLiteral("VBR:"), primary);
    m_vbr = list("VBR", levels, 12, primary);
    // "Time critical" gives the encoder thread the highest priority the
    // system grants a thread (Qt's TimeCriticalPriority), not the one it had.
    m_priority = list("Priority",
                      {QStringLiteral("Idle"), QStringLiteral("Lower"), QStringLiteral("Lowest"),
                       QStringLiteral("Normal"), QStringLiteral("High"), QStringLiteral("Higher"),
                       QStringLiteral("Highest"), QStringLiteral("Time critical")},
                      8, primary);
    m_emphasis = list("Emphasis", Settings::emphasisNames(), 3, primary);
    const struct
    {
        QLabel* label;
        QComboBox* box;
    } rows[] = {{m_labelBitrate, m_bitrate},
                {m_labelBitrateMax, m_bitrateMax},
                {label("LabelQuality", QStringLiteral("Quality:"), primary), m_quality},
                {m_labelVbr, m_vbr},
                {label("LabelPriority", QStringLiteral("Priority:"), primary), m_priority},
                {label("LabelEmphasis", QStringLiteral("Emphasis:"), primary), m_emphasis}};
    int row = 0;
    for (const auto& r : rows) {
        r.label->setBuddy(r.box);
        grid->addWidget(r.label, row, 0);
        grid->addWidget(r.box, row++, 1);
    }
    grid->setRowStretch(row, 1);
    primaryLayout->addWidget(primary);

    auto* secondary = named(new QGroupBox(primaryTab), "SecondaryOptions");
    auto* column = new QVBoxLayout(secondary);
    m_mpeg1 = named(new QRadioButton(QStringLiteral("Use MPEG1 [32-320kbps]"), secondary), "MPEG1");
    m_mpeg2 = named(new QRadioButton(QStringLiteral("Use MPEG2 [8-160kbps]"), secondary), "MPEG2");
    m_onTheFly = checkBox("OnTheFly", QStringLiteral("On the fly encoding (cda -> mp3 without .wav files)"), secondary);
    m_deleteBox = checkBox("MyDeleteBox", QStringLiteral("Delete .wav files after encoding"), secondary);
    m_usePsy = checkBox("UsePsy", QStringLiteral("Use Psy-Sound Calculation (better quality)"), secondary);
    m_useLpf16 = checkBox("UseLPF16", QStringLiteral("Use 16kHz Low Pass-Filter"), secondary);
    m_vbrRatio = checkBox("VBRRatio", QStringLiteral("Use VBR Encode Quality Ratio"), secondary);
    m_useMmx = checkBox("Use_MMX_3DNOW", QStringLiteral("Use MMX/SSE/(Enhanced)3DNow! (if available)"), secondary);
    m_useMultiCpu = checkBox("Use_Multi_CPU", QStringLiteral("Use Multi Processors Support 1-4 CPUs (if available)"), secondary);
    m_encodeWav = checkBox("EncodeWAVtoMP3", QStringLiteral("Encode from external .wav files to .mp3 files"), secondary);
    for (QWidget* w : std::initializer_list<QWidget*>{m_mpeg1, m_mpeg2, m_onTheFly, m_deleteBox, m_usePsy,
                                                      m_useLpf16, m_vbrRatio, m_useMmx, m_useMultiCpu,
                                                      m_encodeWav})
        column->addWidget(w);
    column->addStretch();
    primaryLayout->addWidget(secondary, 1);

    // Advanced options.
    auto* advancedTab = named(new QWidget(m_encoderPages), "AdvancedOptionsTab");
    m_encoderPages->addTab(advancedTab, QStringLiteral("Advanced options"));
    auto* advancedLayout = new QVBoxLayout(advancedTab);
    auto* cbr = named(new QGroupBox(advancedTab), "GroupBox13");
    auto* cbrGrid = new QGridLayout(cbr);
    m_extendedFilterCbr = checkBox("ExtendedFilterCBR", QStringLiteral("Manual filter setting for CBR only"), cbr);
    m_labelCbrLow = label("LabelFrequencyCBRLow", QStringLiteral("Frequency band A (low)"), cbr);
    m_cbrLow = slider("TrackBarCBR_Low", cbr);
    m_cbrLowValue = label("Filter_CBR_ValueLow", Settings::ratioText(0, QLocale()), cbr);
    m_labelCbrHigh = label("LabelFrequencyCBRHigh", QStringLiteral("Frequency band B (high)"), cbr);
    m_cbrHigh = slider("TrackBarCBR_High", cbr);
    m_cbrHighValue = label("Filter_CBR_ValueHigh", Settings::ratioText(0, QLocale()), cbr);
    cbrGrid->addWidget(m_extendedFilterCbr, 0, 0, 1, 3);
    cbrGrid->addWidget(m_labelCbrLow, 1, 0);
    cbrGrid->addWidget(m_cbrLow, 1, 1);
    cbrGrid->addWidget(m_cbrLowValue, 1, 2);
    cbrGrid->addWidget(m_labelCbrHigh, 2, 0);
    cbrGrid->addWidget(m_cbrHigh, 2, 1);
    cbrGrid->addWidget(m_cbrHighValue, 2, 2);
    advancedLayout->addWidget(cbr);

    auto* ms = named(new QGroupBox(advancedTab), "GroupBox14");
    auto* msGrid = new QGridLayout(ms);
    m_msStereo = checkBox("Filter_MS_Stereo", QStringLiteral("Manual setting for quality MS Stereo"), ms);
    m_labelThreshold = label("LabelThreshold", QStringLiteral("Threshold "), ms);
    m_threshold = slider("TrackBarThreshold", ms);
    m_thresholdValue = label("Filter_MS_Threshold", Settings::ratioText(0, QLocale()), ms);
    m_labelPower = label("LabelPower", QStringLiteral("Power"), ms);
    m_power = slider("TrackBarPower", ms);
    m_powerValue = label("Filter_MS_Power", QStringLiteral("67%/33%"), ms);
    msGrid->addWidget(m_msStereo, 0, 0, 1, 3);
    msGrid->addWidget(m_labelThreshold, 1, 0);
    msGrid->addWidget(m_threshold, 1, 1);
    msGrid->addWidget(m_thresholdValue, 1, 2);
    msGrid->addWidget(m_labelPower, 2, 0);
    msGrid->addWidget(m_power, 2, 1);
    msGrid->addWidget(m_powerValue, 2, 2);
    advancedLayout->addWidget(ms);
    advancedLayout->addStretch();

    // The encoder library's version lines, filled by the version display.
    auto* versions = named(new QGroupBox(page), "GroupBox4");
    auto* versionLines = new QVBoxLayout(versions);
    versionLines->addWidget(label("MyLibrary", QStringLiteral("Library:"), versions));
    versionLines->addWidget(label("MyCompany", QStringLiteral("Company:"), versions));
    versionLines->addWidget(label("MyCopyright", QStringLiteral("Copyright:"), versions));
    layout->addWidget(versions);
}

void TForm2::buildCdRomPage(QTabWidget* pages)
{
    auto* page = named(new QWidget(pages), "CDROM");
    pages->addTab(page, QStringLiteral("CD ROM"));
    auto* layout = new QVBoxLayout(page);

    auto* drives = named(new QGroupBox(page), "GroupBox2");
    auto* grid = new QGridLayout(drives);
    m_cdromUnit = list("CDROMUnit", {}, 8, drives);
    // The drives' addresses ("100": host adapter, target, LUN), same order.
    m_cd = list("cd", {}, 8, drives);
    m_cd->hide();
    auto* type = list("CDROMType", {QStringLiteral("IDE - ATAPI")}, 9, drives);
    type->setCurrentIndex(0);
    grid->addWidget(label("LabelCDROMUnit", QStringLiteral("CD-ROM Unit:"), drives), 0, 0);
    grid->addWidget(m_cdromUnit, 0, 1);
    grid->addWidget(label("LabelCDROMType", QStringLiteral("CD-ROM Type:"), drives), 1, 0);
    grid->addWidget(type, 1, 1);
    grid->setColumnStretch(1, 1);
    layout->addWidget(drives);

    auto* options = named(new QGroupBox(page), "GroupBox5");
    auto* column = new QGridLayout(options);
    m_selectAll = checkBox("SelectAllTracks", QStringLiteral("Select all CD tracks (by default)"), options);
    m_useCdPlayerIni = checkBox("UseCDPlayerINI", QStringLiteral("Use cdplayer.ini"), options);
    m_eject = checkBox("EjectCDAudio", QStringLiteral("Eject CD Audio when grabbing has been completed"), options);
    m_screensaver = checkBox("Cmb_Screensaver", QStringLiteral("Prevent screensaver from starting while grabbing"), options);
    m_execute = list("Cmb_Execute", {QStringLiteral("None"), QStringLiteral("Shutdown"), QStringLiteral("Restart")},
                     3, options);
    int row = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{m_selectAll, m_useCdPlayerIni, m_eject, m_screensaver})
        column->addWidget(w, row++, 0, 1, 2);
    column->addWidget(label("LabelExecute", QStringLiteral("After grabbing/encoding execute:"), options), row, 0);
    column->addWidget(m_execute, row, 1);
    layout->addWidget(options);

    auto* library = named(new QGroupBox(page), "GroupBox6");
    auto* lines = new QVBoxLayout(library);
    lines->addWidget(label("LibraryRipCDROM", QStringLiteral("Library:"), library));
    lines->addWidget(label("CompanyRip", QStringLiteral("Company: AKSoft, AKRIP CD-DA Audio Extraction Library"), library));
    lines->addWidget(label("CopyrightRip", QStringLiteral("Copyright: Trackmill developers, drive access through libcdio"), library));
    layout->addWidget(library);
    layout->addStretch();
}

void TForm2::buildFreedbPage(QTabWidget* pages)
{
    auto* page = named(new QWidget(pages), "FREEDB");
    pages->addTab(page, QStringLiteral("FreeDB"));
    auto* layout = new QVBoxLayout(page);

    auto* server = named(new QGroupBox(page), "GroupBox7");
    auto* grid = new QGridLayout(server);
    grid->addWidget(label("LabelServer", QStringLiteral("Server:"), server), 0, 0);
    grid->addWidget(fixedField("Edit2", QStringLiteral("gnudb.gnudb.org"), server), 0, 1);
    grid->addWidget(label("LabelCGI", QStringLiteral("CGI:"), server), 1, 0);
    grid->addWidget(fixedField("CDDBServer", QStringLiteral("/~cddb/cddb.cgi"), server), 1, 1);
    grid->addWidget(label("LabelEmail", QStringLiteral("E-mail:"), server), 2, 0);
    grid->addWidget(fixedField("Edit1", QStringLiteral("trackmill@localhost"), server), 2, 1);
    m_autoStore = checkBox("Cmb_AutoStore",
                           QStringLiteral("Auto store information from FreeDB about disk CD Audio in cdplayer.ini"),
                           server);
    m_autoConnect = checkBox("AutoConnectFREEDB",
                             QStringLiteral("Auto connect to remote FreeDB if disk CD Audio was not found in cdplayer.ini"),
                             server);
    m_useProxy = checkBox("Use_Proxy", QStringLiteral("Use Proxy"), server);
    grid->addWidget(m_autoStore, 3, 0, 1, 3);
    grid->addWidget(m_autoConnect, 4, 0, 1, 3);
    grid->addWidget(m_useProxy, 5, 0, 1, 3);
    m_labelServerProxy = label("LabelServerProxy", QStringLiteral("Server Proxy:"), server);
    m_serverProxy = named(new QLineEdit(server), "Edt_Server_Proxy");
    m_labelPortProxy = label("LabelPortProxy", QStringLiteral("Port Proxy:"), server);
    m_portProxy = named(new QLineEdit(server), "Edt_Port_Proxy");
    grid->addWidget(m_labelServerProxy, 6, 0);
    grid->addWidget(m_serverProxy, 6, 1);
    grid->addWidget(m_labelPortProxy, 7, 0);
    grid->addWidget(m_portProxy, 7, 1);
    grid->addWidget(label("Image1", QString(), server), 0, 2, 3, 1);
    grid->setColumnStretch(1, 1);
    layout->addWidget(server);

    auto* library = named(new QGroupBox(page), "GroupBox1");
    auto* lines = new QVBoxLayout(library);
    lines->addWidget(label("LibraryRipCDDB", QStringLiteral("Library:"), library));
    lines->addWidget(label("Label13", QStringLiteral("Company: AKSoft, AKRIP CD-DA Audio Extraction Library"), library));
    lines->addWidget(label("Label14", QStringLiteral("Copyright: Trackmill developers, drive access through libcdio"), library));
    layout->addWidget(library);
    layout->addStretch();
}

void TForm2::buildFileNamePage(QTabWidget* pages)
{
    auto* page = named(new QWidget(pages), "FileName");
    pages->addTab(page, QStringLiteral("FileName"));
    auto* layout = new QVBoxLayout(page);

    auto* naming = named(new QGroupBox(page), "GroupBox8");
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
    layout->addWidget(naming);

    auto* illegal = named(new QGroupBox(QStringLiteral("Replace Illegal Characters"), page), "Grb_ChangeCharacter");
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
    m_directory = fixedField("Edt_Directory_WAV_MP3", QString(), page);
    auto* browse = named(new QPushButton(QStringLiteral("Browse"), page), "BtnBrowseWAV_MP3");
    browse->setAutoDefault(false);
    directory->addWidget(label("LabelOutputDirectory", QStringLiteral("Output Directory:"), page));
    directory->addWidget(m_directory, 1);
    directory->addWidget(browse);
    layout->addLayout(directory);
    layout->addStretch();
    connect(browse, &QPushButton::clicked, this, &TForm2::BtnBrowseWAV_MP3Click);
}

void TForm2::buildTrackNamePage(QTabWidget* pages)
{
    auto* page = named(new QWidget(pages), "TrackName");
    pages->addTab(page, QStringLiteral("TrackName"));
    auto* layout = new QVBoxLayout(page);
    auto* group = named(new QGroupBox(page), "GroupBox9");
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

    connect(m_tracksList, &QListWidget::itemClicked, this, &TForm2::TracksClick);
    connect(m_setName, &QPushButton::clicked, this, &TForm2::BtnSetNameClick);
    m_currentTrack->installEventFilter(this);
}

void TForm2::buildLanguagePage(QTabWidget* pages)
{
    auto* page = named(new QWidget(pages), "Language");
    pages->addTab(page, QStringLiteral("Language"));
    auto* layout = new QVBoxLayout(page);
    auto* group = named(new QGroupBox(page), "GroupBox3");
    auto* grid = new QGridLayout(group);
    QStringList names;
    for (const char* name : kLanguageNames)
        names << QString::fromLatin1(name);
    m_language = list("Cmb_Language", names, 15, group);
    m_language->setCurrentIndex(-1);  // the applied language selects its entry
    auto* flag = label("ImageCountry", QString(), group);
    flag->setScaledContents(true);
    flag->setFixedSize(48, 32);
    grid->addWidget(label("LabelLanguage", QStringLiteral("Language:"), group), 0, 0);
    grid->addWidget(m_language, 0, 1);
    grid->addWidget(flag, 0, 2);
    m_emailTranslator = label("LabelEmailTranslator", QStringLiteral("translator@example.org"), group);
    m_www = label("Labelwww", QStringLiteral("www.example.org"), group);
    const struct
    {
        const char* name;
        const char* caption;
        QLabel* value;
    } block[] = {{"Translator", "Translator:", label("LabelAuthor", QStringLiteral("Translator"), group)},
                 {"Country", "Country:", label("LabelCountry", QStringLiteral("Country"), group)},
                 {"City", "City:", label("LabelCity", QStringLiteral("City"), group)},
                 {"Email", "E-mail:", m_emailTranslator},
                 {"Homepage", "Homepage:", m_www}};
    int row = 1;
    for (const auto& b : block) {
        grid->addWidget(label(b.name, QString::fromLatin1(b.caption), group), row, 0);
        grid->addWidget(b.value, row++, 1, 1, 2);
    }
    grid->setColumnStretch(1, 1);
    layout->addWidget(group);
    layout->addStretch();
    for (QLabel* link : {m_emailTranslator, m_www}) {
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
    }
    connect(m_language, &QComboBox::activated, this, &TForm2::Cmb_LanguageClick);
}

void TForm2::bindControls()
{
    // Each control writes its own value into the Settings object at once,
    // and only its own: others may change other values of the object.
    Settings& s = m_c.settings;
    const auto bindBox = [this](QCheckBox* box, bool& value) {
        connect(box, &QCheckBox::toggled, this, [this, &value](bool on) {
            if (!m_showing)
                value = on;
        });
    };
    const auto bindList = [this](QComboBox* box, int& value) {
        connect(box, &QComboBox::currentIndexChanged, this, [this, &value](int index) {
            if (!m_showing)
                value = index;
        });
    };
    const auto bindSlider = [this](QSlider* slider, int& value) {
        connect(slider, &QSlider::valueChanged, this, [this, &value](int position) {
            if (!m_showing)
                value = position;
        });
    };
    const auto bindEdit = [this](QLineEdit* edit, QString& value) {
        connect(edit, &QLineEdit::textChanged, this, [this, &value](const QString& text) {
            if (!m_showing)
                value = text;
        });
    };
    bindList(m_bitrate, s.bitrate);
    bindList(m_bitrateMax, s.bitrateMax);
    bindList(m_quality, s.quality);
    bindList(m_vbr, s.vbr);
    bindList(m_priority, s.priority);
    bindList(m_emphasis, s.emphasis);
    bindBox(m_onTheFly, s.onTheFly);
    bindBox(m_deleteBox, s.deleteWav);
    bindBox(m_usePsy, s.usePsy);
    bindBox(m_useLpf16, s.useLpf16);
    bindBox(m_vbrRatio, s.vbrRatio);
    bindBox(m_extendedFilterCbr, s.extendedFilterCbr);
    bindSlider(m_cbrLow, s.filterCbrLow);
    bindSlider(m_cbrHigh, s.filterCbrHigh);
    bindBox(m_msStereo, s.extendedFilterMsStereo);
    bindSlider(m_threshold, s.filterMsThreshold);
    bindSlider(m_power, s.filterMsPower);
    bindBox(m_useMultiCpu, s.multiCpu);
    bindEdit(m_directory, s.directoryMp3);
    bindBox(m_selectAll, s.selectAll);
    bindBox(m_useCdPlayerIni, s.useCdPlayerIni);
    bindBox(m_eject, s.ejectCdAudio);
    bindBox(m_artistDir, s.artistAsDirectory);
    bindBox(m_albumDir, s.albumAsDirectory);
    bindBox(m_artistAlbumDir, s.artistAndAlbumAsDirectory);
    bindBox(m_split, s.split);
    bindList(m_fileName, s.fileName);
    bindBox(m_autoConnect, s.autoConnectFreedb);
    bindBox(m_artistAlbumYearDir, s.artistAlbumYearAsDirectory);
    bindBox(m_useMmx, s.useMmx3dnow);
    bindBox(m_replaceSpaces, s.replaceSpaces);
    bindBox(m_screensaver, s.preventScreensaver);
    bindBox(m_autoStore, s.autoStoreCdPlayerIni);
    bindList(m_execute, s.afterExecute);
    bindBox(m_encodeWav, s.encodeWavToMp3);
    bindBox(m_useProxy, s.useProxy);
    bindEdit(m_serverProxy, s.serverProxy);
    bindEdit(m_portProxy, s.portProxy);
    // No entry chosen yet keeps the stored language.
    connect(m_language, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_showing && index >= 0)
            m_c.settings.language = m_language->itemText(index);
    });

    // VBRRatio, ExtendedFilterCBR, Filter_MS_Stereo and Use_Proxy each
    // re-apply the enabling rules.
    for (QCheckBox* box : {m_vbrRatio, m_extendedFilterCbr, m_msStereo, m_useProxy})
        connect(box, &QCheckBox::toggled, this, &TForm2::applyEnablingRules);

    // The value displays follow the sliders also while the Settings are shown.
    connect(m_cbrLow, &QSlider::valueChanged, this, &TForm2::TrackBarCBR_LowChange);
    connect(m_cbrHigh, &QSlider::valueChanged, this, &TForm2::TrackBarCBR_HighChange);
    connect(m_threshold, &QSlider::valueChanged, this, &TForm2::TrackBarThresholdChange);
    connect(m_power, &QSlider::valueChanged, this, &TForm2::TrackBarPowerChange);

    connect(m_mpeg1, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !m_showing)
            MPEG1Click();
    });
    connect(m_mpeg2, &QRadioButton::toggled, this, [this](bool on) {
        if (on && !m_showing)
            MPEG2Click();
    });

    connect(m_apply, &QPushButton::clicked, this, &TForm2::ApplyClick);
    connect(m_cancel, &QPushButton::clicked, this, &TForm2::CancelClick);
    connect(m_pages, &QTabWidget::currentChanged, this, &TForm2::PageControl1Change);
    connect(m_encoderPages, &QTabWidget::currentChanged, this, &TForm2::PageControl2Change);
    connect(m_cdromUnit, &QComboBox::activated, this, &TForm2::CDROMUnitClick);
    connect(&m_c.driveList, &DriveList::changed, this, &TForm2::showDriveList);
}

// An index a list cannot show (outside the list) is taken back as the
// list shows it, so the next save writes what is on screen.
void TForm2::storeListIndexes()
{
    Settings& s = m_c.settings;
    s.bitrate = m_bitrate->currentIndex();
    s.bitrateMax = m_bitrateMax->currentIndex();
    s.quality = m_quality->currentIndex();
    s.vbr = m_vbr->currentIndex();
    s.priority = m_priority->currentIndex();
    s.emphasis = m_emphasis->currentIndex();
    s.fileName = m_fileName->currentIndex();
    s.afterExecute = m_execute->currentIndex();
}

void TForm2::wireMainWindow()
{
    if (auto* button = m_c.mainWindow.findChild<QToolButton*>(QStringLiteral("Settings"))) {
        button->setEnabled(true);
        connect(button, &QToolButton::clicked, this, &TForm2::SettingsClick);
    }
    TForm1::Hooks& h = m_c.mainWindow.hooks();
    h.useCdPlayerIniTicked = [this] { return m_useCdPlayerIni->isChecked(); };
    h.saveSettings = [this] { saveSettings(); };
    h.rebuildCountingLabels = [this] { rebuildCountingLabels(); };
    // This window's part of the refresh's first step; the tag editor's
    // part is chained in front when it is installed first.
    m_previousClearNames = h.clearOtherWindowsNames;
    h.clearOtherWindowsNames = [this] {
        if (m_previousClearNames)
            m_previousClearNames();
        m_artist->clear();
        m_album->clear();
        m_year->clear();
        m_tracksList->clear();
        m_currentTrack->clear();
    };
    connect(&m_c.mainWindow, &TForm1::artistChanged, m_artist, &QLineEdit::setText);
    connect(&m_c.mainWindow, &TForm1::albumChanged, m_album, &QLineEdit::setText);
    connect(&m_c.mainWindow, &TForm1::trackNameEdited, this, [this](int row, const QString& text) {
        if (QListWidgetItem* item = m_tracksList->item(row - 1))
            item->setText(text);
    });
}

void TForm2::wireTagEditor()
{
    TForm4* tags = m_c.tagEditor;
    if (!tags)
        return;
    m_hooks.copyToTagEditor = [tags](const NamesForTagEditor& names) {
        if (names.withYear)
            tags->setYears(names.year);
        tags->applySettingsNames(names.artist, names.album, names.genre);
    };
    m_hooks.resetTagEditorGenres = [tags] { tags->setGenrePosition(0); };
    m_hooks.resetTagEditor = [tags] { tags->ID3Initialization(); };
    connect(tags, &TForm4::artistChanged, m_artist, &QLineEdit::setText);
    connect(tags, &TForm4::albumChanged, m_album, &QLineEdit::setText);
}

void TForm2::SettingsClick()
{
    if (m_hooks.refreshEncoderVersionLines)
        m_hooks.refreshEncoderVersionLines();
    loadSettings();
    // The designed size, widened to what the language's captions and the
    // library lines need: check box texts would otherwise be cut.
    resize(size().expandedTo(sizeHint()));
    exec();
}

void TForm2::loadSettings()
{
    m_c.settings.load(IniFile(m_c.paths.settingsFile()), m_c.paths.programDir);
    if (m_c.tagEditor) {
        m_c.tagEditor->setUseId3v1(m_c.settings.useId3v1);
        m_c.tagEditor->setUseId3v2(m_c.settings.useId3v2);
    }
    showSettings();
}

bool TForm2::saveSettings()
{
    if (m_c.tagEditor) {
        m_c.settings.useId3v1 = m_c.tagEditor->useId3v1();
        m_c.settings.useId3v2 = m_c.tagEditor->useId3v2();
    }
    IniFile file(m_c.paths.settingsFile());
    if (m_c.settings.save(file))
        return true;
    m_c.messageBoxes.error(m_c.settings.errorString());
    return false;
}

void TForm2::setMpegButtons()
{
    const Settings::MpegVersion version = m_c.settings.mpegVersion;
    if (version == Settings::MpegVersion::None) {
        // Radio buttons of one group cannot be unchecked one by one.
        for (QRadioButton* b : {m_mpeg1, m_mpeg2}) {
            b->setAutoExclusive(false);
            b->setChecked(false);
            b->setAutoExclusive(true);
        }
        for (QComboBox* box : {m_bitrate, m_bitrateMax})
            box->clear();
        return;
    }
    (version == Settings::MpegVersion::Mpeg1 ? m_mpeg1 : m_mpeg2)->setChecked(true);
    SetMPEG(int(version));
}

void TForm2::showSettings()
{
    const Settings& s = m_c.settings;
    m_showing = true;
    setMpegButtons();
    m_bitrate->setCurrentIndex(s.bitrate);
    m_bitrateMax->setCurrentIndex(s.bitrateMax);
    m_quality->setCurrentIndex(s.quality);
    m_vbr->setCurrentIndex(s.vbr);
    m_priority->setCurrentIndex(s.priority);
    m_emphasis->setCurrentIndex(s.emphasis);
    m_onTheFly->setChecked(s.onTheFly);
    m_deleteBox->setChecked(s.deleteWav);
    m_usePsy->setChecked(s.usePsy);
    m_useLpf16->setChecked(s.useLpf16);
    m_vbrRatio->setChecked(s.vbrRatio);
    m_extendedFilterCbr->setChecked(s.extendedFilterCbr);
    m_cbrLow->setValue(s.filterCbrLow);
    m_cbrHigh->setValue(s.filterCbrHigh);
    m_msStereo->setChecked(s.extendedFilterMsStereo);
    m_threshold->setValue(s.filterMsThreshold);
    m_power->setValue(s.filterMsPower);
    m_useMultiCpu->setChecked(s.multiCpu);
    m_directory->setText(s.directoryMp3);
    m_selectAll->setChecked(s.selectAll);
    m_useCdPlayerIni->setChecked(s.useCdPlayerIni);
    m_eject->setChecked(s.ejectCdAudio);
    m_artistDir->setChecked(s.artistAsDirectory);
    m_albumDir->setChecked(s.albumAsDirectory);
    m_artistAlbumDir->setChecked(s.artistAndAlbumAsDirectory);
    m_split->setChecked(s.split);
    m_fileName->setCurrentIndex(s.fileName);
    m_autoConnect->setChecked(s.autoConnectFreedb);
    m_artistAlbumYearDir->setChecked(s.artistAlbumYearAsDirectory);
    m_useMmx->setChecked(s.useMmx3dnow);
    m_replaceSpaces->setChecked(s.replaceSpaces);
    m_screensaver->setChecked(s.preventScreensaver);
    m_autoStore->setChecked(s.autoStoreCdPlayerIni);
    m_execute->setCurrentIndex(s.afterExecute);
    m_encodeWav->setChecked(s.encodeWavToMp3);
    m_useProxy->setChecked(s.useProxy);
    m_serverProxy->setText(s.serverProxy);
    m_portProxy->setText(s.portProxy);
    m_showing = false;
    applyEnablingRules();
    storeListIndexes();
}

void TForm2::showDriveList()
{
    const QSignalBlocker blockUnit(m_cdromUnit);
    const QSignalBlocker blockCd(m_cd);
    m_cdromUnit->clear();
    m_cd->clear();
    m_cdromUnit->addItems(m_c.driveList.identifications());
    m_cd->addItems(m_c.driveList.addresses());
    m_cdromUnit->setCurrentIndex(m_c.driveList.selectedIndex());
    m_cd->setCurrentIndex(m_c.driveList.selectedIndex());
}

// The four enabling rules as one function of the boxes' states, so the
// window looks the same after loading as after clicking the same boxes.
void TForm2::applyEnablingRules()
{
    // Rule 1: the VBR range, or the CBR filter group.
    const bool vbr = m_vbrRatio->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_bitrateMax, m_vbr, m_labelBitrateMax, m_labelVbr})
        w->setEnabled(vbr);
    m_labelBitrate->setText(vbr ? QStringLiteral("Bitrate Min:") : QStringLiteral("Bitrate:"));
    m_extendedFilterCbr->setEnabled(!vbr);
    // Rule 2: the CBR filter's sliders, only while their box can be used.
    const bool cbr = !vbr && m_extendedFilterCbr->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_cbrLow, m_cbrHigh, m_labelCbrHigh, m_labelCbrLow,
                                                      m_cbrLowValue, m_cbrHighValue})
        w->setEnabled(cbr);
    // Rule 3: the MS stereo setting.
    const bool ms = m_msStereo->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_threshold, m_power, m_labelThreshold, m_labelPower,
                                                      m_thresholdValue, m_powerValue})
        w->setEnabled(ms);
    // Rule 4: the proxy, whose edits also change their background.
    const bool proxy = m_useProxy->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_labelServerProxy, m_serverProxy, m_labelPortProxy,
                                                      m_portProxy})
        w->setEnabled(proxy);
    for (QLineEdit* edit : {m_serverProxy, m_portProxy})
        setBackground(edit, proxy ? QPalette::Base : QPalette::Button);
}

void TForm2::MPEG1Click()
{
    SetMPEG(1);
    m_c.settings.mpegVersion = Settings::MpegVersion::Mpeg1;
}

void TForm2::MPEG2Click()
{
    SetMPEG(2);
    m_c.settings.mpegVersion = Settings::MpegVersion::Mpeg2;
}

void TForm2::SetMPEG(int version)
{
    const auto mpeg = version == 2 ? Settings::MpegVersion::Mpeg2 : Settings::MpegVersion::Mpeg1;
    const QList<int>& table = Settings::bitrateTable(mpeg);
    for (QComboBox* box : {m_bitrate, m_bitrateMax}) {
        const int keep = box->currentIndex();
        const QSignalBlocker block(box);
        box->clear();
        for (int i = 0; i < table.size(); ++i)
            box->addItem(Settings::bitrateListEntry(mpeg, i));
        box->setCurrentIndex(keep);
    }
}

QString TForm2::GetBitrate(int index) const
{
    const auto mpeg = m_mpeg1->isChecked() ? Settings::MpegVersion::Mpeg1 : Settings::MpegVersion::Mpeg2;
    return QString::fromLatin1(Settings::bitrateText(mpeg, index));
}

void TForm2::TrackBarCBR_LowChange()
{
    m_cbrLowValue->setText(Settings::ratioText(m_cbrLow->value(), QLocale()));
}

void TForm2::TrackBarCBR_HighChange()
{
    m_cbrHighValue->setText(Settings::ratioText(m_cbrHigh->value(), QLocale()));
}

void TForm2::TrackBarThresholdChange()
{
    m_thresholdValue->setText(Settings::ratioText(m_threshold->value(), QLocale()));
}

void TForm2::TrackBarPowerChange()
{
    m_powerValue->setText(Settings::powerText(m_power->value()));
}

QString TForm2::Browse()
{
    // The whole file system, as the drives folder was the root before.
    QString folder = m_c.shell.selectDirectory(QStringLiteral("Select directory:"), QStringLiteral("/"));
    if (folder.isEmpty())
        return QString();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

void TForm2::BtnBrowseWAV_MP3Click()
{
    // A cancelled picker empties the field: the program's own directory.
    m_directory->setText(Browse());
}

QString TForm2::selectedDrivePath() const
{
    // The path paired by position with the selected entry of the library's list.
    const int selected = m_c.driveList.selectedIndex();
    return selected >= 0 ? m_c.drives.DetectCD().value(selected) : QString();
}

void TForm2::CDROMUnitClick(int index)
{
    if (index < 0 || index >= m_c.driveList.count())
        return;
    // The main window's part: close the open drive (when that is refused,
    // nothing changes), open the chosen one, read its TOC, write the summary,
    // select all tracks or none, show the drive in status bar panel 3.
    if (!m_c.mainWindow.switchToDrive(index)) {
        showDriveList();  // the list shows the drive that is still open
        return;
    }
    m_selectedDriveLetter = selectedDrivePath();
    m_tracksList->clear();
    m_currentTrack->clear();

    const TForm1::Hooks& mainHooks = m_c.mainWindow.hooks();
    const auto lookUp = either(m_hooks.lookUpCdPlayerDatabase, mainHooks.lookUpCdPlayerDatabase);
    const auto readNames = either(m_hooks.readDiscNames, mainHooks.readDiscNames);
    const auto applyLanguage = either(m_hooks.applyLanguageFile, mainHooks.applyLanguageFile);
    const auto resetTags = either(m_hooks.resetTagEditor, mainHooks.resetTagEditor);
    if (m_c.tracks.CD()) {
        if (lookUp)
            lookUp(m_selectedDriveLetter);
    } else {
        m_genre->setCurrentIndex(0);
        if (m_hooks.resetTagEditorGenres)
            m_hooks.resetTagEditorGenres();
        m_year->clear();
    }

    if (m_language->currentIndex() >= 0 && applyLanguage)
        applyLanguage(m_language->currentText().toUpper() + QStringLiteral(".LNG"));

    if (!m_c.tracks.CD())
        m_c.mainWindow.GetCDTOC();
    else if (readNames)
        readNames(m_selectedDriveLetter);
    rebuildCountingLabels();

    if (resetTags)
        resetTags();
}

TForm2::NamesForTagEditor TForm2::namesForTagEditor(bool withYear) const
{
    NamesForTagEditor names;
    names.artist = m_artist->text();
    names.album = m_album->text();
    names.withYear = withYear;
    names.year = withYear ? m_year->text() : QString();
    names.genre = m_genre->currentIndex();
    return names;
}

void TForm2::ApplyClick()
{
    accept();
    const bool audioDisc = m_c.tracks.CD();
    const QString drivePath = audioDisc ? selectedDrivePath() : QString();
    // The disc's names reach the database before the settings file.
    if (audioDisc && m_hooks.storeDiscNames)
        m_hooks.storeDiscNames(drivePath);
    if (m_hooks.copyToTagEditor)
        m_hooks.copyToTagEditor(namesForTagEditor(true));
    saveSettings();
    const auto lookUp = either(m_hooks.lookUpCdPlayerDatabase, m_c.mainWindow.hooks().lookUpCdPlayerDatabase);
    if (audioDisc && lookUp)
        lookUp(drivePath);
}

void TForm2::CancelClick()
{
    reject();
    // The stored language comes back, in the texts and in Cmb_Language, so
    // that a language picked and cancelled is not saved later. No stored
    // language leaves the texts as they are rather than emptying them.
    const QString stored = QString::fromUtf8(
        IniFile(m_c.paths.settingsFile()).readString("MAIN", "LANGUAGE"));
    if (!stored.isEmpty()) {
        const auto applyLanguage = either(m_hooks.applyLanguageFile, m_c.mainWindow.hooks().applyLanguageFile);
        if (applyLanguage)
            applyLanguage(stored + QStringLiteral(".LNG"));
        rebuildCountingLabels();
        selectLanguage(stored);
        m_c.mainWindow.CheckTextLanguage(stored);
    }
    if (m_hooks.copyToTagEditor)
        m_hooks.copyToTagEditor(namesForTagEditor(false));
}

void TForm2::PageControl1Change(int index)
{
    const QWidget* page = m_pages->widget(index);
    if (page && page->objectName() == QLatin1String("TrackName")) {
        m_currentTrack->setFocus();
        m_setName->setEnabled(m_c.tracks.CD());
    } else {
        m_pages->setFocus();
    }
}

void TForm2::PageControl2Change(int)
{
    m_encoderPages->setFocus();
}

void TForm2::LabelEmailTranslatorClick()
{
    m_c.shell.openUrl(QStringLiteral("mailto:") + m_emailTranslator->text());
}

void TForm2::LabelwwwClick()
{
    m_c.shell.openUrl(m_www->text());
}

void TForm2::Cmb_LanguageClick(int index)
{
    if (m_hooks.languagePicked)
        m_hooks.languagePicked(index);
}

void TForm2::selectLanguage(const QString& name)
{
    const int index = m_language->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index >= 0)
        m_language->setCurrentIndex(index);
}

void TForm2::setCountingLabelTexts(const QString& availableTracks, const QString& track)
{
    m_availableTracksText = availableTracks;
    m_trackText = track;
    rebuildCountingLabels();
}

void TForm2::rebuildCountingLabels()
{
    // The grid's track rows, less a final data track, which has no name here.
    int count = m_c.tracks.RowCount() - 1;
    if (m_c.tracks.CD() && m_c.tracks.GetCDAudioInfo())
        --count;
    m_labelAvailableTracks->setText(m_availableTracksText + QStringLiteral(" (") + QString::number(count)
                                    + QStringLiteral("):"));
    const int k = m_tracksList->currentRow() + 1;
    m_labelTrack->setText(m_trackText + (k < 10 ? QStringLiteral(" 0") : QStringLiteral(" "))
                          + QString::number(k) + QLatin1Char(':'));
}

void TForm2::TracksClick()
{
    if (QListWidgetItem* item = m_tracksList->currentItem())
        m_currentTrack->setText(item->text());
    rebuildCountingLabels();
}

void TForm2::BtnSetNameClick()
{
    const int index = m_tracksList->currentRow();
    if (!m_c.tracks.CD() || index < 0) {
        rebuildCountingLabels();
        return;
    }
    const QString name = m_currentTrack->text();
    m_tracksList->item(index)->setText(name);
    m_c.tracks.setCell(1, index + 1, name);
    // After the last named track the first one comes again; a final data
    // track has no entry here, so the list's end wraps as well.
    const bool last = index >= m_c.tracks.RowCount() - 2 || index + 1 >= m_tracksList->count();
    m_tracksList->setCurrentRow(last ? 0 : index + 1);
    m_currentTrack->setText(m_tracksList->currentItem()->text());
    rebuildCountingLabels();
    m_currentTrack->setFocus();
}

bool TForm2::CurrentTrackKeyPress(int key)
{
    // Enter sets the name, as the button does, and goes no further (the
    // dialog would take it as its default button).
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if (m_c.tracks.CD())
        BtnSetNameClick();
    return true;
}

NamingSettings TForm2::namingSettings() const
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

bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == m_emailTranslator) {
            LabelEmailTranslatorClick();
            return true;
        }
        if (watched == m_www) {
            LabelwwwClick();
            return true;
        }
    }
    if (watched == m_currentTrack && event->type() == QEvent::KeyPress
        && CurrentTrackKeyPress(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

}
