#include "ui/PopulationWindow.h"

#include "model/NumberText.h"
#include "ui/CatalogueWindows.h"
#include "ui/WindowKeys.h"
#include "ui/WindowSize.h"
#include "uilogic/MainWindowModel.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace korvex {

namespace {

QString text(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string bytes(const QString& s) {
    return s.toUtf8().toStdString();
}

// A text display read by its text: it has no accessible name of its own,
// which would hide the text from a screen reader.
QLabel* wrappingLabel(const QString& objectName, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setObjectName(objectName);
    return label;
}

QPushButton* button(const QString& caption, const QString& accessibleName, const char* name,
                    QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setAccessibleName(accessibleName);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

void fillTable(QTableWidget* table, const std::vector<std::vector<std::string>>& rows) {
    table->setColumnCount(rows.empty() ? 0 : static_cast<int>(rows.front().size()));
    table->setRowCount(rows.empty() ? 0 : static_cast<int>(rows.size()) - 1);
    QStringList header;
    if (!rows.empty())
        for (const auto& field : rows.front())
            header << text(field);
    table->setHorizontalHeaderLabels(header);
    for (std::size_t r = 1; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            auto* item = new QTableWidgetItem(text(rows[r][c]));
            item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(static_cast<int>(r) - 1, static_cast<int>(c), item);
        }
    table->resizeColumnsToContents();
}

} // namespace

void PopulationWindow::addMenuEntries(QMenu* menu, QWidget* mainWindow, CatalogueWindows* windows,
                                      MainWindowModel& model, PlatformServices& services) {
    menu->addSeparator();
    QAction* exportAction = menu->addAction(QStringLiteral("E&xport…"));
    exportAction->setObjectName(QStringLiteral("catalogueExport"));
    QObject::connect(exportAction, &QAction::triggered, mainWindow,
                     [mainWindow, windows, &model, &services] {
                         open(mainWindow, Page::Export, windows, model, services);
                     });
    QAction* estimates = menu->addAction(QStringLiteral("&Population Estimates"));
    estimates->setObjectName(QStringLiteral("cataloguePopulationEstimates"));
    QObject::connect(estimates, &QAction::triggered, mainWindow,
                     [mainWindow, windows, &model, &services] {
                         open(mainWindow, Page::Estimates, windows, model, services);
                     });
}

PopulationWindow* PopulationWindow::open(QWidget* mainWindow, Page page, CatalogueWindows* windows,
                                         MainWindowModel& model, PlatformServices& services) {
    auto* window = mainWindow->findChild<PopulationWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!window)
        window = new PopulationWindow(windows, model, services, mainWindow);
    else
        window->refresh();
    window->showPage(page);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

PopulationWindow::PopulationWindow(CatalogueWindows* windows, MainWindowModel& model,
                                   PlatformServices& services, QWidget* parent)
    : QWidget(parent, Qt::Window), windows_(windows), services_(services),
      model_(std::make_unique<PopulationWindowModel>(services, model)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromUtf8(PopulationWindowModel::kExportTitle));
    setAccessibleName(windowTitle());

    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);

    auto* form = new QFormLayout;
    pattern_ = new QLineEdit(content);
    pattern_->setAccessibleName(QStringLiteral("Individual pattern"));
    pattern_->setAccessibleDescription(QString::fromUtf8(CatalogueCommands::kPatternPrompt));
    pattern_->setPlaceholderText(QStringLiteral("each code one animal"));
    form->addRow(QStringLiteral("Individual &pattern:"), pattern_);
    layout->addLayout(form);

    auto* occasionBox = new QGroupBox(QStringLiteral("Occasions"), content);
    auto* occasionLayout = new QHBoxLayout(occasionBox);
    occasions_ = new QTableWidget(0, 2, occasionBox);
    occasions_->setAccessibleName(QStringLiteral("Occasions"));
    occasions_->setAccessibleDescription(
        QStringLiteral("One row per occasion: its first and last day, both included, "
                       "as YYYY-MM-DD"));
    occasions_->setHorizontalHeaderLabels(
        {QStringLiteral("First day"), QStringLiteral("Last day")});
    occasions_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // Room for four rows; more scroll.
    occasions_->setMinimumHeight(110);
    occasions_->setMaximumHeight(150);
    occasions_->setTabKeyNavigation(false);
    occasionLayout->addWidget(occasions_, 1);
    auto* occasionButtons = new QVBoxLayout;
    auto* add = button(QStringLiteral("&Add"), QStringLiteral("Add an occasion"), "occasionAdd",
                       occasionBox);
    auto* remove = button(QStringLiteral("&Remove"), QStringLiteral("Remove the occasion"),
                          "occasionRemove", occasionBox);
    auto* propose =
        button(QStringLiteral("One per &Year"), QStringLiteral("Propose one occasion per year"),
               "occasionPropose", occasionBox);
    occasionButtons->addWidget(add);
    occasionButtons->addWidget(remove);
    occasionButtons->addWidget(propose);
    occasionButtons->addStretch(1);
    occasionLayout->addLayout(occasionButtons);
    layout->addWidget(occasionBox);

