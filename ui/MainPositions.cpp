// Where the reader was in each file: taken when a file stops being the viewed one, given back
// when it is shown again, in this run or a later one.
#include "ui/MainWindow.h"

#include "core/ArchiveFolder.h"
#include "ui/widgets/TextView.h"

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

void MainWindow::connectPositions()
{
    positionsWrite_ = new QTimer(this);
    positionsWrite_->setSingleShot(true);
    positionsWrite_->setInterval(kWriteEveryMs);
    connect(positionsWrite_, &QTimer::timeout, this, &MainWindow::writePositions);
}

PositionStore *MainWindow::positions()
{
    if (!Settings.RememberPosition)
        return nullptr;
    if (!positions_) {
        positions_ = std::make_unique<PositionStore>(PositionStore::defaultFolder());
        positions_->read();
    }
    return positions_.get();
}

void MainWindow::recordPosition()
{
    const Document &document = model_->document();
    const Document::Source &source = document.source();
    // A text typed into is no longer the file's: its places would point elsewhere in the file.
    const RegularFile::Identity identity = identityOf(source);
    if (source.nativePath.isEmpty() || !identity.known() || document.isModified())
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
    PositionStore::Record record;
    record.size = identity.size;
    record.modifiedNs = identity.modifiedNs;
    record.top = ownPlace(RichEdit->topPosition());
    record.caret = ownPlace(RichEdit->caretPosition());
    record.caretMoved = RichEdit->caretMovedByUser();
    record.visitedMs = QDateTime::currentMSecsSinceEpoch();
    record.tail = PositionStore::tailOf(source.nativePath, identity);
    store->remember(source.nativePath, std::move(record));
    if (!positionsWrite_->isActive())
        positionsWrite_->start();
}

void MainWindow::restorePosition()
{
    const Document::Source &source = model_->document().source();
    PositionStore *store = source.nativePath.isEmpty() ? nullptr : positions();
    if (!store)
        return;
    const std::optional<PositionStore::Record> record = store->find(source.nativePath);
    if (!record || !PositionStore::restores(*record, source.nativePath, identityOf(source)))
        return;
    const qint64 top = model_->document().overBook(model_->document().positionOf(record->top));
    const qint64 caret = model_->document().overBook(model_->document().positionOf(record->caret));
    // A caret never moved stays with the reader: at the top line, so that keys go on from there.
    RichEdit->showPlace(top, record->caretMoved ? caret : top, record->caretMoved);
}

void MainWindow::writePositions()
{
    positionsWrite_->stop();
    // A store that cannot be written costs the reader nothing but the places of this run.
    if (positions_ && Settings.RememberPosition && positions_->hasUnwritten())
        positions_->write();
}
