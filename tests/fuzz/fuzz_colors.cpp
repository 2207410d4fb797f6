// Colour texts: any text either reads as a colour or leaves the colour alone, and every colour
// read is written as a text that reads back as the same colour.
#include "core/ColorText.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(FuzzInput::bytes(data, size));
    constexpr std::uint32_t kUntouched = 0x12345678u;
    std::uint32_t color = kUntouched;
    if (!ColorText::fromText(text, color))
        FUZZ_CHECK(color == kUntouched);
    std::uint32_t again = ~color;
    FUZZ_CHECK(ColorText::fromText(ColorText::toText(color), again));
    FUZZ_CHECK(again == color);

    // The raw bytes as a value as well, so that every 32-bit colour gets written.
    if (size >= 4) {
        std::uint32_t value = 0;
        std::memcpy(&value, data, 4);
        std::uint32_t read = ~value;
        FUZZ_CHECK(ColorText::fromText(ColorText::toText(value), read));
        FUZZ_CHECK(read == value);
    }
    return 0;
}
