#include "ui/RepeatabilityWindow.h"

#include "ui/QtPlatformServices.h"
#include "ui/ReportParts.h"
#include "ui/WindowKeys.h"
#include "ui/WindowSize.h"
#include "uilogic/MainWindowModel.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>

namespace korvex {

namespace {

QString text(const std::string& s) {
    return QtPlatformServices::displayText(s);
}

QLabel* plainLabel(const QString& shown, const QString& name, QWidget* parent) {
    auto* label = new QLabel(shown, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setObjectName(name);
    return label;
}

// A read-only table of `rows` (header first), as the report window's.
QTableWidget* tableOf(const RepeatabilityReport::Rows& rows, const QString& name, QWidget* parent) {
    auto* table = new QTableWidget(parent);
    table->setObjectName(name);
    table->setAccessibleName(name);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ReportParts::fillTable(table, rows);
    // A narrow window elides a long row name.
    for (int r = 0; r < table->rowCount(); ++r)
        if (QTableWidgetItem* item = table->item(r, 0))
            item->setToolTip(item->text());
    return table;
}

// A table short enough to show whole: no scroll bar, its own height.
void fitHeight(QTableWidget* table) {
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setFixedHeight(table->horizontalHeader()->sizeHint().height() +
                          table->verticalHeader()->length() + 2 * table->frameWidth());
}

} // namespace

RepeatabilityWindow* RepeatabilityWindow::open(QWidget* mainWindow, PlatformServices& services,
                                               MainWindowModel& model) {
    auto* old = mainWindow->findChild<RepeatabilityWindow*>(QString(), Qt::FindDirectChildrenOnly);
    const RepeatabilityReport report(model.document(), model.individualPattern());
    auto* window = new RepeatabilityWindow(report, services, mainWindow);
    if (old) {
        window->setGeometry(old->geometry());
        delete old;
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

RepeatabilityWindow::RepeatabilityWindow(const RepeatabilityReport& report,
                                         PlatformServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window), report_(report), services_(services) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromLatin1(RepeatabilityReport::kTitle));
    setAccessibleName(windowTitle());
    auto* layout = new QVBoxLayout(this);

    sentence_ = plainLabel(text(report_.sentence()), QStringLiteral("repeatabilitySentence"), this);
    sentence_->setAccessibleName(QStringLiteral("Summary"));
    sentence_->setAccessibleDescription(sentence_->text());
    QFont bold = sentence_->font();
    bold.setBold(true);
    sentence_->setFont(bold);
    layout->addWidget(sentence_);
    QString about = text(report_.animalsText());
    for (const std::string& problem : report_.problems())
        about += QStringLiteral(" Left out: ") + text(problem) + QStringLiteral(".");
    layout->addWidget(plainLabel(about, QStringLiteral("repeatabilityAnimals"), this));

    auto* row = new QHBoxLayout;
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("repeatabilityTabs"));
    tabs_->setAccessibleName(QStringLiteral("Tables"));
    const Repeatability& r = report_.result();
    tabs_->addTab(tableTab(r.overall, QStringLiteral("All repeats")),
                  QStringLiteral("&All Repeats"));
    for (const auto& op : r.operators)
        tabs_->addTab(tableTab(op.table, QStringLiteral("Operator ") + text(op.name)),
                      QStringLiteral("Operator ") + text(op.name));
    if (!r.biases.empty()) {
        auto* page = new QWidget;
        auto* column = new QVBoxLayout(page);
        column->addWidget(plainLabel(
            QStringLiteral("Mean difference per seam of the first operator's values from the "
                           "second's, over the records both measured again."),
            QStringLiteral("repeatabilityBiasNote"), page));
        column->addWidget(tableOf(report_.biasRows(), QStringLiteral("Between operators"), page),
                          1);
        tabs_->addTab(page, QStringLiteral("&Between Operators"));
    }
    row->addWidget(tabs_, 3);

