#include "support/QtPrinters.h"
#include "tools/SqlLexer.h"

#include <gtest/gtest.h>

using tavi::SqlContext;
using tavi::SqlDialect;
using tavi::SqlLexer;
using tavi::SqlTokenKind;

namespace {

// Where the placeholder {1} of a statement lies: what a composer asks before it puts a value in.
struct PlaceholderCase
{
    const char *name;
    const char *sql;
    SqlContext context;
    SqlDialect dialect = SqlDialect::Jet;
};

void PrintTo(const PlaceholderCase &c, std::ostream *os)
{
    *os << c.sql;
}

class SqlLexerPlaceholder : public testing::TestWithParam<PlaceholderCase>
{};

TEST_P(SqlLexerPlaceholder, KnowsWhatHoldsIt)
{
    const PlaceholderCase &c = GetParam();
    const QString sql = QString::fromUtf8(c.sql);
    const qsizetype at = sql.indexOf(QLatin1String("{1}"));
    ASSERT_GE(at, 0);
    const SqlLexer lexer(sql, c.dialect);
    EXPECT_EQ(int(lexer.contextAt(at)), int(c.context));
    EXPECT_EQ(int(lexer.contextAt(at + 2)), int(c.context));
    EXPECT_EQ(lexer.isCode(at), c.context == SqlContext::Code);
}

const PlaceholderCase kPlaceholders[] = {
    {"InString", "select * from 客人 where 姓名 like '%{1}%'", SqlContext::String},
    {"AfterApostropheInBlockComment", "select * from 客人 /* it's */ where id={1}",
     SqlContext::Code},
    {"AfterApostropheInLineComment", "select * -- the guest's list\nfrom 客人 where id={1}",
     SqlContext::Code},
    {"AfterApostropheInBracketName", "select [O'Brien] from 客人 where id={1}", SqlContext::Code},
    {"AfterApostropheInQuotedName", "select \"it's\" from t where id={1}", SqlContext::Code},
    {"AfterDoubledQuote", "select 'it''s' from t where id={1}", SqlContext::Code},
    {"InStringAfterDoubledQuote", "where a='it''s {1}'", SqlContext::String},
    {"InQuotedName", "where a=\"x{1}\"", SqlContext::QuotedName},
    {"InBracketName", "select [x{1}] from t", SqlContext::BracketName},
    {"InBlockComment", "select 1 /* {1} */", SqlContext::BlockComment},
    {"InLineComment", "select 1 -- {1}\n", SqlContext::LineComment},
    {"AfterCommentMarksInString", "select '--', '/*' from t where id={1}", SqlContext::Code},
    {"AfterLineComment", "select 1 -- note\nwhere id={1}", SqlContext::Code},
    {"InDate", "where d=#{1}#", SqlContext::Code},
    {"InUnterminatedString", "where a='abc {1}", SqlContext::String},
    {"InUnterminatedComment", "where a=1 /* {1}", SqlContext::BlockComment},
    {"AfterInnerCommentJet", "select 1 /* /* */ {1} */", SqlContext::Code},
    {"InNestedCommentServer", "select 1 /* /* */ {1} */", SqlContext::BlockComment,
     SqlDialect::TransactSql},
    {"AfterBracketNameJet", "select [a]]{1}] from t", SqlContext::Code},
    {"InEscapedBracketNameServer", "select [a]]{1}] from t", SqlContext::BracketName,
     SqlDialect::TransactSql},
    {"TempTableIsNoDateServer", "select # from #t where a='#{1}'", SqlContext::String,
     SqlDialect::TransactSql},
};

std::string placeholderName(const testing::TestParamInfo<PlaceholderCase> &info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, SqlLexerPlaceholder, testing::ValuesIn(kPlaceholders),
                         placeholderName);

TEST(SqlLexer, TokensCoverTheTextInOrder)
{
    const QString sql = QStringLiteral(
        "select [a b], \"c\"\"d\", 'e''f' -- g\n/* h */ from t where d>=#1-2-2026# and x<>1.5;");
    const SqlLexer lexer(sql);
    QString joined;
    std::vector<SqlTokenKind> kinds;
    for (const auto &t : lexer.tokens()) {
        EXPECT_EQ(t.begin, joined.size());
        joined += lexer.text(t);
        if (t.kind != SqlTokenKind::Blank)
            kinds.push_back(t.kind);
    }
    EXPECT_EQ(joined, sql);
    using K = SqlTokenKind;
    const std::vector<K> expected = {K::Word,   K::BracketName, K::Symbol,      K::QuotedName,
                                     K::Symbol, K::String,      K::LineComment, K::BlockComment,
                                     K::Word,   K::Word,        K::Word,        K::Word,
                                     K::Symbol, K::Date,        K::Word,        K::Word,
                                     K::Symbol, K::Number,      K::Symbol};
    EXPECT_EQ(kinds, expected);
    EXPECT_EQ(lexer.text(lexer.tokens()[size_t(lexer.tokenIndexAt(sql.indexOf(u'<')))]),
              QStringLiteral("<>"));
    EXPECT_EQ(lexer.tokenIndexAt(-1), -1);
    EXPECT_EQ(lexer.tokenIndexAt(sql.size()), -1);
}

TEST(SqlLexer, ClosingQuoteIsTheOneToDouble)
{
    const QString sql = QStringLiteral("'a' \"b\" [c] d /*e*/");
    const SqlLexer lexer(sql);
    EXPECT_EQ(lexer.closingQuoteAt(1), QChar(u'\''));
    EXPECT_EQ(lexer.closingQuoteAt(5), QChar(u'"'));
    EXPECT_EQ(lexer.closingQuoteAt(9), QChar(u']'));
    EXPECT_TRUE(lexer.closingQuoteAt(12).isNull());
    EXPECT_TRUE(lexer.closingQuoteAt(17).isNull());
}

struct StatementCase
{
    const char *sql;
    qsizetype secondStatement;
    qsizetype unterminated;
};

void PrintTo(const StatementCase &c, std::ostream *os)
{
    *os << c.sql;
}

class SqlLexerStatements : public testing::TestWithParam<StatementCase>
{};

TEST_P(SqlLexerStatements, FindsASecondStatementAndOpenEnds)
{
    const SqlLexer lexer(QString::fromUtf8(GetParam().sql));
    EXPECT_EQ(lexer.secondStatementAt(), GetParam().secondStatement);
    EXPECT_EQ(lexer.unterminatedAt(), GetParam().unterminated);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SqlLexerStatements,
    testing::Values(StatementCase{"select 1", -1, -1}, StatementCase{"select 1;", -1, -1},
                    StatementCase{"select 1 ; ;  -- done\n/* */ ", -1, -1},
                    StatementCase{"select 1; delete from t", 8, -1},
                    StatementCase{"id in (1); delete from 客人; select 1 as id", 9, -1},
                    StatementCase{"select ';x' from t", -1, -1},
                    StatementCase{"select [a;b] from t /* ; x */ -- ; y", -1, -1},
                    StatementCase{"select 'a; delete", -1, 7}, StatementCase{"select \"a", -1, 7},
                    StatementCase{"select [a", -1, 7}, StatementCase{"select 1 /* x", -1, 9},
                    StatementCase{"select 1;/* */select 2 /*", 8, 23}));

}  // namespace
