#pragma once

#include "uilogic/MeasureAgainCommands.h"

#include <QToolBar>

class QLabel;
class QMainWindow;
class QMenu;
class QPushButton;

namespace korvex {

class MainWindowModel;

// The panel on the main window while records are measured again: which
// record of how many, the seed, and "Keep the Repeat", "Skip" and "Stop",
// forwarded to the session's logic. Hidden while no session runs. Closing
// the main window during a session first stops it, so the repeats kept reach
// the catalogue before the closing prompt offers to save it.
class MeasureAgainBar : public QToolBar {
    Q_OBJECT
public:
    MeasureAgainBar(QMainWindow* mainWindow, PlatformServices& services, MainWindowModel& model);

    // The Catalogue menu's "Measure Again…" and "Repeatability", after a
    // separator, with the bar they need on `mainWindow`.
    static MeasureAgainBar* addCatalogueEntries(QMainWindow* mainWindow, QMenu* catalogue,
                                                PlatformServices& services, MainWindowModel& model);

    MeasureAgainCommands& commands() { return commands_; }
    QLabel* statusLabel() const { return status_; }
    QPushButton* keepButton() const { return keep_; }
    QPushButton* skipButton() const { return skip_; }
    QPushButton* stopButton() const { return stop_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sync();

    MeasureAgainCommands commands_;
    QLabel* status_ = nullptr;
    QPushButton* keep_ = nullptr;
    QPushButton* skip_ = nullptr;
    QPushButton* stop_ = nullptr;
};

} // namespace korvex
