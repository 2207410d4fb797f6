#pragma once

#include <QFont>
#include <QHash>
#include <QRawFont>
#include <QString>

#include <bit>
#include <cstdlib>
#include <memory>
#include <vector>

// The advance of every UTF-16 unit in one font, learnt in bulk: the characters a text needs
// and the table lacks are asked from the font in one call. One table per font is shared by
// every view and kept for the run, so walking from file to file asks the font for nothing new.
class CharWidths {
public:
    static std::shared_ptr<CharWidths> of(const QFont &font);

    explicit CharWidths(const QFont &font);
    CharWidths(const CharWidths &other);
    CharWidths &operator=(const CharWidths &) = delete;
    // The width of c; learns it on the spot when it is not known yet.
    qreal width(char16_t c)
    {
        if (!isKnown(c))
            fill({c});
        return table_[c];
    }
    // Learns the widths of every unit of text that is not known yet, in one request to the font.
    void learn(QStringView text);
    // Only after learn() covered c: the width, without a check.
    float known(char16_t c) const { return table_[c]; }
    // A unit not learnt has all bits zero and a learnt width of zero is kept as -0.0f: the
    // tables start as untouched zero pages, and a font asked for a few units (a heading's) touches
    // a few pages of them, not half a megabyte.
    bool isKnown(char16_t c) const { return std::bit_cast<quint32>(table_[c]) != 0; }
    // Only after learn() covered c: the face's own glyph for it, or 0 where the painter must
    // find one itself (characters of the fallback faces, marks, control codes).
    quint32 glyph(char16_t c) const { return glyphs_[c]; }
    // The face the glyphs are of.
    const QRawFont &rawFont() const { return raw_; }
    // How many characters were ever asked from the font (a test sees the table kept).
    qint64 learnt() const { return learnt_; }

    // A cluster of several units, or of one that may join (see Graphemes), is measured whole:
    // the font shapes it (a ZWJ sequence into one picture) and may take it from a fallback face.
    // Gives its width.
    qreal learnCluster(QStringView cluster);
    // Only after learnCluster(): its width; else the sum of its units' widths. Safe to ask from
    // several threads while nothing is learnt.
    qreal knownCluster(QStringView cluster) const;
    bool knowsCluster(QStringView cluster) const
    {
        return clusters_.contains(QString::fromRawData(cluster.data(), cluster.size()));
    }

private:
    void fill(const std::vector<char16_t> &units);

    QFont font_;
    QRawFont raw_;
    bool rawMade_ = false;
    struct Free {
        void operator()(void *data) const { std::free(data); }
    };
    std::unique_ptr<float[], Free> table_;
    std::unique_ptr<quint32[], Free> glyphs_;
    QHash<QString, float> clusters_;
    qint64 learnt_ = 0;
};

