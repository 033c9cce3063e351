#pragma once

#include "ui/HelpDialog.h"

class QTextBrowser;

namespace korvex {

// Help › "Guide": the guide to the program (docs/guide.md, compiled in), with
// the seam scheme, shown as a document that a screen reader reads and the
// keyboard scrolls. Modeless; Escape or "Close" hides it.
class GuideWindow : public HelpDialog {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "KORVEX Guide";
    // Where the guide finds the scheme: its path from docs/, so that the same
    // file shows the picture where the repository is read.
    static constexpr const char* kSchemeLink = "../assets/seam-scheme.svg";

    explicit GuideWindow(QWidget* parent = nullptr);

    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_ = nullptr;
};

} // namespace korvex
