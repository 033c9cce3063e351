#pragma once

#include "ui/QtPlatformServices.h"

#include <QTest>

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace korvex::test {

// Qt services whose dialogs answer from a queue; an unexpected dialog or
// message box fails the test instead of blocking it.
class ScriptedServices : public QtPlatformServices {
public:
    std::deque<std::optional<std::string>> files;
    std::deque<std::string> codes;
    std::deque<Answer> answers;
    std::vector<std::string> messages;
    std::vector<std::string> titles; // of the messages, in the same order

    std::optional<std::string> openFileName(const std::string&, const std::string&) override {
        return nextFile();
    }
    std::optional<std::string> saveFileName(const std::string&, const std::string&) override {
        return nextFile();
    }
    // Every question, whether Cancel may be told apart or not, answers from `codes`.
    std::optional<std::string> askText(const std::string& prompt, const std::string& title,
                                       const std::string& defaultText) override {
        return inputBox(prompt, title, defaultText);
    }
    std::string inputBox(const std::string& prompt, const std::string&,
                         const std::string&) override {
        if (codes.empty()) {
            QTest::qFail(("unexpected input box: " + prompt).c_str(), __FILE__, __LINE__);
            return {};
        }
        std::string code = codes.front();
        codes.pop_front();
        return code;
    }
    Answer messageBox(const std::string& text, const std::string& title, Icon, Buttons) override {
        messages.push_back(text);
        titles.push_back(title);
        if (answers.empty()) {
            QTest::qFail(("unexpected message box: " + text).c_str(), __FILE__, __LINE__);
            return Answer::No;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

private:
    std::optional<std::string> nextFile() {
        if (files.empty()) {
            QTest::qFail("unexpected file dialog", __FILE__, __LINE__);
            return std::nullopt;
        }
        auto path = files.front();
        files.pop_front();
        return path;
    }
};

} // namespace korvex::test
