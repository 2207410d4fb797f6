// Recognises the encoding of every text of the generated corpus and prints, as Markdown, how
// many were right and wrong per encoding and size, and which were wrong.
//
//   encoding_corpus_report [texts per encoding (default 250)] [seed (default 16)]
#include "tests/corpus/JapaneseCorpus.h"

#include <QElapsedTimer>
#include <QStringList>

#ifdef ORLIMBO_HAVE_UCHARDET
#include <uchardet.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <array>
#include <map>

namespace {

using EncodingDetect::Encoding;

// What a recogniser that names none of the five encodings is counted as.
constexpr auto kUnknown = Encoding(-1);

struct Bucket {
    qsizetype from;
    qsizetype to; // exclusive
    const char *name;
};

const Bucket kBuckets[] = {
    {0, 64, "20-63 B"},           {64, 256, "64-255 B"},       {256, 1024, "256 B-1 KB"},
    {1024, 16384, "1-16 KB"},     {16384, 262144, "16-256 KB"}, {262144, 1048577, "256 KB-1 MB"},
};
constexpr int kBucketCount = int(sizeof kBuckets / sizeof kBuckets[0]);

int bucketOf(qsizetype size)
{
    for (int b = 0; b < kBucketCount; ++b)
        if (size >= kBuckets[b].from && size < kBuckets[b].to)
            return b;
    return kBucketCount - 1;
}

struct Tally {
    int right = 0;
    int wrong = 0;
};

QString cell(const Tally &t)
{
    if (t.right + t.wrong == 0)
        return QStringLiteral("-");
    return QStringLiteral("%1 / %2").arg(t.right).arg(t.wrong);
}

qint64 totalBytes(const std::vector<JapaneseCorpus::Sample> &corpus)
{
    qint64 bytes = 0;
    for (const JapaneseCorpus::Sample &s : corpus)
        bytes += s.bytes.size();
    return bytes;
}

struct Outcome {
    QString table;
    bool met = false; // at least 99 % right, and every text from 1 KB up
};

template <typename Recognise>
Outcome tally(const std::vector<JapaneseCorpus::Sample> &corpus, Recognise recognise)
{
    const Encoding encodings[] = {Encoding::Sjis, Encoding::Utf8, Encoding::Utf16, Encoding::Euc, Encoding::Jis};
    std::map<int, std::array<Tally, kBucketCount>> byEncoding;
    std::map<int, Tally> byGenre;
    Tally total;
    Tally fromKb;
    QStringList wrongOnes;
    qint64 nanoseconds = 0;
    for (const JapaneseCorpus::Sample &s : corpus) {
        QElapsedTimer timer;
        timer.start();
        const Encoding got = recognise(s.bytes);
        nanoseconds += timer.nsecsElapsed();
        const bool right = got == s.encoding;
        const auto count = [right](Tally &t) { (right ? t.right : t.wrong)++; };
        count(byEncoding[int(s.encoding)][bucketOf(s.bytes.size())]);
        count(byGenre[int(s.genre)]);
        count(total);
        if (s.bytes.size() >= 1024)
            count(fromKb);
        if (!right)
            wrongOnes << QStringLiteral("- %1 %2, %3 bytes, taken for %4")
                             .arg(EncodingDetect::panelName(s.encoding), JapaneseCorpus::genreName(s.genre))
                             .arg(s.bytes.size())
                             .arg(got == kUnknown ? QStringLiteral("none of the five") : EncodingDetect::panelName(got));
    }

    QString out = QStringLiteral("| Encoding |");
    for (const Bucket &b : kBuckets)
        out += QStringLiteral(" %1 |").arg(QLatin1String(b.name));
    out += QStringLiteral(" All |\n|---|");
    for (int b = 0; b <= kBucketCount; ++b)
        out += QStringLiteral("---:|");
    out += QLatin1Char('\n');
    for (Encoding e : encodings) {
        out += QStringLiteral("| %1 |").arg(EncodingDetect::panelName(e));
        Tally all;
        for (const Tally &t : byEncoding[int(e)]) {
            out += QStringLiteral(" %1 |").arg(cell(t));
            all.right += t.right;
            all.wrong += t.wrong;
        }
        out += QStringLiteral(" %1 |\n").arg(cell(all));
    }
    const auto percent = [](const Tally &t) { return 100.0 * t.right / std::max(1, t.right + t.wrong); };
    out += QStringLiteral("\nRight overall: %1 of %2 (%3 %)").arg(total.right).arg(total.right + total.wrong).arg(percent(total), 0, 'f', 2);
    if (fromKb.right + fromKb.wrong > 0)
        out += QStringLiteral("; from 1 KB up: %1 of %2 (%3 %)")
                   .arg(fromKb.right)
                   .arg(fromKb.right + fromKb.wrong)
                   .arg(percent(fromKb), 0, 'f', 2);
    out += QStringLiteral(".\n");
    out += QStringLiteral("By kind:");
    for (int g = 0; g < JapaneseCorpus::kGenres; ++g)
        out += QStringLiteral(" %1 %2%3").arg(JapaneseCorpus::genreName(JapaneseCorpus::Genre(g)), cell(byGenre[g]),
                                              g + 1 < JapaneseCorpus::kGenres ? QStringLiteral(";") : QStringLiteral("."));
    out += QStringLiteral("\nTime for all texts: %1 ms.\n").arg(double(nanoseconds) / 1e6, 0, 'f', 1);
    if (!wrongOnes.isEmpty()) {
        const qsizetype shown = std::min<qsizetype>(wrongOnes.size(), 20);
        out += QStringLiteral("\nThe wrong ones%1:\n\n")
                   .arg(shown < wrongOnes.size() ? QStringLiteral(" (the first %1 of %2)").arg(shown).arg(wrongOnes.size())
                                                 : QString())
               + wrongOnes.mid(0, shown).join(QLatin1Char('\n')) + QLatin1Char('\n');
    }
    Outcome outcome;
    outcome.table = out;
    outcome.met = total.wrong * 100 <= total.right + total.wrong && fromKb.wrong == 0;
    return outcome;
}

#ifdef ORLIMBO_HAVE_UCHARDET
Encoding uchardetGuess(const QByteArray &bytes)
{
    uchardet_t detector = uchardet_new();
    uchardet_handle_data(detector, bytes.constData(), size_t(bytes.size()));
    uchardet_data_end(detector);
    const QByteArray name = QByteArray(uchardet_get_charset(detector)).toUpper();
    uchardet_delete(detector);
    if (name == "SHIFT_JIS" || name == "ASCII" || name == "WINDOWS-31J" || name == "CP932")
        return Encoding::Sjis;
    if (name == "UTF-8")
        return Encoding::Utf8;
    if (name.startsWith("UTF-16"))
        return Encoding::Utf16;
    if (name == "EUC-JP")
        return Encoding::Euc;
    if (name == "ISO-2022-JP")
        return Encoding::Jis;
    return kUnknown;
}
#endif

} // namespace

