// The program that crashes: it starts the main window with its recovery copy
// in the folder given as its argument, enters the records of RecoveryScript.h
// through the window's buttons, prints "written" once a copy is on disk and
// then waits to be killed.
#include "RecoveryScript.h"
#include "ScriptedServices.h"
#include "ui/Form1.h"
#include "ui/RecoveryKeeper.h"

#include <QApplication>
#include <QPushButton>

#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    auto services = std::make_unique<korvex::test::ScriptedServices>();
    services->inputAnswers.assign(korvex::test::kRecoveryCodes.begin(),
                                  korvex::test::kRecoveryCodes.end());
    korvex::Form1 window(std::move(services));
    korvex::RecoveryKeeper keeper(window.model(), QString::fromLocal8Bit(argv[1]));
    QObject::connect(&keeper, &korvex::RecoveryKeeper::written, [] {
        std::fputs("written\n", stdout);
        std::fflush(stdout);
    });
    window.startUp();
    keeper.offerLeftCopy();
    window.model().digitising().setBoxText(korvex::SeamGroupId::LeftMarginal, 0,
                                           korvex::test::kRecoveryBox);
    for (std::size_t i = 0; i < korvex::test::kRecoveryCodes.size(); ++i)
        window.command(12)->click();
    return QApplication::exec();
}
