// The decoder against the converter it was built from, and the byte length it reports.
#include "core/Cp932.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = FuzzInput::bytes(data, size);
    const Cp932::Decoded decoded = Cp932::decodeCounting(bytes);
    FUZZ_CHECK(decoded.text == Cp932::referenceDecode(bytes));
    const QByteArray encoded = Cp932::encode(decoded.text);
    FUZZ_CHECK(decoded.byteLength == encoded.size());
    FUZZ_CHECK(Cp932::byteLength(decoded.text) == encoded.size());
    // Every decoded text goes round: its byte form decodes to it again. A U+FFFD is written as
    // '?', so only texts without one come back unchanged.
    if (!decoded.text.contains(QChar(0xFFFD)))
        FUZZ_CHECK(Cp932::decode(encoded) == decoded.text);
    return 0;
}
