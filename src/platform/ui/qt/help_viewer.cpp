#include "platform/ui/qt/help_viewer.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "platform/ui/events.h"

namespace ui::qt {

HelpViewer::HelpViewer(QWidget* parent)
    : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)), search_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(tr("Help"));
    resize(720, 560);
    browser_->setOpenExternalLinks(true);
    search_->setPlaceholderText(tr("Search the help"));
    search_->setClearButtonEnabled(true);

    auto* back = new QPushButton(tr("Back"), this);
    auto* contents = new QPushButton(tr("Contents"), this);
    auto* find = new QPushButton(tr("Find"), this);
    for (QPushButton* b : {back, contents, find}) b->setAutoDefault(false);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    back->setEnabled(false);
    connect(contents, &QPushButton::clicked, this, [this] { open(path_, HELP_CONTENTS); });
    connect(find, &QPushButton::clicked, this, [this] { find_next(); });
    connect(search_, &QLineEdit::returnPressed, this, [this] { find_next(); });
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? tr("Help") : title);
    });

    auto* bar = new QHBoxLayout;
    bar->addWidget(back);
    bar->addWidget(contents);
    bar->addStretch(1);
    bar->addWidget(new QLabel(tr("Search:"), this));
    bar->addWidget(search_, 1);
    bar->addWidget(find);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(browser_, 1);
}

void HelpViewer::open(const QString& path, int mode) {
    if (path != path_ || browser_->source().isEmpty()) {
        path_ = path;
        if (QFileInfo(path).isFile()) {
            browser_->setSource(QUrl::fromLocalFile(path), QTextDocument::HtmlResource);
        } else {
            browser_->setPlainText(tr("The help file %1 cannot be found.").arg(path));
            setWindowTitle(tr("Help"));
        }
    }
    browser_->moveCursor(QTextCursor::Start);
    browser_->scrollToAnchor(QStringLiteral("contents"));
    show();
    raise();
    activateWindow();
    if (mode == HELP_SEARCH) {
        search_->setFocus();
        search_->selectAll();
    } else {
        browser_->setFocus();
    }
}

void HelpViewer::find_next() {
    const QString text = search_->text();
    if (text.isEmpty()) return;
    if (!browser_->find(text)) {
        // From the top again once the end is reached.
        browser_->moveCursor(QTextCursor::Start);
        browser_->find(text);
    }
}

}  // namespace ui::qt
