// SPDX-License-Identifier: GPL-2.0-or-later
// TForm7: the freedb connection window.
#pragma once

#include "coverart.h"
#include "lookupcandidate.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace trackmill {

// Shows where a lookup goes (server, query program, e-mail address) and
// how it went (Status), and starts it with BtnConnect, at the source chosen
// in Cmb_Source (CDDB or MusicBrainz). When a lookup finds several discs
// they are listed (artist, album, year, country or category, tracks) and
// BtnUseCandidate (or a double click) takes the chosen one; the cover of
// the disc's names shows beside them. Made once at start-up and shown
// modally on demand. Closing it while a lookup waits for the server cancels
// the lookup; the window goes once the lookup has returned (about a
// second), never under it.
class TForm7 : public QDialog
{
    Q_OBJECT
public:
    struct Actions
    {
        std::function<void()> connect;  // the main window's lookup (TForm1.Connect)
        std::function<void()> cancel;   // stops it, from the events the lookup lets through
        std::function<void(int)> choose;  // takes candidate n of the list
    };
    // Where a source's lookups go, as the window shows it.
    struct Destination
    {
        QString server;
        QString cgi;
        QString email;
    };
    static constexpr int kCddb = 0;
    static constexpr int kMusicBrainz = 1;

    explicit TForm7(Actions actions, QWidget* parent = nullptr);
    ~TForm7() override;

    QString status() const;
    void setStatus(const QString& text);
    int source() const;
    void setSource(int source);
    void setDestination(int source, const Destination& destination);
    // An empty list hides the choice.
    void showCandidates(const QList<LookupCandidate>& candidates);
    // No data hides the picture.
    void showCover(const CoverArt& cover);

    // Shows the window modally, centred on its screen.
    void showCentred();

    void BtnConnectClick();
    void BtnCloseClick();
    void BtnUseCandidateClick();

    // Every way of closing (Close, Esc, the close box) comes here.
    void done(int result) override;

private:
    void FormCreate();
    void showDestination();
    // Runs a lookup step with Connect and Use off, then closes the window
    // when it was asked to meanwhile.
    void runLookup(const std::function<void()>& step);

    Actions m_actions;
    bool m_lookupRunning = false;
    bool m_closeAfterLookup = false;
    Destination m_destinations[2];
    QGroupBox* m_group = nullptr;
    QComboBox* m_source = nullptr;
    QLabel* m_cgi = nullptr;
    QLabel* m_server = nullptr;
    QLabel* m_email = nullptr;
    QLabel* m_status = nullptr;
    QGroupBox* m_candidatesGroup = nullptr;
    QTreeWidget* m_candidates = nullptr;
    QPushButton* m_useButton = nullptr;
    QLabel* m_cover = nullptr;
    QPushButton* m_connectButton = nullptr;
    QPushButton* m_closeButton = nullptr;
};

}
