#include "ui/Form1.h"

#include "ui/AboutWindow.h"
#include "ui/CatalogueWindows.h"
#include "ui/CheckWindow.h"
#include "ui/DecisionsWindow.h"
#include "ui/EncountersWindow.h"
#include "ui/Form2.h"
#include "ui/GuideWindow.h"
#include "ui/MeasureAgainBar.h"
#include "ui/OwnedWindow.h"
#include "ui/PictureArea.h"
#include "ui/PopulationWindow.h"
#include "ui/QtPicture.h"
#include "ui/QtPlatformServices.h"
#include "ui/SvgPicture.h"
#include "ui/WindowFonts.h"
#include "ui/WindowSize.h"
#include "uilogic/Coordinates.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace korvex {

namespace {

using Coordinates::pixelsToTwips;
using Coordinates::twipsToPixels;

constexpr int kRowPitch = 20; // 300 twips between sheet rows
constexpr int kBoxWidth = 78;
constexpr int kLabelWidth = 34;      // room for "M16" and "C12" in bold
constexpr int kSiteImageWidth = 153; // a 2295 x 1455 twips frame
constexpr int kSiteImageHeight = 97;
// Design size of the client area, 15135 x 14460 twips.
constexpr int kDesignWidth = 1009;
constexpr int kDesignHeight = 964;

// The side-by-side column needs this much width to leave the picture room.
constexpr int kCompactMinimumWidth = 1024;

// A laptop screen too short for the design height with the sites one above
// the other, but wide enough to set them side by side.
bool isShortScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return false;
    const QSize available = screen->availableGeometry().size();
    return available.height() < kDesignHeight + WindowSize::kTitleBarAllowance &&
           available.width() >= kCompactMinimumWidth;
}

QString fromBytes(const std::string& text) {
    return QtPlatformServices::displayText(text);
}

QString indexed(const QString& array, int index) {
    return QStringLiteral("%1(%2)").arg(array).arg(index);
}

// A note beside the picture, hidden until it has something to say: plain
// text, wrapped rather than cut or widening the window on a small screen.
QLabel* pictureNote(const QString& name, const QString& accessibleName) {
    auto* note = new QLabel;
    note->setObjectName(name);
    if (!accessibleName.isEmpty())
        note->setAccessibleName(accessibleName);
    note->setTextFormat(Qt::PlainText);
    note->setWordWrap(true);
    note->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    note->hide();
    return note;
}

