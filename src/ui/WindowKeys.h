#pragma once

class QPushButton;
class QWidget;

namespace korvex::WindowKeys {

// Every window of the program but the main one has a way out that a new
// user finds: Escape, the platform's Close keys (Ctrl+W and Ctrl+F4 on
// Linux and Windows, Cmd+W on macOS) and a "Close" button. Each closes
// `window` as its close box does, so its own closing steps run.
//
// Adds the keys to `window` (a top-level widget; they work wherever its
// focus is).
void closeWithKeys(QWidget* window);

// A "Close" button for `window` that closes it; the caller lays it out.
QPushButton* closeButton(QWidget* window);

} // namespace korvex::WindowKeys
