// Loading a file into the document and the state of the loads that run on.
#include "ui/ReadingSession.h"

#include "core/ArchiveFolder.h"
#include "core/DocumentEncoding.h"
#include "core/PathForm.h"
#include "core/PathUtil.h"
#include "core/RegularFile.h"
#include "core/StatusTexts.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/LoadMessages.h"
#include "resources/ArchiveTexts.h"
#include "resources/MainTexts.h"

#include <QFileSystemWatcher>
#include <QScopedValueRollback>
#include <QTimer>

#include <unistd.h>

#include <cerrno>

namespace {
// A load that ends within this is shown as if read on the spot; a longer one runs on.
constexpr std::chrono::milliseconds kLoadOnTheSpot{300};
// What is read of a large file to show its first screen at once: more than a screen holds at
// any size the window takes.
constexpr qsizetype kFirstLinesBytes = qsizetype(64) << 10;
// No Aozora Bunko work comes near this; a longer text is shown as a book only when asked, since
// the book holds a second copy of the text.
constexpr qsizetype kRecogniseUpTo = qsizetype(32) << 20;

void showAsBookIfAozora(Document &document)
{
    // The size first: a large file's text is read from the file and never made whole here.
    if (document.book() || document.store().size() > kRecogniseUpTo)
        return;
    if (Aozora::isAozoraText(document.text()))
        document.showAsBook(true);
}
} // namespace

ReadingSession::ReadingSession(Dialogs &dialogs, DocumentLoader::Options loading, QObject *parent)
    : QObject(parent), dialogs_(dialogs), title_(MainTexts::kAppTitle), loader_(new DocumentLoader(std::move(loading), this)),
      watcher_(new QFileSystemWatcher(this)), followTimer_(new QTimer(this))
{
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, &ReadingSession::checkShownFile);
    followTimer_->setInterval(1000);
    connect(followTimer_, &QTimer::timeout, this, &ReadingSession::followTail);
    connect(loader_, &DocumentLoader::progressed, this, [this](int percent) {
        if (pendingLoad_ && pendingLoad_->member)
            status_.showReadingMember(percent);
        else if (firstLines_)
            showCounting(percent);
        else
            status_.showLoading(percent);
    });
    loader_->ended = [this](Document::Loaded loaded) {
        if (std::function<void(const Document::Loaded &)> then = std::exchange(afterMemberRead_, nullptr)) {
            setBusy();
            showLineCount();
            then(loaded);
            return;
        }
        if (std::function<void()> then = std::exchange(afterListing_, nullptr)) {
            setBusy();
            showLineCount();
            if (loaded.failure != Document::Failure::Cancelled)
                runAfterListing(then);
            return;
        }
        if (const std::optional<PendingLoad> pending = std::exchange(pendingLoad_, std::nullopt))
            showLoaded(std::move(loaded), pending->path, pending->mode, pending->index, pending->showInList,
                       pending->request != requests_);
    };
    connectPositions();
    connectFolderSearch();
}

ReadingSession::~ReadingSession() = default;

void ReadingSession::bind(QWidget *dialogParent, ReadingView *view)
{
    dialogParent_ = dialogParent;
    view_ = view;
}

void ReadingSession::readAhead(const SettingsRecord &stored, const QStringList &arguments)
{
    QString path = arguments.value(0);
    if (arguments.isEmpty() && stored.flagIs(Flag::ReopenLastFile, '1'))
        path = stored.History.FileNameNow;
    if (path.isEmpty() || path == QLatin1String("/n"))
        return;
    // A path into an archive, or an archive itself, is listed first and read its own way.
    path = FileSystem::absolutePath(path);
    if (ArchiveFolder::locate(path))
        return;
    loader_->readAhead(path, DocumentEncoding::forcedEncoding(stored.encodingChoice()), bookRecognition());
}

void ReadingSession::dropReadAhead()
{
    loader_->dropReadAhead();
}

void ReadingSession::supersede()
{
    ++requests_;
}

