#include "app/OrlimboApplication.h"
#include "core/CommandLine.h"
#include "core/PathForm.h"
#include "platform/Dialogs.h"
#include "platform/FileOperations.h"
#include "platform/QSettingsStore.h"
#include "platform/Shell.h"
#include "resources/MainTexts.h"
#include "ui/MainWindow.h"
#include "ui/QtJapaneseTranslator.h"

#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>

#include <cstdio>
#include <malloc.h>
#include <exception>
#include <memory>

namespace {

// Tool-tips come up quickly; how long they stay is set on each control.
class HintStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *data) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 100;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

// The program's icon: the initial on a page.
QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 96, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF page(size * 0.12, size * 0.04, size * 0.76, size * 0.92);
        painter.setPen(QPen(QColor(0x30, 0x48, 0x80), std::max(1.0, size / 24.0)));
        painter.setBrush(QColor(0xF4, 0xF6, 0xFB));
        painter.drawRoundedRect(page, size * 0.08, size * 0.08);
        QFont font(QStringLiteral("IPAPGothic"));
        font.setPixelSize(int(size * 0.6));
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(QColor(0x30, 0x48, 0x80));
        painter.drawText(page, Qt::AlignCenter, QStringLiteral("O"));
        icon.addPixmap(pixmap);
    }
    return icon;
}

void installFontSubstitutes()
{
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"),
                               {QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans Mono CJK JP")});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ Ｐゴシック"),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
}

} // namespace

int main(int argc, char **argv)
{
    FileOps::ignoreFileSizeSignal();
    // A fixed threshold: the allocator would otherwise raise it after the first large block
    // freed, and later pieces and indexes of a large file would stay resident once freed.
    mallopt(M_MMAP_THRESHOLD, 512 << 10);
    // Without TZ the C library reads /etc/localtime again for every local time it works out:
    // twice for each member of a ZIP, whose times libarchive converts. Named, it is read once.
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", ":/etc/localtime");

    // Answered before the application object exists, so it works without a display.
    QStringList given;
    for (int i = 1; i < argc; ++i)
        given << QString::fromLocal8Bit(argv[i]);
    if (const auto answer = CommandLine::answerWithoutWindow(given)) {
        std::fputs(answer->toUtf8().constData(), stdout);
        return 0;
    }

    DesktopDialogs dialogs;
    OrlimboApplication app(argc, argv, dialogs);
    QApplication::setApplicationName(QStringLiteral("Orlimbo"));
    // No display name: Qt on X11 would append it to every other window's title.
    QApplication::setDesktopFileName(QStringLiteral("net.brennick.Orlimbo"));
    QApplication::setStyle(new HintStyle);
    installFontSubstitutes();
    QApplication::setWindowIcon(programIcon());

    QtJapaneseTranslator qtTranslator;
    if (qtTranslator.loadQtBase())
        QApplication::installTranslator(&qtTranslator);

    try {
        DesktopShell shell;
        QSettingsStore store;
        // From argv itself, after Qt took its own options: a path that is not UTF-8 keeps its bytes.
        QStringList arguments;
        for (int i = 1; i < argc; ++i)
            arguments << PathForm::fromNative(QByteArray(argv[i]));
        MainWindow window({dialogs, shell, store}, arguments);
        window.show();
        return app.exec();
    } catch (const std::exception &e) {
        dialogs.message(nullptr, QString::fromLocal8Bit(e.what()), MainTexts::kAppTitle, Dialogs::Kind::Failure);
        return 1;
    }
}
