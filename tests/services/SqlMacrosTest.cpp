#include "services/Session.h"
#include "services/SqlMacros.h"
#include "services/Tdm.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUiPlatform.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using namespace tavi;

namespace {

QDateTime at(const char *text)
{
    return QDateTime::fromString(QLatin1String(text), QStringLiteral("yyyy-MM-dd HH:mm"));
}

TEST(SqlMarkers, ExtractAndKind)
{
    EXPECT_EQ(ExtractListSql(QStringLiteral("标间")), QString());
    EXPECT_EQ(ExtractListSql(QStringLiteral("x[SQL:select name from t")),
              QStringLiteral("select name from t"));
    EXPECT_EQ(ExtractListSql(QStringLiteral("[SQL: select [name] from t]")),
              QStringLiteral(" select [name"));
    EXPECT_EQ(ExtractListSql(QStringLiteral("[sql:select 1]")), QString());
    EXPECT_EQ(DateListKind(QStringLiteral("[:MONTHLIST:] and [:daylist:]")), 0);
    EXPECT_EQ(DateListKind(QStringLiteral("[:MonthList:]")), 1);
    EXPECT_EQ(DateListKind(QStringLiteral("[:YEARLIST:]")), 2);
    EXPECT_EQ(DateListKind(QStringLiteral("[SQL:select 1]")), -1);
}

TEST(DateLists, DayListMatchesTheWorkedText)
{
    EXPECT_EQ(BuildDateListSql(QStringLiteral("[:DAYLIST:]"), at("2024-03-01 00:00"),
                               at("2024-03-02 00:00")),
              QStringLiteral(
                  "select * from (select '3月1日' as daylist, 0 as iIndex, '2024-03-01 "
                  "00:00:00' as daystart, '2024-03-01 23:59:59' as dayend union select "
                  "'3月2日',1,'2024-03-02 00:00:00', '2024-03-02 23:59:59') aa order by iindex"));
    EXPECT_EQ(BuildDateListSql(QStringLiteral("[:YEARLIST:]"), at("2023-06-01 00:00"),
                               at("2024-01-01 00:00")),
              QStringLiteral(
                  "select * from (select '2023年' as monthlist, 0 as iIndex, '2023-01-01 "
                  "00:00:00' as daystart, '2023-12-31 23:59:59' as dayend union select "
                  "'2024年',1, '2024-01-01 00:00:00', '2024-12-31 23:59:59' ) aa order by iindex"));
    EXPECT_EQ(BuildDateListSql(QStringLiteral("no token"), at("2024-03-01 00:00"),
                               at("2024-03-02 00:00")),
              QString());
}

// The generated statements run, and the rows are the ones the ranges call for.
class DateListRows : public ::testing::Test
{
protected:
    void SetUp() override { m_db.open(conn, db::Connection::Kind::Local); }
    QStringList labels(const QString &sql, QStringList *ends = nullptr)
    {
        const auto rs = conn.openQuery(sql);
        QStringList out;
        for (rs->first(); !rs->eof(); rs->next()) {
            out << db::Recordset::textOf(rs->value(0));
            if (ends)
                *ends << rs->asString(QStringLiteral("dayend"));
        }
        return out;
    }
    test::TestDatabase m_db;
    db::Connection conn;
};

TEST_F(DateListRows, RangesGiveTheirRows)
{
    EXPECT_EQ(labels(BuildDateListSql(QStringLiteral("[:daylist:]"), at("2024-03-01 00:00"),
                                      at("2024-03-03 23:59"))),
              QStringList({"3月1日", "3月2日", "3月3日"}))
        << "a range ending late on 3 March has no column for 4 March";
    EXPECT_EQ(labels(BuildDateListSql(QStringLiteral("[:DAYLIST:]"), at("2024-03-01 00:00"),
                                      at("2024-03-03 00:00")))
                  .size(),
              3);
    QStringList ends;
    EXPECT_EQ(labels(BuildDateListSql(QStringLiteral("[:MONTHLIST:]"), at("2023-12-15 00:00"),
                                      at("2024-02-15 00:00")),
                     &ends),
              QStringList({"23年12月", "24年1月", "24年2月"}));
    EXPECT_EQ(ends.last(), QStringLiteral("2024-02-29 23:59:59"));
    EXPECT_EQ(labels(BuildDateListSql(QStringLiteral("[:MONTHLIST:]"), at("2024-05-31 00:00"),
                                      at("2024-01-01 00:00"))),
              QStringList({"24年5月"}));
    EXPECT_EQ(labels(BuildDateListSql(QStringLiteral("[:DAYLIST:]"), at("2024-12-30 00:00"),
                                      at("2025-01-02 00:00"))),
              QStringList({"12月30日", "12月31日", "1月1日", "1月2日"}));
}

class ListItems : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_db.open(data.adoConn, db::Connection::Kind::Local);
        data.adoConn.execute(
            QStringLiteral("create table t(id counter PRIMARY KEY, name varchar(20))"));
        data.adoConn.execute(QStringLiteral("insert into t(name) values('x')"));
        data.adoConn.execute(QStringLiteral("insert into t(name) values('y z')"));
        session().dm = &data;
    }
    void TearDown() override { session().dm = nullptr; }
    test::TestDatabase m_db;
    test::ScriptedUiPlatform ui;
    Tdm data;
};

TEST_F(ListItems, LinesAndStatementsBecomeCommaText)
{
    EXPECT_EQ(ResolveListItems(QStringLiteral("A\r\n[SQL:select name from t order by id]\r\nB")),
              QStringLiteral("A,x,\"y z\",B"));
    EXPECT_EQ(ResolveListItems(QStringLiteral("标间\n大床房\n")), QStringLiteral("标间,大床房"));
    EXPECT_EQ(ResolveListItems(QStringLiteral("前缀[SQL:select id from t where id>1]后缀")),
              QStringLiteral("2"));
    EXPECT_EQ(ResolveListItems(QString()), QString());
    EXPECT_EQ(ResolveListItems(QStringLiteral("[SQL:select name from t where 1=0]")), QString());
    EXPECT_TRUE(ui.shown().empty());
}

TEST_F(ListItems, FailingStatementIsReportedAndGivesNoItems)
{
    ui.expectMessage(QStringLiteral("下拉框Sql语句select nope from t出错，请检查"));
    EXPECT_EQ(ResolveListItems(QStringLiteral("A\n[SQL:select nope from t]\nB")), QString());
}

}  // namespace
