// SPDX-License-Identifier: GPL-2.0-or-later
// TForm2: the settings window.
#include "settingswindow.h"

#include "cd/tracklist.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "metadata/discnames.h"
#include "pages/cdrompage.h"
#include "pages/encoderpage.h"
#include "pages/filenamepage.h"
#include "pages/freedbpage.h"
#include "pages/languagepage.h"
#include "pages/readingpage.h"
#include "pages/tracknamepage.h"
#include "platform/inifile.h"
#include "platform/messageboxes.h"
#include "settings.h"
#include "settingstable.h"
#include "tags/tageditorwindow.h"
#include "ui/libraryversionlines.h"
#include "ui/screenfit.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace trackmill {

namespace {

[[noreturn]] void badControl(const SettingEntry& entry, const char* problem)
{
    // A table row and the pages disagree: a programming error that every
    // window test would meet at once, so stop rather than lose the value.
    qFatal("Settings control %s of key %s: %s", entry.control, entry.key, problem);
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
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    m_pages->setDocumentMode(true);  // tabs drawn as flat buttons
    m_pages->setMinimumSize(586, 377);
    outer->addWidget(m_pages, 1);
    auto* buttons = new QVBoxLayout;
    m_apply = new QPushButton(QStringLiteral("Apply"), this);
    m_apply->setObjectName(QStringLiteral("Apply"));
    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("Cancel"));
    for (QPushButton* b : {m_apply, m_cancel}) {
        b->setFixedSize(97, 30);
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    outer->addLayout(buttons);

    m_encoder = new EncoderPage(m_pages);
    m_pages->addTab(m_encoder, QStringLiteral("Encoder"));
    m_cdRom = new CdRomPage(m_pages);
    m_pages->addTab(m_cdRom, QStringLiteral("CD ROM"));
    m_freedb = new FreedbPage(m_pages);
    m_pages->addTab(m_freedb, QStringLiteral("FreeDB"));
    m_fileName = new FileNamePage(m_c.shell, m_pages);
    m_pages->addTab(m_fileName, QStringLiteral("FileName"));
    m_trackName = new TrackNamePage(m_c.tracks, m_c.names, m_pages);
    m_pages->addTab(m_trackName, QStringLiteral("TrackName"));
    m_language = new LanguagePage(m_c.shell, m_pages);
    m_pages->addTab(m_language, QStringLiteral("Language"));
    m_pages->addTab(new ReadingPage(m_pages), QStringLiteral("Reading"));

    bindControls();
    showDriveList();

    // FormCreate: the lists start on "Stereo", VBR 4, "Normal", "None",
    // scheme 0 and "None" (the Settings object's start values); then the
    // settings file is loaded.
    loadSettings();
    rebuildCountingLabels();
    // On a small screen (or at scale 2) the pages scroll, Apply and Cancel
    // stay in view and the window inside the screen.
    scrollWhenCramped(m_pages);
    keepInsideScreen(*this);
}

TForm2::~TForm2() = default;

const QComboBox& TForm2::languageBox() const
{
    return *m_language->languages();
}

void TForm2::setLanguageFlag(const QPixmap& flag)
{
    m_language->setFlag(flag);
}

bool TForm2::useCdPlayerIniTicked() const
{
    return m_useCdPlayerIni->isChecked();
}

void TForm2::setLabel(const char* name, const QString& text)
{
    auto* label = findChild<QLabel*>(QLatin1String(name));
    Q_ASSERT(label);
    label->setText(text);
}

void TForm2::showRipLibraryLines(const RipLibraryLines& lines)
{
    setLabel("LibraryRipCDROM", lines.library);
    setLabel("LibraryRipCDDB", lines.library);
    if (!lines.company.isEmpty()) {
        setLabel("CompanyRip", lines.company);
        setLabel("Label13", lines.company);
    }
    if (!lines.copyright.isEmpty()) {
        setLabel("CopyrightRip", lines.copyright);
        setLabel("Label14", lines.copyright);
    }
}

void TForm2::showEncoderLibraryLines(const EncoderLibraryLines& lines)
{
    setLabel("MyCompany", lines.company);
    setLabel("MyLibrary", lines.library);
    setLabel("MyCopyright", lines.copyright);
}

void TForm2::bindControls()
{
    // Each control writes its own value into the Settings object at once,
    // and only its own: others may change other values of the object.
    Settings& s = m_c.settings;
    using Type = SettingEntry::Type;
    // The table lists the keys in load order, LANGUAGE (never loaded) last.
    for (const SettingEntry& entry : settingsTable()) {
        const SettingEntry* e = &entry;
        if (e->holder != SettingEntry::Holder::SettingsWindow)
            continue;
        if (e->type == Type::MpegVersion) {
            // Two radio buttons for one value; the table names the first.
            connect(m_encoder->mpeg1(), &QRadioButton::toggled, this, [this](bool on) {
                if (on && !m_showing)
                    MPEG1Click();
            });
            connect(m_encoder->mpeg2(), &QRadioButton::toggled, this, [this](bool on) {
                if (on && !m_showing)
                    MPEG2Click();
            });
            m_bound.push_back({e, m_encoder->mpeg1()});
            continue;
        }
        auto* control = findChild<QWidget*>(QString::fromLatin1(e->control));
        if (!control)
            badControl(*e, "no such control");
        if (bool Settings::*flag = e->as<bool>()) {
            auto* box = qobject_cast<QAbstractButton*>(control);
            if (!box)
                badControl(*e, "not a button");
            connect(box, &QAbstractButton::toggled, this, [this, &value = s.*flag](bool on) {
                if (!m_showing)
                    value = on;
            });
        } else if (int Settings::*number = e->as<int>()) {
            if (auto* box = qobject_cast<QComboBox*>(control)) {
                connect(box, &QComboBox::currentIndexChanged, this, [this, &value = s.*number](int index) {
                    if (!m_showing)
                        value = index;
                });
            } else if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
                connect(slider, &QAbstractSlider::valueChanged, this, [this, &value = s.*number](int position) {
                    if (!m_showing)
                        value = position;
                });
            } else if (auto* spin = qobject_cast<QSpinBox*>(control)) {
                connect(spin, &QSpinBox::valueChanged, this, [this, &value = s.*number](int typed) {
                    if (!m_showing)
                        value = typed;
                });
            } else {
                badControl(*e, "not a list or track bar");
            }
        } else if (e->type == Type::Language) {
            auto* box = qobject_cast<QComboBox*>(control);
            if (!box)
                badControl(*e, "not a list");
            // No entry chosen yet keeps the stored language.
            connect(box, &QComboBox::currentIndexChanged, this, [this, box, &value = s.*e->as<QString>()](int index) {
                if (!m_showing && index >= 0)
                    value = box->itemText(index);
            });
            continue;  // shown by the language files, not by showSettings()
        } else if (QString Settings::*text = e->as<QString>()) {
            auto* edit = qobject_cast<QLineEdit*>(control);
            if (!edit)
                badControl(*e, "not an edit");
            connect(edit, &QLineEdit::textChanged, this, [this, &value = s.*text](const QString& typed) {
                if (!m_showing)
                    value = typed;
            });
        } else {
            badControl(*e, "no member of a known type");
        }
        m_bound.push_back({e, control});
    }
    m_useCdPlayerIni = findChild<QCheckBox*>(QStringLiteral("UseCDPlayerINI"));

