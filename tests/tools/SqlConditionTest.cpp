#include "support/QtPrinters.h"
#include "tools/SqlCondition.h"

#include <gtest/gtest.h>

using tavi::sqlConditionError;

namespace {

struct ConditionCase
{
    const char *condition;
    const char *why;  ///< a part of the message; empty when the condition passes
};

void PrintTo(const ConditionCase &c, std::ostream *os)
{
    *os << c.condition;
}

class SqlCondition : public testing::TestWithParam<ConditionCase>
{};

TEST_P(SqlCondition, PassesOneConditionOnly)
{
    const QString error = sqlConditionError(QString::fromUtf8(GetParam().condition));
    const QString why = QString::fromUtf8(GetParam().why);
    if (why.isEmpty())
        EXPECT_EQ(error, QString());
    else
        EXPECT_TRUE(error.contains(why)) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SqlCondition,
    testing::Values(ConditionCase{"", ""}, ConditionCase{"id IN (3,5)", ""},
                    ConditionCase{"姓名 like 'a;b%' and [from]=1", ""},
                    ConditionCase{"id in (select id from 客人 where 性别='男')", ""},
                    ConditionCase{"id in (1) -- chosen; rows", ""},
                    ConditionCase{"id in (1); delete from 客人; select 1 as id",
                                  "第 10 个字符处有语句分隔符"},
                    ConditionCase{"id in (1);", "语句分隔符"},
                    ConditionCase{"id in (1) union select 1", "有“union”"},
                    ConditionCase{"1=1 order by 1", "有“order”"},
                    ConditionCase{"1=1) or (1=1", "第 4 个字符处多了一个“)”"},
                    ConditionCase{"(a=1 or (b=2)", "少了 1 个“)”"}, ConditionCase{"a='x", "未结束"},
                    ConditionCase{"a=1 /* x", "未结束"}));

}  // namespace
