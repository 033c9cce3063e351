#include "ui/AboutWindow.h"

#include "uilogic/AboutText.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvex {

namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

AboutWindow::AboutWindow(QWidget* parent)
    : HelpDialog(QStringLiteral("AboutWindow"), kTitle, parent) {
    const AboutText about(qVersion(), QT_VERSION_STR);
    auto* layout = new QVBoxLayout(this);
    auto add = [this, layout](const std::string& text, int spaceBefore = 0) {
        auto* label = new QLabel(fromUtf8(text), this);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        // Selectable from the keyboard, so that each fact takes the focus in
        // turn and can be copied into a message.
        label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        layout->addSpacing(spaceBefore);
        layout->addWidget(label);
        return label;
    };
    QLabel* title = add(about.title());
    QFont large = title->font();
    large.setBold(true);
    large.setPointSizeF(large.pointSizeF() * 1.4);
    title->setFont(large);
    add(std::string(kDescription));
    add(about.version(), 8);
    add(about.build());
    add(about.qt());
    QLabel* heading = add(std::string(AboutText::kLibrariesHeading), 8);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    for (const std::string& line : about.libraries())
        add(line)->setIndent(12);
    layout->addStretch(1);

    addCloseButton(layout, QStringLiteral("aboutClose"))->setFocus();
    resize(560, sizeHint().height());
}

QList<QLabel*> AboutWindow::labels() const {
    return findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
}

} // namespace korvex
