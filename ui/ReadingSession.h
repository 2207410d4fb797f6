#pragma once

#include "core/Archive.h"
#include "core/Document.h"
#include "core/DocumentModel.h"
#include "core/FolderSearch.h"
#include "core/History.h"
#include "core/PositionStore.h"
#include "core/SettingsRecord.h"
#include "ui/DocumentLoader.h"
#include "ui/StatusReport.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class Dialogs;
class FolderSearchRunner;
class QFileSystemWatcher;
class QTimer;
class QWidget;

// Where the reader is in the shown text: the first position of the line at the top, the caret,
// and whether the caret was moved since the text was shown.
struct ReadingPlace {
    qint64 top = 0;
    qint64 caret = 0;
    bool caretMoved = false;
};

// What the session asks of the view that shows its document.
class ReadingView {
public:
    virtual ~ReadingView() = default;
    virtual ReadingPlace place() const = 0;
    virtual void showPlace(const ReadingPlace &place) = 0;
    // Lines as the view displays them (wrapped ones counted), laying the text out if need be.
    virtual qint64 displayedLineCount() const = 0;
    // Something to measure a large file's text for the view while the file is read, and the
    // watch that feeds it; none when the view measures nothing ahead.
    struct Measure {
        std::shared_ptr<const void> by;
        TextStore::IndexWatch watch;
    };
    virtual Measure measureWhileRead() = 0;
    // Display lines still being read below the text shown (see TextView::setLinesToCome).
    virtual void setLinesToCome(qint64) {}
    // Whether the end of the text is in sight, and going there.
    virtual bool atEnd() const { return false; }
    virtual void showEnd() {}
};

// What one window reads, without the window: the document it shows and the loads that replace
// it, the browsing history, where the reader left each file, the search through the folder and
// the texts of the status bar. The main window builds its widgets and binds them to this
// object's state and signals.
class ReadingSession : public QObject {
    Q_OBJECT
public:
    // `loading`: how files are read (tests slow reads down through it).
    explicit ReadingSession(Dialogs &dialogs, DocumentLoader::Options loading = {}, QObject *parent = nullptr);
    ~ReadingSession() override;

    // The messages' parent window, and the view the document is shown in.
    void bind(QWidget *dialogParent, ReadingView *view);

    SettingsRecord &settings() { return settings_; }
    const SettingsRecord &settings() const { return settings_; }
    const QString &FileNameNow() const { return settings_.History.FileNameNow; }
    DocumentModel &model() { return model_; }
    const Document &document() const { return model_.document(); }
    StatusReport &status() { return status_; }
    // The window's title: the shown file's name and the program's.
    const QString &title() const { return title_; }

    // Starts reading the file the window will show first, while the window is made.
    void readAhead(const SettingsRecord &stored, const QStringList &arguments);
    void dropReadAhead();
    // Shows the file, from the disk or an archive, as `mode` says; a load that takes long runs on
    // off the window's thread, the shown file staying meanwhile. What cannot be shown is said,
    // with its path and why; a path that leads nowhere changes nothing.
    void LoadDocument(QString path, LoadMode mode, int index);
    // The reader asked for something else (another folder, a path still being typed; each
    // LoadDocument is one too): a load or member read still running says nothing of its failure
    // once it ends. A document it reads is still shown.
    void supersede();
    // The file shown now, or the one still being read once it is, is selected in the file list.
    void showInListWhenLoaded();
    // When the path leads into an archive whose listing is not kept yet, reads the listing off
    // the window's thread and returns true: `then` runs once it is read (at once when that takes
    // under 0.3 s), never when it is cancelled. False, with nothing done, for any other path
    // and while such a `then` runs.
    bool listFirst(const QString &path, std::function<void()> then);
    // Reads a member whole off the window's thread and hands it to `then` (at once when that
    // takes under 0.3 s); a cancel or a load started meanwhile drops it, and one that cannot be
    // read whole is reported instead.
    void readMember(const QString &path, std::function<void(const Archive::Member &)> then);
    // Stops the load, listing or read running.
    void cancelLoad();
    // Whether the first lines of a large file are shown while the rest of it is read; the
    // commands that need the whole text wait for it through finishReading.
    bool showingFirstLines() const { return firstLines_.has_value(); }
    // Whether the shown file changed on disk since it was read.
    bool shownFileChanged() const { return changedOnDisk_; }
    // Text written to the end of the shown file is shown as it comes; the view at the end stays
    // there. A file cut or replaced is read again from its start.
    void setFollowTail(bool on);
    // Whether a command may read the shown text through: not when it is read from a file that
    // changed since, whose bytes are not the text shown. Then says so, offering to read the file
    // again (reloadAsked).
    bool mayReadThrough();
    // Waits for the load running on, here, and shows what it read.
    void finishReading();
    // Entering an archive whose listing stopped short says why; what was read is listed.
    void reportArchiveListing(const QString &folder);
    // Back or forward to the history's entry `index`, when the file is still there.
    void stepBack(int index);
    void stepForward(int index);

    // The reader's place in the shown file is kept, and written out within a second.
    void recordPosition();
    void writePositions();

    // Goes on looking for the word in the files after (or before) the shown one in `files`.
    void searchFolder(const QStringList &files, const QString &word, bool matchCase, bool forward);
    void cancelFolderSearch();

