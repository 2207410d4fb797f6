#include <QApplication>
#include <QFile>
#include <QFont>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // Nothing a test does may reach the user's own data folder.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    QApplication app(argc, argv);
    QFont::insertSubstitutions(QStringLiteral("ＭＳ ゴシック"), {QStringLiteral("IPAGothic")});
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
