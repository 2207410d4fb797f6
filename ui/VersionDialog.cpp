#include "ui/VersionDialog.h"

#include "platform/Dialogs.h"
#include "resources/HelpTexts.h"
#include "resources/VersionTexts.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

namespace {

constexpr int kHintDuration = 25000;

QLabel *label(QWidget *parent, const QString &text, const QRect &place, const QColor &color = {})
{
    auto *l = new QLabel(text, parent);
    l->setGeometry(place);
    if (color.isValid()) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, color);
        l->setPalette(p);
    }
    return l;
}

// A read-only, borderless field: the address can be selected and copied, not changed.
QLineEdit *addressField(QWidget *parent, const QString &text, const QString &hint, const QRect &place)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setReadOnly(true);
    edit->setFrame(false);
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, p.color(QPalette::Window));
    edit->setPalette(p);
    edit->setGeometry(place);
    edit->setToolTip(hint);
    edit->setToolTipDuration(kHintDuration);
    return edit;
}

// The picture at the bottom right: a few pages of text, read one after another.
QPixmap pagesPicture()
{
    QPixmap pixmap(80, 70);
    pixmap.fill(QColor(0xE8, 0xEC, 0xF6));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x30, 0x48, 0x80);
    for (int i = 2; i >= 0; --i) {
        const QRectF page(10 + i * 9, 6 + i * 5, 38, 48);
        painter.setPen(QPen(ink, 1.2));
        painter.setBrush(i == 0 ? QColor(Qt::white) : QColor(0xF4, 0xF6, 0xFB));
        painter.drawRect(page);
        if (i == 0) {
            painter.setPen(QPen(QColor(0x90, 0x9C, 0xC0), 1));
            for (int line = 0; line < 6; ++line)
                painter.drawLine(QPointF(page.left() + 5, page.top() + 9 + line * 6),
                                 QPointF(page.right() - 5 - (line % 3) * 4, page.top() + 9 + line * 6));
        }
    }
    QFont font(QStringLiteral("IPAPGothic"));
    font.setPixelSize(10);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(QRect(0, 56, 80, 14), Qt::AlignCenter, QStringLiteral("Orlimbo"));
    return pixmap;
}

} // namespace

VersionDialog::VersionDialog(Dialogs &dialogs, QWidget *parent) : QDialog(parent), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("VerInfoForm"));
    setWindowTitle(VersionTexts::kCaption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    setFixedSize(392, 233);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(12, 12, 32, 32);
    Image1->installEventFilter(this);

    Label1 = label(this, VersionTexts::kLabel1, QRect(56, 8, 200, 16), QColor(0x00, 0x00, 0x80));
    Label2 = label(this, VersionTexts::kLabel2, QRect(56, 22, 140, 32));
    QFont large = Label2->font();
    large.setPixelSize(24);
    large.setItalic(true);
    large.setBold(true);
    Label2->setFont(large);
    Label3 = label(this, VersionTexts::kLabel3, QRect(200, 34, 120, 18), QColor(0x00, 0x80, 0x00));
    QFont italic = Label3->font();
    italic.setItalic(true);
    Label3->setFont(italic);
    Label4 = label(this, VersionTexts::kLabel4, QRect(56, 58, 320, 16), QColor(0x80, 0x00, 0x00));

    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(8, 80, 376, 4);

    Label5 = label(this, VersionTexts::kLabel5, QRect(12, 90, 370, 16));
    Label6 = label(this, VersionTexts::kLabel6, QRect(12, 106, 370, 16));
    Label7 = label(this, VersionTexts::kLabel7, QRect(12, 132, 84, 16));
    Edit1 = addressField(this, HelpTexts::kSupportMail, VersionTexts::kHintSupport, QRect(96, 132, 200, 16));
    Label8 = label(this, VersionTexts::kLabel8, QRect(12, 152, 84, 16));
    Edit2 = addressField(this, HelpTexts::kPersonalMail, VersionTexts::kHintPersonal, QRect(96, 152, 200, 16));
    Label9 = label(this, VersionTexts::kLabel9, QRect(12, 172, 84, 16));
    Edit3 = addressField(this, HelpTexts::kWebSiteAddress, VersionTexts::kHintWebSite, QRect(96, 172, 200, 16));
    for (QLineEdit *edit : {Edit1, Edit2, Edit3})
        edit->setCursorPosition(0);
    for (auto [l, e] : {std::pair{Label7, Edit1}, {Label8, Edit2}, {Label9, Edit3}}) {
        l->setToolTip(e->toolTip());
        l->setToolTipDuration(kHintDuration);
    }

    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(304, 122, 80, 70);
    Image2->setPixmap(pagesPicture());

    BitBtn1 = new QPushButton(VersionTexts::kOk, this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(12, 200, 80, 25);
    BitBtn1->setDefault(true);
    BitBtn1->setAutoDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept); // Esc closes through reject
}

void VersionDialog::showEvent(QShowEvent *event)
{
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
    QDialog::showEvent(event);
}

void VersionDialog::FormShow()
{
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull())
        icon = style()->standardIcon(QStyle::SP_MessageBoxInformation);
    Image1->setPixmap(icon.pixmap(32, 32));
    Image2->setToolTip(VersionTexts::kPictureHint);
    Image2->setToolTipDuration(kHintDuration);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    BitBtn1->setFocus();
}

bool VersionDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Image1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void VersionDialog::Image1Click()
{
    dialogs_.message(this, VersionTexts::kNewsText, VersionTexts::kNewsCaption, Dialogs::Kind::Notice);
}
