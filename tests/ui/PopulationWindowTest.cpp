#include "ui/PopulationWindow.h"
#include "ui/CatalogueReportWindow.h"
#include "ui/CatalogueWindows.h"
#include "ui/Form1.h"

#include "WindowTestHelpers.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace korvex;
using korvex::test::accessibleName;
using korvex::test::saveScreenshot;
using korvex::test::ScriptedServices;
using korvex::test::str;

namespace {

constexpr const char* kPattern = "^[A-Za-z]+[0-9]+";
constexpr const char* kSeasons = "2019-05-01..2019-08-31,2021-05-01..2021-08-31";

void trigger(Form1& form, const char* action) {
    auto* entry = form.findChild<QAction*>(str(action));
    QVERIFY2(entry, action);
    entry->trigger();
}

void typeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

} // namespace

// The sample catalogue with the sample encounters, opened in the windows.
class PopulationWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1> form;
    ScriptedServices* services = nullptr;
    // A copy of the sample, so that the lock kept beside an open data file
    // meets no other test run at the same time.
    std::unique_ptr<QTemporaryDir> folder;

private slots:
    void init() {
        form = test::startedForm(services);
        folder = std::make_unique<QTemporaryDir>();
        test::loadTheSampleCatalogue(*form, *services, *folder);
        if (QTest::currentTestFailed())
            return;
        form->model().setIndividualPattern(kPattern);
    }
    void cleanup() {
        form.reset();
        folder.reset();
    }

    void bothEntriesOpenOneWindowAtTheirPage() {
        trigger(*form, "catalogueExport");
        auto* window = form->findChild<PopulationWindow*>();
        QVERIFY(window && window->isVisible());
        QCOMPARE(window->windowTitle(), QStringLiteral("Export"));
        QCOMPARE(window->pages()->currentIndex(), 0);
        QCOMPARE(window->patternEdit()->text(), str(kPattern));
        // One occasion per year of the encounters.
        QCOMPARE(window->occasionTable()->rowCount(), 2);
        QCOMPARE(window->occasionTable()->item(0, 0)->text().left(4), QStringLiteral("2019"));
        QCOMPARE(window->occasionTable()->item(1, 1)->text().left(4), QStringLiteral("2021"));
        QCOMPARE(window->summaryLabel()->text(), str(window->model().summary()));
        // A screen reader reads the texts shown.
        QCOMPARE(accessibleName(window->summaryLabel()), window->summaryLabel()->text());
        for (QWidget* control : std::initializer_list<QWidget*>{
                 window->patternEdit(), window->occasionTable(), window->occasionsEdit(),
                 window->formatBox(), window->speciesEdit(), window->saveButton()})
            QVERIFY(!accessibleName(control).isEmpty());
        QCOMPARE(window->formatBox()->count(), 4);
        QCOMPARE(window->formatBox()->itemText(2),
                 QStringLiteral("secr (capture file and trap file)"));

        // The text form rewrites the rows.
        typeInto(window->occasionsEdit(), str(kSeasons));
        QCOMPARE(window->occasionTable()->item(1, 0)->text(), QStringLiteral("2021-05-01"));
        QCOMPARE(window->model().occasions().text(), std::string(kSeasons));
        // Only Darwin Core takes a species; secr says what positions lack.
        QVERIFY(!window->speciesEdit()->isEnabled());
        window->formatBox()->setCurrentIndex(3);
        QVERIFY(window->speciesEdit()->isEnabled());
        window->formatBox()->setCurrentIndex(2);
        QCOMPARE(window->positionsLabel()->text(), str(window->model().positionsNote()));
        saveScreenshot(window, QStringLiteral("population-export.png"));

        trigger(*form, "cataloguePopulationEstimates");
        QCOMPARE(form->findChildren<PopulationWindow*>().size(), 1);
        QCOMPARE(window->pages()->currentIndex(), 1);
        QCOMPARE(window->windowTitle(), QStringLiteral("Population Estimates"));
        QCOMPARE(window->countsTable()->rowCount(), 2);
        QCOMPARE(window->countsTable()->item(1, 3)->text(),
                 str(window->model().countsTable()[2][3]));
        QVERIFY(window->estimatesLabel()->text().contains(QStringLiteral("not known")));
        // p learnt on the worker thread, as `korvex-batch estimate` learns it.
        QTest::mouseClick(window->learnButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(window->model().recognition().has_value(), 20000);
        QTRY_VERIFY(window->learnButton()->isEnabled());
        QVERIFY(!window->recognitionEdit()->text().isEmpty());
        QCOMPARE(window->estimatesLabel()->text(), str(window->model().estimatesText()));
        QCOMPARE(accessibleName(window->estimatesLabel()), window->estimatesLabel()->text());
        QVERIFY(window->estimatesLabel()->text().contains(QStringLiteral("Chapman corrected")));
        // p typed takes its place.
        typeInto(window->recognitionEdit(), QStringLiteral("0.5"));
        QCOMPARE(*window->model().recognition(), 0.5);
        QVERIFY(window->estimatesLabel()->text().contains(QStringLiteral("0.50 (typed)")));
        saveScreenshot(window, QStringLiteral("population-estimates.png"));
    }

    void aBadDayIsSaidInTheSummary() {
        auto* window = PopulationWindow::open(form.get(), PopulationWindow::Page::Export, nullptr,
                                              form->model(), *services);
        window->occasionTable()->item(1, 0)->setText(QStringLiteral("2021-02-30"));
        QVERIFY(window->summaryLabel()->text().contains(QStringLiteral("does not exist")));
        QVERIFY(!window->saveButton()->isEnabled());
        // A text that does not read is refused with a message; the rows stay.
        services->messageAnswers.push_back(PlatformServices::Answer::Ok);
        typeInto(window->occasionsEdit(), QStringLiteral("2021-05-01..2019-05-01"));
        QCOMPARE(services->messages.size(), std::size_t(1));
        QCOMPARE(window->occasionTable()->item(1, 0)->text(), QStringLiteral("2021-02-30"));
        // Remove takes the row chosen; Add offers the year after the last.
        window->occasionTable()->setCurrentCell(1, 0);
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("occasionRemove")),
                          Qt::LeftButton);
        QCOMPARE(window->occasionTable()->rowCount(), 1);
        QVERIFY(!window->summaryLabel()->text().contains(QStringLiteral("does not exist")));
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("occasionAdd")),
                          Qt::LeftButton);
        QCOMPARE(window->occasionTable()->item(1, 0)->text().left(4), QStringLiteral("2020"));
    }

    void theWindowHasEveryWayOut() {
        test::expectEveryWayOut([&]() -> QWidget* {
            return new PopulationWindow(nullptr, form->model(), *services, form.get());
        });
    }

    void theEvaluationRunsAgainInTimeOrder() {
        services->inputAnswers.push_back(kPattern);
        trigger(*form, "catalogueEvaluate");
        CatalogueReportWindow* report = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((report = form->findChild<CatalogueReportWindow*>()), 20000);
        QCheckBox* box = report->timeOrderBox();
        QVERIFY(!box->isChecked());
        QCOMPARE(accessibleName(box), QStringLiteral("In time order"));
        QVERIFY(report->undatedLabel()->isHidden());
        const QString plain = report->table()->item(2, 1)->text();
        QVERIFY(!report->run()->inTimeOrder());

        box->click();
        QTRY_VERIFY_WITH_TIMEOUT(report->run()->inTimeOrder() && box->isEnabled(), 20000);
        QVERIFY(box->isChecked());
        QVERIFY(!report->undatedLabel()->isHidden());
        QCOMPARE(accessibleName(report->undatedLabel()), report->undatedLabel()->text());
        QCOMPARE(report->undatedLabel()->text(),
                 QStringLiteral("Records without a date, left out: %1")
                     .arg(*report->run()->evaluation()->undated));
        const auto rows = CatalogueCommands::ratesTable(*report->run()->evaluation());
        QCOMPARE(report->table()->item(2, 1)->text(), str(rows[3][1]));
        QVERIFY(!report->distanceBox()->isEnabled());
        QTest::qWait(200); // the charts lay themselves out again
        saveScreenshot(report, QStringLiteral("evaluation-in-time-order.png"));

        box->click();
        QTRY_VERIFY_WITH_TIMEOUT(!report->run()->inTimeOrder() && box->isEnabled(), 20000);
        QCOMPARE(report->table()->item(2, 1)->text(), plain);
        QVERIFY(report->undatedLabel()->isHidden());
    }
};

QTEST_MAIN(PopulationWindowTest)
#include "PopulationWindowTest.moc"
