#pragma once

#include <QGuiApplication>
#include <QScreen>
#include <QSize>
#include <QWidget>

namespace korvex::WindowSize {

// The first size of a window of the program: `wanted`, but never more than
// nine tenths of the screen the window (or its main window) is on, so that
// on a small screen (800 x 600) its frame and buttons stay in sight.
inline QSize onScreen(const QWidget* window, QSize wanted) {
    const QWidget* parent = window->parentWidget();
    const QScreen* screen = parent && parent->screen() ? parent->screen()
                            : window->screen()         ? window->screen()
                                                       : QGuiApplication::primaryScreen();
    if (!screen)
        return wanted;
    return wanted.boundedTo(screen->availableGeometry().size() * 0.9);
}

} // namespace korvex::WindowSize
