#pragma once

#include "ScriptedServices.h"
#include "exchange/EncountersText.h"
#include "exchange/TorFile.h"
#include "testing/SampleRepeats.h"
#include "ui/Form1.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace korvex::test {

// UTF-8 bytes, e.g. a compiled-in folder name, as a QString.
inline QString str(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// The name assistive technology reads for `object`.
inline QString accessibleName(QObject* object) {
    return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
}

// A main window, started, whose dialogs answer from the services it points
// `services` to.
inline std::unique_ptr<Form1> startedForm(ScriptedServices*& services) {
    auto scripted = std::make_unique<ScriptedServices>();
    services = scripted.get();
    auto form = std::make_unique<Form1>(std::move(scripted));
    form->startUp();
    return form;
}

// Records T0 and T1 appended on the sample photo, M1..M8 clicked for each.
inline void appendTwoOnThePhoto(Form1& form, ScriptedServices& services) {
    DigitisingModel& d = form.model().digitising();
    for (int r = 0; r < 2; ++r) {
        services.fileAnswers.push_back(SAMPLES_DIR "/plastron-demo.jpg");
        form.menuEntry(str("open"), 0)->trigger();
        d.setChecked(1, true);
        d.setChecked(1, true);
        for (int i = 0; i <= 8; ++i)
            d.PointerDown(DigitisingModel::kLeftButton, 300.0F * float(i + r),
                          200.0F * float(i % 2));
        services.inputAnswers.push_back("T" + std::to_string(r));
        form.model().AppendToList();
    }
}

// The sample catalogue opened from a copy in `folder`, so that the lock kept
// beside an open data file meets no other test run at the same time, with the
// sample encounters set on its records.
inline void loadTheSampleCatalogue(Form1& form, ScriptedServices& services,
                                   const QTemporaryDir& folder) {
    const QString tor = folder.filePath(QStringLiteral("tortoises.tor"));
    QVERIFY(QFile::copy(QStringLiteral(SAMPLES_DIR "/tortoises.tor"), tor));
    services.fileAnswers.push_back(tor.toStdString());
    form.model().LoadDataFile();
    QVERIFY(form.model().dataSet().pieceCount() > 20);
    QFile file(str(SAMPLES_DIR "/tortoises-encounters.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const auto read = EncountersText::read(file.readAll().toStdString());
    QVERIFY(read.errors.empty());
    for (const auto& [number, encounter] : read.byRecord)
        QVERIFY(form.model().document().setEncounter(number, encounter));
}

// A file of the samples folder, whole; empty when it cannot be read.
inline std::string sampleText(const char* name) {
    QFile file(str(SAMPLES_DIR "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// The sample catalogue, loaded from the clipboard, with the sample repeats of
// two operators; how many repeats were added.
inline std::size_t loadTheSampleRepeats(Form1& form, ScriptedServices& services) {
    services.setClipboardText(TorFile::read(sampleText("tortoises.tor")).dataSetText);
    form.model().load_Click(MainWindowModel::LoadFromClipboard);
    return form.model().document().addRepeats(
        fakes::repeatsOf(form.model().dataSet(), sampleText("tortoises-repeats.txt"),
                         sampleText("tortoises-repeats-operators.txt")));
}

// Keeps a picture of `window` in the build's screenshot folder.
inline void saveScreenshot(QWidget* window, const QString& name) {
    QDir().mkpath(str(SCREENSHOT_DIR));
    QVERIFY(window->grab().save(str(SCREENSHOT_DIR) + QLatin1Char('/') + name));
}

// Opens a window with `open` once for each way out, and takes it: Escape,
// each of the platform's Close keys (Ctrl+W among them where the platform
// uses it) pressed wherever the window's focus is, and its "Close" button.
// Each time the window must be gone or hidden.
inline void expectEveryWayOut(const std::function<QWidget*()>& open) {
    QList<QKeySequence> keys{QKeySequence(Qt::Key_Escape)};
    keys += QKeySequence::keyBindings(QKeySequence::Close);
#ifndef Q_OS_MACOS
    QVERIFY(keys.contains(QKeySequence(Qt::CTRL | Qt::Key_W)));
#endif
    for (qsizetype way = 0; way <= keys.size(); ++way) {
        const QString how = way < keys.size() ? keys[way].toString() : QStringLiteral("Close");
        QPointer<QWidget> window = open();
        QVERIFY2(window, qPrintable(how));
        window->show();
        window->activateWindow();
        QVERIFY2(QTest::qWaitForWindowActive(window), qPrintable(how));
        // The window's shortcuts work once the application, too, has it active.
        QTRY_VERIFY2(QApplication::activeWindow() == window, qPrintable(how));
        if (way < keys.size()) {
            QWidget* focus = window->focusWidget() ? window->focusWidget() : window.data();
            QTest::keySequence(focus, keys[way]);
        } else {
            QPushButton* close = nullptr;
            for (QPushButton* button : window->findChildren<QPushButton*>())
                if (button->text().remove(QLatin1Char('&')) == QStringLiteral("Close"))
                    close = button;
            QVERIFY2(close && close->isVisibleTo(window), "no Close button");
            QCOMPARE(accessibleName(close), QStringLiteral("Close"));
            QTest::mouseClick(close, Qt::LeftButton);
        }
        QCoreApplication::processEvents();
        QVERIFY2(!window || !window->isVisible(), qPrintable(how));
    }
}

} // namespace korvex::test
