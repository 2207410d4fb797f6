#include "core/CommandLine.h"
#include "platform/ProgramFolder.h"
#include "resources/CommandLineTexts.h"
#include "resources/MainTexts.h"
#include "tests/TestPrinters.h"
#include "tests/support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Restores the real folders however a test ends.
struct FolderOverrides {
    ~FolderOverrides()
    {
        QFile::setPermissions(program.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        SetProgramFolderOverride(QString());
        SetInstalledDataFolderOverride(QString());
    }
    QTemporaryDir program;
    QTemporaryDir data;
};

} // namespace

TEST(CommandLine, HelpAndVersionAreAnsweredOnlyAsTheFirstArgument)
{
    EXPECT_EQ(CommandLine::answerWithoutWindow({QStringLiteral("--version")}), QStringLiteral("Orlimbo 1.40\n"));
    EXPECT_EQ(CommandLine::answerWithoutWindow({QStringLiteral("--help")}), CommandLineTexts::kUsage);
    EXPECT_EQ(CommandLine::answerWithoutWindow({QStringLiteral("-h")}), CommandLineTexts::kUsage);
    EXPECT_TRUE(CommandLineTexts::kUsage.contains(QStringLiteral("orlimbo /n ")));

    // The forms the main window reads itself go on to start it.
    EXPECT_FALSE(CommandLine::answerWithoutWindow({}));
    EXPECT_FALSE(CommandLine::answerWithoutWindow({QStringLiteral("/home/u/a.txt")}));
    EXPECT_FALSE(CommandLine::answerWithoutWindow({QStringLiteral("/n"), QStringLiteral("--help")}));
    EXPECT_FALSE(CommandLine::answerWithoutWindow({QStringLiteral("/n"), QStringLiteral("/tmp/")}));
    EXPECT_FALSE(CommandLine::answerWithoutWindow({QStringLiteral("./--help")}));
    EXPECT_FALSE(CommandLine::answerWithoutWindow({QStringLiteral("--versions")}));
}

TEST(CommandLine, TheVersionPrintedIsTheProgramsOwn)
{
    EXPECT_EQ(CommandLineTexts::kVersion, QStringLiteral("Orlimbo ") + MainTexts::kVersion + QLatin1Char('\n'));
}

TEST(ProgramFolder, AFolderWithoutItsOwnerWriteBitIsNotWritableEvenForRoot)
{
    FolderOverrides folders;
    SetProgramFolderOverride(folders.program.path());
    EXPECT_TRUE(ProgramFolderWritable());
    EXPECT_EQ(WorkFolder(), folders.program.path() + QLatin1Char('/'));

    ASSERT_TRUE(QFile::setPermissions(folders.program.path(), QFile::ReadOwner | QFile::ExeOwner
                                                                  | QFile::ReadOther | QFile::ExeOther));
    EXPECT_FALSE(ProgramFolderWritable());
    const QString cache = WorkFolder();
    EXPECT_FALSE(cache.startsWith(folders.program.path()));
    EXPECT_TRUE(cache.endsWith(QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo(cache).isDir());

    SetProgramFolderOverride(folders.program.filePath(QStringLiteral("missing")));
    EXPECT_FALSE(ProgramFolderWritable());
}

TEST(ProgramFolder, ReadOnlyFilesComeFromBesideTheProgramFirstThenFromTheInstalledDataFolder)
{
    FolderOverrides folders;
    SetProgramFolderOverride(folders.program.path());
    SetInstalledDataFolderOverride(folders.data.path());
    const QString name = QStringLiteral("Skimlet.chm");
    const QString beside = folders.program.filePath(name);
    const QString installed = folders.data.filePath(name);

    // Neither has it: the program's folder is named, as before installing existed.
    EXPECT_EQ(ProgramDataFile(name), beside);
    ASSERT_TRUE(TestFiles::write(installed, {}));
    EXPECT_EQ(ProgramDataFile(name), installed);
    ASSERT_TRUE(TestFiles::write(beside, {}));
    EXPECT_EQ(ProgramDataFile(name), beside);
}

TEST(ProgramFolder, TheBuildFolderHasNoInstalledDataFolder)
{
    // The test binary runs from the build folder, which has no data folder beside it.
    SetInstalledDataFolderOverride(QString());
    EXPECT_EQ(InstalledDataFolder(), QString());
    SetInstalledDataFolderOverride(QStringLiteral("/usr/share/orlimbo"));
    EXPECT_EQ(InstalledDataFolder(), QStringLiteral("/usr/share/orlimbo/"));
    SetInstalledDataFolderOverride(QString());
}

TEST(ProgramFolder, WorkFilesMoveToTheCacheWhenTheFolderCannotBeWritten)
{
    QTemporaryDir dir;
    SetProgramFolderOverride(dir.path());
    EXPECT_EQ(WorkFolder(), dir.path() + QLatin1Char('/'));
    SetProgramFolderOverride(dir.filePath(QStringLiteral("missing/folder")));
    const QString fallback = WorkFolder();
    EXPECT_FALSE(fallback.startsWith(dir.path()));
    EXPECT_TRUE(fallback.endsWith(QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo(fallback).isWritable());
    SetProgramFolderOverride(QString());
}
