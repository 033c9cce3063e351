#pragma once

#include "ScriptedServices.h"
#include "ui/Form1.h"

#include <QAccessible>
#include <QDir>
#include <QString>
#include <QTest>
#include <QWidget>

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

} // namespace korvex::test