// The path is taken by value: callers pass history entries that the history step rewrites.
void ReadingSession::LoadDocument(const QString path, LoadMode mode, int index)
{
    supersede();
    // A member needs its archive's listing before anything can be said of it.
    const bool onDisk = FileSystem::existsAsNonFolder(path);
    if (!onDisk && listFirst(path, [this, path, mode, index] { LoadDocument(path, mode, index); }))
        return;
    const FileSystem::Target target = FileSystem::target(path);
    if (target.kind == FileSystem::Target::Kind::Refused) {
        // Asked for instead, it ends the load running as a load of it would.
        loader_->cancel();
        Document::Loaded refused;
        refused.failure = Document::Failure::Unreadable;
        refused.error = target.error;
        refused.archiveStatus = target.status;
        refused.memberSize = target.size;
        showLoaded(std::move(refused), path, mode, index);
        return;
    }
    const bool member = target.kind == FileSystem::Target::Kind::Member;
    if (target.kind == FileSystem::Target::Kind::Nothing) {
        showFileStatus(fileKindShown_);
        emit viewStateChanged();
        return;
    }
    // A file read again keeps the reader's line and column, whatever changed in it.
    reloadPlace_.reset();
    if (mode == LoadMode::Reload && view_ && path == FileNameNow() && !std::exchange(readFromStart_, false)) {
        const TextStore &text = document().store();
        const ReadingPlace place = view_->place();
        const qint64 topLine = text.lineOf(place.top), caretLine = text.lineOf(place.caret);
        reloadPlace_ = LinePlace{topLine, place.top - text.lineStart(topLine), caretLine,
                                 place.caret - text.lineStart(caretLine), place.caretMoved};
    }
    // A large file is measured for the view on the threads that read it.
    loadMeasure_.reset();
    // A load showing its first lines is ended (as cancelled) before the next one shows its own,
    // and what those replaced is put back.
    if (firstLines_)
        loader_->cancel();
    // A file read as shown shows its first screen at once, while the rest of it is read on.
    const std::optional<RegularFile::Identity> file = RegularFile::identityAt(PathForm::toNative(path));
    const bool firstLines = view_ && file && file->size >= loader_->options().load.readAsShownFrom
                            && !document().isModified() && showFirstLines(path, file->size);
    std::optional<Document::Loaded> loaded = loader_->load(
        path, DocumentEncoding::forcedEncoding(settings_.encodingChoice()),
        firstLines ? std::chrono::milliseconds(0) : kLoadOnTheSpot, [this] {
            ReadingView::Measure measure = view_ ? view_->measureWhileRead() : ReadingView::Measure{};
            loadMeasure_ = std::move(measure.by);
            return measure.watch;
        }, bookRecognition());
    if (loaded) {
        showLoaded(std::move(*loaded), path, mode, index);
        return;
    }
    // The shown file (or the first lines of this one) stays while the load runs on; Esc stops it.
    pendingLoad_ = PendingLoad{path, mode, index, member, false, requests_};
    setBusy();
    // A member is unpacked whole before anything of it is decoded: there is no share to show.
    if (member)
        status_.showReadingMember();
    else if (firstLines_)
        status_.showCounting(0);
    else
        status_.showLoading(0);
}

bool ReadingSession::showFirstLines(const QString &path, qint64 fileBytes)
{
    std::shared_ptr<Document> lines =
        Document::firstLines(path, DocumentEncoding::forcedEncoding(settings_.encodingChoice()), kFirstLinesBytes);
    if (!lines)
        return false;
    // Recognised as the whole will be, so that nothing changes when it comes.
    matchBookToSession(*lines);
    // The place in the file left is kept first: the lines shown next are another file's.
    recordPosition();
    Replaced replaced{nullptr, view_->place(), title_, path, fileBytes};
    replaced.document = model_.setDocument(std::move(lines));
    firstLines_ = std::move(replaced);
    setTitle(PathForm::displayName(PathUtil::SplitPath(path, PathUtil::PathPart::FileName)) + QStringLiteral(" - ")
             + MainTexts::kVersionTitle);
    showFileStatus(fileKindShown_);
    emit addressChanged(path);
    emit firstLinesShownChanged(true);
    return true;
}

