#include "entry/UpgradeReportTables.h"
#include "services/Clock.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/report/CommandLineValues.h"
#include "services/report/QueryComposer.h"
#include "services/report/ReportRun.h"
#include "services/report/ReportStore.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUiPlatform.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using namespace tavi;

namespace {

struct Param
{
    const char *value;
    const char *name;
    const char *kind;
    const char *sql;
    const char *list;
    const char *defaultValue;
};

// A database with the definition tables and one report per test.
class Composition : public ::testing::Test
{
protected:
    void SetUp() override
    {
        file.open(data.adoConn, db::Connection::Kind::Local);
        scoped->dm = &data;
        UpgradeReportTables();
    }
    ReportDefinition report(const char *sql, std::initializer_list<Param> params,
                            const char *flags = "", int type = 0)
    {
        data.adoConn.execute(
            QStringLiteral("insert into ReportList(title, sSql, CsList, Type) values(?, ?, ?, ?)"),
            {QStringLiteral("r%1").arg(++reports), QString::fromUtf8(sql), QString::fromUtf8(flags),
             type});
        const int id = data.NextId(QStringLiteral("ReportList")) - 1;
        int sort = 0;
        for (const Param &p : params)
            data.adoConn.execute(
                QStringLiteral("insert into ReportCS(ReportID, CSValue, CSName, CSLX, CSSql, "
                               "CSList, CSDefault, sort) "
                               "values(?, ?, ?, ?, ?, ?, ?, ?)"),
                {id, QString::fromUtf8(p.value), QString::fromUtf8(p.name),
                 QString::fromUtf8(p.kind), QString::fromUtf8(p.sql), QString::fromUtf8(p.list),
                 QString::fromUtf8(p.defaultValue), sort++});
        return ReportStore(session()).load(id);
    }

    static QList<ReportParam> panelParams(int id)
    {
        return ReportStore(session()).params(id, ReportStore::ParamSet::Panel);
    }

    // Composes with NAME=VALUE settings on a database kind; empty when the run stops, with the
    // reason in `lastError`.
    QString compose(const ReportDefinition &def, QStringList sets, int dbType = 1,
                    const QString &mode = QString(), QString *summary = nullptr)
    {
        CommandLineValues values(panelParams(def.id));
        for (const QString &s : sets) {
            QString error;
            EXPECT_TRUE(values.set(s, &error)) << error.toStdString();
        }
        session().SysInfo.DbType = dbType;
        const QList<ReportParam> params =
            ReportStore(session()).params(def.id, ReportStore::ParamSet::All);
        QueryComposer composer(def, params, values, mode);
        const ComposedQuery composed = composer.ComposeSql();
        session().SysInfo.DbType = 0;
        if (summary)
            *summary = composed.conditionText;
        lastError = composed.error;
        return composed.sql;
    }

