#include "ui/CheckWindow.h"
#include "ui/CheckPane.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/PhotoLoader.h"
#include "ui/PictureArea.h"
#include "uilogic/CheckWindowModel.h"

#include "ScriptedServices.h"
#include "WindowTestHelpers.h"

#include <QAbstractBarSeries>
#include <QAccessible>
#include <QAction>
#include <QBarSet>
#include <QChartView>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <cmath>

using namespace korvex;
using korvex::test::ScriptedServices;
using korvex::test::str;

// The check window as a user reaches it: two photos digitised and appended,
// a record without a photo between them, a comparison, then Enter on the
// list window's line.
class CheckWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1> form;
    ScriptedServices* services = nullptr;
    QTemporaryDir dir;

    DigitisingModel& digitising() { return form->model().digitising(); }
    QString copyOfSample(const char* name) {
        const QString path = dir.filePath(str(name));
        QFile::remove(path);
        if (!QFile::copy(str(SAMPLES_DIR "/plastron-demo.jpg"), path))
            qFatal("the sample photo could not be copied");
        return path;
    }
    void clickPicture(QPoint at) {
        QTest::mouseMove(form->pictureArea(), at);
        QTest::mouseClick(form->pictureArea(), Qt::LeftButton, {}, at);
    }
    // Opens `photo` and clicks M1..M8 and C1..C6; `wobble` moves the
    // junctions apart as another photo of the animal would.
    void digitise(const QString& photo, int wobble) {
        services->fileAnswers.push_back(photo.toStdString());
        form->menuEntry(str("open"), 0)->trigger();
        // The first tick after opening a photo ends its drag mode.
        while (!form->check(1)->isChecked())
            QTest::mouseClick(form->check(1), Qt::LeftButton);
        for (int i = 0; i <= 8; ++i)
            clickPicture(QPoint(60 + 4 * (i % 2) + wobble * (i % 3),
                                40 + 30 * i + (i == 4 ? 9 : 0) + wobble * (i % 2)));
        QTest::mouseClick(form->check(5), Qt::LeftButton);
        for (int i = 0; i <= 6; ++i)
            clickPicture(QPoint(200 + (i % 3) + wobble * (i % 2),
                                40 + 38 * i + (i == 2 ? 6 : 0) + wobble * (i % 3)));
        QTest::mouseMove(form->pictureArea(), QPoint(500, 500));
    }
    // Enter on a line of the list window, as a user who clicked it presses it.
    void pressEnterOn(std::size_t row) {
        Form2* list = form->listWindow();
        list->selectRow(row);
        list->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(list));
        list->list()->setFocus();
        QTest::keyClick(list->list(), Qt::Key_Return);
    }
    void append(const std::string& code) {
        services->inputAnswers.push_back(code);
        QTest::mouseClick(form->command(12), Qt::LeftButton);
    }
    // `label` gives assistive technology its name and, as its description, the text it shows.
    static bool readsItsText(QLabel* label, const QString& name) {
        QAccessibleInterface* read = QAccessible::queryAccessibleInterface(label);
        if (!read || read->text(QAccessible::Name) != name ||
            read->text(QAccessible::Description) != label->text()) {
            qWarning() << "read as" << (read ? read->text(QAccessible::Name) : QString())
                       << (read ? read->text(QAccessible::Description) : QString()) << "showing"
                       << label->text();
            return false;
        }
        return true;
    }
    CheckWindow* waitForCandidatePhoto() {
        CheckWindow* check = form->checkWindow();
        if (check)
            check->loader().waitForAll();
        QCoreApplication::processEvents();
        return check;
    }

