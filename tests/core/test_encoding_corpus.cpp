#include "core/EncodingDetect.h"
#include "tests/corpus/JapaneseCorpus.h"

#include "tests/TestPrinters.h"

#include <gtest/gtest.h>

// A small fixed part of the corpus that bench/encoding_corpus measures in full: every text is
// recognised, and decodes back to the text it was made from.
TEST(EncodingCorpus, EveryTextOfASmallSampleIsRecognisedAndDecodesBack)
{
    const std::vector<JapaneseCorpus::Sample> corpus = JapaneseCorpus::generateCorpus(30, 20, 16 * 1024, 16);
    ASSERT_EQ(corpus.size(), 150u);
    for (const JapaneseCorpus::Sample &s : corpus) {
        const QString what = QStringLiteral("%1 %2 of %3 bytes")
                                 .arg(EncodingDetect::panelName(s.encoding), JapaneseCorpus::genreName(s.genre))
                                 .arg(s.bytes.size());
        ASSERT_LE(s.bytes.size(), s.targetSize) << what.toStdString();
        ASSERT_GE(s.bytes.size(), qMin<qsizetype>(s.targetSize, 20) - 8) << what.toStdString();
        EXPECT_EQ(EncodingDetect::detect(s.bytes).encoding, s.encoding) << what.toStdString();
        EXPECT_EQ(EncodingDetect::decode(s.bytes, s.encoding), s.text) << what.toStdString();
        EXPECT_EQ(EncodingDetect::referenceDecode(s.bytes, s.encoding), s.text) << what.toStdString();
    }
}

TEST(EncodingCorpus, TheSameSeedGivesTheSameTexts)
{
    using JapaneseCorpus::Genre;
    const auto a = JapaneseCorpus::generate(Genre::Mail, EncodingDetect::Encoding::Jis, 3000, 7);
    const auto b = JapaneseCorpus::generate(Genre::Mail, EncodingDetect::Encoding::Jis, 3000, 7);
    const auto c = JapaneseCorpus::generate(Genre::Mail, EncodingDetect::Encoding::Jis, 3000, 8);
    EXPECT_EQ(a.bytes, b.bytes);
    EXPECT_NE(a.bytes, c.bytes);
    EXPECT_TRUE(a.text.startsWith(QStringLiteral("Return-Path: ")));
}