QFrame* rule(const QString& name) {
    auto* line = new QFrame;
    line->setObjectName(name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

Form1::Form1(std::unique_ptr<QtPlatformServices> services, QWidget* parent)
    : QMainWindow(parent),
      services_(services ? std::move(services) : std::make_unique<QtPlatformServices>()),
      model_(*services_), checkModel_(model_, *services_), compact_(isShortScreen()) {
    services_->setWindow(this);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromLatin1(MainWindowModel::kTitle));
    setWindowIcon(QIcon(QStringLiteral(":/korvex.svg")));

    auto* central = new QWidget;
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(6, 4, 0, 0);
    row->setSpacing(8);

    auto* leftColumn = new QWidget;
    leftColumn->setObjectName(QStringLiteral("LeftColumn"));
    auto* column = new QVBoxLayout(leftColumn);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(3);
    buildLeftColumn(column);
    leftColumn->setFixedSize(leftColumn->sizeHint());
    // On a screen too short for the column it scrolls, so that every control
    // stays reachable; where it fits, no scroll bar shows and nothing moves.
    leftScroller_ = WindowSize::scrollingArea(leftColumn);
    leftScroller_->setObjectName(QStringLiteral("LeftColumnScroller"));
    leftScroller_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    leftScroller_->verticalScrollBar()->installEventFilter(this);
    fitScrollerWidth();
    row->addWidget(leftScroller_);

    // The picture area clips Picture1, which keeps the size the model gives it.
    pictureFrame_ = new QWidget;
    pictureFrame_->setObjectName(QStringLiteral("PictureFrame"));
    pictureFrame_->setAutoFillBackground(true);
    QPalette white = pictureFrame_->palette();
    white.setColor(QPalette::Window, Qt::white);
    pictureFrame_->setPalette(white);
    pictureFrame_->setMinimumWidth(200);
    // Over the picture, while the photo open is damaged, how it is: a photo
    // cut short opens with its missing part grey, which must not pass for
    // the shell. It says so without stopping the user, for as long as the
    // photo is open, and wraps rather than being cut on a small screen.
    damage_ = pictureNote(QStringLiteral("photoDamage"), QString());
    damage_->setStyleSheet(QStringLiteral("QLabel { color: rgb(160, 0, 0); font-weight: bold; }"));
    // Where the values of a record opened on its photo came from, when not
    // all were clicked on the picture as shown.
    origin_ =
        pictureNote(QStringLiteral("photoOrigin"), QStringLiteral("Where the values came from"));
    auto* right = new QVBoxLayout;
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(2);
    right->addWidget(damage_);
    right->addWidget(origin_);
    right->addWidget(pictureFrame_, 1);
    // A line read by assistive technology while a group's clicks span a zoom
    // step. Under the picture, so that showing it never moves the photo
    // under the pointer, and wrapped: beside the menus it pushed them off
    // the bar of a small window.
    zoomStepLine_ = pictureNote(QStringLiteral("zoomStepLine"), QStringLiteral("Zoom step"));
    right->addWidget(zoomStepLine_);
    row->addLayout(right, 1);
    pictureArea_ = new PictureArea(model_.digitising(), pictureFrame_);
    pictureArea_->move(0, 0);
    // What the frame shows of the viewport bounds fitting and wheel zooming.
    pictureFrame_->installEventFilter(this);
    // The scheme is drawn at twice its natural size so that zooming into it stays sharp.
    const QImage scheme =
        SvgPicture::render(QStringLiteral(":/seam-scheme.svg"),
                           QSize(int(twipsToPixels(MainWindowModel::kSchemeWidth)) * 2,
                                 int(twipsToPixels(MainWindowModel::kSchemeHeight)) * 2));
    pictureArea_->setPicture(scheme);
    scheme_.setImage(scheme);

    setCentralWidget(central);
    // A chain left under way measures its next length from a point the user
    // may have forgotten: the line says what the next click does.
    nextClick_ = new QLabel;
    nextClick_->setObjectName(QStringLiteral("nextClick"));
    nextClick_->setTextFormat(Qt::PlainText);
    // A long warning is cut at the window's edge rather than widening it
    // beyond a small screen; its tooltip and assistive technology have it whole.
    nextClick_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->addWidget(nextClick_, 1);
    statusBar()->setSizeGripEnabled(false);
    buildMenus();
    buildPhotoMenu();
    buildCatalogueMenu();
    buildHelpMenu();
    buildHiddenGroup(SeamGroupId::LeftCentral2);
    buildHiddenGroup(SeamGroupId::RightCentral2);

    model_.digitising().setListener(this);
    model_.listWindow().setListener(this);
    model_.onFocusMainWindow = [this] {
        raise();
        activateWindow();
    };
    model_.onCloseRequested = [this] {
        close();
    };
    model_.onPhotoChanged = [this] {
        syncDamageNote();
    };
    model_.onDisplayChanged = [this] {
        syncDisplay();
        if (checkWindow_)
            checkWindow_->syncValidity();
    };
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (!now || !now->property("korvexGroup").isValid())
            model_.digitising().focusLeftSheet();
    });

    QSize size(kDesignWidth, kDesignHeight + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize available = screen->availableGeometry().size();
        // On a short screen the window takes the whole screen, its title bar
        // included; the wider column leaves the picture the rest.
        const QSize screenRoom = WindowSize::clientRoom(*screen);
        if (compact_)
            size = screenRoom;
        // On a screen smaller than the design the window, its frame included,
        // still fits; the column scrolls (the design's sizes stay as they are).
        else if (size.width() > screenRoom.width() || size.height() > screenRoom.height())
            size = size.boundedTo(screenRoom);
        size = size.boundedTo(available);
    }
    resize(size);
    syncAll();
}

Form1::~Form1() {
    // The base class hides the window after our members are gone, and hiding
    // moves the focus: stop hearing about it first.
    disconnect(qApp, nullptr, this, nullptr);
    model_.digitising().setListener(nullptr);
}

void Form1::startUp() {
    model_.StartUp([this] {
        show();
        repaint();
        QWidget* central = centralWidget();
        const QPoint viewport = pictureArea_->mapTo(central, QPoint(0, 0));
        MainWindowModel::WindowMetrics m;
        m.outerWidth = pixelsToTwips(float(frameGeometry().width()));
        m.innerHeight = pixelsToTwips(float(central->height()));
        m.viewportLeft = pixelsToTwips(float(viewport.x()));
        m.viewportTop = pixelsToTwips(float(viewport.y()));
        return m;
    });
    syncAll();
}

// --- building the window ----------------------------------------------------------------

namespace {

// A control of the sheet named `name`, its caption in the window's caption
// font; the caller lays it out and connects it.
template <class Control> Control* captioned(const QString& name, const QString& caption) {
    auto* control = new Control(caption);
    control->setObjectName(name);
    control->setFont(WindowFonts::caption());
    return control;
}

} // namespace

QLabel* Form1::addLabel1(int index, const QString& caption) {
    return captioned<QLabel>(indexed(QStringLiteral("Label1"), index), caption);
}

QPushButton* Form1::addCommand(int number, const QString& caption) {
    auto* button = captioned<QPushButton>(QStringLiteral("Command%1").arg(number), caption);
    commands_.at(std::size_t(number)) = button;
    connect(button, &QPushButton::clicked, this, [this, number] { model_.Command_Click(number); });
    return button;
}

QCheckBox* Form1::addCheck(int number, const QString& caption) {
    auto* box = captioned<QCheckBox>(QStringLiteral("Check%1").arg(number), caption);
    checks_.at(std::size_t(number)) = box;
    connect(box, &QCheckBox::clicked, this, [this, number](bool on) {
        model_.digitising().setChecked(number, on);
        checkChanged(number); // a nested handler may have unticked it again
    });
    return box;
}

