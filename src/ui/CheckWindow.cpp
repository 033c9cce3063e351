#include "ui/CheckWindow.h"

#include "ui/CheckPane.h"
#include "ui/PhotoLoader.h"
#include "ui/WindowKeys.h"
#include "ui/WindowSize.h"
#include "uilogic/CheckWindowModel.h"
#include "uilogic/DigitisingModel.h"
#include "uilogic/PhotoRecords.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <utility>

namespace korvex {

namespace {

// The model's texts are UTF-8.
QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// A label whose text a screen reader reads, not only its name.
void setReadText(QLabel* label, const QString& shown) {
    // A cleared label takes no height, where one showing "" takes a line.
    if (shown.isEmpty())
        label->clear();
    else
        label->setText(shown);
    label->setAccessibleDescription(shown);
}

// A column of a title over a pane.
QWidget* titled(QLabel* title, CheckPane* pane) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(title);
    layout->addWidget(pane, 1);
    return box;
}

QChartView* newChartView(const QString& name) {
    auto* view = new QChartView;
    view->setAccessibleName(name);
    view->setRenderHint(QPainter::Antialiasing);
    // Page Up and Page Down belong to the window, not to the chart's scrolling.
    view->setFocusPolicy(Qt::NoFocus);
    view->setMinimumSize(240, 270);
    return view;
}

} // namespace

