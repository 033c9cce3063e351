#pragma once

#include "FakePlatformServices.h"
#include "uilogic/MainWindowModel.h"

#include <gtest/gtest.h>

namespace korvex::test {

// The main window's logic on fake services, started as the window starts it
// at its design size.
class MainWindowFixture : public ::testing::Test {
protected:
    FakePlatformServices services;
    MainWindowModel window{services};
    DigitisingModel& d = window.digitising();

    void SetUp() override {
        window.StartUp([] { return MainWindowModel::WindowMetrics{15135, 14460, 4200, 120}; });
    }
};

} // namespace korvex::test