void Form1::buildLeftColumn(QVBoxLayout* column) {
    auto heading = [this](int index, const QString& caption) {
        QLabel* label = addLabel1(index, caption);
        label->setStyleSheet(QStringLiteral("color: rgb(128, 0, 0);"));
        return label;
    };

    column->addWidget(heading(9, QStringLiteral("Image:")));
    auto* tools = new QHBoxLayout;
    tools->addWidget(addCheck(DigitisingModel::kZoomBox, QStringLiteral("&Zoom")));
    tools->addWidget(addCheck(DigitisingModel::kDragBox, QStringLiteral("&Drag and Drop")));
    tools->addStretch();
    column->addLayout(tools);
    column->addWidget(rule(QStringLiteral("Line1")));

    // On a short screen the two sites stand side by side, so that the sheet
    // and "Loaded data:" fit in sight; the buttons below may still need the
    // column's scroll bar (at 1024 x 600 they do).
    auto* sites = new QBoxLayout(compact_ ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
    sites->setSpacing(compact_ ? 8 : 3);
    auto site = [&](int headingIndex, const QString& caption, const QString& imageName,
                    const QString& imageResource, SeamGroupId marginal, SeamGroupId central) {
        auto* layout = new QVBoxLayout;
        layout->setSpacing(3);
        layout->addWidget(heading(headingIndex, caption));
        buildSite(layout, imageName, imageResource, marginal, central);
        layout->addStretch();
        sites->addLayout(layout);
    };
    site(10, QStringLiteral("Left site:"), QStringLiteral("Image3"),
         QStringLiteral(":/shell-left.svg"), SeamGroupId::LeftMarginal, SeamGroupId::LeftCentral);
    QFrame* between = rule(QStringLiteral("Line2"));
    if (compact_)
        between->setFrameShape(QFrame::VLine);
    sites->addWidget(between);
    site(11, QStringLiteral("Right site:"), QStringLiteral("Image2"),
         QStringLiteral(":/shell-right.svg"), SeamGroupId::RightMarginal,
         SeamGroupId::RightCentral);
    column->addLayout(sites);

    column->addWidget(
        addCommand(MainWindowModel::ClearSheetCommand, QStringLiteral("Clea&r the Sheet")));
    column->addWidget(rule(QStringLiteral("Line3")));

    column->addWidget(heading(8, QStringLiteral("Loaded data:")));
    auto* countRow = new QHBoxLayout;
    QLabel* countCaption =
        addLabel1(16, QStringLiteral("No. of sampled individuals to be compared:"));
    countCaption->setWordWrap(true);
    countCaption->setFixedWidth(2 * kBoxWidth + 60);
    label2_ = new QLabel;
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setFont(WindowFonts::plain(9.0));
    label2_->setTextFormat(Qt::PlainText); // a file's count line is shown as it was read
    label2_->setAccessibleName(QStringLiteral("No. of sampled individuals to be compared:"));
    countRow->addWidget(countCaption);
    countRow->addWidget(label2_, 0, Qt::AlignBottom);
    countRow->addStretch();
    column->addLayout(countRow);

    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(addLabel1(17, QStringLiteral("Record No.")));
    QPushButton* previous = addCommand(MainWindowModel::PreviousRecordCommand, QStringLiteral("-"));
    QPushButton* next = addCommand(MainWindowModel::NextRecordCommand, QStringLiteral("+"));
    for (QPushButton* square : {previous, next}) {
        square->setFont(QFont());
        square->setFixedSize(24, 24);
    }
    previous->setAccessibleName(QStringLiteral("Previous record"));
    next->setAccessibleName(QStringLiteral("Next record"));
    label3_ = new QLabel;
    label3_->setObjectName(QStringLiteral("Label3"));
    label3_->setFont(WindowFonts::plain(9.0));
    label3_->setTextFormat(Qt::PlainText);
    label3_->setAlignment(Qt::AlignCenter);
    label3_->setMinimumWidth(40);
    label3_->setAccessibleName(QStringLiteral("Record No."));
    numberRow->addWidget(previous);
    numberRow->addWidget(label3_);
    numberRow->addWidget(next);
    numberRow->addStretch();
    column->addLayout(numberRow);

    label4_ = new QLabel;
    label4_->setObjectName(QStringLiteral("Label4"));
    label4_->setFont(WindowFonts::plain(8.25));
    label4_->setAccessibleName(QStringLiteral("Identification code"));
    label4_->setTextFormat(Qt::PlainText);
    column->addWidget(label4_);

    column->addWidget(
        addCommand(MainWindowModel::AppendRecordCommand, QStringLiteral("&Append to the List")));
    column->addWidget(
        addCommand(MainWindowModel::SaveRecordCommand, QStringLiteral("Save to the Clip&board")));
    column->addWidget(
        addCommand(MainWindowModel::FillSheetCommand, QStringLiteral("F&ill from the Clipboard")));
    column->addStretch();
}

void Form1::buildSite(QVBoxLayout* column, const QString& imageName, const QString& imageResource,
                      SeamGroupId marginal, SeamGroupId central) {
    auto* image = new QLabel;
    image->setObjectName(imageName);
    image->setFixedSize(kSiteImageWidth, kSiteImageHeight);
    image->setPixmap(QPixmap::fromImage(
        SvgPicture::render(imageResource, QSize(kSiteImageWidth, kSiteImageHeight))));
    image->setScaledContents(true);
    column->addWidget(image);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(0);
    const SeamGroup& m = seamGroup(marginal);
    const SeamGroup& c = seamGroup(central);
    grid->addWidget(addCheck(m.modeSwitch, QStringLiteral("&Marginal")), 0, 0, 1, 2);
    grid->addWidget(addCheck(c.modeSwitch, QStringLiteral("Ce&ntral")), 0, 3, 1, 2);

    auto addGroup = [&](const SeamGroup& g, int col) {
        const auto slot = std::size_t(g.id);
        for (std::size_t i = 0; i < g.count; ++i) {
            auto* label =
                captioned<QLabel>(indexed(QString::fromLatin1(g.labelArray), int(i)), QString());
            label->setMinimumWidth(kLabelWidth);
            auto* box = new QLineEdit;
            box->setObjectName(indexed(QString::fromLatin1(g.textArray), int(i)));
            box->setFixedSize(kBoxWidth, kRowPitch);
            box->setProperty("korvexGroup", int(g.id));
            box->setProperty("korvexIndex", int(i));
            box->installEventFilter(this);
            label->setBuddy(box);
            // Text reaches a box by typing, paste, drop, undo, assistive
            // technology or setText; each must reach the sheet, or the box
            // would show a value that is not stored.
            connect(box, &QLineEdit::textChanged, this, [this, id = g.id, i](const QString& text) {
                if (showingModel_ || text == fromBytes(model_.digitising().sheet().cell(id, i)))
                    return; // the model's own text: its bytes stay as they are
                model_.digitising().setBoxText(id, i, text.toStdString());
            });
            grid->addWidget(label, int(i) + 1, col);
            grid->addWidget(box, int(i) + 1, col + 1);
            seamLabels_[slot].push_back(label);
            boxes_[slot].push_back(box);
        }
        grid->addWidget(addCommand(g.command, QStringLiteral("S&tandardize")), int(g.count) + 1,
                        col, 1, 2);
    };
    addGroup(m, 0);
    grid->setColumnMinimumWidth(2, 10);
    addGroup(c, 3);
    grid->setRowMinimumHeight(int(c.count) + 1, kRowPitch);
    column->addLayout(grid);
}

void Form1::buildHiddenGroup(SeamGroupId group) {
    // The "Central 2" groups keep their values for the data file but are never shown.
    const SeamGroup& g = seamGroup(group);
    auto* holder = new QWidget(this);
    holder->setObjectName(QStringLiteral("Central2_%1").arg(g.textArray.back()));
    holder->hide();
    auto* layout = new QVBoxLayout(holder);
    layout->addWidget(addCheck(g.modeSwitch, QString::fromLatin1(g.modeCaption)));
    for (std::size_t i = 0; i < g.count; ++i) {
        auto* box = new QLineEdit;
        box->setObjectName(indexed(QString::fromLatin1(g.textArray), int(i)));
        layout->addWidget(box);
        boxes_[std::size_t(group)].push_back(box);
    }
    layout->addWidget(addCommand(g.command, QString::fromLatin1(g.commandCaption)));
}

QAction* Form1::addEntry(QMenu* menu, const QString& array, int index, const QString& caption,
                         void (MainWindowModel::*handler)(int)) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(indexed(array, index));
    connect(action, &QAction::triggered, this,
            [this, handler, index] { (model_.*handler)(index); });
    return action;
}