void ReadingSession::watchShownFile()
{
    if (const QStringList watched = watcher_->files(); !watched.isEmpty())
        watcher_->removePaths(watched);
    if (changedOnDisk_) {
        changedOnDisk_ = false;
        emit changedOnDisk(false);
    }
    const Document::Source &source = document().source();
    if (source.identity.known())
        watcher_->addPath(QString::fromLocal8Bit(source.nativePath));
}

void ReadingSession::checkShownFile()
{
    const Document::Source &source = document().source();
    const QString watched = QString::fromLocal8Bit(source.nativePath);
    // A file replaced by another under its name is no longer watched: the new one is.
    const std::optional<RegularFile::Identity> now = RegularFile::identityAt(source.nativePath);
    if (now && !watcher_->files().contains(watched))
        watcher_->addPath(watched);
    if (changedOnDisk_ || !source.identity.known() || (now && *now == source.identity))
        return;
    if (settings_.FollowTail && now) {
        followTail();
        return;
    }
    changedOnDisk_ = true;
    emit changedOnDisk(true);
}

void ReadingSession::setFollowTail(bool on)
{
    settings_.FollowTail = on;
    if (on) {
        followTimer_->start();
        followTail();
    } else {
        followTimer_->stop();
    }
}

void ReadingSession::followTail()
{
    const Document::Source &source = document().source();
    if (!settings_.FollowTail || pendingLoad_ || firstLines_ || !view_ || !source.identity.known())
        return;
    const std::optional<RegularFile::Identity> now = RegularFile::identityAt(source.nativePath);
    if (!now || *now == source.identity)
        return; // gone (the notice says so), or as it was
    if (!now->sameFile(source.identity) || now->size < source.identity.size) {
        readFromStart_ = true;
        LoadDocument(FileNameNow(), LoadMode::Reload, 0);
        emit note(MainTexts::kReplacedReadAgain);
        return;
    }
    const bool atEnd = view_->atEnd();
    // Read as it is shown, the text's index grows in place, whatever the file's encoding.
    const Growth grown = document().store().isLazy() ? (model_.grow() ? Growth::Grew : Growth::Refused)
                                                     : appendWholeLines(*now);
    if (grown == Growth::Waits)
        return;
    if (grown == Growth::Refused) {
        // With an effect or a book on it, the text is read again where the reader is.
        endAfterLoad_ = atEnd;
        LoadDocument(FileNameNow(), LoadMode::Reload, 0);
        return;
    }
    showFileStatus(fileKindShown_);
    showLineCount();
    if (atEnd)
        view_->showEnd();
}

ReadingSession::Growth ReadingSession::appendWholeLines(const RegularFile::Identity &now)
{
    // Whole lines only: a line still being written, or a character cut, waits for the rest.
    QByteArray added;
    if (RegularFile::Handle file = RegularFile::openForReading(document().source().nativePath); file.isOpen()) {
        added.resize(qsizetype(std::max<qint64>(0, now.size - followed_)));
        added.truncate(qsizetype(RegularFile::readAt(file.fd(), followed_, added.data(), added.size())));
    }
    const qsizetype whole = TextStore::wholeLines(added, document().detection());
    if (whole == 0)
        return Growth::Waits;
    if (!model_.append(TextStore::decodePiece(QByteArrayView(added).first(whole), document().detection())))
        return Growth::Refused;
    followed_ += whole;
    model_.documentGrewTo(now);
    return Growth::Grew;
}

