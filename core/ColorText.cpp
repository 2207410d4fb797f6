#include "core/ColorText.h"

#include <array>

namespace {

struct NamedColor {
    const char *name;
    std::uint32_t value;
};

constexpr std::uint32_t sys(std::uint32_t n) { return ColorText::kSystemColorBase + n; }

constexpr std::array<NamedColor, 52> kNames{{
    {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000}, {"clOlive", 0x008080},
    {"clNavy", 0x800000}, {"clPurple", 0x800080}, {"clTeal", 0x808000}, {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF}, {"clLime", 0x00FF00}, {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00}, {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6}, {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0},
    {"clScrollBar", sys(0)}, {"clBackground", sys(1)}, {"clActiveCaption", sys(2)},
    {"clInactiveCaption", sys(3)}, {"clMenu", sys(4)}, {"clWindow", sys(5)},
    {"clWindowFrame", sys(6)}, {"clMenuText", sys(7)}, {"clWindowText", sys(8)},
    {"clCaptionText", sys(9)}, {"clActiveBorder", sys(10)}, {"clInactiveBorder", sys(11)},
    {"clAppWorkSpace", sys(12)}, {"clHighlight", sys(13)}, {"clHighlightText", sys(14)},
    {"clBtnFace", sys(15)}, {"clBtnShadow", sys(16)}, {"clGrayText", sys(17)},
    {"clBtnText", sys(18)}, {"clInactiveCaptionText", sys(19)}, {"clBtnHighlight", sys(20)},
    {"cl3DDkShadow", sys(21)}, {"cl3DLight", sys(22)}, {"clInfoText", sys(23)},
    {"clInfoBk", sys(24)}, {"clHotLight", sys(26)}, {"clGradientActiveCaption", sys(27)},
    {"clGradientInactiveCaption", sys(28)}, {"clMenuHighlight", sys(29)}, {"clMenuBar", sys(30)},
    {"clNone", ColorText::clNone}, {"clDefault", ColorText::clDefault},
}};

} // namespace

namespace ColorText {

QString toText(std::uint32_t color)
{
    for (const NamedColor &named : kNames)
        if (named.value == color)
            return QString::fromLatin1(named.name);
    return QStringLiteral("$%1").arg(color, 8, 16, QLatin1Char('0'));
}

bool fromText(const QString &text, std::uint32_t &color)
{
    const QString trimmed = text.trimmed();
    for (const NamedColor &named : kNames) {
        if (trimmed.compare(QLatin1String(named.name), Qt::CaseInsensitive) == 0) {
            color = named.value;
            return true;
        }
    }
    bool ok = false;
    qint64 value = 0;
    if (trimmed.startsWith(QLatin1Char('$')))
        value = trimmed.mid(1).toLongLong(&ok, 16);
    else
        value = trimmed.toLongLong(&ok, 10);
    // Stored values are 32-bit and may be written as negative decimals.
    if (!ok || value < -2147483648LL || value > 0xFFFFFFFFLL)
        return false;
    color = static_cast<std::uint32_t>(value);
    return true;
}

} // namespace ColorText
