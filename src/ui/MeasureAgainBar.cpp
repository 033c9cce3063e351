#include "ui/MeasureAgainBar.h"

#include "ui/RepeatabilityWindow.h"
#include "uilogic/MainWindowModel.h"

#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>

namespace korvex {

namespace {

QPushButton* barButton(const QString& caption, const char* text, const char* name,
                       QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(QString::fromUtf8(text));
    // The focus stays in the sheet box being clicked into.
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

} // namespace

MeasureAgainBar::MeasureAgainBar(QMainWindow* mainWindow, PlatformServices& services,
                                 MainWindowModel& model)
    : QToolBar(QStringLiteral("Measuring again"), mainWindow), commands_(services, model) {
    setObjectName(QStringLiteral("measureAgainBar"));
    setAccessibleName(QString::fromUtf8(MeasureAgainCommands::kTitle));
    setMovable(false);
    setFloatable(false);
    // Not to be hidden from the main window's context menu mid-session.
    toggleViewAction()->setVisible(false);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("measureAgainStatus"));
    status_->setTextFormat(Qt::PlainText);
    status_->setAccessibleDescription(QStringLiteral("Which record is being measured again"));
    status_->setContentsMargins(6, 0, 12, 0);
    addWidget(status_);
    keep_ = barButton(QStringLiteral("&Keep the Repeat"), MeasureAgainCommands::kKeep,
                      "measureAgainKeep", this);
    skip_ =
        barButton(QStringLiteral("&Skip"), MeasureAgainCommands::kSkip, "measureAgainSkip", this);
    stop_ =
        barButton(QStringLiteral("St&op"), MeasureAgainCommands::kStop, "measureAgainStop", this);
    addWidget(keep_);
    addWidget(skip_);
    addWidget(stop_);
    connect(keep_, &QPushButton::clicked, this, [this] { commands_.keep(); });
    connect(skip_, &QPushButton::clicked, this, [this] { commands_.skip(); });
    connect(stop_, &QPushButton::clicked, this, [this] { commands_.stop(); });

    commands_.onChanged = [this] {
        sync();
    };
    mainWindow->addToolBar(Qt::TopToolBarArea, this);
    mainWindow->installEventFilter(this);
    sync();
}

MeasureAgainBar* MeasureAgainBar::addCatalogueEntries(QMainWindow* mainWindow, QMenu* catalogue,
                                                      PlatformServices& services,
                                                      MainWindowModel& model) {
    auto* bar = new MeasureAgainBar(mainWindow, services, model);
    catalogue->addSeparator();
    QAction* again = catalogue->addAction(QStringLiteral("&Measure Again…"));
    again->setObjectName(QStringLiteral("catalogueMeasureAgain"));
    connect(again, &QAction::triggered, bar, [bar] { bar->commands().start(); });
    connect(catalogue, &QMenu::aboutToShow, again,
            [bar, again] { again->setEnabled(!bar->commands().running()); });
    QAction* report = catalogue->addAction(QStringLiteral("Repeatab&ility"));
    report->setObjectName(QStringLiteral("catalogueRepeatability"));
    connect(report, &QAction::triggered, mainWindow, [mainWindow, &services, &model] {
        RepeatabilityWindow::open(mainWindow, services, model);
    });
    return bar;
}

void MeasureAgainBar::sync() {
    const QString text = QString::fromStdString(commands_.panelText());
    status_->setText(text);
    setVisible(commands_.running());
}

bool MeasureAgainBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close && watched == parent() && commands_.running())
        commands_.stop();
    return QToolBar::eventFilter(watched, event);
}

} // namespace korvex
