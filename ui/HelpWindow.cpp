#include "ui/HelpWindow.h"

#include "resources/HelpTexts.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const QUrl kFirstPage(QStringLiteral("qrc:/help/index.html"));
}

HelpWindow::HelpWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(HelpTexts::kHelpWindowCaption);
    setWindowFlags(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    resize(640, 520);

    browser_ = new QTextBrowser;
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    // Pages inside the help open here; outside addresses go to the desktop.
    browser_->setOpenExternalLinks(true);
    browser_->setSearchPaths({QStringLiteral(":/help")});

    auto *back = new QPushButton(HelpTexts::kHelpBack);
    auto *forward = new QPushButton(HelpTexts::kHelpForward);
    auto *home = new QPushButton(HelpTexts::kHelpHome);
    auto *close = new QPushButton(HelpTexts::kHelpClose);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(home, &QPushButton::clicked, this, &HelpWindow::showContents);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addWidget(home);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto *column = new QVBoxLayout(this);
    column->addLayout(buttons);
    column->addWidget(browser_, 1);
}

void HelpWindow::showContents()
{
    browser_->setSource(kFirstPage);
}
