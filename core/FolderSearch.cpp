#include "core/FolderSearch.h"

#include "core/ArchiveFolder.h"
#include "core/DocumentEncoding.h"
#include "core/PathForm.h"
#include "core/RegularFile.h"

#include <sys/stat.h>

namespace FolderSearch {

Source readFile(const QString &path)
{
    // A member of an archive the list shows is read from its archive, in memory.
    if (const std::optional<Archive::SplitPath> where = ArchiveFolder::locate(path); where && !where->member.isEmpty()) {
        Archive::Member member = ArchiveFolder::read(path);
        if (member.status != Archive::Status::Ok || member.bytes.size() > kLargestSearched)
            return {};
        return {std::move(member.bytes)};
    }
    const QByteArray native = PathForm::toNative(path);
    // A file too large is known by its size before anything of it is read.
    struct stat status {};
    if (::stat(native.constData(), &status) == 0 && status.st_size > kLargestSearched)
        return {};
    RegularFile::Read read = RegularFile::readAll(native, kLargestSearched);
    if (!read.bytes || read.truncated)
        return {};
    return {std::move(read.bytes)};
}

Result search(const Request &request, const Control &control)
{
    Result result;
    const bool forward = request.direction == Direction::Forward;
    const qsizetype count = request.sources.size();
    const qsizetype first = std::clamp<qsizetype>(request.first, forward ? 0 : -1, forward ? count : count - 1);
    const qsizetype total = forward ? count - first : first + 1;
    if (request.word.isEmpty())
        return result;
    const Qt::CaseSensitivity sensitivity = request.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (qsizetype done = 0; done < total; ++done) {
        if (control.cancel && control.cancel->load(std::memory_order_relaxed)) {
            result.cancelled = true;
            return result;
        }
        const qsizetype index = forward ? first + done : first - done;
        const Source source = control.read(request.sources[index]);
        if (!source.bytes) {
            ++result.passedOver;
        } else {
            // Searched in the decoded text, so that a hit is whole characters: a CP932 trail
            // byte equal to an ASCII one never matches that character.
            const QString text = DocumentEncoding::load(*source.bytes, request.chosen).text;
            const qint64 at = forward ? text.indexOf(request.word, 0, sensitivity)
                                      : text.lastIndexOf(request.word, -1, sensitivity);
            if (at >= 0) {
                result.found = index;
                result.position = at;
            }
        }
        if (control.progress)
            control.progress(done + 1, total);
        if (result.found >= 0)
            return result;
    }
    return result;
}

} // namespace FolderSearch