    // VBRRatio, ExtendedFilterCBR, Filter_MS_Stereo and Use_Proxy each
    // re-apply the enabling rules.
    connect(m_encoder, &EncoderPage::ruleBoxToggled, this, &TForm2::applyEnablingRules);
    connect(m_freedb, &FreedbPage::ruleBoxToggled, this, &TForm2::applyEnablingRules);

    connect(m_apply, &QPushButton::clicked, this, &TForm2::ApplyClick);
    connect(m_cancel, &QPushButton::clicked, this, &TForm2::CancelClick);
    connect(m_pages, &QTabWidget::currentChanged, this, &TForm2::PageControl1Change);
    connect(m_encoder->innerTabs(), &QTabWidget::currentChanged, this, &TForm2::PageControl2Change);
    connect(m_cdRom->driveUnits(), &QComboBox::activated, this, &TForm2::CDROMUnitClick);
    connect(m_language->languages(), &QComboBox::activated, this, &TForm2::Cmb_LanguageClick);
    connect(&m_c.driveList, &DriveList::changed, this, &TForm2::showDriveList);
}

void TForm2::showSettings()
{
    Settings& s = m_c.settings;
    m_showing = true;
    // In load order: the MPEG version fills the bitrate lists before their
    // entries are chosen.
    for (const BoundControl& bound : m_bound) {
        const SettingEntry& e = *bound.entry;
        if (e.type == SettingEntry::Type::MpegVersion)
            m_encoder->showMpegVersion(s.*e.as<Settings::MpegVersion>());
        else if (bool Settings::*flag = e.as<bool>())
            static_cast<QAbstractButton*>(bound.control)->setChecked(s.*flag);
        else if (auto* box = qobject_cast<QComboBox*>(bound.control))
            box->setCurrentIndex(s.*e.as<int>());
        else if (auto* slider = qobject_cast<QAbstractSlider*>(bound.control))
            slider->setValue(s.*e.as<int>());
        else if (auto* spin = qobject_cast<QSpinBox*>(bound.control))
            spin->setValue(s.*e.as<int>());
        else
            static_cast<QLineEdit*>(bound.control)->setText(s.*e.as<QString>());
    }
    m_showing = false;
    applyEnablingRules();
    storeListIndexes();
}

