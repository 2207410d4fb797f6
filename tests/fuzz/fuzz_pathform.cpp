// Any bytes a file name can hold map to a path form and back to the very same bytes, and the
// shown name carries neither the marker nor a carried byte.
#include "core/PathForm.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes = FuzzInput::bytes(data, size);
    bytes.replace('\0', '_'); // no name holds a NUL
    const QString form = PathForm::fromNative(bytes);
    FUZZ_CHECK(PathForm::toNative(form) == bytes);
    FUZZ_CHECK(PathForm::fromNative(PathForm::toNative(form)) == form);
    const QString shown = PathForm::displayName(form);
    FUZZ_CHECK(!shown.contains(QChar(PathForm::kMarker)) || QString::fromUtf8(bytes).contains(QChar(PathForm::kMarker)));
    for (QChar c : shown)
        FUZZ_CHECK(c.unicode() < PathForm::kEscapeBase || c.unicode() > PathForm::kEscapeBase + 0xFF
                   || QString::fromUtf8(bytes).contains(c));
    return 0;
}
