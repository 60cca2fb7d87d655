// SPDX-License-Identifier: GPL-2.0-or-later
// TForm1: the main window.
#include "mainwindow.h"

#include "cd/cddrives.h"
#include "cd/drivelist.h"
#include "platform/hiddenlog.h"
#include "mediawatcher.h"
#include "platform/inifile.h"
#include "cd/tracklist.h"
#include "metadata/discnames.h"
#include "tracksgriddelegate.h"
#include "ui/pictures.h"
#include "ui/readablecolour.h"
#include "ui/toolbarbutton.h"
#include "ui/tstatusbarpro.h"
#include "ui/screenfit.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QEventLoop>
#include <QFrame>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShortcut>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

namespace trackmill {

namespace {

struct ToolbarCommand
{
    const char* name;
    const char* caption;  // built-in, blanks included
    pictures::Command picture;
};

const ToolbarCommand kButtons[] = {
    {"Refresh", "  Refresh ", pictures::Command::Refresh},
    {"WAV", "   WAV  ", pictures::Command::Wav},
    {"MP3", "   MP3   ", pictures::Command::Mp3},
    {"FLAC", "   FLAC   ", pictures::Command::Flac},
    {"FreeDB", "  FreeDB ", pictures::Command::FreeDb},
    {"Settings", " Settings ", pictures::Command::Settings},
    {"ID3", "     ID3    ", pictures::Command::Id3},
    {"About", "   About   ", pictures::Command::About},
};

struct LanguageItem
{
    const char* item;      // objectName of the menu item
    const char* language;  // language name, also the language file's name
    const char* caption;
    const char* flag;      // famfamfam-flag-png file stem
    void (TForm1::*handler)();
};

// The menu's order, which is also the order of the settings window's list.
const LanguageItem kLanguages[] = {
    {"English", "English", "English", "gb", &TForm1::EnglishClick},
    {"Polish", "Polish", "Polish", "pl", &TForm1::PolishClick},
    {"German", "German", "German", "de", &TForm1::GermanClick},
    {"French", "French", "French", "fr", &TForm1::FrenchClick},
    {"Japanese", "Japanese", "Japanese", "jp", &TForm1::JapaneseClick},
    {"Brazilian", "PortugueseBr", "Portuguese (Brazil)", "br", &TForm1::BrazilianClick},
    {"Spanish", "Spanish", "Spanish", "es", &TForm1::SpanishClick},
    {"Czech", "Czech", "Czech", "cz", &TForm1::CzechClick},
    {"Slovak", "Slovak", "Slovak", "sk", &TForm1::SlovakClick},
    {"Dutch", "Dutch", "Dutch", "nl", &TForm1::DutchClick},
    {"Italian", "Italian", "Italian", "it", &TForm1::ItalianClick},
    {"Swedish", "Swedish", "Swedish", "se", &TForm1::SwedishClick},
    {"Hungarian", "Hungarian", "Hungarian", "hu", &TForm1::HungarianClick},
    {"Russian", "Russian", "Russian", "ru", &TForm1::RussianClick},
    {"Norwegian", "Norwegian", "Norwegian", "no", &TForm1::NorwegianClick},
    {"Croatian", "Croatian", "Croatian", "hr", &TForm1::CroatianClick},
    {"Hebrew", "Hebrew", "Hebrew", "il", &TForm1::HebrewClick},
    {"Estonian", "Estonian", "Estonian", "ee", &TForm1::EstonianClick},
    {"TChinese", "TChinese", "Chinese (Traditional)", "tw", &TForm1::TChineseClick},
    {"SChinese", "SChinese", "Chinese (Simplified)", "cn", &TForm1::SChineseClick},
    {"Danish", "Danish", "Danish", "dk", &TForm1::DanishClick},
    {"Turkish", "Turkish", "Turkish", "tr", &TForm1::TurkishClick},
    {"Greek", "Greek", "Greek", "gr", &TForm1::GreekClick},
    {"Romanian", "Romanian", "Romanian", "ro", &TForm1::RomanianClick},
    {"Latvian", "Latvian", "Latvian", "lv", &TForm1::LatvianClick},
    {"Albanian", "Albanian", "Albanian", "al", &TForm1::AlbanianClick},
    {"Finnish", "Finnish", "Finnish", "fi", &TForm1::FinnishClick},
    {"Chilean", "Chilean", "Chilean", "cl", &TForm1::ChileanClick},
    {"Catalan", "Catalan", "Catalan", "catalonia", &TForm1::CatalanClick},
    {"Serbian", "Serbian", "Serbian", "rs", &TForm1::SerbianClick},
};

// Grid geometry in pixels.
const int kColumnWidths[] = {28, 250, 49, 51, 78, 221};
const int kRowHeight = 17;

QWidget* spacer(int width, QWidget* parent)
{
    auto* w = new QWidget(parent);
    w->setFixedWidth(width);
    return w;
}

QFrame* etchedLine(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}

TForm1::TForm1(Collaborators collaborators, QWidget* parent)
    : QWidget(parent), m_c(std::move(collaborators))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Trackmill 2.0"));
    // 704 by 494 pixels at 96 dpi.
    resize(704, 494);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(etchedLine(this));
    buildToolbar();
    layout->addWidget(m_toolBar);
    layout->addWidget(etchedLine(this));
    buildGrid();
    layout->addWidget(m_grid, 1);
    buildLanguageMenu();
    buildStatusBar();
    layout->addWidget(m_statusBar);

