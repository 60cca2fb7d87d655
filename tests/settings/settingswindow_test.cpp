// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/hiddenlog.h"
#include "app/mainwindow.h"
#include "app/tracklist.h"
#include "app/trackmillapp.h"
#include "cd/akriplibrary.h"
#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "discimage.h"
#include "fakecdlibrary.h"
#include "fakedesktopshell.h"
#include "platform/inifile.h"
#include "programfolders.h"
#include "recordingmessageboxes.h"
#include "recordingsystemservices.h"
#include "settings/settings.h"
#include "settings/settingswindow.h"
#include "tags/genrelist.h"
#include "tags/tageditorwindow.h"
#include "ui/tstatusbarpro.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace trackmill;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

// The shipped settings file, writable, as a first start leaves it.
void copyDefaultSettings(const AppPaths& paths)
{
    QFile::remove(paths.settingsFile());
    ASSERT_TRUE(QFile::copy(TRACKMILL_DEFAULT_SETTINGS, paths.settingsFile()));
    QFile::setPermissions(paths.settingsFile(), QFile::ReadOwner | QFile::WriteOwner);
}

TEST(SettingsWindowValueDisplay, RatioInTheLocaleAndPowerSplitWithHalvesToEven)
{
    const QLocale c(QLocale::C);
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(Settings::ratioText(0, c), "0.00");
    EXPECT_EQ(Settings::ratioText(55, c), "0.55");
    EXPECT_EQ(Settings::ratioText(100, c), "1.00");
    EXPECT_EQ(Settings::ratioText(55, german), "0,55");

    const struct
    {
        int position;
        const char* text;
    } power[] = {
        {0, "67%/33%"},
        {50, "58%/42%"},
        {100, "50%/50%"},
        // x / 2 = 33.5 and (200 - x) / 2 = 66.5: both go to the even side.
        {1, "66%/34%"},
        // 34.5 and 65.5.
        {7, "66%/34%"},
        // 49.5 and 50.5 both go to 50.
        {97, "50%/50%"},
        {99, "50%/50%"},
    };
    for (const auto& row : power)
        EXPECT_EQ(Settings::powerText(row.position), row.text) << row.position;
}

class SettingsWindowTest : public ::testing::Test
{
protected:
    ~SettingsWindowTest() override
    {
        QLocale::setDefault(QLocale::c());
        form.reset();
        tagEditor.reset();
        mainWindow.reset();
        tracks.reset();
        drives.reset();
    }

    void writeImage(const QString& name, const std::vector<uint64_t>& seconds, bool dataTrack = false)
    {
        discimage::DiscSpec disc;
        disc.dataTrack = dataTrack;
        for (uint64_t s : seconds)
            disc.trackBytes.push_back(s * discimage::kBytesPerSecond);
        discimage::writeDisc((paths.discsDir() + "/" + name).toStdString(), disc);
    }

