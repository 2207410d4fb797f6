#include "platform/FolderListing.h"

#include "core/ArchiveFolder.h"
#include "core/FileFilter.h"
#include "core/PathForm.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

enum class Kind { File, Folder };

QStringList namesOf(const QString &folder, Kind kind)
{
    QStringList names;
    if (folder.isEmpty())
        return names;
    DIR *dir = ::opendir(PathForm::toNative(folder).constData());
    if (!dir)
        return names;
    const int fd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        unsigned char type = entry->d_type;
        // Links and file systems that give no type are asked; a dangling link has none.
        if (type == DT_LNK || type == DT_UNKNOWN) {
            struct stat st {};
            if (::fstatat(fd, entry->d_name, &st, 0) != 0)
                continue;
            type = S_ISREG(st.st_mode) ? DT_REG : S_ISDIR(st.st_mode) ? DT_DIR : DT_UNKNOWN;
        }
        if (type == (kind == Kind::File ? DT_REG : DT_DIR))
            names.append(PathForm::fromNative(QByteArray(entry->d_name)));
    }
    ::closedir(dir);
    return names;
}

} // namespace

QStringList listFolder(const QString &folder, const QString &mask, NameOrder order)
{
    if (folder.isEmpty() || splitMask(mask).isEmpty())
        return {};
    if (ArchiveFolder::locate(folder))
        return ArchiveFolder::files(folder, mask, order);
    return listMatches(namesOf(folder, Kind::File), mask, order);
}

namespace {
void sortFolderNames(QStringList &names, NameOrder order)
{
    if (order == NameOrder::Natural) {
        sortNaturally(names);
        return;
    }
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return PathForm::displayName(a).compare(PathForm::displayName(b), Qt::CaseInsensitive) < 0;
    });
}
} // namespace

QStringList listSubfolders(const QString &folder, NameOrder order)
{
    if (ArchiveFolder::locate(folder))
        return ArchiveFolder::folders(folder, order);
    QStringList names = namesOf(folder, Kind::Folder);
    sortFolderNames(names, order);
    return names;
}

QStringList listArchives(const QString &folder, NameOrder order)
{
    if (folder.isEmpty() || ArchiveFolder::locate(folder))
        return {};
    QStringList names = ArchiveFolder::archivesIn(folder, namesOf(folder, Kind::File));
    sortFolderNames(names, order);
    return names;
}