    // The hidden log's memo: never shown, kept in step with the log.
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setReadOnly(true);
    m_memo->hide();
    for (const QString& line : m_c.log.lines())
        m_memo->appendPlainText(line);
    connect(&m_c.log, &HiddenLog::lineAdded, m_memo, &QPlainTextEdit::appendPlainText);
    connect(&m_c.log, &HiddenLog::cleared, m_memo, &QPlainTextEdit::clear);

    FormCreate();

    // The drive lists (the settings window's, which binds to them later).
    m_c.drives.GetListCDROM();
    showSelectedDrive();
    rememberSelectedDrive();
    connect(&m_c.driveList, &DriveList::changed, this, &TForm1::showSelectedDrive);

    if (m_c.mediaWatcher)
        connect(m_c.mediaWatcher, &MediaWatcher::mediaChanged, this, &TForm1::mediaChanged);
    keepInsideScreen(*this);
}

TForm1::~TForm1() = default;

void TForm1::setCommand(const QString& button, std::function<void()> handler)
{
    auto* b = m_toolBar->findChild<QToolButton*>(button);
    Q_ASSERT(b);
    connect(b, &QToolButton::clicked, this, [handler = std::move(handler)] { handler(); });
    b->setEnabled(true);
}

QString TForm1::artist() const
{
    return m_artist->text();
}

QString TForm1::album() const
{
    return m_album->text();
}

void TForm1::setArtist(const QString& text)
{
    m_c.names.setArtist(text);
}

void TForm1::setAlbum(const QString& text)
{
    m_c.names.setAlbum(text);
}

void TForm1::bindNames()
{
    // Written only when the text differs, so an echo from another window
    // never moves the cursor of an edit the user is typing in.
    const auto show = [](QLineEdit* edit) {
        return [edit](const QString& text) {
            if (edit->text() != text)
                edit->setText(text);
        };
    };
    m_artist->setText(m_c.names.artist());
    m_album->setText(m_c.names.album());
    connect(m_artist, &QLineEdit::textChanged, &m_c.names, &DiscNames::setArtist);
    connect(m_album, &QLineEdit::textChanged, &m_c.names, &DiscNames::setAlbum);
    connect(&m_c.names, &DiscNames::artistChanged, m_artist, show(m_artist));
    connect(&m_c.names, &DiscNames::albumChanged, m_album, show(m_album));
    // Names typed into the grid are the disc's track names too.
    connect(this, &TForm1::trackNameEdited, &m_c.names,
            [this](int row, const QString& text) { m_c.names.setTrackName(row - 1, text); });
}

void TForm1::buildToolbar()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(50, 40));
    m_toolBar->addWidget(spacer(8, m_toolBar));
    for (const ToolbarCommand& b : kButtons) {
        auto* button = new ToolbarButton(m_toolBar);
        QFont small = button->font();
        small.setPointSizeF(small.pointSizeF() * 0.9);
        button->setFont(small);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setText(QString::fromLatin1(b.caption));
        button->setIcon(pictures::toolbarIcon(b.picture));
        button->setIconSize(QSize(50, 40));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        m_toolBar->addWidget(button);
    }
    // The usual keys of a desktop program for the commands that have one;
    // a key does what a click does, so a disabled button ignores it too.
    const struct
    {
        const char* button;
        QKeySequence keys;
    } shortcuts[] = {
        {"Refresh", QKeySequence(Qt::Key_F5)},
        {"Settings", QKeySequence(Qt::CTRL | Qt::Key_Comma)},
    };
    for (const auto& s : shortcuts) {
        auto* button = m_toolBar->findChild<ToolbarButton*>(QString::fromLatin1(s.button));
        button->setShortcutHint(s.keys);
        auto* shortcut = new QShortcut(s.keys, this);
        shortcut->setObjectName(QStringLiteral("Shortcut") + QString::fromLatin1(s.button));
        connect(shortcut, &QShortcut::activated, button, [button] {
            if (button->isEnabled())
                button->click();
        });
    }
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    quit->setObjectName(QStringLiteral("ShortcutQuit"));
    connect(quit, &QShortcut::activated, this, &QWidget::close);
    // Captions of another language may make the toolbar wider than the
    // window: the window grows rather than hide buttons behind the
    // toolbar's overflow arrow.
    m_toolBar->installEventFilter(this);
    // Every command but Refresh belongs to a subsystem that wires and
    // enables its button; until then the button stays disabled.
    for (const char* name : {"WAV", "MP3", "FLAC", "FreeDB", "Settings", "ID3", "About"})
        m_toolBar->findChild<QToolButton*>(QString::fromLatin1(name))->setEnabled(false);
    connect(m_toolBar->findChild<QToolButton*>(QStringLiteral("Refresh")), &QToolButton::clicked,
            this, &TForm1::RefreshClick);
    m_toolBar->addWidget(spacer(18, m_toolBar));
    auto* stretch = new QWidget(m_toolBar);
    stretch->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolBar->addWidget(stretch);

    auto* panel = new QWidget(m_toolBar);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFixedWidth(210);
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setVerticalSpacing(4);
    auto* labelArtist = new QLabel(QStringLiteral("Artist:"), panel);
    labelArtist->setObjectName(QStringLiteral("LabelArtist"));
    auto* labelAlbum = new QLabel(QStringLiteral("Album:"), panel);
    labelAlbum->setObjectName(QStringLiteral("LabelAlbum"));
    m_artist = new QLineEdit(panel);
    m_artist->setObjectName(QStringLiteral("Artist"));
    m_artist->setFixedWidth(120);
    m_album = new QLineEdit(panel);
    m_album->setObjectName(QStringLiteral("Album"));
    m_album->setFixedWidth(120);
    labelArtist->setBuddy(m_artist);
    labelAlbum->setBuddy(m_album);
    grid->addWidget(labelArtist, 0, 0, Qt::AlignRight);
    grid->addWidget(m_artist, 0, 1);
    grid->addWidget(labelAlbum, 1, 0, Qt::AlignRight);
    grid->addWidget(m_album, 1, 1);
    m_toolBar->addWidget(panel);
    bindNames();
}