    // An effect applied to the shown text through the work files; a failure is told, false then.
    bool applyEffect(EffectKind kind);
    void clearEffects(EffectClearing mode);
    // Texts in Aozora Bunko's notation shown as books; turned off, it stays off for the files
    // that follow until turned on again.
    void setBooks(bool on);
    // The status bar's texts of the shown file: its date, marks, kind (when asked; the choice
    // holds for the files that follow), size, lines and encoding. Each file shown is told so.
    void showFileStatus(bool withFileKind);
    bool fileKindShown() const { return fileKindShown_; }
    void showLineCount();

signals:
    // A load, listing or member read started or ended: Esc stops one while it runs.
    void busyChanged(bool busy);
    // A file was shown.
    void shown(const QString &path);
    // The file list is to select the file shown, without choosing it again.
    void selectInList(const QString &path);
    // The window's commands and marks are to be brought in line with what is shown (after a
    // file is shown, or when a file asked for is not there).
    void viewStateChanged();
    void titleChanged(const QString &title);
    // A search through the folder started or ended.
    void folderSearchBusy(bool running);
    // It found the word in the listed file `index`; not sent when the reader went elsewhere.
    void folderSearchFound(qsizetype index, const QString &word, bool forward);
    // A note for the reader, until the next key.
    void note(const QString &text);
    // The first lines of a large file were shown while it is read on (true), or its whole text
    // or what was shown before came back (false).
    void firstLinesShownChanged(bool shown);
    // The shown file changed on disk since it was read (true); read again, or another file
    // shown (false).
    void changedOnDisk(bool changed);
    // The reader asked to read the shown file again.
    void reloadAsked();
    // The path of what the view shows, as the address bar names it: the file whose first lines
    // are shown, or the one shown before when they are taken back.
    void addressChanged(const QString &path);

private:
    // The load running on: what it is to do with the history once it ends.
    struct PendingLoad {
        QString path;
        LoadMode mode;
        int index;
        bool member = false; // of an archive: unpacked whole, with no share read to show
        // Selected in the file list once shown, as a file opened from outside the list is.
        bool showInList = false;
        quint64 request = 0; // see requests_
    };
    struct FolderSearchStart {
        QString path;
        QString word;
        bool forward;
        QString dateText; // the first status panel's text, given back at the end
    };
    void connectPositions();
    void connectFolderSearch();
    // Shows the first lines of a large file about to be read on; false when it has none.
    bool showFirstLines(const QString &path, qint64 fileBytes);
    // The line count panel says the lines are counted, and the scroll bar grows with them.
    void showCounting(int percent);
    // What was shown before the first lines, when the load ends in anything but a document.
    void putBackReplaced();
    void showLoaded(Document::Loaded loaded, const QString &path, LoadMode mode, int index, bool showInList = false,
                    bool superseded = false);
    void runAfterListing(const std::function<void()> &then);
    // The path is taken by value: the history step rewrites the entry it comes from.
    void stepThroughHistory(QString path, LoadMode mode, int index);
    // Shows the newly shown file where it was left, when its place still holds.
    void restorePosition();
    // The store, read at its first use; null while the setting is off.
    PositionStore *positions();
    void folderSearchEnded(const FolderSearch::Result &result);
    // What a load does to the text it read, on the thread that read it: a text in Aozora Bunko's
    // notation is shown as a book, unless the reader has turned books off.
    std::function<void(Document &)> bookRecognition() const;
    // A loaded document brought in line with the switch, which may have been turned meanwhile.
    void matchBookToSession(Document &document) const;
    void setBusy();
    void setTitle(const QString &title);

    Dialogs &dialogs_;
    QWidget *dialogParent_ = nullptr;
    ReadingView *view_ = nullptr;
    SettingsRecord settings_;
    DocumentModel model_;
    StatusReport status_;
    QString title_;
    // Reads files off the window's thread; a load taking longer runs on while the window answers.
    DocumentLoader *loader_;
    std::optional<PendingLoad> pendingLoad_;
    // Counts what the reader asked for; a load that ends after a later request is superseded.
    quint64 requests_ = 0;
    // What the first lines of a file read on replaced, and the reader's place in it.
    struct Replaced {
        std::shared_ptr<Document> document;
        ReadingPlace place;
        QString title;
        QString path;         // of the file whose first lines are shown,
        qint64 fileBytes = 0; // and its size
    };
    std::optional<Replaced> firstLines_;
    // The reader's place as lines and columns, which a file read again keeps where it can.
    struct LinePlace {
        qint64 topLine, topColumn, caretLine, caretColumn;
        bool caretMoved;
    };
    std::optional<LinePlace> reloadPlace_;
    // Watches the shown file; a change that makes it another file than the one read is told.
    QFileSystemWatcher *watcher_;
    bool changedOnDisk_ = false;
    bool toldPositionsUnsaved_ = false; // the places could not be saved, and the reader was told
    void watchShownFile();
    void checkShownFile();
    // Following the shown file: the bytes of it shown so far, and a look every second besides
    // the watch (which a file system may not serve).
    qint64 followed_ = 0;
    QTimer *followTimer_;
    bool readFromStart_ = false; // the next reload starts at the top, not where the reader is
    bool endAfterLoad_ = false;  // the load running shows the end once it is shown
    void followTail();
    // What a followed file's growth did to the text shown.
    enum class Growth { Grew, Waits, Refused };
    // A text held whole takes the whole lines its file added after followed_.
    Growth appendWholeLines(const RegularFile::Identity &now);
    // What measures the running load's text for the view while it is read.
    std::shared_ptr<const void> loadMeasure_;
    // What waits for the archive's listing that is read on.
    std::function<void()> afterListing_;
    bool runningAfterListing_ = false;
    // What waits for the member that is read on.
    std::function<void(const Document::Loaded &)> afterMemberRead_;
    // Where the reader left each file; written at most once a second by the timer.
    std::unique_ptr<PositionStore> positions_;
    QTimer *positionsWrite_;
    // The search through the folder, and where it started from.
    FolderSearchRunner *folderSearch_;
    std::optional<FolderSearchStart> folderSearchFrom_;
    bool booksOff_ = false;
    bool fileKindShown_ = false;
};
