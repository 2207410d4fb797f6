// Commands that act on the view itself: wrapping, font, copy and select-all, the caret.
#include "ui/Mainunit.h"

#include "ui/FileSelectionBox.h"
#include "ui/widgets/PathComboBox.h"
#include "ui/widgets/TextView.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>

void TForm1::ApplyWrapMode(QChar mode)
{
    if (mode == QLatin1Char('R')) {
        RichEdit->setWrap(true);
        ActionWrapSide->setChecked(true);
    } else if (mode == QLatin1Char('N')) {
        RichEdit->setWrap(false);
        ActionWrapNone->setChecked(true);
    }
}

void TForm1::MenuEditClick()
{
    QWidget *focus = focusWidget();
    if (focus == RichEdit || (focus && RichEdit->isAncestorOf(focus))) {
        ActionCopy->setEnabled(RichEdit->textCursor().hasSelection());
        ActionSelectAll->setEnabled(!RichEdit->isEmpty());
    } else if (focus == FilePathBox || focus == FilePathBox->lineEdit()) {
        ActionCopy->setEnabled(FilePathBox->lineEdit()->hasSelectedText());
        ActionSelectAll->setEnabled(!FilePathBox->currentText().isEmpty());
    } else {
        ActionCopy->setEnabled(true);
        ActionSelectAll->setEnabled(true);
    }
}
