#pragma once

#include <QWidget>

#include <cstddef>
#include <functional>
#include <optional>

class QListView;
class QPushButton;
class QScrollArea;

namespace korvex {

class MainWindowModel;
class ResultListItemModel;

// The list window: shows the list window model's caption and result list and
// forwards "Close", "Copy to the Clipboard" and double-clicks. It exists only
// while the model says the window exists.
class Form2 : public QWidget {
    Q_OBJECT
public:
    Form2(MainWindowModel& model, QWidget* mainWindow);
    ~Form2() override;

    QListView* list() const { return list1_; }
    QPushButton* closeButton() const { return command1_; }
    QPushButton* copyButton() const { return command2_; }
    // Holds the controls at their design places; it scrolls only where the
    // screen is too small for the design size (433 x 676 pixels), and then
    // the window is as large as the screen's room.
    QScrollArea* scroller() const { return scroller_; }
    // The entry now selected, if any.
    std::optional<std::size_t> selectedRow() const;
    void selectRow(std::size_t row);

    // "Check Candidate" (Enter or the list's context menu) on the selected entry.
    std::function<void(std::optional<std::size_t>)> onCheckCandidate;

    void syncCaption();
    // Moves the window, frame included, to the middle of its screen.
    void centreOnScreen();
    void reloadList();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MainWindowModel& model_;
    ResultListItemModel* items_ = nullptr;
    QListView* list1_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    QScrollArea* scroller_ = nullptr;
};

} // namespace korvex
