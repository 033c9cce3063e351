#pragma once

// A Qt Test program run on a screen of a given size: the size comes from
// KORVEX_TEST_SCREEN ("1280x720"), given to the offscreen platform through
// a screen configuration of its own.

#include <QApplication>
#include <QFile>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>

namespace korvex::test {

// The size KORVEX_TEST_SCREEN names; empty when it names none.
inline QSize testScreen() {
    const char* size = std::getenv("KORVEX_TEST_SCREEN");
    int w = 0, h = 0;
    if (!size || std::sscanf(size, "%dx%d", &w, &h) != 2)
        return {};
    return {w, h};
}

// The main function of such a program: runs the test functions of a `Test`.
template <class Test> int runOnTestScreen(int argc, char** argv) {
    const QSize size = testScreen();
    if (size.isEmpty()) {
        std::fprintf(stderr, "KORVEX_TEST_SCREEN must name a screen size, e.g. 1280x720\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screen.json"));
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(QStringLiteral(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": %1,
                                  "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96,
                                  "dpr": 1}]})")
                   .arg(size.width())
                   .arg(size.height())
                   .toUtf8());
    file.close();
    qputenv("QT_QPA_PLATFORM", (QStringLiteral("offscreen:configfile=") + config).toUtf8());
    QApplication app(argc, argv);
    Test test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace korvex::test
