#include "tools/ConversionError.h"
#include "tools/SqlToAccess.h"

#include <gtest/gtest.h>

using tavi::ConversionError;
using tavi::ConvertSqlToAcc;

namespace {

struct Conversion
{
    const char *name;
    const char *input;
    const char *output;
};

void PrintTo(const Conversion &c, std::ostream *os)
{
    *os << c.input;
}

class SqlToAccess : public testing::TestWithParam<Conversion>
{};

TEST_P(SqlToAccess, Converts)
{
    const Conversion &c = GetParam();
    EXPECT_EQ(ConvertSqlToAcc(QString::fromUtf8(c.input)).toStdString(), c.output);
}

const Conversion kWorkedExamples[] = {
    {"IsNull", "select isnull(je,0) as je from fjxx",
     "select iif(isnull(je), 0, je)as je from fjxx"},
    {"IsNullAfterComma", "select a.fh, isnull(b.je, 0) as je from fj a left join zd b on a.fh=b.fh",
     "select a.fh,iif(isnull(b.je), 0, b.je)as je from fj a left join zd b on a.fh=b.fh"},
    {"DateDiffByDay", "select datediff(day, rzrq, getdate()) as ts from kr",
     "select datediff('d',rzrq,now( ))as ts from kr"},
    {"KeywordInsideToken", "select fh from t where rq>=dateadd(day,-1,getdate())",
     "select fh from t where rq>=dateadd(day,-1,now())"},
    {"CastToVarchar", "select CAST(id as varchar) + name from t", "select id  + name from t"},
    {"AlreadyConverted", "select iif(isnull(a),0,a) from t where d<getdate()",
     "select iif(isnull(a),0,a) from t where d<now()"},
    {"MonthIsOnlyRejoined", "select dateadd(month,1,rq) from t1",
     "select dateadd(month,1,rq)from t1"},
    {"NestedIsNull", "select isnull(isnull(a,b),0) as x from t",
     "select iif(isnull(iif(isnull(a), b, a)), 0, iif(isnull(a), b, a))as x from t"},
    {"KeywordFirst", "isnull(a,0)", "isnull(a,0)"},
    {"ArgumentOfSeveralTokens", "select isnull(sum(je),0) from t",
     "select iif(isnull(sum), je, sum),0)from t"},
};

const Conversion kEdgeCases[] = {
    {"Empty", "", ""},
    {"Blank", " \r\n\t ", " \r\n\t "},
    {"SpacingKeptWithoutKeyword", "  select a ,   b\r\n from t  ", "  select a ,   b\r\n from t  "},
    {"SpacingLostWithKeyword", "  select isnull(a,0),   'a,  b'  from t \r\n",
     "select iif(isnull(a), 0, a),'a,  b' from t"},
    {"GetDateInCapitals", "select GETDATE() from t", "select now() from t"},
    {"GetDateWithSpace", "select getdate () from t", "select getdate () from t"},
    {"SingleCharacterLastWord", "select isnull(a,0) from t", "select iif(isnull(a), 0, a)from t"},
    {"SpaceAfterKeyword", "select isnull (a,0) from t", "select iif(isnull(a), 0, a)from t"},
    {"KeywordAfterEquals", "select x=isnull(a,0) from t", "select x=isnull(a,0)from t"},
    {"UnitInMixedCase", "select dateadd(Day,1,x) from t", "select dateadd('d',1,x) from t"},
    {"SpaceAfterUnit", "select dateadd(day ,1,x) from t", "select dateadd(day ,1,x)from t"},
    {"IifInsideWord", "select isnull(a,0) from tiif", "select isnull(a,0) from tiif"},
    {"KeywordAsSubstring", "select  isnullflag,  b from t", "select isnullflag,b from t"},
    {"CastWithLengthKept", "select cast(id as varchar(20)) from t",
     "select id as varchar(20)) from t"},
    {"LineBreaksInsideTokens", "select isnull(a,0)\nfrom t", "select iif(isnull(a), 0, a)\nfrom t"},
    {"SeveralRewrites", "select isnull(a,0), datediff(day,b,c) from t",
     "select iif(isnull(a), 0, a),datediff('d',b,c) from t"},
    {"KeywordInCapitals", "SELECT ISNULL(a,0), DATEADD(DAY,1,d) FROM t",
     "SELECT iif(isnull(a), 0, a),DATEADD('d',1,d) FROM t"},
    {"RewriteAtTheEnd", "x isnull(a,0)", "x iif(isnull(a), 0, a)"},
    // Double-byte characters whose GBK trail byte is an ASCII letter (業 = 98 49 "I",
    // 歡 = 9A 67 "g") never lend that letter to a keyword.
    {"TrailByteIsNotPartOfIif", "select isnull(a,0) as 業if from t",
     "select iif(isnull(a), 0, a)as 業if from t"},
    {"TrailByteIsNotPartOfGetDate", "select '歡etdate()' from t", "select '歡etdate()' from t"},
    {"NonAsciiLettersDoNotFold", "select ıif, isnull(a,0) from t",
     "select ıif,iif(isnull(a), 0, a)from t"},
};

// Literals, names, comments and dates are never rewritten, and what they hold never steers a
// rewrite of the code around them: a typed value sits inside a literal.
const Conversion kLiterals[] = {
    {"IsNullInValue", "select * from 客人 where 姓名='a isnull(b' and isnull(x,0)=0",
     "select * from 客人 where 姓名='a isnull(b' and iif(isnull(x), 0, x)=0"},
    {"IsNullInValueBeforeCode", "select isnull(a,0) from 客人 where 姓名='a isnull(b'",
     "select iif(isnull(a), 0, a)from 客人 where 姓名='a isnull(b'"},
    {"DateAddInValue", "select isnull(a,0) from t where 备注 like '%x dateadd(day, 1, y)%'",
     "select iif(isnull(a), 0, a)from t where 备注 like '%x dateadd(day, 1, y)%'"},
    {"BlanksInValue", "select isnull(a,0) from t where 姓名='a  b   c'",
     "select iif(isnull(a), 0, a)from t where 姓名='a  b   c'"},
    {"IifInValue", "select isnull(a,0) from t where 姓名='iif'",
     "select iif(isnull(a), 0, a)from t where 姓名='iif'"},
    {"GetDateInValue", "select 'getdate()', getdate() from t where n='cast(x as varchar)'",
     "select 'getdate()', now() from t where n='cast(x as varchar)'"},
    {"QuotedValue", "select isnull(a,0) from t where n=\"it's isnull(\"",
     "select iif(isnull(a), 0, a)from t where n=\"it's isnull(\""},
    {"Comments", "select isnull(a,0) /* isnull(b,1) */ from t -- it's isnull(c\n",
     "select iif(isnull(a), 0, a)/* isnull(b,1) */ from t -- it's isnull(c"},
    {"BracketName", "select isnull([a b],0) as [isnull(x] from t",
     "select iif(isnull([a b]), 0, [a b])as [isnull(x] from t"},
    {"LiteralAsArgument", "select isnull(n,'a, b') from t",
     "select iif(isnull(n), 'a, b', n)from t"},
    {"Date", "select isnull(a,0) from t where d>#12-11-2026  10:00#",
     "select iif(isnull(a), 0, a)from t where d>#12-11-2026  10:00#"},
};

std::string caseName(const testing::TestParamInfo<Conversion> &info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(WorkedExamples, SqlToAccess, testing::ValuesIn(kWorkedExamples), caseName);
INSTANTIATE_TEST_SUITE_P(EdgeCases, SqlToAccess, testing::ValuesIn(kEdgeCases), caseName);
INSTANTIATE_TEST_SUITE_P(Literals, SqlToAccess, testing::ValuesIn(kLiterals), caseName);

// Each level's call holds the one inside it once: the result grows with the depth only.
// Deep enough that building or releasing the rewrite one stack frame a level would overflow.
TEST(SqlToAccessDepth, DeeplyNestedFallbacksConvert)
{
    const int depth = 200000;
    QString sql = QStringLiteral("select ");
    QString expected = QStringLiteral("select ");
    for (int i = 0; i < depth; ++i) {
        sql += QStringLiteral("isnull(a,");
        expected += QStringLiteral("iif(isnull(a), ");
    }
    sql += u'0';
    expected += u'0';
    for (int i = 0; i < depth; ++i) {
        sql += u')';
        expected += QStringLiteral(", a)");
    }
    sql += QStringLiteral(" from t");
    expected += QStringLiteral("from t");
    EXPECT_EQ(ConvertSqlToAcc(sql), expected);
}

// Each level names the call inside it twice, so the result doubles with every level.
TEST(SqlToAccessDepth, DoublingNestingIsRefused)
{
    QString sql = QStringLiteral("a");
    for (int i = 0; i < 40; ++i)
        sql = QStringLiteral("isnull(") + sql + QStringLiteral(",0)");
    try {
        ConvertSqlToAcc(QStringLiteral("select ") + sql + QStringLiteral(" from t"));
        FAIL() << "converted";
    } catch (const ConversionError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("isnull 嵌套过深"))) << e.what();
    }
}

