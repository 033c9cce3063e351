// The list window on screens of several sizes (KORVEX_TEST_SCREEN): where the
// screen has room it keeps its design size and places; where it has not, the
// window fits the screen and every control is reached, by the mouse through
// the window and by Tab, inside the scrolled view.
#include "ui/Form2.h"

#include "TestScreen.h"
#include "WindowTestHelpers.h"

#include <QClipboard>
#include <QListView>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>
#include <memory>
#include <vector>

using namespace korvex;
using test::str;

namespace {

constexpr QSize kDesignSize(433, 676);

// The part of `window` where `w` shows, in the window's coordinates.
QRect placeIn(const QWidget* window, const QWidget* w) {
    return {w->mapTo(window, QPoint(0, 0)), w->size()};
}

// `at` is in sight in `view`: whole, or where it is taller than the view (the
// list on a small screen), across the view's width and down its height but
// for the margin left above the focused control.
bool inSight(const QRect& view, const QRect& at) {
    const QRect seen = view.intersected(at);
    return seen.width() == at.width() && seen.height() >= std::min(at.height(), view.height() - 8);
}

} // namespace

class Form2SmallScreenTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        form_ = test::startedForm(services_);
        // Three loaded records, listed by "Select Record".
        std::string text;
        for (const char* code : {"b2", "A1", "a3"}) {
            text += code;
            for (int k = 1; k <= 28; ++k)
                text += "\t" + std::to_string(k);
            text += "\r\n";
        }
        QApplication::clipboard()->setText(QString::fromStdString(text));
        form_->menuEntry(str("load"), 20)->trigger();
        form_->menuEntry(str("aha"), 20)->trigger();
        QVERIFY(form_->listWindow());
        QVERIFY(QTest::qWaitForWindowExposed(form_->listWindow()));
    }
    void cleanup() {
        QVERIFY(services_->messages.empty());
        form_.reset();
    }

    void theWindowFitsTheScreenAndKeepsItsDesignWhereItCan() {
        Form2* list = form_->listWindow();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(screen.size(), test::testScreen());
        QVERIFY(screen.contains(list->frameGeometry()));
        QScrollArea* scroller = list->scroller();
        const bool roomy = screen.width() >= 433 + 16 && screen.height() >= 676 + 40;
        const struct {
            QWidget* control;
            QRect design;
        } controls[] = {
            {list->list(), QRect(8, 8, 417, 620)},
            {list->closeButton(), QRect(288, 636, 137, 25)},
            {list->copyButton(), QRect(8, 636, 273, 25)},
        };
        if (roomy) {
            QCOMPARE(list->size(), kDesignSize);
            QVERIFY(!scroller->verticalScrollBar()->isVisible());
            QVERIFY(!scroller->horizontalScrollBar()->isVisible());
            for (const auto& c : controls)
                QCOMPARE(placeIn(list, c.control), c.design);
        } else {
            // Cut down to the screen's room, and only as far as it must be.
            QVERIFY(list->height() < kDesignSize.height());
            QVERIFY(list->height() >= screen.height() - 40 - 1);
            QVERIFY(scroller->verticalScrollBar()->isVisible());
            // The scroll bar has its room beside the design's width.
            QVERIFY(!scroller->horizontalScrollBar()->isVisible());
            QCOMPARE(scroller->viewport()->width(), kDesignSize.width());
        }
        // Every control, scrolled to, lies whole in the view; the mouse, pressed
        // through the window, lands on it.
        const QRect view = placeIn(list, scroller->viewport());
        for (const auto& c : controls) {
            scroller->verticalScrollBar()->setValue(0);
            scroller->ensureWidgetVisible(c.control, 0, 0);
            QVERIFY2(inSight(view, placeIn(list, c.control)), qPrintable(c.control->objectName()));
            const QPoint centre = placeIn(list, c.control).center();
            QCOMPARE(list->childAt(centre),
                     c.control == list->list() ? list->list()->viewport() : c.control);
        }
        test::saveScreenshot(
            list,
            QStringLiteral("form2-screen-%1x%2.png").arg(screen.width()).arg(screen.height()));
        // Clicked through the window's own surface, each button does its work.
        QApplication::clipboard()->setText(str("before"));
        scroller->verticalScrollBar()->setValue(0);
        scroller->ensureWidgetVisible(list->copyButton(), 0, 0);
        QTest::mouseClick(list->windowHandle(), Qt::LeftButton, {},
                          placeIn(list, list->copyButton()).center());
        QCOMPARE(QApplication::clipboard()->text(), str("\tA1\r\n\ta3\r\n\tb2\r\n"));
        scroller->verticalScrollBar()->setValue(0);
        scroller->ensureWidgetVisible(list->closeButton(), 0, 0);
        QTest::mouseClick(list->windowHandle(), Qt::LeftButton, {},
                          placeIn(list, list->closeButton()).center());
        QCoreApplication::processEvents();
        QVERIFY(!form_->listWindow());
    }

    // Tab goes round the list and both buttons in the design's order, and
    // the control that has the focus is in sight, the view scrolled to it.
    void theKeyboardReachesEveryControlInSight() {
        Form2* list = form_->listWindow();
        list->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(list));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list->closeButton()));
        QScrollArea* scroller = list->scroller();
        const QRect view = placeIn(list, scroller->viewport());
        // "Close" has the focus from the start, and is in sight from the start;
        // so is the list's first line, the best rank, whatever the screen.
        QVERIFY(inSight(view, placeIn(list, list->closeButton())));
        const QRect firstLine = list->list()->visualRect(list->list()->model()->index(0, 0));
        QVERIFY(view.contains(placeIn(list, list->list()->viewport()).topLeft() + firstLine.center()));
        scroller->verticalScrollBar()->setValue(0); // Close lies at the bottom
        const std::vector<QWidget*> order{list->copyButton(), list->list(), list->closeButton(),
                                          list->copyButton()};
        for (QWidget* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
            QVERIFY2(inSight(view, placeIn(list, next)), qPrintable(next->objectName()));
        }
        // Space on the focused "Copy to the Clipboard" copies, as a click does.
        QApplication::clipboard()->setText(str("before"));
        QTest::keyClick(list->copyButton(), Qt::Key_Space);
        QCOMPARE(QApplication::clipboard()->text(), str("\tA1\r\n\ta3\r\n\tb2\r\n"));
    }

private:
    test::ScriptedServices* services_ = nullptr;
    std::unique_ptr<Form1> form_;
};

int main(int argc, char** argv) {
    return test::runOnTestScreen<Form2SmallScreenTest>(argc, argv);
}

#include "Form2SmallScreenTest.moc"
