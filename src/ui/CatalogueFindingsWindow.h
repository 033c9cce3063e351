#pragma once

#include "ui/CatalogueRunWindow.h"

class QLabel;
class QListView;
class QPushButton;

namespace korvex {

// The findings of "Check the Catalogue", one line each as the batch tool
// writes them. Enter (or double-click) on a finding, or "Show", puts its first
// record on the sheet.
class CatalogueFindingsWindow : public CatalogueRunWindow {
    Q_OBJECT
public:
    CatalogueFindingsWindow(CatalogueCommands& commands,
                            std::shared_ptr<const CatalogueCommands::Run> run, QWidget* parent);

    QLabel* thresholdLabel() const { return threshold_; }
    QListView* list() const { return list_; }
    QPushButton* showButton() const { return show_; }

private:
    void showCurrent();

    QLabel* threshold_ = nullptr;
    QListView* list_ = nullptr;
    QPushButton* show_ = nullptr;
};

} // namespace korvex
