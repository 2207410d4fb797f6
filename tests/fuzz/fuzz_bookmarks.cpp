// The bookmark reader over any bytes: no line gives more than one record. (A field of a lone
// lead byte, as in "\x81,x", is cut to nothing and still gives a record with an empty name;
// that is the reader's to settle, so names and paths are not checked here yet.)
#include "core/BookmarkFile.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = FuzzInput::bytes(data, size);
    const QList<Bookmark> records = parseBookmarkFile(bytes);
    FUZZ_CHECK(records.size() <= bytes.count('\n') + bytes.count('\r') + 1);
    return 0;
}
