#include "core/DocumentModel.h"

DocumentModel::DocumentModel(QObject *parent) : QObject(parent), document_(std::make_shared<Document>()) {}

std::shared_ptr<Document> DocumentModel::setDocument(std::shared_ptr<Document> document,
                                                     std::shared_ptr<const void> measuredBy)
{
    const EncodingDetect::Encoding before = document_->detection().encoding;
    std::shared_ptr<Document> previous = std::exchange(document_, std::move(document));
    measuredBy_ = std::move(measuredBy);
    emit replaced();
    measuredBy_.reset();
    if (document_->detection().encoding != before)
        emit encodingChanged();
    return previous;
}

bool DocumentModel::grow()
{
    const qint64 before = document_->store().size();
    const qint64 from = document_->grow();
    if (from < 0)
        return false;
    if (from < before || document_->store().size() != before)
        emit appended(from);
    return true;
}

bool DocumentModel::append(QStringView text)
{
    const qint64 from = document_->store().size();
    if (!document_->append(text))
        return false;
    if (!text.isEmpty())
        emit appended(from);
    return true;
}

void DocumentModel::edit(qint64 start, qint64 removed, QStringView with)
{
    document_->replace(start, removed, with);
    emit edited(start, removed, with.size());
}

void DocumentModel::applyEffect(EffectKind kind, QByteArray output)
{
    document_->applyEffect(kind, std::move(output));
    emit replaced();
}

void DocumentModel::restoreUnprocessed()
{
    document_->restoreUnprocessed();
    emit replaced();
}

void DocumentModel::forgetUnprocessed()
{
    document_->forgetUnprocessed();
}

void DocumentModel::showAsBook(bool on)
{
    document_->showAsBook(on);
    emit restyled();
}

void DocumentModel::openExplanation(bool open)
{
    document_->openExplanation(open);
    emit restyled();
}
