#include "ui/StatusReport.h"

#include "core/ArchiveFolder.h"
#include "core/Document.h"
#include "platform/FileSystem.h"
#include "resources/ArchiveTexts.h"
#include "resources/MainTexts.h"

namespace {
QDateTime memberTime(const Archive::Entry &entry)
{
    return entry.modifiedNs ? QDateTime::fromMSecsSinceEpoch(*entry.modifiedNs / 1000000) : QDateTime();
}
} // namespace

StatusReport::StatusReport(QObject *parent) : QObject(parent) {}

void StatusReport::setText(StatusPanel panel, const QString &text)
{
    QString &held = texts_[size_t(panel)];
    if (held == text)
        return;
    held = text;
    emit changed(panel, text);
}

void StatusReport::showFile(const QString &path, const Document &document, bool withKind)
{
    const std::optional<Archive::Entry> member = ArchiveFolder::member(path);
    setText(StatusPanel::Date, StatusTexts::fileDateText(member ? memberTime(*member) : FileSystem::lastWriteTime(path)));
    setText(StatusPanel::ReadOnly, member                            ? ArchiveTexts::kInArchive
                                   : FileSystem::IsReadOnlyFile(path) ? MainTexts::kReadOnly
                                                                      : QString());
    if (withKind)
        setText(StatusPanel::FileKind, FileSystem::IsBinaryFile(path) ? MainTexts::kBinary : MainTexts::kText);
    setText(StatusPanel::Size, StatusTexts::sizeText(document.byteLength()));
    showEncoding(path, document);
}

void StatusReport::showEncoding(const QString &path, const Document &document)
{
    setText(StatusPanel::Encoding, path.isEmpty() ? QString() : EncodingDetect::panelName(document.detection().encoding));
}

void StatusReport::showLines(qint64 lines)
{
    setText(StatusPanel::Lines, StatusTexts::lineCountText(lines));
}

void StatusReport::showLoading(int percent)
{
    setText(StatusPanel::Lines, MainTexts::kLoadingProgress.arg(percent));
}

void StatusReport::showCounting(int percent)
{
    setText(StatusPanel::Lines, MainTexts::kCountingProgress.arg(percent));
}

void StatusReport::showListing()
{
    setText(StatusPanel::Lines, ArchiveTexts::kListing);
}

void StatusReport::showReadingMember(int percent)
{
    setText(StatusPanel::Lines, percent < 0 ? ArchiveTexts::kReading : ArchiveTexts::kReadingProgress.arg(percent));
}

void StatusReport::showCaret(qint64 line, qint64 column)
{
    setText(StatusPanel::Position, StatusTexts::caretText(line + 1, column + 1));
}

void StatusReport::showFolderSearch(qsizetype done, qsizetype total)
{
    setText(StatusPanel::Date, MainTexts::folderSearchProgressText(done, total));
}
