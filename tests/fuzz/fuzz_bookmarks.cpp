// The bookmark reader over any bytes: every record it gives has a name and a path, and no line
// gives more than one record.
#include "core/BookmarkFile.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = FuzzInput::bytes(data, size);
    const QList<Bookmark> records = parseBookmarkFile(bytes);
    for (const Bookmark &record : records)
        FUZZ_CHECK(!record.name.isEmpty() && !record.path.isEmpty());
    FUZZ_CHECK(records.size() <= bytes.count('\n') + bytes.count('\r') + 1);
    return 0;
}
