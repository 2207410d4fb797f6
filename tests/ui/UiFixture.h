#pragma once

#include "core/Cp932.h"
#include "tests/TestPrinters.h"
#include "platform/ProgramFolder.h"
#include "platform/QSettingsStore.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"
#include "ui/FileSelectionBox.h"
#include "ui/Mainunit.h"
#include "ui/widgets/FileListBox.h"
#include "ui/widgets/PathComboBox.h"
#include "ui/SearchBar.h"
#include "ui/widgets/TextView.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// A main window over a temporary program folder, settings file and file folder, with
// scripted dialogs and a recording shell.
class UiFixture : public ::testing::Test {
protected:
    QTemporaryDir programDir;
    QTemporaryDir filesDir;
    QString storePath = programDir.filePath(QStringLiteral("config/Skimlet.conf"));
    QSettingsStore store{storePath};
    ScriptedDialogs dialogs;
    RecordingShell shell;
    std::unique_ptr<TForm1> form;

    void SetUp() override { SetProgramFolderOverride(programDir.path()); }
    void TearDown() override
    {
        if (form)
            form->close();
        form.reset();
        SetProgramFolderOverride(QString());
    }

    TForm1 &start(const QStringList &arguments = {})
    {
        form = std::make_unique<TForm1>(AppServices{dialogs, shell, store}, arguments);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return *form;
    }

    // Writes text as CP932 with CR LF line breaks.
    QString writeText(const QString &name, const QString &text, const QString &folder = {})
    {
        return writeBytes(name, Cp932::encode(text), folder);
    }
    QString writeBytes(const QString &name, const QByteArray &bytes, const QString &folder = {})
    {
        const QString dir = folder.isEmpty() ? filesDir.path() : folder;
        QDir().mkpath(dir);
        const QString path = dir + QLatin1Char('/') + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }

    void storeValues(std::initializer_list<std::pair<const char *, QString>> values)
    {
        QSettings s(storePath, QSettings::IniFormat);
        for (const auto &[name, value] : values)
            s.setValue(QLatin1String(name), value);
    }
    QString stored(const char *name) const
    {
        return QSettings(storePath, QSettings::IniFormat).value(QLatin1String(name)).toString();
    }
    bool isStored(const char *name) const { return QSettings(storePath, QSettings::IniFormat).contains(QLatin1String(name)); }

    FileListBox *fileList() const { return form->PanelDirBars->FileListBox1; }
    // The names the file list shows, in order.
    QStringList listed() const
    {
        QStringList names;
        for (int i = 0; i < fileList()->count(); ++i)
            names << fileList()->item(i)->text();
        return names;
    }
    QString viewText() const { return form->RichEdit->text(); }
};
