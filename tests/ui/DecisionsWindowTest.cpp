#include "ui/DecisionsWindow.h"
#include "ui/Form1.h"

#include "WindowTestHelpers.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <memory>

using namespace korvex;
using korvex::test::accessibleName;
using korvex::test::ScriptedServices;

namespace {

const std::string kOldCode("\x8a\xe8", 2); // an 8-bit code from an older file

Decision decision(RecordIdentity query, RecordIdentity candidate, Verdict verdict, std::string at) {
    return {std::move(query), std::move(candidate), verdict, "D", "0.0417", std::move(at)};
}

} // namespace

class DecisionsWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1> form;
    ScriptedServices* services = nullptr;

    DecisionsWindow* openFromMenu() {
        auto* entry = form->findChild<QAction*>(QStringLiteral("catalogueDecisions"));
        if (!entry)
            return nullptr;
        entry->trigger();
        return form->findChild<DecisionsWindow*>();
    }

private slots:
    void init() {
        form = test::startedForm(services);
        services->setClipboardText("A\t1\r\nB\t2\r\n" + kOldCode + "\t3\r\n");
        form->model().load_Click(MainWindowModel::LoadFromClipboard);
    }
    void cleanup() { form.reset(); }

    void everyWayOutClosesIt() {
        test::expectEveryWayOut([this]() -> QWidget* { return openFromMenu(); });
    }

    void listsEveryDecisionAndCopiesIt() {
        Document& records = form->model().document();
        records.recordDecision(decision({"NEW", "NEW\t1", 0}, {"B", "B\t2", 1},
                                        Verdict::DifferentAnimal, "2026-05-24T09:30:00Z"));
        records.recordDecision(decision({kOldCode, kOldCode + "\t3", 1}, {"A", "A\t1", 1},
                                        Verdict::SameAnimal, "2026-05-24T09:31:00Z"));
        DecisionsWindow* window = openFromMenu();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QVERIFY(window->isWindow());
        QCOMPARE(window->parentWidget(), form.get());
        QCOMPARE(window->windowTitle(), QStringLiteral("Decisions"));

        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(window->table());
        QCOMPARE(table->text(QAccessible::Name), QStringLiteral("Decisions"));
        QAccessibleTableInterface* cells = table->tableInterface();
        QVERIFY(cells);
        QCOMPARE(cells->columnCount(), 8);
        QCOMPARE(cells->columnDescription(3), QStringLiteral("Query record"));
        const QStringList expected[] = {
            {QStringLiteral("2026-05-24T09:30:00Z"), QStringLiteral("Different Animal"),
             QStringLiteral("NEW"), QString(), QStringLiteral("B"), QStringLiteral("2"),
             QStringLiteral("D"), QStringLiteral("0.0417")},
            {QStringLiteral("2026-05-24T09:31:00Z"), QStringLiteral("Same Animal"),
             QtPlatformServices::displayText(kOldCode), QStringLiteral("3"), QStringLiteral("A"),
             QStringLiteral("1"), QStringLiteral("D"), QStringLiteral("0.0417")},
        };
        QCOMPARE(cells->rowCount(), 2);
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 8; ++c)
                QCOMPARE(cells->cellAt(r, c)->text(QAccessible::Name), expected[r][c]);
        QCOMPARE(window->status()->text(), QStringLiteral("2 decisions"));
        QCOMPARE(accessibleName(window->copyButton()), QStringLiteral("Copy to the Clipboard"));
        QCOMPARE(accessibleName(window->closeButton()), QStringLiteral("Close"));

        QTest::mouseClick(window->copyButton(), Qt::LeftButton);
        QCOMPARE(services->clipboardText(),
                 "Decided at\tVerdict\tQuery code\tQuery record\tCandidate code\t"
                 "Candidate record\tMeasure\tDistance\r\n"
                 "2026-05-24T09:30:00Z\tDifferent Animal\tNEW\t\tB\t2\tD\t0.0417\r\n"
                 "2026-05-24T09:31:00Z\tSame Animal\t" +
                     kOldCode + "\t3\tA\t1\tD\t0.0417\r\n");

        test::saveScreenshot(window, QStringLiteral("decisions.png"));

        // A decision made since shows when the list is asked for again, in the same window.
        records.recordDecision(
            decision({"B", "B\t2", 1}, {"A", "A\t1", 1}, Verdict::Unsure, "2026-05-24T09:32:00Z"));
        QCOMPARE(openFromMenu(), window);
        QCOMPARE(form->findChildren<DecisionsWindow*>().size(), 1);
        QCOMPARE(cells->rowCount(), 3);
        QCOMPARE(cells->cellAt(2, 1)->text(QAccessible::Name), QStringLiteral("Unsure"));
    }

    void anEmptyLogSaysSoAndCloses() {
        services->setClipboardText("unchanged");
        QPointer<DecisionsWindow> window = openFromMenu();
        QVERIFY(window);
        QCOMPARE(
            QAccessible::queryAccessibleInterface(window->table())->tableInterface()->rowCount(),
            0);
        QCOMPARE(QAccessible::queryAccessibleInterface(window->status())->text(QAccessible::Name),
                 QStringLiteral("No decisions yet."));
        QVERIFY(!window->copyButton()->isEnabled());
        QTest::mouseClick(window->closeButton(), Qt::LeftButton);
        QTRY_VERIFY(window.isNull());
        QCOMPARE(services->clipboardText(), std::string("unchanged"));
    }
};

QTEST_MAIN(DecisionsWindowTest)
#include "DecisionsWindowTest.moc"
