#include "ui/Form2.h"

#include "uilogic/MainWindowModel.h"
#include "ui/QtPlatformServices.h"
#include "ui/ResultListItemModel.h"
#include "ui/WindowFonts.h"
#include "ui/WindowKeys.h"
#include "ui/WindowSize.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace korvex {

namespace {

// Design geometry in pixels (twips / 15) of a client area 6495 x 10140 twips.
constexpr QSize kClientSize(433, 676);
constexpr QRect kListRect(8, 8, 417, 620);
constexpr QRect kCloseRect(288, 636, 137, 25);
constexpr QRect kCopyRect(8, 636, 273, 25);

// A plain top-level QWidget is reported to assistive technology as a filler;
// the list window is a window, named by its caption.
QAccessibleInterface* listWindowAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String(Form2::staticMetaObject.className()) || !object ||
        !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

} // namespace

Form2::Form2(MainWindowModel& model, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), model_(model) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(listWindowAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setObjectName(QStringLiteral("Form2"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowIcon(mainWindow->windowIcon());

    // The controls keep the design's places on a page of the design's size;
    // where the screen has room for it the window is that page, and on a
    // smaller screen the page scrolls in a window the screen can hold.
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("Form2Page"));
    page->setFixedSize(kClientSize);

    items_ = new ResultListItemModel(model_.listWindow().list(), this);
    list1_ = new QListView(page);
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->setAccessibleName(QStringLiteral("List"));
    list1_->setGeometry(kListRect);
    list1_->setModel(items_);
    list1_->setUniformItemSizes(true); // rows are measured once, not 100,000 times
    list1_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list1_->setSelectionMode(QAbstractItemView::SingleSelection);
    // A fixed-pitch face keeps the padded distance columns lined up.
    QFont listFont(QStringLiteral("Courier New"));
    listFont.setStyleHint(QFont::TypeWriter);
    listFont.setPointSizeF(14.25);
    listFont.setBold(true);
    list1_->setFont(listFont);

    command1_ = new QPushButton(QStringLiteral("Close"), page);
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setGeometry(kCloseRect);
    command1_->setFont(WindowFonts::caption());
    command2_ = new QPushButton(QStringLiteral("Copy to the Clipboard"), page);
    command2_->setObjectName(QStringLiteral("Command2"));
    command2_->setGeometry(kCopyRect);
    command2_->setFont(WindowFonts::caption());
    setTabOrder(list1_, command1_);
    setTabOrder(command1_, command2_);
    scroller_ = WindowSize::scrollingArea(page);
    scroller_->setObjectName(QStringLiteral("Form2Scroller"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroller_);
    setFixedSize(WindowSize::scrolledClientSize(this, kClientSize, *scroller_));
    // On a screen too short for the page, showing "Close" (which has the
    // focus) scrolls the top of the list out of sight, and with it the best
    // ranks: the first line in sight would pass for the best match. The list
    // therefore begins where the page is scrolled to, and its lines follow
    // from the first; scrolled back to the top, it has its design's place.
    connect(scroller_->verticalScrollBar(), &QScrollBar::valueChanged, list1_, [this](int top) {
        const int hidden = std::clamp(top - kListRect.top(), 0, kListRect.height() / 2);
        list1_->setGeometry(kListRect.adjusted(0, hidden, 0, 0));
    });
    // An addition: the keys close the window as "Close" does.
    WindowKeys::closeWithKeys(this);

    connect(command1_, &QPushButton::clicked, this, [this] { model_.listWindow().close(); });
    connect(command2_, &QPushButton::clicked, this, [this] { model_.CopyList(); });
    connect(list1_, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        // Only an entry under the pointer is picked; a double-click on the
        // empty part of the list picks nothing.
        if (index.isValid())
            model_.List1_DblClick(std::size_t(index.row()));
    });

    // An addition to the window: its layout and buttons stay as they are, so
    // checking a candidate is a key on the list and an entry of its menu.
    // The list view takes Enter for itself, so the key is caught before it.
    auto* check = new QAction(QStringLiteral("Check Candidate\tEnter"), list1_);
    check->setObjectName(QStringLiteral("checkCandidate"));
    list1_->addAction(check);
    list1_->installEventFilter(this);
    list1_->setContextMenuPolicy(Qt::ActionsContextMenu);
    list1_->setAccessibleDescription(
        QStringLiteral("Enter or the context menu checks the selected candidate"));
    connect(check, &QAction::triggered, this, [this] {
        if (onCheckCandidate)
            onCheckCandidate(selectedRow());
    });

    syncCaption();
    centreOnScreen();
}

bool Form2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list1_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // Only on a ranked line: elsewhere (the codes of Select Record) Enter
        // keeps doing what it did, nothing.
        const auto row = selectedRow();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && onCheckCandidate && row &&
            ComparisonRun::recordOfRankedLine(model_.comparison(),
                                              std::as_const(model_.listWindow()).list(), *row)) {
            onCheckCandidate(row);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

std::optional<std::size_t> Form2::selectedRow() const {
    const QModelIndex current = list1_->currentIndex();
    if (!current.isValid() || !list1_->selectionModel()->isSelected(current))
        return std::nullopt;
    return std::size_t(current.row());
}

void Form2::selectRow(std::size_t row) {
    const QModelIndex index = items_->index(int(row), 0);
    if (index.isValid())
        list1_->setCurrentIndex(index);
}

void Form2::centreOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // A window cut down to the screen's room is centred in that room, so
    // that no panel of the desktop covers its caption or its buttons.
    const QRect area = size() == kClientSize ? screen->geometry() : screen->availableGeometry();
    const QSize outer = frameGeometry().size();
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
}

Form2::~Form2() = default;

void Form2::syncCaption() {
    setWindowTitle(QtPlatformServices::displayText(model_.listWindow().caption()));
}

void Form2::reloadList() {
    items_->reload();
}

void Form2::closeEvent(QCloseEvent* event) {
    // The close box does what "Close" does; the main window then deletes us.
    event->accept();
    if (model_.listWindow().exists())
        model_.listWindow().close();
}

} // namespace korvex
