#include "ui/CatalogueFindingsWindow.h"

#include "ui/WindowSize.h"

#include <QFontDatabase>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>

namespace korvex {

namespace {

// A line as the list shows it: its fields apart, as a tab would set them.
QString shown(const std::string& line) {
    return QString::fromUtf8(line).replace(QLatin1Char('\t'), QStringLiteral("   "));
}

} // namespace

CatalogueFindingsWindow::CatalogueFindingsWindow(CatalogueCommands& commands,
                                                 std::shared_ptr<const CatalogueCommands::Run> run,
                                                 QWidget* parent)
    : CatalogueRunWindow(commands, std::move(run), CatalogueCommands::kCheckTitle, parent) {
    const CatalogueAudit& audit = *run_->audit();

    const std::string report = audit.report();
    // This label and the count below are read by their text, which says what each is.
    threshold_ = new QLabel(shown(report.substr(0, report.find('\r'))), this);
    column_->addWidget(threshold_);

    QStringList lines;
    lines.reserve(static_cast<qsizetype>(audit.findings.size()));
    for (const auto& finding : audit.findings)
        lines << shown(audit.line(finding));
    list_ = new QListView(this);
    list_->setAccessibleName(QStringLiteral("Findings"));
    list_->setUniformItemSizes(true);
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setModel(new QStringListModel(lines, list_));
    column_->addWidget(list_, 1);

    auto* count = new QLabel(audit.findings.empty()
                                 ? QStringLiteral("No findings.")
                                 : QStringLiteral("%1 findings").arg(audit.findings.size()),
                             this);
    show_ = new QPushButton(QStringLiteral("&Show"), this);
    show_->setObjectName(QStringLiteral("catalogueShow"));
    show_->setAccessibleName(QStringLiteral("Show"));
    show_->setAccessibleDescription(QStringLiteral("Puts the finding's first record on the sheet"));
    show_->setEnabled(false);
    QPushButton* copy = newCopyButton();
    addFoot({count}, {copy, show_});

    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { show_->setEnabled(current.isValid()); });
    // Enter on the list activates its current finding.
    connect(list_, &QListView::activated, this, &CatalogueFindingsWindow::showCurrent);
    connect(show_, &QPushButton::clicked, this, &CatalogueFindingsWindow::showCurrent);
    resize(WindowSize::onScreen(this, QSize(720, 480)));
}

void CatalogueFindingsWindow::showCurrent() {
    const QModelIndex current = list_->currentIndex();
    if (current.isValid())
        commands_.show(*run_, static_cast<std::size_t>(current.row()));
}

} // namespace korvex
