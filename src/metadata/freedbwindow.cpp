// SPDX-License-Identifier: GPL-2.0-or-later
// TForm7: the freedb connection window.
#include "freedbwindow.h"

#include "freedblookup.h"
#include "ui/screenfit.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace trackmill {

namespace {

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

}

TForm7::TForm7(std::function<void()> connect, std::function<void()> cancel, QWidget* parent)
    : QDialog(parent), m_connect(std::move(connect)), m_cancel(std::move(cancel))
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
    int r = 0;
    for (const Row& row : rows) {
        grid->addWidget(named(new QLabel(QString::fromLatin1(row.caption), m_group), row.label), r, 0);
        *row.field = named(new QLabel(m_group), row.value);
        (*row.field)->setTextInteractionFlags(Qt::TextSelectableByMouse);
        (*row.field)->setMinimumWidth(220);
        grid->addWidget(*row.field, r, 1);
        ++r;
    }
    outer->addWidget(m_group);

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

    FormCreate();
    // On a small screen (or at scale 2) the content scrolls and the window
    // stays inside the screen.
    scrollWholeWindowWhenCramped(*this);
    keepInsideScreen(*this);
}

TForm7::~TForm7() = default;

void TForm7::FormCreate()
{
    m_email->setText(QString::fromLatin1(FreedbLookup::kDefaultEmail));
    m_server->setText(QString::fromLatin1(FreedbServer{}.host));
    m_cgi->setText(QString::fromLatin1(FreedbLookup::kCgiPath));
    m_status->clear();
}

QString TForm7::status() const
{
    return m_status->text();
}

void TForm7::setStatus(const QString& text)
{
    m_status->setText(text);
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

void TForm7::BtnConnectClick()
{
    // A lookup takes input while it waits for the server; the button stays
    // off meanwhile so that it cannot start a second one.
    if (m_lookupRunning)
        return;
    m_connectButton->setEnabled(false);
    m_lookupRunning = true;
    if (m_connect)
        m_connect();
    m_lookupRunning = false;
    m_connectButton->setEnabled(true);
    m_closeButton->setEnabled(true);
    if (m_closeAfterLookup) {
        m_closeAfterLookup = false;
        QDialog::done(QDialog::Rejected);
    }
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
    // The lookup runs inside BtnConnectClick, below this call: it is told to
    // stop, and the window closes when it has.
    m_closeAfterLookup = true;
    m_closeButton->setEnabled(false);
    if (m_cancel)
        m_cancel();
}

}
