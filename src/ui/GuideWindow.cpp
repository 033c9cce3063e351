#include "ui/GuideWindow.h"

#include "ui/SvgPicture.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace korvex {

namespace {

// The scheme's natural size is 585 x 607; a little smaller leaves the text
// beside it room on a 1366 x 768 screen.
constexpr QSize kSchemeSize(468, 486);
constexpr QSize kPreferredSize(820, 700);
// Room for a window manager's title bar and borders.
constexpr QSize kFrameAllowance(16, 40);

} // namespace

GuideWindow::GuideWindow(QWidget* parent)
    : HelpDialog(QStringLiteral("GuideWindow"), kTitle, parent) {
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("guideText"));
    browser_->setAccessibleName(QStringLiteral("Guide"));
    browser_->setAccessibleDescription(
        QStringLiteral("The order of the clicks, from a photograph to a stored record, "
                       "comparing, checking, the measures and where the files are"));
    browser_->setOpenLinks(false);
    QFile guide(QStringLiteral(":/guide.md"));
    if (guide.open(QIODevice::ReadOnly))
        browser_->setMarkdown(QString::fromUtf8(guide.readAll()));
    else
        browser_->setPlainText(QStringLiteral("The guide could not be read."));
    // Images load when the document is laid out, so the scheme goes in after
    // the text, which replaced whatever the document held.
    browser_->document()->addResource(
        QTextDocument::ImageResource, QUrl(QString::fromLatin1(kSchemeLink)),
        SvgPicture::render(QStringLiteral(":/seam-scheme.svg"), kSchemeSize));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_, 1);
    addCloseButton(layout, QStringLiteral("guideClose"));

    QSize size = kPreferredSize;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() - kFrameAllowance);
    resize(size);
    browser_->setFocus();
}

} // namespace korvex
