#include "ui/MainWindowModel.h"

#include "FakePlatformServices.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace korvex {
namespace {

using test::FakePlatformServices;
using Answer = PlatformServices::Answer;
using Outcome = MainWindowModel::RecoveryOutcome;
constexpr auto LM = SeamGroupId::LeftMarginal;

const std::string kLine = "K\xE9"
                          "1\t3\t3\t3\t3\t3\t3\t3\t3\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0\t0"
                          "\t0\t0\t0\t0\t0\t0";

class MainWindowRecoveryTest : public ::testing::Test {
protected:
    FakePlatformServices services;
    MainWindowModel window{services};
    DigitisingModel& d = window.digitising();
    int changes = 0;

    void SetUp() override {
        window.StartUp([] { return MainWindowModel::WindowMetrics{15135, 14460, 4200, 120}; });
        window.onChanged = [this] {
            ++changes;
        };
    }
};

TEST_F(MainWindowRecoveryTest, EveryChangeOfTheDataSetOrTheSheetIsReported) {
    services.files["/data/one.tor"] = "\t1\r\n\r\n 1 \r\n" + kLine + "\r\n\r\n";
    const std::pair<const char*, std::function<void()>> actions[] = {
        {"box edit",
         [&] {
             d.setBoxText(LM, 2, "7");
         }},
        {"digitised value",
         [&] {
             d.setChecked(1, true);
             changes = 0;
             d.PointerDown(DigitisingModel::kLeftButton, 100, 100);
             d.PointerDown(DigitisingModel::kLeftButton, 400, 500);
             ASSERT_EQ(d.sheet().cell(LM, 0), "500");
         }},
        {"standardise",
         [&] {
             window.Command_Click(1);
         }},
        {"clear sheet",
         [&] {
             window.Command_Click(4);
         }},
        {"append",
         [&] {
             services.inputAnswers.push_back("A1");
             window.Command_Click(12);
         }},
        {"fill from the clipboard",
         [&] {
             services.setClipboardText(kLine);
             window.Command_Click(9);
         }},
        {"load from clipboard",
         [&] {
             services.setClipboardText(kLine + "\r\n" + kLine + "\r\n");
             window.load_Click(MainWindowModel::LoadFromClipboard);
         }},
        {"next record",
         [&] {
             window.Command_Click(11);
         }},
        {"load from file",
         [&] {
             services.fileAnswers.push_back("/data/one.tor");
             window.load_Click(MainWindowModel::LoadFromFile);
         }},
    };
    for (const auto& [name, action] : actions) {
        changes = 0;
        action();
        EXPECT_GT(changes, 0) << name;
    }
}

TEST_F(MainWindowRecoveryTest, YesRestoresTheDataSetTheSheetAndTheDisplaysExactly) {
    FakePlatformServices otherServices;
    MainWindowModel crashed(otherServices);
    otherServices.setClipboardText(kLine + "\r\n\x8A\x9A\xE8\r\n");
    crashed.load_Click(MainWindowModel::LoadFromClipboard);
    crashed.PreviousRecord();
    crashed.digitising().setBoxText(SeamGroupId::RightCentral2, 6, "\xFF\x01");
    crashed.digitising().setBoxText(SeamGroupId::RightMarginal, 0, "2");
    crashed.Command_Click(2); // lower-case labels and a disabled button for M9..M16
    const RecoverySnapshot before = crashed.snapshot();
    ASSERT_EQ(before.display.code, "K\xE9"
                                   "1");
    ASSERT_TRUE(before.labelsLower[1]);

    services.messageAnswers.push_back(Answer::Yes);
    const auto outcome = window.OfferRecovery(before.write(), "9 December 2026 01:02:03", [] {
        ADD_FAILURE() << "a readable copy was moved aside";
        return std::string();
    });
    EXPECT_EQ(outcome, Outcome::Restored);
    ASSERT_EQ(services.messages.size(), 1U);
    EXPECT_EQ(services.messages[0].title, "KORVEX");
    EXPECT_EQ(services.messages[0].buttons, PlatformServices::Buttons::YesNo);
    EXPECT_NE(services.messages[0].text.find("from 9 December 2026 01:02:03 (2 records"),
              std::string::npos)
        << services.messages[0].text;
    EXPECT_EQ(window.snapshot(), before);
    EXPECT_EQ(d.sheet().labelCaption(SeamGroupId::RightMarginal, 0), "m9");
    EXPECT_FALSE(d.commandEnabled(SeamGroupId::RightMarginal));
    EXPECT_GT(changes, 0); // the restored data are kept again at once
}

TEST_F(MainWindowRecoveryTest, NoOrAnUnreadableCopyLeavesTheStartUpState) {
    const RecoverySnapshot fresh = window.snapshot();
    RecoverySnapshot s;
    s.dataSet = kLine + "\r\n";
    services.messageAnswers.push_back(Answer::No);
    EXPECT_EQ(window.OfferRecovery(s.write(), "then", [] { return std::string(); }),
              Outcome::Declined);
    EXPECT_EQ(window.snapshot(), fresh);

    std::string copy = s.write();
    copy.resize(copy.size() - 3);
    int keptAside = 0;
    services.messageAnswers.push_back(Answer::Ok);
    EXPECT_EQ(window.OfferRecovery(copy, "then",
                                   [&] {
                                       ++keptAside;
                                       return std::string("/state/x.unreadable");
                                   }),
              Outcome::Unreadable);
    EXPECT_EQ(keptAside, 1);
    ASSERT_EQ(services.messages.size(), 2U);
    EXPECT_EQ(services.messages[1].buttons, PlatformServices::Buttons::Ok);
    EXPECT_EQ(services.messages[1].title, "KORVEX");
    EXPECT_NE(services.messages[1].text.find("\"/state/x.unreadable\""), std::string::npos);
    EXPECT_EQ(window.snapshot(), fresh);
    EXPECT_EQ(changes, 0);
}

} // namespace
} // namespace korvex
