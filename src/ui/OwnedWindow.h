#pragma once

#include <QWidget>

namespace korvex {

// Shows the one window of type `Window` that `owner` holds, made by `make()`
// on first use and brought up to date by `refresh(window)` each time it is
// shown again, raised and given the focus. The window lives as long as its
// owner unless it deletes itself on closing.
template <class Window, class Make, class Refresh>
Window* showOwnedWindow(QWidget* owner, Make make, Refresh refresh) {
    auto* window = owner->findChild<Window*>(QString(), Qt::FindDirectChildrenOnly);
    if (!window)
        window = make();
    else
        refresh(window);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

// The same for a window made as `Window(owner)`, which keeps itself up to date.
template <class Window> Window* showOwnedWindow(QWidget* owner) {
    return showOwnedWindow<Window>(
        owner, [owner] { return new Window(owner); }, [](Window*) {});
}

} // namespace korvex