    test::TestDatabase file;
    test::ScriptedUiPlatform ui;
    Tdm data;
    ScopedClock clock{QDateTime(QDate(2024, 3, 10), QTime(9, 30))};
    ScopedSession scoped;
    int reports = 0;
    QString lastError;
};

TEST_F(Composition, TextAndDateRangeOnBothDatabaseKinds)
{
    const auto def = report("select * from xf where 1=1 {1} {2}",
                            {{"{1}", "客户", "文本型", "and kh like '%{1}%'", "", ""},
                             {"{2}", "日期", "日期组合框", "and rq between {2}", "", ""}});
    QString summary;
    EXPECT_EQ(compose(def, {"客户=张", "日期=今天"}, 1, QString(), &summary),
              QStringLiteral("select * from xf where 1=1 and kh like '%张%' and rq between "
                             "'2024-03-10 00:00:00' and '2024-03-10 23:59:59'"));
    EXPECT_EQ(summary, QStringLiteral(" 客户：张 日期：2024-03-10 00:00至2024-03-10 23:59"));
    EXPECT_EQ(compose(def, {"日期=今天"}, 0),
              QStringLiteral("select * from xf where 1=1  and rq between  #03-10-2024 00:00:00# "
                             "and #03-10-2024 23:59:59#"));
    EXPECT_EQ(compose(def, {"{2}=2024-03-01 08:15..2024-03-02"}, 1),
              QStringLiteral("select * from xf where 1=1  and rq between '2024-03-01 08:15:00' "
                             "and '2024-03-02 23:59:59'"));
}

TEST_F(Composition, ListsRadiosAndChecks)
{
    const auto def =
        report("select * from kr where 1=1 {1} {2} {3} {4}",
               {{"{1}", "房型：", "下拉框", "and fx='{1}' and k={ID1}", "全部\n标间\n大床", "全部"},
                {"{2}", "性别", "单选框", "{男=and xb='1'}{女=and xb='2'}", "男\n女", "男"},
                {"{3}", "在住", "复选框", "and zt=1", "", "是"},
                {"{4}", "备注", "按钮文本框", "and bz is not null", "[客人选择]", ""}});
    EXPECT_EQ(compose(def, {}),
              QStringLiteral("select * from kr where 1=1  and xb='1' and zt=1 and bz is not null"));
    QString summary;
    EXPECT_EQ(
        compose(def, {"房型=大床", "性别=女", "在住=否"}, 1, QString(), &summary),
        QStringLiteral(
            "select * from kr where 1=1 and fx='大床' and k=2 and xb='2'  and bz is not null"));
    EXPECT_EQ(summary, QStringLiteral(" 房型：大床"));
    EXPECT_EQ(QueryComposer::RadioCondition(QStringLiteral("女"), QStringLiteral("{男=a}{女=b}")),
              QStringLiteral("b"));
    EXPECT_EQ(QueryComposer::RadioCondition(QStringLiteral("女"), QStringLiteral("{男=a}{女=b")),
              QString());
    EXPECT_EQ(QueryComposer::RadioCondition(QStringLiteral("其他"), QStringLiteral("{男=a}")),
              QString());
}

TEST_F(Composition, TypedAndListedTextsCannotChangeTheStatement)
{
    const auto def = report("select * from kr where name like '%{2}%' {1} {3}",
                            {{"{1}", "姓名", "文本型", "and xm='{1}'", "", ""},
                             {"{2}", "名", "文本型", "{2}", "", ""},
                             {"{3}", "编号", "文本型", "and id={3}", "", ""}});
    EXPECT_EQ(compose(def, {"姓名=O'Brien", "名=' or 1=1 --", "编号= 42 "}),
              QStringLiteral(
                  "select * from kr where name like '%'' or 1=1 --%' and xm='O''Brien' and id=42"));
    EXPECT_EQ(compose(def, {"编号=1 or 1=1"}), QString());
    EXPECT_EQ(lastError, QStringLiteral("“编号：”的值“1 or 1=1”只能是数字，查询没有执行。"));

    // Items a list statement read are data; the items the author wrote go in as written.
    data.adoConn.execute(QStringLiteral("create table kr(xm varchar(20))"));
    data.adoConn.execute(QStringLiteral("insert into kr(xm) values('O''Brien')"));
    const auto list =
        report("select * from kr where 1=1 {1} {2}",
               {{"{1}", "客人", "下拉框", "and xm='{1}'", "全部\n[SQL:select xm from kr]", "全部"},
                {"{2}", "性别", "下拉框", "and {2}", "全部\n性别=1", "全部"}});
    QString summary;
    EXPECT_EQ(compose(list, {"客人=O'Brien", "性别=性别=1"}, 1, QString(), &summary),
              QStringLiteral("select * from kr where 1=1 and xm='O''Brien' and 性别=1"));
    EXPECT_EQ(summary, QStringLiteral(" 客人：O'Brien 性别：性别=1"))
        << "the summary shows the text as chosen";
}

// Where a value stands is read by a lexer that knows comments, names and both quotes; text
// outside a literal is a number or a list of numbers, whatever the quotes around it suggest.
TEST_F(Composition, ValuesOutsideLiteralsAreNumbersWhateverQuotesCommentsAndNamesSurround)
{
    const struct
    {
        const char *sql;
        const char *value;
        const char *composed;  // empty: refused
    } cases[] = {
        {"select * from kr /* it's */ where id={1}", "0 or 1=1", ""},
        {"select * from kr -- the guest's list\n where id={1}", "0 or 1=1", ""},
        {"select [O'Brien] from kr where id={1}", "0 or 1=1; delete from kr", ""},
        {"select * from kr where id in ({1})", "1, 2,3", "select * from kr where id in (1, 2,3)"},
        {"select * from kr where xm=\"{1}\"", "a\" or \"1\"=\"1",
         "select * from kr where xm=\"a\"\" or \"\"1\"\"=\"\"1\""},
        {"select * from kr where xm='{1}' -- {1}", "7", "select * from kr where xm='7' -- 7"},
        {"select * from kr where xm='{1}'",
         "a\x02"
         "0\x03",
         "select * from kr where xm='a\x02"
         "0\x03'"},
    };
    for (const auto &c : cases) {
        const auto def = report(c.sql, {{"{1}", "值", "文本型", "{1}", "", ""}});
        const QString composed =
            compose(def, {QStringLiteral("值=") + QString::fromUtf8(c.value)}, 0);
        EXPECT_EQ(composed, QString::fromUtf8(c.composed)) << c.sql;
        if (!*c.composed)
            EXPECT_TRUE(lastError.contains(QStringLiteral("只能是数字"))) << c.sql;
    }
}

TEST_F(Composition, ForgedMarkersAndLeftoverPlaceholdersStopTheRunWithAReason)
{
    const auto marked = report(
        "select * from kr where id=\x02"
        "0\x03 {1}",
        {{"{1}", "值", "文本型", "and xm='{1}'", "", ""}});
    EXPECT_EQ(compose(marked, {"值=a"}), QString());
    EXPECT_EQ(lastError, QStringLiteral("查询语句中有不能使用的控制字符，查询没有执行。"));
    const auto plain =
        report("select * from kr where 1=1 {1}", {{"{1}", "值", "文本型", "and xm='{1}'", "", ""}});
    EXPECT_EQ(compose(plain, {"值=a"}, 1, QStringLiteral("FILTER: and 1=1\x02")), QString());
    EXPECT_EQ(lastError, QStringLiteral("查询语句中有不能使用的控制字符，查询没有执行。"));

    const auto leftover = report("select * from kr where 1=1 {1} and id={5} and xm='{5}'",
                                 {{"{1}", "值", "文本型", "and xm='{1}'", "", ""}});
    EXPECT_EQ(compose(leftover, {}), QString());
    EXPECT_EQ(lastError, QStringLiteral("查询语句中的{5}没有对应的查询参数，查询没有执行。"));
}

TEST_F(Composition, NumberParameterTakesNumbersOnly)
{
    const auto def =
        report("select * from fj where 1=1 {1}", {{"{1}", "楼层", "数字型", "and lc={1}", "", ""}});
    EXPECT_EQ(compose(def, {}), QStringLiteral("select * from fj where 1=1 "));
    EXPECT_EQ(compose(def, {"楼层=3"}), QStringLiteral("select * from fj where 1=1 and lc=3"));
    EXPECT_EQ(compose(def, {"楼层=3;drop table fj"}), QString());
    EXPECT_TRUE(lastError.contains(QStringLiteral("不是数字"))) << lastError.toStdString();
}

TEST_F(Composition, RequiredTextFilterSuffixAndBusinessPeriod)
{
    const auto dates = report("select * from xf where 1=1 {1}",
                              {{"{1}", "日期", "日期组合框", "and rq between {1}", "", ""}}, ",2");
    EXPECT_EQ(compose(dates, {}), QString());
    EXPECT_EQ(lastError, QStringLiteral("请至少输入一个查询条件！"));

    const auto def = report("select * from xf where 1=1 {1} {2}",
                            {{"{1}", "营业日[LASTDAY]", "日期型", "and rq='{1}'", "", ""},
                             {"{2}", "客户", "文本型", "and kh='{2}'", "", ""}},
                            ",2");
    QString summary;
    EXPECT_EQ(
        compose(def, {"营业日=2024-03-05", "客户=李"}, 1, QStringLiteral("x FILTER: and lb=3;more"),
                &summary),
        QStringLiteral("select * from xf where 1=1 and rq='2024-03-05' and kh='李' and lb=3"));
    EXPECT_EQ(summary,
              QStringLiteral(
                  " 营业日：2024-03-05 营业期间：2024-03-04 04:00至2024-03-05 04:00 客户：李"));
}

TEST_F(Composition, BusinessDayOverrideGivesWholeDays)
{
    session().GInt_BBT1 = 1;
    session().GDt_BBT1 = QStringLiteral("06:00");
    const auto def = report("select * from xf where 1=1 {1}",
                            {{"{1}", "日期", "日期组合框2", "and rq between {1}", "", ""}});
    QString summary;
    EXPECT_EQ(compose(def, {}, 1, QString(), &summary),
              QStringLiteral("select * from xf where 1=1 and rq between '2024-03-10 00:00:00' and "
                             "'2024-03-10 23:59:59'"));
    EXPECT_EQ(summary, QStringLiteral(" 日期：2024-03-10至2024-03-10"));
    EXPECT_EQ(session().GInt_BBT1, 1) << "the settings come back after the run";
    EXPECT_EQ(session().GDt_BBT1, QStringLiteral("06:00"));
}

TEST_F(Composition, CrossTableDayColumnsRunOnRealData)
{
    data.adoConn.execute(
        QStringLiteral("create table xf(id counter PRIMARY KEY, rq datetime, je money)"));
    for (const char *row :
         {"2024-03-01 10:00:00|100", "2024-03-01 18:00:00|50", "2024-03-03 09:00:00|70"}) {
        const QStringList parts = QString::fromUtf8(row).split(u'|');
        data.adoConn.execute(QStringLiteral("insert into xf(rq, je) values(?, ?)"),
                             {parts[0], parts[1].toDouble()});
    }
    const auto def = report("select count(*) as n {1} from xf where 1=1 {2}",
                            {{"{1}", "[交叉表]", "交叉表",
                              "select sum(je) from xf where rq between {1}", "[:DAYLIST:]", ""},
                             {"{2}", "日期", "日期组合框", "and rq between {2}", "", ""}},
                            ",3");
    CommandLineValues values(panelParams(def.id));
    QString error;
    ASSERT_TRUE(values.set(QStringLiteral("日期=2024-03-01..2024-03-03"), &error));
    ReportRun run(session(), def, values);
    run.buildColumns();
    ASSERT_TRUE(run.columnsFollowDateRange());
    ASSERT_TRUE(run.prepare());
    db::Recordset result(&data.adoConn);
    ASSERT_EQ(run.run(result), ReportRun::Outcome::Ran) << run.finalSql().toStdString();
    EXPECT_EQ(result.fieldNames(),
              QStringList({"n", "Tavi_Field_Tmp00", "Tavi_Field_Tmp01", "Tavi_Field_Tmp02"}));
    EXPECT_EQ(result.asInteger(QStringLiteral("n")), 3);
    EXPECT_EQ(result.asFloat(QStringLiteral("Tavi_Field_Tmp00")), 150);
    EXPECT_EQ(result.asString(QStringLiteral("Tavi_Field_Tmp01")), QString());
    EXPECT_EQ(result.asFloat(QStringLiteral("Tavi_Field_Tmp02")), 70);
    EXPECT_EQ(QueryComposer::crossTableAlias(100), QStringLiteral("Tavi_Field_Tmp100"));
}

TEST_F(Composition, DateListRangeLimits)
{
    const char *lists[] = {"[:DAYLIST:]", "[:MONTHLIST:]", "[:YEARLIST:]"};
    QList<ReportDefinition> defs;
    for (const char *list : lists)
        defs << report("select 1 {2} {1}",
                       {{"{1}", "日期", "日期组合框", "{1}", "", ""},
                        {"{2}", "[交叉表]", "交叉表", ", {2}", list, ""}},
                       ",3");
    const struct
    {
        const char *range;
        int kind;
        bool ok;
        const char *message;
    } cases[] = {{"2024-03-01 00:00..2024-04-01 23:59", 0, true, ""},
                 {"2024-03-01..2024-04-02", 0, false, "查询时间间隔不能超过31天"},
                 {"2024-01-01..2024-12-31", 1, true, ""},
                 {"2024-01-01..2025-01-31", 1, false, "查询时间间隔不能超过12个月"},
                 {"2020-01-01..2025-12-31", 2, false, "查询时间间隔不能超过5年"},
                 {"2024-04-03..2024-03-01", 0, false, "查询时间间隔不能超过31天"}};
    for (const auto &c : cases) {
        CommandLineValues values(panelParams(defs[c.kind].id));
        QString error;
        ASSERT_TRUE(values.set(QStringLiteral("日期=") + QString::fromUtf8(c.range), &error));
        ReportRun run(session(), defs[c.kind], values);
        run.buildColumns();
        ASSERT_TRUE(run.columnsFollowDateRange());
        EXPECT_EQ(run.prepare(), c.ok) << c.range;
        EXPECT_EQ(run.error(), QString::fromUtf8(c.message)) << c.range;
    }
}

TEST_F(Composition, PreFilterAndFailingStatements)
{
    data.adoConn.execute(QStringLiteral("create table kr(id counter PRIMARY KEY, xm varchar(20))"));
    for (const char *name : {"张三", "李四", "王五"})
        data.adoConn.execute(QStringLiteral("insert into kr(xm) values(?)"),
                             {QString::fromUtf8(name)});
    const auto def = report("select * from kr where 1=1", {}, "", 2);
    CommandLineValues values({});
    db::Recordset result(&data.adoConn);
    {
        ReportRun run(session(), def, values, QStringLiteral("NONULTI"),
                      QStringLiteral("id IN (1,3)"));
        ASSERT_EQ(run.run(result), ReportRun::Outcome::Ran);
        EXPECT_EQ(run.finalSql(), QStringLiteral("select * from kr where 1=1 and id IN (1,3)"));
        EXPECT_EQ(result.recordCount(), 2);
    }
    {
        ReportRun run(session(), def, values, QStringLiteral("NONULTI"),
                      QStringLiteral("xm = '李四'"));
        ASSERT_EQ(run.run(result), ReportRun::Outcome::Ran);
        EXPECT_EQ(result.recordCount(), 1);
        EXPECT_EQ(result.asString(QStringLiteral("xm")), QStringLiteral("李四"));
    }
    {
        ReportRun run(session(), def, values);
        EXPECT_TRUE(run.isMultiSelection());
        ASSERT_EQ(run.run(result), ReportRun::Outcome::Ran);
        EXPECT_EQ(run.takeSelectionFlags(), std::vector<bool>(3, false));
    }
    // A pre-filter is one condition: nothing runs when it carries a statement or a clause.
    for (const char *filter : {"id in (1); delete from kr; select 1 as id",
                               "id in (1) union select 1, 'x'", "1=1) or (1=1"}) {
        ReportRun run(session(), def, values, QStringLiteral("NONULTI"), QString::fromUtf8(filter));
        EXPECT_EQ(run.run(result), ReportRun::Outcome::Failed) << filter;
        EXPECT_TRUE(run.error().startsWith(QStringLiteral("过滤条件“") + QString::fromUtf8(filter) +
                                           QStringLiteral("”")))
            << run.error().toStdString();
    }
    EXPECT_EQ(data.adoConn.openQuery(QStringLiteral("select count(*) from kr"))->value(0).toInt(),
              3);
    const auto empty = report(" ", {});
    ReportRun emptyRun(session(), empty, values);
    EXPECT_EQ(emptyRun.run(result), ReportRun::Outcome::Failed);
    EXPECT_TRUE(emptyRun.error().endsWith(QStringLiteral("没有查询语句，查询没有执行。")));
    const auto broken = report("select * from nowhere", {});
    ReportRun run(session(), broken, values);
    EXPECT_EQ(run.run(result), ReportRun::Outcome::Failed);
    EXPECT_TRUE(run.error().contains(QStringLiteral("no such table: nowhere")))
        << run.error().toStdString();
    EXPECT_FALSE(result.isOpen());
}

TEST_F(Composition, ACancelledRunKeepsThePreviousRows)
{
    data.adoConn.execute(QStringLiteral("create table kr(id counter PRIMARY KEY, xm varchar(20))"));
    for (const char *name : {"张三", "李四"})
        data.adoConn.execute(QStringLiteral("insert into kr(xm) values(?)"),
                             {QString::fromUtf8(name)});
    const auto quick = report("select * from kr", {}, "", 2);
    const auto slow = report(
        "with recursive n(i) as (select 1 union all select i + 1 from n "
        "where i < 5000000) select i as id from n where i < 0",
        {}, "", 2);
    CommandLineValues values({});
    db::Recordset result(&data.adoConn);
    ReportRun quickRun(session(), quick, values);
    ASSERT_EQ(quickRun.run(result), ReportRun::Outcome::Ran);
    ASSERT_EQ(result.recordCount(), 2);
    EXPECT_EQ(quickRun.takeSelectionFlags().size(), 2u);

    data.adoConn.setProgress([] { return true; });
    ReportRun slowRun(session(), slow, values);
    EXPECT_EQ(slowRun.run(result), ReportRun::Outcome::Cancelled);
    data.adoConn.setProgress({});
    EXPECT_EQ(result.recordCount(), 2) << "the rows of the last run stay";
    EXPECT_EQ(result.asString(QStringLiteral("xm")), QStringLiteral("张三"));
    EXPECT_TRUE(slowRun.takeSelectionFlags().empty()) << "and no fresh ticks replace the old";
}

}  // namespace
