#include "ui/Form1.h"

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
    QApplication::setDesktopFileName(QStringLiteral("korvex"));
    korvex::Form1 window;
    window.startUp();
    return QApplication::exec();
}
