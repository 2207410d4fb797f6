// The encoder over any UTF-16, unpaired surrogates included: its length agrees with byteLength,
// and its bytes go round through the decoder unchanged.
#include "core/Cp932.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = FuzzInput::utf16(data, size);
    const QByteArray encoded = Cp932::encode(text);
    FUZZ_CHECK(Cp932::byteLength(text) == encoded.size());
    // Each character gives at most two bytes, a line break CR LF. (The converter writes nothing
    // at all for the default-ignorable ones, such as U+034F, so there is no lower bound.)
    qsizetype characters = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++characters) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    FUZZ_CHECK(encoded.size() <= 2 * characters);
    const QString back = Cp932::decode(encoded);
    FUZZ_CHECK(back.size() <= text.size());
    // A lone CR is written as it is and read back as a line break, which is written CR LF.
    if (!text.contains(QLatin1Char('\r')))
        FUZZ_CHECK(Cp932::encode(back) == encoded);
    return 0;
}
