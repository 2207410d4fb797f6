// The widths of a font's characters (see CharWidths), learnt from its face in bulk.
#include "ui/widgets/CharWidths.h"

#include "ui/widgets/TextLayoutUnits.h"

#include <QFontMetricsF>
#include <QHash>
#include <QRawFont>

#include <algorithm>
#include <cmath>

using namespace TextLayoutUnits;

std::vector<char16_t> TextLayoutUnits::unknownUnits(const CharWidths &widths, const SeenUnits &seen)
{
    std::vector<char16_t> units;
    for (size_t c = 0; c < seen.size(); ++c)
        if (seen[c] && !widths.isKnown(char16_t(c)))
            units.push_back(char16_t(c));
    return units;
}

namespace {

std::vector<char16_t> unknownUnits(const CharWidths &widths, QStringView text)
{
    if (text.size() >= 0x4000) {
        SeenUnits seen(0x10000);
        markUnits(text, seen);
        return TextLayoutUnits::unknownUnits(widths, seen);
    }
    // A short text: cheaper to test each character than to sweep the whole mark table.
    std::vector<bool> seen(0x10000);
    std::vector<char16_t> units;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (!widths.isKnown(c) && !seen[c]) {
            seen[c] = true;
            units.push_back(c);
        }
    }
    return units;
}

// Reading a glyph's advance through the font engine loads and hints its outline, which costs
// more than all the rest of a load for a text of a few thousand distinct kanji. The face's
// metrics table gives the same advances at once; a sample of glyphs asked the slow way must
// agree, or the table is not used. Gives false when the table cannot be used.
bool advancesFromTable(const QRawFont &raw, const quint32 *glyphs, int count, QPointF *advances)
{
    constexpr int kWorthIt = 32;
    constexpr int kSample = 24;
    if (count < kWorthIt)
        return false;
    const QByteArray head = raw.fontTable("head");
    const QByteArray hhea = raw.fontTable("hhea");
    const QByteArray hmtx = raw.fontTable("hmtx");
    const auto u16 = [](const QByteArray &t, qsizetype at) {
        return quint32(quint8(t[at])) << 8 | quint8(t[at + 1]);
    };
    if (head.size() < 54 || hhea.size() < 36)
        return false;
    const quint32 unitsPerEm = u16(head, 18);
    const quint32 metrics = u16(hhea, 34);
    if (unitsPerEm == 0 || metrics == 0 || hmtx.size() < qsizetype(metrics) * 4)
        return false;
    const qreal scale = raw.pixelSize() / unitsPerEm;
    const auto design = [&](quint32 glyph) { return u16(hmtx, 4 * qsizetype(std::min(glyph, metrics - 1))) * scale; };

    std::vector<quint32> sample;
    for (int k = 0; k < kSample; ++k)
        sample.push_back(glyphs[qsizetype(k) * count / kSample]);
    std::vector<QPointF> truth(sample.size());
    raw.advancesForGlyphIndexes(sample.data(), truth.data(), int(sample.size()), QRawFont::SeparateAdvances);
    // The engine gives whole pixels where it hints, fractions where it does not.
    for (bool rounded : {true, false}) {
        const auto advance = [&](quint32 glyph) { return rounded ? qreal(qRound(design(glyph))) : design(glyph); };
        bool agrees = true;
        for (size_t k = 0; k < sample.size() && agrees; ++k)
            agrees = std::abs(advance(sample[k]) - truth[k].x()) < 1.0 / 128;
        if (!agrees)
            continue;
        for (int i = 0; i < count; ++i)
            advances[i] = QPointF(advance(glyphs[i]), 0);
        return true;
    }
    return false;
}

} // namespace

std::shared_ptr<CharWidths> CharWidths::of(const QFont &font)
{
    static QHash<QString, std::shared_ptr<CharWidths>> tables;
    // The key names the first family only; the fallback families change widths too.
    const QString key = font.key() + QLatin1Char('/') + font.families().join(QLatin1Char(','));
    std::shared_ptr<CharWidths> &table = tables[key];
    if (!table) {
        if (tables.size() > 32) { // a run that tries many sizes; the views keep theirs
            tables.clear();
            return tables[key] = std::make_shared<CharWidths>(font);
        }
        table = std::make_shared<CharWidths>(font);
    }
    return table;
}

