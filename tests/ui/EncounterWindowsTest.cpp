// moc cannot read the standard headers the encounter types take in, nor
// need it: no slot takes one.
#ifndef Q_MOC_RUN
#include "exchange/EncountersText.h"
#include "ui/EncounterDialog.h"
#include "uilogic/EncounterTable.h"
#endif
#include "ui/EncountersWindow.h"
#include "ui/Form1.h"

#include "WindowTestHelpers.h"

#include <QAbstractItemModel>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace korvex;
using korvex::test::accessibleName;
using korvex::test::ScriptedServices;
using korvex::test::str;
using Field = EncounterForm::Field;

class EncounterWindowsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir settingsFolder;
    std::unique_ptr<Form1> form;
    ScriptedServices* services = nullptr;

    QAction* entry(const char* name) { return form->findChild<QAction*>(str(name)); }
    EncountersWindow* openTable() {
        entry("catalogueEncounters")->trigger();
        return form->findChild<EncountersWindow*>();
    }
    const Encounter* encounterOf(std::size_t record) {
        return form->model().document().encounterOf(record);
    }
    // Runs `act` on the encounter dialog once it is up; `done` tells whether it ran.
    void whenDialogOpens(std::function<void(EncounterDialog*)> act, bool& done) {
        QTimer::singleShot(0, this, [act = std::move(act), &done] {
            auto* dialog = dynamic_cast<EncounterDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            done = true;
            act(dialog);
            // A failed check returns early: never leave the test waiting on the dialog.
            if (dialog->isVisible())
                dialog->reject();
        });
    }
    static void type(EncounterDialog* dialog, Field field, const char* text) {
        dialog->editor(field)->setText(str(text));
    }
    static void pressOk(EncounterDialog* dialog) {
        for (QPushButton* b : dialog->findChildren<QPushButton*>())
            if (b->text().remove(QLatin1Char('&')) == QStringLiteral("OK"))
                QTest::mouseClick(b, Qt::LeftButton);
    }

