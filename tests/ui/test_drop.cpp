#include "UiFixture.h"

#include "core/PathForm.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <filesystem>
#include <fstream>

// Files and folders dropped on the window as a file manager sends them: file URLs that carry
// each name's own bytes.
class DropTest : public UiFixture {
protected:
    void TearDown() override
    {
        UiFixture::TearDown();
        // QTemporaryDir removes by Qt's decoding of the names, which cannot reach a CP932 one.
        std::filesystem::remove_all(PathForm::toNative(filesDir.path()).toStdString());
    }
    // Drags the paths over the window and drops them; whether the window took the drop.
    bool drop(const QStringList &paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &path : paths)
            urls << QUrl::fromEncoded("file://" + PathForm::toNative(path).toPercentEncoding("/"));
        data.setUrls(urls);
        const QPoint at = form->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &enter);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &dropped);
        return enter.isAccepted() && dropped.isAccepted();
    }
};

// A dropped file is shown and selected in its folder's list, whatever bytes its name is.
TEST_F(DropTest, AFileIsShownAndSelectedInItsFolder)
{
    const QString folder = filesDir.filePath(QStringLiteral("下"));
    const QString utf8 = writeText(QStringLiteral("読む.txt"), QStringLiteral("本文"), folder);
    const QString cp932 = PathForm::fromNative(PathForm::toNative(folder) + '/' + Cp932::encode(QStringLiteral("表.txt")));
    std::ofstream(PathForm::toNative(cp932).toStdString()) << "cp932";
    MainWindow &w = start({QStringLiteral("/n"), filesDir.path()});
    const std::pair<QString, QString> cases[] = {{utf8, QStringLiteral("本文")}, {cp932, QStringLiteral("cp932")}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.first.toStdString());
        ASSERT_TRUE(drop({c.first}));
        EXPECT_EQ(w.FileNameNow(), c.first);
        EXPECT_EQ(viewText(), c.second);
        EXPECT_EQ(fileList()->selectedPath(), c.first);
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

// A dropped folder opens in the lists and the view keeps its file. Of several entries the
// first counts, and the first status panel says how many were left, until the next key.
TEST_F(DropTest, AFolderOpensAndOfSeveralOnlyTheFirstCounts)
{
    const QString shown = writeText(QStringLiteral("a.txt"), QStringLiteral("shown"));
    const QString folder = filesDir.filePath(QStringLiteral("sub"));
    const QString inside = writeText(QStringLiteral("1.txt"), QStringLiteral("one"), folder);
    const QString other = writeText(QStringLiteral("2.txt"), QStringLiteral("two"), folder);
    MainWindow &w = start({shown});
    ASSERT_TRUE(drop({folder}));
    EXPECT_EQ(listed(), (QStringList{QStringLiteral("1.txt"), QStringLiteral("2.txt")}));
    EXPECT_EQ(w.FileNameNow(), shown);

    ASSERT_TRUE(drop({other}));
    const QString date = statusText(StatusPanel::Date);
    ASSERT_TRUE(drop({other, inside, shown}));
    EXPECT_EQ(w.FileNameNow(), other);
    EXPECT_EQ(statusText(StatusPanel::Date), QStringLiteral("最初の1件だけを開きました（残りの2件は開いていません）"));
    QTest::keyClick(fileList(), Qt::Key_Right);
    EXPECT_EQ(statusText(StatusPanel::Date), date);

    ASSERT_TRUE(drop({filesDir.path(), shown}));
    EXPECT_EQ(fileList()->directory(), filesDir.path() + QLatin1Char('/'));
    EXPECT_EQ(w.FileNameNow(), other);
    EXPECT_EQ(statusText(StatusPanel::Date), QStringLiteral("最初の1件だけを開きました（残りの1件は開いていません）"));
}
