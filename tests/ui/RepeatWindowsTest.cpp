#include "ui/Form1.h"
#include "ui/MeasureAgainBar.h"
#include "ui/RepeatabilityWindow.h"

#include "WindowTestHelpers.h"

#include <QAccessible>
#include <QAction>
#include <QChartView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include <memory>

using namespace korvex;
using korvex::test::accessibleName;
using korvex::test::ScriptedServices;
using korvex::test::str;

class RepeatWindowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1> form;
    ScriptedServices* services = nullptr;

    QAction* entry(const char* name) { return form->findChild<QAction*>(str(name)); }
    MeasureAgainBar* bar() { return form->findChild<MeasureAgainBar*>(); }
    RepeatabilityWindow* openReport() {
        entry("catalogueRepeatability")->trigger();
        return form->findChild<RepeatabilityWindow*>();
    }
    void appendOnThePhoto() { test::appendTwoOnThePhoto(*form, *services); }

private slots:
    void init() { form = test::startedForm(services); }
    void cleanup() { form.reset(); }

    // The panel says which record is measured, to assistive technology too,
    // and its buttons reach the session; Stop hands the repeats over.
    void measureAgainShowsItsPanelOnTheMainWindow() {
        appendOnThePhoto();
        QVERIFY(bar());
        QVERIFY(!bar()->isVisible());
        for (const char* a : {"10", "48213", "ann"})
            services->inputAnswers.push_back(a);
        entry("catalogueMeasureAgain")->trigger();
        QVERIFY(bar()->isVisible());
        const auto* target = bar()->commands().session()->current();
        const QString said = QStringLiteral("Measuring again: record %1, 1 of 2; seed 48213")
                                 .arg(target->recordNumber);
        QCOMPARE(bar()->statusLabel()->text(), said);
        QCOMPARE(accessibleName(bar()->statusLabel()), said);
        QCOMPARE(accessibleName(bar()->keepButton()), str("Keep the Repeat"));
        QCOMPARE(accessibleName(bar()->skipButton()), str("Skip"));
        QCOMPARE(accessibleName(bar()->stopButton()), str("Stop"));
        QCOMPARE(form->model().digitising().caption(), target->entry->photoPath);
        test::saveScreenshot(form.get(), str("measure-again.png"));

        QTest::mouseClick(bar()->skipButton(), Qt::LeftButton);
        QVERIFY(bar()->statusLabel()->text().contains(str(", 2 of 2;")));
        // Nothing clicked yet: Keep says so and stays on the record.
        services->messageAnswers.push_back(PlatformServices::Answer::Ok);
        QTest::mouseClick(bar()->keepButton(), Qt::LeftButton);
        QVERIFY(bar()->isVisible());
        services->messageAnswers.push_back(PlatformServices::Answer::Ok);
        QTest::mouseClick(bar()->stopButton(), Qt::LeftButton);
        QVERIFY(!bar()->isVisible());
        QVERIFY(services->messages.back().text.find("0 repeats were kept") != std::string::npos);
    }

    // Closing the main window mid-session ends it first, so the closing
    // prompt can save the repeats.
    void closingTheMainWindowEndsTheSession() {
        appendOnThePhoto();
        for (const char* a : {"1", "7", ""})
            services->inputAnswers.push_back(a);
        entry("catalogueMeasureAgain")->trigger();
        QVERIFY(bar()->commands().running());
        services->messageAnswers.push_back(PlatformServices::Answer::Ok); // the session ended
        services->messageAnswers.push_back(PlatformServices::Answer::No); // save? No
        QVERIFY(form->close());
        QVERIFY(!bar()->commands().running());
        QCOMPARE(services->messages.size(), std::size_t(2));
    }

    void theReportWindowShowsTablesChartAndCopies() {
        QCOMPARE(loadTheSampleRepeats(*form, *services), std::size_t(7));

        RepeatabilityWindow* window = openReport();
        QVERIFY(window);
        QVERIFY(window->isWindow());
        QCOMPARE(window->windowTitle(), str("Repeatability"));
        const RepeatabilityReport& report = window->report();
        QCOMPARE(window->sentenceLabel()->text(), str(report.sentence()));
        QVERIFY(window->sentenceLabel()->text().startsWith(str("Re-digitising moved a record")));
        QVERIFY(window->sentenceLabel()->text().endsWith(str(" times farther.")));
        QCOMPARE(window->tabs()->count(), 4); // all, ann, bo, between them
        auto* seams =
            window->tabs()->widget(0)->findChild<QTableWidget*>(str("All repeats per seam"));
        QVERIFY(seams);
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(seams);
        QCOMPARE(table->tableInterface()->rowCount(), 28);
        QCOMPARE(table->tableInterface()->cellAt(0, 1)->text(QAccessible::Name),
                 str(RepeatabilityReport::seamRows(report.result().overall)[1][1]));
        QVERIFY(!window->chartView()->chart()->series().isEmpty());
        test::saveScreenshot(window, str("repeatability.png"));
        for (int t = 1; t < window->tabs()->count(); ++t) {
            window->tabs()->setCurrentIndex(t);
            test::saveScreenshot(window, QStringLiteral("repeatability-tab%1.png").arg(t));
        }

        auto* copy = window->findChild<QPushButton*>(str("repeatabilityCopy"));
        QCOMPARE(accessibleName(copy), str("Copy to the Clipboard"));
        QTest::mouseClick(copy, Qt::LeftButton);
        QCOMPARE(services->clipboardText(), report.clipboardText());
        QVERIFY(services->clipboardText().starts_with("measured\t5\t12\r\n"));

        // Opened again, it is made afresh in the place of the first.
        QPointer<RepeatabilityWindow> first = window;
        QVERIFY(openReport() != nullptr);
        QVERIFY(!first);
        QCOMPARE(form->findChildren<RepeatabilityWindow*>().size(), 1);
    }

    void withoutRepeatsItSaysHowToMakeThem() {
        RepeatabilityWindow* window = openReport();
        QCOMPARE(window->sentenceLabel()->text(), str(RepeatabilityReport::kNoRepeats));
        QVERIFY(!window->findChild<QPushButton*>(str("repeatabilityCopy"))->isEnabled());
        test::saveScreenshot(window, str("repeatability-empty.png"));
        test::expectEveryWayOut([this]() -> QWidget* { return openReport(); });
    }
};

QTEST_MAIN(RepeatWindowsTest)
#include "RepeatWindowsTest.moc"
