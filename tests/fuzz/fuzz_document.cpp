// A file read in any of the encodings: the byte length the status bar shows is that of the
// byte form the effects write, and that form reads back as the same text.
#include "core/DocumentEncoding.h"
#include "tests/fuzz/FuzzCheck.h"

using EncodingDetect::Encoding;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = FuzzInput::bytes(data, size);
    const std::optional<Encoding> choices[] = {std::nullopt,    Encoding::Sjis, Encoding::Utf8,
                                               Encoding::Utf16, Encoding::Euc,  Encoding::Jis};
    for (const std::optional<Encoding> &chosen : choices) {
        const DocumentEncoding::Loaded loaded = DocumentEncoding::load(bytes, chosen);
        if (chosen)
            FUZZ_CHECK(loaded.detection.encoding == *chosen);
        FUZZ_CHECK(!loaded.text.contains(QLatin1Char('\r')));
        const DocumentEncoding::ByteForm form = DocumentEncoding::byteFormOf(loaded.detection.encoding);
        const QByteArray written = DocumentEncoding::encode(loaded.text, form);
        FUZZ_CHECK(loaded.byteLength == written.size());
        FUZZ_CHECK(DocumentEncoding::byteLength(loaded.text, form) == written.size());
        // CP932 writes U+FFFD as '?', so only texts without one come back unchanged there.
        if (form == DocumentEncoding::ByteForm::Utf8 || !loaded.text.contains(QChar(0xFFFD)))
            FUZZ_CHECK(DocumentEncoding::decode(written, form) == loaded.text);
    }
    return 0;
}
