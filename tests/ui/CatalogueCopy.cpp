// One running copy of the program on a shared catalogue, for the tests that
// run two of them on one file. It starts the main window and then takes one
// command a line from its standard input, through the window's own menus and
// buttons:
//   load PATH    File › Load Data › from File, choosing PATH
//   save PATH    File › Save Data › to File, choosing PATH
//   append CODE  "Append to the List" under CODE
//   answer TEXT  the button TEXT is pressed at the next choice box
//   quit         ends the program as a closed window does
// For every message or choice box it prints "asked TEXT" (line ends shown as
// \n) and, for a choice, "buttons A|B|..."; a dialog it has no answer for
// prints "unexpected ...". Each command ends with "done".
#include "testing/ScriptedDialogs.h"
#include "ui/Form1.h"
#include "ui/QtPlatformServices.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>

#include <iostream>
#include <string>

namespace {

using korvex::fakes::ScriptedDialogs;

std::string oneLine(std::string text) {
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
        text.replace(at, 1, "\\n");
    return text;
}

class CopyServices : public ScriptedDialogs<korvex::QtPlatformServices> {
public:
    CopyServices() {
        onUnexpected = [](const std::string& what) {
            std::cout << "unexpected " << oneLine(what) << "\n";
        };
    }
    // Every box is told as it is shown, before it is answered.
    Answer messageBox(const std::string& text, const std::string& title, Icon icon,
                      Buttons buttons) override {
        std::cout << "asked " << oneLine(text) << "\n";
        return ScriptedDialogs::messageBox(text, title, icon, buttons);
    }
    std::size_t choiceBox(const std::string& text, const std::string& title, Icon icon,
                          const std::vector<std::string>& choices) override {
        std::cout << "asked " << oneLine(text) << "\nbuttons ";
        for (std::size_t i = 0; i < choices.size(); ++i)
            std::cout << (i == 0 ? "" : "|") << choices[i];
        std::cout << "\n";
        return ScriptedDialogs::choiceBox(text, title, icon, choices);
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    auto owned = std::make_unique<CopyServices>();
    CopyServices& services = *owned;
    korvex::Form1 window(std::move(owned));
    window.startUp();
    std::string line;
    while (std::getline(std::cin, line)) {
        const std::size_t space = line.find(' ');
        const std::string command = line.substr(0, space);
        const std::string argument = space == std::string::npos ? "" : line.substr(space + 1);
        if (command == "load") {
            services.fileAnswers.push_back(argument);
            window.menuEntry(QStringLiteral("load"), 30)->trigger();
        } else if (command == "save") {
            services.fileAnswers.push_back(argument);
            window.menuEntry(QStringLiteral("save"), 40)->trigger();
        } else if (command == "append") {
            services.inputAnswers.push_back(argument);
            window.command(12)->click();
        } else if (command == "answer") {
            services.choiceAnswers.push_back(argument);
        } else if (command == "quit") {
            break;
        } else {
            std::cout << "unknown command " << command << "\n";
        }
        QApplication::processEvents();
        std::cout << "done" << std::endl;
    }
    // No closing prompt: the test has saved what it wanted. The window and
    // its services end here, and with them the lock.
    return 0;
}
