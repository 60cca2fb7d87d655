// SPDX-License-Identifier: GPL-2.0-or-later
// TForm7: the freedb connection window.
#include "freedbwindow.h"

#include "freedblookup.h"
#include "ui/screenfit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace trackmill {

namespace {

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

// The cover as it shows beside the list, in pixels.
constexpr int kCoverSide = 160;

}

TForm7::TForm7(Actions actions, QWidget* parent)
    : QDialog(parent), m_actions(std::move(actions))
{
    setObjectName(QStringLiteral("Form7"));
    setWindowTitle(QStringLiteral("FreeDB Connection"));
    // Only the system menu (the close box) among the border icons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint);
    setModal(true);

    auto* outer = new QVBoxLayout(this);
    m_group = named(new QGroupBox(this), "GroupBox1");
    auto* grid = new QGridLayout(m_group);
    // The services are named as they are called in every language.
    grid->addWidget(named(new QLabel(QStringLiteral("Look up at:"), m_group), "LabelSource"), 0, 0);
    m_source = named(new QComboBox(m_group), "Cmb_Source");
    m_source->addItems({QStringLiteral("CDDB"), QStringLiteral("MusicBrainz")});
    grid->addWidget(m_source, 0, 1);
    struct Row
    {
        const char* label;
        const char* caption;
        const char* value;
        QLabel** field;
    };
    const Row rows[] = {
        {"Label1", "CGI", "CGI", &m_cgi},
        {"LabelServer", "Server:", "Server", &m_server},
        {"LabelEmail", "E-mail:", "Email", &m_email},
        {"LabelStatus", "Status:", "Status", &m_status},
    };
    int r = 1;
    for (const Row& row : rows) {
        grid->addWidget(named(new QLabel(QString::fromLatin1(row.caption), m_group), row.label), r, 0);
        *row.field = named(new QLabel(m_group), row.value);
        (*row.field)->setTextInteractionFlags(Qt::TextSelectableByMouse);
        (*row.field)->setMinimumWidth(220);
        grid->addWidget(*row.field, r, 1);
        ++r;
    }
    outer->addWidget(m_group);

    // The choice between several matches, and the chosen disc's cover.
    m_candidatesGroup = named(new QGroupBox(QStringLiteral("Matches"), this), "GroupBoxCandidates");
    auto* choice = new QGridLayout(m_candidatesGroup);
    m_candidates = named(new QTreeWidget(m_candidatesGroup), "Candidates");
    m_candidates->setRootIsDecorated(false);
    m_candidates->setUniformRowHeights(true);
    m_candidates->setHeaderLabels({QStringLiteral("Artist"), QStringLiteral("Album"), QStringLiteral("Year"),
                                   QStringLiteral("Country / format"), QStringLiteral("Tracks")});
    m_candidates->header()->setStretchLastSection(false);
    m_candidates->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_candidates->setMinimumSize(420, 120);
    m_useButton = named(new QPushButton(QStringLiteral(" Use"), m_candidatesGroup), "BtnUseCandidate");
    m_useButton->setAutoDefault(false);
    choice->addWidget(m_candidates, 0, 0);
    choice->addWidget(m_useButton, 1, 0, Qt::AlignRight);
    m_cover = named(new QLabel(this), "CoverImage");
    m_cover->setFixedSize(kCoverSide, kCoverSide);
    m_cover->setAlignment(Qt::AlignCenter);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_candidatesGroup, 1);
    middle->addWidget(m_cover, 0, Qt::AlignTop);
    outer->addLayout(middle);

    auto* buttons = new QHBoxLayout;
    m_connectButton = named(new QPushButton(QStringLiteral(" Connect"), this), "BtnConnect");
    m_closeButton = named(new QPushButton(QStringLiteral("  Close"), this), "BtnClose");
    buttons->addStretch();
    for (QPushButton* b : {m_connectButton, m_closeButton}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(90);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    outer->addLayout(buttons);
    QObject::connect(m_connectButton, &QPushButton::clicked, this, &TForm7::BtnConnectClick);
    QObject::connect(m_closeButton, &QPushButton::clicked, this, &TForm7::BtnCloseClick);
    QObject::connect(m_useButton, &QPushButton::clicked, this, &TForm7::BtnUseCandidateClick);
    QObject::connect(m_candidates, &QTreeWidget::itemDoubleClicked, this, &TForm7::BtnUseCandidateClick);
    QObject::connect(m_source, &QComboBox::currentIndexChanged, this, &TForm7::showDestination);

    FormCreate();
    // On a small screen (or at scale 2) the content scrolls and the window
    // stays inside the screen.
    scrollWholeWindowWhenCramped(*this);
    keepInsideScreen(*this);
}