private slots:
    void init() {
        form = test::startedForm(services);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    void cleanup() { form.reset(); }

    void checkingStepsThroughTheRankedCandidates() {
        const QString first = copyOfSample("first.jpg");
        const QString second = copyOfSample("second.jpg");
        digitise(first, 0);
        const auto firstSegments = digitising().segments();
        QVERIFY(firstSegments[0] && firstSegments[7] && firstSegments[16] && firstSegments[21]);
        append("A");
        QTest::mouseClick(form->command(4), Qt::LeftButton); // a record without a photo
        append("Z");
        digitise(second, 3);
        append("B");
        services->fileAnswers.push_back(dir.filePath(str("check.tor")).toStdString());
        form->menuEntry(str("save"), 40)->trigger();

        form->menuEntry(str("comp"), 45)->trigger();
        Form2* list = form->listWindow();
        QVERIFY(list);
        // The sheet's own record ranks first; the other photo of it next.
        pressEnterOn(1);
        CheckWindow* check = waitForCandidatePhoto();
        QVERIFY(check && check->isVisible());
        QCOMPARE(check->check()->code, std::string("A"));
        QCOMPARE(check->check()->recordNumber, std::size_t(1));
        QVERIFY(check->summary()->text().contains(str("Record No. 1")));
        QVERIFY(
            check->summary()->text().contains(QString::fromStdString(check->check()->listedText)));

        // Both panes show a photo with its junctions.
        QVERIFY(check->sheetPane()->hasPicture());
        QVERIFY(check->candidatePane()->hasPicture());
        for (std::size_t i = 0; i < firstSegments.size(); ++i) {
            QCOMPARE(check->candidatePane()->segments()[i].has_value(),
                     firstSegments[i].has_value());
            if (firstSegments[i])
                QVERIFY(std::abs(check->candidatePane()->segments()[i]->to.x -
                                 firstSegments[i]->to.x) < 0.01);
        }
        QCOMPARE(check->sheetPane()->segments(), digitising().segments());

        // A bar lights its seam on both photos.
        QVERIFY(check->marginalChart()->isVisibleTo(check));
        QVERIFY(check->centralChart()->isVisibleTo(check));
        // Bars stand bottom-up in the chart: the set's index 3 of 5 is J2.
        auto barSet = [](QChartView* view) {
            auto* series = qobject_cast<QAbstractBarSeries*>(view->chart()->series().front());
            return series->barSets().front();
        };
        QBarSet* central = barSet(check->centralChart());
        QCOMPARE(central->at(3), check->check()->centralBars[1].value);
        emit central->hovered(true, 3);
        const std::vector<std::size_t> j2{17, 23};
        QCOMPARE(check->sheetPane()->highlighted(), j2);
        QCOMPARE(check->candidatePane()->highlighted(), j2);
        emit central->hovered(false, 3);
        QVERIFY(check->candidatePane()->highlighted().empty());
        QBarSet* marginal = barSet(check->marginalChart());
        QCOMPARE(marginal->at(11), check->check()->marginalBars[4].value);
        emit marginal->clicked(11); // a click keeps M5 lit after the pointer leaves
        emit marginal->hovered(false, 11);
        QCOMPARE(check->candidatePane()->highlighted(), std::vector<std::size_t>{4});
        QCOMPARE(check->values()->rowCount(), 28);
        QCOMPARE(check->values()->item(4, 0)->text(), str("M5"));

        // Same Scale: both midlines vertical, front up, equally long.
        check->sameScale();
        double lengths[2];
        int side = 0;
        for (CheckPane* pane : {check->sheetPane(), check->candidatePane()}) {
            const auto m = midlineOf(pane->segments());
            QVERIFY(m);
            const PanePoint f = pane->view().toPane(m->front), b = pane->view().toPane(m->back);
            QVERIFY(std::abs(f.x - b.x) < 1e-6);
            QVERIFY(f.y < b.y);
            lengths[side++] = b.y - f.y;
        }
        QVERIFY(std::abs(lengths[0] - lengths[1]) < 1e-6);
        test::saveScreenshot(check, str("check-window.png"));
        // A screen reader reads the sums and the status line, not only their names.
        QVERIFY(check->sums()->text().startsWith(str("D = \u221a(D1 \u00d7 D2) = ")));
        QVERIFY(readsItsText(check->sums(), str("Sums")));
        QCOMPARE(check->status()->text(), str("Both midlines stand vertical at the same length."));
        QVERIFY(readsItsText(check->status(), str("Status")));

        // Same Scale holds for the next candidate's photo too.
        QTest::keyClick(check, Qt::Key_PageUp);
        check = waitForCandidatePhoto();
        QCOMPARE(check->check()->code, std::string("B"));
        QVERIFY(check->candidatePane()->hasPicture());
        const auto own = midlineOf(check->candidatePane()->segments());
        QVERIFY(own);
        QVERIFY(std::abs(check->candidatePane()->view().toPane(own->front).x -
                         check->candidatePane()->view().toPane(own->back).x) < 1e-6);
        QTest::keyClick(check, Qt::Key_PageDown);
        waitForCandidatePhoto();

        // Page Down: the record without a photo, and the list follows.
        QTest::keyClick(check, Qt::Key_PageDown);
        QCOMPARE(check->check()->code, std::string("Z"));
        QCOMPARE(list->selectedRow(), std::optional<std::size_t>(2));
        QVERIFY(!check->candidatePane()->hasPicture());
        QVERIFY(check->candidatePane()->placeholder().contains(str("has no photo stored")));
        QVERIFY(check->candidatePane()->placeholder().contains(str("record 2")));
        QTest::keyClick(check, Qt::Key_PageDown); // past the end: nothing changes
        QCOMPARE(check->check()->code, std::string("Z"));

        // A photo that is gone names the places tried.
        QVERIFY(QFile::remove(first));
        check->loader().keepOnly({});
        QTest::keyClick(check->values(), Qt::Key_PageUp);
        QCOMPARE(check->check()->code, std::string("A"));
        const QString missing = check->candidatePane()->placeholder();
        QVERIFY2(missing.contains(str("was not found")), qPrintable(missing));
        QVERIFY(missing.contains(first));
        QVERIFY(missing.contains(dir.filePath(str("first.jpg"))));

        // Decisions: none on the sheet's own record, one logged on a pair,
        // and found again after saving and loading the data.
        QTest::keyClick(check, Qt::Key_PageUp);
        QCOMPARE(check->check()->code, std::string("B"));
        QVERIFY(!check->verdictButton(Verdict::SameAnimal)->isEnabled());
        QTest::keyClick(check, Qt::Key_PageDown);
        QVERIFY(check->decision()->text().contains(str("Not decided yet")));
        QTest::mouseClick(check->verdictButton(Verdict::SameAnimal), Qt::LeftButton);
        QVERIFY2(check->decision()->text().startsWith(str("Decided: Same Animal")),
                 qPrintable(check->decision()->text()));
        const std::string data = dir.filePath(str("check.tor")).toStdString();
        services->fileAnswers.push_back(data);
        form->menuEntry(str("save"), 40)->trigger();
        services->fileAnswers.push_back(data);
        form->menuEntry(str("load"), 30)->trigger();
        QCOMPARE(form->model().document().decisions().all().size(), std::size_t(1));
        const Decision& logged = form->model().document().decisions().all().front();
        QCOMPARE(logged.query.code, std::string("B"));
        QCOMPARE(logged.query.occurrence, std::size_t(1));
        QCOMPARE(logged.candidate.code, std::string("A"));
        QCOMPARE(logged.measure, std::string("D"));
        QCOMPARE(logged.distance, check->check()->listedText);
        form->menuEntry(str("comp"), 45)->trigger();
        // The window still shows a line of the list before: nothing to decide on it now.
        QVERIFY(!check->verdictButton(Verdict::SameAnimal)->isEnabled());
        QVERIFY(check->decision()->text().contains(str("no longer holds")));
        pressEnterOn(1);
        QVERIFY(check->verdictButton(Verdict::SameAnimal)->isEnabled());
        QVERIFY(check->decision()->text().startsWith(str("Decided: Same Animal")));

        // Assistive technology reads the panes and the summary.
        QAccessibleInterface* pane = QAccessible::queryAccessibleInterface(check->candidatePane());
        QVERIFY(pane);
        QCOMPARE(pane->text(QAccessible::Name), str("Candidate's photo"));
        QCOMPARE(pane->text(QAccessible::Description), check->candidatePane()->placeholder());
        QVERIFY(readsItsText(check->summary(), str("Candidate")));
        QVERIFY(readsItsText(check->decision(), str("Decision")));
        // The lines follow every change, also to an empty status line.
        QVERIFY(readsItsText(check->sums(), str("Sums")));
        check->sameScale();
        QVERIFY(check->status()->text().startsWith(str("Same Scale needs the whole midline")));
        QVERIFY(readsItsText(check->status(), str("Status")));
        check->fitBoth();
        QVERIFY(check->status()->text().isEmpty());
        QVERIFY(readsItsText(check->status(), str("Status")));
        QVERIFY(services->messages.empty());
    }

    // The wheel zooms about the pointer, the left button drags, and the
    // painted pane shows the picture where the view puts it.
    void aPaneZoomsAndDrags() {
        QImage image(400, 300, QImage::Format_RGB32);
        image.fill(Qt::red);
        PictureRenderer picture;
        picture.setImage(image);
        CheckPane pane(str("pane"));
        pane.resize(200, 150);
        pane.setPicture(picture, 400, 300, {});
        QCOMPARE(pane.view().scale, 0.5);
        const QPointF at(50, 40);
        const PhotoPixel under = pane.view().toPhoto({at.x(), at.y()});
        QWheelEvent wheel(at, pane.mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&pane, &wheel);
        QVERIFY(std::abs(pane.view().scale - 0.5 * 1.25 * 1.25) < 1e-9);
        const PanePoint still = pane.view().toPane(under);
        QVERIFY(std::abs(still.x - at.x()) < 1e-9 && std::abs(still.y - at.y()) < 1e-9);
        const double dx = pane.view().dx;
        QTest::mousePress(&pane, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(&pane, QPoint(130, 90));
        QTest::mouseRelease(&pane, Qt::LeftButton, {}, QPoint(130, 90));
        QCOMPARE(pane.view().dx, dx + 30);
        // Dragged to the right, the pane's left part shows no picture.
        QTest::mousePress(&pane, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(&pane, QPoint(150, 100));
        QTest::mouseRelease(&pane, Qt::LeftButton, {}, QPoint(150, 100));
        const int left = int(pane.view().toPane({0, 0}).x);
        QVERIFY(left > 20 && left < 180);
        const QImage shown = pane.grab().toImage();
        QCOMPARE(shown.pixelColor(left - 8, 75), pane.palette().color(QPalette::Base));
        QCOMPARE(shown.pixelColor(left + 8, 75), QColor(Qt::red));

        // The same from the keyboard: an arrow moves, + zooms about the middle, 0 fits.
        const double before = pane.view().dx;
        QTest::keyClick(&pane, Qt::Key_Left);
        QCOMPARE(pane.view().dx, before + 40);
        const PhotoPixel middle = pane.view().toPhoto({100, 75});
        QTest::keyClick(&pane, Qt::Key_Plus);
        QVERIFY(std::abs(pane.view().toPane(middle).x - 100) < 1e-9);
        QTest::keyClick(&pane, Qt::Key_0);
        QCOMPARE(pane.view().scale, 0.5);
        QCOMPARE(pane.view().dx, 0.0);
    }

    // The sheet's values shown from a stored record, another photo open: the
    // pane shows the record's own photo with its junctions, and says so.
    void theSheetPaneShowsThePhotoTheValuesCameFrom() {
        const QString first = copyOfSample("first.jpg");
        digitise(first, 0);
        const auto firstSegments = digitising().segments();
        append("A");
        QTest::mouseClick(form->command(4), Qt::LeftButton);
        append("Z"); // a record without a photo
        digitise(copyOfSample("second.jpg"), 3);
        append("B");
        QTest::mouseClick(form->command(10), Qt::LeftButton); // "-": record 2, Z
        QTest::mouseClick(form->command(10), Qt::LeftButton); // record 1, A
        QCOMPARE(form->findChild<QLabel*>(str("Label4"))->text(), str("A"));
        form->menuEntry(str("comp"), 45)->trigger();
        pressEnterOn(1);
        CheckWindow* check = waitForCandidatePhoto();
        QVERIFY(check);
        QVERIFY(check->sheetPane()->hasPicture());
        const auto& shown = check->sheetPane()->segments();
        for (std::size_t i = 0; i < firstSegments.size(); ++i) {
            QCOMPARE(shown[i].has_value(), firstSegments[i].has_value());
            if (firstSegments[i])
                QVERIFY(std::abs(shown[i]->to.x - firstSegments[i]->to.x) < 0.01);
        }
        QVERIFY(check->sheetPane()->segments() != digitising().segments());
        QCOMPARE(check->sheetSource()->text(),
                 str("The sheet holds the values of record 1 \u201cA\u201d: this is the photo "
                     "stored with it."));
        QVERIFY(readsItsText(check->sheetSource(), str("Sheet's photo")));
        test::saveScreenshot(check, str("check-window-record-photo.png"));

        // Z keeps no photo: the scheme, and why.
        check->close();
        QTest::mouseClick(form->command(11), Qt::LeftButton); // "+": record 2, Z
        form->menuEntry(str("comp"), 45)->trigger();
        pressEnterOn(1);
        check = waitForCandidatePhoto();
        QVERIFY(check->sheetPane()->hasPicture());
        QVERIFY(check->sheetPane()->segments() == DigitisingModel::Segments{});
        QVERIFY(check->sheetSource()->text().endsWith(
            str("record 2 \u201cZ\u201d, whose values the sheet holds, keeps no photo: the seam "
                "scheme is shown.")));
    }

    void theCheckWindowHasEveryWayOut() {
        append("A");
        append("B");
        form->menuEntry(str("comp"), 45)->trigger();
        test::expectEveryWayOut([this]() -> QWidget* {
            pressEnterOn(0);
            return form->checkWindow();
        });
    }

    void onlyARankedLineCanBeChecked() {
        append("A");
        append("B");
        services->messageAnswers = {PlatformServices::Answer::Ok, PlatformServices::Answer::Ok};
        form->findChild<QAction*>(str("catalogueCheckCandidate"))->trigger();
        form->menuEntry(str("aha"), 20)->trigger(); // the list shows the codes to pick from
        QVERIFY(form->listWindow());
        pressEnterOn(0); // Enter on a code does what it always did: nothing
        QVERIFY(services->messages.size() == 1);
        form->findChild<QAction*>(str("catalogueCheckCandidate"))->trigger();
        QVERIFY(!form->checkWindow());
        QCOMPARE(services->messageTexts(),
                 (std::vector<std::string>{CheckWindowModel::kNeedsSelection,
                                           CheckWindowModel::kNeedsRanking}));
        // Nothing was picked: the pick stays the double-click's.
        QVERIFY(form->listWindow() && form->listWindow()->isVisible());
    }
};

QTEST_MAIN(CheckWindowTest)
#include "CheckWindowTest.moc"
