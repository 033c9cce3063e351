#include "ui/Form1.h"
#include "ui/RecoveryKeeper.h"
#include "version/Version.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

bool hasDisplay() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

} // namespace

int main(int argc, char* argv[]) {
    if (!hasDisplay()) {
        std::fputs("korvex needs a display, and none was found (DISPLAY is not set).\n"
                   "Run it on a desktop, or under a virtual X server:\n"
                   "    xvfb-run -a -s \"-screen 0 1280x1024x24\" korvex\n",
                   stderr);
        return 2;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KORVEX"));
    QApplication::setApplicationVersion(
        QString::fromLatin1(korvex::kVersion.data(), qsizetype(korvex::kVersion.size())));
    QApplication::setDesktopFileName(QStringLiteral("korvex"));
    korvex::Form1 window;
    korvex::RecoveryKeeper recovery(window.model(), korvex::RecoveryKeeper::defaultFolder());
    window.startUp();
    recovery.offerLeftCopy();
    const int status = QApplication::exec();
    // The last window closes only after its closing prompt: a normal end.
    recovery.discard();
    return status;
}
