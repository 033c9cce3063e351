#pragma once

#include "uilogic/CatalogueCommands.h"

#include <QObject>

#include <memory>

class QProgressDialog;
class QThread;
class QTimer;
class QWidget;

namespace korvex {

class MainWindowModel;

// Runs the "Catalogue" commands for the main window: the pattern prompt, the
// run on a worker thread behind a progress dialog with Cancel (the main window
// stays usable meanwhile), then the report or findings window, a child window
// of `mainWindow`. One run at a time.
class CatalogueWindows : public QObject {
    Q_OBJECT
public:
    CatalogueWindows(QWidget* mainWindow, PlatformServices& services, MainWindowModel& model);
    // Cancels a run still going and waits for its thread.
    ~CatalogueWindows() override;

    void start(CatalogueCommands::Command command);
    bool running() const { return thread_ != nullptr; }
    // The progress dialog while a run goes on.
    QProgressDialog* progressDialog() const { return progress_; }
    // Room a window manager's title bar takes beside the title: the icon and
    // three buttons, with margins.
    static constexpr int kTitleBarExtras = 160;

signals:
    void runningChanged(bool running);

private:
    void finish();
    void showProgress();

    QWidget* mainWindow_;
    CatalogueCommands commands_;
    std::shared_ptr<CatalogueCommands::Run> run_;
    QThread* thread_ = nullptr;
    QProgressDialog* progress_ = nullptr;
    QTimer* timer_ = nullptr;
};

} // namespace korvex
