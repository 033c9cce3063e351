#include "ui/CatalogueFindingsWindow.h"
#include "ui/CatalogueReportWindow.h"
#include "ui/CatalogueWindows.h"
#include "ui/Form1.h"

#include "../analysis/CatalogueFixtures.h"
#include "WindowTestHelpers.h"
#include "model/RecordLine.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLegend>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProgressDialog>
#include <QValueAxis>
#include <QXYSeries>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace korvex;
using korvex::test::accessibleName;
using korvex::test::saveScreenshot;
using korvex::test::ScriptedServices;
using korvex::test::str;

class CatalogueWindowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1> form;
    ScriptedServices* services = nullptr;
    // A few hundred records of animals seen up to four times.
    const test::GeneratedCatalogue catalogue = test::generateCatalogue(21, 120);

    void run(const char* action) {
        services->inputAnswers.push_back("");
        auto* entry = form->findChild<QAction*>(str(action));
        QVERIFY(entry);
        entry->trigger();
    }

private slots:
    void init() {
        form = test::startedForm(services);
        services->setClipboardText(catalogue.text);
        form->model().load_Click(MainWindowModel::LoadFromClipboard);
    }
    void cleanup() { form.reset(); }

    // Both windows of a finished run close by Escape, Ctrl+W and "Close".
    void theReportAndTheFindingsHaveEveryWayOut() {
        CatalogueCommands commands(*services, form->model());
        for (const auto command : {CatalogueCommands::Command::Evaluate,
                                   CatalogueCommands::Command::Check}) {
            services->inputAnswers.push_back("");
            const std::shared_ptr<CatalogueCommands::Run> run = commands.start(command);
            QVERIFY(run);
            run->run();
            QVERIFY(commands.finished(*run));
            test::expectEveryWayOut([&]() -> QWidget* {
                QWidget* window = nullptr;
                if (command == CatalogueCommands::Command::Evaluate)
                    window = new CatalogueReportWindow(commands, run, form.get());
                else
                    window = new CatalogueFindingsWindow(commands, run, form.get());
                window->setAttribute(Qt::WA_DeleteOnClose);
                return window;
            });
        }
    }

    // Each window of a run is named by its command, copies that run's report
    // and has its buttons at the foot in order, "Close" last and apart.
    void eachRunWindowIsNamedCopiesItsReportAndEndsWithClose() {
        CatalogueCommands commands(*services, form->model());
        struct Case {
            CatalogueCommands::Command command;
            QString title;
            QStringList buttons; // left to right
        };
        const Case cases[] = {
            {CatalogueCommands::Command::Evaluate,
             QStringLiteral("Evaluate Matching"),
             {QStringLiteral("Copy to the Clipboard"), QStringLiteral("Save Chart…"),
              QStringLiteral("Close")}},
            {CatalogueCommands::Command::Check,
             QStringLiteral("Check the Catalogue"),
             {QStringLiteral("Copy to the Clipboard"), QStringLiteral("Show"),
              QStringLiteral("Close")}},
        };
        for (const Case& c : cases) {
            services->inputAnswers.push_back("");
            const std::shared_ptr<CatalogueCommands::Run> run = commands.start(c.command);
            QVERIFY(run);
            run->run();
            QVERIFY(commands.finished(*run));
            std::unique_ptr<QWidget> window;
            if (c.command == CatalogueCommands::Command::Evaluate)
                window = std::make_unique<CatalogueReportWindow>(commands, run, form.get());
            else
                window = std::make_unique<CatalogueFindingsWindow>(commands, run, form.get());
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window.get()));
            QVERIFY(window->isWindow());
            QCOMPARE(window->windowTitle(), c.title);
            QCOMPARE(accessibleName(window.get()), c.title);

            QList<QPushButton*> buttons = window->findChildren<QPushButton*>();
            std::sort(buttons.begin(), buttons.end(), [](QPushButton* a, QPushButton* b) {
                return a->geometry().x() < b->geometry().x();
            });
            QStringList names;
            for (QPushButton* button : buttons)
                names << accessibleName(button);
            QCOMPARE(names, c.buttons);
            // "Close" stands further from the button before it than the others stand apart.
            auto gap = [&](qsizetype right) {
                return buttons.at(right)->geometry().left() -
                       buttons.at(right - 1)->geometry().right();
            };
            QVERIFY2(gap(2) > gap(1), qPrintable(QStringLiteral("%1 %2").arg(gap(2)).arg(gap(1))));

            services->setClipboardText("before");
            QTest::mouseClick(buttons.first(), Qt::LeftButton);
            QCOMPARE(services->clipboardText(),
                     run->evaluation() ? run->evaluation()->report() : run->audit()->report());
        }
    }

    void evaluateOpensTheReport() {
        run("catalogueEvaluate");
        // The progress dialog is wide enough for its whole title in a title bar.
        auto* windows = form->findChild<CatalogueWindows*>(QStringLiteral("catalogueWindows"));
        QVERIFY(windows && windows->progressDialog());
        QProgressDialog* progress = windows->progressDialog();
        QCOMPARE(progress->windowTitle(), QStringLiteral("Evaluate Matching"));
        QVERIFY(progress->minimumWidth() >=
                progress->fontMetrics().horizontalAdvance(progress->windowTitle()) * 3 / 2 +
                    CatalogueWindows::kTitleBarExtras);
        CatalogueReportWindow* report = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((report = form->findChild<CatalogueReportWindow*>()), 20000);
        QVERIFY(report->isVisible());

        const Catalogue read = Catalogue::read(catalogue.text, Individuals());
        const auto evaluation = MatchEvaluation::run(read, false);
        const auto rows = CatalogueCommands::ratesTable(*evaluation);
        QTableWidget* table = report->table();
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->columnCount(), 7);
        QCOMPARE(table->horizontalHeaderItem(6)->text(), QStringLiteral("mrr"));
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 7; ++c)
                QCOMPARE(table->item(r, c)->text(), str(rows[std::size_t(r) + 1][std::size_t(c)]));

        QCOMPARE(report->curveView()->chart()->series().size(), 3);
        QCOMPARE(report->curveView()->chart()->series().at(2)->name(), QStringLiteral("D"));
        // Each curve has a line style and a marker of its own, so D1 shows
        // where it runs under D.
        QSet<int> styles;
        QSet<qint64> markers;
        for (QAbstractSeries* s : report->curveView()->chart()->series()) {
            auto* curve = qobject_cast<QXYSeries*>(s);
            QVERIFY(curve);
            styles.insert(int(curve->pen().style()));
            QVERIFY(!curve->lightMarker().isNull());
            markers.insert(curve->lightMarker().cacheKey());
            int shown = 0;
            for (int p = 0; p < curve->count(); ++p)
                shown += curve->pointConfiguration(p)
                             .value(QXYSeries::PointConfiguration::Visibility, true)
                             .toBool();
            QCOMPARE(shown, 10); // every fifth rank of fifty
        }
        QCOMPARE(styles.size(), 3);
        QCOMPARE(markers.size(), 3);
        QVERIFY(report->curveView()->chart()->legend()->markerShape() ==
                QLegend::MarkerShapeFromSeries);
        // Same animal, different animals and the threshold, for each distance.
        for (int k = 0; k < 3; ++k) {
            report->distanceBox()->setCurrentIndex(k);
            const auto series = report->histogramView()->chart()->series();
            QCOMPARE(series.size(), 3);
            QVERIFY(series.at(2)->name().startsWith(QStringLiteral("Threshold ")));
            // Ticks at round values: 1, 2 or 5 times a power of ten, from a multiple of it.
            for (QAbstractAxis* a : report->histogramView()->chart()->axes()) {
                auto* values = qobject_cast<QValueAxis*>(a);
                QVERIFY(values);
                QCOMPARE(values->tickType(), QValueAxis::TicksDynamic);
                const double step = values->tickInterval();
                const double mantissa = step / std::pow(10.0, std::floor(std::log10(step)));
                QVERIFY2(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 ||
                             std::abs(mantissa - 5) < 1e-9,
                         qPrintable(QString::number(step)));
                const double multiples = values->tickAnchor() / step;
                QVERIFY(std::abs(multiples - std::round(multiples)) < 1e-6);
            }
        }
        // On X11 a combo box's accessible name is its value; its label names it.
        QCOMPARE(report->distanceBox()->accessibleName(),
                 QStringLiteral("Distance for the histogram"));
        QCOMPARE(
            QAccessible::queryAccessibleInterface(report->distanceBox())->text(QAccessible::Value),
            QStringLiteral("D"));
        QCOMPARE(accessibleName(report->curveView()), QStringLiteral("Cumulative match curves"));

        auto* copy = report->findChild<QPushButton*>(QStringLiteral("catalogueCopy"));
        QTest::mouseClick(copy, Qt::LeftButton);
        QCOMPARE(services->clipboardText(), evaluation->report());

        QTemporaryDir dir;
        for (const QString& name : {QStringLiteral("chart.png"), QStringLiteral("chart.svg")}) {
            const QString path = dir.filePath(name);
            services->fileAnswers.push_back(path.toStdString());
            QTest::mouseClick(report->findChild<QPushButton*>(QStringLiteral("catalogueSaveChart")),
                              Qt::LeftButton);
            QImage image(path);
            QVERIFY2(!image.isNull(), qPrintable(path));
            QVERIFY(image.width() > 400);
        }
        saveScreenshot(report, QStringLiteral("catalogue-report.png"));
    }

    void checkListsTheFindingsAndShowsThem() {
        run("catalogueCheck");
        CatalogueFindingsWindow* findings = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((findings = form->findChild<CatalogueFindingsWindow*>()), 20000);

        const Catalogue read = Catalogue::read(catalogue.text, Individuals());
        const auto audit = CatalogueAudit::run(read, {});
        QListView* list = findings->list();
        QCOMPARE(list->model()->rowCount(), int(audit->findings.size()));
        QVERIFY(audit->findings.size() > 2);
        QVERIFY(findings->thresholdLabel()->text().startsWith(QStringLiteral("threshold")));
        QCOMPARE(accessibleName(findings->showButton()), QStringLiteral("Show"));

        findings->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(findings));
        // Enter on one finding, then "Show" on another: each puts its first
        // record on the sheet.
        for (const int row : {0, int(audit->findings.size()) - 1}) {
            const auto& finding = audit->findings[std::size_t(row)];
            const std::string& line = catalogue.pieces[finding.record - 1];
            list->setFocus();
            list->setCurrentIndex(list->model()->index(row, 0));
            QCOMPARE(list->model()->index(row, 0).data().toString(),
                     str(audit->line(finding)).replace(QLatin1Char('\t'), QStringLiteral("   ")));
            if (row == 0)
                QTest::keyClick(list, Qt::Key_Return);
            else
                QTest::mouseClick(findings->showButton(), Qt::LeftButton);
            QCOMPARE(form->model().display().recordNumber, (long long)(finding.record));
            QCOMPARE(form->model().display().code, std::string(SpecimenRecord::codeOf(line)));
            QCOMPARE(services->clipboardText(), line);
            const auto fields = SpecimenRecord::splitFields(line);
            if (fields.size() > 1)
                QCOMPARE(form->box(SeamGroupId::LeftMarginal, 0)->text(), str(fields[1]));
        }
        saveScreenshot(findings, QStringLiteral("catalogue-findings.png"));
    }

    // The mending entries are in the Catalogue menu and act on the finding shown.
    void mendingEntriesActOnTheFindingShown() {
        const std::pair<const char*, QString> entries[] = {
            {"catalogueChangeCode", QStringLiteral("Change the Code…")},
            {"catalogueReplaceValues", QStringLiteral("Replace the Values from the Sheet")},
            {"catalogueDeleteRecord", QStringLiteral("Delete the Record")},
            {"catalogueRenameAnimal", QStringLiteral("Rename an Animal…")},
            {"catalogueUndoChange", QStringLiteral("Undo the Last Record Change")},
        };
        auto* menu = form->findChild<QAction*>(QStringLiteral("catalogueMenu"))->menu();
        QVERIFY(menu);
        for (const auto& [name, text] : entries) {
            auto* entry = form->findChild<QAction*>(str(name));
            QVERIFY2(entry, name);
            QCOMPARE(QString(entry->text()).remove(QLatin1Char('&')), text);
            QVERIFY(menu->actions().contains(entry));
        }
        auto* undo = form->findChild<QAction*>(QStringLiteral("catalogueUndoChange"));
        emit menu->aboutToShow();
        QVERIFY(!undo->isEnabled()); // nothing to take back yet

        run("catalogueCheck");
        CatalogueFindingsWindow* findings = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((findings = form->findChild<CatalogueFindingsWindow*>()), 20000);
        const auto audit = CatalogueAudit::run(Catalogue::read(catalogue.text, Individuals()), {});
        const std::size_t record = audit->findings.front().record;
        findings->list()->setCurrentIndex(findings->list()->model()->index(0, 0));
        QTest::mouseClick(findings->showButton(), Qt::LeftButton);
        QCOMPARE(form->model().recordShownNumber(), std::optional<std::size_t>(record));

        services->inputAnswers.push_back("NEW1");
        form->findChild<QAction*>(QStringLiteral("catalogueChangeCode"))->trigger();
        QCOMPARE(form->model().display().code, std::string("NEW1"));
        QCOMPARE(SpecimenRecord::codeOf(form->model().dataSet().piece(record - 1)),
                 std::string_view("NEW1"));
        emit menu->aboutToShow();
        QVERIFY(undo->isEnabled());
        undo->trigger();
        QCOMPARE(form->model().dataSet().text(), catalogue.text);

        services->messageAnswers.push_back(PlatformServices::Answer::Yes);
        form->findChild<QAction*>(QStringLiteral("catalogueDeleteRecord"))->trigger();
        QCOMPARE(services->messages.size(), std::size_t(1));
        QCOMPARE(form->model().dataSet().RecordCount() + 1, catalogue.pieces.size());
        undo->trigger();
        QCOMPARE(form->model().dataSet().text(), catalogue.text);
    }
};

QTEST_MAIN(CatalogueWindowsTest)
#include "CatalogueWindowsTest.moc"