namespace {

// Zeroed by the system, not by a write: calloc leaves fresh pages untouched.
template <typename T>
T *zeroedTable()
{
    if (void *data = std::calloc(0x10000, sizeof(T)))
        return static_cast<T *>(data);
    throw std::bad_alloc();
}

// A learnt width as the table keeps it (see isKnown).
float learntWidth(float width)
{
    return width > 0 ? width : -0.0f;
}

} // namespace

CharWidths::CharWidths(const QFont &font)
    : font_(font), table_(zeroedTable<float>()), glyphs_(zeroedTable<quint32>())
{
}

CharWidths::CharWidths(const CharWidths &other)
    : font_(other.font_), raw_(other.raw_), rawMade_(other.rawMade_), table_(zeroedTable<float>()),
      glyphs_(zeroedTable<quint32>()), clusters_(other.clusters_), learnt_(other.learnt_)
{
    std::copy_n(other.table_.get(), 0x10000, table_.get());
    std::copy_n(other.glyphs_.get(), 0x10000, glyphs_.get());
}

void CharWidths::learn(QStringView text)
{
    const std::vector<char16_t> units = unknownUnits(*this, text);
    if (!units.empty())
        fill(units);
}

void CharWidths::fill(const std::vector<char16_t> &units)
{
    const QFontMetricsF metrics(font_);
    // A supplementary character is as wide as a kanji; its high half carries the width.
    constexpr char16_t kKanji = 0x56FD;
    std::vector<QChar> asked;
    asked.reserve(units.size() + 1);
    for (char16_t c : units) {
        if (QChar::isLowSurrogate(c))
            table_[c] = learntWidth(0);
        else if (!QChar::isHighSurrogate(c))
            asked.push_back(QChar(c));
    }
    const bool needKanji = std::any_of(units.begin(), units.end(), [](char16_t c) { return QChar::isHighSurrogate(c); });
    if (needKanji && !isKnown(kKanji))
        asked.push_back(QChar(kKanji));

    // One request for all glyphs of the face itself; what it lacks comes from the fallback
    // faces, one character at a time, as the painter would find it.
    if (!rawMade_) {
        raw_ = QRawFont::fromFont(font_);
        rawMade_ = true;
    }
    const QRawFont &raw = raw_;
    int count = int(asked.size());
    std::vector<quint32> glyphs(asked.size() + 1, 0);
    std::vector<QPointF> advances(asked.size() + 1);
    if (raw.isValid() && count > 0) {
        raw.glyphIndexesForChars(asked.data(), count, glyphs.data(), &count);
        if (!advancesFromTable(raw, glyphs.data(), count, advances.data()))
            raw.advancesForGlyphIndexes(glyphs.data(), advances.data(), count, QRawFont::SeparateAdvances);
    }
    for (size_t i = 0; i < asked.size(); ++i) {
        const QChar ch = asked[i];
        const bool own = raw.isValid() && qsizetype(i) < count && glyphs[i] != 0
                         && ch.category() != QChar::Mark_NonSpacing && ch.unicode() >= 0x20;
        // No width is below zero: the wrap relies on it.
        table_[ch.unicode()] = learntWidth(float(own ? advances[i].x() : metrics.horizontalAdvance(ch)));
        glyphs_[ch.unicode()] = own ? glyphs[i] : 0;
    }
    learnt_ += qint64(asked.size());
    for (char16_t c : units)
        if (QChar::isHighSurrogate(c))
            table_[c] = table_[kKanji];
}

qreal CharWidths::learnCluster(QStringView cluster)
{
    const auto found = clusters_.constFind(QString::fromRawData(cluster.data(), cluster.size()));
    if (found != clusters_.constEnd())
        return *found;
    const QString key = cluster.toString();
    const float width = float(std::max(0.0, QFontMetricsF(font_).horizontalAdvance(key)));
    clusters_.insert(key, width);
    return width;
}

qreal CharWidths::knownCluster(QStringView cluster) const
{
    // A key over the text itself: no copy for a look-up.
    const QString key = QString::fromRawData(cluster.data(), cluster.size());
    const auto found = clusters_.constFind(key);
    if (found != clusters_.constEnd())
        return *found;
    qreal sum = 0;
    for (const QChar c : cluster)
        sum += std::max(0.0f, table_[c.unicode()]);
    return sum;
}
