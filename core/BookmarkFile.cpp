#include "core/BookmarkFile.h"

#include "core/Cp932.h"
#include "core/PathForm.h"
#include "core/RegularFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

const char kHeader[] = "# Orlimbo - Bookmark File,\r\n";
const QString kFileName = QStringLiteral("BOOKMARK.CSV");

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The longest prefix of at most `limit` bytes that ends on a character boundary; an
// incomplete character at the end is left out too.
QByteArray cutOnCharacter(const QByteArray &field, qsizetype limit)
{
    const qsizetype end = std::min(limit, field.size());
    qsizetype i = 0;
    while (i < end) {
        const qsizetype width = isLeadByte(static_cast<unsigned char>(field[i])) ? 2 : 1;
        if (i + width > end)
            break;
        i += width;
    }
    return field.left(i);
}

// One line (without its line end) into a record: the first two non-empty runs between
// commas, the rest ignored. Commas never occur inside a double-byte character.
bool recordOfLine(QByteArrayView line, Bookmark &out, const PathForm::NativeExists &exists)
{
    QByteArrayView fields[2];
    int found = 0;
    qsizetype i = 0;
    while (found < 2 && i < line.size()) {
        while (i < line.size() && line[i] == ',')
            ++i;
        const qsizetype start = i;
        while (i < line.size() && line[i] != ',')
            ++i;
        if (i > start)
            fields[found++] = line.sliced(start, i - start);
    }
    if (found < 2)
        return false;
    out.name = Cp932::decode(cutOnCharacter(fields[0].toByteArray(), kBookmarkNameLimit));
    out.path = PathForm::fromCp932(fields[1].toByteArray(), exists);
    return true;
}

bool isBlankOrControl(QChar c)
{
    return c.unicode() <= 0x20;
}

QString trimmed(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlankOrControl(text[start]))
        ++start;
    while (end > start && isBlankOrControl(text[end - 1]))
        --end;
    return text.sliced(start, end - start);
}

bool ownerWriteClear(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() && !(info.permissions() & QFileDevice::WriteOwner);
}

bool writeAndFlush(QSaveFile &file, const QByteArray &bytes)
{
    // Flushing per line lets a failing record be told apart from the others.
    return file.write(bytes) == bytes.size() && file.flush();
}

// Anything at all stands at `path`, a link that leads nowhere included.
bool somethingAt(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// A field's bytes as the file records them (a name like a path, so that a name taken from a
// path whose bytes are not UTF-8 keeps them), or the first character the file cannot hold.
BookmarkFault fieldBytes(const QString &field, BookmarkFault::Field which, QByteArray &bytes)
{
    // A line break inside a field would end the record there.
    for (const QChar c : field) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
            return {BookmarkFault::Kind::Unrecordable, which, char32_t(c.unicode())};
    }
    const Cp932::StrictEncoded encoded = PathForm::toCp932(field);
    if (encoded.unmappable)
        return {BookmarkFault::Kind::Unrecordable, which, encoded.unmappable->character};
    // A name that is not UTF-8 may hold the byte itself.
    for (const char b : encoded.bytes) {
        if (b == '\r' || b == '\n')
            return {BookmarkFault::Kind::Unrecordable, which, char32_t(b)};
    }
    bytes = encoded.bytes;
    return {};
}

// The record line of a tidied row, or why there can be none.
BookmarkFault recordLine(const Bookmark &tidy, QByteArray &line)
{
    using Field = BookmarkFault::Field;
    for (const auto &[text, field] : {std::pair{&tidy.name, Field::Name}, std::pair{&tidy.path, Field::Path}}) {
        if (text->contains(QLatin1Char(',')))
            return {BookmarkFault::Kind::Comma, field, U','};
    }
    QByteArray name;
    QByteArray path;
    if (const BookmarkFault fault = fieldBytes(tidy.name, Field::Name, name))
        return fault;
    if (const BookmarkFault fault = fieldBytes(tidy.path, Field::Path, path))
        return fault;
    line = cutOnCharacter(name, kBookmarkNameLimit) + ',' + path + "\r\n";
    return {};
}

} // namespace

