// Where the reader was in each file, the search through the folder and the display effects.
#include "ui/ReadingSession.h"

#include "core/ArchiveFolder.h"
#include "core/DocumentEncoding.h"
#include "core/PathForm.h"
#include "core/SystemErrors.h"
#include "core/TextPlaces.h"
#include "platform/Desktop.h"
#include "platform/Dialogs.h"
#include "platform/ProgramFolder.h"
#include "platform/WorkFiles.h"
#include "resources/MainTexts.h"
#include "ui/FolderSearchRunner.h"

#include <QDateTime>
#include <QTimer>

namespace {
// The store is written at most this often while the reader walks from file to file.
constexpr int kWriteEveryMs = 1000;

// A file's identity; a member of an archive has none on the disk, so its size and time in the
// archive stand for it.
RegularFile::Identity identityOf(const Document::Source &source)
{
    if (source.identity.known())
        return source.identity;
    const std::optional<Archive::SplitPath> where = ArchiveFolder::locate(source.path);
    if (!where || where->member.isEmpty())
        return {};
    for (const Archive::Entry &entry : ArchiveFolder::listing(where->archive)->entries) {
        if (entry.path == where->member && entry.size >= 0) {
            RegularFile::Identity identity;
            identity.size = entry.size;
            identity.modifiedNs = entry.modifiedNs.value_or(0);
            return identity;
        }
    }
    return {};
}
} // namespace

void ReadingSession::connectPositions()
{
    positionsWrite_ = new QTimer(this);
    positionsWrite_->setSingleShot(true);
    positionsWrite_->setInterval(kWriteEveryMs);
    connect(positionsWrite_, &QTimer::timeout, this, &ReadingSession::writePositions);
}

PositionStore *ReadingSession::positions()
{
    if (!settings_.RememberPosition)
        return nullptr;
    if (!positions_) {
        positions_ = std::make_unique<PositionStore>(PositionStore::defaultFolder());
        positions_->read();
    }
    return positions_.get();
}

void ReadingSession::recordPosition()
{
    const Document &document = this->document();
    const Document::Source &source = document.source();
    // A text typed into is no longer the file's: its places would point elsewhere in the file.
    const RegularFile::Identity identity = identityOf(source);
    if (!view_ || source.nativePath.isEmpty() || !identity.known() || document.isModified())
        return;
    PositionStore *store = positions();
    if (!store)
        return;
    const auto ownPlace = [&](qint64 shown) {
        // Back through the book first, then through the byte effects beneath it.
        const qint64 beneath = document.beneathBook(shown);
        EffectSet bytes = document.effects();
        bytes.remove(EffectKind::Aozora);
        if (bytes.empty())
            return document.placeOf(beneath);
        return document.placeOf(TextPlaces::toUnprocessed(bytes, document.textBeneathBook().whole(),
                                                          document.ownText().whole(), beneath));
    };
    const ReadingPlace place = view_->place();
    PositionStore::Record record;
    record.size = identity.size;
    record.modifiedNs = identity.modifiedNs;
    record.top = ownPlace(place.top);
    record.caret = ownPlace(place.caret);
    record.caretMoved = place.caretMoved;
    record.visitedMs = QDateTime::currentMSecsSinceEpoch();
    record.tail = PositionStore::tailOf(source.nativePath, identity);
    store->remember(source.nativePath, std::move(record));
    if (!positionsWrite_->isActive())
        positionsWrite_->start();
}

void ReadingSession::restorePosition()
{
    const Document &document = this->document();
    const Document::Source &source = document.source();
    PositionStore *store = source.nativePath.isEmpty() || !view_ ? nullptr : positions();
    if (!store)
        return;
    const std::optional<PositionStore::Record> record = store->find(source.nativePath);
    if (!record || !PositionStore::restores(*record, source.nativePath, identityOf(source)))
        return;
    const qint64 top = document.overBook(document.positionOf(record->top));
    const qint64 caret = document.overBook(document.positionOf(record->caret));
    // A caret never moved stays with the reader: at the top line, so that keys go on from there.
    view_->showPlace({top, record->caretMoved ? caret : top, record->caretMoved});
}