void TForm1::buildGrid()
{
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("TracksGrid"));
    m_grid->setModel(&m_c.tracks);
    // The column widths are made for an 8 point face; a larger one would
    // wrap " MB" out of the size cells.
    QFont gridFont = m_grid->font();
    gridFont.setPointSizeF(std::min<qreal>(gridFont.pointSizeF(), 8.0));
    m_grid->setFont(gridFont);
    auto* delegate = new TracksGridDelegate([this] { return m_c.tracks.CD(); }, m_grid);
    m_grid->setItemDelegate(delegate);
    // Names typed into the grid go on to the disc's track names.
    connect(delegate, &TracksGridDelegate::nameTyped, this, &TForm1::trackNameEdited);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setShowGrid(true);
    m_grid->setWordWrap(true);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setMinimumSectionSize(kRowHeight);
    m_grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    QHeaderView* header = m_grid->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setMinimumSectionSize(10);
    for (int c = 0; c < TrackList::kColumns; ++c)
        header->resizeSection(c, kColumnWidths[c]);
    // A translated header longer than the designed column widens it.
    connect(&m_c.tracks, &QAbstractItemModel::headerDataChanged, this, &TForm1::fitColumnsToHeaders);
    QPalette headerPalette = header->palette();
    headerPalette.setColor(QPalette::ButtonText,
                           readableOn(QColor(0, 0, 128), headerPalette.color(QPalette::Button)));
    header->setPalette(headerPalette);
    setEditing(false);
    m_grid->installEventFilter(this);
    m_grid->viewport()->installEventFilter(this);
    connect(m_grid, &QTableView::clicked, this, &TForm1::TracksGridClick);
}

