#pragma once

#include <QDialog>

class QBoxLayout;
class QPushButton;

namespace korvex {

// What the windows of the Help menu share: a modeless dialog titled `title`
// (which is also its accessible name), found by `objectName`, with a "Close"
// button at its foot that hides it as Escape does.
class HelpDialog : public QDialog {
    Q_OBJECT
protected:
    HelpDialog(const QString& objectName, const char* title, QWidget* parent);

    // Adds the button box with "Close", named `closeName`, as the last item of
    // `layout`; returns the button, for the caller to give it the focus if it wants.
    QPushButton* addCloseButton(QBoxLayout* layout, const QString& closeName);
};

} // namespace korvex