    auto* textForm = new QFormLayout;
    occasionsText_ = new QLineEdit(content);
    occasionsText_->setAccessibleName(QStringLiteral("Occasions as text"));
    occasionsText_->setAccessibleDescription(
        QStringLiteral("FIRST..LAST,FIRST..LAST as korvex-batch --occasions takes them"));
    textForm->addRow(QStringLiteral("As &text:"), occasionsText_);
    layout->addLayout(textForm);

    summary_ = wrappingLabel(QStringLiteral("populationSummary"), content);
    layout->addWidget(summary_);

    pages_ = new QTabWidget(content);
    pages_->setAccessibleName(QStringLiteral("Pages"));
    pages_->addTab(buildExportPage(), QStringLiteral("Capture &Histories"));
    pages_->addTab(buildEstimatesPage(), QStringLiteral("Population &Estimates"));
    layout->addWidget(pages_, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(WindowKeys::closeButton(this));
    layout->addLayout(bottom);

    auto* area = WindowSize::scrollingArea(content);
    area->setWidgetResizable(true);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(area);
    WindowKeys::closeWithKeys(this);

    connect(pattern_, &QLineEdit::editingFinished, this, [this] {
        const std::string typed = bytes(pattern_->text());
        if (typed == model_->pattern())
            return;
        if (!model_->setPattern(typed))
            pattern_->setText(text(model_->pattern()));
        showResults();
    });
    connect(occasions_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (showingOccasions_)
            return;
        const auto row = static_cast<std::size_t>(item->row());
        if (item->column() == 0)
            model_->occasions().setFirst(row, bytes(item->text().trimmed()));
        else
            model_->occasions().setLast(row, bytes(item->text().trimmed()));
        model_->refresh();
        showResults();
    });
    connect(add, &QPushButton::clicked, this, [this] {
        model_->occasions().add();
        model_->refresh();
        showOccasions();
        occasions_->setCurrentCell(occasions_->rowCount() - 1, 0);
        occasions_->setFocus();
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        const int row = occasions_->currentRow();
        if (row < 0)
            return;
        model_->occasions().remove(static_cast<std::size_t>(row));
        model_->refresh();
        showOccasions();
    });
    connect(propose, &QPushButton::clicked, this, [this] {
        model_->proposeOccasions();
        showOccasions();
    });
    connect(occasionsText_, &QLineEdit::editingFinished, this, [this] {
        const std::string typed = bytes(occasionsText_->text().trimmed());
        if (typed == model_->occasions().text())
            return;
        // The field shows the rows again whatever came of it.
        model_->setOccasionsText(typed);
        showOccasions();
    });
    connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
        setWindowTitle(QString::fromUtf8(index == 1 ? PopulationWindowModel::kEstimatesTitle
                                                    : PopulationWindowModel::kExportTitle));
        setAccessibleName(windowTitle());
    });

    pattern_->setText(text(model_->pattern()));
    showOccasions();
    resize(WindowSize::onScreen(this, QSize(760, 720)));
}

PopulationWindow::~PopulationWindow() {
    // The fields lose the focus while the window's children are destroyed,
    // after this part of it is gone: what they then say must reach nothing.
    for (QLineEdit* field : {pattern_, occasionsText_, recognition_})
        if (field)
            field->disconnect(this);
}

QWidget* PopulationWindow::buildExportPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* form = new QFormLayout;
    format_ = new QComboBox(page);
    format_->setAccessibleName(QStringLiteral("Format"));
    for (const char* name : PopulationWindowModel::kFormatNames)
        format_->addItem(QString::fromUtf8(name));
    form->addRow(QStringLiteral("&Format:"), format_);
    species_ = new QLineEdit(page);
    species_->setAccessibleName(QStringLiteral("Species"));
    species_->setAccessibleDescription(
        QStringLiteral("The scientificName of every row of the Darwin Core table"));
    species_->setPlaceholderText(QStringLiteral("Testudo graeca"));
    form->addRow(QStringLiteral("&Species:"), species_);
    layout->addLayout(form);
    positions_ = wrappingLabel(QStringLiteral("exportPositions"), page);
    layout->addWidget(positions_);
    layout->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    save_ = button(QStringLiteral("&Save…"), QStringLiteral("Save…"), "exportSave", page);
    buttons->addWidget(save_);
    layout->addLayout(buttons);

    connect(format_, &QComboBox::currentIndexChanged, this, [this](int index) {
        model_->setFormat(static_cast<PopulationWindowModel::Format>(index));
        showResults();
    });
    connect(species_, &QLineEdit::textChanged, this,
            [this](const QString& typed) { model_->setSpecies(bytes(typed)); });
    connect(save_, &QPushButton::clicked, this, [this] {
        model_->save();
        showResults();
    });
    return page;
}

