#pragma once

#include <QWidget>

namespace korvex {

// Shows the one window of type `Window` that `owner` holds, made as
// `Window(owner)` on first use, raised and given the focus. The window
// lives as long as its owner unless it deletes itself on closing.
template <class Window> Window* showOwnedWindow(QWidget* owner) {
    auto* window = owner->findChild<Window*>(QString(), Qt::FindDirectChildrenOnly);
    if (!window)
        window = new Window(owner);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace korvex
