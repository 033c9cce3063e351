#pragma once

#include "model/Decision.h"
#include "model/PhotoEntry.h"
#include "uilogic/CandidateCheck.h"

#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QChartView;
class QLabel;
class QPushButton;
class QTableWidget;

namespace korvex {

class CheckPane;
class MainWindowModel;
class PictureRenderer;
class PhotoLoader;

// The check window: the sheet's specimen beside the candidate of a ranked
// line, both with their junctions, and what each seam adds to the distance.
// Page Down and Page Up step through the ranked lines.
class CheckWindow : public QWidget {
    Q_OBJECT
public:
    // `sheetPicture` is what the main window shows: the open photo or the scheme.
    CheckWindow(MainWindowModel& model, std::function<const PictureRenderer&()> sheetPicture,
                QWidget* mainWindow);
    ~CheckWindow() override;

    // Shows `check` (from MainWindowModel::CheckCandidate) and brings the
    // window forward.
    void showCheck(const CandidateCheck& check);
    // The next (+1) or previous (-1) ranked line; nothing at either end.
    void step(int delta);
    const std::optional<CandidateCheck>& check() const { return check_; }

    // "Same Scale": both shells on one vertical midline of equal length.
    void sameScale();
    void fitBoth();

    CheckPane* sheetPane() const { return sheetPane_; }
    CheckPane* candidatePane() const { return candidatePane_; }
    QLabel* summary() const { return summary_; }
    QLabel* status() const { return status_; }
    QTableWidget* values() const { return values_; }
    QChartView* marginalChart() const { return marginalChart_; }
    QChartView* centralChart() const { return centralChart_; }
    PhotoLoader& loader() const { return *loader_; }
    // Highlights the seams of bar `index` of the marginal (D1) or central
    // (D2) chart on both photos, as hovering over it does; -1 clears.
    void hoverBar(bool marginal, int index);

    // The list or the data changed: stepping and deciding stay possible only
    // while the check is still of the list shown.
    void syncValidity();
    // "Same Animal", "Different Animal" or "Unsure" on the pair shown.
    void decide(Verdict verdict);
    QLabel* decision() const { return decision_; }
    QPushButton* verdictButton(Verdict verdict) const;

    // The ranked line now shown changed (the list window follows it).
    std::function<void(std::size_t position)> onPositionChanged;
    // A decision was logged; "Decisions" asks for the log.
    std::function<void()> onDecided;
    std::function<void()> onShowDecisions;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showSheet();
    void showCandidatePhoto();
    void showValues();
    void showChart(QChartView* view, const std::vector<CandidateCheck::Bar>& bars, bool marginal);
    void highlight(const std::vector<std::size_t>& seams);
    void showDecision();
    void prefetchNeighbours();

    MainWindowModel& model_;
    std::function<const PictureRenderer&()> sheetPicture_;
    std::optional<CandidateCheck> check_;
    PhotoLoader* loader_ = nullptr;
    QString candidatePath_;
    // The candidate photo whose reduced copy the pane shows, until the full one comes.
    QString previewShown_;
    QLabel* summary_ = nullptr;
    QLabel* sheetTitle_ = nullptr;
    QLabel* candidateTitle_ = nullptr;
    CheckPane* sheetPane_ = nullptr;
    CheckPane* candidatePane_ = nullptr;
    QChartView* marginalChart_ = nullptr;
    QChartView* centralChart_ = nullptr;
    QLabel* sums_ = nullptr;
    QTableWidget* values_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* previous_ = nullptr;
    QPushButton* next_ = nullptr;
    QLabel* decision_ = nullptr;
    std::array<QPushButton*, 3> verdicts_{};
    // The seams picked by clicking a bar or a row stay lit when the pointer leaves.
    std::vector<std::size_t> picked_;
    // "Same Scale" was chosen last (not "Fit"): each new candidate is framed so too.
    bool sameScale_ = false;
    double sameScaleLength_ = 0.0;
};

} // namespace korvex