TForm7::~TForm7() = default;

void TForm7::FormCreate()
{
    m_destinations[kCddb] = {QString::fromLatin1(FreedbServer{}.host), QString::fromLatin1(FreedbLookup::kCgiPath),
                             QString::fromLatin1(FreedbLookup::kDefaultEmail)};
    showDestination();
    m_status->clear();
    showCandidates({});
    showCover({});
}

QString TForm7::status() const
{
    return m_status->text();
}

void TForm7::setStatus(const QString& text)
{
    m_status->setText(text);
}

int TForm7::source() const
{
    return m_source->currentIndex() == kMusicBrainz ? kMusicBrainz : kCddb;
}

void TForm7::setSource(int source)
{
    m_source->setCurrentIndex(source == kMusicBrainz ? kMusicBrainz : kCddb);
}

void TForm7::setDestination(int source, const Destination& destination)
{
    m_destinations[source == kMusicBrainz ? kMusicBrainz : kCddb] = destination;
    showDestination();
}

void TForm7::showDestination()
{
    const Destination& d = m_destinations[source()];
    m_server->setText(d.server);
    m_cgi->setText(d.cgi);
    m_email->setText(d.email);
}

void TForm7::showCandidates(const QList<LookupCandidate>& candidates)
{
    m_candidates->clear();
    for (const LookupCandidate& c : candidates) {
        const QString where = c.format.isEmpty() ? c.country
                              : c.country.isEmpty() ? c.format
                                                    : c.country + QStringLiteral(" / ") + c.format;
        auto* item = new QTreeWidgetItem(
            QStringList{c.artist, c.album, c.year, where, c.trackCount > 0 ? QString::number(c.trackCount) : QString()});
        m_candidates->addTopLevelItem(item);
    }
    if (!candidates.isEmpty())
        m_candidates->setCurrentItem(m_candidates->topLevelItem(0));
    m_candidatesGroup->setVisible(!candidates.isEmpty());
}

void TForm7::showCover(const CoverArt& cover)
{
    QPixmap picture;
    if (cover.data.isEmpty() || !picture.loadFromData(cover.data)) {
        m_cover->clear();
        m_cover->setVisible(false);
        return;
    }
    m_cover->setPixmap(picture.scaled(kCoverSide, kCoverSide, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    m_cover->setVisible(true);
}

void TForm7::showCentred()
{
    adjustSize();
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    exec();
}

void TForm7::runLookup(const std::function<void()>& step)
{
    // A lookup takes input while it waits for the server; the buttons stay
    // off meanwhile so that it cannot start a second one.
    if (m_lookupRunning)
        return;
    m_connectButton->setEnabled(false);
    m_useButton->setEnabled(false);
    m_lookupRunning = true;
    step();
    m_lookupRunning = false;
    m_connectButton->setEnabled(true);
    m_useButton->setEnabled(true);
    m_closeButton->setEnabled(true);
    if (m_closeAfterLookup) {
        m_closeAfterLookup = false;
        QDialog::done(QDialog::Rejected);
    }
}

void TForm7::BtnConnectClick()
{
    runLookup([this] {
        if (m_actions.connect)
            m_actions.connect();
    });
}

void TForm7::BtnUseCandidateClick()
{
    QTreeWidgetItem* item = m_candidates->currentItem();
    if (!item)
        return;
    const int index = m_candidates->indexOfTopLevelItem(item);
    runLookup([this, index] {
        if (m_actions.choose)
            m_actions.choose(index);
    });
}

void TForm7::BtnCloseClick()
{
    close();
}

void TForm7::done(int result)
{
    if (!m_lookupRunning) {
        QDialog::done(result);
        return;
    }
    // The lookup runs inside a click handler, below this call: it is told to
    // stop, and the window closes when it has.
    m_closeAfterLookup = true;
    m_closeButton->setEnabled(false);
    if (m_actions.cancel)
        m_actions.cancel();
}

}
