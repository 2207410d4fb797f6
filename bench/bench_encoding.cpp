// Recognising a file's encoding, to set against the load of the same size (Load/10MB), and
// decoding from each encoding.
#include "bench/BenchSupport.h"

#include "core/Cp932.h"
#include "core/EncodingDetect.h"

#include <QStringEncoder>

#include <map>

namespace bench {
namespace {

using EncodingDetect::Encoding;

constexpr qint64 kSize = 10 * kMB;

// The text of the load benchmark in the given encoding (UTF-16 with its mark, the others
// without), about kSize bytes.
const QByteArray &textIn(Encoding encoding)
{
    static std::map<int, QByteArray> cache;
    QByteArray &bytes = cache[int(encoding)];
    if (bytes.isEmpty()) {
        QString text = Cp932::decode(cachedText(kSize));
        text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        QStringEncoder encoder(EncodingDetect::converterName(encoding));
        if (encoding == Encoding::Utf16)
            encoder = QStringEncoder(QStringConverter::Utf16LE);
        bytes = (encoding == Encoding::Utf16 ? QByteArray("\xFF\xFE") : QByteArray()) + encoder.encode(text);
    }
    return bytes;
}

// Half-width kana in EUC-JP also decode as CP932 (as kanji): both decodings are read as far
// as the recognition ever reads before the score decides.
const QByteArray &eucHalfWidthKana()
{
    static const QByteArray bytes = [] {
        const QString line = QStringLiteral("ｺﾝﾆﾁﾊ ﾃﾞｰﾀ ｦ ｿｳｼﾝ ｼﾏｼﾀ 12345\r\n");
        QStringEncoder encoder("EUC-JP");
        const QByteArray out = encoder.encode(line.repeated(int(kSize / 2 / line.size()) + 1));
        return out;
    }();
    return bytes;
}

// The UTF-8 text with a stray byte in each 64 KB and its last character cut: recognised by
// counting its errors to the end, after the fast check of valid UTF-8 has failed.
const QByteArray &damagedUtf8()
{
    static const QByteArray bytes = [] {
        QByteArray out = textIn(Encoding::Utf8);
        for (qsizetype at = out.indexOf('\r', 32 * kKB); at >= 0; at = out.indexOf('\r', at + 64 * kKB))
            out.insert(at, '\xFF');
        out += "\xE3\x81";
        return out;
    }();
    return bytes;
}

void BM_Detect(benchmark::State &state, const QByteArray *bytes, Encoding expected)
{
    if (EncodingDetect::detect(*bytes).encoding != expected) {
        state.SkipWithError("the encoding was not recognised");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodingDetect::detect(*bytes));
    state.SetBytesProcessed(state.iterations() * bytes->size());
}

void BM_Decode(benchmark::State &state, const QByteArray *bytes, Encoding encoding)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodingDetect::decode(*bytes, encoding));
    state.SetBytesProcessed(state.iterations() * bytes->size());
}

const bool registered = [] {
    for (Encoding e : {Encoding::Sjis, Encoding::Utf8, Encoding::Utf16, Encoding::Euc, Encoding::Jis}) {
        const std::string name = EncodingDetect::panelName(e).toStdString();
        benchmark::RegisterBenchmark(("Encoding/Detect/" + name + "/10MB").c_str(),
                                     [e](benchmark::State &s) { BM_Detect(s, &textIn(e), e); })
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(3);
    }
    benchmark::RegisterBenchmark("Encoding/Detect/EUC-halfwidth-kana/10MB",
                                 [](benchmark::State &s) { BM_Detect(s, &eucHalfWidthKana(), Encoding::Euc); })
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(3);
    benchmark::RegisterBenchmark("Encoding/Detect/UTF-8-damaged/10MB",
                                 [](benchmark::State &s) { BM_Detect(s, &damagedUtf8(), Encoding::Utf8); })
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(3);
    for (Encoding e : {Encoding::Utf8, Encoding::Utf16, Encoding::Euc, Encoding::Jis}) {
        const std::string name = EncodingDetect::panelName(e).toStdString();
        benchmark::RegisterBenchmark(("Encoding/Decode/" + name + "/10MB").c_str(),
                                     [e](benchmark::State &s) { BM_Decode(s, &textIn(e), e); })
            ->Unit(benchmark::kMillisecond)
            ->Repetitions(3);
    }
    return true;
}();

} // namespace
} // namespace bench
