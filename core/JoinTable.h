#pragma once

#include <QChar>
#include <QString>
#include <QTextBoundaryFinder>

#include <array>

// Which UTF-16 units may join a neighbour into one grapheme cluster, learnt from the boundary
// finder itself so that the quick answers never disagree with it. Learning takes the finder
// some 30 ms, so the program is built with the table learnt once (see generator/) and tests
// learn it again to see that the Qt the program runs on still agrees.
namespace JoinTable {

inline bool isHangul(char16_t c)
{
    return (c >= 0x1100 && c <= 0x11FF) || (c >= 0xA960 && c <= 0xA97F) || (c >= 0xAC00 && c <= 0xD7FF);
}

// Every other unit is put between two letters, and a unit with no boundary on one side joins.
// Hangul joins only with Hangul, and surrogates only in pairs: both are named.
inline std::array<unsigned char, 0x10000> learn()
{
    std::array<unsigned char, 0x10000> table{};
    QString probe;
    probe.reserve(2 * 0x10000 + 1);
    probe += QLatin1Char('a');
    for (char32_t c = 0; c < 0x10000; ++c) {
        const char16_t unit = char16_t(c);
        if (QChar::isSurrogate(unit) || isHangul(unit) || unit == u'\r') {
            table[c] = 1;
            continue;
        }
        probe += QChar(unit);
        probe += QLatin1Char('a');
    }
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, probe);
    for (qsizetype i = 1; i + 1 < probe.size(); i += 2) {
        const char16_t unit = probe[i].unicode();
        finder.setPosition(i);
        const bool before = finder.isAtBoundary();
        finder.setPosition(i + 1);
        if (!before || !finder.isAtBoundary())
            table[unit] = 1;
    }
    return table;
}

} // namespace JoinTable
