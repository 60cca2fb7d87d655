// SPDX-License-Identifier: GPL-2.0-or-later
#include "screenfit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace trackmill {

namespace {

// A scroll area asks for the whole of its content (Qt's own caps its
// request at 36 by 24 lines), so a window that has room shows no scroll bar.
class FittingScrollArea : public QScrollArea
{
public:
    using QScrollArea::QScrollArea;

    QSize sizeHint() const override
    {
        if (!widget())
            return QScrollArea::sizeHint();
        const int f = 2 * frameWidth();
        // A layout's minimum can exceed its hint (a label never shorter
        // than its text): the window used to grow to that minimum.
        return widget()->sizeHint().expandedTo(widget()->minimumSizeHint()) + QSize(f, f);
    }

    // The content's layout is not the window's any more: a content that
    // grows (a longer translation) must still tell the window's layout.
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == widget() && event->type() == QEvent::LayoutRequest)
            updateGeometry();
        return QScrollArea::eventFilter(watched, event);
    }
};

QScrollArea* newArea(QWidget* parent, const QString& contentName)
{
    auto* area = new FittingScrollArea(parent);
    area->setObjectName(contentName + QStringLiteral("Scroll"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    return area;
}

void fitIntoScreen(QWidget& window)
{
    const QScreen* screen = window.screen();
    if (!screen)
        return;
    const QRect free = screen->availableGeometry();
    const QRect frame = window.frameGeometry();
    const QSize border = frame.size() - window.size();
    const QSize room = (free.size() - border).expandedTo(QSize(1, 1));
    if (window.minimumWidth() > room.width())
        window.setMinimumWidth(room.width());
    if (window.minimumHeight() > room.height())
        window.setMinimumHeight(room.height());
    // Qt gives a new window at most two thirds of the screen; with its
    // content scrolling nothing holds it wider: it gets what it asks for,
    // as far as the screen has room.
    // Texts changed just before the showing (a language, the library
    // lines) have their layout requests still queued: take them first.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    if (QLayout* layout = window.layout())
        layout->activate();
    const QSize size = window.size().expandedTo(window.sizeHint()).boundedTo(room);
    if (size != window.size())
        window.resize(size);
    const QSize outer = size + border;
    const int x = std::clamp(frame.x(), free.left(), free.left() + free.width() - outer.width());
    const int y = std::clamp(frame.y(), free.top(), free.top() + free.height() - outer.height());
    if (QPoint(x, y) != frame.topLeft())
        window.move(x, y);
}

class ScreenKeeper : public QObject
{
public:
    explicit ScreenKeeper(QWidget& window) : QObject(&window), m_window(window)
    {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_window && event->type() == QEvent::Show)
            fitIntoScreen(m_window);
        return false;
    }

private:
    QWidget& m_window;
};

}

QScrollArea* scrollWhenCramped(QWidget* content)
{
    QWidget* parent = content->parentWidget();
    QScrollArea* area = newArea(parent, content->objectName());
    // The area takes the content's place in the layout before the content
    // moves into it.
    if (QLayout* layout = parent ? parent->layout() : nullptr)
        delete layout->replaceWidget(content, area);
    area->setWidget(content);
    return area;
}

void scrollWholeWindowWhenCramped(QWidget& window)
{
    QLayout* layout = window.layout();
    if (!layout)
        return;
    auto* content = new QWidget;
    content->setObjectName(window.objectName() + QStringLiteral("Content"));
    // Takes the layout and its widgets over from the window.
    content->setLayout(layout);
    QScrollArea* area = newArea(&window, content->objectName());
    area->setWidget(content);
    auto* outer = new QVBoxLayout(&window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(area);
}

void keepInsideScreen(QWidget& window)
{
    new ScreenKeeper(window);
}

}
