// SPDX-License-Identifier: GPL-2.0-or-later
// TForm7: the freedb connection window.
#pragma once

#include <QDialog>
#include <functional>

class QGroupBox;
class QLabel;
class QPushButton;

namespace trackmill {

// Shows where a lookup goes (server, query program, e-mail address) and
// how it went (Status), and starts it with BtnConnect. The window only
// displays these values: the lookup hands the library its own constants.
// Made once at start-up and shown modally on demand. Closing it while a
// lookup waits for the server cancels the lookup; the window goes once the
// lookup has returned (about a second), never under it.
class TForm7 : public QDialog
{
    Q_OBJECT
public:
    // connect: the main window's lookup (TForm1.Connect); cancel stops it
    // from the events the lookup lets through.
    TForm7(std::function<void()> connect, std::function<void()> cancel, QWidget* parent = nullptr);
    ~TForm7() override;

    QString status() const;
    void setStatus(const QString& text);

    // Shows the window modally, centred on its screen.
    void showCentred();

    void BtnConnectClick();
    void BtnCloseClick();

    // Every way of closing (Close, Esc, the close box) comes here.
    void done(int result) override;

private:
    void FormCreate();

    std::function<void()> m_connect;
    std::function<void()> m_cancel;
    bool m_lookupRunning = false;
    bool m_closeAfterLookup = false;
    QGroupBox* m_group = nullptr;
    QLabel* m_cgi = nullptr;
    QLabel* m_server = nullptr;
    QLabel* m_email = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_connectButton = nullptr;
    QPushButton* m_closeButton = nullptr;
};

}