QWidget* PopulationWindow::buildEstimatesPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    counts_ = new QTableWidget(page);
    counts_->setAccessibleName(QStringLiteral("Captures per occasion"));
    counts_->verticalHeader()->hide();
    counts_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    counts_->setMinimumHeight(90);
    layout->addWidget(counts_, 1);

    auto* row = new QHBoxLayout;
    auto* label = new QLabel(QStringLiteral("Recognition rate &p:"), page);
    recognition_ = new QLineEdit(page);
    recognition_->setAccessibleName(QStringLiteral("Recognition rate p"));
    recognition_->setAccessibleDescription(
        QStringLiteral("The share of recaptures the matching finds, above 0 and at most 1"));
    recognition_->setMaximumWidth(90);
    label->setBuddy(recognition_);
    learn_ = button(QStringLiteral("&Learn from the Catalogue"),
                    QStringLiteral("Learn p from the catalogue"), "estimatesLearn", page);
    learn_->setAccessibleDescription(
        QStringLiteral("The top-1 rate of D of a leave-one-out evaluation of this catalogue"));
    learnInTimeOrder_ = new QCheckBox(QStringLiteral("In time &order"), page);
    learnInTimeOrder_->setAccessibleName(QStringLiteral("Learn p in time order"));
    row->addWidget(label);
    row->addWidget(recognition_);
    row->addWidget(learn_);
    row->addWidget(learnInTimeOrder_);
    row->addStretch(1);
    layout->addLayout(row);
    estimates_ = wrappingLabel(QStringLiteral("estimatesText"), page);
    layout->addWidget(estimates_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* copy = button(QStringLiteral("&Copy to the Clipboard"),
                        QStringLiteral("Copy to the Clipboard"), "estimatesCopy", page);
    buttons->addWidget(copy);
    layout->addLayout(buttons);

    connect(recognition_, &QLineEdit::textEdited, this, [this] { recognitionTyped_ = true; });
    connect(recognition_, &QLineEdit::editingFinished, this, [this] {
        if (!recognitionTyped_)
            return;
        recognitionTyped_ = false;
        model_->setRecognitionText(bytes(recognition_->text().trimmed()));
        showResults();
    });
    connect(learn_, &QPushButton::clicked, this, &PopulationWindow::learnRecognition);
    connect(copy, &QPushButton::clicked, this, [this] { model_->copyEstimates(); });
    if (windows_)
        connect(windows_, &CatalogueWindows::runningChanged, learn_,
                [this](bool running) { learn_->setEnabled(!running); });
    return page;
}

void PopulationWindow::learnRecognition() {
    if (!windows_)
        return;
    auto run = model_->recognitionRun(learnInTimeOrder_->isChecked());
    QPointer<PopulationWindow> self(this);
    windows_->launch(std::move(run), QString::fromUtf8(PopulationWindowModel::kEstimatesTitle),
                     [self](std::shared_ptr<CatalogueCommands::Run> done) {
                         if (self && self->model_->takeRecognition(*done))
                             self->showResults();
                     });
}

void PopulationWindow::showPage(Page page) {
    pages_->setCurrentIndex(page == Page::Estimates ? 1 : 0);
}

void PopulationWindow::refresh() {
    model_->refresh();
    showResults();
}

void PopulationWindow::showOccasions() {
    showingOccasions_ = true;
    const auto& rows = model_->occasions().rows();
    occasions_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t r = 0; r < rows.size(); ++r) {
        occasions_->setItem(static_cast<int>(r), 0, new QTableWidgetItem(text(rows[r].first)));
        occasions_->setItem(static_cast<int>(r), 1, new QTableWidgetItem(text(rows[r].last)));
    }
    showingOccasions_ = false;
    showResults();
}

void PopulationWindow::showResults() {
    occasionsText_->setText(text(model_->occasions().text()));
    const std::string problem = model_->occasionProblem();
    summary_->setText(text(model_->summary()));
    // A problem is said in the summary line; red draws the eye to it.
    summary_->setStyleSheet(problem.empty() ? QString() : QStringLiteral("color: #b00020;"));
    const bool darwinCore = model_->format() == PopulationWindowModel::Format::DarwinCore;
    species_->setEnabled(darwinCore);
    positions_->setText(text(model_->positionsNote()));
    positions_->setVisible(!positions_->text().isEmpty());
    save_->setEnabled(!model_->files().empty());

    fillTable(counts_, model_->countsTable());
    if (!recognitionTyped_) {
        const auto p = model_->recognition();
        recognition_->setText(p ? text(fixedText(*p, 2)) : QString());
    }
    estimates_->setText(text(model_->estimatesText()));
}

void PopulationWindow::changeEvent(QEvent* event) {
    // Records or encounters changed in another window since: show them on coming back.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        refresh();
    QWidget::changeEvent(event);
}

} // namespace korvex