    void writeSettings(const QByteArray& text)
    {
        QFile file(paths.settingsFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QByteArray settingsBytes() const
    {
        QFile file(paths.settingsFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QByteArray stored(const char* key) const
    {
        return IniFile(paths.settingsFile()).readString("MAIN", key, "<missing>");
    }

    void start()
    {
        drives = std::make_unique<CdDrives>(fake ? static_cast<CdLibrary&>(*fake) : library, log, driveList,
                                            CdDrives::Options{paths.discsDir(), false});
        tracks = std::make_unique<TrackList>(*drives, log);
        tracks->setDecimalPoint(QLatin1Char('.'));
        mainWindow = std::make_unique<TForm1>(
            TForm1::Collaborators{*drives, driveList, *tracks, log, boxes, paths, nullptr});
        tagEditor = std::make_unique<TForm4>(genres, TForm4::Sources{});
        form = std::make_unique<TForm2>(TForm2::Collaborators{settings, *mainWindow, *drives, driveList,
                                                              *tracks, shell, boxes, paths,
                                                              tagEditor.get()});
        mainWindow->show();
    }

    template <typename T>
    T* find(const char* name) const
    {
        T* widget = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(widget) << name;
        return widget;
    }
    bool enabled(const char* name) const { return find<QWidget>(name)->isEnabled(); }
    QString text(const char* name) const { return find<QLabel>(name)->text(); }

    // Clicks the main window's Settings button; act runs while the modal
    // window is open and must close it.
    void openFromMainWindow(const std::function<void()>& act)
    {
        bool ran = false;
        QTimer::singleShot(0, form.get(), [&] {
            ran = true;
            EXPECT_EQ(QApplication::activeModalWidget(), form.get());
            act();
            if (form->isVisible()) {
                ADD_FAILURE() << "the window stayed open";
                form->reject();
            }
        });
        auto* button = mainWindow->findChild<QToolButton*>("Settings");
        ASSERT_TRUE(button);
        ASSERT_TRUE(button->isEnabled());
        button->click();
        EXPECT_TRUE(ran);
        EXPECT_FALSE(form->isVisible());
    }
    // Clicks where a user would: a check or radio box on its indicator (the
    // window is wider than their texts, and only indicator and text take a
    // click), any other button in its middle.
    void click(const char* name)
    {
        auto* button = find<QAbstractButton>(name);
        const bool box = qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button);
        QTest::mouseClick(button, Qt::LeftButton, {},
                          box ? QPoint(4, button->height() / 2) : button->rect().center());
    }
    void choose(const char* name, int index)
    {
        auto* box = find<QComboBox>(name);
        box->setCurrentIndex(index);
        Q_EMIT box->activated(index);
    }

    test::ProgramFolders folders;
    AppPaths& paths = folders.paths;
    AkripLibrary library;
    std::unique_ptr<test::FakeCdLibrary> fake;  // used instead of the library when set
    HiddenLog log;
    DriveList driveList;
    test::RecordingMessageBoxes boxes;
    test::FakeDesktopShell shell;
    Settings settings;
    std::unique_ptr<CdDrives> drives;
    std::unique_ptr<TrackList> tracks;
    std::unique_ptr<TForm1> mainWindow;
    GenreList genres;
    std::unique_ptr<TForm4> tagEditor;
    std::unique_ptr<TForm2> form;
};

TEST_F(SettingsWindowTest, AppliedValuesOfSeveralPagesAreStoredAndShownAgain)
{
    copyDefaultSettings(paths);
    start();
    EXPECT_EQ(find<QComboBox>("Quality")->currentText(), "Joint Stereo");

    openFromMainWindow([&] {
        find<QComboBox>("Quality")->setCurrentIndex(3);  // MS Stereo
        click("MPEG2");
        find<QComboBox>("Bitrate")->setCurrentIndex(12);
        find<QSlider>("TrackBarThreshold")->setValue(40);
        find<QCheckBox>("EjectCDAudio")->setChecked(true);
        find<QComboBox>("Cmb_Execute")->setCurrentIndex(2);
        click("Use_Proxy");
        QTest::keyClicks(find<QLineEdit>("Edt_Server_Proxy"), "proxy.local");
        find<QComboBox>("Cmb_FileName")->setCurrentIndex(4);
        find<QLineEdit>("Edt1")->setText("-");
        click("Apply");
    });
    EXPECT_EQ(stored("QUALITY"), "MS Stereo");
    EXPECT_EQ(stored("VERSION_MPEG"), "2");
    EXPECT_EQ(stored("BITRATE"), "144kbps");
    EXPECT_EQ(stored("BITRATE_MAX"), "144kbps");  // position 12 kept: 256 becomes 144
    EXPECT_EQ(stored("Filter_MSSTEREO_THRESHOLD"), "40");
    EXPECT_EQ(stored("EJECTCDAUDIO"), "1");
    EXPECT_EQ(stored("AFTER_EXECUTE"), "2");
    EXPECT_EQ(stored("USE_PROXY"), "1");
    EXPECT_EQ(stored("SERVER_PROXY"), "proxy.local");
    EXPECT_EQ(stored("FILENAME"), "4");
    EXPECT_EQ(stored("LANGUAGE"), "English");
    EXPECT_EQ(form->namingSettings().replacements[0], "-");
    EXPECT_TRUE(boxes.messages.isEmpty());

    // Another program state in between: reopening shows the file again.
    settings.quality = 0;
    form->showSettings();
    openFromMainWindow([&] {
        EXPECT_EQ(find<QComboBox>("Quality")->currentText(), "MS Stereo");
        EXPECT_TRUE(find<QRadioButton>("MPEG2")->isChecked());
        EXPECT_EQ(find<QComboBox>("Bitrate")->currentText(), "144kbps");
        EXPECT_EQ(text("Filter_MS_Threshold"), "0.40");
        EXPECT_EQ(find<QLineEdit>("Edt_Server_Proxy")->text(), "proxy.local");
        EXPECT_TRUE(enabled("Edt_Server_Proxy"));
        EXPECT_EQ(find<QComboBox>("Cmb_Execute")->currentIndex(), 2);
        click("Cancel");
    });
}

TEST_F(SettingsWindowTest, CancelKeepsTheChangeInEffectWithoutSavingIt)
{
    copyDefaultSettings(paths);
    start();
    const QByteArray before = settingsBytes();
    int tagCopies = 0;
    form->hooks().copyToTagEditor = [&](const TForm2::NamesForTagEditor&) { ++tagCopies; };
    QStringList languages;
    form->hooks().applyLanguageFile = [&](const QString& file) { languages << file; };

    openFromMainWindow([&] {
        find<QComboBox>("Bitrate")->setCurrentIndex(10);
        find<QComboBox>("Cmb_Language")->setCurrentIndex(2);  // German, not applied yet
        click("Cancel");
    });
    // The next MP3 run uses 192 kbps; the file is untouched.
    EXPECT_EQ(settings.bitrate, 10);
    EXPECT_EQ(form->GetBitrate(settings.bitrate), "192kbps");
    EXPECT_EQ(settingsBytes(), before);
    // The stored language comes back, so a later save keeps it.
    EXPECT_EQ(languages, QStringList{"English.LNG"});
    EXPECT_EQ(find<QComboBox>("Cmb_Language")->currentText(), "English");
    EXPECT_EQ(settings.language, "English");
    EXPECT_EQ(tagCopies, 1);

    openFromMainWindow([&] {
        EXPECT_EQ(find<QComboBox>("Bitrate")->currentText(), "128kbps");
        // The title bar's close button hides without anything else.
        form->reject();
    });
    EXPECT_EQ(settings.bitrate, 8);
    EXPECT_EQ(tagCopies, 1);
}

TEST_F(SettingsWindowTest, EnablingRules)
{
    writeSettings("[MAIN]\r\nVBRRATIO=1\r\nUSE_EXTENDED_FILTER_CBR=1\r\n"
                  "USE_EXTENDED_FILTER_MSTEREO=0\r\nUSE_PROXY=0\r\n");
    start();
    const char* cbrGroup[] = {"TrackBarCBR_Low", "TrackBarCBR_High", "LabelFrequencyCBRLow",
                              "LabelFrequencyCBRHigh", "Filter_CBR_ValueLow", "Filter_CBR_ValueHigh"};
    const auto cbrEnabled = [&](bool expected) {
        for (const char* name : cbrGroup)
            EXPECT_EQ(enabled(name), expected) << name;
    };
    // Loaded with VBR on: the whole CBR group is off, sliders included.
    EXPECT_FALSE(enabled("ExtendedFilterCBR"));
    cbrEnabled(false);
    EXPECT_TRUE(enabled("BitrateMax"));
    EXPECT_EQ(text("LabelBitrate"), "Bitrate Min:");

    auto* vbr = find<QCheckBox>("VBRRatio");
    auto* cbr = find<QCheckBox>("ExtendedFilterCBR");
    vbr->click();
    EXPECT_EQ(text("LabelBitrate"), "Bitrate:");
    EXPECT_FALSE(enabled("BitrateMax"));
    EXPECT_FALSE(enabled("VBR"));
    EXPECT_TRUE(enabled("ExtendedFilterCBR"));
    cbrEnabled(true);
    cbr->click();
    cbrEnabled(false);
    vbr->click();
    vbr->click();
    cbrEnabled(false);  // unticking VBR brings the sliders back only with their box
    EXPECT_FALSE(settings.extendedFilterCbr);
    EXPECT_FALSE(settings.vbrRatio);

    const char* msGroup[] = {"TrackBarThreshold", "TrackBarPower", "LabelThreshold",
                             "LabelPower", "Filter_MS_Threshold", "Filter_MS_Power"};
    for (bool on : {false, true}) {
        for (const char* name : msGroup)
            EXPECT_EQ(enabled(name), on) << name;
        find<QCheckBox>("Filter_MS_Stereo")->click();
    }

    auto* server = find<QLineEdit>("Edt_Server_Proxy");
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    const QColor window = QApplication::palette().color(QPalette::Base);
    EXPECT_FALSE(server->isEnabled());
    EXPECT_FALSE(enabled("LabelPortProxy"));
    EXPECT_EQ(server->palette().color(QPalette::Base), buttonFace);
    find<QCheckBox>("Use_Proxy")->click();
    EXPECT_TRUE(server->isEnabled());
    EXPECT_TRUE(enabled("Edt_Port_Proxy"));
    EXPECT_EQ(find<QLineEdit>("Edt_Port_Proxy")->palette().color(QPalette::Base), window);
}

TEST_F(SettingsWindowTest, SlidersShowTheirValuesInTheUsersLocale)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    writeSettings("[MAIN]\r\nFilter_CBR_LOW=250\r\nFilter_MSSTEREO_POWER=50\r\n");
    start();
    // 250 is clamped to the slider's end, and the display follows the load.
    EXPECT_EQ(find<QSlider>("TrackBarCBR_Low")->value(), 100);
    EXPECT_EQ(text("Filter_CBR_ValueLow"), "1,00");
    EXPECT_EQ(text("Filter_MS_Power"), "58%/42%");
    find<QSlider>("TrackBarCBR_High")->setValue(55);
    EXPECT_EQ(text("Filter_CBR_ValueHigh"), "0,55");
    find<QSlider>("TrackBarPower")->setValue(100);
    EXPECT_EQ(text("Filter_MS_Power"), "50%/50%");
    EXPECT_EQ(settings.filterMsPower, 100);
    EXPECT_EQ(settings.filterCbrHigh, 55);
}

TEST_F(SettingsWindowTest, MpegVersionRefillsBothBitrateListsKeepingPositions)
{
    start();  // no settings file: no version, empty lists
    auto* bitrate = find<QComboBox>("Bitrate");
    auto* bitrateMax = find<QComboBox>("BitrateMax");
    EXPECT_FALSE(find<QRadioButton>("MPEG1")->isChecked() || find<QRadioButton>("MPEG2")->isChecked());
    EXPECT_EQ(bitrate->count(), 0);

    click("MPEG1");
    ASSERT_EQ(bitrate->count(), 14);
    EXPECT_EQ(bitrate->currentIndex(), -1);  // nothing chosen yet
    EXPECT_EQ(bitrate->itemText(0), "  32kbps");
    EXPECT_EQ(bitrate->itemText(6), "  96kbps");
    EXPECT_EQ(bitrate->itemText(7), "112kbps");
    EXPECT_EQ(bitrateMax->itemText(13), "320kbps");
    bitrate->setCurrentIndex(8);
    bitrateMax->setCurrentIndex(13);

    click("MPEG2");
    EXPECT_EQ(bitrate->itemText(0), "    8kbps");
    EXPECT_EQ(bitrate->itemText(9), "  96kbps");
    EXPECT_EQ(bitrate->itemText(10), "112kbps");
    EXPECT_EQ(bitrate->currentIndex(), 8);
    EXPECT_EQ(bitrateMax->currentIndex(), 13);
    EXPECT_EQ(settings.mpegVersion, Settings::MpegVersion::Mpeg2);
    EXPECT_EQ(settings.bitrate, 8);
    ASSERT_TRUE(form->saveSettings());
    EXPECT_EQ(stored("BITRATE"), "80kbps");
    EXPECT_EQ(stored("BITRATE_MAX"), "160kbps");

    // A file of the other version refills the lists before choosing.
    writeSettings("[MAIN]\r\nVERSION_MPEG=1\r\nBITRATE=128kbps\r\n");
    form->loadSettings();
    EXPECT_EQ(bitrate->currentText(), "128kbps");

    // An index the list does not have is shown, and then saved, as none.
    settings.bitrate = 30;
    form->showSettings();
    EXPECT_EQ(bitrate->currentIndex(), -1);
    EXPECT_EQ(settings.bitrate, -1);
}

TEST_F(SettingsWindowTest, FolderPickerAppendsASlashAndCancelEmptiesTheField)
{
    start();
    const QString out = folders.output;
    shell.directoryAnswers = {out, "/", ""};
    auto* field = find<QLineEdit>("Edt_Directory_WAV_MP3");
    EXPECT_TRUE(field->isReadOnly());
    click("BtnBrowseWAV_MP3");
    EXPECT_EQ(field->text(), out + "/");
    EXPECT_EQ(settings.directoryMp3, out + "/");
    ASSERT_EQ(shell.requests.size(), 1);
    EXPECT_EQ(shell.requests[0].title, "Select directory:");
    click("BtnBrowseWAV_MP3");
    EXPECT_EQ(field->text(), "/");
    click("BtnBrowseWAV_MP3");
    EXPECT_EQ(field->text(), "");
    ASSERT_TRUE(form->saveSettings());
    EXPECT_EQ(stored("DIRECTORYMP3"), "");

    // A run moves the output directory on; a change of another control
    // must not write the field's older text over it.
    settings.directoryMp3 = "/run/Artist/";
    find<QComboBox>("Quality")->setCurrentIndex(0);
    EXPECT_EQ(settings.directoryMp3, "/run/Artist/");
    EXPECT_EQ(settings.quality, 0);
}

TEST_F(SettingsWindowTest, TranslatorLinksGoToTheDesktopsHandler)
{
    start();
    QTest::mouseClick(find<QLabel>("LabelEmailTranslator"), Qt::LeftButton);
    QTest::mouseClick(find<QLabel>("Labelwww"), Qt::LeftButton);
    EXPECT_EQ(shell.openedUrls,
              (QStringList{"mailto:" + text("LabelEmailTranslator"), text("Labelwww")}));
}

TEST_F(SettingsWindowTest, ChoosingADriveReadsItsDiscAndRunsTheLaterSteps)
{
    writeImage("A", {10, 10, 10});
    writeImage("B", {20, 20});
    writeSettings("[MAIN]\r\nSELECTALL=0\r\nLANGUAGE=German\r\n");
    start();
    ASSERT_EQ(driveList.count(), 2);
    EXPECT_FALSE(tracks->Selected());  // SELECTALL of the file, at start as after every choice
    QStringList steps;
    form->hooks().lookUpCdPlayerDatabase = [&](const QString& p) { steps << "database " + QFileInfo(p).fileName(); };
    form->hooks().readDiscNames = [&](const QString& p) { steps << "names " + QFileInfo(p).fileName(); };
    form->hooks().applyLanguageFile = [&](const QString& f) { steps << f; };
    form->hooks().resetTagEditor = [&] { steps << "tags"; };
    form->selectLanguage("German");
    choose("CDROMUnit", 0);  // the open drive again: it is closed and opened, the steps run
    EXPECT_EQ(steps.size(), 4);
    steps.clear();
    find<QListWidget>("Tracks")->addItem("old");

    choose("CDROMUnit", 1);
    EXPECT_EQ(driveList.selectedIndex(), 1);
    EXPECT_EQ(find<QComboBox>("cd")->currentIndex(), 1);
    EXPECT_EQ(tracks->RowCount(), 3);
    EXPECT_FALSE(tracks->Selected());  // SELECTALL of the file
    EXPECT_EQ(find<QListWidget>("Tracks")->count(), 0);
    EXPECT_EQ(steps, (QStringList{"database B.cue", "GERMAN.LNG", "names B.cue", "tags"}));
    auto* bar = mainWindow->findChild<TStatusBarPro*>("StatusBarPro1");
    ASSERT_TRUE(bar);
    EXPECT_EQ(bar->panel(3)->text(), find<QComboBox>("CDROMUnit")->currentText());
    EXPECT_EQ(bar->panel(2)->text(), tracks->ShowInformationStatusBar());
    EXPECT_EQ(text("LabelAvailableTracks"), "Available tracks: (2):");
}

TEST_F(SettingsWindowTest, ChoosingADriveWithoutDiscOrWhileTheOpenOneCannotBeClosed)
{
    fake = std::make_unique<test::FakeCdLibrary>();
    fake->drives = {{0, 0, 0, "DRIVE A"}, {1, 2, 3, "DRIVE B"}};
    fake->tocReadable = false;
    start();
    QStringList steps;
    form->hooks().resetTagEditorGenres = [&] { steps << "genres"; };
    form->hooks().resetTagEditor = [&] { steps << "tags"; };
    form->hooks().lookUpCdPlayerDatabase = [&](const QString&) { steps << "database"; };
    find<QLineEdit>("Edt_Year")->setText("1999");
    find<QComboBox>("Cmb_Genre")->setCurrentIndex(50);

    choose("CDROMUnit", 1);
    EXPECT_FALSE(tracks->CD());
    const GETCDHAND& opened = fake->handleRequests.back();
    EXPECT_EQ(std::make_tuple(opened.ha, opened.tgt, opened.lun), std::make_tuple(1, 2, 3));
    EXPECT_EQ(find<QLineEdit>("Edt_Year")->text(), "");
    EXPECT_EQ(find<QComboBox>("Cmb_Genre")->currentIndex(), 0);
    EXPECT_EQ(steps, (QStringList{"genres", "tags"}));

    // The open drive will not let go: nothing changes, the list included.
    steps.clear();
    fake->refuseClose = true;
    const size_t requests = fake->handleRequests.size();
    find<QLineEdit>("Edt_Year")->setText("2000");
    choose("CDROMUnit", 0);
    EXPECT_EQ(driveList.selectedIndex(), 1);
    EXPECT_EQ(find<QComboBox>("CDROMUnit")->currentIndex(), 1);
    EXPECT_EQ(fake->handleRequests.size(), requests);
    EXPECT_EQ(find<QLineEdit>("Edt_Year")->text(), "2000");
    EXPECT_TRUE(steps.isEmpty());
}

TEST_F(SettingsWindowTest, ApplyStoresTheDiscsNamesBeforeTheSettings)
{
    writeImage("A", {10, 10});
    copyDefaultSettings(paths);
    start();
    ASSERT_TRUE(tracks->CD());
    QStringList steps;
    form->hooks().storeDiscNames = [&](const QString& p) {
        steps << "store " + QFileInfo(p).fileName() + " " + stored("QUALITY");
    };
    // The main window's hook serves both windows.
    mainWindow->hooks().lookUpCdPlayerDatabase = [&](const QString& p) {
        steps << "read " + QFileInfo(p).fileName() + " " + stored("QUALITY");
    };
    form->hooks().copyToTagEditor = [&](const TForm2::NamesForTagEditor& n) {
        steps << "tags " + n.year + " " + QString::number(n.genre);
    };
    openFromMainWindow([&] {
        find<QComboBox>("Quality")->setCurrentIndex(0);
        find<QLineEdit>("Edt_Year")->setText("2001");
        find<QComboBox>("Cmb_Genre")->setCurrentIndex(98);
        click("Apply");
    });
    EXPECT_EQ(steps, (QStringList{"store A.cue Joint Stereo", "tags 2001 98", "read A.cue Mono"}));
}

TEST_F(SettingsWindowTest, TheTagEditorHoldsTheId3SwitchesAndReceivesTheNames)
{
    writeSettings("[MAIN]\r\nUSEID3v1=1\r\nUSEID3v2=0\r\n");
    start();
    EXPECT_TRUE(tagEditor->useId3v1());
    EXPECT_FALSE(tagEditor->useId3v2());
    tagEditor->setUseId3v1(false);
    tagEditor->setUseId3v2(true);
    ASSERT_TRUE(form->saveSettings());
    EXPECT_EQ(stored("USEID3v1"), "0");
    EXPECT_EQ(stored("USEID3v2"), "1");

    tagEditor->setYears("1980");
    openFromMainWindow([&] {
        find<QLineEdit>("Edt_Artist")->setText("Band");
        find<QLineEdit>("Edt_Album")->setText("Record");
        find<QLineEdit>("Edt_Year")->setText("1999");
        find<QComboBox>("Cmb_Genre")->setCurrentIndex(GenreList::PopPosition);
        click("Cancel");
    });
    TagEditorFields f = tagEditor->fields();
    EXPECT_EQ(f.artist, "Band");
    EXPECT_EQ(f.originalArtist2, "Band");
    EXPECT_EQ(f.album2, "Record");
    EXPECT_EQ(f.year, "1980");  // Cancel leaves the years alone
    EXPECT_EQ(f.genre2, "Pop");

    openFromMainWindow([&] {
        find<QLineEdit>("Edt_Artist")->setText("Other Band");
        find<QLineEdit>("Edt_Year")->setText("2001");
        click("Apply");
    });
    f = tagEditor->fields();
    EXPECT_EQ(f.year, "2001");
    EXPECT_EQ(f.year2, "2001");
    EXPECT_EQ(f.composer2, "Other Band");
    EXPECT_EQ(f.copyright2, "All rights reserved by Other Band");

    // Names typed in the tag editor reach this window.
    Q_EMIT tagEditor->albumChanged("Live");
    EXPECT_EQ(find<QLineEdit>("Edt_Album")->text(), "Live");
}

// A final data track has no entry in the list, so the list's end wraps too.
TEST_F(SettingsWindowTest, TrackNamesAreEditedInTheListAndTheGrid)
{
    writeImage("A", {10, 10, 10}, true);
    start();
    auto* list = find<QListWidget>("Tracks");
    list->addItems({"One", "Two", "Three"});
    auto* current = find<QLineEdit>("CurrentTrack");
    find<QTabWidget>("PageControl1")->setCurrentWidget(find<QWidget>("TrackName"));

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(2)).center());
    EXPECT_EQ(current->text(), "Three");
    EXPECT_EQ(text("LabelTrack"), "Track 03:");
    EXPECT_EQ(text("LabelAvailableTracks"), "Available tracks: (3):");
    current->setText("Finale");
    QTest::keyClick(current, Qt::Key_Return);
    EXPECT_EQ(list->item(2)->text(), "Finale");
    EXPECT_EQ(tracks->cell(1, 3), "Finale");
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(current->text(), "One");
    EXPECT_EQ(text("LabelTrack"), "Track 01:");

