#pragma once

#include "core/Document.h"

#include <QObject>

#include <memory>

// The document a window shows, as it changes while it is shown. Every change is applied here
// and announced, so that any number of views render the one document, each keeping only its
// own caret, scroll and layout: nobody tells a view by hand, and no view holds a copy.
class DocumentModel : public QObject {
    Q_OBJECT
public:
    explicit DocumentModel(QObject *parent = nullptr);

    const Document &document() const { return *document_; }
    // Something that measured the text for a view while its file was read (see TextView's
    // layout draft); null when nothing did. A view takes it when it is the one that asked.
    const std::shared_ptr<const void> &measuredBy() const { return measuredBy_; }

    // Shows another document, read anew or empty: replaced, and an encoding other than the
    // last one's announced too. Gives back the one it replaced, which the views have let go.
    std::shared_ptr<Document> setDocument(std::shared_ptr<Document> document,
                                          std::shared_ptr<const void> measuredBy = {});
    // Text that followed the end of the shown text: appended. Only a text held whole, with no
    // effect and no book on it, grows in place; false, with nothing changed, for any other.
    bool append(QStringView text);
    // The shown file grew and its text is read as it is shown: what it added is read in place
    // and appended. False, with nothing changed, where it cannot be (see Document::grow).
    bool grow();
    // After an append of what its file added: the source is the file as it is now.
    void documentGrewTo(const RegularFile::Identity &now) { document_->grewTo(now); }
    // Typing into the text (the write mode): edited.
    void edit(qint64 start, qint64 removed, QStringView with);
    // An effect's output shown: replaced.
    void applyEffect(EffectKind kind, QByteArray output);
    // Every effect off. Restoring brings back the text they started from (replaced); forgetting
    // keeps the shown text as it is and only lets the one before go (nothing to announce).
    void restoreUnprocessed();
    void forgetUnprocessed();
    // The text shown as a book or as it is, and the book's explanation open or folded: the
    // same text shown another way, restyled.
    void showAsBook(bool on);
    void openExplanation(bool open);

signals:
    // The text is another one: views show it from its start.
    void replaced();
    // The text grew at its end from `from` on; what was before is as it was.
    void appended(qint64 from);
    // [start, start + removed) became `added` units; a book typed into is its text alone.
    void edited(qint64 start, qint64 removed, qint64 added);
    // The same text is shown another way (a book on or off, its explanation opened or folded):
    // views lay it out anew.
    void restyled();
    // The document's encoding differs from the one shown before.
    void encodingChanged();

private:
    std::shared_ptr<Document> document_;
    std::shared_ptr<const void> measuredBy_;
};