void TForm1::buildStatusBar()
{
    m_statusBar = new TStatusBarPro(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBarPro1"));
    struct PanelLayout
    {
        int width;
        Qt::Alignment alignment;
        TStatusPanelPro::Bevel bevel;
        bool languageMenu;
    };
    const PanelLayout layout[] = {
        {21, Qt::AlignLeft | Qt::AlignVCenter, TStatusPanelPro::Bevel::Lowered, false},
        {22, Qt::AlignLeft | Qt::AlignVCenter, TStatusPanelPro::Bevel::Lowered, true},
        {175, Qt::AlignCenter, TStatusPanelPro::Bevel::Lowered, false},
        {265, Qt::AlignLeft | Qt::AlignVCenter, TStatusPanelPro::Bevel::Lowered, false},
        {100, Qt::AlignCenter, TStatusPanelPro::Bevel::Raised, true},
        {40, Qt::AlignCenter, TStatusPanelPro::Bevel::Lowered, true},
    };
    for (const PanelLayout& p : layout) {
        TStatusPanelPro* panel = m_statusBar->addPanel(p.width);
        panel->setAlignment(p.alignment);
        panel->setBevel(p.bevel);
        if (p.languageMenu)
            panel->setPopupMenu(m_languageMenu);
    }
    m_statusBar->panel(0)->setPicture(pictures::selectAll());
    m_statusBar->panel(1)->setPicture(pictures::selectNone());
    // The disc summary takes the room left; the other panels their text's.
    m_statusBar->setStretchPanel(2);
    connect(m_statusBar, &TStatusBarPro::sizeHintChanged, this, &TForm1::growToFitBars);
    m_statusBar->panel(0)->setObjectName(QStringLiteral("Panels0"));
    m_statusBar->panel(1)->setObjectName(QStringLiteral("Panels1"));
    connect(m_statusBar->panel(0), &TStatusPanelPro::click, this,
            &TForm1::StatusBarPro1Panels0Click);
    connect(m_statusBar->panel(1), &TStatusPanelPro::click, this,
            &TForm1::StatusBarPro1Panels1Click);
}

void TForm1::buildLanguageMenu()
{
    m_languageMenu = new QMenu(this);
    m_languageMenu->setObjectName(QStringLiteral("PopupMenu1"));
    for (const LanguageItem& l : kLanguages) {
        QAction* action = m_languageMenu->addAction(pictures::flag(QString::fromLatin1(l.flag)),
                                                    QString::fromUtf8(l.caption));
        action->setObjectName(QString::fromLatin1(l.item));
        action->setCheckable(true);
        const auto handler = l.handler;
        connect(action, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    }
}

void TForm1::FormCreate()
{
    QCoreApplication::setApplicationName(QStringLiteral("Trackmill"));
    m_c.drives.GetHandle_FirstCDROM();
    GetCDTOC();
    CheckOrNotAllTracks(m_c.tracks.RowCount() - 1,
                        GetUse(m_c.paths.settingsFile(), QStringLiteral("SELECTALL"))
                            ? QLatin1Char('1')
                            : QLatin1Char('0'));
    m_c.drives.clearDriveTable();
    ShowInformationStatusBar();
    CheckTextLanguage(QStringLiteral("English"));
    m_statusBar->panel(4)->setText(QStringLiteral("English"));
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive)
            AppActivate();
    });
}

