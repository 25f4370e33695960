#include "entry/UpgradeReportTables.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/db/DbError.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUiPlatform.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using namespace tavi;

namespace {

// Records every command; every probe fails, as on a server without the tables.
class RecordingEngine : public db::Engine
{
public:
    explicit RecordingEngine(QStringList *log) : m_log(log) {}
    qint64 execute(const QString &sql, const QVariantList &) override
    {
        *m_log << sql;
        return 0;
    }
    std::unique_ptr<db::ResultTable> query(const QString &sql, const QVariantList &) override
    {
        if (sql == QLatin1String("select * from reportlb"))
            return std::make_unique<db::ResultTable>();
        throw db::DbError(QStringLiteral("Invalid object name"));
    }
    QVariant insertRow(const QString &, const QStringList &, const QVariantList &,
                       const QString &) override
    {
        return {};
    }
    int trueValue() const override { return 1; }
    QString productName() const override { return QStringLiteral("recording"); }

private:
    QStringList *m_log;
};

class Upgrade : public ::testing::Test
{
protected:
    void SetUp() override
    {
        saved = session().SysInfo.DbType;
        session().dm = &data;
    }
    void TearDown() override
    {
        session().dm = nullptr;
        session().SysInfo.DbType = saved;
    }
    QString scalar(const QString &sql)
    {
        const auto rs = data.adoConn.openQuery(sql);
        return rs->isEmpty() ? QString() : db::Recordset::textOf(rs->value(0));
    }

    test::TestDatabase file;
    test::ScriptedUiPlatform ui;
    Tdm data;
    int saved = 0;
};

TEST_F(Upgrade, ServerGetsTheExactStatementsInOrder)
{
    session().SysInfo.DbType = 1;
    QStringList log;
    data.adoConn.openWith(std::make_unique<RecordingEngine>(&log), db::Connection::Kind::Server);
    UpgradeReportTables();
    const QStringList expected = {
        "create table ReportList(id int IDENTITY (1, 1) PRIMARY KEY, title varchar(50), lb "
        "int,sSql varchar(4000), groupfield varchar(50), CsList varchar(100), Type int, "
        "AddReportName varchar(50), MXReportName varchar(50))",
        "Alter table ReportList add Type int",
        "update ReportList set Type=0",
        "create table ReportLB(id int IDENTITY (1, 1) PRIMARY KEY, name varchar(50), orderid int)",
        "create table ReportField(id int IDENTITY (1, 1) PRIMARY KEY, ReportID int, Title "
        "varchar(50), Field varchar(50), FieldFormat varchar(250), Width int, HJFlag bit,  "
        "SortID int)",
        "create table ReportCS(id int IDENTITY (1, 1) PRIMARY KEY, ReportID int, CSValue "
        "varchar(50), CSName varchar(50), CSLX varchar(50), CSDefault varchar(250), CSList "
        "varchar(250), CSSql varchar(250), sort int)",
        "alter table ReportCS add sort int",
        "create table ReportEditField(id int IDENTITY (1, 1) PRIMARY KEY, ReportID int, Title "
        "varchar(50), Field varchar(50), LX varchar(30), FieldValue varchar(50), FieldSql "
        "varchar(250), FieldDefault varchar(250), FieldList varchar(250), NoEmpty bit, "
        "CheckExists bit, SortID int)",
        "insert into ReportLB(name, orderid) values('综合报表', 0)",
        "Alter table ReportList add AddReportName varchar(50)",
        "Alter table ReportList Add MXReportName varchar(50)",
        "Alter table ReportList Add BH varchar(50)",
        "Alter table ReportList Add fav int",
        "Alter table ReportField Add isShow bit, isPrint bit, Align int",
        "update ReportField set isShow=1, isPrint=1"};
    EXPECT_EQ(log, expected);
}

TEST_F(Upgrade, NewLocalDatabaseEndsInTheCurrentShapeAndSecondRunChangesNothing)
{
    session().SysInfo.DbType = 0;
    file.open(data.adoConn, db::Connection::Kind::Local);
    UpgradeReportTables();
    EXPECT_TRUE(ui.shown().empty());
    for (const auto &[table, column] : {std::pair{"ReportList", "fav"},
                                        {"ReportList", "BH"},
                                        {"ReportList", "MXReportName"},
                                        {"ReportLB", "orderid"},
                                        {"ReportField", "Align"},
                                        {"ReportField", "isPrint"},
                                        {"ReportCS", "sort"},
                                        {"ReportEditField", "CheckExists"}})
        EXPECT_TRUE(data.FieldExists(QLatin1String(table), QLatin1String(column)))
            << table << column;
    EXPECT_EQ(scalar(QStringLiteral("select name & '/' & orderid from ReportLB")),
              QStringLiteral("综合报表/0"));
    const QString schema =
        scalar(QStringLiteral("select group_concat(sql, ';') from sqlite_master"));
    UpgradeReportTables();
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ReportLB")), QStringLiteral("1"));
    EXPECT_EQ(scalar(QStringLiteral("select group_concat(sql, ';') from sqlite_master")), schema);
}

TEST_F(Upgrade, OldTablesGainTheirColumnsAndEmptyCategoriesTheDefault)
{
    session().SysInfo.DbType = 0;
    file.open(data.adoConn, db::Connection::Kind::Local);
    data.adoConn.execute(QStringLiteral(
        "create table ReportList(id counter PRIMARY KEY, title varchar(50), lb int,sSql Text, "
        "groupfield varchar(50), CsList varchar(100))"));
    data.adoConn.execute(QStringLiteral("insert into ReportList(title) values('日报')"));
    data.adoConn.execute(QStringLiteral(
        "create table ReportField(id counter PRIMARY KEY, ReportID int, Title varchar(50), Field "
        "varchar(50), FieldFormat varchar(250), Width int, HJFlag bit,  SortID int)"));
    data.adoConn.execute(QStringLiteral("insert into ReportField(Title) values('金额')"));
    data.adoConn.execute(QStringLiteral(
        "create table ReportLB(id counter PRIMARY KEY, name varchar(50), orderid int)"));
    UpgradeReportTables();
    EXPECT_EQ(scalar(QStringLiteral("select Type from ReportList where title='日报'")),
              QStringLiteral("0"));
    EXPECT_EQ(scalar(QStringLiteral(
                  "select count(*) from ReportField where isShow and isPrint and Align is null")),
              QStringLiteral("1"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ReportLB")), QStringLiteral("1"));
    data.adoConn.execute(QStringLiteral("delete from ReportLB"));
    UpgradeReportTables();
    EXPECT_EQ(scalar(QStringLiteral("select name from ReportLB")), QStringLiteral("综合报表"));
}

TEST_F(Upgrade, FailingStatementsAreReportedAndTheSequenceGoesOn)
{
    session().SysInfo.DbType = 0;
    file.open(data.adoConn, db::Connection::Kind::Local);
    // A view named like a definition table: creating the table fails, the rest goes on.
    data.adoConn.execute(QStringLiteral("create view ReportCS as select 1 as x"));
    ui.expectMessage(QStringLiteral("执行Sql语句时出错"));  // alter ReportCS add sort
    UpgradeReportTables();
    ui.verify();
    EXPECT_TRUE(data.TableExists(QStringLiteral("ReportEditField")));
    EXPECT_TRUE(data.FieldExists(QStringLiteral("ReportField"), QStringLiteral("isShow")));
}

}  // namespace