private slots:
    void initTestCase() {
        // The setting the test turns on stays out of the user's own, and out of
        // the other functions of this test, which run beside it as tests of their own.
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(settingsFolder.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        QSettings().remove(QStringLiteral("catalogue/askEncounterAtAppend"));
    }
    void init() {
        form = test::startedForm(services);
        services->setClipboardText("T1\t1\r\nT2\t2\r\nT1\t3\r\n");
        form->model().load_Click(MainWindowModel::LoadFromClipboard);
    }
    void cleanup() {
        QSettings().remove(QStringLiteral("catalogue/askEncounterAtAppend"));
        form.reset();
    }

    void theCatalogueMenuOffersTheEntries() {
        QVERIFY(entry("catalogueEncounter"));
        QVERIFY(entry("catalogueEncounters"));
        QAction* ask = entry("catalogueAskEncounter");
        QVERIFY(ask);
        QCOMPARE(ask->text().remove(QLatin1Char('&')),
                 QStringLiteral("Ask for the Encounter at Append"));
        QVERIFY(ask->isCheckable());
        QVERIFY(!ask->isChecked());
        ask->setChecked(true);
        QVERIFY(form->model().asksEncounterAtAppend());
        QVERIFY(QSettings().value(QStringLiteral("catalogue/askEncounterAtAppend")).toBool());
    }

    void theDialogNeedsARecordShown() {
        form = test::startedForm(services); // nothing loaded, so nothing shown
        services->messageAnswers.push_back(PlatformServices::Answer::Ok);
        entry("catalogueEncounter")->trigger();
        QCOMPARE(services->messages.size(), std::size_t(1));
        QCOMPARE(services->messages[0].text, std::string(EncounterForm::kNoRecordShown));
    }

    void theDialogStaysOpenOnBadInputThenStores() {
        QVERIFY(form->model().ShowPickedRecord(2));
        bool done = false;
        whenDialogOpens(
            [this](EncounterDialog* dialog) {
                QCOMPARE(accessibleName(dialog->editor(Field::Latitude)), QStringLiteral("Latitude"));
                QCOMPARE(accessibleName(dialog->siteBox()), QStringLiteral("Site"));
                QVERIFY(!dialog->fromPhotoButton()->isEnabled()); // the record keeps no photo
                type(dialog, Field::Date, "2019-02-30");
                type(dialog, Field::Latitude, "39.05");
                type(dialog, Field::Longitude, "-76.8");
                dialog->siteBox()->setCurrentText(QStringLiteral("Pond"));
                services->messageAnswers.push_back(PlatformServices::Answer::Ok);
                pressOk(dialog);
                QVERIFY(dialog->isVisible());
                QCOMPARE(dialog->editor(Field::Date)->text(), QStringLiteral("2019-02-30"));
                QCOMPARE(dialog->focusWidget(), dialog->editor(Field::Date));
                QVERIFY(!encounterOf(2));
                test::saveScreenshot(dialog, QStringLiteral("encounter-dialog.png"));
                type(dialog, Field::Date, "2019-02-28");
                pressOk(dialog);
            },
            done);
        entry("catalogueEncounter")->trigger();
        QVERIFY(done);
        QCOMPARE(services->messages.size(), std::size_t(1));
        QVERIFY(services->messages[0].text.rfind("Date: ", 0) == 0);
        QVERIFY(encounterOf(2));
        QCOMPARE(encounterOf(2)->site, std::string("Pond"));
        QCOMPARE(encounterOf(2)->dateText(), std::string("2019-02-28"));
    }

    void theTableSortsEditsAndSaysWhoWasSeenAtTwoSites() {
        Document& document = form->model().document();
        Encounter a;
        std::string error;
        QVERIFY(a.setDateText("2021-05-24", error));
        a.site = "Pond";
        QVERIFY(document.setEncounter(1, a));
        Encounter b = a;
        QVERIFY(b.setDateText("2019-05-24", error));
        b.site = "Meadow";
        QVERIFY(document.setEncounter(3, b));

        EncountersWindow* window = openTable();
        QVERIFY(window);
        QCOMPARE(window->parentWidget(), form.get());
        QCOMPARE(window->windowTitle(), QStringLiteral("Encounters"));
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(window->view());
        QCOMPARE(table->text(QAccessible::Name), QStringLiteral("Encounters"));
        QAccessibleTableInterface* cells = table->tableInterface();
        QVERIFY(cells);
        QCOMPARE(cells->columnCount(), 11);
        QCOMPARE(cells->columnDescription(5), QStringLiteral("Sites of the individual"));
        QCOMPARE(window->summary()->text(),
                 QStringLiteral("3 records; 1 individual was seen at more than one site"));
        QAbstractItemModel* rows = window->view()->model();
        QCOMPARE(rows->data(rows->index(0, 0), Qt::AccessibleDescriptionRole).toString(),
                 QStringLiteral("Its individual was seen at 2 sites"));

        test::saveScreenshot(window, QStringLiteral("encounters-two-sites.png"));
        // A click on the Date header: the earliest first.
        QHeaderView* header = window->view()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(3) + 5, header->height() / 2));
        QCOMPARE(rows->data(rows->index(0, 0)).toString(), QStringLiteral("3"));
        QCOMPARE(rows->data(rows->index(2, 0)).toString(), QStringLiteral("2")); // no date

        services->messageAnswers.push_back(PlatformServices::Answer::Ok);
        QVERIFY(!rows->setData(rows->index(0, 3), QStringLiteral("2019-02-30"), Qt::EditRole));
        QCOMPARE(rows->data(rows->index(0, 3)).toString(), QStringLiteral("2019-05-24"));
        QVERIFY(rows->setData(rows->index(0, 4), QStringLiteral("Pond"), Qt::EditRole));
        QCOMPARE(encounterOf(3)->site, std::string("Pond"));
        QCOMPARE(window->summary()->text(),
                 QStringLiteral("3 records; no individual was seen at more than one site"));

        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("encountersCopy")),
                          Qt::LeftButton);
        QVERIFY(QApplication::clipboard()->text().startsWith(QStringLiteral("Record\tCode\t")));
        test::saveScreenshot(window, QStringLiteral("encounters-window.png"));
    }

    void escapeInACellEndsTheEditNotTheWindow() {
        EncountersWindow* window = openTable();
        QVERIFY(QTest::qWaitForWindowActive(window));
        const QModelIndex site = window->view()->model()->index(0, EncounterTable::SiteColumn);
        window->view()->setCurrentIndex(site);
        window->view()->edit(site);
        auto* editor = qobject_cast<QLineEdit*>(window->view()->indexWidget(site));
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("Pond"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QCoreApplication::processEvents();
        QVERIFY(window->isVisible());
        QVERIFY(!encounterOf(1));
    }

    void everyWayOutClosesTheTable() {
        test::expectEveryWayOut([this]() -> QWidget* { return openTable(); });
    }

    // The sample catalogue with the encounters made up for it, as a user sees it.
    void theSampleCatalogueShowsItsAnimalsSeenAtTwoSites() {
        QTemporaryDir dir;
        const QString tor = dir.filePath(QStringLiteral("tortoises.tor"));
        QVERIFY(QFile::copy(str(SAMPLES_DIR "/tortoises.tor"), tor));
        services->fileAnswers.push_back(tor.toStdString());
        form->model().LoadDataFile();
        QFile text(str(SAMPLES_DIR "/tortoises-encounters.txt"));
        QVERIFY(text.open(QIODevice::ReadOnly));
        const QByteArray bytes = text.readAll();
        const auto read = EncountersText::read(std::string_view(bytes.constData(), std::size_t(bytes.size())));
        QVERIFY(read.errors.empty());
        for (const auto& [record, encounter] : read.byRecord)
            QVERIFY(form->model().document().setEncounter(record, encounter));
        EncountersWindow* window = openTable();
        QCOMPARE(window->table().rows().size(), std::size_t(32));
        QCOMPARE(window->table().rows()[30].encounter.date.has_value(), false); // record 31
        // Each code is one animal until a pattern says otherwise; the one the
        // README gives korvex-batch makes K003-2019 and K003-2021 one animal,
        // seen at North Ridge and at Dry River.
        QCOMPARE(window->summary()->text(),
                 QStringLiteral("32 records; no individual was seen at more than one site"));
        services->inputAnswers.push_back("^[A-Za-z]+[0-9]+");
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("encountersPattern")),
                          Qt::LeftButton);
        QCOMPARE(window->summary()->text(),
                 QStringLiteral("32 records; 1 individual was seen at more than one site"));
        window->view()->sortByColumn(EncounterTable::SitesColumn, Qt::DescendingOrder);
        QAbstractItemModel* rows = window->view()->model();
        QCOMPARE(rows->data(rows->index(0, EncounterTable::IndividualColumn)).toString(),
                 QStringLiteral("k003"));
        QCOMPARE(rows->data(rows->index(0, EncounterTable::SitesColumn)).toString(),
                 QStringLiteral("2"));
        test::saveScreenshot(window, QStringLiteral("encounters-samples.png"));
    }

    // The photo of 2021 holds the date and the GPS position of its camera.
    void appendOnTheCameraPhotoKeepsItsDateAndPosition() {
        const QString photo = str(SHARED_PHOTOS_DIR) + QStringLiteral("/511-2021-05-24-carapace.jpg");
        if (!QFile::exists(photo))
            QSKIP("the shared photographs are not present");
        entry("catalogueAskEncounter")->setChecked(true);
        services->fileAnswers.push_back(photo.toStdString());
        form->menuEntry(str("open"), 0)->trigger();
        DigitisingModel& d = form->model().digitising();
        d.setChecked(1, true);
        d.setChecked(1, true);
        for (int i = 0; i < 3; ++i)
            d.PointerDown(DigitisingModel::kLeftButton, 3000.0F + 900.0F * float(i), 9000.0F);

        // Cancel appends with what the photo gave.
        bool done = false;
        whenDialogOpens(
            [](EncounterDialog* dialog) {
                QCOMPARE(dialog->editor(Field::Date)->text(), QStringLiteral("2021-05-24"));
                QCOMPARE(dialog->editor(Field::Time)->text(), QStringLiteral("14:18:10"));
                QVERIFY(dialog->editor(Field::Latitude)->text().startsWith(QStringLiteral("39.05")));
                QVERIFY(dialog->fromPhotoButton()->isEnabled());
                test::saveScreenshot(dialog, QStringLiteral("encounter-at-append.png"));
                QTest::keyClick(dialog, Qt::Key_Escape);
            },
            done);
        services->inputAnswers.push_back("511");
        QTest::mouseClick(form->command(12), Qt::LeftButton);
        QVERIFY(done);
        QVERIFY(encounterOf(4));
        QCOMPARE(encounterOf(4)->dateText(), std::string("2021-05-24T14:18:10"));

        EncountersWindow* window = openTable();
        QAbstractItemModel* rows = window->view()->model();
        QCOMPARE(rows->data(rows->index(3, 1)).toString(), QStringLiteral("511"));
        QCOMPARE(rows->data(rows->index(3, 3)).toString(), QStringLiteral("2021-05-24 14:18:10"));
        QVERIFY(rows->data(rows->index(3, 6)).toString().startsWith(QStringLiteral("39.0506")));
        QVERIFY(rows->data(rows->index(3, 7)).toString().startsWith(QStringLiteral("-76.809")));
        QCOMPARE(rows->data(rows->index(3, 10)).toString(),
                 QStringLiteral("511-2021-05-24-carapace.jpg"));
        test::saveScreenshot(window, QStringLiteral("encounters-camera-photo.png"));
    }
};

QTEST_MAIN(EncounterWindowsTest)
#include "EncounterWindowsTest.moc"
