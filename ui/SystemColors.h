#pragma once

#include <QColor>
#include <QPalette>

#include <cstdint>

// Stored colours shown on screen: plain colours as they are, system colours through the
// matching palette roles.
namespace SystemColors {

QColor toQColor(std::uint32_t stored, const QPalette &palette);

} // namespace SystemColors