void Form1::buildMenus() {
    using M = MainWindowModel;
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("&File"));
    file->menuAction()->setObjectName(indexed(QStringLiteral("file"), M::FileMenu));
    addEntry(file, QStringLiteral("open"), M::OpenPictureEntry,
             QStringLiteral("&Open Image of Tortoise Korvex"), &MainWindowModel::open_Click);
    QMenu* load = file->addMenu(QStringLiteral("&Load Data"));
    load->menuAction()->setObjectName(indexed(QStringLiteral("open"), M::LoadDataEntry));
    addEntry(load, QStringLiteral("load"), M::LoadFromClipboard, QStringLiteral("from &Clipboard"),
             &MainWindowModel::load_Click);
    addEntry(load, QStringLiteral("load"), M::LoadFromFile, QStringLiteral("from &File"),
             &MainWindowModel::load_Click);
    QMenu* save = file->addMenu(QStringLiteral("&Save Data"));
    save->menuAction()->setObjectName(indexed(QStringLiteral("open"), M::SaveDataEntry));
    addEntry(save, QStringLiteral("save"), M::SaveToClipboard, QStringLiteral("to &Clipboard"),
             &MainWindowModel::save_Click);
    addEntry(save, QStringLiteral("save"), M::SaveToFile, QStringLiteral("to &File"),
             &MainWindowModel::save_Click);
    file->addSeparator()->setObjectName(indexed(QStringLiteral("open"), M::EndSeparator));
    addEntry(file, QStringLiteral("open"), M::EndEntry, QStringLiteral("&End"),
             &MainWindowModel::open_Click);

    QMenu* compare = bar->addMenu(QStringLiteral("&Compare"));
    compare->menuAction()->setObjectName(indexed(QStringLiteral("file"), M::CompareMenu));
    addEntry(compare, QStringLiteral("comp"), MainWindowModel::MarginalD1,
             QStringLiteral("&Marginal Seams (D1)"), &MainWindowModel::comp_Click);
    addEntry(compare, QStringLiteral("comp"), MainWindowModel::CentralD2,
             QStringLiteral("&Central Seams (D2)"), &MainWindowModel::comp_Click);
    addEntry(compare, QStringLiteral("comp"), MainWindowModel::Combined,
             QStringLiteral("Marginal &and Central Seams (D)"), &MainWindowModel::comp_Click)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));

    QMenu* fill = bar->addMenu(QStringLiteral("Fill the &Sheet"));
    fill->menuAction()->setObjectName(indexed(QStringLiteral("file"), M::FillSheetMenu));
    // No Ctrl+C here: it would take copying away from the sheet boxes.
    addEntry(fill, QStringLiteral("aha"), M::SelectRecord, QStringLiteral("Select &Record"),
             &MainWindowModel::aha_Click);

    // Carried in the menu bar but switched off: nothing in the window enables them.
    for (auto [index, caption] :
         {std::pair{M::AllPairsEntry, QStringLiteral("auto")},
          std::pair{M::DistributionEntry, QStringLiteral("Generate distribution")}}) {
        QAction* action = bar->addAction(caption);
        action->setObjectName(indexed(QStringLiteral("file"), index));
        action->setEnabled(false);
    }
}

