#include "ui/CatalogueRunWindow.h"

#include "ui/WindowKeys.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvex {

CatalogueRunWindow::CatalogueRunWindow(CatalogueCommands& commands,
                                       std::shared_ptr<const CatalogueCommands::Run> run,
                                       const char* title, QWidget* parent)
    : QWidget(parent, Qt::Window), commands_(commands), run_(std::move(run)),
      column_(new QVBoxLayout(this)) {
    setWindowTitle(QString::fromUtf8(title));
    setAccessibleName(windowTitle());
}

QPushButton* CatalogueRunWindow::newCopyButton() {
    auto* copy = new QPushButton(QStringLiteral("Copy to the &Clipboard"), this);
    copy->setAccessibleName(QStringLiteral("Copy to the Clipboard"));
    connect(copy, &QPushButton::clicked, this, [this] { commands_.copyReport(*run_); });
    return copy;
}

void CatalogueRunWindow::addFoot(std::initializer_list<QWidget*> left,
                                 std::initializer_list<QWidget*> right) {
    auto* buttons = new QHBoxLayout;
    for (QWidget* widget : left)
        buttons->addWidget(widget);
    buttons->addStretch(1);
    for (QWidget* widget : right)
        buttons->addWidget(widget);
    buttons->addSpacing(12);
    buttons->addWidget(WindowKeys::closeButton(this));
    column_->addLayout(buttons);
    WindowKeys::closeWithKeys(this);
}

} // namespace korvex
