#include "services/Session.h"
#include "services/Tdm.h"
#include "services/db/DbError.h"
#include "services/report/ParameterMemory.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace tavi {
namespace {

class MemoryTest : public ::testing::Test
{
protected:
    void SetUp() override { file.open(data.adoConn, db::Connection::Kind::Local); }

    bool tableExists()
    {
        try {
            data.adoConn.openQuery(QStringLiteral("select * from TaviLastValues"));
            return true;
        } catch (const db::DbError &) {
            return false;
        }
    }

    test::TestDatabase file;
    Tdm data;
    ParameterMemory memory{data.adoConn, 0};
    QString error;
};

TEST_F(MemoryTest, KeepsTheLastValuesPerReportAndOperatorInATableMadeOnlyWhenAbsent)
{
    EXPECT_TRUE(memory.load(1, QStringLiteral("张三"), &error).isEmpty());
    EXPECT_TRUE(error.isEmpty());
    EXPECT_FALSE(tableExists()) << "reading makes nothing";

    const QList<RememberedValue> first = {
        {QStringLiteral("{1}"), QStringLiteral("日期组合框"), QStringLiteral("上月")},
        {QStringLiteral("{2}"), QStringLiteral("文本型"), QStringLiteral("O'Brien")},
        {QStringLiteral("{5}"), QStringLiteral("按钮文本框"), QStringLiteral("8\n黄军")}};
    ASSERT_TRUE(memory.save(1, QStringLiteral("张三"), first, &error)) << error.toStdString();
    EXPECT_TRUE(tableExists());
    const QList<RememberedValue> other = {
        {QStringLiteral("{1}"), QStringLiteral("日期组合框"), QStringLiteral("今天")}};
    ASSERT_TRUE(memory.save(1, QStringLiteral("李四"), other, &error));
    ASSERT_TRUE(memory.save(2, QStringLiteral("张三"), other, &error));

    EXPECT_EQ(memory.load(1, QStringLiteral("张三")), first);
    EXPECT_EQ(memory.load(1, QStringLiteral("李四")), other);
    EXPECT_EQ(memory.load(2, QStringLiteral("张三")), other);
    EXPECT_TRUE(memory.load(3, QStringLiteral("张三")).isEmpty());

    // A new save replaces the operator's values of that report, and only those.
    ASSERT_TRUE(memory.save(1, QStringLiteral("张三"), other, &error));
    EXPECT_EQ(memory.load(1, QStringLiteral("张三")), other);
    EXPECT_EQ(memory.load(1, QStringLiteral("李四")), other);

    // A table already there, made by another workstation, is used as it is.
    ParameterMemory again(data.adoConn, 0);
    ASSERT_TRUE(again.save(1, QStringLiteral("张三"), first, &error)) << error.toStdString();
    EXPECT_EQ(again.load(1, QStringLiteral("张三")), first);
}

TEST_F(MemoryTest, ARefusedSaveSaysWhyAndKeepsWhatWasThere)
{
    // A table someone made with a rule of their own: it is used, and its refusal is reported.
    data.adoConn.execute(QStringLiteral(
        "create table TaviLastValues(id counter PRIMARY KEY, ReportID int, UserName varchar(50), "
        "CSValue varchar(50), CSLX varchar(50), CSText Text check (CSText <> 'x'))"));
    const QList<RememberedValue> kept = {
        {QStringLiteral("{1}"), QStringLiteral("文本型"), QStringLiteral("王")}};
    ASSERT_TRUE(memory.save(1, QString(), kept, &error)) << error.toStdString();
    const QList<RememberedValue> refused = {
        {QStringLiteral("{1}"), QStringLiteral("文本型"), QStringLiteral("李")},
        {QStringLiteral("{2}"), QStringLiteral("文本型"), QStringLiteral("x")}};
    EXPECT_FALSE(memory.save(1, QString(), refused, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("CHECK"), Qt::CaseInsensitive))
        << error.toStdString();
    EXPECT_EQ(memory.load(1, QString()), kept);
}

}  // namespace
}  // namespace tavi