CheckWindow::CheckWindow(CheckWindowModel& model, const DigitisingModel& sheet,
                         std::function<const PictureRenderer&()> sheetPicture,
                         std::function<const PictureRenderer&()> schemePicture, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), model_(model), sheet_(sheet),
      sheetPicture_(std::move(sheetPicture)), schemePicture_(std::move(schemePicture)) {
    setObjectName(QStringLiteral("CheckWindow"));
    setWindowTitle(QStringLiteral("Check Candidate"));
    setAccessibleName(windowTitle());
    loader_ = new PhotoLoader(this);
    connect(loader_, &PhotoLoader::loaded, this, [this](const QString& path) {
        if (path == candidatePath_)
            showCandidatePhoto();
        if (path == sheetPath_)
            showSheet();
    });

    auto* layout = new QVBoxLayout(this);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("checkSummary"));
    summary_->setAccessibleName(QStringLiteral("Candidate"));
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(summary_);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    auto* panes = new QSplitter(Qt::Horizontal);
    sheetTitle_ = new QLabel;
    candidateTitle_ = new QLabel;
    sheetTitle_->setWordWrap(true);
    candidateTitle_->setWordWrap(true);
    sheetPane_ = new CheckPane(QStringLiteral("Sheet's specimen"));
    sheetPane_->setObjectName(QStringLiteral("sheetPane"));
    candidatePane_ = new CheckPane(QStringLiteral("Candidate's photo"));
    candidatePane_->setObjectName(QStringLiteral("candidatePane"));
    QWidget* sheetColumn = titled(sheetTitle_, sheetPane_);
    sheetSays_ = new QLabel;
    sheetSays_->setObjectName(QStringLiteral("checkSheetSource"));
    sheetSays_->setAccessibleName(QStringLiteral("Sheet's photo"));
    sheetSays_->setWordWrap(true);
    static_cast<QVBoxLayout*>(sheetColumn->layout())->insertWidget(1, sheetSays_);
    panes->addWidget(sheetColumn);
    panes->addWidget(titled(candidateTitle_, candidatePane_));
    splitter->addWidget(panes);

    auto* lower = new QWidget;
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    auto* charts = new QHBoxLayout;
    marginalChart_ = newChartView(QStringLiteral("Seam terms of D1"));
    centralChart_ = newChartView(QStringLiteral("Junction terms of D2"));
    charts->addWidget(marginalChart_, 3);
    charts->addWidget(centralChart_, 2);
    values_ = new QTableWidget(0, 4);
    values_->setObjectName(QStringLiteral("checkValues"));
    values_->setAccessibleName(QStringLiteral("Values side by side"));
    values_->setHorizontalHeaderLabels({QStringLiteral("Seam"), QStringLiteral("Sheet"),
                                        QStringLiteral("Record"), QStringLiteral("Term")});
    values_->verticalHeader()->hide();
    values_->verticalHeader()->setDefaultSectionSize(values_->fontMetrics().height() + 6);
    values_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    values_->setSelectionBehavior(QAbstractItemView::SelectRows);
    values_->setSelectionMode(QAbstractItemView::SingleSelection);
    values_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    values_->horizontalHeader()->setStretchLastSection(true);
    values_->setMinimumWidth(300);
    values_->installEventFilter(this);
    connect(values_, &QTableWidget::itemSelectionChanged, this, [this] {
        const auto rows = values_->selectionModel()->selectedRows();
        model_.pickRow(rows.isEmpty() ? std::nullopt
                                      : std::optional<std::size_t>(rows.front().row()));
        showHighlight();
    });
    charts->addWidget(values_, 2);
    lowerLayout->addLayout(charts, 1);
    sums_ = new QLabel;
    sums_->setObjectName(QStringLiteral("checkSums"));
    sums_->setAccessibleName(QStringLiteral("Sums"));
    sums_->setWordWrap(true);
    lowerLayout->addWidget(sums_);
    splitter->addWidget(lower);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    // The photos take what the bars and the table leave.
    splitter->setSizes({10000, 1});
    layout->addWidget(splitter, 1);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("checkStatus"));
    status_->setAccessibleName(QStringLiteral("Status"));
    status_->setWordWrap(true);
    layout->addWidget(status_);

    decision_ = new QLabel(this);
    decision_->setObjectName(QStringLiteral("checkDecision"));
    decision_->setAccessibleName(QStringLiteral("Decision"));
    decision_->setWordWrap(true);
    layout->addWidget(decision_);

    auto* buttons = new QHBoxLayout;
    auto addButton = [this, buttons](const QString& caption, const QString& name,
                                     const QString& description, auto slot) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(name);
        button->setAccessibleDescription(description);
        button->setToolTip(description);
        connect(button, &QPushButton::clicked, this, slot);
        buttons->addWidget(button);
        return button;
    };
    previous_ = addButton(QStringLiteral("&Previous"), QStringLiteral("checkPrevious"),
                          QStringLiteral("The ranked line before this one (Page Up)"),
                          [this] { step(-1); });
    next_ = addButton(QStringLiteral("&Next"), QStringLiteral("checkNext"),
                      QStringLiteral("The ranked line after this one (Page Down)"),
                      [this] { step(+1); });
    addButton(QStringLiteral("&Fit"), QStringLiteral("checkFit"),
              QStringLiteral("Each whole photo in its pane"), [this] { fitBoth(); });
    addButton(QStringLiteral("Same &Scale"), QStringLiteral("checkSameScale"),
              QStringLiteral("Both shells on a vertical midline of equal length"),
              [this] { sameScale(); });
    buttons->addStretch(1);
    const struct {
        Verdict verdict;
        const char* caption;
        const char* name;
    } verdicts[] = {{Verdict::SameAnimal, "S&ame Animal", "checkSameAnimal"},
                    {Verdict::DifferentAnimal, "&Different Animal", "checkDifferentAnimal"},
                    {Verdict::Unsure, "&Unsure", "checkUnsure"}};
    for (const auto& v : verdicts) {
        const Verdict verdict = v.verdict;
        verdicts_[std::size_t(verdict)] = addButton(
            QString::fromUtf8(v.caption), QString::fromUtf8(v.name),
            QStringLiteral("Logs \u201c%1\u201d for the sheet's specimen and this candidate")
                .arg(QString::fromUtf8(verdictText(verdict))),
            [this, verdict] { decide(verdict); });
    }
    addButton(QStringLiteral("Decisions\u2026"), QStringLiteral("checkDecisions"),
              QStringLiteral("Every decision logged, to read or copy"), [this] {
                  if (onShowDecisions)
                      onShowDecisions();
              });
    buttons->addSpacing(12);
    addButton(QStringLiteral("Close"), QStringLiteral("checkClose"),
              QStringLiteral("Closes this window"), [this] { close(); });
    layout->addLayout(buttons);
    WindowKeys::closeWithKeys(this);

    resize(WindowSize::onScreen(this, QSize(1400, 900)));
}

CheckWindow::~CheckWindow() = default;

const std::optional<CandidateCheck>& CheckWindow::check() const {
    return model_.check();
}

void CheckWindow::showCheck() {
    if (!model_.check())
        return;
    showSheet();
    showLine();
    show();
    raise();
    activateWindow();
}

void CheckWindow::step(int delta) {
    if (model_.step(delta))
        showLine();
    else
        syncValidity(); // the list may have gone since
}

void CheckWindow::showLine() {
    const CandidateCheck& c = *model_.check();
    setReadText(summary_, text(model_.summaryText()));
    showStatus();
    showCandidatePhoto();
    showValues();
    showChart(marginalChart_, c.marginalBars, true);
    showChart(centralChart_, c.centralBars, false);
    setReadText(sums_, text(model_.sumsText()));
    showHighlight();
    showDecision();
    prefetchNeighbours();
    if (onPositionChanged)
        onPositionChanged(c.position);
}

