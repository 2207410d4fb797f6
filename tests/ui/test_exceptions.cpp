#include "platform/ExceptionGuard.h"
#include "platform/ScriptedDialogs.h"
#include "tests/TestPrinters.h"

#include <QApplication>
#include <QMainWindow>

#include <gtest/gtest.h>

#include <stdexcept>

TEST(ExceptionGuard, AnEscapingExceptionIsShownAndTheProgramGoesOn)
{
    ScriptedDialogs dialogs;
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("a.txt - Orlimbo  Ver 1.40"));
    EXPECT_FALSE(runReportingExceptions([]() -> bool { throw std::runtime_error("disk on fire"); }, dialogs, nullptr));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, QStringLiteral("disk on fire"));
    EXPECT_EQ(dialogs.messages[0].caption, QStringLiteral("a.txt - Orlimbo  Ver 1.40")); // the application title
    EXPECT_EQ(dialogs.messages[0].kind, Dialogs::Kind::Failure);

    EXPECT_TRUE(runReportingExceptions([] { return true; }, dialogs, nullptr));
    EXPECT_EQ(dialogs.messages.size(), 1u);
}
