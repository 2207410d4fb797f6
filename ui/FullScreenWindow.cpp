#include "ui/FullScreenWindow.h"

#include "platform/Desktop.h"
#include "resources/FullScreenTexts.h"
#include "ui/widgets/ElidedLineEdit.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

FullScreenWindow::FullScreenWindow(FullScreenSource source, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), source_(std::move(source))
{
    setObjectName(QStringLiteral("fsForm"));
    setWindowTitle(FullScreenTexts::kCaption);
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));

    PanelBtnBar = new QWidget;
    PanelBtnBar->setObjectName(QStringLiteral("PanelBtnBar"));
    PanelBtnBar->setFixedHeight(28);
    BtnEndFullScreen = new QToolButton;
    QToolButton *end = BtnEndFullScreen;
    end->setObjectName(QStringLiteral("BtnEndFullScreen"));
    end->setText(FullScreenTexts::kEndFullScreen);
    end->setToolTip(FullScreenTexts::kEndFullScreenHint);
    end->setAutoRaise(true);
    end->setFixedWidth(125);
    end->setFocusPolicy(Qt::NoFocus);
    connect(end, &QToolButton::clicked, this, &FullScreenWindow::BtnEndFullScreenClick);

    PanelAddress = new QWidget;
    PanelAddress->setObjectName(QStringLiteral("PanelAddress"));
    PanelAddress->setFixedWidth(262);
    auto *label = new QLabel(FullScreenTexts::kAddressLabel);
    EditNowFileName = new ElidedLineEdit;
    EditNowFileName->setObjectName(QStringLiteral("EditNowFileName"));
    EditNowFileName->setFrame(false);
    QPalette face = EditNowFileName->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    EditNowFileName->setPalette(face);
    EditNowFileName->installEventFilter(this);
    auto *addressRow = new QHBoxLayout(PanelAddress);
    addressRow->setContentsMargins(0, 0, 2, 0);
    addressRow->setSpacing(0);
    addressRow->addWidget(label);
    addressRow->addWidget(EditNowFileName, 1);

    auto *barRow = new QHBoxLayout(PanelBtnBar);
    barRow->setContentsMargins(2, 2, 0, 2);
    barRow->addWidget(BtnEndFullScreen);
    barRow->addStretch(1);
    barRow->addWidget(PanelAddress);

    view = new TextView;
    view->setObjectName(QStringLiteral("RichEdit"));
    view->installEventFilter(this);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(PanelBtnBar);
    column->addWidget(view, 1);

    createPopupMenu();
}

QAction *FullScreenWindow::popupEntry(const QString &caption, const QKeySequence &key, void (FullScreenWindow::*handler)())
{
    QAction *entry = PopupMenu->addAction(caption);
    entry->setShortcut(key);
    entry->setShortcutContext(Qt::WindowShortcut);
    addAction(entry); // the keys work without the menu open
    connect(entry, &QAction::triggered, this, handler);
    return entry;
}

void FullScreenWindow::createPopupMenu()
{
    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    PopupCopy = popupEntry(FullScreenTexts::kPopupCopy, QKeySequence(Qt::CTRL | Qt::Key_C), &FullScreenWindow::PopupCopyClick);
    PopupSelectAll = popupEntry(FullScreenTexts::kPopupSelectAll, QKeySequence(Qt::CTRL | Qt::Key_A),
                                &FullScreenWindow::PopupSelectAllClick);
    PopupMenu->addSeparator();
    PopupScrollUp = popupEntry(FullScreenTexts::kPopupScrollUp, QKeySequence(Qt::SHIFT | Qt::Key_Space),
                               &FullScreenWindow::PopupScrollUpClick);
    PopupScrollDown = popupEntry(FullScreenTexts::kPopupScrollDown, QKeySequence(Qt::Key_Space), &FullScreenWindow::PopupScrollDownClick);
    PopupMenu->addSeparator();
    PopupExit = popupEntry(FullScreenTexts::kPopupExit, QKeySequence(Qt::Key_Escape), &FullScreenWindow::BtnEndFullScreenClick);
    connect(PopupMenu, &QMenu::aboutToShow, this, &FullScreenWindow::PopupMenuPopup);
    // The menu shows what applies now; once closed, the keys act again.
    connect(PopupMenu, &QMenu::aboutToHide, this, [this] {
        PopupCopy->setEnabled(true);
        PopupSelectAll->setEnabled(true);
    });
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu->popup(view->mapToGlobal(pos)); });
}

void FullScreenWindow::showEvent(QShowEvent *event)
{
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void FullScreenWindow::FormShow()
{
    setGeometry(QRect(QPoint(0, 0), Desktop::screenSize()));
    view->setReadOnly(true);
    view->setModel(source_.model);
    view->setFont(source_.font);
    view->setWrap(source_.wraps);
    view->setColors(source_.textColor, source_.background);
    EditNowFileName->setWholeText(source_.fileName);
    view->moveCaretToStart();
    view->setFocus();
}

bool FullScreenWindow::FormKeyPress(const QKeyEvent *event)
{
    if (event->key() != Qt::Key_Backspace && event->key() != Qt::Key_Escape)
        return false;
    BtnEndFullScreenClick();
    return true;
}

bool FullScreenWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && FormKeyPress(static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void FullScreenWindow::keyPressEvent(QKeyEvent *event)
{
    if (!FormKeyPress(event))
        QDialog::keyPressEvent(event);
}

void FullScreenWindow::BtnEndFullScreenClick()
{
    accept();
}

void FullScreenWindow::PopupMenuPopup()
{
    PopupCopy->setEnabled(view->hasSelection());
    PopupSelectAll->setEnabled(!view->isEmpty());
}

void FullScreenWindow::PopupCopyClick()
{
    view->copy();
}

void FullScreenWindow::PopupSelectAllClick()
{
    view->selectAll();
}

void FullScreenWindow::PopupScrollUpClick()
{
    view->pageUp();
}

void FullScreenWindow::PopupScrollDownClick()
{
    view->pageDown();
}
