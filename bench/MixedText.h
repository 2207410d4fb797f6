#pragma once
// Generated CP932 text with the whole character mix of users' files: besides kana,
// punctuation and first-level kanji, the second-level kanji, the NEC special characters,
// the NEC-selected IBM extensions and the IBM extensions, full-width letters and digits and
// half-width katakana. Every byte sequence is valid CP932. Plain C++ only: the black-box
// probe (no Qt) and the in-process benchmarks share it.
#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace bench::mixed {

// One kind of character and how often it comes, in thousandths of the characters of a
// Japanese line. The weights follow Japanese prose and mail, with the rare kinds raised a
// little so that a file of a few kilobytes already holds some of each.
struct CharClass {
    int perMille;
    std::vector<std::string> codes;
    int runMin = 1, runMax = 1; // half-width katakana come in words, not alone
};

inline void addDoubleByteRange(std::vector<std::string> &codes, int from, int to)
{
    for (int c = from; c <= to; ++c) {
        const int trail = c & 0xFF;
        if (trail >= 0x40 && trail <= 0xFC && trail != 0x7F)
            codes.push_back({char(c >> 8), char(trail)});
    }
}

inline std::vector<CharClass> charClasses()
{
    std::vector<CharClass> classes;
    auto add = [&](int perMille, std::initializer_list<std::pair<int, int>> ranges, int runMin = 1, int runMax = 1) {
        CharClass c{perMille, {}, runMin, runMax};
        for (auto [from, to] : ranges)
            addDoubleByteRange(c.codes, from, to);
        classes.push_back(std::move(c));
    };
    add(420, {{0x829F, 0x82F1}});                                     // hiragana
    add(60, {{0x8340, 0x8396}});                                      // katakana
    add(110, {{0x8140, 0x81AC}});                                     // space, punctuation, symbols
    add(260, {{0x889F, 0x9872}});                                     // first-level kanji, rows 16-47
    add(50, {{0x989F, 0x98FC}, {0x9940, 0x9FFC}, {0xE040, 0xEAA4}}); // second-level kanji, rows 48-84
    add(30, {{0x824F, 0x8258}, {0x8260, 0x8279}, {0x8281, 0x829A}}); // full-width digits and letters
    // Row 13 (①, Ⅰ, ㍉, ㈱, ∮ ...) without its unassigned cells.
    add(10, {{0x8740, 0x875D}, {0x875F, 0x8775}, {0x877E, 0x877E}, {0x8780, 0x879C}});
    add(10, {{0xED40, 0xEDFC}, {0xEE40, 0xEEEC}, {0xEEEF, 0xEEFC}}); // NEC-selected IBM extensions
    add(10, {{0xFA40, 0xFAFC}, {0xFB40, 0xFBFC}, {0xFC40, 0xFC4B}}); // IBM extensions
    // Picked 6 times in a thousand, as words of 3-8: some 3 % of the characters.
    CharClass halfWidth{6, {}, 3, 8};
    for (int c = 0xA1; c <= 0xDF; ++c)
        halfWidth.codes.push_back(std::string(1, char(c)));
    classes.push_back(std::move(halfWidth));
    return classes;
}

// The same text for the same seed and size. A third of the lines are ASCII, as in logs and
// mail; the others are Japanese drawn from charClasses(). Lines of 10-120 characters, CR LF.
// Calls sink(data, size) with blocks of about a megabyte until bytes have been given.
template <class Sink>
void generate(long long bytes, unsigned seed, Sink &&sink)
{
    const std::vector<CharClass> classes = charClasses();
    int total = 0;
    for (const CharClass &c : classes)
        total += c.perMille;
    std::mt19937 random(seed);
    std::string buffer;
    long long given = 0;
    while (given < bytes) {
        buffer.clear();
        while (buffer.size() < (1u << 20)) {
            const int length = 10 + int(random() % 111);
            if (random() % 3 == 0) {
                for (int i = 0; i < length; ++i)
                    buffer += char(random() % 7 == 0 ? ' ' : 'a' + random() % 26);
            } else {
                for (int i = 0; i < length;) {
                    int pick = int(random() % unsigned(total));
                    const CharClass *c = &classes.front();
                    for (const CharClass &candidate : classes) {
                        c = &candidate;
                        if (pick < candidate.perMille)
                            break;
                        pick -= candidate.perMille;
                    }
                    const int run = c->runMin + int(random() % unsigned(c->runMax - c->runMin + 1));
                    for (int k = 0; k < run; ++k, ++i)
                        buffer += c->codes[random() % c->codes.size()];
                }
            }
            buffer += "\r\n";
        }
        // A cut at the size may split a double-byte character; the last line is shortened
        // to a whole character instead, so the file stays valid CP932 to its last byte.
        long long take = std::min<long long>(bytes - given, (long long)buffer.size());
        if (take < (long long)buffer.size()) {
            long long end = 0;
            for (long long at = 0; at < take;) {
                const auto lead = static_cast<unsigned char>(buffer[size_t(at)]);
                const long long width = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC) ? 2 : 1;
                if (at + width > take)
                    break;
                at += width;
                end = at;
            }
            // Pad with an ASCII space so the size is exact.
            buffer.resize(size_t(end));
            buffer.append(size_t(take - end), ' ');
        }
        sink(buffer.data(), size_t(take));
        given += take;
    }
}

} // namespace bench::mixed