bool ReadingSession::mayReadThrough()
{
    const Document &shown = document();
    if (!shown.store().fileChanged() && !shown.ownText().fileChanged())
        return true;
    if (dialogs_.message(dialogParent_, MainTexts::kChangedCannotRead, title_, Dialogs::Kind::QuestionAfterFailure)
        == Dialogs::Answer::Yes)
        emit reloadAsked();
    return false;
}

void ReadingSession::showCounting(int percent)
{
    status_.showCounting(percent);
    // The lines read so far, foretold from the first lines: each is about as long in the file.
    const Document &lines = document();
    if (lines.byteLength() <= 0 || firstLines_->fileBytes <= 0)
        return;
    const double perByte = double(view_->displayedLineCount()) / double(lines.byteLength());
    const auto read = qint64(perByte * double(firstLines_->fileBytes) * percent / 100);
    view_->setLinesToCome(std::max<qint64>(0, read - view_->displayedLineCount()));
}

void ReadingSession::putBackReplaced()
{
    std::optional<Replaced> replaced = std::exchange(firstLines_, std::nullopt);
    if (!replaced)
        return;
    model_.setDocument(std::move(replaced->document));
    view_->showPlace(replaced->place);
    setTitle(replaced->title);
    showFileStatus(fileKindShown_);
    emit addressChanged(FileNameNow());
    emit firstLinesShownChanged(false);
}

void ReadingSession::finishReading()
{
    if (!firstLines_ || !pendingLoad_)
        return;
    std::optional<Document::Loaded> loaded = loader_->finish();
    if (const std::optional<PendingLoad> pending = std::exchange(pendingLoad_, std::nullopt); loaded && pending)
        showLoaded(std::move(*loaded), pending->path, pending->mode, pending->index, pending->showInList,
                   pending->request != requests_);
}

bool ReadingSession::listFirst(const QString &path, std::function<void()> then)
{
    if (runningAfterListing_)
        return false;
    const std::optional<Archive::SplitPath> where = ArchiveFolder::locate(path);
    if (!where || ArchiveFolder::isListed(where->archive))
        return false;
    // The load or listing replaced is ended (as cancelled) before this one is noted as running.
    if (const std::optional<Document::Loaded> listed = loader_->listArchive(where->archive, kLoadOnTheSpot)) {
        if (listed->failure != Document::Failure::Cancelled)
            runAfterListing(then);
        return true;
    }
    afterListing_ = std::move(then);
    setBusy();
    status_.showListing();
    return true;
}

// Whatever `then` asks of the listing is answered from the kept one: should the archive have
// changed again meanwhile, it is read on the spot rather than waited for once more.
void ReadingSession::runAfterListing(const std::function<void()> &then)
{
    const QScopedValueRollback running(runningAfterListing_, true);
    then();
}

void ReadingSession::readMember(const QString &path, std::function<void(const Archive::Member &)> then)
{
    auto member = std::make_shared<Archive::Member>();
    auto ended = [this, member, path, request = requests_, then = std::move(then)](const Document::Loaded &read) {
        if (read.failure == Document::Failure::Cancelled)
            return;
        if (read.failure != Document::Failure::None) {
            // Once something else was asked for, it goes unsaid.
            if (request != requests_)
                return;
            const LoadMessages::Message told = LoadMessages::refusal(path, read, title_);
            dialogs_.message(dialogParent_, told.text, told.caption, told.kind);
            return;
        }
        then(*member);
    };
    // The load or listing replaced is ended (as cancelled) before this read is noted as running.
    if (const std::optional<Document::Loaded> read = loader_->readMember(path, member, kLoadOnTheSpot)) {
        ended(*read);
        return;
    }
    afterMemberRead_ = std::move(ended);
    setBusy();
    status_.showReadingMember();
}

void ReadingSession::cancelLoad()
{
    loader_->cancel();
}

void ReadingSession::setBusy()
{
    emit busyChanged(loader_->running());
}

void ReadingSession::showInListWhenLoaded()
{
    if (pendingLoad_)
        pendingLoad_->showInList = true;
    else
        emit selectInList(FileNameNow());
}

