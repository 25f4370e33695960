#include "services/Clock.h"
#include "services/db/Connection.h"
#include "services/db/DbError.h"
#include "services/db/Recordset.h"
#include "support/TestDatabase.h"

#include <sqlite3.h>
#include <QFile>
#include <QFileInfo>
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tavi;
using namespace tavi::db;

namespace {

class LocalEngine : public ::testing::Test
{
protected:
    void SetUp() override { m_db.open(conn, Connection::Kind::Local); }

    QString scalar(const QString &sql)
    {
        const auto rs = conn.openQuery(sql);
        EXPECT_FALSE(rs->isEmpty()) << sql.toStdString();
        return rs->isEmpty() ? QString() : Recordset::textOf(rs->value(0));
    }

    test::TestDatabase m_db;
    Connection conn;
};

struct DdlCase
{
    const char *name;
    const char *create;
    const char *insert;
    const char *readBack;
    const char *expected;
};

class DefinitionDdl : public LocalEngine, public ::testing::WithParamInterface<DdlCase>
{};

TEST_P(DefinitionDdl, CreatesTableThatTakesAndReturnsARow)
{
    const DdlCase &c = GetParam();
    conn.execute(QString::fromUtf8(c.create));
    conn.execute(QString::fromUtf8(c.insert));
    EXPECT_EQ(scalar(QString::fromUtf8(c.readBack)), QString::fromUtf8(c.expected));
}

// The create statements the definition tables and package files send, exactly as written.
INSTANTIATE_TEST_SUITE_P(
    AccessStatements, DefinitionDdl,
    ::testing::Values(
        DdlCase{"ReportList",
                "create table ReportList(id counter PRIMARY KEY, title varchar(50), lb int,sSql "
                "Text, groupfield varchar(50), CsList varchar(100), Type int, AddReportName "
                "varchar(50), MXReportName varchar(50))",
                "insert into ReportList(title, lb, sSql, Type) values('客房日报', 1, 'select * "
                "from kf where rq>={1}', 0)",
                "select title & '|' & sSql & '|' & id from ReportList",
                "客房日报|select * from kf where rq>={1}|1"},
        DdlCase{"ReportLB",
                "create table ReportLB(id counter PRIMARY KEY, name varchar(50), orderid int)",
                "insert into ReportLB(name, orderid) values('综合报表', 0)",
                "select name & orderid from reportlb where NAME='综合报表'", "综合报表0"},
        DdlCase{"ReportField",
                "create table ReportField(id counter PRIMARY KEY, ReportID int, Title "
                "varchar(50), Field varchar(50), FieldFormat varchar(250), Width int, HJFlag "
                "bit,  SortID int)",
                "insert into ReportField(ReportID, Title, HJFlag) values(3, '金额', true)",
                "select HJFlag from ReportField where HJFlag", "True"},
        DdlCase{"ReportCS",
                "create table ReportCS(id counter PRIMARY KEY, ReportID int, CSValue "
                "varchar(50), CSName varchar(50), CSLX varchar(50), CSDefault varchar(250), "
                "CSList varchar(250), CSSql varchar(250), sort int)",
                "insert into ReportCS(ReportID, CSValue, CSLX) values(1, '{1}', '日期型')",
                "select CSValue & CSLX from ReportCS", "{1}日期型"},
        DdlCase{"ReportEditField",
                "create table ReportEditField(id counter PRIMARY KEY, ReportID int, Title "
                "varchar(50), Field varchar(50), LX varchar(30), FieldValue varchar(50), "
                "FieldSql varchar(250), FieldDefault varchar(250), FieldList varchar(250), "
                "NoEmpty bit, CheckExists bit, SortID int)",
                "insert into ReportEditField(Title, NoEmpty, CheckExists) values('姓名', 1, 0)",
                "select NoEmpty & ',' & CheckExists from ReportEditField", "-1,0"},
        DdlCase{"PackageReportList",
                "create table ReportList(id int, title varchar(50),lb int, ssql text, CsList "
                "varchar(100), groupfield varchar(50), Type int, bh varchar(50))",
                "insert into ReportList(id, title, bh) values(7, 'a', '001')",
                "select id & bh from ReportList", "7001"},
        DdlCase{"PackageReportField",
                "create table ReportField(id counter PRIMARY KEY, ReportID int, Title "
                "varchar(50), Field varchar(50), FieldFormat varchar(50), Width int, HJFlag bit,  "
                "SortID int, isShow bit, isPrint bit, Align int)",
                "insert into ReportField(Title, isShow, isPrint) values('x', true, false)",
                "select isShow & ',' & isPrint from ReportField where isShow", "-1,0"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(LocalEngine, AlterTableAddsSeveralColumnsInOneStatement)
{
    conn.execute(
        QStringLiteral("create table ReportField(id counter PRIMARY KEY, Title varchar(50))"));
    conn.execute(QStringLiteral("insert into ReportField(Title) values('a')"));
    conn.execute(QStringLiteral("Alter table ReportField Add isShow bit, isPrint bit, Align int"));
    conn.execute(QStringLiteral("update ReportField set isShow=1, isPrint=1"));
    EXPECT_EQ(scalar(QStringLiteral(
                  "select isShow & isPrint & '/' & Align from ReportField where isShow")),
              QStringLiteral("-1-1/"));
    const auto rs = conn.openQuery(QStringLiteral("select * from ReportField"));
    EXPECT_EQ(rs->field(rs->fieldIndex(QStringLiteral("isShow"))).kind, FieldKind::Boolean);
    EXPECT_EQ(rs->field(rs->fieldIndex(QStringLiteral("Align"))).kind, FieldKind::Integer);

    conn.execute(QStringLiteral("Alter table ReportField Add MXReportName varchar(50)"));
    conn.execute(QStringLiteral("alter table ReportField add column fav int"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ReportField where fav is null and "
                                    "MXReportName is null")),
              QStringLiteral("1"));
}

TEST_F(LocalEngine, AlterTableAddingSeveralColumnsIsWholeOrNothing)
{
    conn.execute(QStringLiteral("create table ReportField(id counter PRIMARY KEY, isShow bit)"));
    EXPECT_THROW(conn.execute(QStringLiteral(
                     "Alter table ReportField Add Align int, isShow bit, isPrint bit")),
                 DbError);
    const auto rs = conn.openQuery(QStringLiteral("select * from ReportField"));
    EXPECT_EQ(rs->fieldCount(), 2);
    // Inside the caller's transaction the failed statement takes back only its own parts.
    conn.execute(QStringLiteral("begin"));
    conn.execute(QStringLiteral("Alter table ReportField Add Align int"));
    EXPECT_THROW(conn.execute(QStringLiteral("Alter table ReportField Add isPrint bit, Align int")),
                 DbError);
    conn.execute(QStringLiteral("commit"));
    EXPECT_EQ(conn.openQuery(QStringLiteral("select * from ReportField"))->fieldCount(), 3);
}

TEST_F(LocalEngine, CounterKeysNumberNewRows)
{
    conn.execute(QStringLiteral("create table t(id counter PRIMARY KEY, name varchar(20))"));
    for (int i = 0; i < 3; ++i)
        conn.execute(QStringLiteral("insert into t(name) values('x')"));
    conn.execute(QStringLiteral("delete from t where id=3"));
    conn.execute(QStringLiteral("insert into t(name) values('y')"));
    // Like Access, a deleted number is not given out again.
    EXPECT_EQ(scalar(QStringLiteral("select max(id) from t")), QStringLiteral("4"));
    const auto rs = conn.openQuery(QStringLiteral("select * from t"));
    EXPECT_TRUE(rs->field(0).autoIncrement);
    EXPECT_FALSE(rs->field(1).autoIncrement);
}

TEST_F(LocalEngine, DateLiteralsCompareWithStoredDateTimes)
{
    conn.execute(QStringLiteral("create table kf(id counter PRIMARY KEY, rq datetime)"));
    conn.execute(QStringLiteral("insert into kf(rq) values('2026-12-10 23:59:59')"));
    conn.execute(QStringLiteral("insert into kf(rq) values('2026-12-11 00:00:00')"));
    conn.execute(QStringLiteral("insert into kf(rq) values('2026-12-11 18:30:00')"));
    conn.execute(QStringLiteral("insert into kf(rq) values('2026-12-12 00:00:00')"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from kf where rq between #12-11-2026 "
                                    "00:00:00# and #12-11-2026 23:59:59#")),
              QStringLiteral("2"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from kf where rq >= #12/11/2026#")),
              QStringLiteral("3"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from kf where rq < #2026-12-11 18:30#")),
              QStringLiteral("2"));
    const auto rs = conn.openQuery(QStringLiteral("select rq from kf order by rq"));
    EXPECT_EQ(rs->field(0).kind, FieldKind::DateTime);
    EXPECT_EQ(rs->asDateTime(QStringLiteral("rq")),
              QDateTime(QDate(2026, 12, 10), QTime(23, 59, 59)));
}

TEST_F(LocalEngine, JetExpressionsOutsideLiteralsOnly)
{
    conn.execute(
        QStringLiteral("create table g(id counter PRIMARY KEY, name varchar(20), "
                       "memo Text, paid bit)"));
    conn.execute(
        QStringLiteral("insert into g(name, memo, paid) values('O''Brien', 'a & b "
                       "#1-1-2000#', true)"));
    // The ampersand and the #…# inside the literal are text, not operators.
    EXPECT_EQ(scalar(QStringLiteral("select memo from g")), QStringLiteral("a & b #1-1-2000#"));
    EXPECT_EQ(scalar(QStringLiteral("select name & \"-\" & paid from g where paid = true")),
              QStringLiteral("O'Brien--1"));
    // Case-insensitive comparison of texts, as in Access.
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from g where name = 'o''brien'")),
              QStringLiteral("1"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from g where name like 'O''B%'")),
              QStringLiteral("1"));
    EXPECT_EQ(scalar(QStringLiteral("select top 1 name from g order by name")),
              QStringLiteral("O'Brien"));
    EXPECT_EQ(scalar(QStringLiteral("select iif(isnull(memo), 'none', left(name, 1) & "
                                    "right(name, 2)) from g")),
              QStringLiteral("Oen"));
}

TEST_F(LocalEngine, PlusJoinsTextsAndAddsNumbersAsJetDoes)
{
    conn.execute(
        QStringLiteral("create table k(id counter PRIMARY KEY, xm varchar(20), fh varchar(5), "
                       "rq datetime, n int)"));
    conn.execute(QStringLiteral(
        "insert into k(xm, fh, rq, n) values('张三', '101', '2026-12-10 08:00:00', 5)"));
    const struct
    {
        const char *expression;
        const char *expected;
    } cases[] = {{"xm + '(' + fh + ')'", "张三(101)"},
                 {"n + 1", "6"},
                 {"10 - 3 + 2", "9"},
                 {"2 * 3 + 4 * 5", "26"},
                 {"fh + 1", "102"},
                 {"id + xm", "1张三"},
                 {"rq + 1", "2026-12-11 08:00:00"},
                 {"rq + 0.5", "2026-12-10 20:00:00"},
                 {"'a' + null", ""},
                 {"1.5 + 1", "2.5"}};
    for (const auto &c : cases)
        EXPECT_EQ(scalar(QStringLiteral("select ") + QString::fromUtf8(c.expression) +
                         QStringLiteral(" from k")),
                  QString::fromUtf8(c.expected))
            << c.expression;
}

TEST_F(LocalEngine, BooleansAreStoredAsMinusOneWhateverTheStatementWrites)
{
    conn.execute(QStringLiteral("create table b(id counter PRIMARY KEY, f bit)"));
    conn.execute(QStringLiteral("insert into b(f) values(1)"));
    conn.execute(QStringLiteral("insert into b(f) values(0)"));
    conn.execute(QStringLiteral("insert into b(f) values(null)"));
    EXPECT_EQ(scalar(QStringLiteral("select group_concat(coalesce(f, 'n')) from b")),
              QStringLiteral("-1,0,n"));
    conn.execute(QStringLiteral("update b set f=5 where id=2"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from b where f=-1")), QStringLiteral("2"));
}

TEST_F(LocalEngine, ComputedColumnsTakeTheirKindFromTheValues)
{
    conn.execute(QStringLiteral("create table m(id counter PRIMARY KEY, je money, rq datetime)"));
    conn.execute(QStringLiteral("insert into m(je, rq) values(12.5, '2026-01-02 03:04:05')"));
    conn.execute(QStringLiteral("insert into m(je, rq) values(7, '2026-01-03 00:00:00')"));
    const auto rs = conn.openQuery(QStringLiteral(
        "select je, sum(je) as s, count(*) as n, max(rq) as last, 'x' as t, null as z from m"));
    EXPECT_EQ(rs->field(0).kind, FieldKind::Currency);
    EXPECT_EQ(rs->field(1).kind, FieldKind::Float);
    EXPECT_EQ(rs->field(2).kind, FieldKind::Integer);
    EXPECT_EQ(rs->field(3).kind, FieldKind::DateTime);
    EXPECT_EQ(rs->field(4).kind, FieldKind::Text);
    EXPECT_EQ(rs->field(5).kind, FieldKind::Text);
    EXPECT_DOUBLE_EQ(rs->asFloat(QStringLiteral("s")), 19.5);
    EXPECT_EQ(rs->asString(QStringLiteral("last")), QStringLiteral("2026-01-03"));
    EXPECT_EQ(rs->asString(QStringLiteral("z")), QString());
    EXPECT_EQ(rs->asInteger(QStringLiteral("z")), 0);
}

TEST_F(LocalEngine, ComputedTextStaysAsWritten)
{
    conn.execute(QStringLiteral("create table m(id counter PRIMARY KEY, rq datetime)"));
    conn.execute(QStringLiteral("insert into m(rq) values('2024-12-11 13:05:00')"));
    conn.execute(QStringLiteral("insert into m(rq) values('2024-12-12 00:00:00')"));
    const auto rs = conn.openQuery(QStringLiteral(
        "select format(rq, 'yyyy-mm-dd hh:nn') as f, '2026-01-01 08:00' as lit, "
        "cstr(id) & '' as c, format(rq, 'yyyy-mm-dd') as d, rq + 1 as moved from m order by id"));
    const struct
    {
        const char *field;
        FieldKind kind;
        const char *first;
        const char *second;
    } expected[] = {{"f", FieldKind::Text, "2024-12-11 13:05", "2024-12-12 00:00"},
                    {"lit", FieldKind::Text, "2026-01-01 08:00", "2026-01-01 08:00"},
                    {"c", FieldKind::Text, "1", "2"},
                    {"d", FieldKind::Text, "2024-12-11", "2024-12-12"},
                    // Values in the stored form are date-times, shown as such.
                    {"moved", FieldKind::DateTime, "2024-12-12 13:05:00", "2024-12-13"}};
    for (const auto &e : expected) {
        const QString name = QString::fromLatin1(e.field);
        EXPECT_EQ(rs->field(rs->fieldIndex(name)).kind, e.kind) << e.field;
        rs->first();
        EXPECT_EQ(rs->asString(name), QString::fromUtf8(e.first)) << e.field;
        rs->next();
        EXPECT_EQ(rs->asString(name), QString::fromUtf8(e.second)) << e.field;
    }
}

TEST_F(LocalEngine, ErrorsCarryTheEngineMessage)
{
    try {
        conn.openQuery(QStringLiteral("select * from nowhere"));
        FAIL() << "no error";
    } catch (const DbError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("no such table: nowhere")))
            << e.message().toStdString();
    }
    EXPECT_THROW(conn.execute(QString()), DbError);
    EXPECT_THROW(conn.execute(QStringLiteral("create tabel x(a int)")), DbError);
}

TEST_F(LocalEngine, AQueryRunsOneStatementOnly)
{
    conn.execute(QStringLiteral("create table 客人(id counter PRIMARY KEY, 姓名 varchar(20))"));
    conn.execute(QStringLiteral("insert into 客人(姓名) values('张三')"));
    try {
        conn.openQuery(
            QStringLiteral("select * from 客人 where id in (1); delete from 客人; "
                           "select 1 as id"));
        FAIL() << "stacked statements ran";
    } catch (const DbError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("第 33 个字符的“;”")))
            << e.message().toStdString();
    }
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 客人")), QStringLiteral("1"));
    // A closing separator, and separators inside literals and comments, are no second statement.
    EXPECT_EQ(scalar(QStringLiteral("select 姓名 from 客人 where 姓名<>'a;b' /* ; */ ; -- x")),
              QStringLiteral("张三"));
}

// A table the adapter did not make compares texts with case; Jet statements on it do not.
TEST(LocalEngineHostTables, TextComparisonsIgnoreLetterCase)
{
    test::TestDatabase db;
    sqlite3 *raw = nullptr;
    ASSERT_EQ(sqlite3_open(db.path().toUtf8().constData(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw,
                           "create table ReportList(id integer primary key, title text);"
                           "create index ReportListTitle on ReportList(title);"
                           "insert into ReportList(title) values('Guest List'), ('Bills'), ('x');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    Connection conn;
    conn.openLocal(db.path());
    const auto count = [&](const char *where) {
        return conn
            .openQuery(QStringLiteral("select count(*) from ReportList where ") +
                       QString::fromUtf8(where))
            ->value(0)
            .toInt();
    };
    EXPECT_EQ(count("title = 'guest list'"), 1);
    EXPECT_EQ(count("'GUEST LIST' = title"), 1);
    EXPECT_EQ(count("title <> 'GUEST list'"), 2);
    EXPECT_EQ(count("title > 'c' and title < 'H'"), 1);
    EXPECT_EQ(count("title in ('BILLS', 'X')"), 2);
    EXPECT_EQ(count("title not in ('BILLS', 'X')"), 1);
    EXPECT_EQ(count("title between 'A' and 'C'"), 1);
    EXPECT_EQ(count("title like 'guest%'"), 1);
    EXPECT_EQ(count("id in (select id from ReportList where title = 'bills')"), 1);
    conn.execute(QStringLiteral("update ReportList set title = 'BILLS' where title = 'bills'"));
    EXPECT_EQ(count("title = 'BILLS'"), 1);
}

TEST(LocalEngineOpen, MissingOrForeignFilesFailWithTheEngineMessage)
{
    test::TestDatabase db;
    Connection conn;
    try {
        conn.openLocal(db.path());
        FAIL() << "a missing file opened";
    } catch (const DbError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("unable to open database file")));
        EXPECT_TRUE(e.message().contains(QStringLiteral("test.mdb")));
    }
    EXPECT_FALSE(QFile::exists(db.path()));

    QFile junk(db.path());
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.close();
    try {
        conn.openLocal(db.path());
        FAIL() << "an empty file opened";
    } catch (const DbError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("空文件（0 字节）")))
            << e.message().toStdString();
    }
    EXPECT_EQ(QFileInfo(db.path()).size(), 0);
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, 'J'));
    junk.close();
    try {
        conn.openLocal(db.path());
        FAIL() << "a file that is no database opened";
    } catch (const DbError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("not a database")))
            << e.message().toStdString();
    }
}

}  // namespace

namespace {

TEST(LocalEngineProgress, ALongStatementCanBeCancelled)
{
    test::TestDatabase db;
    Connection conn;
    conn.openLocal(db.path(), true);
    int calls = 0;
    conn.setProgress([&calls] { return ++calls >= 3; });
    const QString slow = QStringLiteral(
        "with recursive n(i) as (select 1 union all select i + 1 from n where i < 10000000) "
        "select count(*) from n");
    try {
        conn.openQuery(slow);
        FAIL() << "the statement ran to its end";
    } catch (const DbError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("查询已取消"));
    }
    EXPECT_EQ(calls, 3);
    conn.setProgress({});
    EXPECT_EQ(conn.openQuery(QStringLiteral("select 1+1"))->value(0).toInt(), 2)
        << "the connection works on after a cancel";
}

}  // namespace