QString BookmarkFilePath(const QString &programFolder, bool programFolderWritable)
{
    return BookmarkFilePlaces(programFolder, programFolderWritable).saveTo;
}

BookmarkPlaces BookmarkFilePlaces(const QString &programFolder, bool programFolderWritable, const QString &dataFolder)
{
    const QString beside = programFolder + kFileName;
    const QString data = QDir(dataFolder).filePath(kFileName);
    BookmarkPlaces places;
    places.saveTo = programFolderWritable ? beside : data;
    const QString other = programFolderWritable ? data : beside;
    places.readFrom = !somethingAt(places.saveTo) && somethingAt(other) ? other : places.saveTo;
    return places;
}

BookmarkPlaces BookmarkFilePlaces(const QString &programFolder, bool programFolderWritable)
{
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (!programFolderWritable)
        QDir().mkpath(data);
    return BookmarkFilePlaces(programFolder, programFolderWritable, data);
}

QList<Bookmark> parseBookmarkFile(const QByteArray &bytes, const PathForm::NativeExists &exists)
{
    QList<Bookmark> records;
    const qsizetype n = bytes.size();
    qsizetype pos = 0;
    while (pos < n) {
        qsizetype end = pos;
        while (end < n && bytes[end] != '\n' && bytes[end] != '\r')
            ++end;
        const QByteArrayView line = QByteArrayView(bytes).sliced(pos, end - pos);
        pos = end;
        if (pos < n && bytes[pos] == '\r')
            ++pos;
        if (pos < n && bytes[pos] == '\n')
            ++pos;
        if (line.isEmpty() || line[0] == '#')
            continue;
        Bookmark record;
        if (recordOfLine(line, record, exists))
            records.append(record);
    }
    return records;
}

QList<Bookmark> ReadBookmarkFile(const QString &filePath, const PathForm::NativeExists &exists)
{
    RegularFile::Read read = RegularFile::readAll(PathForm::toNative(filePath), kBookmarkFileLimit);
    if (!read.bytes)
        return {};
    QByteArray &bytes = *read.bytes;
    if (read.truncated) {
        // The last line read may be only the start of a record.
        const qsizetype lastEnd = std::max(bytes.lastIndexOf('\n'), bytes.lastIndexOf('\r'));
        bytes.truncate(lastEnd + 1);
    }
    return parseBookmarkFile(bytes, exists);
}

Bookmark TidyBookmarkRow(const Bookmark &row)
{
    Bookmark tidy{trimmed(row.name), trimmed(row.path)};
    if (tidy.name.isEmpty())
        tidy.name = tidy.path;
    return tidy;
}

BookmarkFault BookmarkRowFault(const Bookmark &tidy)
{
    QByteArray line;
    return recordLine(tidy, line);
}

BookmarkWriteResult WriteBookmarkFile(const QString &filePath, const QList<Bookmark> &rows)
{
    using Status = BookmarkWriteResult::Status;
    BookmarkWriteResult result;
    QList<QByteArray> lines;
    for (qsizetype row = 0; row < rows.size(); ++row) {
        const Bookmark tidy = TidyBookmarkRow(rows[row]);
        if (tidy.path.isEmpty())
            continue;
        QByteArray line;
        if (const BookmarkFault fault = recordLine(tidy, line)) {
            result.status = Status::Refused;
            result.refusedRow = int(row);
            result.fault = fault;
            return result;
        }
        lines.append(line);
    }
    // The read-only bit is honoured for every user, root included.
    if (ownerWriteClear(filePath)) {
        result.status = Status::OpenFailed;
        return result;
    }
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        result.status = Status::OpenFailed;
        return result;
    }
    bool ok = writeAndFlush(file, QByteArray(kHeader));
    for (const QByteArray &line : lines) {
        if (!writeAndFlush(file, line)) {
            ++result.failedRecords;
            ok = false;
        }
    }
    if (!ok) {
        file.cancelWriting();
        file.commit();
        result.status = Status::WriteFailed;
        return result;
    }
    if (!file.commit())
        result.status = Status::WriteFailed;
    return result;
}
