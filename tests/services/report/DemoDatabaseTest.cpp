#include "demo/DemoDatabase.h"
#include "services/Clock.h"
#include "services/DatePeriods.h"
#include "services/Session.h"
#include "services/SqlMacros.h"
#include "services/Tdm.h"
#include "services/crypto/SessionCipher.h"
#include "services/db/DbError.h"
#include "services/report/CommandLineValues.h"
#include "services/report/QueryComposer.h"
#include "services/report/ReportRun.h"
#include "services/report/ReportStore.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUiPlatform.h"
#include "tools/CommaText.h"
#include "tools/SqlToAccess.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <set>

using namespace tavi;

namespace {

const QDateTime kNow(QDate(2024, 3, 10), QTime(9, 30));

// One demo for the whole suite, built on a fixed day; each test opens it as a call would.
class DemoHotel : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        Clock::setFixed(kNow);
        folder = std::make_unique<QTemporaryDir>();
        const QString dir = QDir(folder->path()).filePath(QStringLiteral("hotel"));
        QString error;
        built = DemoDatabase::create(dir, &error);
        buildError = error;
    }
    static void TearDownTestSuite()
    {
        folder.reset();
        Clock::setSource({});
    }

    void SetUp() override
    {
        ASSERT_TRUE(built) << buildError.toStdString();
        Clock::setFixed(kNow);
        scoped->SysInfo.DesKey = QString::fromLatin1(DemoDatabase::kDesKey);
        data.adoConn.openLocal(dir().filePath(QStringLiteral("pelto.mdb")));
        scoped->dm = &data;
    }
    static QDir dir() { return QDir(QDir(folder->path()).filePath(QStringLiteral("hotel"))); }

    QString scalar(const QString &sql)
    {
        const auto rs = data.adoConn.openQuery(sql);
        return rs->isEmpty() ? QString() : db::Recordset::textOf(rs->value(0));
    }
    int count(const char *sql) { return scalar(QString::fromUtf8(sql)).toInt(); }

    struct Definition
    {
        int id;
        QString title;
        QString sql;
        QString flags;
    };
    std::vector<Definition> reports()
    {
        std::vector<Definition> list;
        const auto rs = data.adoConn.openQuery(
            QStringLiteral("select id, title, sSql, CsList from ReportList order by id"));
        for (rs->first(); !rs->eof(); rs->next())
            list.push_back({int(rs->asInteger(QStringLiteral("id"))), rs->asString("title"),
                            rs->asString("sSql"), rs->asString("CsList")});
        return list;
    }
    QList<ReportParam> params(int id, ReportStore::ParamSet set = ReportStore::ParamSet::All)
    {
        return ReportStore(session()).params(id, set);
    }
    int reportId(const char *title)
    {
        return scalar(QStringLiteral("select id from ReportList where title='%1'")
                          .arg(QString::fromUtf8(title)))
            .toInt();
    }

    // Runs a report as the runner does, with the panel's defaults and the given settings.
    // A category tree starts with its root selected.
    std::unique_ptr<db::Recordset> run(int id, const QStringList &sets,
                                       const QueryComposer::Category &category = {true, true, {}})
    {
        const ReportDefinition def = ReportStore(session()).load(id);
        CommandLineValues values(params(id, ReportStore::ParamSet::Panel));
        for (const QString &s : sets) {
            QString error;
            EXPECT_TRUE(values.set(s, &error)) << error.toStdString();
        }
        ReportRun run(session(), def, values);
        run.buildColumns();
        run.setCategory(category);
        auto result = std::make_unique<db::Recordset>(&data.adoConn);
        EXPECT_TRUE(run.prepare()) << run.error().toStdString();
        EXPECT_EQ(run.run(*result), ReportRun::Outcome::Ran)
            << def.title.toStdString() << ": " << run.error().toStdString() << " in "
            << run.finalSql().toStdString();
        return result;
    }

    static std::unique_ptr<QTemporaryDir> folder;
    static bool built;
    static QString buildError;
    ScopedSession scoped;
    test::ScriptedUiPlatform ui;
    Tdm data;
};

std::unique_ptr<QTemporaryDir> DemoHotel::folder;
bool DemoHotel::built = false;
QString DemoHotel::buildError;

