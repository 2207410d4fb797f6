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

#include <archive.h>
#include <archive_entry.h>

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
QByteArray uchardetName(const QByteArray &bytes)
{
    uchardet_t detector = uchardet_new();
    uchardet_handle_data(detector, bytes.constData(), size_t(bytes.size()));
    uchardet_data_end(detector);
    const QByteArray name = QByteArray(uchardet_get_charset(detector)).toUpper();
    uchardet_delete(detector);
    return name;
}

Encoding uchardetGuess(const QByteArray &bytes)
{
    const QByteArray name = uchardetName(bytes);
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

// Damaged copies of the texts, each encoding and UTF-16 with its mark and without it apart:
// how many of them each recogniser gets right, by kind of damage. UTF-16 counts as right only
// in its byte order (where uchardet names none, either).
struct Damaged {
    QString table;
    bool atLeastUchardet = true; // ours right as often as uchardet's in every row
};

Damaged damagedTable(const std::vector<JapaneseCorpus::Sample> &texts, quint32 seed)
{
    using JapaneseCorpus::Damage;
    struct Row {
        QString name;
        std::array<std::array<int, 3>, JapaneseCorpus::kDamages> cells{}; // ours, uchardet, texts
    };
    std::vector<Row> rows;
    for (const char *name : {"SJIS", "UTF-8", "UTF-16 with its mark", "UTF-16 without a mark", "EUC", "JIS"})
        rows.push_back({QString::fromLatin1(name), {}});
    const auto rowOf = [](const JapaneseCorpus::Sample &s) {
        switch (s.encoding) {
        case Encoding::Sjis:
            return 0;
        case Encoding::Utf8:
            return 1;
        case Encoding::Utf16:
            return s.bytes.startsWith("\xFF\xFE") || s.bytes.startsWith("\xFE\xFF") ? 2 : 3;
        case Encoding::Euc:
            return 4;
        case Encoding::Jis:
            return 5;
        }
        return 0;
    };
    qint64 bytes = 0;
    for (const JapaneseCorpus::Sample &s : texts) {
        for (int d = 0; d < JapaneseCorpus::kDamages; ++d) {
            const JapaneseCorpus::Sample bad = JapaneseCorpus::damaged(s, Damage(d), ++seed);
            if (bad.bytes == s.bytes)
                continue; // half-width kana alone in CP932 have no character to cut
            bytes += bad.bytes.size();
            std::array<int, 3> &cell = rows[size_t(rowOf(s))].cells[size_t(d)];
            const EncodingDetect::Detection got = EncodingDetect::detect(bad.bytes);
            cell[0] += got.encoding == bad.encoding && (bad.encoding != Encoding::Utf16 || got.bigEndian == bad.bigEndian);
#ifdef ORLIMBO_HAVE_UCHARDET
            const QByteArray name = uchardetName(bad.bytes);
            const bool otherOrder = name == (bad.bigEndian ? "UTF-16LE" : "UTF-16BE");
            cell[1] += uchardetGuess(bad.bytes) == bad.encoding && !otherOrder;
#endif
            ++cell[2];
        }
    }
    Damaged out;
    out.table = QStringLiteral("%1 MB of damaged texts in all. Each cell: right by ours / right by uchardet 0.0.7 / "
                               "texts.\n\n")
                    .arg(double(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
    out.table += QStringLiteral("| Encoding |");
    for (int d = 0; d < JapaneseCorpus::kDamages; ++d)
        out.table += QStringLiteral(" %1 |").arg(JapaneseCorpus::damageName(Damage(d)));
    out.table += QStringLiteral(" All: ours | All: uchardet |\n|---|");
    for (int d = 0; d < JapaneseCorpus::kDamages + 2; ++d)
        out.table += QStringLiteral("---:|");
    out.table += QLatin1Char('\n');
    for (const Row &row : rows) {
        out.table += QStringLiteral("| %1 |").arg(row.name);
        std::array<int, 3> all{};
        for (const auto &cell : row.cells) {
            out.table += QStringLiteral(" %1 / %2 / %3 |").arg(cell[0]).arg(cell[1]).arg(cell[2]);
            for (size_t k = 0; k < 3; ++k)
                all[k] += cell[k];
        }
        const auto percent = [&all](int right) { return 100.0 * right / std::max(1, all[2]); };
        out.table += QStringLiteral(" %1 % | %2 % |\n").arg(percent(all[0]), 0, 'f', 1).arg(percent(all[1]), 0, 'f', 1);
#ifdef ORLIMBO_HAVE_UCHARDET
        out.atLeastUchardet = out.atLeastUchardet && all[0] >= all[1];
#endif
    }
    return out;
}

// The generated texts from 1 KB up, UTF-16 also without its mark.
std::vector<JapaneseCorpus::Sample> generatedToDamage(int perEncoding, quint32 seed)
{
    std::vector<JapaneseCorpus::Sample> out;
    for (const JapaneseCorpus::Sample &s : JapaneseCorpus::generateCorpus(perEncoding, 1024, 1024 * 1024, seed)) {
        out.push_back(s);
        if (s.encoding == Encoding::Utf16)
            out.push_back(JapaneseCorpus::withoutMark(s));
    }
    return out;
}

// The eleven Aozora Bunko works of the benchmarks, each whole and its first 2 KB and 16 KB (whole
// lines), in every encoding: CR LF in CP932, UTF-16 and ISO-2022-JP, LF in UTF-8 and EUC-JP.
std::vector<JapaneseCorpus::Sample> aozoraToDamage()
{
    QByteArray utf8;
    archive *a = archive_read_new();
    archive_read_support_filter_all(a);
    archive_read_support_format_raw(a);
    archive_entry *entry = nullptr;
    if (archive_read_open_filename(a, ORLIMBO_AOZORA, 1 << 16) == ARCHIVE_OK && archive_read_next_header(a, &entry) == ARCHIVE_OK) {
        char block[1 << 16];
        for (la_ssize_t n; (n = archive_read_data(a, block, sizeof block)) > 0;)
            utf8.append(block, n);
    }
    archive_read_free(a);
    std::vector<JapaneseCorpus::Sample> out;
    for (const QString &work : QString::fromUtf8(utf8).split(QStringLiteral("\f\n"), Qt::SkipEmptyParts)) {
        for (const qsizetype size : {qsizetype(2048), qsizetype(16384), work.size()}) {
            // Whole lines up to about size characters.
            qsizetype end = work.lastIndexOf(QLatin1Char('\n'), std::min(size, work.size() - 1));
            const QString text = size >= work.size() || end < 0 ? work : work.left(end + 1);
            out.push_back(JapaneseCorpus::fromText(text, Encoding::Sjis, true));
            out.push_back(JapaneseCorpus::fromText(text, Encoding::Utf8, false));
            for (const bool bigEndian : {false, true})
                for (const bool mark : {true, false})
                    out.push_back(JapaneseCorpus::fromText(text, Encoding::Utf16, true, mark, bigEndian));
            out.push_back(JapaneseCorpus::fromText(text, Encoding::Euc, false));
            out.push_back(JapaneseCorpus::fromText(text, Encoding::Jis, true));
        }
    }
    return out;
}

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

    // Damaged copies; a text below 1 KB is too short to be judged by the rate of its errors.
    const int damagedPer = std::max(1, perEncoding / 2);
    const Damaged generated = damagedTable(generatedToDamage(damagedPer, seed + 2), seed + 2);
    out += QStringLiteral("\n#### Damaged texts\n\n%1 generated texts per encoding (seed %2) of 1 KB to 1 MB, each "
                          "damaged three ways: its last character cut, one stray byte, stray bytes at one in 1,000 "
                          "(before line breaks, each invalid there; in UTF-16 a unit made an unpaired surrogate). ")
               .arg(damagedPer)
               .arg(seed + 2)
           + generated.table;
    const Damaged aozora = damagedTable(aozoraToDamage(), seed + 3);
    out += QStringLiteral("\nThe eleven Aozora Bunko works of bench/data, each whole (10 to 100 KB) and its first "
                          "2 KB and 16 KB of characters, damaged the same way. ")
           + aozora.table;
    const bool damagedMet = generated.atLeastUchardet && aozora.atLeastUchardet;
    std::fputs(out.toUtf8().constData(), stdout);
    return ours.met && damagedMet ? 0 : 1;
}
