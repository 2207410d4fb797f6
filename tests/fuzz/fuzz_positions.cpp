// Positions in 32 bits against a plain vector of 64-bit ones, across the 2^32 boundaries. The
// input is steps (push, append, append shifted, merge, clear), each a byte naming it and how many
// of the bytes after it it takes; after each, every position and every count up to one agree.
#include "core/Positions.h"
#include "tests/fuzz/FuzzCheck.h"

#include <limits>
#include <vector>

namespace {

using Plain = std::vector<qint64>;

// Nothing is put past this, so that the carries stay few.
constexpr qint64 kCeiling = qint64(1) << 40;

// Steps of 0..15, or a jump of up to seven times 2^32.
qint64 gap(std::uint8_t b)
{
    return b & 0x80 ? (qint64((b >> 4) & 7) << 32) - 8 + (b & 15) : b & 15;
}

void fill(Positions &positions, Plain &plain, qint64 from, const std::uint8_t *data, size_t count)
{
    for (size_t i = 0; i < count && from < kCeiling; ++i) {
        from += std::max<qint64>(gap(data[i]), 0);
        positions.push_back(from);
        plain.push_back(from);
    }
}

void check(const Positions &positions, const Plain &plain)
{
    FUZZ_CHECK(positions.size() == plain.size() && positions.empty() == plain.empty());
    for (size_t i = 0; i < plain.size(); ++i) {
        FUZZ_CHECK(positions[i] == plain[i]);
        for (const qint64 probe : {plain[i] - 1, plain[i], plain[i] + 1}) {
            const size_t expected = size_t(std::upper_bound(plain.begin(), plain.end(), probe) - plain.begin());
            FUZZ_CHECK(positions.countUpTo(probe) == expected);
        }
    }
    FUZZ_CHECK(positions.countUpTo(-1) == 0 && positions.countUpTo(std::numeric_limits<qint64>::max()) == plain.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Positions positions;
    Plain plain;
    for (size_t at = 0; at < size;) {
        const std::uint8_t step = data[at++];
        const size_t count = std::min<size_t>(step >> 3, size - at);
        const qint64 last = plain.empty() ? 0 : plain.back();
        Positions more;
        Plain morePlain;
        switch (step & 7) {
        case 0:
        case 1:
            fill(positions, plain, last, data + at, count);
            break;
        case 2: // moved to the end, all after these
            fill(more, morePlain, last, data + at, count);
            positions.append(more);
            FUZZ_CHECK(more.empty());
            plain.insert(plain.end(), morePlain.begin(), morePlain.end());
            break;
        case 3: { // shifted past the last, as the index adds a run's line starts
            if (last >= kCeiling)
                break;
            fill(more, morePlain, 0, data + at, count);
            const qint64 offset = last + (count > 0 ? std::max<qint64>(gap(data[at]), 0) : 0);
            positions.appendShifted(more, offset);
            for (const qint64 p : morePlain)
                plain.push_back(p + offset);
            check(more, morePlain);
            break;
        }
        case 4:
        case 5: { // put among them, from anywhere
            const qint64 from = count == 0 ? 0 : data[at] & 16 ? qint64(data[at] & 15) << 32 : data[at];
            fill(more, morePlain, from, data + at, count);
            positions.merge(more);
            const size_t middle = plain.size();
            plain.insert(plain.end(), morePlain.begin(), morePlain.end());
            std::inplace_merge(plain.begin(), plain.begin() + qsizetype(middle), plain.end());
            break;
        }
        case 6:
            positions.clear();
            plain.clear();
            break;
        default:
            break;
        }
        at += count;
        if (count > 0)
            check(positions, plain);
    }
    check(positions, plain);
    return 0;
}