void ReadingSession::showLoaded(Document::Loaded loaded, const QString &path, LoadMode mode, int index,
                                bool showInList, bool superseded)
{
    setBusy();
    if (loaded.failure != Document::Failure::None) {
        // The view keeps its text and nothing else of the load happens. Unless something else
        // was asked for since, the address bar names the file shown again and the reader is told why.
        putBackReplaced();
        showLineCount();
        if (loaded.failure == Document::Failure::Cancelled || superseded)
            return;
        emit addressChanged(FileNameNow());
        const LoadMessages::Message told = LoadMessages::refusal(path, loaded, title_);
        dialogs_.message(dialogParent_, told.text, told.caption, told.kind);
        return;
    }
    // Where the reader went in the first lines is kept: they are the whole text's first lines.
    std::optional<ReadingPlace> placeInFirstLines;
    if (firstLines_) {
        if (const ReadingPlace place = view_->place(); place.top > 0 || place.caretMoved)
            placeInFirstLines = place;
    } else {
        recordPosition();
    }
    std::shared_ptr<Document> previous;
    try {
        // Recognised as it was read, unless the switch was turned meanwhile.
        if (!loaded.prepared || booksOff_)
            matchBookToSession(*loaded.document);
        previous = model_.setDocument(std::move(loaded.document), std::exchange(loadMeasure_, nullptr));
        // The line count lays the text out, which takes memory too.
        if (view_)
            view_->displayedLineCount();
    } catch (const std::bad_alloc &) {
        if (previous)
            model_.setDocument(std::move(previous));
        Document::Loaded failed;
        failed.failure = Document::Failure::OutOfMemory;
        showLoaded(std::move(failed), path, mode, index, false, superseded);
        return;
    }
    previous.reset();
    if (std::exchange(firstLines_, std::nullopt))
        emit firstLinesShownChanged(false);
    if (mode == LoadMode::New)
        settings_.History.RecordNewFile(path);
    else if (mode == LoadMode::Back)
        settings_.History.StepBackTo(index);
    else if (mode == LoadMode::Forward)
        settings_.History.StepForwardTo(index);
    setTitle(PathForm::displayName(PathUtil::SplitPath(path, PathUtil::PathPart::FileName)) + QStringLiteral(" - ")
             + MainTexts::kVersionTitle);
    showFileStatus(fileKindShown_);
    emit shown(path);
    if (mode == LoadMode::Back || mode == LoadMode::Forward || showInList)
        emit selectInList(path);
    emit viewStateChanged();
    watchShownFile();
    followed_ = document().source().identity.size;
    // After the wrap mode is set, so that the place is found among the lines as shown.
    if (std::exchange(endAfterLoad_, false) && mode == LoadMode::Reload) {
        view_->showEnd();
    } else if (placeInFirstLines) {
        view_->showPlace(*placeInFirstLines);
    } else if (const std::optional<LinePlace> kept = std::exchange(reloadPlace_, std::nullopt);
               kept && mode == LoadMode::Reload) {
        const TextStore &text = document().store();
        const auto at = [&text](qint64 line, qint64 column) {
            line = std::min(line, text.lineCount() - 1);
            const qint64 start = text.lineStart(line);
            const qint64 end = line + 1 < text.lineCount() ? text.lineStart(line + 1) - 1 : text.size();
            return start + std::min(column, end - start);
        };
        view_->showPlace({at(kept->topLine, kept->topColumn), at(kept->caretLine, kept->caretColumn), kept->caretMoved});
    } else {
        restorePosition();
    }
    // A damaged member shows what could be read, then says where it broke.
    if (loaded.archiveStatus == Archive::Status::Damaged)
        dialogs_.message(dialogParent_, LoadMessages::cause(loaded), ArchiveTexts::kCaption, Dialogs::Kind::Warning);
}

void ReadingSession::setTitle(const QString &title)
{
    title_ = title;
    emit titleChanged(title_);
}

