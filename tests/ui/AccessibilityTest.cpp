// Every window of the program, walked as a screen reader walks it: each
// control it can reach is named, and each label is read with the text it shows.
#include "ui/AboutWindow.h"
#include "ui/CatalogueFindingsWindow.h"
#include "ui/CatalogueReportWindow.h"
#include "ui/CatalogueWindows.h"
#include "ui/CheckWindow.h"
#include "ui/DecisionsWindow.h"
#include "ui/EncounterDialog.h"
#include "ui/EncountersWindow.h"
#include "ui/Form1.h"
#include "ui/Form2.h"
#include "ui/GuideWindow.h"
#include "ui/MeasureAgainBar.h"
#include "ui/PhotoLoader.h"
#include "ui/PopulationWindow.h"
#include "ui/RepeatabilityWindow.h"

#include "../analysis/CatalogueFixtures.h"
#include "WindowTestHelpers.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QProgressDialog>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <memory>

using namespace korvex;
using korvex::test::ScriptedServices;
using korvex::test::str;

namespace {

// Roles of the controls a user moves to and works: each must be named.
bool isInteractive(QAccessible::Role role) {
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::EditableText:
    case QAccessible::ComboBox:
    case QAccessible::SpinBox:
    case QAccessible::Table:
    case QAccessible::List:
    case QAccessible::Tree:
    case QAccessible::PageTabList:
    case QAccessible::PageTab:
    case QAccessible::Slider:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
        return true;
    default:
        return false;
    }
}

// The text `label` shows, as a reader would say it: rich text as plain text,
// without the mnemonic marker of a buddy's caption.
QString shownText(const QLabel* label) {
    QString text = label->text();
    if (label->textFormat() == Qt::RichText ||
        (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text))) {
        QTextDocument document;
        document.setHtml(text);
        text = document.toPlainText();
    }
    if (label->buddy())
        text.remove(QLatin1Char('&'));
    return text.simplified();
}

QString describe(QAccessibleInterface* face) {
    QObject* object = face->object();
    const QString name = object ? object->objectName() : QString();
    return QStringLiteral("%1%2")
        .arg(object ? QString::fromLatin1(object->metaObject()->className())
                    : QStringLiteral("role %1").arg(int(face->role())))
        .arg(name.isEmpty() ? QString() : QStringLiteral(" \"%1\"").arg(name));
}

// Whether a reader can say what `face` is. Where the platform reads a combo
// box's choice as its name, that choice does not name it: a name of its own
// or a label pointing at it must.
bool isNamed(QAccessibleInterface* face) {
    const QString name = face->text(QAccessible::Name).trimmed();
    if (name.isEmpty())
        return false;
    if (face->role() != QAccessible::ComboBox || name != face->text(QAccessible::Value).trimmed())
        return true;
    return !face->relations(QAccessible::Label).isEmpty();
}

// What a walk found: the gaps, and how much it met.
struct Walk {
    QStringList gaps;
    int controls = 0;
    int labels = 0;
};

// Walks `face` and what it holds, adding to the gaps each control without a
// name and each label read without its text. The cells of a table or list
// are not walked: the view, named, is what a reader lands on.
void walk(QAccessibleInterface* face, const QString& path, Walk& walked, int depth = 0) {
    if (!face || !face->isValid() || depth > 64)
        return;
    // What is hidden is not read; a window is walked in each state that
    // shows a part of it.
    const QAccessible::State state = face->state();
    if (state.invisible)
        return;
    const QString here = path + QStringLiteral(" / ") + describe(face);
    const QAccessible::Role role = face->role();
    if (isInteractive(role) && !state.disabled) {
        ++walked.controls;
        if (!isNamed(face))
            walked.gaps << here + QStringLiteral(": no accessible name");
    }
    if (auto* label = qobject_cast<QLabel*>(face->object())) {
        ++walked.labels;
        const QString shown = shownText(label);
        const QString read = (face->text(QAccessible::Name) + QLatin1Char('\n') +
                              face->text(QAccessible::Description))
                                 .simplified();
        if (!shown.isEmpty() && !read.contains(shown))
            walked.gaps
                << here + QStringLiteral(": shows \"%1\" but is read as \"%2\"").arg(shown, read);
    }
    if (role == QAccessible::Table || role == QAccessible::List || role == QAccessible::Tree)
        return;
    for (int i = 0; i < face->childCount(); ++i)
        walk(face->child(i), here, walked, depth + 1);
}

