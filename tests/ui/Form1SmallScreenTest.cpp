// The main window on a laptop screen: every control lies inside the window,
// and the window inside the screen. The screen's size comes from
// KORVEX_TEST_SCREEN ("1280x720"), given to the offscreen platform.
#include "ui/AboutWindow.h"
#include "ui/Form1.h"
#include "ui/GuideWindow.h"
#include "ui/PictureArea.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <cstdio>
#include <cstdlib>

using namespace korvex;

class Form1SmallScreenTest : public QObject {
    Q_OBJECT

private slots:
    void everyControlIsInsideTheWindowAndTheScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QCOMPARE(screen.size(), expectedScreen());
        Form1 form;
        form.startUp();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY2(screen.contains(form.frameGeometry()),
                 qPrintable(QStringLiteral("window %1,%2 %3x%4")
                                .arg(form.frameGeometry().x())
                                .arg(form.frameGeometry().y())
                                .arg(form.frameGeometry().width())
                                .arg(form.frameGeometry().height())));
        const QRect inside = form.rect();
        int controls = 0;
        auto check = [&](QWidget* w) {
            if (!w->isVisibleTo(&form))
                return; // the "Central 2" controls are never shown
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

private:
    static QSize expectedScreen() {
        int w = 0, h = 0;
        std::sscanf(std::getenv("KORVEX_TEST_SCREEN"), "%dx%d", &w, &h);
        return {w, h};
    }
};

int main(int argc, char** argv) {
    const char* size = std::getenv("KORVEX_TEST_SCREEN");
    int w = 0, h = 0;
    if (!size || std::sscanf(size, "%dx%d", &w, &h) != 2) {
        std::fprintf(stderr, "KORVEX_TEST_SCREEN must name a screen size, e.g. 1280x720\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(QStringLiteral(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": %1,
                                  "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96,
                                  "dpr": 1}]})")
                   .arg(w)
                   .arg(h)
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", (QStringLiteral("offscreen:configfile=") + config).toUtf8());
    QApplication app(argc, argv);
    Form1SmallScreenTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "Form1SmallScreenTest.moc"
