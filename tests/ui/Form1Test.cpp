#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/JunctionPainter.h"
#include "ui/PictureArea.h"

#include "ScriptedServices.h"
#include "WindowTestHelpers.h"
#include "model/RecordLine.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <QWindow>

#include <deque>

using namespace korvex;
using korvex::test::ScriptedServices;

namespace {

constexpr auto LM = SeamGroupId::LeftMarginal;

QString str(const char* s) {
    return QString::fromUtf8(s);
}

} // namespace

class Form1Test : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1> form;
    ScriptedServices* services = nullptr;

    DigitisingModel& model() { return form->model().digitising(); }
    QLineEdit* text1(int i) { return form->box(LM, std::size_t(i)); }
    // A left click on the picture at widget pixels.
    void clickPicture(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseMove(form->pictureArea(), at);
        QTest::mouseClick(form->pictureArea(), button, {}, at);
    }
    // Ctrl + one notch of the wheel (`notches` < 0 turns it towards the user).
    void ctrlWheel(QPoint at, int notches) {
        const QPointF global = form->pictureArea()->mapToGlobal(QPointF(at));
        QWheelEvent wheel(QPointF(at), global, QPoint(), QPoint(0, 120 * notches), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(form->pictureArea(), &wheel);
    }
    QImage pictureImage() { return form->pictureArea()->grab().toImage(); }
    // Pixels of `image` along the line from `a` to `b` that are pure red,
    // the rubber band's colour on the scheme's white.
    static int redPixelsAlong(const QImage& image, QPoint a, QPoint b) {
        int red = 0;
        for (int k = 2; k < 98; ++k) {
            const QPoint p = a + (b - a) * k / 100;
            const QColor c = image.pixelColor(p);
            red += c.red() > 200 && c.green() < 60 && c.blue() < 60;
        }
        return red;
    }
    void saveScreenshot(const QString& name) {
        QDir().mkpath(str(SCREENSHOT_DIR));
        QVERIFY(form->grab().save(str(SCREENSHOT_DIR) + QLatin1Char('/') + name));
    }

private slots:
    void init() {
        QApplication::clipboard()->setText(str("left over from another program"));
        auto scripted = std::make_unique<ScriptedServices>();
        services = scripted.get();
        form = std::make_unique<Form1>(std::move(scripted));
        form->startUp();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    void cleanup() { form.reset(); }

    void startUpState() {
        QCOMPARE(form->windowTitle(), str("KORVEX 1.0"));
        QCOMPARE(form->findChild<QLabel*>(str("Label2"))->text(), str("0"));
        QCOMPARE(form->findChild<QLabel*>(str("Label3"))->text(), str("1"));
        QCOMPARE(form->findChild<QLabel*>(str("Label4"))->text(), QString());
        QVERIFY(QApplication::clipboard()->text().isEmpty());
        for (int i = 0; i < 8; ++i)
            QCOMPARE(text1(i)->text(), str("0"));
        for (int n = 1; n <= 8; ++n)
            QVERIFY(!form->check(n)->isChecked());
        for (int n : {1, 2, 5, 6})
            QVERIFY(form->command(n)->isEnabled());
        // Central 2 controls exist but are never shown.
        QVERIFY(form->findChild<QLineEdit*>(str("Text5(0)")));
        QVERIFY(!form->findChild<QLineEdit*>(str("Text6(6)"))->isVisible());
        QVERIFY(!form->check(7)->isVisible());
        // "auto" and "Generate distribution" are carried switched off.
        QVERIFY(!form->menuEntry(str("file"), 30)->isEnabled());
        QCOMPARE(form->menuEntry(str("file"), 40)->text(), str("Generate distribution"));
        QVERIFY(form->menuEntry(str("open"), 0)->isEnabled());
        saveScreenshot(str("form1-startup.png"));
    }

    // Captions as the user reads them; one Alt key never leads to two
    // different commands (Alt+C once meant both "Compare" and "Clear").
    void captionsShortcutsAndMnemonics() {
        const std::pair<QAbstractButton*, const char*> buttons[] = {
            {form->check(3), "Zoom"},
            {form->check(4), "Drag and Drop"},
            {form->check(1), "Marginal"},
            {form->check(2), "Marginal"},
            {form->check(5), "Central"},
            {form->check(6), "Central"},
            {form->command(1), "Standardize"},
            {form->command(2), "Standardize"},
            {form->command(5), "Standardize"},
            {form->command(6), "Standardize"},
            {form->command(4), "Clear the Sheet"},
            {form->command(10), "-"},
            {form->command(11), "+"},
            {form->command(12), "Append to the List"},
            {form->command(3), "Save to the Clipboard"},
            {form->command(9), "Fill from the Clipboard"},
        };
        QMap<QKeySequence, QSet<QString>> commandsByKey;
        for (auto [button, text] : buttons) {
            QCOMPARE(QString(button->text()).remove(QLatin1Char('&')), str(text));
            commandsByKey[QKeySequence::mnemonic(button->text())].insert(str(text));
        }
        const struct {
            const char* array;
            int index;
            const char* text;
        } entries[] = {
            {"open", 0, "Open Image of Tortoise Korvex"},
            {"load", 20, "from Clipboard"},
            {"load", 30, "from File"},
            {"save", 30, "to Clipboard"},
            {"save", 40, "to File"},
            {"open", 50, "End"},
            {"comp", 15, "Marginal Seams (D1)"},
            {"comp", 20, "Central Seams (D2)"},
            {"comp", 45, "Marginal and Central Seams (D)"},
            {"aha", 20, "Select Record"},
            {"file", 30, "auto"},
            {"file", 40, "Generate distribution"},
        };
        for (const auto& e : entries)
            QCOMPARE(form->menuEntry(str(e.array), e.index)->text().remove(QLatin1Char('&')),
                     str(e.text));
        QCOMPARE(form->menuEntry(str("comp"), 45)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_B));
        QVERIFY(form->menuEntry(str("aha"), 20)->shortcut().isEmpty());
        for (QAction* menu : form->menuBar()->actions())
            commandsByKey[QKeySequence::mnemonic(menu->text())].insert(menu->text());
        commandsByKey.remove(QKeySequence());
        for (auto it = commandsByKey.cbegin(); it != commandsByKey.cend(); ++it)
            QVERIFY2(it.value().size() == 1, qPrintable(it.key().toString()));
    }

    void controlsAreFoundByTheirAccessibleNames() {
        auto name = [](QObject* o) {
            return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name);
        };
        QCOMPARE(name(text1(0)), str("M1"));
        QCOMPARE(name(form->box(SeamGroupId::RightMarginal, 7)), str("M16"));
        QCOMPARE(name(form->box(SeamGroupId::RightCentral, 5)), str("C12"));
        QCOMPARE(name(form->findChild<QLabel*>(str("Label2"))),
                 str("No. of sampled individuals to be compared:"));
        QCOMPARE(name(form->findChild<QLabel*>(str("Label4"))), str("Identification code"));
        QCOMPARE(name(form->pictureArea()), str("Picture"));
    }

    void clickingIntoM4MidChainRedirectsTheNextLength() {
        QTest::mouseClick(form->check(1), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), text1(0));
        clickPicture(QPoint(100, 60));
        clickPicture(QPoint(100, 80)); // 20 pixels are 300 twips: M1
        QCOMPARE(text1(0)->text(), str("300"));
        QTest::mouseClick(text1(3), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), text1(3));
        clickPicture(QPoint(130, 120)); // 30 x 40 pixels from the last point
        QCOMPARE(text1(3)->text(), str("750"));
        QCOMPARE(text1(1)->text(), str("0"));
        QCOMPARE(QApplication::focusWidget(), text1(4));
        QCOMPARE(form->pictureArea()->cursor().shape(), Qt::CrossCursor);
        saveScreenshot(str("form1-chain.png"));
    }

    void zoomAndDragThroughTheWidgets() {
        const PictureView start = model().pictureView();
        QTest::mouseClick(form->check(3), Qt::LeftButton);
        const QPoint at(200, 150);
        const PointF p = form->pictureArea()->mapToImage(at);
        clickPicture(at);
        QCOMPARE(model().pictureView().width, start.width * 1.1F);
        QCOMPARE(model().pictureView().left, float(p.x - (p.x - start.left) * 1.1));
        clickPicture(at, Qt::RightButton);
        QVERIFY(qAbs(model().pictureView().width - start.width * 1.1F * 0.9F) < 0.01F);

        // Ticking one tool while the other is ticked unticks both; a second tick takes it.
        QTest::mouseClick(form->check(4), Qt::LeftButton);
        QVERIFY(!form->check(3)->isChecked());
        QVERIFY(!form->check(4)->isChecked());
        QTest::mouseClick(form->check(4), Qt::LeftButton);
        QVERIFY(form->check(4)->isChecked());
        const PictureView before = model().pictureView();
        const QPoint grab(250, 200);
        QTest::mouseMove(form->pictureArea(), grab);
        QTest::mousePress(form->pictureArea(), Qt::LeftButton, {}, grab);
        QTest::mouseMove(form->pictureArea(), grab + QPoint(30, 20));
        QTest::mouseRelease(form->pictureArea(), Qt::LeftButton, {}, grab + QPoint(30, 20));
        QVERIFY(qAbs(model().pictureView().left - (before.left + 450.0F)) < 1.0F);
        QVERIFY(qAbs(model().pictureView().top - (before.top + 300.0F)) < 1.0F);
        QCOMPARE(model().pictureView().width, before.width);
    }

    void standardizeThenClearTheSheet() {
        for (int i = 0; i < 8; ++i) {
            text1(i)->clear();
            QTest::keyClicks(text1(i), str("2"));
        }
        QTest::mouseClick(form->command(1), Qt::LeftButton);
        QCOMPARE(text1(7)->text(), str("0.1250"));
        QCOMPARE(form->seamLabel(LM, 0)->text(), str("m1"));
        QVERIFY(!form->command(1)->isEnabled());

        QTest::mouseClick(form->command(4), Qt::LeftButton);
        QCOMPARE(text1(7)->text(), str("0"));
        QCOMPARE(form->seamLabel(LM, 7)->text(), str("M8"));
        QVERIFY(form->check(1)->isChecked());
        QVERIFY(form->command(1)->isEnabled());
        QCOMPARE(QApplication::focusWidget(), text1(0));
    }

    void openingThePhotoFitsItToTheWidth() {
        const std::string path = SAMPLES_DIR "/plastron-demo.jpg";
        services->fileAnswers.push_back(path);
        const float viewportWidth = model().viewportWidth();
        form->menuEntry(str("open"), 0)->trigger();
        QCOMPARE(model().pictureView().height, viewportWidth * 3000.0F / 2400.0F);
        QCOMPARE(form->pictureArea()->renderer().imageSize(), QSize(2400, 3000));

        // Digitise a few junctions on the photo for the screenshot.
        QTest::mouseClick(form->check(5), Qt::LeftButton);
        for (QPoint at : {QPoint(300, 100), QPoint(302, 170), QPoint(298, 240)})
            clickPicture(at);
        QTest::mouseMove(form->pictureArea(), QPoint(305, 300));
        QVERIFY(model().rubberBand().has_value());
        saveScreenshot(str("form1-photo.png"));
    }

    // Fitted to the width, a thin strip makes the viewport millions of pixels
    // tall; only what the frame shows may be drawn.
    void aTallThinPhotoIsDrawnOnlyWhereItShows() {
        QTemporaryDir dir;
        const QString path = dir.filePath(str("strip.jpg"));
        QImage strip(1, 3000, QImage::Format_RGB32);
        strip.fill(Qt::gray);
        QVERIFY(strip.save(path, "JPEG"));
        services->fileAnswers.push_back(path.toStdString());
        form->menuEntry(str("open"), 0)->trigger();
        QCOMPARE(form->pictureArea()->renderer().imageSize(), QSize(1, 3000));
        QVERIFY(form->pictureArea()->height() > 100000);
        form->pictureArea()->repaint();
        const QSize frame =
            form->pictureArea()->parentWidget()->size() * form->pictureArea()->devicePixelRatio();
        const QSize drawn = form->pictureArea()->drawnSize();
        QVERIFY(!drawn.isEmpty());
        QVERIFY2(drawn.width() <= frame.width() && drawn.height() <= frame.height(),
                 qPrintable(QStringLiteral("%1 x %2").arg(drawn.width()).arg(drawn.height())));
    }

    void theCaptionIsThePathAsItStands() {
        QTemporaryDir dir;
        const QString path = dir.filePath(str("t[*]1 [*].jpg"));
        QVERIFY(QFile::copy(str(SAMPLES_DIR "/plastron-demo.jpg"), path));
        services->fileAnswers.push_back(path.toStdString());
        form->menuEntry(str("open"), 0)->trigger();
        QCOMPARE(form->windowHandle()->title(), path);
    }

    void cameraPhotosOpenUpright() {
        const QString dir = str(SHARED_PHOTOS_DIR);
        if (!QDir(dir).exists())
            QSKIP("the shared photographs are not present");
        for (const char* name : {"511-2019-06-26-carapace.jpg", "511-2021-05-24-carapace.jpg"}) {
            services->fileAnswers.push_back((dir + QLatin1Char('/') + str(name)).toStdString());
            form->menuEntry(str("open"), 0)->trigger();
            QCOMPARE(form->pictureArea()->renderer().imageSize(), QSize(3024, 4032));
            QVERIFY(model().pictureView().height > model().pictureView().width);
        }
    }

    void appendSaveClearLoadAndStep() {
        auto setMarginal = [&](const char* value) {
            for (int i = 0; i < 8; ++i) {
                text1(i)->clear();
                QTest::keyClicks(text1(i), str(value));
            }
        };
        setMarginal("1");
        services->inputAnswers = {"Ann", "Bob"};
        QTest::mouseClick(form->command(12), Qt::LeftButton);
        setMarginal("2");
        QTest::mouseClick(form->command(12), Qt::LeftButton);
        QCOMPARE(form->findChild<QLabel*>(str("Label2"))->text(), str("2"));

        QTemporaryDir dir;
        const std::string path = dir.filePath(str("two")).toStdString(); // no extension added
        services->fileAnswers = {path};
        form->menuEntry(str("save"), 40)->trigger();
        QVERIFY(QFile::exists(QString::fromStdString(path)));

        QTest::mouseClick(form->command(4), Qt::LeftButton);
        QApplication::clipboard()->clear();
        form->menuEntry(str("load"), 20)->trigger(); // an empty clipboard empties the data set
        QCOMPARE(form->findChild<QLabel*>(str("Label2"))->text(), str("0"));

        services->fileAnswers = {path};
        form->menuEntry(str("load"), 30)->trigger();
        QCOMPARE(form->findChild<QLabel*>(str("Label2"))->text(), str(" 2 "));
        QCOMPARE(text1(0)->text(), str("2")); // the saved sheet came back

        QTest::mouseClick(form->command(10), Qt::LeftButton); // "-" at record 1
        QCOMPARE(form->findChild<QLabel*>(str("Label4"))->text(), str("Ann"));
        QCOMPARE(text1(0)->text(), str("1"));
    }

    void eightBitDataSurvivesTheSystemClipboard() {
        // A code in Windows-1250 from an old file: shown readable, kept as bytes.
        std::string line = "Kn\xEC\x9A";
        for (int k = 0; k < 28; ++k)
            line += "\t0.1";
        const std::string text = line + "\r\n";
        services->setClipboardText(text);
        QCOMPARE(QApplication::clipboard()->text().left(4), str("Kněš"));
        form->menuEntry(str("load"), 20)->trigger();
        QCOMPARE(form->findChild<QLabel*>(str("Label4"))->text(), str("Kněš"));
        form->menuEntry(str("save"), 30)->trigger();
        QCOMPARE(services->clipboardText(), text);
        QCOMPARE(form->model().dataSet().text(), text);
    }

    void compareRanksTheLoadedRecords() {
        // Three records; the sheet is filled from the second.
        auto line = [](const char* code, double m, double c) {
            std::string l = code;
            for (int k = 0; k < 16; ++k)
                l += "\t" + std::to_string(m + 0.001 * k).substr(0, 6);
            for (int k = 0; k < 12; ++k) // left and right junctions drift apart with c
                l += "\t" +
                     std::to_string(c * (1.0 + (k < 6 ? 0.1 * k : 0.2 * (k - 6)))).substr(0, 6);
            return l + "\r\n";
        };
        const std::string text =
            line("far", 0.2, 0.3) + line("same", 0.06, 0.08) + line("near", 0.061, 0.081);
        QApplication::clipboard()->setText(QString::fromStdString(text));
        form->menuEntry(str("load"), 20)->trigger();
        QTest::mouseClick(form->command(11), Qt::LeftButton); // "+": show "same"
        QCOMPARE(form->findChild<QLabel*>(str("Label4"))->text(), str("same"));

        const struct {
            int index;
            const char* caption;
            const char* top;
        } commands[] = {
            {15, "List of Similar Voduzor - Marginal Seams (D1)", "0.000        same"},
            {20, "List of Similar Voduzor - Central Seams (D2)", "0.000        same"},
            {45, "List of Similar Voduzor - Marginal and Central Seams (D)", "0.0000       same"},
        };
        for (const auto& c : commands) {
            form->menuEntry(str("comp"), c.index)->trigger();
            Form2* list = form->listWindow();
            QVERIFY2(list, c.caption);
            QVERIFY(list->isVisible());
            QCOMPARE(list->windowTitle(), str(c.caption));
            QAbstractItemModel* rows = list->list()->model();
            QCOMPARE(rows->rowCount(), 3);
            QCOMPARE(rows->index(0, 0).data().toString(), str(c.top));
            QVERIFY(QApplication::clipboard()->text().startsWith(
                str("\tTime-series\tMinimum\tMedian\tMaximum\r\nnear\t")));
        }
        // Copy gives code TAB distance per line.
        QTest::mouseClick(form->listWindow()->copyButton(), Qt::LeftButton);
        QVERIFY(QApplication::clipboard()->text().startsWith(str("same\t0.0000\r\nnear\t")));
        // A double-click on a ranked line picks nothing.
        form->listWindow()->list()->setCurrentIndex(
            form->listWindow()->list()->model()->index(2, 0));
        emit form->listWindow()->list()->doubleClicked(form->listWindow()->list()->currentIndex());
        QCOMPARE(form->findChild<QLabel*>(str("Label4"))->text(), str("same"));

        QTest::mouseClick(form->listWindow()->closeButton(), Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(!form->listWindow());
        saveScreenshot(str("form1-after-compare.png"));
    }

    void selectRecordPicksByDoubleClick() {
        std::string text;
        for (const char* code : {"b2", "A1", "a3"}) {
            text += code;
            for (int k = 1; k <= 28; ++k)
                text += "\t" + std::to_string(k) + code;
            text += "\r\n";
        }
        QApplication::clipboard()->setText(QString::fromStdString(text));
        form->menuEntry(str("load"), 20)->trigger();
        form->menuEntry(str("aha"), 20)->trigger();
        Form2* list = form->listWindow();
        QVERIFY(list);
        QCOMPARE(list->windowTitle(), str("List of loaded specimen"));
        QCOMPARE(list->focusWidget(), static_cast<QWidget*>(list->closeButton()));
        QAbstractItemModel* rows = list->list()->model();
        QCOMPARE(rows->rowCount(), 3);
        QCOMPARE(rows->index(0, 0).data().toString(), str("A1"));
        QCOMPARE(rows->index(1, 0).data().toString(), str("a3"));
        QCOMPARE(rows->index(2, 0).data().toString(), str("b2"));

        const QRect a3 = list->list()->visualRect(rows->index(1, 0));
        QTest::mouseClick(list->list()->viewport(), Qt::LeftButton, {}, a3.center());
        QTest::mouseDClick(list->list()->viewport(), Qt::LeftButton, {}, a3.center());
        QCoreApplication::processEvents();
        QVERIFY(!form->listWindow());
        QCOMPARE(form->findChild<QLabel*>(str("Label3"))->text(), str("3"));
        QCOMPARE(form->findChild<QLabel*>(str("Label4"))->text(), str("a3"));
        QCOMPARE(text1(0)->text(), str("1a3"));
        QVERIFY(QApplication::clipboard()->text().startsWith(str("a3\t1a3\t")));
    }

    // What a box shows is what Append stores, however the text got there.
    void boxTextReachesTheSheetByAnyRoute() {
        // An old file's 8-bit code and value: edits of other boxes keep their bytes.
        std::string line = "T\xE9\t0\t0.5\xE9";
        for (int k = 3; k <= 28; ++k)
            line += "\t0";
        form->model().FillSheetFromText(line);
        QCOMPARE(model().sheet().cell(LM, 1), std::string("0.5\xE9"));

        QAccessibleInterface* m1 = QAccessible::queryAccessibleInterface(text1(0));
        QVERIFY(m1 && m1->editableTextInterface());
        m1->editableTextInterface()->replaceText(0, int(text1(0)->text().size()), str("0.1250"));
        QCOMPARE(text1(0)->text(), str("0.1250"));
        form->box(SeamGroupId::RightCentral, 5)->setText(str("0.375"));
        text1(7)->end(false);
        text1(7)->insert(str("9")); // as a paste or a drop inserts
        text1(7)->undo();
        text1(7)->redo();

        services->inputAnswers = {"T1"};
        QTest::mouseClick(form->command(12), Qt::LeftButton);
        const std::string stored = form->model().dataSet().text();
        const std::vector<std::string_view> fields =
            SpecimenRecord::splitFields(std::string_view(stored).substr(0, stored.size() - 2));
        QCOMPARE(fields.size(), std::size_t(29));
        QCOMPARE(std::string(fields[1]), std::string("0.1250"));
        QCOMPARE(std::string(fields[2]), std::string("0.5\xE9"));
        QCOMPARE(std::string(fields[8]), std::string("09"));
        QCOMPARE(std::string(fields[28]), std::string("0.375"));
    }

    // Assistive technology reads each display's meaning and its value, and the
    // list window as a window with its caption.
    void displaysAndTheListWindowAreReadable() {
        auto text = [](QObject* o, QAccessible::Text t) {
            return QAccessible::queryAccessibleInterface(o)->text(t);
        };
        std::string data;
        for (const char* code : {"Ann", "Bob"}) {
            data += code;
            for (int k = 1; k <= 28; ++k)
                data += "\t0.1";
            data += "\r\n";
        }
        QApplication::clipboard()->setText(QString::fromStdString(data));
        form->menuEntry(str("load"), 20)->trigger();
        QTest::mouseClick(form->command(11), Qt::LeftButton);
        auto* label3 = form->findChild<QLabel*>(str("Label3"));
        QCOMPARE(text(label3, QAccessible::Name), str("Record No."));
        QCOMPARE(text(label3, QAccessible::Description), str("2"));
        auto* label4 = form->findChild<QLabel*>(str("Label4"));
        QCOMPARE(text(label4, QAccessible::Description), str("Bob"));
        QCOMPARE(text(form->findChild<QLabel*>(str("Label2")), QAccessible::Description), str("2"));

        form->menuEntry(str("aha"), 20)->trigger();
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(form->listWindow());
        QCOMPARE(list->role(), QAccessible::Window);
        QCOMPARE(list->text(QAccessible::Name), str("List of loaded specimen"));
    }

    // The "Photo" menu: junctions drawn on the photo, a click undone from a
    // sheet box by its shortcut, and a stored record's photo opened again.
    void photoMenuDrawsUndoesAndReopens() {
        const std::string photo = SAMPLES_DIR "/plastron-demo.jpg";
        services->fileAnswers.push_back(photo);
        form->menuEntry(str("open"), 0)->trigger();
        QTest::mouseClick(form->check(5), Qt::LeftButton); // Central, left
        const QPoint junctions[] = {QPoint(300, 100), QPoint(302, 170), QPoint(298, 240)};
        for (QPoint at : junctions)
            clickPicture(at);
        QTest::mouseMove(form->pictureArea(), QPoint(500, 500));
        const auto& segments = model().segments();
        QVERIFY(segments[16] && segments[17] && !segments[18]);

        auto colourAt = [this](QPoint at) {
            return form->pictureArea()->grab().toImage().pixelColor(at);
        };
        const QColor green = JunctionPainter::groupColour(SeamGroupId::LeftCentral);
        QCOMPARE(colourAt(junctions[2]), green);
        QAction* show = form->findChild<QAction*>(str("photoShowJunctions"));
        show->trigger();
        QVERIFY(colourAt(junctions[2]) != green);
        show->trigger();
        saveScreenshot(str("form1-junctions.png"));

        QLineEdit* focused = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(focused != nullptr);
        QTest::keyClick(focused, Qt::Key_J, Qt::ControlModifier);
        QCOMPARE(form->box(SeamGroupId::LeftCentral, 1)->text(), str("0"));
        QVERIFY(!model().segments()[17]);
        QCOMPARE(QApplication::focusWidget(), form->box(SeamGroupId::LeftCentral, 1));
        clickPicture(junctions[2]);
        const auto kept = model().segments();

        QTemporaryDir dir;
        const std::string data = dir.filePath(str("photos.tor")).toStdString();
        services->inputAnswers.push_back("P1");
        QTest::mouseClick(form->command(12), Qt::LeftButton);
        services->fileAnswers.push_back(data);
        form->menuEntry(str("save"), 40)->trigger();
        QVERIFY(QFile::exists(QString::fromStdString(data + ".photos.json")));
        QTest::mouseClick(form->command(4), Qt::LeftButton); // clearing forgets the junctions
        services->fileAnswers.push_back(data);
        form->menuEntry(str("load"), 30)->trigger();
        QTest::mouseClick(form->command(11), Qt::LeftButton);
        QCOMPARE(form->box(SeamGroupId::LeftCentral, 1)->text().isEmpty(), false);
        form->findChild<QAction*>(str("photoOpenRecord"))->trigger();
        QCOMPARE(model().caption(), photo);
        for (std::size_t i = 0; i < kept.size(); ++i) {
            QCOMPARE(model().segments()[i].has_value(), kept[i].has_value());
            if (kept[i])
                QVERIFY(qAbs(model().segments()[i]->to.x - kept[i]->to.x) < 0.01);
        }
        QVERIFY(services->messages.empty());
    }

    // "Move Junctions": the pointer shows a marker under it, a drag moves the
    // junction and both seams meeting there get new lengths, Escape puts it
    // back, "Undo Last Click" takes a move back; the usual clicking is
    // untouched while it is off.
    void moveJunctionsDragsAMarker() {
        services->fileAnswers.push_back(SAMPLES_DIR "/plastron-demo.jpg");
        form->menuEntry(str("open"), 0)->trigger();
        QTest::mouseClick(form->check(5), Qt::LeftButton); // Central, left
        const QPoint junctions[] = {QPoint(300, 100), QPoint(302, 170), QPoint(298, 240)};
        for (QPoint at : junctions)
            clickPicture(at);
        QLineEdit* c1 = form->box(SeamGroupId::LeftCentral, 0);
        QLineEdit* c2 = form->box(SeamGroupId::LeftCentral, 1);
        const QString before1 = c1->text();
        const QString before2 = c2->text();
        const auto kept = model().segments();

        QAction* move = form->findChild<QAction*>(str("photoMoveJunctions"));
        QCOMPARE(move->text(), str("&Move Junctions"));
        QCOMPARE(form->findChild<QAction*>(str("photoMeasureJunctions"))->text(),
                 str("Measure &from the Junctions"));
        QCOMPARE(form->findChild<QAction*>(str("photoSnapClicks"))->text(),
                 str("&Snap Clicks to Seams"));
        move->trigger();
        PictureArea* area = form->pictureArea();
        QCursor::setPos(area->mapToGlobal(junctions[1]));
        QTest::mouseMove(area, junctions[1]);
        QCOMPARE(area->cursor().shape(), Qt::OpenHandCursor);
        QTest::mouseMove(area, QPoint(400, 400));
        QCursor::setPos(area->mapToGlobal(QPoint(400, 400)));
        QTest::mouseMove(area, QPoint(400, 400));
        QCOMPARE(area->cursor().shape(), Qt::ArrowCursor);

        // Escape during the drag: nothing moves.
        QTest::mousePress(area, Qt::LeftButton, {}, junctions[1]);
        QTest::mouseMove(area, QPoint(340, 175));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); // a sheet box
        QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(340, 175));
        QVERIFY(model().segments() == kept);
        QCOMPARE(c1->text(), before1);

        QTest::mousePress(area, Qt::LeftButton, {}, junctions[1]);
        QTest::mouseMove(area, QPoint(340, 175));
        QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(340, 175));
        QVERIFY(c1->text() != before1);
        QVERIFY(c2->text() != before2);
        QVERIFY(model().segments()[16]->to == model().segments()[17]->from);
        QVERIFY(model().segments()[16]->to.x > kept[16]->to.x);
        saveScreenshot(str("form1-junction-moved.png"));

        form->findChild<QAction*>(str("photoUndoClick"))->trigger();
        QCOMPARE(c1->text(), before1);
        QCOMPARE(c2->text(), before2);
        QVERIFY(model().segments() == kept);
        QVERIFY(services->messages.empty());
    }

    // A group clicked across a zoom step is said so in a line beside the
    // menus, until "Measure from the Junctions" measures it in photo pixels.
    void aGroupClickedAcrossAZoomStepIsFlagged() {
        services->fileAnswers.push_back(SAMPLES_DIR "/plastron-demo.jpg");
        form->menuEntry(str("open"), 0)->trigger();
        QTest::mouseClick(form->check(5), Qt::LeftButton); // Central, left
        clickPicture(QPoint(300, 100));
        clickPicture(QPoint(302, 170));
        clickPicture(QPoint(298, 240));
        auto* line = form->findChild<QLabel*>(str("zoomStepLine"));
        QVERIFY(line && line->isHidden());
        QTest::mouseClick(form->check(3), Qt::LeftButton); // Zoom
        clickPicture(QPoint(10, 10));
        QTest::mouseClick(form->check(3), Qt::LeftButton);
        QVERIFY(model().state().groupActive[2] == 1);
        clickPicture(QPoint(330, 340));
        QVERIFY(!line->isHidden());
        QCOMPARE(line->text(), QStringLiteral("Clicked across a zoom step: C1\u2013C6. Photo \u203a "
                                              "Measure from the Junctions measures every seam in "
                                              "photo pixels."));
        QCOMPARE(line->accessibleDescription(), line->text());
        // The line takes no room from the menus, whatever the window's width,
        // and shows whole inside the window.
        QCoreApplication::processEvents();
        auto* overflow = form->menuBar()->findChild<QToolButton*>(str("qt_menubar_ext_button"));
        QVERIFY(!overflow || !overflow->isVisible());
        const QRect shown(line->mapTo(form.get(), QPoint(0, 0)), line->size());
        QVERIFY(form->rect().contains(shown));
        QVERIFY(line->height() >= line->heightForWidth(line->width()));
        const QString before = form->box(SeamGroupId::LeftCentral, 2)->text();
        // Not every seam has its junctions yet: nothing to measure.
        form->findChild<QAction*>(str("photoMeasureJunctions"))->trigger();
        QCOMPARE(form->box(SeamGroupId::LeftCentral, 2)->text(), before);
        for (QPoint at : {QPoint(300, 400), QPoint(330, 460), QPoint(300, 520)})
            clickPicture(at);
        form->findChild<QAction*>(str("photoMeasureJunctions"))->trigger();
        QVERIFY(line->isHidden());
        QVERIFY(model().measuredInPhotoPixels(SeamGroupId::LeftCentral));
        // Undone, the group mixes again. Typed over, C1 to C3 (the third
        // spans the step) are no clicked lengths: the rest share one scale,
        // and the line goes with the boxes' orange.
        form->findChild<QAction*>(str("photoUndoClick"))->trigger();
        QVERIFY(!line->isHidden());
        for (std::size_t i = 0; i < 3; ++i) {
            QLineEdit* box = form->box(SeamGroupId::LeftCentral, i);
            QVERIFY(!box->styleSheet().isEmpty());
            box->selectAll();
            QTest::keyClicks(box, str("70"));
        }
        QVERIFY(line->isHidden());
        QVERIFY(form->box(SeamGroupId::LeftCentral, 3)->styleSheet().isEmpty());
        QVERIFY(services->messages.empty());
    }

    // Snapping: clicks around a junction of the drawn plastron land on one
    // point; with Shift held a click stays where it was pressed.
    void snappedClicksLandOnTheJunction() {
        PictureArea* area = form->pictureArea();
        area->setSnapping(true); // not through the menu, which remembers it
        // Near the third midline junction of the scheme.
        const auto first = area->landingPoint(QPoint(249, 183), false);
        QVERIFY(first);
        const QPointF junction = area->mapToView(*model().pictureTwipsOf(*first));
        for (QPointF offset : {QPointF(5, -4), QPointF(-6, 3), QPointF(2, 7), QPointF(0, 0)}) {
            const auto landed = area->landingPoint(junction + offset, false);
            QVERIFY(landed);
            QVERIFY(std::hypot(landed->x - first->x, landed->y - first->y) < 0.5);
        }
        const auto held = area->landingPoint(junction + QPointF(5, -4), true);
        QVERIFY(held && std::hypot(held->x - first->x, held->y - first->y) > 2.0);
        area->setSnapping(false);
        QCOMPARE(area->landingPoint(junction + QPointF(5, -4), false)->x, held->x);
        // Blank shell, far from any seam: the click stays.
        area->setSnapping(true);
        const QPointF blank = junction + QPointF(-60, 60);
        QCOMPARE(area->landingPoint(blank, false)->x, area->landingPoint(blank, true)->x);
    }

    // The line follows the group that the program itself switches on or
    // off, not only a tick by the user: after a load unticked "Marginal" it
    // must not promise a chain at M1 that the next click would not start.
    void theNextClickLineFollowsGroupsSwitchedByTheProgram() {
        QLabel* line = form->nextClickLine();
        QTest::mouseClick(form->check(1), Qt::LeftButton);
        QCOMPARE(line->text(), str("Next click starts a chain at M1"));

        services->fileAnswers = {SAMPLES_DIR "/tortoises.tor"};
        form->menuEntry(str("load"), MainWindowModel::LoadFromFile)->trigger();
        QCOMPARE(form->findChild<QLabel*>(str("Label2"))->text(), str(" 32 "));
        QVERIFY(!form->check(1)->isChecked());
        QCOMPARE(line->text(),
                 str("Next click measures nothing: tick Marginal or Central to measure"));
        clickPicture(QPoint(100, 60));
        QCOMPARE(text1(0)->text(), str("0.1086")); // the click measured nothing

        // "Clear the Sheet" switches M1..M8 on again, with the focus already in M1.
        text1(0)->setFocus();
        QTest::mouseClick(form->command(4), Qt::LeftButton);
        QVERIFY(form->check(1)->isChecked());
        QCOMPARE(line->text(), str("Next click starts a chain at M1"));
    }

    // A stray chain: after a finished group a stray click starts a
    // chain, which the line and the marker show and Escape over the picture ends.
    void aStrayChainIsSeenAndEndedWithEscapeOverThePicture() {
        QLabel* line = form->nextClickLine();
        QVERIFY(line && line->isVisible());
        QVERIFY(form->statusBar()->isAncestorOf(line));
        QCOMPARE(line->text(), str("Next click measures nothing: tick Marginal or Central to measure"));
        QTest::mouseClick(form->check(1), Qt::LeftButton);
        QCOMPARE(line->text(), str("Next click starts a chain at M1"));
        for (int i = 0; i < 9; ++i)
            clickPicture(QPoint(100, 60 + 20 * i));
        QCOMPARE(line->text(), str("Next click starts a chain at M1"));
        const QPoint stray(420, 330);
        clickPicture(stray);
        QCOMPARE(line->text(), str("Next click: M1, from junction 1"));
        // Assistive technology reads the line as it changes.
        QCOMPARE(QAccessible::queryAccessibleInterface(line)->text(QAccessible::Name), line->text());
        // The start of the chain is drawn as a ring around the stray point.
        const QColor ring = pictureImage().pixelColor(stray + QPoint(9, 0));
        QVERIFY2(ring.red() > 200 && ring.green() > 200 && ring.blue() < 100,
                 qPrintable(ring.name()));

        // "Clear the Sheet" keeps the chain, as it always did, but leaves no
        // segment or band on the picture: only the marker shows the chain.
        const QPoint pointer(300, 380);
        QTest::mouseMove(form->pictureArea(), pointer);
        QVERIFY(redPixelsAlong(pictureImage(), stray, pointer) > 50);
        const QColor blue = JunctionPainter::groupColour(LM);
        QCOMPARE(pictureImage().pixelColor(QPoint(100, 80)), blue);
        QTest::mouseClick(form->command(4), Qt::LeftButton);
        const QImage cleared = pictureImage();
        QCOMPARE(redPixelsAlong(cleared, stray, pointer), 0);
        QVERIFY(cleared.pixelColor(QPoint(100, 80)) != blue);
        QVERIFY(model().chainStart().has_value());
        QCOMPARE(line->text(), str("Next click: M1, from junction 1"));
        saveScreenshot(str("form1-stray-chain.png"));

        // Escape with the pointer away from the picture does not end it.
        QTest::mouseMove(form->check(3));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(model().chainStart().has_value());
        // Over the picture it does, from the sheet box that has the focus.
        QTest::mouseMove(form->pictureArea(), pointer);
        QCOMPARE(QApplication::focusWidget(), text1(0));
        QTest::keyClick(text1(0), Qt::Key_Escape);
        QVERIFY(!model().chainStart());
        QCOMPARE(line->text(), str("Next click starts a chain at M1"));
        const QColor gone = pictureImage().pixelColor(stray + QPoint(9, 0));
        QVERIFY2(!(gone.red() > 200 && gone.green() > 200 && gone.blue() < 100),
                 qPrintable(gone.name()));
        clickPicture(QPoint(100, 60));
        clickPicture(QPoint(100, 80));
        QCOMPARE(text1(0)->text(), str("300"));

        // "Photo > Start a New Chain" does the same.
        QAction* entry = form->findChild<QAction*>(str("photoNewChain"));
        QVERIFY(entry);
        QCOMPARE(entry->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&')),
                 str("Start a New Chain"));
        entry->trigger();
        QVERIFY(!model().chainStart());
        QCOMPARE(line->text(), str("Next click starts a chain at M2"));
    }

    // A phone photo opens fitted to its width; the whole of it, Ctrl + wheel
    // about the pointer, and a chain clicked across a zoom step flagged.
    void theWholePhotoAndZoomingAboutThePointer() {
        // As tall for its width as a phone photo on a wide window.
        QTemporaryDir dir;
        const QString path = dir.filePath(str("tall.jpg"));
        QImage tall(600, 1800, QImage::Format_RGB32);
        tall.fill(QColor(120, 110, 90));
        QVERIFY(tall.save(path, "JPEG"));
        services->fileAnswers.push_back(path.toStdString());
        form->menuEntry(str("open"), 0)->trigger();
        QWidget* frame = form->pictureArea()->parentWidget();
        const QRectF shown(QPointF(0, 0), QSizeF(frame->size()));
        QVERIFY(form->pictureArea()->pictureRect().height() > shown.height());

        QAction* whole = form->findChild<QAction*>(str("photoFitWhole"));
        QVERIFY(whole);
        QCOMPARE(whole->text().remove(QLatin1Char('&')), str("Fit the Whole Photo"));
        whole->trigger();
        const QRectF fitted = form->pictureArea()->pictureRect();
        QVERIFY2(shown.adjusted(-0.5, -0.5, 0.5, 0.5).contains(fitted),
                 qPrintable(QStringLiteral("%1 %2 %3 %4")
                                .arg(fitted.x())
                                .arg(fitted.y())
                                .arg(fitted.width())
                                .arg(fitted.height())));
        QVERIFY(qAbs(fitted.height() - shown.height()) < 1.0 ||
                qAbs(fitted.width() - shown.width()) < 1.0);
        saveScreenshot(str("form1-whole-photo.png"));

        // The photo point under the pointer stays under it (the middle of the
        // photo, so that no edge of the frame stops it).
        const QPoint at = fitted.center().toPoint();
        const auto photoPoint = model().photoPixelOf(form->pictureArea()->mapToImage(at));
        QVERIFY(photoPoint);
        ctrlWheel(at, 3);
        QVERIFY(form->pictureArea()->pictureRect().width() > fitted.width() * 1.7);
        const QPointF back = form->pictureArea()->mapToView(*model().pictureTwipsOf(*photoPoint));
        QVERIFY2(QLineF(back, QPointF(at)).length() < 0.5,
                 qPrintable(QStringLiteral("%1, %2").arg(back.x()).arg(back.y())));
        saveScreenshot(str("form1-wheel-zoom.png"));
        // Out again: never below the whole photo, and no band where it could fill.
        for (int i = 0; i < 10; ++i)
            ctrlWheel(at, -1);
        QVERIFY(qAbs(form->pictureArea()->pictureRect().height() - fitted.height()) < 1.0);
        QVERIFY(shown.adjusted(-0.5, -0.5, 0.5, 0.5)
                    .contains(form->pictureArea()->pictureRect()));

        // A chain clicked across a wheel step: the boxes and the line say so.
        QTest::mouseClick(form->check(5), Qt::LeftButton); // Central, left
        QLineEdit* c1 = form->box(SeamGroupId::LeftCentral, 0);
        QVERIFY(c1->toolTip().isEmpty());
        clickPicture(at);
        clickPicture(at + QPoint(0, 30));
        ctrlWheel(at, 1);
        QVERIFY(form->nextClickLine()->text().contains(str("clicked before a zoom step")));
        clickPicture(at + QPoint(0, 60));
        QVERIFY(form->nextClickLine()->text().endsWith(
            str("C1 to C6 were clicked across a zoom step and mix two scales: measure them again")));
        QCOMPARE(c1->toolTip(), str("Clicked across a zoom step: measure the group again"));
        QCOMPARE(QAccessible::queryAccessibleInterface(c1)->text(QAccessible::Description),
                 c1->toolTip());
        // Without Ctrl the wheel zooms nothing.
        const float width = model().pictureView().width;
        const QPointF global = form->pictureArea()->mapToGlobal(QPointF(at));
        QWheelEvent plain(QPointF(at), global, QPoint(), QPoint(0, 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(form->pictureArea(), &plain);
        QCOMPARE(model().pictureView().width, width);
        // The check boxes stayed as they were through every wheel step.
        QVERIFY(form->check(5)->isChecked());
    }

    // An addition to the list window: Escape and Ctrl+W close it as "Close" does.
    void theListWindowHasEveryWayOut() {
        QApplication::clipboard()->setText(str("A\t1\r\nB\t2\r\n"));
        form->menuEntry(str("load"), 20)->trigger();
        test::expectEveryWayOut([this]() -> QWidget* {
            form->menuEntry(str("aha"), 20)->trigger();
            return form->listWindow();
        });
        QCoreApplication::processEvents();
        QVERIFY(!form->listWindow());
    }

    void closingPromptPaths() {
        // No: the window closes without saving.
        services->messageAnswers = {PlatformServices::Answer::No};
        QVERIFY(form->close());
        QCOMPARE(services->messages.back().text, std::string("Do you want to save the data?"));
        // Yes with a cancelled save dialog: the window stays open.
        form->show();
        services->messageAnswers = {PlatformServices::Answer::Yes};
        services->fileAnswers = {std::nullopt};
        form->menuEntry(str("open"), 50)->trigger();
        QVERIFY(form->isVisible());
        // Yes and a file: saved, then closed.
        QTemporaryDir dir;
        const QString path = dir.filePath(str("end.tor"));
        services->messageAnswers = {PlatformServices::Answer::Yes};
        services->fileAnswers = {path.toStdString()};
        form->menuEntry(str("open"), 50)->trigger();
        QVERIFY(!form->isVisible());
        QVERIFY(QFile::exists(path));
    }
};

QTEST_MAIN(Form1Test)
#include "Form1Test.moc"
