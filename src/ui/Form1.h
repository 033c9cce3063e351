#pragma once

#include "uilogic/CheckWindowModel.h"
#include "uilogic/DigitisingModel.h"
#include "uilogic/MainWindowModel.h"
#include "ui/PictureRenderer.h"
#include "ui/QtPlatformServices.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace korvex {

class PictureArea;

class Form2;
class CheckWindow;

// The main window. It displays the main-window model and forwards every user
// event to it; no rule of the program lives here.
class Form1 : public QMainWindow, private DigitisingListener, private ListWindowListener {
    Q_OBJECT
public:
    // `services` replaces the Qt platform services (tests answer dialogs with it).
    explicit Form1(std::unique_ptr<QtPlatformServices> services = {}, QWidget* parent = nullptr);
    ~Form1() override;

    // Clears the clipboard, shows the window and sizes the picture area.
    void startUp();

    MainWindowModel& model() { return model_; }
    PictureArea* pictureArea() const { return pictureArea_; }
    QLineEdit* box(SeamGroupId group, std::size_t index) const;
    QLabel* seamLabel(SeamGroupId group, std::size_t index) const;
    QCheckBox* check(int number) const { return checks_.at(std::size_t(number)); }
    QPushButton* command(int number) const { return commands_.at(std::size_t(number)); }
    // The list window while it exists.
    Form2* listWindow() const { return form2_; }
    // The check window once a candidate was checked.
    CheckWindow* checkWindow() const { return checkWindow_; }
    // "Check Candidate" on the list window's entry at `selected`.
    void checkCandidate(std::optional<std::size_t> selected);
    // Menu entries by array and index, e.g. ("open", 0).
    QAction* menuEntry(const QString& array, int index) const;
    // The status line saying what the next click on the picture does.
    QLabel* nextClickLine() const { return nextClick_; }
    // Over the picture, while the photo open is damaged, how it is.
    QLabel* damageNote() const { return damage_; }
    // The left column scrolls on a screen too short for it.
    QScrollArea* leftColumnScroller() const { return leftScroller_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLeftColumn(QVBoxLayout* column);
    // The column's width, and the scroll bar's while it shows.
    void fitScrollerWidth();
    void buildSite(QVBoxLayout* column, const QString& imageName, const QString& imageResource,
                   SeamGroupId marginal, SeamGroupId central);
    void buildHiddenGroup(SeamGroupId group);
    void buildMenus();
    // The "Photo" menu: showing the junctions, undoing a click, a record's
    // photo, a new chain, the whole photo.
    void buildPhotoMenu();
    void buildJunctionEditing(QMenu* photo);
    void updateZoomStepLine();
    // The "Catalogue" menu: evaluating the matching, checking the catalogue and
    // the log of decisions.
    void buildCatalogueMenu();
    // The "Help" menu, last: the guide and the About box.
    void buildHelpMenu();
    QAction* addEntry(class QMenu* menu, const QString& array, int index, const QString& caption,
                      void (MainWindowModel::*handler)(int));
    QLabel* addLabel1(int index, const QString& caption);
    QPushButton* addCommand(int number, const QString& caption);
    QCheckBox* addCheck(int number, const QString& caption);

    void syncAll();
    void syncDisplay();
    void syncBox(SeamGroupId group, std::size_t index);
    void syncLabels(SeamGroupId group);
    // The status line and the marks on the boxes of a group that mixes zoom scales.
    void syncNextClick();
    void syncDamageNote();

    // DigitisingListener
    void boxTextChanged(SeamGroupId group, std::size_t index) override;
    void focusMoved(SeamGroupId group, std::size_t index) override;
    void checkChanged(int box) override;
    void labelsChanged(SeamGroupId group) override;
    void commandEnabledChanged(SeamGroupId group) override;
    void pictureReplaced(const Picture& picture) override;
    void pictureGeometryChanged() override;
    void repaintRequested() override;
    void captionChanged() override;
    void pointerShapeChanged() override;
    void dragModeChanged() override;

    // ListWindowListener
    void listWindowCreated() override;
    void listWindowClosed() override;
    void listCaptionChanged() override;
    void listChanged() override;
    void listWindowShown() override;

    std::unique_ptr<QtPlatformServices> services_;
    Form2* form2_ = nullptr;
    CheckWindow* checkWindow_ = nullptr;
    MainWindowModel model_;
    CheckWindowModel checkModel_;
    PictureArea* pictureArea_ = nullptr;
    QLabel* zoomStepLine_ = nullptr;
    // The seam scheme, for the check window when no photo belongs to the sheet.
    PictureRenderer scheme_;
    QWidget* pictureFrame_ = nullptr;
    QScrollArea* leftScroller_ = nullptr;
    std::array<std::vector<QLineEdit*>, kSeamGroupCount> boxes_;
    std::array<std::vector<QLabel*>, kSeamGroupCount> seamLabels_;
    std::array<QCheckBox*, DigitisingModel::kCheckBoxCount + 1> checks_{};
    std::array<QPushButton*, MainWindowModel::kLastCommand + 1> commands_{};
    QLabel* label2_ = nullptr;
    QLabel* label3_ = nullptr;
    QLabel* label4_ = nullptr;
    QLabel* nextClick_ = nullptr;
    QLabel* damage_ = nullptr;
    QLabel* origin_ = nullptr;
    // Which groups' boxes are marked as mixing zoom scales.
    std::array<bool, kSeamGroupCount> mixedShown_{};
    // The sites stand side by side on a short screen.
    bool compact_ = false;
    // Set while a box shows the model's text, which must not be written back.
    bool showingModel_ = false;
};

} // namespace korvex