    chart_ = new QChartView(new QChart, this);
    chart_->setObjectName(QStringLiteral("repeatabilityChart"));
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->setMinimumSize(300, 220);
    chart_->setAccessibleName(QStringLiteral("Distributions of D"));
    row->addWidget(chart_, 2);
    layout->addLayout(row, 1);
    buildChart();

    auto* buttons = new QHBoxLayout;
    auto* copy = new QPushButton(QStringLiteral("Copy to the &Clipboard"), this);
    copy->setObjectName(QStringLiteral("repeatabilityCopy"));
    copy->setAccessibleName(QStringLiteral("Copy to the Clipboard"));
    copy->setAccessibleDescription(
        QStringLiteral("Puts the report on the clipboard as TAB-separated lines, as korvex-batch "
                       "repeatability prints them"));
    copy->setEnabled(report_.result().overall.measured > 0);
    buttons->addStretch(1);
    buttons->addWidget(copy);
    buttons->addSpacing(12);
    buttons->addWidget(WindowKeys::closeButton(this));
    layout->addLayout(buttons);
    WindowKeys::closeWithKeys(this);
    connect(copy, &QPushButton::clicked, this, [this] { report_.copyToClipboard(services_); });
    resize(WindowSize::onScreen(this, QSize(1100, 700)));
}

QWidget* RepeatabilityWindow::tableTab(const Repeatability::Table& table, const QString& name) {
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->addWidget(plainLabel(text(RepeatabilityReport::measuredText(table)),
                                 name + QStringLiteral(" counts"), page));
    auto* spreads = tableOf(report_.spreadRows(table), name + QStringLiteral(" distances"), page);
    spreads->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    spreads->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fitHeight(spreads);
    column->addWidget(spreads);
    if (&table == &report_.result().overall)
        column->addWidget(
            plainLabel(text(report_.ratioText()), QStringLiteral("repeatabilityRatio"), page));
    column->addWidget(
        tableOf(RepeatabilityReport::seamRows(table), name + QStringLiteral(" per seam"), page), 1);
    return page;
}

void RepeatabilityWindow::buildChart() {
    QChart* chart = chart_->chart();
    chart->setTitle(QStringLiteral("Distances D"));
    chart->legend()->setAlignment(Qt::AlignBottom);
    const auto h = report_.histogram(std::size_t(kHistogramBars));
    auto* x = new QValueAxis;
    x->setTitleText(QStringLiteral("Distance D"));
    chart->addAxis(x, Qt::AlignBottom);
    ReportParts::setRoundRange(x, 0.0, h.barWidth * kHistogramBars);
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("Share of distances"));
    chart->addAxis(y, Qt::AlignLeft);
    double top = 0.0;
    // Each distribution as the outline of its bars.
    const auto bars = [&](const std::vector<double>& shares, const QString& caption) {
        if (shares.empty())
            return;
        QLineSeries* series = ReportParts::outlineOfBars(shares, h.barWidth, caption);
        chart->addSeries(series);
        series->attachAxis(x);
        series->attachAxis(y);
        QPen pen = series->pen();
        pen.setWidthF(2.0);
        series->setPen(pen);
        top = std::max(top, *std::max_element(shares.begin(), shares.end()));
    };
    bars(h.repeatD, QStringLiteral("Repeats"));
    bars(h.nearestOtherD, QStringLiteral("Nearest other animal"));
    ReportParts::setRoundRange(y, 0.0, (top > 0.0 ? top : 1.0) * 1.05);
    chart->legend()->setVisible(top > 0.0);
    const Repeatability& r = report_.result();
    chart_->setAccessibleDescription(
        QStringLiteral("Distances D from each original to its repeats (%1) and to the nearest "
                       "record of another animal (%2)")
            .arg(r.overall.repeatD.sorted.size())
            .arg(r.nearestOtherD.sorted.size()));
}

} // namespace korvex