bool TForm1::GetUse(const QString& fileName, const QString& key) const
{
    return IniFile(fileName).readBool("MAIN", key.toLatin1(), true);
}

void TForm1::RefreshClick()
{
    MyRefresh();
}

void TForm1::MyRefresh()
{
    // Step 1: the disc's names go in every window.
    m_c.names.clear();

    if (m_c.drives.FGetCloseHandle()) {
        m_c.drives.openSelectedDrive();
        GetCDTOC();
        m_c.drives.GetFirstCDROM();
        const QString drivePath =
            m_c.drives.driveTable().value(m_c.driveList.selectedIndex());
        const bool useDatabase = GetUse(m_c.paths.settingsFile(), QStringLiteral("USECDPLAYERINI"))
                                 || m_c.steps.useCdPlayerIniTicked();
        if (useDatabase && m_c.tracks.CD())
            m_c.steps.lookUpCdPlayerDatabase(drivePath);
        m_c.steps.resetTagEditor();
    }

    ShowInformationStatusBar();
    CheckOrNotAllTracks(m_c.tracks.RowCount() - 1,
                        GetUse(m_c.paths.settingsFile(), QStringLiteral("SELECTALL"))
                            ? QLatin1Char('1')
                            : QLatin1Char('0'));
    m_c.steps.reloadLanguage();
    if (m_c.tracks.CD())
        m_c.steps.readDiscNames(m_c.drives.GetLetterSelectedCDROM(m_c.driveList.selectedIndex() + 1));
}

void TForm1::GetCDTOC()
{
    if (!m_c.tracks.GetCDTOC()) {
        m_c.names.setArtist(QString());
        m_c.names.setAlbum(QString());
    }
}

void TForm1::ShowInformationStatusBar()
{
    m_statusBar->panel(2)->setText(m_c.tracks.ShowInformationStatusBar());
}

void TForm1::CheckOrNotAllTracks(int count, QChar mark)
{
    m_c.tracks.CheckOrNotAllTracks(count, mark);
}

void TForm1::StatusBarPro1Panels0Click()
{
    if (m_c.tracks.CD())
        CheckOrNotAllTracks(m_c.tracks.RowCount() - 1, QLatin1Char('1'));
}

void TForm1::StatusBarPro1Panels1Click()
{
    if (m_c.tracks.CD())
        CheckOrNotAllTracks(m_c.tracks.RowCount() - 1, QLatin1Char('0'));
}

void TForm1::setEditing(bool on)
{
    m_editing = on;
    m_grid->setEditTriggers(on ? QAbstractItemView::DoubleClicked
                                     | QAbstractItemView::SelectedClicked
                                     | QAbstractItemView::EditKeyPressed
                                     | QAbstractItemView::AnyKeyPressed
                               : QAbstractItemView::NoEditTriggers);
}

