#include "ui/Fsunit.h"

#include "platform/Desktop.h"
#include "resources/FsTexts.h"
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

TfsForm::TfsForm(FullScreenSource source, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), source_(std::move(source))
{
    setObjectName(QStringLiteral("fsForm"));
    setWindowTitle(FsTexts::kCaption);
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));

    PanelBtnBar = new QWidget;
    PanelBtnBar->setObjectName(QStringLiteral("PanelBtnBar"));
    PanelBtnBar->setFixedHeight(28);
    BtnEndFullScreen = new QToolButton;
    QToolButton *end = BtnEndFullScreen;
    end->setObjectName(QStringLiteral("BtnEndFullScreen"));
    end->setText(FsTexts::kEndFullScreen);
    end->setToolTip(FsTexts::kEndFullScreenHint);
    end->setAutoRaise(true);
    end->setFixedWidth(125);
    end->setFocusPolicy(Qt::NoFocus);
    connect(end, &QToolButton::clicked, this, &TfsForm::BtnEndFullScreenClick);

    PanelAddress = new QWidget;
    PanelAddress->setObjectName(QStringLiteral("PanelAddress"));
    PanelAddress->setFixedWidth(262);
    auto *label = new QLabel(FsTexts::kAddressLabel);
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

    RichEdit = new TextView;
    RichEdit->setObjectName(QStringLiteral("RichEdit"));
    RichEdit->installEventFilter(this);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(PanelBtnBar);
    column->addWidget(RichEdit, 1);

    createPopupMenu();
}

QAction *TfsForm::popupEntry(const QString &caption, const QKeySequence &key, void (TfsForm::*handler)())
{
    QAction *entry = PopupMenu->addAction(caption);
    entry->setShortcut(key);
    entry->setShortcutContext(Qt::WindowShortcut);
    addAction(entry); // the keys work without the menu open
    connect(entry, &QAction::triggered, this, handler);
    return entry;
}

void TfsForm::createPopupMenu()
{
    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    PopupCopy = popupEntry(FsTexts::kPopupCopy, QKeySequence(Qt::CTRL | Qt::Key_C), &TfsForm::PopupCopyClick);
    PopupSelectAll = popupEntry(FsTexts::kPopupSelectAll, QKeySequence(Qt::CTRL | Qt::Key_A),
                                &TfsForm::PopupSelectAllClick);
    PopupMenu->addSeparator();
    PopupScrollUp = popupEntry(FsTexts::kPopupScrollUp, QKeySequence(Qt::SHIFT | Qt::Key_Space),
                               &TfsForm::PopupScrollUpClick);
    PopupScrollDown = popupEntry(FsTexts::kPopupScrollDown, QKeySequence(Qt::Key_Space), &TfsForm::PopupScrollDownClick);
    PopupMenu->addSeparator();
    PopupExit = popupEntry(FsTexts::kPopupExit, QKeySequence(Qt::Key_Escape), &TfsForm::BtnEndFullScreenClick);
    connect(PopupMenu, &QMenu::aboutToShow, this, &TfsForm::PopupMenuPopup);
    // The menu shows what applies now; once closed, the keys act again.
    connect(PopupMenu, &QMenu::aboutToHide, this, [this] {
        PopupCopy->setEnabled(true);
        PopupSelectAll->setEnabled(true);
    });
    RichEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(RichEdit, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { PopupMenu->popup(RichEdit->mapToGlobal(pos)); });
}

void TfsForm::showEvent(QShowEvent *event)
{
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void TfsForm::FormShow()
{
    setGeometry(QRect(QPoint(0, 0), Desktop::screenSize()));
    RichEdit->setText(source_.text);
    RichEdit->setFont(source_.font);
    RichEdit->setWrap(source_.wraps);
    RichEdit->setColors(source_.textColor, source_.background);
    EditNowFileName->setWholeText(source_.fileName);
    RichEdit->moveCaretToStart();
    RichEdit->setFocus();
}

bool TfsForm::FormKeyPress(const QKeyEvent *event)
{
    if (event->key() != Qt::Key_Backspace && event->key() != Qt::Key_Escape)
        return false;
    BtnEndFullScreenClick();
    return true;
}

bool TfsForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && FormKeyPress(static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TfsForm::keyPressEvent(QKeyEvent *event)
{
    if (!FormKeyPress(event))
        QDialog::keyPressEvent(event);
}

void TfsForm::BtnEndFullScreenClick()
{
    accept();
}

void TfsForm::PopupMenuPopup()
{
    PopupCopy->setEnabled(RichEdit->hasSelection());
    PopupSelectAll->setEnabled(!RichEdit->isEmpty());
}

void TfsForm::PopupCopyClick()
{
    RichEdit->copy();
}

void TfsForm::PopupSelectAllClick()
{
    RichEdit->selectAll();
}

void TfsForm::PopupScrollUpClick()
{
    RichEdit->pageUp();
}

void TfsForm::PopupScrollDownClick()
{
    RichEdit->pageDown();
}