void ReadingSession::writePositions()
{
    positionsWrite_->stop();
    // A store that cannot be written costs the reader the places of this run, which is said once.
    if (positions_ && settings_.RememberPosition && positions_->hasUnwritten() && !positions_->write()
        && !std::exchange(toldPositionsUnsaved_, true))
        emit note(MainTexts::kPositionsNotSaved);
}

void ReadingSession::connectFolderSearch()
{
    folderSearch_ = new FolderSearchRunner(this);
    connect(folderSearch_, &FolderSearchRunner::progressed, this, [this](qsizetype done, qsizetype total) {
        // The reader went to another file meanwhile: the search was for the one left.
        if (FileNameNow() != folderSearchFrom_->path)
            cancelFolderSearch();
        else
            status_.showFolderSearch(done, total);
    });
    connect(folderSearch_, &FolderSearchRunner::ended, this, &ReadingSession::folderSearchEnded);
}

void ReadingSession::searchFolder(const QStringList &files, const QString &word, bool matchCase, bool forward)
{
    cancelFolderSearch();
    // A file shown from elsewhere than the list leaves the whole list to search.
    const qsizetype viewed = files.indexOf(FileNameNow());
    FolderSearch::Request request;
    request.sources = files;
    request.first = forward ? viewed + 1 : viewed >= 0 ? viewed - 1 : files.size() - 1;
    request.direction = forward ? FolderSearch::Direction::Forward : FolderSearch::Direction::Backward;
    request.word = word;
    request.matchCase = matchCase;
    request.chosen = DocumentEncoding::forcedEncoding(settings_.encodingChoice());
    folderSearchFrom_ = FolderSearchStart{FileNameNow(), word, forward, status_.text(StatusPanel::Date)};
    folderSearch_->start(std::move(request));
    emit folderSearchBusy(true);
}

void ReadingSession::cancelFolderSearch()
{
    if (!folderSearch_->running())
        return;
    folderSearch_->cancel();
    if (FileNameNow() == folderSearchFrom_->path)
        status_.setText(StatusPanel::Date, folderSearchFrom_->dateText);
    folderSearchFrom_.reset();
    emit folderSearchBusy(false);
}

void ReadingSession::folderSearchEnded(const FolderSearch::Result &result)
{
    const FolderSearchStart from = *std::exchange(folderSearchFrom_, std::nullopt);
    emit folderSearchBusy(false);
    // The reader went elsewhere meanwhile: what was found is no longer the next file.
    if (FileNameNow() != from.path)
        return;
    status_.setText(StatusPanel::Date, from.dateText);
    const QString passed = result.passedOver > 0 ? MainTexts::passedOverText(result.passedOver) : QString();
    if (result.found < 0) {
        Desktop::beep();
        emit note(MainTexts::folderNotFoundText(from.word, from.forward) + passed);
        return;
    }
    emit folderSearchFound(result.found, from.word, from.forward);
    if (!passed.isEmpty())
        emit note(passed);
}

bool ReadingSession::applyEffect(EffectKind kind)
{
    if (!mayReadThrough())
        return false;
    WorkFiles::Run run = WorkFiles::runEffect(kind, document().effectInput(), WorkFolder());
    switch (run.failure) {
    case WorkFiles::Failure::None:
        break;
    case WorkFiles::Failure::CreateOutput:
        dialogs_.message(dialogParent_, MainTexts::kWorkFileCreateText, MainTexts::kWorkFileCreateCaption,
                         Dialogs::Kind::Failure);
        return false;
    case WorkFiles::Failure::OpenInput:
        dialogs_.message(dialogParent_, MainTexts::kWorkFileOpenText, MainTexts::kWorkFileOpenCaption,
                         Dialogs::Kind::Failure);
        return false;
    case WorkFiles::Failure::WriteInput:
    case WorkFiles::Failure::Transform:
        dialogs_.message(dialogParent_,
                         PathForm::displayName(run.path) + QStringLiteral("\n\n") + SystemErrors::text(run.error),
                         title_, Dialogs::Kind::Failure);
        return false;
    }
    model_.applyEffect(kind, std::move(*run.output));
    WorkFiles::remove(WorkFolder());
    return true;
}

void ReadingSession::clearEffects(EffectClearing mode)
{
    // Discarding keeps the shown text, and with it the bytes it was made from.
    if (mode == EffectClearing::Discard)
        model_.forgetUnprocessed();
    else
        model_.restoreUnprocessed();
}
