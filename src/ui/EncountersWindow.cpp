#include "ui/EncountersWindow.h"

#include "uilogic/EncounterTable.h"
#include "uilogic/MainWindowModel.h"
#include "ui/EncounterDialog.h"
#include "ui/EncounterTableItemModel.h"
#include "ui/OwnedWindow.h"
#include "ui/WindowKeys.h"
#include "ui/WindowSize.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QVBoxLayout>

namespace korvex {

namespace {

constexpr const char* kAskSetting = "catalogue/askEncounterAtAppend";

} // namespace

void EncountersWindow::addMenuEntries(QMenu* catalogue, QWidget* mainWindow,
                                      MainWindowModel& model, PlatformServices& services) {
    // When and where each record's animal was seen.
    catalogue->addSeparator();
    QAction* encounter = catalogue->addAction(QStringLiteral("Encoun&ter…"));
    encounter->setObjectName(QStringLiteral("catalogueEncounter"));
    QObject::connect(encounter, &QAction::triggered, mainWindow, [mainWindow, &model, &services] {
        EncounterDialog::editShownRecord(mainWindow, model, services);
    });
    QAction* table = catalogue->addAction(QStringLiteral("Encounter&s"));
    table->setObjectName(QStringLiteral("catalogueEncounters"));
    QObject::connect(table, &QAction::triggered, mainWindow, [mainWindow, &model, &services] {
        open(mainWindow, model, services);
    });
    QAction* ask = catalogue->addAction(QStringLiteral("As&k for the Encounter at Append"));
    ask->setObjectName(QStringLiteral("catalogueAskEncounter"));
    ask->setCheckable(true);
    ask->setChecked(QSettings().value(QString::fromLatin1(kAskSetting), false).toBool());
    model.setAskEncounterAtAppend(ask->isChecked());
    QObject::connect(ask, &QAction::toggled, mainWindow, [&model](bool on) {
        model.setAskEncounterAtAppend(on);
        QSettings().setValue(QString::fromLatin1(kAskSetting), on);
    });
    model.onAskEncounter = [mainWindow, &model, &services](
                               const std::string& code, const Encounter& offered,
                               const std::optional<std::string>& photoPath) {
        return EncounterDialog::askAtAppend(mainWindow, model.document(), services, code, offered,
                                            photoPath);
    };
}

EncountersWindow* EncountersWindow::open(QWidget* mainWindow, MainWindowModel& model,
                                         PlatformServices& services) {
    return showOwnedWindow<EncountersWindow>(
        mainWindow, [&] { return new EncountersWindow(model, services, mainWindow); },
        [](EncountersWindow* window) { window->refresh(); });
}

EncountersWindow::EncountersWindow(MainWindowModel& model, PlatformServices& services,
                                   QWidget* parent)
    : QWidget(parent, Qt::Window), table_(std::make_unique<EncounterTable>(services, model)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(kTitle));
    setAccessibleName(windowTitle());
    auto* layout = new QVBoxLayout(this);

    rows_ = new EncounterTableItemModel(*table_, this);
    view_ = new QTableView(this);
    view_->setObjectName(QStringLiteral("encountersTable"));
    view_->setAccessibleName(QStringLiteral("Encounters"));
    view_->setAccessibleDescription(
        QStringLiteral("Every record with its encounter; date, site, latitude, longitude, "
                       "observer and note can be edited"));
    view_->setModel(rows_);
    // Record order until another header is clicked (a header's first sort
    // would otherwise be descending).
    view_->horizontalHeader()->setSortIndicator(EncounterTable::RecordColumn, Qt::AscendingOrder);
    view_->setSortingEnabled(true);
    view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    view_->setSelectionBehavior(QAbstractItemView::SelectItems);
    view_->verticalHeader()->hide();
    view_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(view_, 1);

    // Read by its text: how many animals were seen at more than one site.
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("encountersSummary"));
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    summary_->setFocusPolicy(Qt::TabFocus);
    layout->addWidget(summary_);

    auto* buttons = new QHBoxLayout;
    const auto button = [this, buttons](const QString& text, const char* name,
                                        const QString& accessible) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(accessible);
        buttons->addWidget(b);
        return b;
    };
    QPushButton* pattern = button(QStringLiteral("Individual &Pattern…"), "encountersPattern",
                                  QStringLiteral("Individual Pattern…"));
    buttons->addStretch(1);
    QPushButton* copy = button(QStringLiteral("&Copy"), "encountersCopy", QStringLiteral("Copy"));
    copy->setAccessibleDescription(
        QStringLiteral("Puts the table on the clipboard as TAB-separated rows"));
    QPushButton* save = button(QStringLiteral("&Save as CSV…"), "encountersSave",
                               QStringLiteral("Save as CSV…"));
    buttons->addWidget(WindowKeys::closeButton(this));
    layout->addLayout(buttons);

    connect(pattern, &QPushButton::clicked, this, [this] {
        if (table_->changePattern())
            refresh();
    });
    connect(copy, &QPushButton::clicked, this, [this] { table_->copyToClipboard(); });
    connect(save, &QPushButton::clicked, this, [this] { table_->saveCsv(); });
    connect(rows_, &EncounterTableItemModel::edited, this, &EncountersWindow::showSummary);
    WindowKeys::closeWithKeys(this);
    showSummary();
    view_->resizeColumnsToContents();
    resize(WindowSize::onScreen(this, QSize(1100, 520)));
}

EncountersWindow::~EncountersWindow() = default;

void EncountersWindow::refresh() {
    rows_->reload();
    showSummary();
}

void EncountersWindow::showSummary() {
    const std::string text = table_->summary();
    summary_->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void EncountersWindow::changeEvent(QEvent* event) {
    // A record appended or mended in the main window since: show it on coming
    // back, though not under an edit whose refusal was just said.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() &&
        !rows_->storingEdit())
        refresh();
    QWidget::changeEvent(event);
}

} // namespace korvex
