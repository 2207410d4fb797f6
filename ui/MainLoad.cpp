// Loading a file into the view and bringing the window in line with it.
#include "ui/MainWindow.h"

#include "core/ArchiveFolder.h"
#include "core/DocumentEncoding.h"
#include "core/PathForm.h"
#include "core/PathUtil.h"
#include "core/StatusTexts.h"
#include "core/SystemErrors.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "resources/ArchiveTexts.h"
#include "resources/MainTexts.h"
#include "ui/AddressBar.h"
#include "ui/DocumentLoader.h"
#include "ui/FileSelectionBox.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QScopedValueRollback>
#include <QToolButton>

namespace {
// A load that ends within this is shown as if read on the spot; a longer one runs on.
constexpr std::chrono::milliseconds kLoadOnTheSpot{300};

// Why a member of an archive could not be shown (or not whole); empty for a member read whole.
QString archiveTrouble(const Document::Loaded &loaded)
{
    switch (loaded.archiveStatus) {
    case Archive::Status::Ok:
    case Archive::Status::Cancelled: return {};
    case Archive::Status::Encrypted: return ArchiveTexts::kEncrypted;
    case Archive::Status::TooLarge: return ArchiveTexts::kTooLarge;
    case Archive::Status::Bomb: return ArchiveTexts::kBomb;
    case Archive::Status::TooManyEntries: return ArchiveTexts::kTooManyEntries;
    case Archive::Status::Damaged: return ArchiveTexts::kMemberBroken.arg(std::max<qint64>(loaded.brokenAt, 0));
    case Archive::Status::NoSuchMember: return ArchiveTexts::kNoSuchMember;
    case Archive::Status::NotArchive: return ArchiveTexts::kNotArchive;
    case Archive::Status::OpenFailed: return SystemErrors::text(loaded.error);
    }
    return {};
}
QDateTime memberTime(const Archive::Entry &entry)
{
    return entry.modifiedNs ? QDateTime::fromMSecsSinceEpoch(*entry.modifiedNs / 1000000) : QDateTime();
}
} // namespace

void MainWindow::readStartFileAhead()
{
    // Read here, the settings tell which file will be shown first and in which encoding.
    SettingsRecord &stored = storedAtStart_;
    LoadSettings(stored, services_.store);
    QString path = arguments_.value(0);
    if (arguments_.isEmpty() && stored.flagIs(Flag::ReopenLastFile, '1'))
        path = stored.History.FileNameNow;
    if (path.isEmpty() || path == QLatin1String("/n"))
        return;
    // A path into an archive, or an archive itself, is listed first and read its own way.
    path = FileSystem::absolutePath(path);
    if (ArchiveFolder::locate(path))
        return;
    loader_->readAhead(path, DocumentEncoding::forcedEncoding(stored.encodingChoice()), bookRecognition());
}

void MainWindow::connectLoading()
{
    ActionCancelLoad = cancelCommand("ActionCancelLoad");
    connect(ActionCancelLoad, &QAction::triggered, loader_, &DocumentLoader::cancel);
    connect(loader_, &DocumentLoader::progressed, this,
            [this](int percent) { setStatus(StatusPanel::Lines, MainTexts::kLoadingProgress.arg(percent)); });
    loader_->ended = [this](Document::Loaded loaded) {
        if (std::function<void(const Document::Loaded &)> then = std::exchange(afterMemberRead_, nullptr)) {
            ActionCancelLoad->setEnabled(loader_->running());
            showLineCount();
            then(loaded);
            return;
        }
        if (std::function<void()> then = std::exchange(afterListing_, nullptr)) {
            ActionCancelLoad->setEnabled(loader_->running());
            showLineCount();
            if (loaded.failure != Document::Failure::Cancelled)
                runAfterListing(then);
            return;
        }
        if (const std::optional<PendingLoad> pending = std::exchange(pendingLoad_, std::nullopt))
            showLoaded(std::move(loaded), pending->path, pending->mode, pending->index, pending->showInList);
    };
}

