#pragma once

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QSize>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace korvex::WindowSize {

// Room, in pixels, for a window manager's title bar and borders around a
// client area.
inline constexpr int kTitleBarAllowance = 40;
inline constexpr int kBorderAllowance = 16;

// The screen a window is on, or will open on: its main window's, its own,
// else the primary screen; null without any screen.
inline const QScreen* screenOf(const QWidget* window) {
    const QWidget* parent = window->parentWidget();
    return parent && parent->screen() ? parent->screen()
           : window->screen()         ? window->screen()
                                      : QGuiApplication::primaryScreen();
}

// The largest client area whose window, frame included, fits the part of
// the screen that windows may use.
inline QSize clientRoom(const QScreen& screen) {
    const QSize available = screen.availableGeometry().size();
    return {available.width() - kBorderAllowance, available.height() - kTitleBarAllowance};
}

// The first size of a window of the program: `wanted`, but never more than
// nine tenths of the screen the window (or its main window) is on, so that
// on a small screen (800 x 600) its frame and buttons stay in sight.
inline QSize onScreen(const QWidget* window, QSize wanted) {
    const QScreen* screen = screenOf(window);
    if (!screen)
        return wanted;
    return wanted.boundedTo(screen->availableGeometry().size() * 0.9);
}

// A frameless scroll area that takes ownership of `content` (a widget of a
// fixed size) and shows a scroll bar only while it is smaller than the
// content. Whatever control inside takes the focus, by Tab, a mnemonic or
// the program, is scrolled into view. The area itself takes no focus.
inline QScrollArea* scrollingArea(QWidget* content) {
    auto* area = new QScrollArea;
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area->setWidget(content);
    area->viewport()->setAutoFillBackground(false);
    area->setFocusPolicy(Qt::NoFocus);
    QObject::connect(qApp, &QApplication::focusChanged, area, [area](QWidget*, QWidget* now) {
        if (now && area->widget() && area->widget()->isAncestorOf(now))
            area->ensureWidgetVisible(now, 0, 8);
    });
    return area;
}

// The client size of a window laid out at the fixed size `design` whose
// content scrolls in `area`: exactly `design` where the window fits its
// screen; else the room there is, widened (or heightened) by the scroll bar
// that then shows, as far as the room allows.
inline QSize scrolledClientSize(const QWidget* window, QSize design, const QScrollArea& area) {
    const QScreen* screen = screenOf(window);
    if (!screen)
        return design;
    const QSize room = clientRoom(*screen);
    if (room.width() >= design.width() && room.height() >= design.height())
        return design;
    const int bar = area.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &area);
    QSize size = design.boundedTo(room);
    if (size.height() < design.height())
        size.setWidth(std::min(design.width() + bar, room.width()));
    if (size.width() < design.width())
        size.setHeight(std::min(design.height() + bar, room.height()));
    return size.expandedTo(QSize(1, 1));
}

} // namespace korvex::WindowSize