// An index a list cannot show (outside the list) is taken back as the
// list shows it, so the next save writes what is on screen.
void TForm2::storeListIndexes()
{
    for (const BoundControl& bound : m_bound) {
        if (auto* box = qobject_cast<QComboBox*>(bound.control))
            m_c.settings.*bound.entry->as<int>() = box->currentIndex();
    }
}

void TForm2::SettingsClick()
{
    m_c.steps.refreshEncoderVersionLines();
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

void TForm2::showDriveList()
{
    m_cdRom->showDriveList(m_c.driveList);
}

// The four enabling rules as one function of the boxes' states, so the
// window looks the same after loading as after clicking the same boxes.
void TForm2::applyEnablingRules()
{
    m_encoder->applyEnablingRules();
    m_freedb->applyEnablingRules();
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
    m_encoder->SetMPEG(version);
}

QString TForm2::GetBitrate(int index) const
{
    return m_encoder->GetBitrate(index);
}

void TForm2::TrackBarCBR_LowChange()
{
    m_encoder->TrackBarCBR_LowChange();
}

void TForm2::TrackBarCBR_HighChange()
{
    m_encoder->TrackBarCBR_HighChange();
}

void TForm2::TrackBarThresholdChange()
{
    m_encoder->TrackBarThresholdChange();
}

void TForm2::TrackBarPowerChange()
{
    m_encoder->TrackBarPowerChange();
}

QString TForm2::Browse()
{
    return m_fileName->Browse();
}

void TForm2::BtnBrowseWAV_MP3Click()
{
    m_fileName->BtnBrowseWAV_MP3Click();
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
    SettingsWindowSteps& steps = m_c.steps;
    if (!steps.switchToDrive(index)) {
        showDriveList();  // the list shows the drive that is still open
        return;
    }
    m_selectedDriveLetter = selectedDrivePath();
    // The names of the tracks of the disc that was in the drive go.
    m_c.names.setTrackNames({});

    if (m_c.tracks.CD()) {
        steps.lookUpCdPlayerDatabase(m_selectedDriveLetter);
    } else {
        m_c.names.setGenre(0);
        steps.resetTagEditorGenres();
        m_c.names.setYear(QString());
    }

    const QComboBox* languages = m_language->languages();
    if (languages->currentIndex() >= 0)
        steps.applyLanguageFile(languages->currentText().toUpper() + QStringLiteral(".LNG"));

    if (!m_c.tracks.CD())
        steps.rereadDiscToc();
    else
        steps.readDiscNames(m_selectedDriveLetter);
    rebuildCountingLabels();

    steps.resetTagEditor();
}

NamesForTagEditor TForm2::namesForTagEditor(bool withYear) const
{
    NamesForTagEditor names;
    const DiscNames& disc = m_c.names;
    names.artist = disc.artist();
    names.album = disc.album();
    names.withYear = withYear;
    names.year = withYear ? disc.year() : QString();
    names.genre = disc.genre();
    return names;
}

void TForm2::ApplyClick()
{
    accept();
    const bool audioDisc = m_c.tracks.CD();
    const QString drivePath = audioDisc ? selectedDrivePath() : QString();
    // The disc's names reach the database before the settings file.
    if (audioDisc)
        m_c.steps.storeDiscNames(drivePath);
    m_c.steps.copyToTagEditor(namesForTagEditor(true));
    saveSettings();
    if (audioDisc)
        m_c.steps.lookUpCdPlayerDatabase(drivePath);
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
        m_c.steps.applyLanguageFile(stored + QStringLiteral(".LNG"));
        rebuildCountingLabels();
        selectLanguage(stored);
        m_c.steps.markLanguage(stored);
    }
    m_c.steps.copyToTagEditor(namesForTagEditor(false));
}

void TForm2::PageControl1Change(int index)
{
    if (m_pages->widget(index) == m_trackName)
        m_trackName->shown();
    else
        m_pages->setFocus();
}

void TForm2::PageControl2Change(int)
{
    m_encoder->innerTabs()->setFocus();
}

void TForm2::LabelEmailTranslatorClick()
{
    m_language->LabelEmailTranslatorClick();
}

void TForm2::LabelwwwClick()
{
    m_language->LabelwwwClick();
}

void TForm2::Cmb_LanguageClick(int index)
{
    m_c.steps.languagePicked(index);
}

void TForm2::selectLanguage(const QString& name)
{
    m_language->selectLanguage(name);
}

void TForm2::setCountingLabelTexts(const QString& availableTracks, const QString& track)
{
    m_trackName->setCountingLabelTexts(availableTracks, track);
}

void TForm2::rebuildCountingLabels()
{
    m_trackName->rebuildCountingLabels();
}

void TForm2::TracksClick()
{
    m_trackName->TracksClick();
}

void TForm2::BtnSetNameClick()
{
    m_trackName->BtnSetNameClick();
}

bool TForm2::CurrentTrackKeyPress(int key)
{
    return m_trackName->CurrentTrackKeyPress(key);
}

NamingSettings TForm2::namingSettings() const
{
    return m_fileName->namingSettings();
}

}
