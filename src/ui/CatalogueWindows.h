#pragma once

#include "uilogic/CatalogueCommands.h"

#include <QObject>

#include <functional>
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
    // Runs `run` on the worker thread behind a progress dialog titled
    // `title` (shown once it takes more than a moment, with Cancel); `done`
    // is called on this thread when it has returned, whatever came of it.
    // False, running nothing, while another run goes on.
    using Done = std::function<void(std::shared_ptr<CatalogueCommands::Run>)>;
    bool launch(std::shared_ptr<CatalogueCommands::Run> run, const QString& title, Done done);
    CatalogueCommands& commands() { return commands_; }
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
    // The report or findings window of a run that has returned.
    void openWindow(const std::shared_ptr<CatalogueCommands::Run>& run);

    QWidget* mainWindow_;
    CatalogueCommands commands_;
    std::shared_ptr<CatalogueCommands::Run> run_;
    Done done_;
    QThread* thread_ = nullptr;
    QProgressDialog* progress_ = nullptr;
    QTimer* timer_ = nullptr;
};

} // namespace korvex
