#pragma once

#include <QString>

#include <cstdint>

// Colours as stored: 0x00BBGGRR for a plain colour, 0x80000000 + n for system colour n,
// and the two special values. The text is a name where one exists, else "$" and eight
// hex digits.
namespace ColorText {

constexpr std::uint32_t kSystemColorBase = 0x80000000u;
constexpr std::uint32_t clWindowText = kSystemColorBase + 8;
constexpr std::uint32_t clWindow = kSystemColorBase + 5;
constexpr std::uint32_t clNone = 0x1FFFFFFFu;
constexpr std::uint32_t clDefault = 0x20000000u;

QString toText(std::uint32_t color);
// Reads a name (any letter case), a decimal number or "$" plus hex digits.
// Returns false for any other text and leaves `color` alone.
bool fromText(const QString &text, std::uint32_t &color);

// Converts between the stored value and 0xRRGGBB for a plain colour.
inline std::uint32_t fromRgb(std::uint32_t rgb)
{
    return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}
inline std::uint32_t toRgb(std::uint32_t color) { return fromRgb(color & 0xFFFFFF); }
inline bool isSystemColor(std::uint32_t color) { return (color & kSystemColorBase) != 0; }

} // namespace ColorText
