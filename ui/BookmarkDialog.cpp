#include "ui/BookmarkDialog.h"

#include "core/PathUtil.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "resources/BookmarkTexts.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include <algorithm>
#include <functional>

namespace {

constexpr int kClientWidth = 392;
constexpr int kClientHeight = 333;
constexpr int kColumnWidth = 176;
constexpr int kRowHeight = 18;
constexpr int kNameColumn = 0;
constexpr int kPathColumn = 1;

// Cell editors that hand every keystroke to the grid at once, so that the grid's rows always
// hold what is typed, and that report their keys to the dialog before handling them.
class CellDelegate : public QStyledItemDelegate {
public:
    // `onKey` sees each key pressed in an editor first; true when it took the key.
    CellDelegate(std::function<bool(QKeyEvent *)> onKey, QObject *parent)
        : QStyledItemDelegate(parent), onKey_(std::move(onKey))
    {
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
            auto *self = const_cast<CellDelegate *>(this);
            connect(edit, &QLineEdit::textEdited, self, [self, edit] { emit self->commitData(edit); });
        }
        return editor;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        auto *edit = qobject_cast<QLineEdit *>(editor);
        if (edit && edit->text() == index.data(Qt::EditRole).toString())
            return; // the text came from this editor; resetting it would move the cursor
        QStyledItemDelegate::setEditorData(editor, index);
    }

protected:
    bool eventFilter(QObject *editor, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && onKey_(static_cast<QKeyEvent *>(event)))
            return true;
        return QStyledItemDelegate::eventFilter(editor, event);
    }

private:
    std::function<bool(QKeyEvent *)> onKey_;
};

QString cellText(const QTableWidget *grid, int row, int column)
{
    const QTableWidgetItem *item = grid->item(row, column);
    return item ? item->text() : QString();
}

void setCellText(QTableWidget *grid, int row, int column, const QString &text)
{
    if (QTableWidgetItem *item = grid->item(row, column))
        item->setText(text);
    else
        grid->setItem(row, column, new QTableWidgetItem(text));
}

void setBackground(QLineEdit *edit, QPalette::ColorRole role)
{
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, QApplication::palette().color(role));
    edit->setPalette(p);
}

bool hasComma(const QString &text)
{
    return text.contains(QLatin1Char(','));
}

int columnOf(BookmarkFault::Field field)
{
    return field == BookmarkFault::Field::Name ? kNameColumn : kPathColumn;
}

bool startsWithCommentMark(const QString &name)
{
    return name.startsWith(QLatin1Char('#'));
}

} // namespace

BookmarkDialog::BookmarkDialog(BookmarkDialogContext context, QWidget *parent)
    : QDialog(parent), context_(std::move(context))
{
    setObjectName(QStringLiteral("BookmarkForm"));
    setWindowTitle(BookmarkTexts::kCaption);
    setFont(QFont(QStringLiteral("ＭＳ Ｐゴシック"), 9));
    setFixedSize(kClientWidth, kClientHeight);
    createControls();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        const bool was = isInGrid(old);
        const bool is = isInGrid(now);
        if (!was && is)
            StringGridEnter();
        else if (was && !is)
            StringGridExit();
    });
}

BookmarkDialog::~BookmarkDialog()
{
    // Hiding the dialog while its base class is torn down moves the focus; the handler must not
    // run on what is left of it.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
}

