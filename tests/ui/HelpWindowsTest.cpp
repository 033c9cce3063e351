// The Help menu: last on the bar, its guide and About box opened from it, read
// by assistive technology, closed by Escape and by "Close"; the About box's
// version is the one korvex-batch prints.
#include "ui/AboutWindow.h"
#include "ui/Form1.h"
#include "ui/GuideWindow.h"
#include "version/Version.h"

#include "WindowTestHelpers.h"

#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include <memory>

using namespace korvex;
using korvex::test::accessibleName;
using korvex::test::ScriptedServices;
using korvex::test::str;

namespace {

QString withoutMnemonic(QString text) {
    return text.remove(QLatin1Char('&'));
}

// What a screen reader reads of a text widget: its whole text.
QString readText(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    QAccessibleTextInterface* text = face ? face->textInterface() : nullptr;
    return text ? text->text(0, text->characterCount()) : QString();
}

} // namespace

class HelpWindowsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<Form1> form;
    ScriptedServices* services = nullptr;

    template <class Window> Window* openFromMenu(const QString& entry) {
        auto* action = form->findChild<QAction*>(entry);
        if (!action)
            return nullptr;
        action->trigger();
        return form->findChild<Window*>();
    }

private slots:
    void init() { form = test::startedForm(services); }
    void cleanup() { form.reset(); }

    void helpIsTheLastMenuAndTheOthersKeepTheirPlaces() {
        QStringList bar;
        for (QAction* action : form->menuBar()->actions())
            bar << withoutMnemonic(action->text());
        QCOMPARE(bar, (QStringList{QStringLiteral("File"), QStringLiteral("Compare"),
                                   QStringLiteral("Fill the Sheet"), QStringLiteral("auto"),
                                   QStringLiteral("Generate distribution"), QStringLiteral("Photo"),
                                   QStringLiteral("Catalogue"), QStringLiteral("Help")}));
        QMenu* help = form->menuBar()->actions().last()->menu();
        QVERIFY(help);
        QStringList entries;
        for (QAction* action : help->actions())
            entries << withoutMnemonic(action->text());
        QCOMPARE(entries, (QStringList{QStringLiteral("Guide"), QStringLiteral("About KORVEX")}));
    }

    void guideShowsTheClickOrderTheMeasuresAndTheFiles() {
        auto* guide = openFromMenu<GuideWindow>(QStringLiteral("helpGuide"));
        QVERIFY(guide);
        QVERIFY(QTest::qWaitForWindowExposed(guide));
        QVERIFY(guide->isWindow());
        QCOMPARE(guide->windowTitle(), QStringLiteral("KORVEX Guide"));
        QCOMPARE(accessibleName(guide), QStringLiteral("KORVEX Guide"));
        QVERIFY(!guide->isModal()); // the sheet stays usable beside it
        QCOMPARE(accessibleName(guide->browser()), QStringLiteral("Guide"));

        // Read as a screen reader reads it, not only as painted.
        const QString read = readText(guide->browser());
        for (const char* says :
             {"M1 … M8", "M9 … M16", "C1 … C6", "C7 … C12",
              "The first click of a group only starts it", "Open Image of Tortoise Korvex",
              "Standardize", "Append to the List", "Marginal and Central Seams (D)",
              "Check Candidate", "D1, marginal seams", "D2, central seams",
              "D = \u221a(D1 \u00d7 D2)", ".tor.photos.json", "~/.local/share/KORVEX/recovery/"})
            QVERIFY2(read.contains(QString::fromUtf8(says)), says);

        // The scheme stands in the text, drawn, not as a broken picture.
        const QVariant scheme = guide->browser()->document()->resource(
            QTextDocument::ImageResource, QUrl(QString::fromLatin1(GuideWindow::kSchemeLink)));
        QVERIFY(!scheme.value<QImage>().isNull());

        QTest::keyClick(guide->browser(), Qt::Key_Escape);
        QVERIFY(!guide->isVisible());
        // Opened again, it is the same window.
        QCOMPARE(openFromMenu<GuideWindow>(QStringLiteral("helpGuide")), guide);
        QVERIFY(guide->isVisible());
        QCOMPARE(form->findChildren<GuideWindow*>().size(), 1);
        auto* close = guide->findChild<QPushButton*>(QStringLiteral("guideClose"));
        QVERIFY(close);
        QCOMPARE(accessibleName(close), QStringLiteral("Close"));
        close->click();
        QVERIFY(!guide->isVisible());
    }

    void aboutSaysTheVersionTheBuildTheQtAndTheLicences() {
        auto* about = openFromMenu<AboutWindow>(QStringLiteral("helpAbout"));
        QVERIFY(about);
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QCOMPARE(about->windowTitle(), QStringLiteral("About KORVEX"));
        QCOMPARE(accessibleName(about), QStringLiteral("About KORVEX"));
        QVERIFY(!about->isModal());

        QStringList read;
        for (QLabel* label : about->labels()) {
            // A screen reader names each fact by its text.
            QCOMPARE(accessibleName(label), label->text());
            read << label->text();
        }
        const QString version = QStringLiteral("Version ") + str(kVersion);
        QVERIFY2(read.contains(version), qPrintable(read.join(QLatin1Char('\n'))));
        QVERIFY(read.contains(
            QStringLiteral("Qt %1 at run time (built with Qt %2)")
                .arg(QString::fromLatin1(qVersion()), QString::fromLatin1(QT_VERSION_STR))));
        QVERIFY(read.contains(QStringLiteral("Build: not optimised (Debug)")) ||
                read.contains(QStringLiteral("Build: optimised (%1)").arg(str(kBuildType))));
        // Qt's licences are named; so is every other library of the build.
        QVERIFY(read.join(QLatin1Char('\n')).contains(QStringLiteral("GNU LGPL version 3")));
        for (const LinkedLibrary& library : kLinkedLibraries)
            QVERIFY2(read.contains(str(library.name) + QStringLiteral(": ") + str(library.licence)),
                     library.name.data());

        QTest::keyClick(about, Qt::Key_Escape);
        QVERIFY(!about->isVisible());
        openFromMenu<AboutWindow>(QStringLiteral("helpAbout"));
        QVERIFY(about->isVisible());
        auto* close = about->findChild<QPushButton*>(QStringLiteral("aboutClose"));
        QVERIFY(close);
        close->click();
        QVERIFY(!about->isVisible());
    }

    // The command-line program names the version the About box shows.
    void batchPrintsTheVersionTheAboutBoxShows() {
        QProcess batch;
        batch.start(QString::fromUtf8(KORVEX_BATCH), {QStringLiteral("--version")});
        QVERIFY(batch.waitForFinished(30000));
        QCOMPARE(batch.exitCode(), 0);
        const QString printed = QString::fromUtf8(batch.readAllStandardOutput()).trimmed();
        QVERIFY(printed.startsWith(QStringLiteral("korvex-batch ")));
        const QString version = printed.mid(QStringLiteral("korvex-batch ").size());

        auto* about = openFromMenu<AboutWindow>(QStringLiteral("helpAbout"));
        QVERIFY(about);
        QStringList read;
        for (QLabel* label : about->labels())
            read << label->text();
        QVERIFY2(read.contains(QStringLiteral("Version ") + version), qPrintable(version));
    }
};

QTEST_MAIN(HelpWindowsTest)
#include "HelpWindowsTest.moc"
