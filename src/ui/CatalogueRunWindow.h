#pragma once

#include "uilogic/CatalogueCommands.h"

#include <QWidget>

#include <initializer_list>
#include <memory>

class QPushButton;
class QVBoxLayout;

namespace korvex {

// What the windows of a finished "Catalogue" run share: a top-level window
// titled `title` (also its accessible name) that displays `run` in a column,
// and at the column's foot buttons that go to the commands, which must
// outlive the window.
class CatalogueRunWindow : public QWidget {
    Q_OBJECT
protected:
    CatalogueRunWindow(CatalogueCommands& commands,
                       std::shared_ptr<const CatalogueCommands::Run> run, const char* title,
                       QWidget* parent);

    // "Copy to the Clipboard": the run's report onto the clipboard. The caller
    // lays it out; made where the caller wants it in the tab order.
    QPushButton* newCopyButton();
    // The foot of the window, after all else in the column: `left` at its
    // left, `right` at its right, then "Close" set apart. Escape and the
    // platform's Close keys close the window as well.
    void addFoot(std::initializer_list<QWidget*> left, std::initializer_list<QWidget*> right);

    CatalogueCommands& commands_;
    // The run shown; a window may be handed another one to show.
    std::shared_ptr<const CatalogueCommands::Run> run_;
    // The window's layout, top to bottom; the window owns it.
    QVBoxLayout* const column_;
};

} // namespace korvex