void ReadingSession::reportArchiveListing(const QString &folder)
{
    const std::optional<Archive::SplitPath> where = ArchiveFolder::locate(folder);
    if (!where || !where->member.isEmpty())
        return;
    const std::shared_ptr<const Archive::Listing> listing = ArchiveFolder::listing(where->archive);
    QString text;
    switch (listing->status) {
    case Archive::Status::Ok:
    case Archive::Status::Cancelled: return;
    case Archive::Status::Damaged:
        text = listing->entries.isEmpty() ? ArchiveTexts::kListBrokenAtStart
                                          : ArchiveTexts::kListBroken.arg(listing->entries.last().path);
        break;
    default: {
        Document::Loaded failed;
        failed.archiveStatus = listing->status;
        failed.error = listing->error;
        text = LoadMessages::cause(failed);
    }
    }
    dialogs_.message(dialogParent_, text, ArchiveTexts::kCaption, Dialogs::Kind::Warning);
}

void ReadingSession::showLineCount()
{
    // Brought up to date while an archive is listed, the panel still says that it is.
    if (afterListing_) {
        status_.showListing();
        return;
    }
    // The first lines of a file are no count of its lines: the panel goes on saying it counts.
    if (firstLines_)
        return;
    // A member is unpacked without a share to show; a file's next share corrects the text.
    if (afterMemberRead_ || (pendingLoad_ && pendingLoad_->member)) {
        status_.showReadingMember();
        return;
    }
    // A book counts the file's own lines, the ones it folds or drops too.
    status_.showLines((view_ ? view_->displayedLineCount() : 0) + document().linesHiddenByBook());
}

void ReadingSession::showFileStatus(bool withFileKind)
{
    fileKindShown_ = withFileKind;
    status_.showFile(firstLines_ ? firstLines_->path : FileNameNow(), document(), withFileKind);
    // Of a file whose first lines are shown, its size on the disk: its text's is not known yet.
    if (firstLines_)
        status_.setText(StatusPanel::Size, StatusTexts::sizeText(firstLines_->fileBytes));
    showLineCount();
}

void ReadingSession::stepBack(int index)
{
    stepThroughHistory(settings_.History.PreHistory[size_t(index)], LoadMode::Back, index);
}

void ReadingSession::stepForward(int index)
{
    stepThroughHistory(settings_.History.NextHistory[size_t(index)], LoadMode::Forward, index);
}

void ReadingSession::stepThroughHistory(QString path, LoadMode mode, int index)
{
    // Whether a member is still there is answered by its archive's listing, read first.
    if (listFirst(path, [this, path, mode, index] { stepThroughHistory(path, mode, index); }))
        return;
    // What is there but cannot be shown is asked for all the same, to be told why.
    if (FileSystem::target(path).kind == FileSystem::Target::Kind::Nothing) {
        dialogs_.message(dialogParent_, MainTexts::kHistoryMissingText, MainTexts::kHistoryMissingCaption,
                         Dialogs::Kind::Failure);
        return;
    }
    LoadDocument(path, mode, index);
}

std::function<void(Document &)> ReadingSession::bookRecognition() const
{
    if (booksOff_)
        return {};
    return showAsBookIfAozora;
}

void ReadingSession::matchBookToSession(Document &document) const
{
    if (booksOff_)
        document.showAsBook(false);
    else
        showAsBookIfAozora(document);
}

void ReadingSession::setBooks(bool on)
{
    // Turned off by hand, it stays off for the files that follow until turned on again.
    booksOff_ = !on;
    // The reader's place goes through the text beneath the book, which both ways of showing
    // the text share.
    const Document &shown = document();
    const ReadingPlace place = view_ ? view_->place() : ReadingPlace{};
    const qint64 top = shown.beneathBook(place.top), caret = shown.beneathBook(place.caret);
    model_.showAsBook(on);
    if (view_)
        view_->showPlace({document().overBook(top), document().overBook(caret), place.caretMoved});
    showLineCount();
}