struct Failure
{
    const char *name;
    const char *input;
    const char *message;
};

class SqlToAccessFailure : public testing::TestWithParam<Failure>
{};

TEST_P(SqlToAccessFailure, RaisesTheListError)
{
    const Failure &f = GetParam();
    try {
        const QString result = ConvertSqlToAcc(QString::fromUtf8(f.input));
        FAIL() << "converted to " << result.toStdString();
    } catch (const ConversionError &e) {
        EXPECT_EQ(e.message().toStdString(), f.message);
        EXPECT_STREQ(e.what(), f.message);
    }
}

const Failure kFailures[] = {
    {"IsNullWithoutClosingParenthesis", "select isnull(a,0", "List index out of bounds (6)"},
    {"DateAddWithoutClosingParenthesis", "select dateadd(day,1,x", "List index out of bounds (8)"},
    {"IsNullAsColumnName", "select isnull, a from t", "List index out of bounds (6)"},
    // The inner rewrite shortens the list under the outer keyword.
    {"KeywordBeforeRewrittenCall", "x isnull isnull(a,b)", "List index out of bounds (3)"},
    {"MarkCharacterInCode", "select isnull(a,0), \uFDD0 from t", "语句含有不能转换的字符 U+FDD0。"},
};

std::string failureName(const testing::TestParamInfo<Failure> &info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(TooCloseToTheEnd, SqlToAccessFailure, testing::ValuesIn(kFailures),
                         failureName);

}  // namespace