// The path is taken by value: callers pass history entries that the history step rewrites.
void MainWindow::LoadDocument(const QString path, LoadMode mode, int index)
{
    // A member needs its archive's listing before anything can be said of it.
    const bool onDisk = FileSystem::existsAsNonFolder(path);
    if (!onDisk && listFirst(path, [this, path, mode, index] { LoadDocument(path, mode, index); }))
        return;
    // A FIFO, a device or a socket is tried too, and refused at once by the read itself.
    const bool member = !onDisk && ArchiveFolder::member(path);
    if (!onDisk && !member) {
        RefreshViewState();
        return;
    }
    // A large file is measured for the view on the threads that read it.
    loadDraft_.reset();
    // The load replaced is ended (as cancelled) before this one is noted as running.
    std::optional<Document::Loaded> loaded =
        loader_->load(path, DocumentEncoding::forcedEncoding(Settings.encodingChoice()), kLoadOnTheSpot, [this] {
            loadDraft_ = RichEdit->layoutDraft();
            return loadDraft_->watch();
        }, bookRecognition());
    if (loaded) {
        showLoaded(std::move(*loaded), path, mode, index);
        return;
    }
    // The shown file stays while the load runs on; Esc stops it.
    pendingLoad_ = PendingLoad{path, mode, index, member};
    ActionCancelLoad->setEnabled(true);
    // A member is unpacked whole before anything of it is decoded: there is no share to show.
    setStatus(StatusPanel::Lines, member ? ArchiveTexts::kReading : MainTexts::kLoadingProgress.arg(0));
}

bool MainWindow::listFirst(const QString &path, std::function<void()> then)
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
    ActionCancelLoad->setEnabled(true);
    setStatus(StatusPanel::Lines, ArchiveTexts::kListing);
    return true;
}

// Whatever `then` asks of the listing is answered from the kept one: should the archive have
// changed again meanwhile, it is read on the spot rather than waited for once more.
void MainWindow::runAfterListing(const std::function<void()> &then)
{
    const QScopedValueRollback running(runningAfterListing_, true);
    then();
}

void MainWindow::readMember(const QString &path, std::function<void(const Archive::Member &)> then)
{
    auto member = std::make_shared<Archive::Member>();
    auto ended = [this, member, then = std::move(then)](const Document::Loaded &read) {
        if (read.failure == Document::Failure::Cancelled)
            return;
        if (read.failure != Document::Failure::None) {
            services_.dialogs.message(this, archiveTrouble(read), ArchiveTexts::kCaption, Dialogs::Kind::Failure);
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
    ActionCancelLoad->setEnabled(true);
    setStatus(StatusPanel::Lines, ArchiveTexts::kReading);
}

void MainWindow::showInListWhenLoaded()
{
    if (pendingLoad_)
        pendingLoad_->showInList = true;
    else
        PanelDirBars->showFile(FileNameNow());
}

void MainWindow::showLoaded(Document::Loaded loaded, const QString &path, LoadMode mode, int index, bool showInList)
{
    ActionCancelLoad->setEnabled(loader_->running());
    switch (loaded.failure) {
    case Document::Failure::None:
        break;
    case Document::Failure::Cancelled:
        showLineCount();
        return;
    case Document::Failure::Unreadable:
        if (loaded.archiveStatus != Archive::Status::Ok) {
            showLineCount();
            services_.dialogs.message(this, archiveTrouble(loaded), ArchiveTexts::kCaption, Dialogs::Kind::Failure);
            return;
        }
        [[fallthrough]];
    case Document::Failure::OutOfMemory:
        // The view keeps its text and nothing else of the load happens.
        showLineCount();
        services_.dialogs.message(this,
                                  PathForm::displayName(path) + QStringLiteral("\n\n")
                                      + (loaded.failure == Document::Failure::OutOfMemory
                                             ? MainTexts::kOutOfMemoryText
                                             : SystemErrors::text(loaded.error)),
                                  windowTitle(), Dialogs::Kind::Failure);
        return;
    }
    recordPosition();
    std::shared_ptr<Document> previous;
    try {
        // Recognised as it was read, unless the switch was turned meanwhile.
        if (!loaded.prepared || aozoraOffForSession_)
            matchBookToSession(*loaded.document);
        previous = model_->setDocument(std::move(loaded.document), std::exchange(loadDraft_, nullptr));
        // The line count lays the text out, which takes memory too.
        RichEdit->displayedLineCount();
    } catch (const std::bad_alloc &) {
        if (previous)
            model_->setDocument(std::move(previous));
        Document::Loaded failed;
        failed.failure = Document::Failure::OutOfMemory;
        showLoaded(std::move(failed), path, mode, index);
        return;
    }
    previous.reset();
    {
        PanelPathBar->showPath(path);
        if (mode == LoadMode::New)
            Settings.History.RecordNewFile(path);
        else if (mode == LoadMode::Back)
            Settings.History.StepBackTo(index);
        else if (mode == LoadMode::Forward)
            Settings.History.StepForwardTo(index);
        if (mode == LoadMode::Back || mode == LoadMode::Forward || showInList)
            PanelDirBars->showFile(path);
        setWindowTitle(PathForm::displayName(PathUtil::SplitPath(path, PathUtil::PathPart::FileName)) + QStringLiteral(" - ")
                       + MainTexts::kVersionTitle);
    }
    RefreshViewState();
    // After the wrap mode is set, so that the place is found among the lines as shown.
    restorePosition();
    // A damaged member shows what could be read, then says where it broke.
    if (loaded.archiveStatus == Archive::Status::Damaged)
        services_.dialogs.message(this, archiveTrouble(loaded), ArchiveTexts::kCaption, Dialogs::Kind::Warning);
}

void MainWindow::reportArchiveListing(const QString &folder)
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
        text = archiveTrouble(failed);
    }
    }
    services_.dialogs.message(this, text, ArchiveTexts::kCaption, Dialogs::Kind::Warning);
}

