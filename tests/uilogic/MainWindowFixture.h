#pragma once

#include "FakePlatformServices.h"
#include "uilogic/MainWindowModel.h"

#include <gtest/gtest.h>

#include <string>

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

    // "Append to the List" with `code` typed at the code prompt.
    void appendAs(const std::string& code) {
        services.inputAnswers.push_back(code);
        window.AppendToList();
    }
    // File › Save Data › "to File" and File › Load Data › "from File" with
    // `path` chosen in the dialog.
    void saveTo(const std::string& path) {
        services.fileAnswers.push_back(path);
        ASSERT_TRUE(window.SaveDataFile());
    }
    void loadFrom(const std::string& path) {
        services.fileAnswers.push_back(path);
        window.LoadDataFile();
    }
};

} // namespace korvex::test
