#pragma once

#include "testing/ScriptedDialogs.h"
#include "ui/QtPlatformServices.h"

#include <QTest>

#include <string>

namespace korvex::test {

// The Qt services with their dialogs answered from queues; a dialog or
// message box the test did not queue an answer for fails the test instead
// of blocking it.
class ScriptedServices : public fakes::ScriptedDialogs<QtPlatformServices> {
public:
    ScriptedServices() {
        onUnexpected = [](const std::string& what) {
            QTest::qFail(what.c_str(), __FILE__, __LINE__);
        };
    }
};

} // namespace korvex::test
