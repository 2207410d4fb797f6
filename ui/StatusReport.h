#pragma once

#include "core/StatusTexts.h"

#include <QObject>

#include <array>

class Document;

// The texts of the status bar's panels, made in one place from what the session and the view
// report, and announced as they change; nothing of it needs a window.
class StatusReport : public QObject {
    Q_OBJECT
public:
    explicit StatusReport(QObject *parent = nullptr);

    QString text(StatusPanel panel) const { return texts_[size_t(panel)]; }
    void setText(StatusPanel panel, const QString &text);

    // The shown file's date, read-only mark, kind (when `withKind`), size and encoding; none of
    // them while no file is shown.
    void showFile(const QString &path, const Document &document, bool withKind);
    void showEncoding(const QString &path, const Document &document);
    // The line count, or what keeps it from being known yet.
    void showLines(qint64 lines);
    void showLoading(int percent);
    // The first lines of a file are shown while the rest of it is read and its lines counted.
    void showCounting(int percent);
    void showListing();
    // With the share unpacked and read, 0 to 100, when one can be told.
    void showReadingMember(int percent = -1);
    // The caret's display line and column, from 0.
    void showCaret(qint64 line, qint64 column);
    void showFolderSearch(qsizetype done, qsizetype total);

signals:
    void changed(StatusPanel panel, const QString &text);

private:
    std::array<QString, kStatusPanels> texts_;
};
