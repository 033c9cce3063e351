#pragma once

#include "testing/FakePlatformServices.h"

#include <gtest/gtest.h>

#include <string>

namespace korvex::test {

// The shared fake for GoogleTest: a message box or dialog that the test did
// not queue an answer for fails the test instead of passing silently.
class FakePlatformServices : public fakes::FakePlatformServices {
public:
    FakePlatformServices() {
        onUnexpected = [](const std::string& what) {
            ADD_FAILURE() << what;
        };
    }
};

} // namespace korvex::test