void Form1::buildPhotoMenu() {
    // A menu of its own: nothing here changes what the other menus do.
    QMenu* photo = menuBar()->addMenu(QStringLiteral("&Photo"));
    photo->menuAction()->setObjectName(QStringLiteral("photoMenu"));

    QAction* show = photo->addAction(QStringLiteral("Show &Junctions"));
    show->setObjectName(QStringLiteral("photoShowJunctions"));
    show->setCheckable(true);
    show->setChecked(pictureArea_->junctionsShown());
    connect(show, &QAction::toggled, pictureArea_, &PictureArea::setJunctionsShown);

    // The focus stands in a sheet box while digitising, so the shortcut must
    // be one a line edit does not take: not Ctrl+Z, Ctrl+Backspace or Ctrl+U.
    QAction* undo = photo->addAction(QStringLiteral("&Undo Last Click"));
    undo->setObjectName(QStringLiteral("photoUndoClick"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_J));
    connect(undo, &QAction::triggered, this, [this] { model_.digitising().undoLastClick(); });

    QAction* open = photo->addAction(QStringLiteral("&Open the Record's Photo"));
    open->setObjectName(QStringLiteral("photoOpenRecord"));
    connect(open, &QAction::triggered, this, [this] { model_.OpenRecordPhoto(); });

    photo->addSeparator();
    // Escape is taken only over the picture (keyPressEvent), so the menu
    // names it without owning it.
    QAction* newChain = photo->addAction(QStringLiteral("Start a &New Chain\tEsc"));
    newChain->setObjectName(QStringLiteral("photoNewChain"));
    connect(newChain, &QAction::triggered, this, [this] { model_.digitising().endChain(); });

    QAction* whole = photo->addAction(QStringLiteral("Fit the &Whole Photo"));
    whole->setObjectName(QStringLiteral("photoFitWhole"));
    whole->setToolTip(QStringLiteral("Ctrl + wheel over the photo zooms about the pointer"));
    connect(whole, &QAction::triggered, this, [this] { model_.digitising().fitWhole(); });
    buildJunctionEditing(photo);
}

void Form1::buildJunctionEditing(QMenu* photo) {
    photo->addSeparator();
    // Its own entry, so the drag and zoom tools keep their meaning.
    QAction* move = photo->addAction(QStringLiteral("&Move Junctions"));
    move->setObjectName(QStringLiteral("photoMoveJunctions"));
    move->setCheckable(true);
    connect(move, &QAction::toggled, pictureArea_, &PictureArea::setMovingJunctions);

    QAction* measure = photo->addAction(QStringLiteral("Measure &from the Junctions"));
    measure->setObjectName(QStringLiteral("photoMeasureJunctions"));
    connect(measure, &QAction::triggered, this, [this] {
        for (SeamGroupId group : kLabelledGroups)
            model_.digitising().measureFromJunctions(group);
        updateZoomStepLine();
    });

    QAction* snap = photo->addAction(QStringLiteral("&Snap Clicks to Seams"));
    snap->setObjectName(QStringLiteral("photoSnapClicks"));
    snap->setCheckable(true);
    snap->setChecked(QSettings().value(QStringLiteral("photo/snapClicks"), false).toBool());
    pictureArea_->setSnapping(snap->isChecked());
    connect(snap, &QAction::toggled, this, [this](bool on) {
        pictureArea_->setSnapping(on);
        QSettings().setValue(QStringLiteral("photo/snapClicks"), on);
    });

    connect(pictureArea_, &PictureArea::pointerHandled, this, &Form1::updateZoomStepLine);
    connect(photo, &QMenu::triggered, this, &Form1::updateZoomStepLine);
}

