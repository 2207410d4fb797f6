#include "core/BookmarkFile.h"

#include "core/Cp932.h"
#include "core/PathForm.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

const char kHeader[] = "# Orlimbo - Bookmark File,\r\n";

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
    out.path = PathForm::fromCp932(cutOnCharacter(fields[1].toByteArray(), kBookmarkPathLimit), exists);
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

} // namespace

QString BookmarkFilePath(const QString &programFolder, bool programFolderWritable)
{
    const QString name = QStringLiteral("BOOKMARK.CSV");
    if (programFolderWritable)
        return programFolder + name;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return data + QLatin1Char('/') + name;
}

QList<Bookmark> parseBookmarkFile(const QByteArray &bytes, const PathForm::NativeExists &exists)
{
    QList<Bookmark> records;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0)
            end = bytes.size();
        QByteArrayView line = QByteArrayView(bytes).sliced(pos, end - pos);
        pos = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        // Only the first read of a long line can be a record; its remainder never is.
        if (line.size() > kBookmarkLineLimit)
            line = line.first(kBookmarkLineLimit);
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
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parseBookmarkFile(file.readAll(), exists);
}

Bookmark TidyBookmarkRow(const Bookmark &row)
{
    Bookmark tidy{trimmed(row.name), trimmed(row.path)};
    if (tidy.name.isEmpty())
        tidy.name = tidy.path;
    return tidy;
}

BookmarkWriteResult WriteBookmarkFile(const QString &filePath, const QList<Bookmark> &rows)
{
    using Status = BookmarkWriteResult::Status;
    BookmarkWriteResult result;
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
    for (const Bookmark &row : rows) {
        const Bookmark tidy = TidyBookmarkRow(row);
        if (tidy.path.isEmpty())
            continue;
        const QByteArray line = cutOnCharacter(Cp932::encode(tidy.name), kBookmarkNameLimit) + ','
                                + cutOnCharacter(PathForm::toCp932(tidy.path), kBookmarkPathLimit) + "\r\n";
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