int main(int argc, char **argv)
{
    const int perEncoding = argc > 1 ? std::atoi(argv[1]) : 250;
    const quint32 seed = argc > 2 ? quint32(std::strtoul(argv[2], nullptr, 10)) : 16u;
    const std::vector<JapaneseCorpus::Sample> corpus = JapaneseCorpus::generateCorpus(perEncoding, 20, 1024 * 1024, seed);

    QString out = QStringLiteral("%1 texts (%2 per encoding, seed %3, %4 MB in all), sizes 20 B to 1 MB on a "
                                 "logarithmic scale, the five kinds (prose, mail, HTML, source with Japanese "
                                 "comments, half-width kana) taking turns. Each cell: right / wrong.\n\n")
                      .arg(corpus.size())
                      .arg(perEncoding)
                      .arg(seed)
                      .arg(double(totalBytes(corpus)) / (1024.0 * 1024.0), 0, 'f', 1);
    const Outcome ours = tally(corpus, [](const QByteArray &b) { return EncodingDetect::detect(b).encoding; });
    out += ours.table;
#ifdef ORLIMBO_HAVE_UCHARDET
    const Outcome theirs = tally(corpus, uchardetGuess);
    out += QStringLiteral("\n#### uchardet 0.0.7 on the same texts, for comparison\n\n"
                          "Its answer counted as right where it names the encoding (ASCII counted as CP932); "
                          "nothing in the program uses it.\n\n")
           + theirs.table;
#endif

    // Short texts are where the rules have least to go on: many more of them, apart.
    const std::vector<JapaneseCorpus::Sample> shortOnes = JapaneseCorpus::generateCorpus(400, 20, 256, seed + 1);
    out += QStringLiteral("\n#### Short texts apart: 400 per encoding of 20 to 256 bytes (seed %1)\n\n").arg(seed + 1)
           + tally(shortOnes, [](const QByteArray &b) { return EncodingDetect::detect(b).encoding; }).table;
#ifdef ORLIMBO_HAVE_UCHARDET
    out += QStringLiteral("\nuchardet on these:\n\n") + tally(shortOnes, uchardetGuess).table;
#endif
    std::fputs(out.toUtf8().constData(), stdout);
    return ours.met ? 0 : 1;
}
