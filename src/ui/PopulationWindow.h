#pragma once

#include "uilogic/PopulationWindowModel.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QTableWidget;

namespace korvex {

class CatalogueWindows;
class MainWindowModel;

// "Catalogue › Export…" and "Catalogue › Population Estimates": one window of
// the main window with two pages over the same occasions and individual
// pattern. It displays PopulationWindowModel and forwards its edits there;
// the recognition rate is learnt on CatalogueWindows' worker thread. It reads
// the catalogue again whenever it is opened or activated.
class PopulationWindow : public QWidget {
    Q_OBJECT
public:
    enum class Page { Export, Estimates };

    // Adds "Export…" and "Population Estimates" to `menu`; both open the
    // window of `mainWindow` at their page. `windows` runs the evaluation.
    static void addMenuEntries(QMenu* menu, QWidget* mainWindow, CatalogueWindows* windows,
                               MainWindowModel& model, PlatformServices& services);
    // The window of `mainWindow`, made on first use, at `page`, brought up to date and to the
    // front.
    static PopulationWindow* open(QWidget* mainWindow, Page page, CatalogueWindows* windows,
                                  MainWindowModel& model, PlatformServices& services);

    PopulationWindow(CatalogueWindows* windows, MainWindowModel& model, PlatformServices& services,
                     QWidget* parent);
    ~PopulationWindow() override;

    void showPage(Page page);
    // Reads the catalogue again and shows what the model says.
    void refresh();

    PopulationWindowModel& model() { return *model_; }
    QTabWidget* pages() const { return pages_; }
    QLineEdit* patternEdit() const { return pattern_; }
    QTableWidget* occasionTable() const { return occasions_; }
    QLineEdit* occasionsEdit() const { return occasionsText_; }
    QLabel* summaryLabel() const { return summary_; }
    QComboBox* formatBox() const { return format_; }
    QLineEdit* speciesEdit() const { return species_; }
    QLabel* positionsLabel() const { return positions_; }
    QPushButton* saveButton() const { return save_; }
    QTableWidget* countsTable() const { return counts_; }
    QLineEdit* recognitionEdit() const { return recognition_; }
    QPushButton* learnButton() const { return learn_; }
    QCheckBox* learnInTimeOrderBox() const { return learnInTimeOrder_; }
    QLabel* estimatesLabel() const { return estimates_; }

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* buildExportPage();
    QWidget* buildEstimatesPage();
    // The occasion rows as the model holds them.
    void showOccasions();
    // Everything but the occasion rows, which the user may be typing in.
    void showResults();
    void learnRecognition();

    CatalogueWindows* windows_;
    PlatformServices& services_;
    std::unique_ptr<PopulationWindowModel> model_;
    QTabWidget* pages_ = nullptr;
    QLineEdit* pattern_ = nullptr;
    QTableWidget* occasions_ = nullptr;
    QLineEdit* occasionsText_ = nullptr;
    QLabel* summary_ = nullptr;
    QComboBox* format_ = nullptr;
    QLineEdit* species_ = nullptr;
    QLabel* positions_ = nullptr;
    QPushButton* save_ = nullptr;
    QTableWidget* counts_ = nullptr;
    QLineEdit* recognition_ = nullptr;
    QPushButton* learn_ = nullptr;
    QCheckBox* learnInTimeOrder_ = nullptr;
    QLabel* estimates_ = nullptr;
    bool showingOccasions_ = false;
    bool recognitionTyped_ = false;
};

} // namespace korvex
