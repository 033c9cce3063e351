#include "ui/CheckWindow.h"

#include "ui/CheckPane.h"
#include "uilogic/MainWindowModel.h"
#include "ui/PhotoLoader.h"
#include "ui/QtPlatformServices.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFileInfo>
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

QString shown(const std::string& bytes) {
    return QtPlatformServices::displayText(bytes);
}

QString recordName(const CandidateCheck& c) {
    return QStringLiteral("record %1 \u201c%2\u201d").arg(c.recordNumber).arg(shown(c.code));
}

QString quoted(const std::string& path) {
    return QStringLiteral("\u201c%1\u201d").arg(QString::fromStdString(path));
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

CheckWindow::CheckWindow(MainWindowModel& model,
                         std::function<const PictureRenderer&()> sheetPicture, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), model_(model), sheetPicture_(std::move(sheetPicture)) {
    setObjectName(QStringLiteral("CheckWindow"));
    setWindowTitle(QStringLiteral("Check Candidate"));
    setAccessibleName(windowTitle());
    loader_ = new PhotoLoader(this);
    connect(loader_, &PhotoLoader::loaded, this, [this](const QString& path) {
        if (path == candidatePath_)
            showCandidatePhoto();
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
    panes->addWidget(titled(sheetTitle_, sheetPane_));
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
        picked_.clear();
        if (check_ && !rows.isEmpty() && std::size_t(rows.front().row()) < check_->rows.size())
            picked_ = {check_->rows[std::size_t(rows.front().row())].seamIndex};
        highlight(picked_);
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

    const QScreen* screen = mainWindow && mainWindow->screen() ? mainWindow->screen()
                                                               : QGuiApplication::primaryScreen();
    const QSize room = screen ? screen->availableGeometry().size() * 0.9 : QSize(1200, 800);
    resize(std::min(room.width(), 1400), std::min(room.height(), 900));
}

CheckWindow::~CheckWindow() = default;

void CheckWindow::showCheck(const CandidateCheck& check) {
    check_ = check;
    picked_.clear();
    status_->clear();
    showSheet();
    step(0);
    show();
    raise();
    activateWindow();
}

void CheckWindow::step(int delta) {
    if (!check_)
        return;
    if (delta != 0) {
        const long long to = static_cast<long long>(check_->position) + delta;
        if (to < 0 || to >= static_cast<long long>(check_->lineCount))
            return;
        // Another comparison's list would pair its lines with this sheet.
        auto next = model_.CheckIsCurrent(*check_) ? model_.CheckAt(std::size_t(to), &*check_)
                                                   : std::nullopt;
        if (!next) {
            syncValidity();
            return;
        }
        check_ = std::move(next);
        picked_.clear();
        status_->clear();
    }
    const CandidateCheck& c = *check_;
    summary_->setText(QStringLiteral("Code \u201c%1\u201d  \u00b7  Record No. %2  \u00b7  %3 = %4 "
                                     "as listed (%5)  \u00b7  line %6 of %7")
                          .arg(shown(c.code))
                          .arg(c.recordNumber)
                          .arg(QString::fromUtf8(nameOf(c.measure)))
                          .arg(QString::fromStdString(c.listedText))
                          .arg(QString::fromStdString(c.distanceText))
                          .arg(c.position + 1)
                          .arg(c.lineCount));
    summary_->setAccessibleDescription(summary_->text());
    showCandidatePhoto();
    showValues();
    showChart(marginalChart_, c.marginalBars, true);
    showChart(centralChart_, c.centralBars, false);
    sums_->setText(QString::fromStdString(c.sumText()));
    highlight(picked_);
    showDecision();
    prefetchNeighbours();
    if (onPositionChanged)
        onPositionChanged(c.position);
}

QPushButton* CheckWindow::verdictButton(Verdict verdict) const {
    return verdicts_[std::size_t(verdict)];
}

void CheckWindow::decide(Verdict verdict) {
    if (!check_ || !model_.DecideCandidate(*check_, verdict))
        return;
    showDecision();
    if (onDecided)
        onDecided();
}

void CheckWindow::syncValidity() {
    if (check_)
        showDecision();
}

void CheckWindow::showDecision() {
    const bool self = check_->isSelf();
    const bool current = model_.CheckIsCurrent(*check_);
    for (QPushButton* button : verdicts_)
        button->setEnabled(current && !self);
    previous_->setEnabled(current && check_->position > 0);
    next_->setEnabled(current && check_->position + 1 < check_->lineCount);
    QString text;
    if (!current) {
        text = QStringLiteral(
            "The list no longer holds the lines of this comparison (another command refilled it, "
            "it was closed, or the data changed): check a line of the list again to step or "
            "decide.");
    } else if (self) {
        text =
            QStringLiteral("The candidate is the sheet's own record: there is nothing to decide.");
    } else if (const Decision* last = model_.DecisionOn(*check_)) {
        text = QStringLiteral("Decided: %1 (%2, at %3 = %4).")
                   .arg(QString::fromUtf8(verdictText(last->verdict)),
                        QString::fromStdString(last->decidedAt),
                        QString::fromStdString(last->measure), shown(last->distance));
    } else {
        text = QStringLiteral("Not decided yet.");
    }
    decision_->setText(text);
    decision_->setAccessibleDescription(text);
}

void CheckWindow::showSheet() {
    const DigitisingModel& digitising = model_.digitising();
    const PictureRenderer& picture = sheetPicture_();
    const auto& open = model_.photoRecords().openPhoto();
    if (open && digitising.photoSize()) {
        const auto size = *digitising.photoSize();
        sheetPane_->setPicture(picture, size.width, size.height, digitising.segments());
        sheetTitle_->setText(
            QStringLiteral("Sheet: %1").arg(QFileInfo(QString::fromStdString(*open)).fileName()));
    } else {
        // The scheme has no junctions of its own to show.
        sheetPane_->setPicture(picture, picture.imageSize().width(), picture.imageSize().height(),
                               {});
        sheetTitle_->setText(QStringLiteral("Sheet: the seam scheme (no photo is open)"));
    }
    sheetTitle_->setAccessibleName(sheetTitle_->text());
}

void CheckWindow::showCandidatePhoto() {
    const CandidateCheck& c = *check_;
    const auto located = model_.photoRecords().locate(c.recordLine, c.occurrence);
    candidateTitle_->setText(QStringLiteral("Candidate: %1").arg(recordName(c)));
    const QString previewShown = std::exchange(previewShown_, QString());
    candidatePath_.clear();
    if (!located.entry) {
        candidatePane_->setPlaceholder(
            QStringLiteral("The candidate, %1, has no photo stored.").arg(recordName(c)));
    } else if (!located.path) {
        QStringList places;
        for (const std::string& place : located.tried)
            places << quoted(place);
        candidatePane_->setPlaceholder(
            QStringLiteral("The photo of the candidate, %1, was not found. Places tried: %2.")
                .arg(recordName(c), places.join(QStringLiteral("; "))));
    } else {
        candidatePath_ = QString::fromStdString(*located.path);
        candidateTitle_->setText(QStringLiteral("Candidate: %1, %2")
                                     .arg(recordName(c), QFileInfo(candidatePath_).fileName()));
        if (const PhotoLoader::Photo* photo = loader_->ready(candidatePath_)) {
            if (!photo->error.isEmpty())
                candidatePane_->setPlaceholder(
                    QStringLiteral("The photo %1 of the candidate, %2, could not be opened: %3")
                        .arg(quoted(*located.path), recordName(c), photo->error));
            else if (previewShown == candidatePath_ && !photo->preview)
                // The user may have zoomed into the reduced copy already.
                candidatePane_->sharpen(photo->picture);
            else {
                candidatePane_->setPicture(
                    photo->picture, photo->size.width(), photo->size.height(),
                    PhotoRecords::segmentsAtSize(*located.entry, photo->size.width(),
                                                 photo->size.height()));
                // Stepping keeps the framing the user chose.
                // The sheet's pane keeps whatever the user made of it since.
                if (sameScale_ && !candidatePane_->alignMidline(sameScaleLength_))
                    status_->setText(QStringLiteral(
                        "The candidate's photo has no whole midline, C1 to C6 or C7 to C12, to "
                        "stand at the sheet's scale."));
            }
            if (photo->preview)
                previewShown_ = candidatePath_;
        } else {
            candidatePane_->setPlaceholder(
                QStringLiteral("Opening the photo of the candidate, %1\u2026").arg(recordName(c)));
            loader_->request(candidatePath_, true);
        }
    }
    candidateTitle_->setAccessibleName(candidateTitle_->text());
}

void CheckWindow::prefetchNeighbours() {
    QStringList keep{candidatePath_};
    for (int delta : {+1, -1}) {
        const long long at = static_cast<long long>(check_->position) + delta;
        if (at < 0 || at >= static_cast<long long>(check_->lineCount))
            continue;
        const auto near = CandidateCheck::of(
            model_.comparison(), std::as_const(model_.listWindow()).list(), std::size_t(at));
        if (!near)
            continue;
        const auto located = model_.photoRecords().locate(near->recordLine, near->occurrence);
        if (located.path) {
            keep << QString::fromStdString(*located.path);
            loader_->request(keep.back());
        }
    }
    loader_->keepOnly(keep);
}

void CheckWindow::showValues() {
    const auto& rows = check_->rows;
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
    auto* set = new QBarSet(marginal ? QStringLiteral("D1") : QStringLiteral("D2"));
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
        const auto& all = marginal ? check_->marginalBars : check_->centralBars;
        const auto& seams = all[std::size_t(count - 1 - index)].seams;
        picked_ = picked_ == seams ? std::vector<std::size_t>{} : seams;
        highlight(picked_);
    });
    view->setChart(chart);
    view->setAccessibleDescription(described.join(QStringLiteral(", ")));
    delete old;
}

void CheckWindow::hoverBar(bool marginal, int index) {
    if (!check_)
        return;
    const auto& bars = marginal ? check_->marginalBars : check_->centralBars;
    if (index < 0 || std::size_t(index) >= bars.size())
        highlight(picked_);
    else
        highlight(bars[std::size_t(index)].seams);
}

void CheckWindow::highlight(const std::vector<std::size_t>& seams) {
    sheetPane_->setHighlighted(seams);
    candidatePane_->setHighlighted(seams);
}

void CheckWindow::fitBoth() {
    sameScale_ = false;
    sheetPane_->fit();
    candidatePane_->fit();
    status_->clear();
}

void CheckWindow::sameScale() {
    sameScale_ = true;
    // Room above and below the midline for the ends of the shell.
    sameScaleLength_ = 0.65 * std::min(sheetPane_->height(), candidatePane_->height());
    const bool sheet = sheetPane_->alignMidline(sameScaleLength_);
    const bool candidate = candidatePane_->alignMidline(sameScaleLength_);
    if (sheet && candidate) {
        status_->setText(QStringLiteral("Both midlines stand vertical at the same length."));
        return;
    }
    const QString which = !candidatePane_->hasPicture()
                              ? QStringLiteral("the candidate has no photo shown")
                          : !sheet && !candidate ? QStringLiteral("neither photo has")
                          : !sheet               ? QStringLiteral("the sheet's photo has not")
                                                 : QStringLiteral("the candidate's photo has not");
    status_->setText(QStringLiteral("Same Scale needs the whole midline, C1 to C6 or C7 to C12, "
                                    "clicked on both photos; %1.")
                         .arg(which));
}

void CheckWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_PageDown)
        step(+1);
    else if (event->key() == Qt::Key_PageUp)
        step(-1);
    else if (event->key() == Qt::Key_Escape)
        close();
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