void BookmarkDialog::createControls()
{
    GroupBox1 = new QGroupBox(BookmarkTexts::kGroupAdd, this);
    GroupBox1->setGeometry(8, 4, 376, 142);

    Label1 = new QLabel(BookmarkTexts::kLabelName, this);
    Label1->setGeometry(20, 24, 72, 16);
    EditName = new QLineEdit(this);
    EditName->setObjectName(QStringLiteral("EditName"));
    EditName->setGeometry(96, 21, 276, 21);
    EditName->setMaxLength(static_cast<int>(kBookmarkNameLimit));
    Label1->setBuddy(EditName);

    rbFolder = new QRadioButton(BookmarkTexts::kFolder, this);
    rbFolder->setObjectName(QStringLiteral("rbFolder"));
    rbFolder->setGeometry(20, 48, 300, 18);
    EditFolder = new QLineEdit(this);
    EditFolder->setObjectName(QStringLiteral("EditFolder"));
    EditFolder->setGeometry(36, 68, 336, 21);

    rbFile = new QRadioButton(BookmarkTexts::kFile, this);
    rbFile->setObjectName(QStringLiteral("rbFile"));
    rbFile->setGeometry(20, 94, 300, 18);
    EditFile = new QLineEdit(this);
    EditFile->setObjectName(QStringLiteral("EditFile"));
    EditFile->setGeometry(36, 114, 252, 21);

    LabelPath = new QLabel(BookmarkTexts::kLabelPath, this);
    LabelPath->setGeometry(20, 54, 352, 16);
    LabelPath->setBuddy(EditFolder);
    LabelPath->hide();

    BtnAdd = new QPushButton(BookmarkTexts::kAdd, this);
    BtnAdd->setObjectName(QStringLiteral("BtnAdd"));
    BtnAdd->setGeometry(297, 113, 75, 23);
    BtnAdd->setDefault(true);

    LabelDirectEdit = new QLabel(BookmarkTexts::kDirectEdit, this);
    LabelDirectEdit->setGeometry(8, 127, 200, 14);
    LabelDirectEdit->hide();

    StringGrid = new QTableWidget(1, 2, this);
    StringGrid->setObjectName(QStringLiteral("StringGrid"));
    StringGrid->setGeometry(8, 152, 376, 148);
    StringGrid->setHorizontalHeaderLabels({QString(), QString()});
    StringGrid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    StringGrid->horizontalHeader()->setHighlightSections(false);
    StringGrid->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    StringGrid->verticalHeader()->hide();
    StringGrid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    StringGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid->setItemDelegate(new CellDelegate([this](QKeyEvent *key) { return gridKeyPressed(key); }, StringGrid));
    StringGrid->installEventFilter(this);

    // The row buttons take no focus, so pressing them leaves the grid focused and enabled.
    BtnCellUp = new QPushButton(BookmarkTexts::kUp, this);
    BtnCellUp->setObjectName(QStringLiteral("BtnCellUp"));
    BtnCellUp->setGeometry(8, 306, 50, 23);
    BtnCellDown = new QPushButton(BookmarkTexts::kDown, this);
    BtnCellDown->setObjectName(QStringLiteral("BtnCellDown"));
    BtnCellDown->setGeometry(62, 306, 50, 23);
    for (QPushButton *button : {BtnCellUp, BtnCellDown}) {
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        button->setEnabled(false);
    }

    BitBtn1 = new QPushButton(BookmarkTexts::kSave, this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(216, 306, 80, 23);
    BitBtn2 = new QPushButton(BookmarkTexts::kCancel, this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(304, 306, 80, 23);

    connect(rbFolder, &QRadioButton::toggled, this, [this](bool on) { if (on) rbFolderClick(); });
    connect(rbFile, &QRadioButton::toggled, this, [this](bool on) { if (on) rbFileClick(); });
    connect(BtnAdd, &QPushButton::clicked, this, &BookmarkDialog::BtnAddClick);
    connect(BtnCellUp, &QPushButton::clicked, this, &BookmarkDialog::BtnCellUpClick);
    connect(BtnCellDown, &QPushButton::clicked, this, &BookmarkDialog::BtnCellDownClick);
    connect(BitBtn1, &QPushButton::clicked, this, &BookmarkDialog::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void BookmarkDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (shown_)
        return;
    shown_ = true;
    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
    FormShow();
}

bool BookmarkDialog::isOrganising() const
{
    return context_.mode == BookmarkDialogMode::Organise;
}

void BookmarkDialog::FormShow()
{
    StringGrid->setHorizontalHeaderLabels({BookmarkTexts::kHeaderName, BookmarkTexts::kHeaderPath});
    EditName->setToolTip(BookmarkTexts::kHintName);

    const QString source = context_.bookmarkSource.isEmpty() ? context_.bookmarkFile : context_.bookmarkSource;
    for (const Bookmark &record : ReadBookmarkFile(source, FileSystem::nativeExists))
        AddGridRow(record.name, record.path);

    if (!isOrganising()) {
        if (!context_.fileNameNow.isEmpty()) {
            EditFile->setText(context_.fileNameNow);
            EditFolder->setText(PathUtil::SplitPath(context_.fileNameNow, PathUtil::PathPart::Folder));
        }
        LabelPath->hide();
        rbFolder->show();
        BtnCellUp->hide();
        BtnCellDown->hide();
        rbFolder->setChecked(true);
        rbFolderClick();
        LabelDirectEdit->hide();
        StringGrid->setToolTip(BookmarkTexts::kHintGridReadOnly);
        EditName->setFocus();
        return;
    }
    layOutForOrganising();
    StringGrid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    StringGrid->setFocus();
    StringGrid->setCurrentCell(0, kNameColumn);
}

void BookmarkDialog::layOutForOrganising()
{
    rbFile->hide();
    EditFile->hide();
    rbFolder->hide();
    GroupBox1->resize(GroupBox1->width(), 102);
    LabelPath->move(20, 54);
    LabelPath->show();
    EditFolder->setGeometry(20, 72, 352, EditFolder->height());
    BtnAdd->move(BtnAdd->x(), 110);
    StringGrid->setGeometry(StringGrid->x(), 140, StringGrid->width(), 160);
    LabelDirectEdit->move(LabelDirectEdit->x(), 127);
    LabelDirectEdit->show();
    BtnCellUp->show();
    BtnCellDown->show();
}

void BookmarkDialog::rbFolderClick()
{
    setBackground(EditFolder, QPalette::Base);
    if (EditFile->isVisible())
        setBackground(EditFile, QPalette::Button);
    EditFolder->setFocus();
}

void BookmarkDialog::rbFileClick()
{
    setBackground(EditFile, QPalette::Base);
    setBackground(EditFolder, QPalette::Button);
    EditFile->setFocus();
}

bool BookmarkDialog::refuse(const QString &text, const QString &caption)
{
    context_.dialogs.message(this, text, caption, Dialogs::Kind::Warning);
    return false;
}

bool BookmarkDialog::checked(const BookmarkFault &fault)
{
    using Kind = BookmarkFault::Kind;
    switch (fault.kind) {
    case Kind::None:
        return true;
    case Kind::Comma:
        return refuse(fault.field == BookmarkFault::Field::Name ? BookmarkTexts::kCommaInName
                                                                : BookmarkTexts::kCommaInPath,
                      BookmarkTexts::kForbiddenCaption);
    case Kind::Unrecordable:
        return refuse(BookmarkTexts::unrecordableText(QString::fromUcs4(&fault.character, 1)),
                      BookmarkTexts::kForbiddenCaption);
    }
    return true;
}

void BookmarkDialog::BtnAddClick()
{
    QString path;
    if (rbFolder->isChecked() || isOrganising()) {
        if (!FileSystem::folderExists(EditFolder->text())) {
            refuse(BookmarkTexts::kNoSuchFolder, BookmarkTexts::kInputErrorCaption);
            return;
        }
        path = EditFolder->text();
    } else if (rbFile->isChecked()) {
        if (!FileSystem::fileOrMemberExists(EditFile->text())) {
            refuse(BookmarkTexts::kNoSuchFile, BookmarkTexts::kInputErrorCaption);
            return;
        }
        path = EditFile->text();
    } else {
        return;
    }
    // Before the path may become the name, so that the message names the path.
    if (hasComma(path)) {
        refuse(BookmarkTexts::kCommaInPath, BookmarkTexts::kForbiddenCaption);
        return;
    }
    if (EditName->text().isEmpty())
        EditName->setText(path);
    // What the file could not record would make the grid unsavable, or come back as another path.
    if (!checked(BookmarkRowFault(TidyBookmarkRow({EditName->text(), path}))))
        return;
    if (startsWithCommentMark(TidyBookmarkRow({EditName->text(), path}).name)) {
        refuse(BookmarkTexts::kHashAtNameStart, BookmarkTexts::kForbiddenCaption);
        return;
    }
    AddGridRow(EditName->text(), path);
    EditName->clear();
    EditFolder->clear();
    EditFile->clear();
    if (isOrganising())
        EditName->setFocus();
    else
        BitBtn1->setFocus();
}

void BookmarkDialog::AddGridRow(const QString &name, const QString &path)
{
    const int last = StringGrid->rowCount() - 1;
    setCellText(StringGrid, last, kNameColumn, name);
    setCellText(StringGrid, last, kPathColumn, path);
    appendEmptyRow();
}

void BookmarkDialog::appendEmptyRow()
{
    StringGrid->insertRow(StringGrid->rowCount());
}

QList<Bookmark> BookmarkDialog::gridRows() const
{
    QList<Bookmark> rows;
    for (int row = 0; row < StringGrid->rowCount(); ++row)
        rows.append({cellText(StringGrid, row, kNameColumn), cellText(StringGrid, row, kPathColumn)});
    return rows;
}

bool BookmarkDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == StringGrid && event->type() == QEvent::KeyPress && gridKeyPressed(static_cast<QKeyEvent *>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

bool BookmarkDialog::gridKeyPressed(QKeyEvent *key)
{
    StringGridKeyDown();
    // Esc cancels the dialog from the grid too, not only the cell being edited.
    if (key->key() != Qt::Key_Escape)
        return false;
    reject();
    return true;
}

bool BookmarkDialog::isInGrid(const QWidget *widget) const
{
    return widget && (widget == StringGrid || StringGrid->isAncestorOf(widget));
}

void BookmarkDialog::StringGridKeyDown()
{
    const int last = StringGrid->rowCount() - 1;
    if (!cellText(StringGrid, last, kNameColumn).isEmpty() || !cellText(StringGrid, last, kPathColumn).isEmpty())
        appendEmptyRow();
}

void BookmarkDialog::StringGridEnter()
{
    // Header, one bookmark and the empty row: there is something to move.
    if (StringGrid->rowCount() + 1 >= 3) {
        BtnCellUp->setEnabled(true);
        BtnCellDown->setEnabled(true);
    }
}

void BookmarkDialog::StringGridExit()
{
    BtnCellUp->setEnabled(false);
    BtnCellDown->setEnabled(false);
}

void BookmarkDialog::swapRows(int a, int b)
{
    const int column = std::max(0, StringGrid->currentColumn());
    // Close the open cell editor first, so it cannot write its old text back after the swap.
    StringGrid->setCurrentIndex(QModelIndex());
    for (int c : {kNameColumn, kPathColumn}) {
        const QString above = cellText(StringGrid, a, c);
        setCellText(StringGrid, a, c, cellText(StringGrid, b, c));
        setCellText(StringGrid, b, c, above);
    }
    StringGrid->setCurrentCell(b, column);
}

void BookmarkDialog::BtnCellUpClick()
{
    const int row = StringGrid->currentRow();
    if (row > 0)
        swapRows(row, row - 1);
}

void BookmarkDialog::BtnCellDownClick()
{
    const int row = StringGrid->currentRow();
    if (row >= 0 && row < StringGrid->rowCount() - 2)
        swapRows(row, row + 1);
}

bool BookmarkDialog::rowsCanBeSaved()
{
    for (int row = 0; row < StringGrid->rowCount(); ++row) {
        const QString name = cellText(StringGrid, row, kNameColumn);
        const QString path = cellText(StringGrid, row, kPathColumn);
        if (path.isEmpty())
            continue;
        // The offending cell becomes current, so it can be mended at once.
        if (const BookmarkFault fault = BookmarkRowFault({name, path})) {
            StringGrid->setCurrentCell(row, columnOf(fault.field));
            return checked(fault);
        }
        if (startsWithCommentMark(name)) {
            StringGrid->setCurrentCell(row, kNameColumn);
            return refuse(BookmarkTexts::kHashAtNameStart, BookmarkTexts::kForbiddenCaption);
        }
    }
    return true;
}

void BookmarkDialog::BitBtn1Click()
{
    StringGrid->setCurrentIndex(QModelIndex()); // the open editor's text into its cell
    for (int row = 0; row < StringGrid->rowCount(); ++row) {
        const Bookmark tidy =
            TidyBookmarkRow({cellText(StringGrid, row, kNameColumn), cellText(StringGrid, row, kPathColumn)});
        setCellText(StringGrid, row, kNameColumn, tidy.name);
        setCellText(StringGrid, row, kPathColumn, tidy.path);
    }
    if (!rowsCanBeSaved())
        return;
    const BookmarkWriteResult written = WriteBookmarkFile(context_.bookmarkFile, gridRows());
    if (written.status == BookmarkWriteResult::Status::Refused) {
        // The rows were checked above; should the writer still find a fault, nothing is lost.
        StringGrid->setCurrentCell(written.refusedRow, columnOf(written.fault.field));
        checked(written.fault);
        return;
    }
    ReportBookmarkWrite(context_.dialogs, this, written);
    accept();
}

void ReportBookmarkWrite(Dialogs &dialogs, QWidget *parent, const BookmarkWriteResult &result)
{
    using Status = BookmarkWriteResult::Status;
    if (result.status == Status::OpenFailed) {
        dialogs.message(parent, BookmarkTexts::kOpenErrorText, BookmarkTexts::kOpenErrorCaption,
                        Dialogs::Kind::Failure);
        return;
    }
    if (result.status != Status::WriteFailed)
        return;
    // One box per failing record, as many as there were; at least one.
    for (int i = 0; i < std::max(1, result.failedRecords); ++i)
        dialogs.message(parent, BookmarkTexts::kWriteErrorText, BookmarkTexts::kWriteErrorCaption,
                        Dialogs::Kind::Failure);
}