    // Names typed into the grid reach the list.
    Q_EMIT mainWindow->trackNameEdited(2, "Middle");
    EXPECT_EQ(list->item(1)->text(), "Middle");
}

TEST_F(SettingsWindowTest, WithoutASettingsFileCancelKeepsTheTextsAndApplyReportsTheFailure)
{
    paths.programDir = folders.root.filePath("gone");  // the folder is not created for the file
    start();
    QStringList languages;
    form->hooks().applyLanguageFile = [&](const QString& file) { languages << file; };
    openFromMainWindow([&] { click("Cancel"); });
    EXPECT_TRUE(languages.isEmpty());  // no stored language to go back to

    openFromMainWindow([&] { click("Apply"); });
    ASSERT_EQ(boxes.messages.size(), 1);
    EXPECT_EQ(boxes.messages[0].kind, test::RecordingMessageBoxes::Kind::Error);
    EXPECT_EQ(boxes.messages[0].text, "Unable to write to " + paths.settingsFile());
}

TEST(SettingsWindowInTheProgram, TheSettingsButtonShowsTheStoredFileAndApplyWritesIt)
{
    test::ProgramFolders folders;
    const AppPaths& paths = folders.paths;
    copyDefaultSettings(paths);
    test::RecordingMessageBoxes boxes;
    test::RecordingSystemServices system;
    test::FakeDesktopShell shell;
    {
        TrackmillApp program(TrackmillApp::Services{boxes, system, shell, paths, false, false, {"127.0.0.1", 9}});
        program.show();
        // Changed behind the window's back: the button loads the file again.
        program.settings().quality = 0;
        bool shown = false;
        QTimer::singleShot(0, &program.form2(), [&] {
            shown = QApplication::activeModalWidget() == &program.form2();
            auto* quality = program.form2().findChild<QComboBox*>("Quality");
            EXPECT_EQ(quality->currentText(), "Joint Stereo");
            quality->setCurrentIndex(4);
            program.form2().findChild<QPushButton*>("Apply")->click();
        });
        auto* button = program.form1().findChild<QToolButton*>("Settings");
        ASSERT_TRUE(button && button->isEnabled());
        button->click();
        EXPECT_TRUE(shown);
        EXPECT_EQ(program.settings().quality, 4);
    }
    EXPECT_EQ(IniFile(paths.settingsFile()).readString("MAIN", "QUALITY"), "Dual Channel");
    EXPECT_TRUE(system.calls.isEmpty());
}

}
