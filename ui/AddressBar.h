#pragma once

#include <QKeySequence>
#include <QList>
#include <QStringList>
#include <QWidget>

class QAction;
class QLabel;
class PathComboBox;
class QToolButton;

// The address bar: the path of the shown file, editable, with its drop-down of bookmarked
// paths and the export button. It tells the window the path the user entered.
class AddressBar : public QWidget {
    Q_OBJECT
public:
    explicit AddressBar(QWidget *parent = nullptr);

    // Shows a path without it counting as entered.
    void showPath(const QString &path);
    // Takes a path as if the user had entered it.
    void enterPath(const QString &path);
    QString path() const;
    // The drop-down's paths under its fixed first entry; the text being typed stays.
    void setListedPaths(const QStringList &paths);

    bool fieldHasFocus() const;
    QString selectedText() const;
    bool hasSelectedText() const;
    void selectAll();

    // The command the export button shows and triggers.
    void setExportCommand(QAction *command);
    // Keys the field leaves unclaimed so that the window's commands get them.
    void leaveKeysToWindow(const QList<QKeySequence> &keys);
    void setHintDuration(int ms);

signals:
    void pathEntered(const QString &path);
    // The drop-down is about to open: the window may fill it first.
    void listRequested();
    // Space in the field pages the view; Shift+Space pages back.
    void pageRequested(bool back);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void colourFor(const QString &path);

    QLabel *LabelFilePath;
    PathComboBox *FilePathBox;
    QToolButton *BtnExport;
    QList<QKeySequence> windowKeys_;
};
