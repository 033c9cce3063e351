#pragma once

#include "ScriptedServices.h"
#include "ui/Form1.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QKeySequence>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <QWidget>

#include <functional>
#include <memory>
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
