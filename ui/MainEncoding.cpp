// The encoding menu: which encoding the shown files are read in, and its name in the status bar.
#include "ui/MainWindow.h"

#include "core/DocumentEncoding.h"
#include "resources/MainTexts.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

void MainWindow::addEncodingMenu(QMenu *parent)
{
    MenuEncoding = parent->addMenu(MainTexts::kMenuEncoding);
    MenuEncoding->setObjectName(QStringLiteral("MenuEncoding"));
    auto *group = new QActionGroup(this);
    auto entry = [this, group](const QString &caption, const char *name, DocumentEncoding::Choice choice) {
        QAction *item = MenuEncoding->addAction(caption);
        item->setObjectName(QLatin1String(name));
        item->setCheckable(true);
        item->setData(QChar(QLatin1Char(char(choice))));
        group->addAction(item);
        return item;
    };
    using DocumentEncoding::Choice;
    EncodingAuto = entry(MainTexts::kEncodingAuto, "EncodingAuto", Choice::Auto);
    EncodingSjis = entry(MainTexts::kEncodingSjis, "EncodingSjis", Choice::Sjis);
    EncodingUtf8 = entry(MainTexts::kEncodingUtf8, "EncodingUtf8", Choice::Utf8);
    EncodingEuc = entry(MainTexts::kEncodingEuc, "EncodingEuc", Choice::Euc);
    EncodingJis = entry(MainTexts::kEncodingJis, "EncodingJis", Choice::Jis);
    EncodingAuto->setChecked(true);
    connect(group, &QActionGroup::triggered, this, &MainWindow::EncodingItemClick);
}

void MainWindow::EncodingItemClick(QAction *item)
{
    Settings.setEncodingChoice(DocumentEncoding::choiceFromStored(QString(item->data().toChar())));
    // The choice holds for every file shown from now on, the shown one first.
    if (FileNameNow().isEmpty())
        showEncoding();
    else
        ActionReLoadExecute();
}

void MainWindow::showEncoding()
{
    setStatus(StatusPanel::Encoding, FileNameNow().isEmpty() ? QString() : EncodingDetect::panelName(model_->document().detection().encoding));
    for (QAction *item : MenuEncoding->actions())
        item->setChecked(item->data().toChar() == QLatin1Char(char(Settings.encodingChoice())));
}