namespace {

// "M1-M8", "C7-C12": the seams of a group as its labels name them.
QString zoomStepGroupName(SeamGroupId id) {
    const SeamGroup& g = seamGroup(id);
    const QChar letter = QLatin1Char(g.seamLetter);
    return QStringLiteral("%1%2\u2013%1%3")
        .arg(letter)
        .arg(g.firstSeamNumber)
        .arg(g.firstSeamNumber + static_cast<int>(g.count) - 1);
}

} // namespace

void Form1::updateZoomStepLine() {
    QStringList groups;
    for (SeamGroupId group : kLabelledGroups)
        if (model_.digitising().mixesScales(group))
            groups << zoomStepGroupName(group);
    const bool shown = !groups.isEmpty();
    if (shown) {
        const QString text =
            QStringLiteral(
                "Clicked across a zoom step: %1. Photo \u203a Measure from the Junctions "
                "measures every seam in photo pixels.")
                .arg(groups.join(QStringLiteral(", ")));
        zoomStepLine_->setText(text);
        zoomStepLine_->setAccessibleDescription(text);
    }
    zoomStepLine_->setVisible(shown);
}

void Form1::buildCatalogueMenu() {
    // A menu of its own: the checks run on a copy of the data set, off this thread.
    auto* windows = new CatalogueWindows(this, *services_, model_);
    windows->setObjectName(QStringLiteral("catalogueWindows"));
    QMenu* catalogue = menuBar()->addMenu(QStringLiteral("Cata&logue"));
    catalogue->menuAction()->setObjectName(QStringLiteral("catalogueMenu"));

    QAction* evaluate = catalogue->addAction(QStringLiteral("&Evaluate Matching"));
    evaluate->setObjectName(QStringLiteral("catalogueEvaluate"));
    connect(evaluate, &QAction::triggered, windows,
            [windows] { windows->start(CatalogueCommands::Command::Evaluate); });

    QAction* check = catalogue->addAction(QStringLiteral("Check the &Catalogue"));
    check->setObjectName(QStringLiteral("catalogueCheck"));
    connect(check, &QAction::triggered, windows,
            [windows] { windows->start(CatalogueCommands::Command::Check); });

    catalogue->addSeparator();
    QAction* candidate = catalogue->addAction(QStringLiteral("Check Ca&ndidate"));
    candidate->setObjectName(QStringLiteral("catalogueCheckCandidate"));
    connect(candidate, &QAction::triggered, this,
            [this] { checkCandidate(form2_ ? form2_->selectedRow() : std::nullopt); });

    connect(windows, &CatalogueWindows::runningChanged, catalogue, [evaluate, check](bool running) {
        evaluate->setEnabled(!running);
        check->setEnabled(!running);
    });

    // Capture histories and population estimates from the records' encounters.
    PopulationWindow::addMenuEntries(catalogue, this, windows, model_, *services_);

    // The log of decisions made on checking candidates.
    catalogue->addSeparator();
    QAction* decisions = catalogue->addAction(QStringLiteral("&Decisions"));
    decisions->setObjectName(QStringLiteral("catalogueDecisions"));
    connect(decisions, &QAction::triggered, this,
            [this] { DecisionsWindow::open(this, model_, *services_); });

    // Mending the record shown last, so that its photo and decisions stay
    // attached where an edit of the file by hand would lose them.
    catalogue->addSeparator();
    const auto mend = [this, catalogue](const QString& text, const char* name,
                                        void (MainWindowModel::*run)()) {
        QAction* action = catalogue->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, [this, run] { (model_.*run)(); });
        return action;
    };
    mend(QStringLiteral("Change the C&ode…"), "catalogueChangeCode", &MainWindowModel::ChangeCode);
    mend(QStringLiteral("&Replace the Values from the Sheet"), "catalogueReplaceValues",
         &MainWindowModel::ReplaceValuesFromSheet);
    mend(QStringLiteral("De&lete the Record"), "catalogueDeleteRecord",
         &MainWindowModel::DeleteRecord);
    mend(QStringLiteral("Rename an &Animal…"), "catalogueRenameAnimal",
         &MainWindowModel::RenameAnimal);
    QAction* undo = mend(QStringLiteral("&Undo the Last Record Change"), "catalogueUndoChange",
                         &MainWindowModel::UndoRecordChange);
    connect(catalogue, &QMenu::aboutToShow, undo,
            [this, undo] { undo->setEnabled(model_.document().canUndo()); });

    // Records measured again, blind, and how far the repeats lie from them.
    MeasureAgainBar::addCatalogueEntries(this, catalogue, *services_, model_);
    // When and where each record's animal was seen.
    EncountersWindow::addMenuEntries(catalogue, this, model_, *services_);
}