// The gaps of `window`, shown, walked from its top; with `settle` only once
// the window is on the screen. A walk that meets no control has not reached
// the window's contents, and says so.
QStringList gapsOf(QWidget* window, bool settle = true) {
    if (!window)
        return {QStringLiteral("no window to walk")};
    window->show();
    if (settle && !QTest::qWaitForWindowExposed(window))
        return {QStringLiteral("the window was not shown")};
    Walk walked;
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(window);
    if (!face || face->text(QAccessible::Name).trimmed().isEmpty())
        walked.gaps << describe(face) + QStringLiteral(": the window has no accessible name");
    walk(face, QString(), walked);
    if (walked.controls == 0)
        walked.gaps << describe(face) + QStringLiteral(": no control was reached");
    qInfo("%s: %d controls, %d labels walked", window->metaObject()->className(), walked.controls,
          walked.labels);
    return walked.gaps;
}

#define EXPECT_READABLE(...)                                                                       \
    do {                                                                                           \
        const QStringList gaps = gapsOf(__VA_ARGS__);                                              \
        QVERIFY2(gaps.isEmpty(), qPrintable(gaps.join(QLatin1Char('\n'))));                        \
    } while (false)

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1> form;
    ScriptedServices* services = nullptr;
    std::unique_ptr<QTemporaryDir> folder;

    QAction* entry(const char* name) { return form->findChild<QAction*>(str(name)); }
    void openPhoto() {
        services->fileAnswers.push_back(SAMPLES_DIR "/plastron-demo.jpg");
        form->menuEntry(str("open"), 0)->trigger();
    }
    void appendOnThePhoto() { test::appendTwoOnThePhoto(*form, *services); }
    void loadTheSampleCatalogue() {
        folder = std::make_unique<QTemporaryDir>();
        test::loadTheSampleCatalogue(*form, *services, *folder);
    }