QPushButton* CheckWindow::verdictButton(Verdict verdict) const {
    return verdicts_[std::size_t(verdict)];
}

void CheckWindow::decide(Verdict verdict) {
    if (!model_.decide(verdict))
        return;
    showDecision();
    if (onDecided)
        onDecided();
}

void CheckWindow::syncValidity() {
    if (model_.check())
        showDecision();
}

void CheckWindow::showDecision() {
    for (QPushButton* button : verdicts_)
        button->setEnabled(model_.canDecide());
    previous_->setEnabled(model_.canStep(-1));
    next_->setEnabled(model_.canStep(+1));
    setReadText(decision_, text(model_.decisionText()));
}

void CheckWindow::showStatus() {
    setReadText(status_, text(model_.statusText()));
}

void CheckWindow::showSheet() {
    using Source = CheckWindowModel::SheetSource;
    const CheckWindowModel::SheetPhoto sheet = model_.sheetPhoto();
    sheetTitle_->setText(text(sheet.title));
    sheetTitle_->setAccessibleName(sheetTitle_->text());
    setReadText(sheetSays_, text(sheet.says));
    sheetPath_.clear();
    if (sheet.source == Source::RecordPhoto) {
        sheetPath_ = text(*sheet.path);
        showLoaded(sheetPane_, sheetPath_, *sheet.entry, sheetPreviewShown_, text(sheet.opening),
                   [this, &sheet](const QString& error) {
                       return text(model_.sheetUnreadableText(*sheet.path, error.toStdString()));
                   });
        return;
    }
    sheetPreviewShown_.clear();
    if (sheet.source == Source::ClickedPhoto) {
        const auto size = *sheet_.photoSize();
        sheetPane_->setPicture(sheetPicture_(), size.width, size.height, sheet_.segments());
    } else {
        // The scheme has no junctions of its own to show.
        const PictureRenderer& scheme = schemePicture_();
        sheetPane_->setPicture(scheme, scheme.imageSize().width(), scheme.imageSize().height(), {});
    }
}

CheckWindow::Shown CheckWindow::showLoaded(CheckPane* pane, const QString& path,
                                           const PhotoEntry& entry, QString& previewShown,
                                           const QString& opening,
                                           const std::function<QString(const QString&)>& unreadable) {
    const QString previous = std::exchange(previewShown, QString());
    const PhotoLoader::Photo* photo = loader_->ready(path);
    if (!photo) {
        pane->setPlaceholder(opening);
        loader_->request(path, true);
        return Shown::Waiting;
    }
    Shown shown = Shown::Set;
    if (!photo->error.isEmpty()) {
        pane->setPlaceholder(unreadable(photo->error));
        shown = Shown::Failed;
    } else if (previous == path && !photo->preview) {
        // The user may have zoomed into the reduced copy already.
        pane->sharpen(photo->picture);
        shown = Shown::Sharpened;
    } else {
        const int w = photo->size.width();
        const int h = photo->size.height();
        pane->setPicture(photo->picture, w, h, PhotoRecords::segmentsAtSize(entry, w, h));
    }
    if (photo->preview)
        previewShown = path;
    return shown;
}

void CheckWindow::showCandidatePhoto() {
    const CheckWindowModel::CandidatePhoto candidate = model_.candidatePhoto();
    candidateTitle_->setText(text(candidate.title));
    candidateTitle_->setAccessibleName(candidateTitle_->text());
    candidatePath_.clear();
    if (!candidate.path) {
        previewShown_.clear();
        candidatePane_->setPlaceholder(text(candidate.placeholder));
        return;
    }
    candidatePath_ = text(*candidate.path);
    const Shown shown = showLoaded(
        candidatePane_, candidatePath_, *candidate.entry, previewShown_,
        text(model_.openingText()), [this, &candidate](const QString& error) {
            return text(model_.unreadableText(*candidate.path, error.toStdString()));
        });
    // Stepping keeps the framing the user chose; the sheet's pane keeps
    // whatever the user made of it since.
    if (shown == Shown::Set) {
        if (const auto length = model_.sameScaleLength()) {
            model_.candidateFramed(candidatePane_->alignMidline(*length));
            showStatus();
        }
    }
}

void CheckWindow::prefetchNeighbours() {
    QStringList keep{candidatePath_};
    if (!sheetPath_.isEmpty())
        keep << sheetPath_;
    for (const std::string& path : model_.neighbourPhotos()) {
        keep << text(path);
        loader_->request(keep.back());
    }
    loader_->keepOnly(keep);
}

