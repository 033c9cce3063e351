#pragma once

#include "uilogic/PlatformServices.h"

#include <algorithm>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace korvex::fakes {

// The dialogs of some platform services, answered from queues that a test,
// fuzzer or benchmark fills before it acts: every message box is recorded,
// every file dialog's filter too. `Base` gives all the rest (a fake, or the
// real Qt services for a window test).
//
// A dialog with no answer queued is unexpected: `onUnexpected` is told what
// it was (a test fixture fails the test there), and the dialog is answered
// as a user who wants nothing would: OK, No to a question, the last button
// of a choice (the one that changes nothing), Cancel to a file dialog, the
// empty text to an input box.
template <class Base> class ScriptedDialogs : public Base {
public:
    using Answer = PlatformServices::Answer;
    using Icon = PlatformServices::Icon;
    using Buttons = PlatformServices::Buttons;

    struct Message {
        std::string text;
        std::string title;
        Icon icon;
        Buttons buttons;
        // The buttons' texts of a choice box; empty for the other boxes.
        std::vector<std::string> choices = {};
    };

    std::vector<Message> messages;
    std::deque<Answer> messageAnswers;
    // The text of the button to press in each choice box, in order; a text
    // the box does not offer is unexpected.
    std::deque<std::string> choiceAnswers;
    std::deque<std::string> inputAnswers;
    std::deque<std::optional<std::string>> fileAnswers;
    // "description|pattern" of each file dialog, in order.
    std::vector<std::string> fileFilters;
    // The next askText answers Cancel.
    bool cancelNextQuestion = false;
    std::function<void(const std::string& what)> onUnexpected;

    std::vector<std::string> messageTexts() const {
        std::vector<std::string> texts;
        for (const Message& m : messages)
            texts.push_back(m.text);
        return texts;
    }

    Answer messageBox(const std::string& text, const std::string& title, Icon icon,
                      Buttons buttons) override {
        messages.push_back({text, title, icon, buttons});
        if (messageAnswers.empty()) {
            unexpected("unexpected message box: " + text);
            return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
        }
        return next(messageAnswers);
    }
    std::size_t choiceBox(const std::string& text, const std::string& title, Icon icon,
                          const std::vector<std::string>& choices) override {
        messages.push_back({text, title, icon, Buttons::Ok, choices});
        const std::size_t nothing = choices.empty() ? 0 : choices.size() - 1;
        if (choiceAnswers.empty()) {
            unexpected("unexpected choice box: " + text);
            return nothing;
        }
        const std::string pressed = next(choiceAnswers);
        const auto found = std::find(choices.begin(), choices.end(), pressed);
        if (found == choices.end()) {
            unexpected("no button \"" + pressed + "\" in the choice box: " + text);
            return nothing;
        }
        return static_cast<std::size_t>(found - choices.begin());
    }
    // Every question, whether Cancel may be told apart or not, answers from
    // `inputAnswers`.
    std::optional<std::string> askText(const std::string& prompt, const std::string& title,
                                       const std::string& defaultText) override {
        if (std::exchange(cancelNextQuestion, false))
            return std::nullopt;
        return inputBox(prompt, title, defaultText);
    }
    std::string inputBox(const std::string& prompt, const std::string&,
                         const std::string&) override {
        if (inputAnswers.empty()) {
            unexpected("unexpected input box: " + prompt);
            return {};
        }
        return next(inputAnswers);
    }
    std::optional<std::string> openFileName(const std::string& description,
                                            const std::string& pattern) override {
        return nextFile(description + "|" + pattern);
    }
    std::optional<std::string> saveFileName(const std::string& description,
                                            const std::string& pattern) override {
        return nextFile(description + "|" + pattern);
    }

private:
    template <class T> static T next(std::deque<T>& queue) {
        T front = std::move(queue.front());
        queue.pop_front();
        return front;
    }
    std::optional<std::string> nextFile(const std::string& filter) {
        fileFilters.push_back(filter);
        if (fileAnswers.empty()) {
            unexpected("unexpected file dialog: " + filter);
            return std::nullopt;
        }
        return next(fileAnswers);
    }
    void unexpected(const std::string& what) {
        if (onUnexpected)
            onUnexpected(what);
    }
};

} // namespace korvex::fakes
