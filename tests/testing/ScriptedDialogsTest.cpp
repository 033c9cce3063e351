#include "testing/FakePlatformServices.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvex {
namespace {

using Answer = PlatformServices::Answer;
using Buttons = PlatformServices::Buttons;
using Icon = PlatformServices::Icon;

// Fuzzers and benchmarks rely on what an unexpected dialog is answered, tests
// on being told of it: both hold whether a hook is set or not.
TEST(ScriptedDialogs, AnUnexpectedDialogIsToldAndAnsweredAsByAUserWhoWantsNothing) {
    for (const bool hooked : {false, true}) {
        fakes::FakePlatformServices services;
        std::vector<std::string> told;
        if (hooked)
            services.onUnexpected = [&told](const std::string& what) {
                told.push_back(what);
            };
        EXPECT_EQ(services.messageBox("Save?", "T", Icon::Information, Buttons::YesNo), Answer::No);
        EXPECT_EQ(services.messageBox("Done.", "T", Icon::None, Buttons::Ok), Answer::Ok);
        EXPECT_EQ(services.inputBox("Code:", "T", "x"), "");
        EXPECT_EQ(services.askText("Code:", "T", "x"), std::optional<std::string>(""));
        EXPECT_EQ(services.openFileName("Pictures (*.jpg)", "*.jpg"), std::nullopt);
        EXPECT_EQ(services.saveFileName("Data (*.tor)", "*.tor"), std::nullopt);
        EXPECT_EQ(services.messageTexts(), (std::vector<std::string>{"Save?", "Done."}));
        EXPECT_EQ(services.fileFilters,
                  (std::vector<std::string>{"Pictures (*.jpg)|*.jpg", "Data (*.tor)|*.tor"}));
        const std::vector<std::string> unexpected{"unexpected message box: Save?",
                                                  "unexpected message box: Done.",
                                                  "unexpected input box: Code:",
                                                  "unexpected input box: Code:",
                                                  "unexpected file dialog: Pictures (*.jpg)|*.jpg",
                                                  "unexpected file dialog: Data (*.tor)|*.tor"};
        EXPECT_EQ(told, hooked ? unexpected : std::vector<std::string>{});
    }
}

TEST(ScriptedDialogs, QueuedAnswersComeInOrderAndCancelIsToldApartFromEmpty) {
    fakes::FakePlatformServices services;
    services.onUnexpected = [](const std::string& what) {
        ADD_FAILURE() << what;
    };
    services.messageAnswers = {Answer::Yes, Answer::No};
    services.inputAnswers = {"A", ""};
    services.fileAnswers = {"/a.tor", std::nullopt};
    EXPECT_EQ(services.messageBox("1", "T", Icon::None, Buttons::YesNo), Answer::Yes);
    EXPECT_EQ(services.messageBox("2", "T", Icon::None, Buttons::YesNo), Answer::No);
    EXPECT_EQ(services.askText("Code:", "T", ""), std::optional<std::string>("A"));
    services.cancelNextQuestion = true;
    EXPECT_EQ(services.askText("Code:", "T", ""), std::nullopt);
    EXPECT_EQ(services.inputBox("Code:", "T", ""), ""); // the queued empty answer
    EXPECT_EQ(services.openFileName("D", "*.tor"), std::optional<std::string>("/a.tor"));
    EXPECT_EQ(services.saveFileName("D", "*.tor"), std::nullopt); // the queued Cancel
    EXPECT_TRUE(services.messageAnswers.empty() && services.inputAnswers.empty() &&
                services.fileAnswers.empty());
    ASSERT_EQ(services.messages.size(), 2U);
    EXPECT_EQ(services.messages[1].buttons, Buttons::YesNo);
}

// A choice is answered by the text of its button; a button the box does not
// offer, or no answer at all, is unexpected and presses the last button.
TEST(ScriptedDialogs, AChoiceIsAnsweredByItsButtonsText) {
    fakes::FakePlatformServices services;
    std::vector<std::string> told;
    services.onUnexpected = [&told](const std::string& what) {
        told.push_back(what);
    };
    const std::vector<std::string> buttons{"Merge and Save", "Save Over It", "Cancel"};
    services.choiceAnswers = {"Save Over It", "Overwrite"};
    EXPECT_EQ(services.choiceBox("1", "T", Icon::Warning, buttons), 1U);
    EXPECT_EQ(services.choiceBox("2", "T", Icon::Warning, buttons), 2U);
    EXPECT_EQ(services.choiceBox("3", "T", Icon::Warning, buttons), 2U);
    EXPECT_EQ(told, (std::vector<std::string>{"no button \"Overwrite\" in the choice box: 2",
                                              "unexpected choice box: 3"}));
    ASSERT_EQ(services.messages.size(), 3U);
    EXPECT_EQ(services.messages[0].choices, buttons);
    EXPECT_EQ(services.messages[0].icon, Icon::Warning);
}

} // namespace
} // namespace korvex
