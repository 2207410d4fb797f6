#include "core/Cp932.h"
#include "core/DocumentModel.h"

#include "tests/TestPrinters.h"
#include "tests/support/TestFiles.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// Every change the model announces, in order, as a line each.
class DocumentModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&model, &DocumentModel::replaced, [this] {
            heard << QStringLiteral("replaced %1").arg(model.document().text());
        });
        QObject::connect(&model, &DocumentModel::restyled, [this] {
            heard << QStringLiteral("restyled %1").arg(model.document().text());
        });
        QObject::connect(&model, &DocumentModel::appended, [this](qint64 from) {
            heard << QStringLiteral("appended %1 %2").arg(from).arg(model.document().text());
        });
        QObject::connect(&model, &DocumentModel::edited, [this](qint64 start, qint64 removed, qint64 added) {
            heard << QStringLiteral("edited %1 %2 %3 %4").arg(start).arg(removed).arg(added).arg(model.document().text());
        });
        QObject::connect(&model, &DocumentModel::encodingChanged, [this] { heard << QStringLiteral("encoding"); });
    }
    QStringList take() { return std::exchange(heard, {}); }
    std::shared_ptr<Document> read(const QByteArray &bytes)
    {
        const QString path = dir.filePath(QStringLiteral("t.txt"));
        TestFiles::write(path, bytes);
        Document::Loaded loaded = Document::load(path, std::nullopt);
        EXPECT_EQ(loaded.failure, Document::Failure::None);
        return loaded.document;
    }

    QTemporaryDir dir;
    DocumentModel model;
    QStringList heard;
};

} // namespace

TEST_F(DocumentModelTest, EachChangeIsAppliedOnceAndAnnouncedAsWhatItIs)
{
    model.setDocument(read("a <b>b</b>\r\nc"));
    EXPECT_EQ(take(), QStringList{QStringLiteral("replaced a <b>b</b>\nc")});

    model.applyEffect(EffectKind::NoTags, "a b\r\nc");
    model.forgetUnprocessed(); // the shown text stays: nothing to tell
    model.restoreUnprocessed();
    EXPECT_EQ(take(), (QStringList{QStringLiteral("replaced a b\nc"), QStringLiteral("replaced a b\nc")}));
    model.applyEffect(EffectKind::NoTags, "a b");
    model.restoreUnprocessed();
    EXPECT_EQ(take(), (QStringList{QStringLiteral("replaced a b"), QStringLiteral("replaced a b\nc")}));

    // Typing replaces a stretch; a place-keeping view learns where and how much.
    model.edit(2, 1, QStringLiteral("XYZ"));
    EXPECT_EQ(take(), QStringList{QStringLiteral("edited 2 1 3 a XYZ\nc")});
    EXPECT_TRUE(model.document().isModified());
}

TEST_F(DocumentModelTest, ABookIsTheSameTextShownAnotherWay)
{
    const QString novel = QStringLiteral("吾輩《わがはい》は猫である。\n");
    model.setDocument(std::make_shared<Document>(novel));
    take();
    model.showAsBook(true);
    model.openExplanation(true);
    model.showAsBook(false);
    EXPECT_EQ(take(), (QStringList{QStringLiteral("restyled 吾輩は猫である。\n"), QStringLiteral("restyled 吾輩は猫である。\n"),
                                   QStringLiteral("restyled ") + novel}));
}

TEST_F(DocumentModelTest, AnotherEncodingIsAnnouncedAfterTheTextAndOnlyWhenItDiffers)
{
    model.setDocument(read(Cp932::encode(QStringLiteral("日本語のテキストです。"))));
    model.setDocument(read(Cp932::encode(QStringLiteral("別の日本語です。"))));
    EXPECT_EQ(take(), (QStringList{QStringLiteral("replaced 日本語のテキストです。"), QStringLiteral("replaced 別の日本語です。")}));
    model.setDocument(read(QStringLiteral("日本語のテキストです。").toUtf8()));
    EXPECT_EQ(take(), (QStringList{QStringLiteral("replaced 日本語のテキストです。"), QStringLiteral("encoding")}));
    EXPECT_EQ(model.document().detection().encoding, EncodingDetect::Encoding::Utf8);
}

TEST_F(DocumentModelTest, TextFollowsAtTheEndOfAHeldTextAloneAndCountsInItsBytes)
{
    model.setDocument(read(Cp932::encode(QStringLiteral("一行目\n"))));
    ASSERT_EQ(model.document().byteLength(), 8);
    take();
    EXPECT_TRUE(model.append(QStringLiteral("二行目\n三")));
    EXPECT_EQ(take(), QStringList{QStringLiteral("appended 4 一行目\n二行目\n三")});
    EXPECT_EQ(model.document().byteLength(), 8 + 8 + 2);
    EXPECT_EQ(model.document().store().lineCount(), 3);

    // An effect's output, a book, or a text read from its file as it is shown is not the text
    // that grew: nothing changes, nothing is told.
    model.applyEffect(EffectKind::NoBlanks, "x");
    take();
    EXPECT_FALSE(model.append(QStringLiteral("y")));
    model.restoreUnprocessed();
    model.showAsBook(true);
    take();
    EXPECT_FALSE(model.append(QStringLiteral("y")));
    EXPECT_TRUE(take().isEmpty());
    EXPECT_EQ(model.document().text(), QStringLiteral("一行目\n二行目\n三"));

    Document::LoadControl lazily;
    lazily.readAsShownFrom = 0;
    const QString path = dir.filePath(QStringLiteral("large.txt"));
    TestFiles::write(path, Cp932::encode(QStringLiteral("大きな\n")));
    Document::Loaded large = Document::load(path, std::nullopt, lazily);
    ASSERT_TRUE(large.document && large.document->store().isLazy());
    model.setDocument(large.document);
    take();
    EXPECT_FALSE(model.append(QStringLiteral("y")));
    EXPECT_TRUE(take().isEmpty());
}

TEST_F(DocumentModelTest, WhatMeasuredTheTextIsKnownWhileItIsToldAndThenLetGo)
{
    auto measure = std::make_shared<int>(1);
    const void *seen = nullptr;
    QObject::connect(&model, &DocumentModel::replaced, [&] { seen = model.measuredBy().get(); });
    auto first = std::make_shared<Document>(QStringLiteral("a"));
    model.setDocument(first, measure);
    EXPECT_EQ(seen, measure.get());
    EXPECT_EQ(model.measuredBy(), nullptr);
    // The one replaced comes back, let go by the views.
    EXPECT_EQ(model.setDocument(std::make_shared<Document>(QStringLiteral("b"))), first);
    EXPECT_EQ(seen, nullptr);
}
