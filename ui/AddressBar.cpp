#include "ui/AddressBar.h"

#include "resources/MainTexts.h"
#include "ui/PaneKeys.h"
#include "ui/widgets/PathComboBox.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>

AddressBar::AddressBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PanelPathBar"));
    setFixedHeight(28);
    LabelFilePath = new QLabel(MainTexts::kPathLabel);
    LabelFilePath->setObjectName(QStringLiteral("LabelFilePath"));
    FilePathBox = new PathComboBox;
    FilePathBox->setObjectName(QStringLiteral("FilePathBox"));
    FilePathBox->setEditable(true);
    FilePathBox->setInsertPolicy(QComboBox::NoInsert);
    // A file dropped here goes to the window, which shows it, rather than into the text as an address.
    FilePathBox->lineEdit()->setAcceptDrops(false);
    FilePathBox->addItem(MainTexts::kPathAboutEntry);
    FilePathBox->setEditText(QString());
    FilePathBox->setToolTip(MainTexts::kHintPathBox);
    LabelFilePath->setBuddy(FilePathBox);
    BtnExport = new QToolButton;
    BtnExport->setObjectName(QStringLiteral("BtnExport"));
    auto *pathRow = new QHBoxLayout(this);
    pathRow->setContentsMargins(4, 2, 2, 2);
    pathRow->addWidget(LabelFilePath);
    pathRow->addWidget(FilePathBox, 1);
    pathRow->addWidget(BtnExport);

    // Only the user's edits and choices count as entered; texts set by the program do not.
    connect(FilePathBox->lineEdit(), &QLineEdit::textEdited, this, [this] { enterPath(path()); });
    connect(FilePathBox, &QComboBox::activated, this, [this] { enterPath(path()); });
    connect(FilePathBox, &PathComboBox::aboutToDropDown, this, &AddressBar::listRequested);
    FilePathBox->lineEdit()->installEventFilter(this);
}

void AddressBar::showPath(const QString &path)
{
    const QSignalBlocker blocker(FilePathBox);
    FilePathBox->setEditText(path);
}

void AddressBar::enterPath(const QString &path)
{
    if (path != FilePathBox->currentText())
        FilePathBox->setEditText(path);
    colourFor(path);
    emit pathEntered(path);
}

QString AddressBar::path() const
{
    return FilePathBox->currentText();
}

void AddressBar::setListedPaths(const QStringList &paths)
{
    // Refilling the list must not change the text being typed.
    const QSignalBlocker blocker(FilePathBox);
    const QString text = FilePathBox->currentText();
    while (FilePathBox->count() > 1)
        FilePathBox->removeItem(1);
    FilePathBox->addItems(paths);
    FilePathBox->setEditText(text);
}

bool AddressBar::fieldHasFocus() const
{
    const QWidget *focus = QApplication::focusWidget();
    return focus && (focus == FilePathBox || focus == FilePathBox->lineEdit());
}

QString AddressBar::selectedText() const
{
    return FilePathBox->lineEdit()->selectedText();
}

bool AddressBar::hasSelectedText() const
{
    return FilePathBox->lineEdit()->hasSelectedText();
}

void AddressBar::selectAll()
{
    FilePathBox->lineEdit()->selectAll();
}

void AddressBar::setExportCommand(QAction *command)
{
    BtnExport->setDefaultAction(command);
    BtnExport->setText(MainTexts::kBtnExport);
    BtnExport->setAutoRaise(true);
    // The action's own text is the menu's; the button keeps its short caption.
    connect(command, &QAction::changed, BtnExport, [this] { BtnExport->setText(MainTexts::kBtnExport); });
}

void AddressBar::leaveKeysToWindow(const QList<QKeySequence> &keys)
{
    windowKeys_ = keys;
}

void AddressBar::setHintDuration(int ms)
{
    FilePathBox->setToolTipDuration(ms);
    BtnExport->setToolTipDuration(ms);
}

bool AddressBar::eventFilter(QObject *watched, QEvent *event)
{
    return PaneKeys::take(event, windowKeys_, [this](bool back) { emit pageRequested(back); })
           || QWidget::eventFilter(watched, event);
}

void AddressBar::colourFor(const QString &path)
{
    QPalette p = FilePathBox->palette();
    p.setColor(QPalette::Text, path.startsWith(QLatin1String("http://")) ? QColor(Qt::blue)
                                                                          : palette().color(QPalette::Text));
    FilePathBox->setPalette(p);
}
