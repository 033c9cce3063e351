#pragma once

#include <QWidget>

#include <memory>

class QLabel;
class QMenu;
class QPushButton;
class QTableView;

namespace korvex {

class EncounterTable;
class EncounterTableItemModel;
class MainWindowModel;
class PlatformServices;

// The "Encounters" table: every record with its encounter, as EncounterTable
// gives it, sortable by a click on a column's header and edited in place,
// with a line under it saying how many animals were seen at more than one
// site, and "Individual Pattern…", "Copy", "Save as CSV…" and "Close". A
// top-level window owned by the main window; it reads the document afresh
// whenever it is opened or activated.
class EncountersWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Encounters";

    // The encounter entries of the Catalogue menu: "Encounter…",
    // "Encounters" and "Ask for the Encounter at Append" (checkable, kept
    // between runs), which also makes Append ask through the dialog.
    static void addMenuEntries(QMenu* catalogue, QWidget* mainWindow, MainWindowModel& model,
                               PlatformServices& services);

    // The window of `mainWindow`, made on first use, brought up to date and to the front.
    static EncountersWindow* open(QWidget* mainWindow, MainWindowModel& model,
                                  PlatformServices& services);

    EncountersWindow(MainWindowModel& model, PlatformServices& services, QWidget* parent);
    ~EncountersWindow() override;

    // Reads the document again, keeping the sort.
    void refresh();

    QTableView* view() const { return view_; }
    QLabel* summary() const { return summary_; }
    const EncounterTable& table() const { return *table_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void showSummary();

    std::unique_ptr<EncounterTable> table_;
    EncounterTableItemModel* rows_ = nullptr;
    QTableView* view_ = nullptr;
    QLabel* summary_ = nullptr;
};

} // namespace korvex
