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
class CheckWindowModel;
class DigitisingModel;
class PictureRenderer;
class PhotoLoader;

// The check window: the sheet's specimen beside the candidate of a ranked
// line, both with their junctions, and what each seam adds to the distance.
// It shows what the check window model holds and forwards every event to it;
// only reading and drawing the photos are its own.
class CheckWindow : public QWidget {
    Q_OBJECT
public:
    // `sheet` is the main window's sheet, whose junctions the left pane shows
    // on `sheetPicture`, the photo open in the main window, when its values
    // were clicked on it; else the pane shows the photo stored with the
    // sheet's record, read here, or `schemePicture`, the seam scheme.
    CheckWindow(CheckWindowModel& model, const DigitisingModel& sheet,
                std::function<const PictureRenderer&()> sheetPicture,
                std::function<const PictureRenderer&()> schemePicture, QWidget* mainWindow);
    ~CheckWindow() override;

    CheckWindowModel& model() const { return model_; }
    // Shows the model's line (as CheckWindowModel::checkSelected left it),
    // the sheet as it is now, and brings the window forward.
    void showCheck();
    // The next (+1) or previous (-1) ranked line; nothing at either end.
    void step(int delta);
    const std::optional<CandidateCheck>& check() const;

    // "Same Scale": both shells on one vertical midline of equal length.
    void sameScale();
    void fitBoth();

    CheckPane* sheetPane() const { return sheetPane_; }
    // Under the sheet pane's title: which photo it shows, and why.
    QLabel* sheetSource() const { return sheetSays_; }
    CheckPane* candidatePane() const { return candidatePane_; }
    QLabel* summary() const { return summary_; }
    QLabel* sums() const { return sums_; }
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
    // Everything of the line shown, after a new line.
    void showLine();
    void showSheet();
    void showCandidatePhoto();
    // Shows the loader's photo at `path` in `pane` with `entry`'s junctions:
    // `opening` while it is read, `unreadable(error)` when it cannot be, its
    // reduced copy first and then the full photo where the user left the
    // view. `previewShown` follows which photo's reduced copy the pane shows.
    enum class Shown { Waiting, Failed, Sharpened, Set };
    Shown showLoaded(CheckPane* pane, const QString& path, const PhotoEntry& entry,
                     QString& previewShown, const QString& opening,
                     const std::function<QString(const QString& error)>& unreadable);
    void showValues();
    void showChart(QChartView* view, const std::vector<CandidateCheck::Bar>& bars, bool marginal);
    void showHighlight();
    void showStatus();
    void showDecision();
    void prefetchNeighbours();

    CheckWindowModel& model_;
    const DigitisingModel& sheet_;
    std::function<const PictureRenderer&()> sheetPicture_;
    std::function<const PictureRenderer&()> schemePicture_;
    // The record's photo the sheet's pane shows or waits for.
    QString sheetPath_;
    QString sheetPreviewShown_;
    QLabel* sheetSays_ = nullptr;
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
};

} // namespace korvex
