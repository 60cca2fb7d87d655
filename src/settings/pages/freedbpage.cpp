// SPDX-License-Identifier: GPL-2.0-or-later
#include "freedbpage.h"

#include "pagewidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace trackmill {

using namespace settingspages;

FreedbPage::FreedbPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FREEDB"));
    auto* layout = new QVBoxLayout(this);

    auto* server = named(new QGroupBox(this), "GroupBox7");
    auto* grid = new QGridLayout(server);
    // The server, its query program and the e-mail address sent with each
    // request: the user's to set (section CDDB), gnudb unless changed.
    grid->addWidget(label("LabelServer", QStringLiteral("Server:"), server), 0, 0);
    grid->addWidget(named(new QLineEdit(QStringLiteral("gnudb.gnudb.org"), server), "Edit2"), 0, 1);
    grid->addWidget(label("LabelCGI", QStringLiteral("CGI:"), server), 1, 0);
    grid->addWidget(named(new QLineEdit(QStringLiteral("/~cddb/cddb.cgi"), server), "CDDBServer"), 1, 1);
    grid->addWidget(label("LabelEmail", QStringLiteral("E-mail:"), server), 2, 0);
    grid->addWidget(named(new QLineEdit(QStringLiteral("trackmill@localhost"), server), "Edit1"), 2, 1);
    auto* autoStore = checkBox(
        "Cmb_AutoStore", QStringLiteral("Auto store information from FreeDB about disk CD Audio in cdplayer.ini"),
        server);
    auto* autoConnect = checkBox(
        "AutoConnectFREEDB", QStringLiteral("Auto connect to remote FreeDB if disk CD Audio was not found in cdplayer.ini"),
        server);
    m_useProxy = checkBox("Use_Proxy", QStringLiteral("Use Proxy"), server);
    grid->addWidget(autoStore, 3, 0, 1, 3);
    grid->addWidget(autoConnect, 4, 0, 1, 3);
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

    // Where names are looked up besides CDDB (section LOOKUP).
    auto* lookup = named(new QGroupBox(QStringLiteral("MusicBrainz"), this), "GroupBoxLookup");
    auto* lookupGrid = new QGridLayout(lookup);
    lookupGrid->addWidget(label("LabelLookupSource", QStringLiteral("Look up names at:"), lookup), 0, 0);
    lookupGrid->addWidget(list("Cmb_LookupSource", {QStringLiteral("CDDB"), QStringLiteral("MusicBrainz")}, 2, lookup),
                          0, 1);
    lookupGrid->addWidget(label("LabelMusicBrainzServer", QStringLiteral("MusicBrainz server:"), lookup), 1, 0);
    lookupGrid->addWidget(named(new QLineEdit(lookup), "Edt_MusicBrainzServer"), 1, 1);
    lookupGrid->addWidget(label("LabelCoverArtServer", QStringLiteral("Cover Art Archive server:"), lookup), 2, 0);
    lookupGrid->addWidget(named(new QLineEdit(lookup), "Edt_CoverArtServer"), 2, 1);
    lookupGrid->addWidget(checkBox("CoverArt", QStringLiteral("Fetch the front cover"), lookup), 3, 0, 1, 2);
    lookupGrid->setColumnStretch(1, 1);
    layout->addWidget(lookup);

    auto* library = named(new QGroupBox(this), "GroupBox1");
    auto* lines = new QVBoxLayout(library);
    lines->addWidget(label("LibraryRipCDDB", QStringLiteral("Library:"), library));
    lines->addWidget(label("Label13", QStringLiteral("Company: AKSoft, AKRIP CD-DA Audio Extraction Library"), library));
    lines->addWidget(label("Label14", QStringLiteral("Copyright: Trackmill developers, drive access through libcdio"), library));
    layout->addWidget(library);
    layout->addStretch();

    connect(m_useProxy, &QCheckBox::toggled, this, &FreedbPage::ruleBoxToggled);
}

void FreedbPage::applyEnablingRules()
{
    const bool proxy = m_useProxy->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_labelServerProxy, m_serverProxy, m_labelPortProxy,
                                                      m_portProxy})
        w->setEnabled(proxy);
    for (QLineEdit* edit : {m_serverProxy, m_portProxy})
        setBackground(edit, proxy ? QPalette::Base : QPalette::Button);
}

}