private slots:
    void init() {
        form = test::startedForm(services);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    void cleanup() {
        form.reset();
        folder.reset();
    }

    void theMainWindowWithAndWithoutAPhoto() {
        EXPECT_READABLE(form.get());
        openPhoto();
        EXPECT_READABLE(form.get());
    }

    void theMeasureAgainBar() {
        appendOnThePhoto();
        for (const char* a : {"10", "48213", "ann"})
            services->inputAnswers.push_back(a);
        entry("catalogueMeasureAgain")->trigger();
        auto* bar = form->findChild<MeasureAgainBar*>();
        QVERIFY(bar && bar->isVisible());
        EXPECT_READABLE(form.get());
        services->messageAnswers.push_back(PlatformServices::Answer::Ok);
        bar->commands().stop();
    }

    void theListAndTheCheckWindow() {
        appendOnThePhoto(); // the check window then shows both photos
        form->menuEntry(str("comp"), 45)->trigger();
        Form2* list = form->listWindow();
        QVERIFY(list);
        EXPECT_READABLE(list);
        list->selectRow(0);
        list->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(list));
        list->list()->setFocus();
        QTest::keyClick(list->list(), Qt::Key_Return);
        CheckWindow* check = form->checkWindow();
        QVERIFY(check);
        check->loader().waitForAll();
        QCoreApplication::processEvents();
        EXPECT_READABLE(check);
    }

    void theDecisionsWindow() {
        services->setClipboardText("A\t1\r\nB\t2\r\n");
        form->model().load_Click(MainWindowModel::LoadFromClipboard);
        entry("catalogueDecisions")->trigger();
        EXPECT_READABLE(form->findChild<DecisionsWindow*>());
    }

    void theWindowsOfACatalogueRun() {
        const test::GeneratedCatalogue catalogue = test::generateCatalogue(21, 120);
        services->setClipboardText(catalogue.text);
        form->model().load_Click(MainWindowModel::LoadFromClipboard);
        CatalogueCommands commands(*services, form->model());
        for (const auto command :
             {CatalogueCommands::Command::Evaluate, CatalogueCommands::Command::Check}) {
            services->inputAnswers.push_back("");
            const std::shared_ptr<CatalogueCommands::Run> run = commands.start(command);
            QVERIFY(run);
            run->run();
            QVERIFY(commands.finished(*run));
            std::unique_ptr<QWidget> window;
            if (command == CatalogueCommands::Command::Evaluate)
                window = std::make_unique<CatalogueReportWindow>(commands, run, form.get());
            else
                window = std::make_unique<CatalogueFindingsWindow>(commands, run, form.get());
            EXPECT_READABLE(window.get());
        }

        // The progress of a run from the menu, walked before the run can end
        // and take it away; then the report it opens.
        services->inputAnswers.push_back("");
        entry("catalogueEvaluate")->trigger();
        auto* windows = form->findChild<CatalogueWindows*>(QStringLiteral("catalogueWindows"));
        QVERIFY(windows && windows->progressDialog());
        EXPECT_READABLE(windows->progressDialog(), false);
        CatalogueReportWindow* report = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((report = form->findChild<CatalogueReportWindow*>()), 20000);
        EXPECT_READABLE(report);
    }

    void theEncounterDialogAndTable() {
        loadTheSampleCatalogue();
        QVERIFY(form->model().ShowPickedRecord(2));
        QStringList dialogGaps{QStringLiteral("the dialog did not open")};
        QTimer::singleShot(0, this, [&dialogGaps] {
            auto* dialog = dynamic_cast<EncounterDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialogGaps = gapsOf(dialog);
            dialog->reject();
        });
        entry("catalogueEncounter")->trigger();
        QVERIFY2(dialogGaps.isEmpty(), qPrintable(dialogGaps.join(QLatin1Char('\n'))));
        entry("catalogueEncounters")->trigger();
        EXPECT_READABLE(form->findChild<EncountersWindow*>());
    }

    void bothPagesOfThePopulationWindow() {
        loadTheSampleCatalogue();
        form->model().setIndividualPattern("^[A-Za-z]+[0-9]+");
        for (const auto page : {PopulationWindow::Page::Export, PopulationWindow::Page::Estimates})
            EXPECT_READABLE(
                PopulationWindow::open(form.get(), page, nullptr, form->model(), *services));
    }

    void theRepeatabilityWindowWithAndWithoutRepeats() {
        entry("catalogueRepeatability")->trigger();
        EXPECT_READABLE(form->findChild<RepeatabilityWindow*>());

        QVERIFY(loadTheSampleRepeats(*form, *services) > 0);
        entry("catalogueRepeatability")->trigger();
        auto* window = form->findChild<RepeatabilityWindow*>();
        QVERIFY(window);
        QVERIFY(window->tabs()->count() > 1);
        for (int t = 0; t < window->tabs()->count(); ++t) {
            window->tabs()->setCurrentIndex(t);
            EXPECT_READABLE(window);
        }
    }

    void theGuideAndTheAboutBox() {
        entry("helpGuide")->trigger();
        EXPECT_READABLE(form->findChild<GuideWindow*>());
        entry("helpAbout")->trigger();
        EXPECT_READABLE(form->findChild<AboutWindow*>());
    }
};

QTEST_MAIN(AccessibilityTest)
#include "AccessibilityTest.moc"