int TForm1::currentRow() const
{
    const QModelIndex current = m_grid->currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

int TForm1::currentColumn() const
{
    const QModelIndex current = m_grid->currentIndex();
    return current.isValid() ? current.column() : -1;
}

void TForm1::TracksGridClick(const QModelIndex& index)
{
    if (!index.isValid()) {
        setEditing(false);
        return;
    }
    const int row = index.row() + 1;
    if (index.column() == 0) {
        setEditing(false);
        m_c.tracks.toggleSelection(row);
    } else if (index.column() == 1) {
        setEditing(true);
    } else {
        setEditing(false);
    }
}

void TForm1::TracksGridMouseDown(const QModelIndex& index)
{
    setEditing(index.isValid() && index.column() == 1 && m_c.tracks.CD());
}

void TForm1::TracksGridMouseUp(const QModelIndex& index)
{
    setEditing(index.isValid() && index.column() == 1 && m_c.tracks.CD());
}

bool TForm1::TracksGridKeyDown(int key)
{
    if (currentColumn() != 1 || !m_c.tracks.CD()) {
        setEditing(false);
        return false;
    }
    if (key == Qt::Key_Space && !m_grid->indexWidget(m_grid->currentIndex())) {
        setEditing(false);
        m_c.tracks.toggleSelection(currentRow());
        return true;
    }
    if (key == Qt::Key_F2)
        setEditing(true);
    return false;
}

void TForm1::fitColumnsToHeaders()
{
    QHeaderView* header = m_grid->horizontalHeader();
    const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 4;
    for (int c = 0; c < TrackList::kColumns && c < int(std::size(kColumnWidths)); ++c) {
        const QString text = m_c.tracks.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        const int need = header->fontMetrics().horizontalAdvance(text) + margin;
        if (header->sectionSize(c) < need)
            header->resizeSection(c, need);
    }
}

void TForm1::growToFitBars()
{
    int need = std::max(m_toolBar->sizeHint().width(), m_statusBar->sizeHint().width());
    if (const QScreen* s = screen()) {
        // The frame's borders come on top of the client width.
        const int frame = frameGeometry().width() - width();
        need = std::min(need, s->availableGeometry().width() - frame);
    }
    if (width() < need)
        resize(need, height());
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_toolBar) {
        if (event->type() == QEvent::LayoutRequest)
            growToFitBars();
        return QWidget::eventFilter(watched, event);
    }
    if (watched == m_grid->viewport()) {
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
            // The cell under the pointer is the one the press makes current.
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QModelIndex index = m_grid->indexAt(mouse->position().toPoint());
            if (event->type() == QEvent::MouseButtonPress)
                TracksGridMouseDown(index);
            else
                TracksGridMouseUp(index);
        }
    } else if (watched == m_grid && event->type() == QEvent::KeyPress) {
        if (TracksGridKeyDown(static_cast<QKeyEvent*>(event)->key()))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::FormEnabled(bool enabled)
{
    setEnabled(enabled);
}

void TForm1::MakeBlinking(int periodMs)
{
    // Nothing to draw attention to while the user is already here.
    if (QGuiApplication::applicationState() == Qt::ApplicationActive && isActiveWindow())
        return;
    m_blinking = true;
    while (m_blinking) {
        QApplication::alert(window(), periodMs);
        QEventLoop wait;
        QTimer::singleShot(periodMs, &wait, &QEventLoop::quit);
        wait.exec();
    }
}

void TForm1::AppActivate()
{
    m_blinking = false;
}

void TForm1::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        AppActivate();
    QWidget::changeEvent(event);
}

void TForm1::FormClose()
{
    m_c.steps.formClose();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormClose();
    QWidget::closeEvent(event);
}

void TForm1::showSelectedDrive()
{
    m_statusBar->panel(3)->setText(m_c.driveList.selectedIdentification());
}

void TForm1::rememberSelectedDrive()
{
    const int selected = m_c.driveList.selectedIndex();
    m_selectedDrivePath = selected >= 0 ? m_c.drives.DetectCD().value(selected) : QString();
}

bool TForm1::switchToDrive(int index)
{
    if (!m_c.drives.FGetCloseHandle())
        return false;
    m_c.driveList.setSelectedIndex(index);
    m_c.drives.openSelectedDrive();
    GetCDTOC();
    ShowInformationStatusBar();
    CheckOrNotAllTracks(m_c.tracks.RowCount() - 1,
                        GetUse(m_c.paths.settingsFile(), QStringLiteral("SELECTALL"))
                            ? QLatin1Char('1')
                            : QLatin1Char('0'));
    showSelectedDrive();
    rememberSelectedDrive();
    return true;
}

void TForm1::mediaChanged(const QString& arrivedDrive)
{
    if (m_c.steps.runInProgress()) {
        // Closing the handle or rebuilding the Track list now would break
        // the next read and drop the run's selection and typed names.
        m_mediaEventWaiting = true;
        if (!arrivedDrive.isEmpty())
            m_waitingArrival = arrivedDrive;
        m_c.log.add(QStringLiteral("Media change during a run: handled when the run ends"));
        return;
    }
    const QString keep = m_selectedDrivePath;
    // Close the handle before the library lists its drives afresh.
    m_c.drives.FGetCloseHandle();
    m_c.drives.GetListCDROM();
    const int stillThere = keep.isEmpty() ? -1 : int(m_c.drives.DetectCD().indexOf(keep));
    if (stillThere >= 0 && stillThere < m_c.driveList.count())
        m_c.driveList.setSelectedIndex(stillThere);
    showSelectedDrive();
    MyRefresh();
    rememberSelectedDrive();
    if (!arrivedDrive.isEmpty())
        m_lastArrivalDrive = arrivedDrive;
}

