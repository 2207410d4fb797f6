#include "ui/SystemColors.h"

#include "core/ColorText.h"

namespace SystemColors {

QColor toQColor(std::uint32_t stored, const QPalette &palette)
{
    if (stored == ColorText::clNone || stored == ColorText::clDefault)
        return palette.color(QPalette::Base);
    if (!ColorText::isSystemColor(stored))
        return QColor::fromRgb(ColorText::toRgb(stored));
    switch (stored - ColorText::kSystemColorBase) {
    case 1: case 12: return palette.color(QPalette::Dark);      // desktop, work space
    case 2: case 13: case 27: case 29: return palette.color(QPalette::Highlight);
    case 9: case 14: return palette.color(QPalette::HighlightedText);
    case 3: case 16: case 28: return palette.color(QPalette::Mid);
    case 5: return palette.color(QPalette::Base);
    case 8: return palette.color(QPalette::Text);
    case 7: return palette.color(QPalette::WindowText);
    case 17: return palette.color(QPalette::Disabled, QPalette::Text);
    case 18: return palette.color(QPalette::ButtonText);
    case 19: return palette.color(QPalette::Light);
    case 20: case 22: return palette.color(QPalette::Light);
    case 21: case 6: return palette.color(QPalette::Shadow);
    case 23: return palette.color(QPalette::ToolTipText);
    case 24: return palette.color(QPalette::ToolTipBase);
    case 26: return palette.color(QPalette::Link);
    default: return palette.color(QPalette::Button);            // button face, menus, scroll bars
    }
}

} // namespace SystemColors
