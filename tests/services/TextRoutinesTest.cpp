#include "services/DbKindSql.h"
#include "services/Session.h"
#include "services/TextRoutines.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tavi;

namespace {

struct PadCase
{
    const char *text;
    int width;
    const char *expected;
};

class PadZerosCase : public ::testing::TestWithParam<PadCase>
{};

TEST_P(PadZerosCase, PadsToWidthInBytes)
{
    EXPECT_EQ(PadZeros(QString::fromUtf8(GetParam().text), GetParam().width),
              QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, PadZerosCase,
                         ::testing::Values(PadCase{"7", 3, "007"}, PadCase{"1234", 3, "1234"},
                                           PadCase{"", 40, "00000000000000000000000000000000000"},
                                           PadCase{"房", 3, "0房"}, PadCase{"-5", 4, "00-5"}));

TEST(NumberRoutines, ReadNumbersAsTheHostDoes)
{
    EXPECT_EQ(IntToZeroStr(5, 2), QStringLiteral("05"));
    EXPECT_EQ(IntToZeroStr(12, 2), QStringLiteral("12"));
    for (const char *yes : {"12", " 12", "-1.5", "+3e2", ".5", "5.", "1E-3"})
        EXPECT_TRUE(IsNumeric(QString::fromUtf8(yes))) << yes;
    for (const char *no : {"", "   ", "12 ", "1,5", "abc", "1e", "--1", "0x10", "."})
        EXPECT_FALSE(IsNumeric(QString::fromUtf8(no))) << no;
    EXPECT_FALSE(IsNumericVariant(QVariant()));
    EXPECT_TRUE(IsNumericVariant(QVariant(2.5)));
    EXPECT_TRUE(IsNumericVariant(QVariant(QStringLiteral("7"))));
    EXPECT_EQ(StrToIntSafe(QStringLiteral("12.5"), 0), 0);
    EXPECT_EQ(StrToIntSafe(QStringLiteral(" 12"), 0), 12);
    EXPECT_EQ(StrToIntSafe(QString(), -1), -1);
    EXPECT_EQ(StrToIntSafe(QStringLiteral("-2147483648"), 0), -2147483648);
    EXPECT_EQ(StrToIntSafe(QStringLiteral("2147483648"), 9), 9);
    EXPECT_EQ(StrToIntSafe(QStringLiteral("1e3"), 4), 4);
}

TEST(TextRoutines, StripSpacesAndTableName)
{
    EXPECT_EQ(StripSpaces(QStringLiteral(" a b\tc ")), QStringLiteral("ab\tc"));
    EXPECT_EQ(StripSpaces(QStringLiteral("\t a b \n")), QStringLiteral("ab"));
    EXPECT_EQ(TableNameFromSql(QStringLiteral("select * from 客户 where 1=1")),
              QStringLiteral("客户"));
    EXPECT_EQ(TableNameFromSql(QStringLiteral("select * from 客户")), QString());
    EXPECT_EQ(TableNameFromSql(QStringLiteral("SELECT a FROM t1 order by a")),
              QStringLiteral("t1"));
    EXPECT_EQ(TableNameFromSql(QStringLiteral("select a from\nt where")), QString());
}

TEST(DbKindSwitches, FollowTheSessionDatabaseKind)
{
    const int saved = session().SysInfo.DbType;
    session().SysInfo.DbType = 1;
    EXPECT_EQ(IdColumnDdl(), QStringLiteral("id int IDENTITY (1, 1) PRIMARY KEY"));
    EXPECT_EQ(MemoColumnDdl(QStringLiteral("sSql")), QStringLiteral("sSql varchar(4000)"));
    EXPECT_EQ(BoolFieldTrue(QStringLiteral("isShow")), QStringLiteral("isShow=1"));
    session().SysInfo.DbType = 0;
    EXPECT_EQ(IdColumnDdl(), QStringLiteral("id counter PRIMARY KEY"));
    EXPECT_EQ(MemoColumnDdl(QStringLiteral("sSql")), QStringLiteral("sSql Text"));
    EXPECT_EQ(BoolFieldTrue(QStringLiteral("isShow")), QStringLiteral("isShow"));
    session().SysInfo.DbType = saved;
}

}  // namespace
