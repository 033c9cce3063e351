#pragma once

#include "uilogic/DecisionList.h"

#include <QWidget>

#include <memory>

class QLabel;
class QPushButton;
class QTableView;

namespace korvex {

class DecisionTableModel;
class MainWindowModel;

// The "Decisions" list: every decision made on checking candidates, oldest
// first, as DecisionList gives it, with "Copy to the Clipboard" and "Close".
// A top-level window owned by the main window; it reads the log afresh
// whenever it is opened or activated, so it never shows a stale log.
class DecisionsWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Decisions";
    static constexpr const char* kEmptyText = "No decisions yet.";

    // The window of `mainWindow`, made on first use, brought up to date and to the front.
    static DecisionsWindow* open(QWidget* mainWindow, MainWindowModel& model,
                                 PlatformServices& services);

    DecisionsWindow(MainWindowModel& model, PlatformServices& services, QWidget* parent);
    ~DecisionsWindow() override;

    // Reads the log and the data set again.
    void refresh();

    QTableView* table() const { return table_; }
    QLabel* status() const { return status_; }
    QPushButton* copyButton() const { return copy_; }
    QPushButton* closeButton() const { return close_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    MainWindowModel& model_;
    PlatformServices& services_;
    std::unique_ptr<DecisionList> list_;
    DecisionTableModel* rows_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* close_ = nullptr;
};

} // namespace korvex
