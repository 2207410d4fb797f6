// The display effects: transforms of the view's text through the two work files.
#include "ui/Mainunit.h"

#include "ui/widgets/TextView.h"

#include <QAction>
#include <QToolButton>

QList<QAction *> TForm1::effectCommands() const
{
    return {ActionNoCRLF, ActionNoSpace, ActionNoHtmlTag, ActionNoTFS, ActionNumbering};
}

void TForm1::ClearEffects(QChar mode)
{
    if (mode != QLatin1Char('N'))
        RestoreUnprocessedText();
    for (QAction *a : effectCommands())
        a->setChecked(false);
    if (mode == QLatin1Char('N'))
        RichEditForBackup->setText(QString());
}

void TForm1::RestoreUnprocessedText()
{
    RichEdit->setText(RichEditForBackup->text());
    RichEditForBackup->setText(QString());
    RichEdit->moveCaretToStart();
}

void TForm1::setEffectsWithinLimit(bool within)
{
    // Above the limit the buttons and menu entries are off while the keys still reach the commands.
    const QList<QAction *> commands = effectCommands();
    const QList<QToolButton *> buttons{ToolButton12, ToolButton13, ToolButton14, ToolButton18, ToolButton17};
    const QList<QAction *> entries{StyleNoCRLF, StyleNoSpace, StyleTag, StyleNoTFS, StyleNumbering};
    for (int i = 0; i < commands.size(); ++i) {
        buttons[i]->setProperty("limitEnabled", within);
        entries[i]->setProperty("limitEnabled", within);
        buttons[i]->setEnabled(within && commands[i]->isEnabled());
        entries[i]->setEnabled(within && commands[i]->isEnabled());
    }
}
