// The main window on a laptop screen: every control lies inside the window
// (scrolled into the column's view where the column is taller than the
// screen), the window inside the screen, and the keyboard reaches every
// control. The screen's size comes from KORVEX_TEST_SCREEN ("1280x720"),
// given to the offscreen platform.
#include "ui/AboutWindow.h"
#include "ui/Form1.h"
#include "ui/GuideWindow.h"
#include "ui/PictureArea.h"

#include "TestScreen.h"
#include "WindowTestHelpers.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>

#include <set>

using namespace korvex;

class Form1SmallScreenTest : public QObject {
    Q_OBJECT

private slots:
    void everyControlIsInsideTheWindowAndTheScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(screen.size(), test::testScreen());
        Form1 form;
        form.startUp();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY2(screen.contains(form.frameGeometry()),
                 qPrintable(QStringLiteral("window %1,%2 %3x%4 min %5x%6")
                                .arg(form.frameGeometry().x())
                                .arg(form.frameGeometry().y())
                                .arg(form.frameGeometry().width())
                                .arg(form.frameGeometry().height())
                                .arg(form.minimumSizeHint().width())
                                .arg(form.minimumSizeHint().height())));
        const QRect inside = form.rect();
        // The design's column fits a laptop screen; only a smaller one scrolls it.
        QScrollArea* scroller = form.leftColumnScroller();
        QVERIFY(scroller);
        QCOMPARE(scroller->verticalScrollBar()->isVisible(), test::testScreen().height() < 720);
        int controls = 0;
        auto check = [&](QWidget* w) {
            if (!w->isVisibleTo(&form))
                return; // the "Central 2" controls are never shown
            if (scroller->widget()->isAncestorOf(w))
                scroller->ensureWidgetVisible(w, 0, 0);
            const QRect at(w->mapTo(&form, QPoint(0, 0)), w->size());
            QVERIFY2(inside.contains(at), qPrintable(w->objectName()));
            ++controls;
        };
        for (QAbstractButton* b : form.findChildren<QAbstractButton*>())
            check(b);
        for (QLineEdit* e : form.findChildren<QLineEdit*>())
            check(e);
        QCOMPARE(controls, 6 + 10 + 28); // check boxes, buttons, sheet boxes
        // The picture keeps a useful share of the window.
        QVERIFY(form.pictureArea()->parentWidget()->width() >= form.width() / 3);
        test::saveScreenshot(&form, QStringLiteral("form1-screen-%1x%2.png")
                                        .arg(screen.width())
                                        .arg(screen.height()));
    }

    // Tab goes round every control of the window, and each one that takes
    // the focus is in sight, inside the column's view, when it has it.
    void theKeyboardReachesEveryControl() {
        Form1 form;
        form.startUp();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QScrollArea* scroller = form.leftColumnScroller();
        const QRect view(scroller->viewport()->mapTo(&form, QPoint(0, 0)),
                         scroller->viewport()->size());
        std::set<QWidget*> wanted;
        for (QWidget* w : form.findChildren<QWidget*>())
            if (w->isVisibleTo(&form) && (qobject_cast<QAbstractButton*>(w) ||
                                          qobject_cast<QLineEdit*>(w)))
                wanted.insert(w);
        QCOMPARE(int(wanted.size()), 6 + 10 + 28);
        form.box(SeamGroupId::LeftMarginal, 0)->setFocus();
        std::set<QWidget*> reached;
        for (int presses = 0; presses < 200 && reached.size() < wanted.size(); ++presses) {
            QWidget* now = QApplication::focusWidget();
            QVERIFY(now);
            reached.insert(now);
            if (scroller->widget()->isAncestorOf(now)) {
                const QRect at(now->mapTo(&form, QPoint(0, 0)), now->size());
                QVERIFY2(view.contains(at), qPrintable(now->objectName()));
            }
            QTest::keyClick(now, Qt::Key_Tab);
        }
        for (QWidget* w : wanted)
            QVERIFY2(reached.count(w), qPrintable(w->objectName()));
        // Digitising moves the focus down the column too: M16 is brought into view.
        QTest::mouseClick(form.check(2), Qt::LeftButton); // Marginal, right
        form.model().digitising().BoxFocused(SeamGroupId::RightMarginal, 7);
        form.model().digitising().moveFocus(SeamGroupId::RightMarginal, 0);
        form.model().digitising().moveFocus(SeamGroupId::RightMarginal, 7);
        QLineEdit* m16 = form.box(SeamGroupId::RightMarginal, 7);
        QCOMPARE(QApplication::focusWidget(), m16);
        QVERIFY(view.contains(QRect(m16->mapTo(&form, QPoint(0, 0)), m16->size())));
        // The status line is in the window too.
        QLabel* line = form.nextClickLine();
        QVERIFY(form.rect().contains(QRect(line->mapTo(&form, QPoint(0, 0)), line->size())));
    }

    // The guide and the About box open whole on the screen, the About box's
    // facts unclipped and the guide wide enough to read beside its scheme.
    void helpWindowsFitTheScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        Form1 form;
        form.startUp();
        form.findChild<QAction*>(QStringLiteral("helpGuide"))->trigger();
        auto* guide = form.findChild<GuideWindow*>();
        QVERIFY(guide);
        QVERIFY(QTest::qWaitForWindowExposed(guide));
        QVERIFY(screen.contains(guide->frameGeometry()));
        QVERIFY(guide->browser()->viewport()->width() >= 600);

        form.findChild<QAction*>(QStringLiteral("helpAbout"))->trigger();
        auto* about = form.findChild<AboutWindow*>();
        QVERIFY(about);
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QVERIFY(screen.contains(about->frameGeometry()));
        for (QLabel* label : about->labels()) {
            const QRect at(label->mapTo(about, QPoint(0, 0)), label->size());
            QVERIFY2(about->rect().contains(at), qPrintable(label->text()));
            QVERIFY2(label->height() >= label->heightForWidth(label->width()),
                     qPrintable(label->text()));
        }
    }
};

int main(int argc, char** argv) {
    return test::runOnTestScreen<Form1SmallScreenTest>(argc, argv);
}

#include "Form1SmallScreenTest.moc"
