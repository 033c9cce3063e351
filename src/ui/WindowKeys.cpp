#include "ui/WindowKeys.h"

#include <QAction>
#include <QKeySequence>
#include <QPushButton>
#include <QWidget>

namespace korvex::WindowKeys {

void closeWithKeys(QWidget* window) {
    auto* action = new QAction(QStringLiteral("Close"), window);
    action->setObjectName(QStringLiteral("closeWindow"));
    QList<QKeySequence> keys{QKeySequence(Qt::Key_Escape)};
    keys += QKeySequence::keyBindings(QKeySequence::Close);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, window, &QWidget::close);
    window->addAction(action);
}

QPushButton* closeButton(QWidget* window) {
    auto* button = new QPushButton(QStringLiteral("Close"), window);
    button->setObjectName(QStringLiteral("closeButton"));
    button->setAccessibleName(QStringLiteral("Close"));
    QObject::connect(button, &QPushButton::clicked, window, &QWidget::close);
    return button;
}

} // namespace korvex::WindowKeys