void CheckWindow::showValues() {
    const auto& rows = model_.check()->rows;
    QSignalBlocker quiet(values_);
    values_->clearSelection(); // what was picked on the last line is not picked here
    values_->clearContents();
    values_->setRowCount(int(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto& row = rows[r];
        const std::string texts[] = {row.seam, row.sheetValue, row.recordValue, row.term};
        for (int column = 0; column < 4; ++column) {
            auto* item = new QTableWidgetItem(QString::fromStdString(texts[column]));
            if (column > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            values_->setItem(int(r), column, item);
        }
    }
}

void CheckWindow::showChart(QChartView* view, const std::vector<CandidateCheck::Bar>& bars,
                            bool marginal) {
    view->setVisible(!bars.empty());
    QChart* old = view->chart();
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setBackgroundRoundness(0);
    QFont small = font();
    small.setPixelSize(9);
    QFont titleFont = small;
    titleFont.setBold(true);
    chart->setTitleFont(titleFont);
    chart->setTitle(marginal ? QStringLiteral("D1 by seam") : QStringLiteral("D2 by junction"));
    auto* series = new QHorizontalBarSeries;
    auto* set = new QBarSet(QString::fromUtf8(nameOf(marginal ? Measure::D1 : Measure::D2)));
    QStringList categories;
    QStringList described;
    double largest = 0.0;
    // Horizontal bars stack upwards: the first seam is added last to stand on top.
    for (auto it = bars.rbegin(); it != bars.rend(); ++it) {
        *set << it->value;
        categories << QString::fromStdString(it->label);
        largest = std::max(largest, it->value);
    }
    for (const auto& bar : bars)
        described << QStringLiteral("%1 %2").arg(QString::fromStdString(bar.label),
                                                 QString::fromStdString(bar.valueText));
    set->setLabelColor(palette().color(QPalette::WindowText));
    set->setLabelFont(small);
    series->append(set);
    series->setBarWidth(0.75);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    series->setLabelsFormat(QStringLiteral("@value"));
    series->setLabelsPrecision(marginal ? 4 : 5);
    chart->addSeries(series);
    auto* axisY = new QBarCategoryAxis;
    axisY->append(categories);
    axisY->setLabelsFont(small);
    axisY->setGridLineVisible(false);
    // Seam names are short; cut, they would all read "...".
    axisY->setTruncateLabels(false);
    chart->addAxis(axisY, Qt::AlignLeft);
    series->attachAxis(axisY);
    auto* axisX = new QValueAxis;
    // Room to the right of the longest bar for its value.
    axisX->setRange(0.0, largest > 0.0 ? largest * 1.35 : 1.0);
    // Each bar carries its value; a scale would only crowd the chart.
    axisX->setLabelsVisible(false);
    chart->addAxis(axisX, Qt::AlignBottom);
    series->attachAxis(axisX);
    const int count = int(bars.size());
    connect(set, &QBarSet::hovered, this, [this, marginal, count](bool over, int index) {
        hoverBar(marginal, over ? count - 1 - index : -1);
    });
    connect(set, &QBarSet::clicked, this, [this, marginal, count](int index) {
        model_.clickBar(marginal, std::size_t(count - 1 - index));
        showHighlight();
    });
    view->setChart(chart);
    view->setAccessibleDescription(described.join(QStringLiteral(", ")));
    delete old;
}

void CheckWindow::hoverBar(bool marginal, int index) {
    model_.hoverBar(marginal, index);
    showHighlight();
}

void CheckWindow::showHighlight() {
    sheetPane_->setHighlighted(model_.highlighted());
    candidatePane_->setHighlighted(model_.highlighted());
}

void CheckWindow::fitBoth() {
    model_.fit();
    sheetPane_->fit();
    candidatePane_->fit();
    showStatus();
}

void CheckWindow::sameScale() {
    const double length = model_.sameScale(sheetPane_->height(), candidatePane_->height());
    const bool sheet = sheetPane_->alignMidline(length);
    const bool candidate = candidatePane_->alignMidline(length);
    model_.sameScaleShown(sheet, candidate, candidatePane_->hasPicture());
    showStatus();
}

void CheckWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_PageDown)
        step(+1);
    else if (event->key() == Qt::Key_PageUp)
        step(-1);
    else
        QWidget::keyPressEvent(event);
}

bool CheckWindow::eventFilter(QObject* watched, QEvent* event) {
    // The values table would page through its rows; here the keys step the candidates.
    if (watched == values_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
            step(key == Qt::Key_PageDown ? +1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace korvex
