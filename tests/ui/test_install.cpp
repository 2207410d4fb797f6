#include "tests/ui/UiFixture.h"

#include <QToolButton>

using InstallTest = UiFixture;

TEST_F(InstallTest, TheFormatBarPicturesAreDrawnForTwiceTheDensity)
{
    MainWindow &window = start();
    int checked = 0;
    for (QToolButton *button : named<QWidget>(QStringLiteral("ToolBar2"))->findChildren<QToolButton *>()) {
        const QList<QSize> sizes = button->icon().availableSizes();
        EXPECT_TRUE(sizes.contains(QSize(20, 20))) << button->objectName().toStdString();
        EXPECT_TRUE(sizes.contains(QSize(40, 40))) << button->objectName().toStdString();
        ++checked;
    }
    EXPECT_EQ(checked, 12); // wraps, effects, the book view, following the end, font sizes
}