void TForm1::runEnded()
{
    if (!m_mediaEventWaiting)
        return;
    m_mediaEventWaiting = false;
    mediaChanged(std::exchange(m_waitingArrival, QString()));
}

void TForm1::SetLanguage(const QString& name)
{
    m_c.steps.applyLanguageFile(name + QStringLiteral(".LNG"));
    if (!m_c.tracks.CD())
        GetCDTOC();
    CheckTextLanguage(name);
    m_statusBar->panel(4)->setText(name);
    ShowInformationStatusBar();
    m_c.steps.saveSettings();
    m_c.steps.rebuildCountingLabels();
}

void TForm1::CheckTextLanguage(const QString& name)
{
    const QList<QAction*> actions = m_languageMenu->actions();
    for (int i = 0; i < actions.size() && i < int(std::size(kLanguages)); ++i) {
        const bool current = name == QLatin1String(kLanguages[i].language);
        actions.at(i)->setChecked(current);
        if (current)
            m_statusBar->panel(4)->setPicture(pictures::flag(QString::fromLatin1(kLanguages[i].flag)));
    }
}

void TForm1::EnglishClick() { SetLanguage(QStringLiteral("English")); }
void TForm1::PolishClick() { SetLanguage(QStringLiteral("Polish")); }
void TForm1::GermanClick() { SetLanguage(QStringLiteral("German")); }
void TForm1::FrenchClick() { SetLanguage(QStringLiteral("French")); }
void TForm1::JapaneseClick() { SetLanguage(QStringLiteral("Japanese")); }
void TForm1::BrazilianClick() { SetLanguage(QStringLiteral("PortugueseBr")); }
void TForm1::SpanishClick() { SetLanguage(QStringLiteral("Spanish")); }
void TForm1::CzechClick() { SetLanguage(QStringLiteral("Czech")); }
void TForm1::SlovakClick() { SetLanguage(QStringLiteral("Slovak")); }
void TForm1::DutchClick() { SetLanguage(QStringLiteral("Dutch")); }
void TForm1::ItalianClick() { SetLanguage(QStringLiteral("Italian")); }
void TForm1::SwedishClick() { SetLanguage(QStringLiteral("Swedish")); }
void TForm1::HungarianClick() { SetLanguage(QStringLiteral("Hungarian")); }
void TForm1::RussianClick() { SetLanguage(QStringLiteral("Russian")); }
void TForm1::NorwegianClick() { SetLanguage(QStringLiteral("Norwegian")); }
void TForm1::CroatianClick() { SetLanguage(QStringLiteral("Croatian")); }
void TForm1::HebrewClick() { SetLanguage(QStringLiteral("Hebrew")); }
void TForm1::EstonianClick() { SetLanguage(QStringLiteral("Estonian")); }
void TForm1::TChineseClick() { SetLanguage(QStringLiteral("TChinese")); }
void TForm1::SChineseClick() { SetLanguage(QStringLiteral("SChinese")); }
void TForm1::DanishClick() { SetLanguage(QStringLiteral("Danish")); }
void TForm1::TurkishClick() { SetLanguage(QStringLiteral("Turkish")); }
void TForm1::GreekClick() { SetLanguage(QStringLiteral("Greek")); }
void TForm1::RomanianClick() { SetLanguage(QStringLiteral("Romanian")); }
void TForm1::LatvianClick() { SetLanguage(QStringLiteral("Latvian")); }
void TForm1::AlbanianClick() { SetLanguage(QStringLiteral("Albanian")); }
void TForm1::FinnishClick() { SetLanguage(QStringLiteral("Finnish")); }
void TForm1::ChileanClick() { SetLanguage(QStringLiteral("Chilean")); }
void TForm1::CatalanClick() { SetLanguage(QStringLiteral("Catalan")); }
void TForm1::SerbianClick() { SetLanguage(QStringLiteral("Serbian")); }

}
