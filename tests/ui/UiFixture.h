#pragma once

#include "core/Cp932.h"
#include "tests/TestPrinters.h"
#include "tests/support/TestFiles.h"
#include "platform/ProgramFolder.h"
#include "platform/QSettingsStore.h"
#include "platform/ScriptedDialogs.h"
#include "platform/Shell.h"
#include "ui/FileSelectionBox.h"
#include "ui/MainWindow.h"
#include "ui/widgets/FileListBox.h"
#include "ui/widgets/PathComboBox.h"
#include "ui/SearchBar.h"
#include "ui/widgets/TextView.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSplitter>
#include <QToolButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <memory>
#include <vector>

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
    // How the window reads files: set before start().
    DocumentLoader::Options loading;
    std::unique_ptr<MainWindow> form;

    void SetUp() override
    {
        SetProgramFolderOverride(programDir.path());
        // Reading places are kept in the per-user data folder: one of the test's own.
        qputenv("XDG_DATA_HOME", QFile::encodeName(programDir.filePath(QStringLiteral("data"))));
    }
    void TearDown() override
    {
        if (form)
            form->close();
        form.reset();
        SetProgramFolderOverride(QString());
    }

    MainWindow &start(const QStringList &arguments = {})
    {
        form = std::make_unique<MainWindow>(AppServices{dialogs, shell, store, loading}, arguments);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return *form;
    }

    // Closes the window, storing its settings, and starts a new one.
    MainWindow &restart(const QStringList &arguments = {})
    {
        form->close();
        form.reset();
        return start(arguments);
    }

    // As restart, with these values stored over the ones the closed window wrote.
    MainWindow &restartWith(std::initializer_list<std::pair<const char *, QString>> values, const QStringList &arguments = {})
    {
        form->close();
        form.reset();
        storeValues(values);
        return start(arguments);
    }
    // The default option flags with the one at `position` set to `value`.
    static QString flagsWith(int position, QChar value)
    {
        QString flags = SettingsRecord::DefaultFlags();
        flags[position] = value;
        return flags;
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
        TestFiles::write(path, bytes);
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

    // The window's one object of type T with this name; the test fails here, naming it, when
    // there is none or more than one.
    template <class T = QWidget>
    T *named(const QString &name) const
    {
        const QList<T *> found = form ? form->findChildren<T *>(name) : QList<T *>();
        if (found.size() != 1)
            throw std::runtime_error(QStringLiteral("the window holds %1 objects of type %2 named \"%3\"")
                                         .arg(found.size())
                                         .arg(QLatin1String(T::staticMetaObject.className()), name)
                                         .toStdString());
        return found.front();
    }
    QAction *action(const QString &name) const { return named<QAction>(name); }
    // What the file list does when a file in it is chosen; the window takes any path this way.
    void chooseFile(const QString &path) const { emit named<FileSelectionBox>(QStringLiteral("PanelDirBars"))->fileChosen(path); }
    // The text of status-bar panel `panel` (0-6).
    QString statusText(StatusPanel panel) const { return statusLabel(panel)->text(); }
    // The width of a status-bar panel, 0 while it is hidden.
    int statusWidth(StatusPanel panel) const
    {
        const QLabel *label = statusLabel(panel);
        return label->isVisibleTo(form.get()) ? label->width() : 0;
    }
    QLabel *statusLabel(StatusPanel panel) const
    {
        return named<QLabel>(QStringLiteral("StatusPanel%1").arg(int(panel)));
    }
    FileListBox *fileList() const { return named<FileListBox>(QStringLiteral("FileListBox1")); }
    // A key of the window's commands, once the window is active again after a dialog.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        form->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
        QTest::keyClick(fileList(), key, modifiers);
    }
    // The names the file list shows, in order.
    QStringList listed() const
    {
        QStringList names;
        for (int i = 0; i < fileList()->count(); ++i)
            names << fileList()->item(i)->text();
        return names;
    }
    TextView *view() const { return named<TextView>(QStringLiteral("RichEdit")); }
    QString viewText() const { return view()->text(); }

    // Message `index` has exactly this text, caption and kind.
    void expectMessage(size_t index, const QString &text, const QString &caption, Dialogs::Kind kind) const
    {
        ASSERT_GT(dialogs.messages.size(), index);
        EXPECT_EQ(dialogs.messages[index].text, text);
        EXPECT_EQ(dialogs.messages[index].caption, caption);
        EXPECT_EQ(dialogs.messages[index].kind, kind);
    }
    // Exactly one message was shown, and it is this one.
    void expectOnlyMessage(const QString &text, const QString &caption, Dialogs::Kind kind) const
    {
        ASSERT_EQ(dialogs.messages.size(), 1u);
        expectMessage(0, text, caption, kind);
    }
    // As expectOnlyMessage, then forgets it so the next step starts with none.
    void takeOnlyMessage(const QString &text, const QString &caption, Dialogs::Kind kind)
    {
        expectOnlyMessage(text, caption, kind);
        dialogs.messages.clear();
    }
    // Runs `trigger`, which should open a modal dialog of type D, and then `inside` on that
    // dialog while it is shown; rejects it afterwards if it is still open. False when no such
    // dialog came up.
    template <class D>
    bool withModal(const std::function<void()> &trigger, const std::function<void(D &)> &inside)
    {
        bool shown = false;
        // A timer of this call's own: should no dialog come up, it cannot fire in a later test.
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            auto *dialog = qobject_cast<D *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            shown = true;
            inside(*dialog);
            if (dialog->isVisible())
                dialog->reject();
        });
        timer.start(0);
        trigger();
        return shown;
    }
    void expectLaunches(const std::vector<RecordingShell::Launch> &expected) const
    {
        ASSERT_EQ(shell.launches.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(shell.launches[i].verb, expected[i].verb) << i;
            EXPECT_EQ(shell.launches[i].target, expected[i].target) << i;
            EXPECT_EQ(shell.launches[i].arguments, expected[i].arguments) << i;
        }
    }
};
