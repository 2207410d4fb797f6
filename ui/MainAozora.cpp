// Aozora Bunko texts shown as books: the command, its recognition after a load and the copy that
// keeps the readings.
#include "ui/MainWindow.h"

#include "core/Aozora.h"
#include "platform/Desktop.h"
#include "resources/AozoraTexts.h"
#include "ui/widgets/TextView.h"

#include <QAction>

#include <algorithm>

namespace {
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

void MainWindow::createAozoraCommands()
{
    ActionAozora = new QAction(AozoraTexts::kCommand, this);
    ActionAozora->setObjectName(QStringLiteral("ActionAozora"));
    ActionAozora->setCheckable(true);
    ActionAozora->setToolTip(AozoraTexts::kHint);
    addAction(ActionAozora);
    ActionCopyWithReadings = new QAction(AozoraTexts::kCopyWithReadings, this);
    ActionCopyWithReadings->setObjectName(QStringLiteral("ActionCopyWithReadings"));
    ActionCopyWithReadings->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+C")));
    addAction(ActionCopyWithReadings);
}

void MainWindow::connectAozora()
{
    connect(ActionAozora, &QAction::triggered, this, [this](bool on) {
        // Turned off by hand, it stays off for the files that follow until turned on again.
        aozoraOffForSession_ = !on;
        model_->showAsBook(on);
        showAozoraMark();
        showLineCount();
    });
    // The explanation of the marks opens and folds in place, the reader's place kept.
    connect(RichEdit, &TextView::explanationClicked, this, [this] {
        const Aozora::Book *book = model_->document().book();
        if (!book || book->explanationLine < 0)
            return;
        const qint64 at = book->lines[size_t(book->explanationLine)].start;
        const qint64 top = std::min(RichEdit->topPosition(), at);
        model_->openExplanation(!model_->document().explanationOpen());
        RichEdit->showPlace(top, at, true);
        showLineCount();
    });
    connect(ActionCopyWithReadings, &QAction::triggered, this, [this] {
        const Aozora::Book *book = model_->document().book();
        if (!book || !viewHasFocus() || !RichEdit->hasSelection()) {
            ActionCopyExecute();
            return;
        }
        const qint64 start = RichEdit->selectionStart();
        Desktop::setClipboardText(Aozora::withReadings(*book, {start, RichEdit->selectionEnd() - start}));
    });
}

std::function<void(Document &)> MainWindow::bookRecognition() const
{
    if (aozoraOffForSession_)
        return {};
    return showAsBookIfAozora;
}

void MainWindow::matchBookToSession(Document &document) const
{
    if (aozoraOffForSession_)
        document.showAsBook(false);
    else
        showAsBookIfAozora(document);
}

void MainWindow::showAozoraMark()
{
    ActionAozora->setChecked(model_->document().book() != nullptr);
    ActionAozora->setEnabled(!model_->document().isEmpty());
}
