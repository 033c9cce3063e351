#include "ui/CatalogueWindows.h"

#include "ui/CatalogueFindingsWindow.h"
#include "ui/CatalogueReportWindow.h"

#include <QPointer>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>

#include <algorithm>

namespace korvex {

namespace {

constexpr int kProgressSteps = 1000;

} // namespace

CatalogueWindows::CatalogueWindows(QWidget* mainWindow, PlatformServices& services,
                                   MainWindowModel& model)
    : QObject(mainWindow), mainWindow_(mainWindow), commands_(services, model),
      timer_(new QTimer(this)) {
    timer_->setInterval(100);
    connect(timer_, &QTimer::timeout, this, &CatalogueWindows::showProgress);
}

CatalogueWindows::~CatalogueWindows() {
    if (thread_) {
        run_->control().cancelled = true;
        thread_->wait();
        delete thread_;
    }
}

void CatalogueWindows::start(CatalogueCommands::Command command) {
    if (running())
        return;
    auto run = commands_.start(command);
    if (!run)
        return;
    const bool evaluate = command == CatalogueCommands::Command::Evaluate;
    const QString title = QString::fromUtf8(evaluate ? CatalogueCommands::kEvaluateTitle
                                                     : CatalogueCommands::kCheckTitle);
    launch(std::move(run), title,
           [this](std::shared_ptr<CatalogueCommands::Run> done) { openWindow(done); });
}

bool CatalogueWindows::launch(std::shared_ptr<CatalogueCommands::Run> run, const QString& title,
                              Done done) {
    if (running() || !run)
        return false;
    run_ = std::move(run);
    done_ = std::move(done);
    progress_ = new QProgressDialog(title + QStringLiteral("…"), QStringLiteral("Cancel"), 0,
                                    kProgressSteps, mainWindow_);
    progress_->setWindowTitle(title);
    // A progress dialog is narrow, and its title bar would cut the title
    // ("Evalua… ching"); title bars often use a larger, bold face.
    const int titleWidth = progress_->fontMetrics().horizontalAdvance(title) * 3 / 2;
    progress_->setMinimumWidth(
        std::max(progress_->minimumSizeHint().width(), titleWidth + kTitleBarExtras));
    progress_->setAccessibleName(title + QStringLiteral(" progress"));
    // Not modal: the user may go on working on the data set, which the run has copied.
    progress_->setWindowModality(Qt::NonModal);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    progress_->setMinimumDuration(500);
    progress_->setValue(0);
    auto shared = run_;
    connect(progress_, &QProgressDialog::canceled, this,
            [shared] { shared->control().cancelled = true; });

    // The thread object lives on this thread, so its finished signal is queued here.
    thread_ = QThread::create([shared] { shared->run(); });
    connect(thread_, &QThread::finished, this, &CatalogueWindows::finish);
    thread_->start();
    timer_->start();
    emit runningChanged(true);
    return true;
}

void CatalogueWindows::showProgress() {
    if (!progress_ || !run_)
        return;
    const auto total = run_->control().total.load();
    if (total == 0)
        return;
    const auto done = std::min(run_->control().done.load(), total);
    progress_->setValue(static_cast<int>(done * kProgressSteps / total));
}

void CatalogueWindows::finish() {
    timer_->stop();
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    progress_->hide();
    progress_->deleteLater();
    progress_ = nullptr;
    const auto run = std::move(run_);
    const Done done = std::move(done_);
    done_ = nullptr;
    emit runningChanged(false);
    if (done)
        done(run);
}

void CatalogueWindows::openWindow(const std::shared_ptr<CatalogueCommands::Run>& run) {
    if (!commands_.finished(*run))
        return;
    QWidget* window = nullptr;
    if (run->command() == CatalogueCommands::Command::Evaluate) {
        auto* report = new CatalogueReportWindow(commands_, run, mainWindow_);
        // "In time order" runs the evaluation again; the window keeps its
        // run until the new one is done.
        QPointer<CatalogueReportWindow> shown(report);
        connect(report, &CatalogueReportWindow::timeOrderChanged, this, [this, shown](bool on) {
            const bool started =
                shown && launch(commands_.again(*shown->run(), on),
                                QString::fromUtf8(CatalogueCommands::kEvaluateTitle),
                                [this, shown](std::shared_ptr<CatalogueCommands::Run> done) {
                                    if (!shown)
                                        return;
                                    if (commands_.finished(*done))
                                        shown->showRun(done);
                                    else
                                        shown->keepRun();
                                });
            if (!started && shown)
                shown->keepRun();
        });
        window = report;
    } else {
        window = new CatalogueFindingsWindow(commands_, run, mainWindow_);
    }
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace korvex