void Form1::buildHelpMenu() {
    // The last menu on the bar, as on every desktop.
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->menuAction()->setObjectName(QStringLiteral("helpMenu"));

    // F1: no box of the sheet takes it.
    QAction* guide = help->addAction(QStringLiteral("&Guide"));
    guide->setObjectName(QStringLiteral("helpGuide"));
    guide->setShortcut(QKeySequence::HelpContents);
    connect(guide, &QAction::triggered, this, [this] { showOwnedWindow<GuideWindow>(this); });

    QAction* about = help->addAction(QStringLiteral("&About KORVEX"));
    about->setObjectName(QStringLiteral("helpAbout"));
    connect(about, &QAction::triggered, this, [this] { showOwnedWindow<AboutWindow>(this); });
}

QAction* Form1::menuEntry(const QString& array, int index) const {
    return findChild<QAction*>(indexed(array, index));
}

QLineEdit* Form1::box(SeamGroupId group, std::size_t index) const {
    return boxes_.at(std::size_t(group)).at(index);
}

QLabel* Form1::seamLabel(SeamGroupId group, std::size_t index) const {
    return seamLabels_.at(std::size_t(group)).at(index);
}

// --- events -------------------------------------------------------------------------------

void Form1::closeEvent(QCloseEvent* event) {
    if (!model_.QueryClose()) {
        event->ignore();
        return;
    }
    event->accept();
    model_.listWindow().close(); // ending the program closes the list window too
}

void Form1::fitScrollerWidth() {
    const QScrollBar* bar = leftScroller_->verticalScrollBar();
    leftScroller_->setFixedWidth(leftScroller_->widget()->width() +
                                 (bar->isVisibleTo(leftScroller_) ? bar->sizeHint().width() : 0));
}

