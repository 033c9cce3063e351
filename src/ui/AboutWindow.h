#pragma once

#include "ui/HelpDialog.h"

class QLabel;

namespace korvex {

// Help › "About KORVEX": the version, the build, the Qt version at run time
// and the licences of the libraries linked in, as AboutText gives them, each
// fact a label a screen reader reads and the keyboard can select. Modeless;
// Escape or "Close" hides it.
class AboutWindow : public HelpDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "About KORVEX";

    explicit AboutWindow(QWidget* parent = nullptr);

    // The labels top to bottom: title, description, version, build, Qt, the
    // heading of the libraries, then one per library.
    QList<QLabel*> labels() const;
};

} // namespace korvex
