// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

class QScrollArea;
class QWidget;

namespace trackmill {

// Windows are laid out for a desktop of 96 dpi; on a small screen, or at a
// scale factor of 2, a window and its buttons must still be reachable.

// Puts `content` (a widget of a window's layout) into a frameless scroll
// area that asks for the content's whole size, so scroll bars appear only
// when the window is made smaller than the content. Returns the area,
// which takes the content's place in the layout.
QScrollArea* scrollWhenCramped(QWidget* content);

// Puts the whole layout of `window` into such a scroll area.
void scrollWholeWindowWhenCramped(QWidget& window);

// From the next showing on, keeps `window` inside the free area of its
// screen: no larger than the area, its frame included (a fixed size too),
// and moved into it.
void keepInsideScreen(QWidget& window);

}
