#include "tests/support/TestArchives.h"

#include <QFile>

#include <archive_entry.h>
#include <gtest/gtest.h>

#include <locale.h>
#include <sys/sysmacros.h>

namespace TestArchives {

bool write(const QString &path, const Writing &how, const QList<Item> &items)
{
    const locale_t chosen = newlocale(LC_ALL_MASK, how.locale, locale_t(nullptr));
    const locale_t previous = uselocale(chosen);
    struct archive *a = archive_write_new();
    bool ok = archive_write_set_format(a, how.format) == ARCHIVE_OK &&
              archive_write_add_filter(a, how.filter) == ARCHIVE_OK &&
              (!how.options || archive_write_set_options(a, how.options) == ARCHIVE_OK) &&
              (!how.passphrase || archive_write_set_passphrase(a, how.passphrase) == ARCHIVE_OK) &&
              archive_write_open_filename(a, QFile::encodeName(path).constData()) == ARCHIVE_OK;
    for (const Item &item : items) {
        if (!ok)
            break;
        struct archive_entry *e = archive_entry_new();
        archive_entry_copy_pathname(e, item.name.constData());
        const unsigned type = item.type ? item.type : item.name.endsWith('/') ? AE_IFDIR : AE_IFREG;
        archive_entry_set_filetype(e, type);
        archive_entry_set_perm(e, 0644);
        if (type == AE_IFLNK)
            archive_entry_copy_symlink(e, item.data.constData());
        if (type == AE_IFCHR)
            archive_entry_set_rdev(e, makedev(1, 5));
        const bool hasData = type == AE_IFREG && !item.data.isEmpty();
        archive_entry_set_size(e, hasData ? item.data.size() : 0);
        archive_entry_set_mtime(e, kTime, 0);
        ok = archive_write_header(a, e) >= ARCHIVE_WARN &&
             (!hasData || archive_write_data(a, item.data.constData(), item.data.size()) == item.data.size());
        archive_entry_free(e);
    }
    ok = archive_write_close(a) == ARCHIVE_OK && ok;
    EXPECT_TRUE(ok) << archive_error_string(a);
    archive_write_free(a);
    uselocale(previous);
    freelocale(chosen);
    return ok;
}

} // namespace TestArchives
