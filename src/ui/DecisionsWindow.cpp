#include "ui/DecisionsWindow.h"

#include "uilogic/MainWindowModel.h"
#include "ui/QtPlatformServices.h"
#include "ui/WindowKeys.h"
#include "ui/WindowSize.h"

#include <QAbstractTableModel>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace korvex {

// The rows of a DecisionList as the table shows them; the list is replaced
// whole on each refresh, so the model only ever resets.
class DecisionTableModel : public QAbstractTableModel {
public:
    explicit DecisionTableModel(QObject* parent) : QAbstractTableModel(parent) {}

    void show(const DecisionList* list) {
        beginResetModel();
        list_ = list;
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() || !list_ ? 0 : static_cast<int>(list_->rows().size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(DecisionList::kColumnCount);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!list_ || !index.isValid() || role != Qt::DisplayRole)
            return {};
        return QtPlatformServices::displayText(
            list_->rows().at(std::size_t(index.row())).at(std::size_t(index.column())));
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
            section >= static_cast<int>(DecisionList::kColumnCount))
            return {};
        const std::string_view name = DecisionList::kHeader[std::size_t(section)];
        return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
    }

private:
    const DecisionList* list_ = nullptr;
};

DecisionsWindow* DecisionsWindow::open(QWidget* mainWindow, MainWindowModel& model,
                                       PlatformServices& services) {
    auto* window = mainWindow->findChild<DecisionsWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!window)
        window = new DecisionsWindow(model, services, mainWindow);
    else
        window->refresh();
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

DecisionsWindow::DecisionsWindow(MainWindowModel& model, PlatformServices& services,
                                 QWidget* parent)
    : QWidget(parent, Qt::Window), model_(model), services_(services) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(kTitle));
    setAccessibleName(windowTitle());
    auto* layout = new QVBoxLayout(this);

    rows_ = new DecisionTableModel(this);
    table_ = new QTableView(this);
    table_->setAccessibleName(QStringLiteral("Decisions"));
    table_->setModel(rows_);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_, 1);

    auto* buttons = new QHBoxLayout;
    // Read by its text: "No decisions yet." or how many there are.
    status_ = new QLabel(this);
    copy_ = new QPushButton(QStringLiteral("Copy to the &Clipboard"), this);
    copy_->setObjectName(QStringLiteral("decisionsCopy"));
    copy_->setAccessibleName(QStringLiteral("Copy to the Clipboard"));
    copy_->setAccessibleDescription(
        QStringLiteral("Puts every decision on the clipboard as TAB-separated rows"));
    close_ = new QPushButton(QStringLiteral("Close"), this);
    close_->setObjectName(QStringLiteral("decisionsClose"));
    close_->setAccessibleName(QStringLiteral("Close"));
    buttons->addWidget(status_);
    buttons->addStretch(1);
    buttons->addWidget(copy_);
    buttons->addWidget(close_);
    layout->addLayout(buttons);

    connect(copy_, &QPushButton::clicked, this, [this] { list_->copyToClipboard(services_); });
    connect(close_, &QPushButton::clicked, this, &QWidget::close);
    WindowKeys::closeWithKeys(this);
    refresh();
    resize(WindowSize::onScreen(this, QSize(900, 400)));
}

DecisionsWindow::~DecisionsWindow() = default;

void DecisionsWindow::refresh() {
    // The list keeps its rows as text, nothing of the log: a copy of it does.
    auto list = std::make_unique<DecisionList>(model_.document().decisions().all().toVector(),
                                               model_.dataSet());
    rows_->show(list.get());
    list_ = std::move(list);
    const std::size_t count = list_->rows().size();
    status_->setText(count == 0   ? QString::fromLatin1(kEmptyText)
                     : count == 1 ? QStringLiteral("1 decision")
                                  : QStringLiteral("%1 decisions").arg(count));
    copy_->setEnabled(count > 0);
    if (count > 0)
        table_->resizeColumnsToContents();
}

void DecisionsWindow::changeEvent(QEvent* event) {
    // A decision made in another window since: show it on coming back.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        refresh();
    QWidget::changeEvent(event);
}

} // namespace korvex