void Form1::keyPressEvent(QKeyEvent* event) {
    // The focus stays in a sheet box while digitising; a box leaves Escape
    // to its window, which takes it when the pointer is over the picture.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        pictureArea_->underMouse()) {
        model_.digitising().endChain();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        const QVariant group = watched->property("korvexGroup");
        if (group.isValid()) {
            model_.digitising().BoxFocused(SeamGroupId(group.toInt()),
                                           std::size_t(watched->property("korvexIndex").toInt()));
            syncNextClick(); // the next length goes into this box
        }
    } else if (leftScroller_ && watched == leftScroller_->verticalScrollBar() &&
               (event->type() == QEvent::Show || event->type() == QEvent::Hide)) {
        // The scroll bar takes its room beside the column, not from it.
        fitScrollerWidth();
    } else if (watched == pictureFrame_ && event->type() == QEvent::Resize) {
        model_.digitising().setShownArea(pixelsToTwips(float(pictureFrame_->width())),
                                         pixelsToTwips(float(pictureFrame_->height())));
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- showing the model ----------------------------------------------------------------------

void Form1::syncAll() {
    for (const SeamGroup& g : kSeamGroups) {
        for (std::size_t i = 0; i < g.count; ++i)
            syncBox(g.id, i);
        syncLabels(g.id);
        commandEnabledChanged(g.id);
    }
    for (int n = 1; n <= DigitisingModel::kCheckBoxCount; ++n)
        checkChanged(n);
    syncDisplay();
    captionChanged();
    pictureArea_->syncFromModel();
    syncNextClick();
}

void Form1::syncDamageNote() {
    const QString note = fromBytes(model_.photoRecords().damageNote());
    damage_->setText(note);
    damage_->setToolTip(note);
    damage_->setVisible(!note.isEmpty());
    const QString origin = QString::fromStdString(model_.photoRecords().originNote());
    origin_->setText(origin);
    origin_->setAccessibleDescription(origin);
    origin_->setVisible(!origin.isEmpty());
}

void Form1::syncNextClick() {
    const DigitisingModel& d = model_.digitising();
    const QString text = QString::fromStdString(d.nextClickText());
    if (nextClick_->text() != text) {
        nextClick_->setText(text);
        nextClick_->setToolTip(text);
    }
    bool changed = false;
    for (SeamGroupId group : kLabelledGroups) {
        const bool mixed = d.mixesScales(group);
        auto& shown = mixedShown_[std::size_t(group)];
        if (mixed == shown)
            continue;
        shown = mixed;
        changed = true;
        const QString why = mixed ? QStringLiteral("Clicked across a zoom step: measure the group "
                                                   "again")
                                  : QString();
        for (QLineEdit* edit : boxes_[std::size_t(group)]) {
            edit->setStyleSheet(mixed ? QStringLiteral("QLineEdit { background: #ffd7a0; }")
                                      : QString());
            edit->setToolTip(why);
            edit->setAccessibleDescription(why);
        }
    }
    // The line beside the menus names the same groups as the orange boxes,
    // whatever changed them (a typed value, an undo, a measuring).
    if (changed && zoomStepLine_)
        updateZoomStepLine();
}

void Form1::syncDisplay() {
    const DataSetDisplay& d = model_.display();
    // The accessible name stays the caption; the value is read as the
    // description, so a screen reader says both.
    auto show = [](QLabel* label, const QString& text) {
        label->setText(text);
        label->setAccessibleDescription(text);
    };
    show(label2_, fromBytes(d.countText));
    show(label3_, QString::number(d.recordNumber));
    show(label4_, fromBytes(d.code));
}

void Form1::syncBox(SeamGroupId group, std::size_t index) {
    QLineEdit* edit = box(group, index);
    const QString text = fromBytes(model_.digitising().sheet().cell(group, index));
    if (edit->text() != text) {
        const QScopedValueRollback<bool> showing(showingModel_, true);
        edit->setText(text);
        edit->setCursorPosition(0); // long raw lengths show their leading digits
    }
}

void Form1::syncLabels(SeamGroupId group) {
    const auto& labels = seamLabels_.at(std::size_t(group));
    for (std::size_t i = 0; i < labels.size(); ++i)
        labels[i]->setText(QString::fromLatin1(model_.digitising().sheet().labelCaption(group, i)));
}

void Form1::boxTextChanged(SeamGroupId group, std::size_t index) {
    syncBox(group, index);
    syncNextClick();
}

void Form1::focusMoved(SeamGroupId group, std::size_t index) {
    box(group, index)->setFocus(Qt::OtherFocusReason);
    syncNextClick();
}

void Form1::checkChanged(int number) {
    QCheckBox* box = checks_.at(std::size_t(number));
    const QSignalBlocker block(box);
    box->setChecked(model_.digitising().checked(number));
    if (nextClick_)
        syncNextClick();
}

// A group's check box is reported before its handling switches the group
// on or off; the labels (switched off) and the Standardize button (switched
// on) are set after it, so the next-click line is read again there.
void Form1::labelsChanged(SeamGroupId group) {
    syncLabels(group);
    if (nextClick_)
        syncNextClick();
}

void Form1::commandEnabledChanged(SeamGroupId group) {
    const SeamGroup& g = seamGroup(group);
    commands_.at(std::size_t(g.command))->setEnabled(model_.digitising().commandEnabled(group));
    if (nextClick_)
        syncNextClick();
}

void Form1::checkCandidate(std::optional<std::size_t> selected) {
    if (!checkModel_.checkSelected(selected))
        return;
    if (!checkWindow_) {
        checkWindow_ = new CheckWindow(
            checkModel_, model_.digitising(),
            [this]() -> const PictureRenderer& { return pictureArea_->renderer(); },
            [this]() -> const PictureRenderer& { return scheme_; }, this);
        checkWindow_->onPositionChanged = [this](std::size_t position) {
            if (form2_)
                form2_->selectRow(position);
        };
        checkWindow_->onShowDecisions = [this] {
            DecisionsWindow::open(this, model_, *services_);
        };
        checkWindow_->onDecided = [this] {
            // An open list of decisions shows the new one at once.
            if (auto* decisions = findChild<DecisionsWindow*>();
                decisions && decisions->isVisible())
                decisions->refresh();
        };
    }
    checkWindow_->showCheck();
}

void Form1::listWindowCreated() {
    form2_ = new Form2(model_, this);
    form2_->onCheckCandidate = [this](std::optional<std::size_t> selected) {
        checkCandidate(selected);
    };
    form2_->show();
    form2_->centreOnScreen(); // once shown, its frame is known
    form2_->closeButton()->setFocus(Qt::OtherFocusReason);
}

void Form1::listWindowClosed() {
    if (checkWindow_)
        checkWindow_->syncValidity();
    if (!form2_)
        return;
    // Closing may be asked from inside one of the window's own handlers.
    form2_->hide();
    form2_->deleteLater();
    form2_ = nullptr;
}

void Form1::listCaptionChanged() {
    if (form2_)
        form2_->syncCaption();
}

void Form1::listChanged() {
    if (form2_)
        form2_->reloadList();
    if (checkWindow_)
        checkWindow_->syncValidity();
}

void Form1::listWindowShown() {
    if (!form2_)
        return;
    form2_->show();
    form2_->raise();
    form2_->activateWindow();
}

void Form1::pictureReplaced(const Picture& picture) {
    if (const QImage* image = QtPicture::imageOf(picture))
        pictureArea_->setPicture(*image);
}
void Form1::pictureGeometryChanged() {
    pictureArea_->syncFromModel();
    syncNextClick();
}
void Form1::repaintRequested() {
    pictureArea_->update();
    syncNextClick(); // every click and every change of the chain repaints
}
void Form1::captionChanged() {
    // Qt reads "[*]" in a title as its modified-marker; a path may hold one.
    setWindowTitle(fromBytes(model_.digitising().caption())
                       .replace(QStringLiteral("[*]"), QStringLiteral("[*][*]")));
}
void Form1::pointerShapeChanged() {
    pictureArea_->syncFromModel();
}
void Form1::dragModeChanged() {
    syncNextClick();
}

} // namespace korvex