void MainWindow::showLineCount()
{
    // The window brought up to date while an archive is listed still says that it is.
    if (afterListing_) {
        setStatus(StatusPanel::Lines, ArchiveTexts::kListing);
        return;
    }
    // A member is unpacked without a share to show; a file's next share corrects the text.
    if (afterMemberRead_ || (pendingLoad_ && pendingLoad_->member)) {
        setStatus(StatusPanel::Lines, ArchiveTexts::kReading);
        return;
    }
    // A book counts the file's own lines, the ones it folds or drops too.
    setStatus(StatusPanel::Lines,
              StatusTexts::lineCountText(RichEdit->displayedLineCount() + model_->document().linesHiddenByBook()));
}

void MainWindow::RefreshViewState()
{
    const BrowsingHistory &history = Settings.History;
    ActionViewPre->setEnabled(!history.PreHistory[0].isEmpty());
    ActionViewNext->setEnabled(!history.NextHistory[0].isEmpty());
    ActionReLoad->setEnabled(!history.FileNameNow.isEmpty());
    ActionFullScreen->setEnabled(!history.FileNameNow.isEmpty());
    ActionExport->setEnabled(FileSystem::fileExists(PanelPathBar->path()));

    ApplyWrapMode(Settings.wrapMode() == WrapMode::None ? WrapMode::None : WrapMode::RightEdge);

    if (Settings.flagIs(Flag::UseEditors, '1')) {
        ToolButton10->setMenu(PopupMenuEditor);
        ToolButton10->setPopupMode(QToolButton::MenuButtonPopup);
        ToolButton10->setFixedWidth(62);
    } else {
        ToolButton10->setMenu(nullptr);
        ToolButton10->setPopupMode(QToolButton::DelayedPopup);
        ToolButton10->setFixedWidth(50);
    }
    for (int i = 0; i < 4; ++i)
        PopupEditor[i]->setText(Settings.AppliForEditN[i]);
    for (int i = 1; i < 4; ++i)
        PopupEditor[i]->setVisible(!Settings.AppliForEdit[i].isEmpty());

    ClearEffects(EffectClearing::Discard);
    showAozoraMark();

    const qint64 bytes = model_->document().byteLength();
    setEffectsWithinLimit(bytes <= Settings.LimitSizeForEffect);
    const bool hasText = !model_->document().isEmpty();
    for (const EffectCommand &e : effects_)
        e.command->setEnabled(hasText);

    const QString &file = history.FileNameNow;
    const std::optional<Archive::Entry> member = ArchiveFolder::member(file);
    setStatus(StatusPanel::Date, member ? StatusTexts::fileDateText(memberTime(*member)) : FileDateText(file));
    setStatus(StatusPanel::ReadOnly, member                            ? ArchiveTexts::kInArchive
                                     : FileSystem::IsReadOnlyFile(file) ? MainTexts::kReadOnly
                                                                        : QString());
    statusBar_->setPanelShown(StatusPanel::FileKind, MenuDebugAction->isVisible());
    if (MenuDebugAction->isVisible())
        setStatus(StatusPanel::FileKind, FileSystem::IsBinaryFile(file) ? MainTexts::kBinary : MainTexts::kText);
    setStatus(StatusPanel::Size, StatusTexts::sizeText(bytes));
    showLineCount();
    showEncoding();
}

QString MainWindow::FileDateText(const QString &path) const
{
    return StatusTexts::fileDateText(FileSystem::lastWriteTime(path));
}

QAction *MainWindow::cancelCommand(const char *name)
{
    auto *command = new QAction(this);
    command->setObjectName(QLatin1String(name));
    command->setShortcut(QKeySequence(Qt::Key_Escape));
    command->setShortcutContext(Qt::WindowShortcut);
    command->setEnabled(false);
    addAction(command);
    return command;
}