TEST_F(DemoHotel, HoldsTheHotelWithDatesInTheLastNinetyDays)
{
    EXPECT_EQ(count("select count(*) from 房间信息"), 30);
    EXPECT_EQ(count("select count(*) from (select distinct 楼层 from 房间信息) t"), 3);
    EXPECT_EQ(count("select count(*) from (select distinct 房型 from 房间信息) t"), 3);
    EXPECT_EQ(count("select count(*) from 客人"), 40);
    EXPECT_EQ(count("select count(*) from (select distinct 姓名 from 客人) t"), 40);
    EXPECT_EQ(count("select count(*) from 客人 where 姓名='O''Brien'"), 1);
    EXPECT_EQ(count("select count(*) from 客人 where 性别<>1 and 性别<>2"), 0);
    EXPECT_GT(count("select count(*) from 住宿"), 100);
    const int bills = count("select count(*) from 账单");
    EXPECT_GE(bills, 200);
    EXPECT_LE(bills, 1000);
    EXPECT_EQ(count("select count(*) from 账单 a left join 住宿 b on a.住宿id=b.id where b.id is "
                    "null"),
              0);
    EXPECT_GE(scalar(QStringLiteral("select min(日期) from 账单")),
              kNow.date().addDays(-90).toString(Qt::ISODate));
    EXPECT_LE(scalar(QStringLiteral("select max(日期) from 账单")),
              kNow.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    EXPECT_GT(count("select count(*) from 账单 where 日期>='2024-03-10'"), 0);
    EXPECT_GT(count("select count(*) from 住宿 where 状态='在住'"), 0);
    EXPECT_EQ(count("select count(*) from 住宿 where 离店日期<=入住日期"), 0);
    for (const char *overlap :
         {"select count(*) from 住宿 a, 住宿 b where a.id<b.id and a.房号=b.房号 and "
          "a.入住日期<b.离店日期 and b.入住日期<a.离店日期",
          "select count(*) from 住宿 a, 住宿 b where a.id<b.id and a.客人id=b.客人id and "
          "a.入住日期<b.离店日期 and b.入住日期<a.离店日期"})
        EXPECT_EQ(count(overlap), 0) << overlap;

    // Three levels of product categories.
    EXPECT_GT(count("select count(*) from 商品类别 a, 商品类别 b, 商品类别 c "
                    "where a.parentid=b.id and b.parentid=c.id and c.parentid=0"),
              0);
    EXPECT_EQ(count("select count(*) from 商品 a left join 商品类别 b on a.类别id=b.id "
                    "where b.id is null"),
              0);

    EXPECT_EQ(count("select count(*) from 管理员 a, dzt b where a.ztid=b.id"),
              count("select count(*) from 管理员"));
    for (const char *row : {"GInt_BBT1=0", "GInt_BBT2=0", "GDt_BBT1=00:00", "GDt_BBT2=23:59"}) {
        const QStringList pair = QString::fromLatin1(row).split(u'=');
        EXPECT_EQ(scalar(QStringLiteral("select ZFCS from XTCS where CSMC='%1'").arg(pair[0])),
                  pair[1]);
    }
    EXPECT_EQ(count("select count(*) from XTCS where CSMC='UserInfo.sSXZDY'"), 1);

    QFile ini(dir().filePath(QStringLiteral("Setting.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("AccDbName=pelto.mdb"));
}

TEST_F(DemoHotel, PhonesDecryptBackAndCanBeSearched)
{
    const auto rs = data.adoConn.openQuery(QStringLiteral("select 电话, 手机 from 客人"));
    ASSERT_EQ(rs->recordCount(), 40);
    for (rs->first(); !rs->eof(); rs->next()) {
        const QString perChar = rs->asString(QStringLiteral("电话"));
        ASSERT_EQ(perChar.size() % 16, 0);
        QString phone;
        for (qsizetype i = 0; i < perChar.size(); i += 16)
            phone += DecryptWithSessionKey(QStringView(perChar).mid(i, 16));
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^0571-8\\d{7}$")).match(phone).hasMatch())
            << phone.toStdString();
        EXPECT_EQ(perChar, EncryptPerChar(phone));
        const QString mobile = DecryptWithSessionKey(rs->asString(QStringLiteral("手机")));
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^13\\d{9}$")).match(mobile).hasMatch())
            << mobile.toStdString();
    }

    // The guest report finds a guest by digits of the phone, through its DESDECRY condition.
    rs->first();
    QString phone;
    const QString perChar = rs->asString(QStringLiteral("电话"));
    for (qsizetype i = 0; i < perChar.size(); i += 16)
        phone += DecryptWithSessionKey(QStringView(perChar).mid(i, 16));
    const auto found = run(reportId("客人资料查询"), {QStringLiteral("电话=") + phone.right(6)});
    ASSERT_GE(found->recordCount(), 1);
    bool hit = false;
    for (found->first(); !found->eof(); found->next())
        hit = hit || found->asString(QStringLiteral("电话")) == perChar;
    EXPECT_TRUE(hit);
}

TEST_F(DemoHotel, DefinitionsUseEveryParameterKindAndColumnFeature)
{
    std::set<QString> kinds;
    const auto rs = data.adoConn.openQuery(QStringLiteral("select distinct CSLX from ReportCS"));
    for (rs->first(); !rs->eof(); rs->next())
        kinds.insert(rs->asString(QStringLiteral("CSLX")));
    const std::set<QString> all = {"文本型",     "数字型", "下拉框",     "单选框",
                                   "复选框",     "日期型", "日期组合框", "日期组合框2",
                                   "按钮文本框", "交叉表", "分类表"};
    EXPECT_EQ(kinds, all);

    EXPECT_GE(count("select count(*) from ReportLB"), 3);
    EXPECT_EQ(count("select count(*) from ReportList where lb not in (select id from ReportLB)"),
              0);
    for (const char *check :
         {"select count(*) from ReportList where Type=1",
          "select count(*) from ReportList where Type=2",
          "select count(*) from ReportList where CsList like '%,1%'",
          "select count(*) from ReportList where CsList like '%,3%'",
          "select count(*) from ReportList where CsList like '%,4%'",
          "select count(*) from ReportField where Field='[交叉表列]' and Title like "
          "'%交叉表列%'",
          "select count(*) from ReportField where FieldFormat='[SQL:DESDECRY]'",
          "select count(*) from ReportField where FieldFormat like '%SQL:select %{1}%'",
          "select count(*) from ReportField where FieldFormat like '%SQL:DESDECRY:select %'",
          "select count(*) from ReportField where Title like '%|%'",
          "select count(*) from ReportField where HJFlag",
          "select count(*) from ReportCS where CSLX='下拉框' and CSList like '全部%SQL:%'",
          "select count(*) from ReportCS where CSLX='单选框' and CSSql like '{%=%}%'",
          "select count(*) from ReportCS where CSLX='交叉表' and CSList='[:DAYLIST:]'",
          "select count(*) from ReportEditField a, ReportList b where a.ReportID=b.id and "
          "b.Type=1"})
        EXPECT_GT(count(check), 0) << check;
    EXPECT_EQ(count("select count(*) from ReportField where not isShow"), 0);
    // The template report's page lies under Report/ beside the database.
    const auto templates =
        data.adoConn.openQuery(QStringLiteral("select MXReportName from ReportList where Type=3"));
    ASSERT_FALSE(templates->isEmpty());
    EXPECT_TRUE(QFile::exists(dir().filePath(QStringLiteral("Report/") +
                                             templates->asString(QStringLiteral("MXReportName")))));
    EXPECT_EQ(count("select count(*) from ReportList where Type=2 and sSql not like 'select id,%'"),
              0);
}

// Each statement with its placeholders replaced by empty texts and by typical conditions,
// converted for the local engine, must open.
TEST_F(DemoHotel, EveryStatementRunsWithEmptyAndSampleConditions)
{
    const QDateTime from(kNow.date().addDays(-6), QTime(0, 0));
    const QDateTime to(kNow.date(), QTime(23, 59));
    const QString range = DateRangeSql(true, from, to);
    for (const Definition &r : reports()) {
        SCOPED_TRACE(r.title.toStdString());
        QString empty = r.sql;
        QString sample = r.sql;
        QList<ReportParam> ps = params(r.id);
        std::stable_partition(ps.begin(), ps.end(), [](const ReportParam &p) {
            return p.cslx == QStringLiteral("交叉表");
        });
        for (const ReportParam &p : ps) {
            const QString &ph = p.csValue;
            QString sql = p.csSql;
            const QStringList items = CommaText::split(ResolveListItems(p.csList));
            const QStringList lines = p.csList.split(u'\n');
            if (p.cslx == QStringLiteral("文本型"))
                sql = sql.replace(QStringLiteral("DESDECRY") + ph,
                                  EncryptPerChar(QStringLiteral("8")))
                          .replace(ph, QStringLiteral("王"));
            else if (p.cslx == QStringLiteral("数字型"))
                sql.replace(ph, QStringLiteral("100"));
            else if (p.cslx == QStringLiteral("下拉框"))
                sql = sql.replace(ph, items.value(1))
                          .replace(QStringLiteral("{ID") + ph.mid(1), QStringLiteral("1"));
            else if (p.cslx == QStringLiteral("单选框"))
                sql = QueryComposer::RadioCondition(lines.value(1), sql);
            else if (p.cslx == QStringLiteral("日期型"))
                sql.replace(ph, kNow.date().toString(Qt::ISODate));
            else if (p.cslx.startsWith(QStringLiteral("日期组合框")))
                sql.replace(ph, range);
            else if (p.cslx == QStringLiteral("分类表") || p.cslx == QStringLiteral("按钮文本框"))
                sql.replace(ph, QStringLiteral("1,4,7"));
            else if (p.cslx == QStringLiteral("交叉表"))
                sql = QStringLiteral(", (%1) as Tavi_Field_Tmp00, (%1) as Tavi_Field_Tmp01")
                          .arg(QString(sql).replace(ph, range));
            ASSERT_FALSE(sql.contains(ph)) << p.cslx.toStdString();
            empty.replace(ph, QString());
            sample.replace(ph, sql);
        }
        for (const QString &statement : {empty, sample}) {
            try {
                data.adoConn.openQuery(ConvertSqlToAcc(statement));
            } catch (const db::DbError &e) {
                ADD_FAILURE() << statement.toStdString() << "\n" << e.message().toStdString();
            }
        }
    }
}

TEST_F(DemoHotel, EveryReportRunsThroughTheRunnerWithItsDefaults)
{
    for (const Definition &r : reports()) {
        SCOPED_TRACE(r.title.toStdString());
        run(r.id, {});
    }
    ui.verify();
    EXPECT_TRUE(ui.shown().empty());
}

TEST_F(DemoHotel, ReportsShowTheHotelsFigures)
{
    // The day list over a week: one column per day, and the totals agree with the bills.
    const auto daily =
        run(reportId("每日营业额"), {QStringLiteral("营业日期=2024-03-04..2024-03-10")});
    const QStringList fields = daily->fieldNames();
    EXPECT_EQ(fields.first(), QStringLiteral("项目"));
    EXPECT_EQ(fields.last(), QStringLiteral("合计"));
    for (int day = 0; day < 7; ++day)
        EXPECT_TRUE(fields.contains(QueryComposer::crossTableAlias(day))) << day;
    double total = 0;
    for (daily->first(); !daily->eof(); daily->next())
        total += daily->asFloat(QStringLiteral("合计"));
    EXPECT_DOUBLE_EQ(total,
                     scalar(QStringLiteral("select sum(金额) from 账单 where 日期 between "
                                           "'2024-03-04 00:00:00' and '2024-03-10 23:59:59'"))
                         .toDouble());
    EXPECT_GT(total, 0);

    // The category tree's choice of 餐饮 and everything below it.
    const auto food =
        run(reportId("商品资料"), {}, {true, false, QStringLiteral("1,4,5,7,8,9,10")});
    EXPECT_EQ(food->recordCount(), 10);

    const auto rooms = run(reportId("房间收入统计"), {QStringLiteral("楼层=3")});
    EXPECT_EQ(rooms->recordCount(), 10);

    const auto stays = run(reportId("客人住宿明细"), {QStringLiteral("入住日期=上月")});
    EXPECT_EQ(stays->recordCount(),
              count("select count(*) from 住宿 where 入住日期 between '2024-02-01 00:00:00' and "
                    "'2024-02-29 23:59:59'"));
    EXPECT_GT(stays->recordCount(), 0);
}

TEST(DemoDatabaseCreate, RefusesAFolderHoldingSettingsOrDatabase)
{
    QTemporaryDir folder;
    const QDir dir(folder.path());
    QFile ini(dir.filePath(QStringLiteral("Setting.ini")));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Db]\nAccDbName=other.mdb\n");
    ini.close();
    QString error;
    EXPECT_FALSE(DemoDatabase::create(folder.path(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("nothing was changed"))) << error.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("pelto.mdb"))));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_EQ(ini.readAll(), QByteArray("[Db]\nAccDbName=other.mdb\n"));
    ini.close();

    ASSERT_TRUE(ini.remove());
    QFile database(dir.filePath(QStringLiteral("pelto.mdb")));
    ASSERT_TRUE(database.open(QIODevice::WriteOnly));
    database.close();
    EXPECT_FALSE(DemoDatabase::create(folder.path(), &error));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("Setting.ini"))));
    EXPECT_EQ(QFileInfo(database).size(), 0);
}

}  // namespace
