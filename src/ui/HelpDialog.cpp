#include "ui/HelpDialog.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QPushButton>

namespace korvex {

HelpDialog::HelpDialog(const QString& objectName, const char* title, QWidget* parent)
    : QDialog(parent) {
    setObjectName(objectName);
    setWindowTitle(QString::fromLatin1(title));
    setAccessibleName(windowTitle());
    setModal(false);
}

QPushButton* HelpDialog::addCloseButton(QBoxLayout* layout, const QString& closeName) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* close = buttons->button(QDialogButtonBox::Close);
    close->setObjectName(closeName);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    return close;
}

} // namespace korvex
