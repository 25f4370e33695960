#include "entry/ConnectDatabase.h"
#include "entry/TaviReportPrint.h"
#include "services/LocalDatabase.h"
#include "services/Messages.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/db/Connection.h"
#include "services/db/Recordset.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUiPlatform.h"
#include "tools/Gbk.h"
#include "ui/WindowRegistry.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

using namespace tavi;

namespace {

struct OptionCase
{
    const char *option;
    const char *mode;
    const char *preFilter;
};

class OptionSplit : public ::testing::TestWithParam<OptionCase>
{};

TEST_P(OptionSplit, SeparatesModeAndPreFilter)
{
    const OptionParts p = splitOption(QString::fromUtf8(GetParam().option));
    EXPECT_EQ(p.modeArg, QString::fromUtf8(GetParam().mode));
    EXPECT_EQ(p.preFilter, QString::fromUtf8(GetParam().preFilter));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionSplit,
    ::testing::Values(OptionCase{"NONULTI:id IN (1,2)", "NONULTI", "id IN (1,2)"},
                      OptionCase{"nonulti:id=1", "nonulti:id=1", ""},
                      OptionCase{"NONULTI", "NONULTI", ""}, OptionCase{"NONULTI:", "NONULTI", ""},
                      OptionCase{"FILTER:fh='101';", "FILTER:fh='101';", ""},
                      OptionCase{"", "", ""}));

// A host directory with a database and the windows replaced by recorders.
class HostCall : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qputenv("TAVI_APP_DIR", dir.path().toUtf8());
        ASSERT_TRUE(CreateAccessDatabase(dir.filePath(QStringLiteral("pelto.mdb"))));
        WindowRegistry::setCentre([this](bool toolbar) {
            calls << QStringLiteral("centre:%1").arg(toolbar);
            return 1;
        });
        WindowRegistry::setRoomState([this] {
            calls << QStringLiteral("roomstate");
            return 1;
        });
        WindowRegistry::setRunner([this](const RunnerRequest &r) {
            calls << QStringLiteral("runner:%1|%2|%3").arg(r.reportId).arg(r.modeArg, r.preFilter);
            return RunnerOutcome{runnerResult, QStringLiteral("12,15")};
        });
    }
    void TearDown() override
    {
        WindowRegistry::setCentre({});
        WindowRegistry::setRoomState({});
        WindowRegistry::setRunner({});
        qunsetenv("TAVI_APP_DIR");
    }

    int call(const QString &title, const QString &option = QString(), int dbType = 0,
             int toolbar = 0)
    {
        const QByteArray t = Gbk::encode(title);
        const QByteArray o = Gbk::encode(option);
        const QByteArray user = Gbk::encode(QStringLiteral("王经理"));
        const QByteArray office = Gbk::encode(QStringLiteral("金陵饭店"));
        return TaviReportPrint(dbType, user.constData(), office.constData(), "ignored",
                               t.constData(), o.constData(), toolbar, &selected);
    }

    void addReport(const QString &title, int type)
    {
        db::Connection c;
        c.openLocal(dir.filePath(QStringLiteral("pelto.mdb")));
        c.execute(QStringLiteral("insert into ReportList(title, Type) values(?, ?)"),
                  {title, type});
    }

    void writeSettings(const QByteArray &text)
    {
        QFile f(dir.filePath(QStringLiteral("Setting.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QTemporaryDir dir;
    test::ScriptedUiPlatform ui;
    QStringList calls;
    int runnerResult = 1;
    char *selected = nullptr;
};

TEST_F(HostCall, BlankTitleOpensTheCentreAfterPreparingTheDatabase)
{
    EXPECT_EQ(call(QStringLiteral("   "), QString(), 0, 1), 0);
    EXPECT_EQ(calls, QStringList{QStringLiteral("centre:1")});
    EXPECT_EQ(session().SysInfo.UserName, QStringLiteral("王经理"));
    EXPECT_EQ(session().SysInfo.OfficeName, QStringLiteral("金陵饭店"));
    EXPECT_EQ(session().SysInfo.AppPath, dir.path() + QLatin1Char('/'));
    EXPECT_EQ(session().SysInfo.CnParamTable, 0);
    EXPECT_EQ(session().SysInfo.DesKey, QStringLiteral("Hb7$Kq2&Mw9%P"));
    EXPECT_EQ(session().GDt_BBT2, QStringLiteral("23:59"));
    db::Connection c;
    c.openLocal(dir.filePath(QStringLiteral("pelto.mdb")));
    EXPECT_EQ(
        c.openQuery(QStringLiteral("select name from ReportLB"))->asString(QStringLiteral("name")),
        QStringLiteral("综合报表"));
    EXPECT_EQ(selected, nullptr);
    EXPECT_EQ(call(QStringLiteral(""), QString(), 0, 7), 0);
    EXPECT_EQ(calls.last(), QStringLiteral("centre:0"));
}

TEST_F(HostCall, RoomStateOnlyForTheExactTitle)
{
    EXPECT_EQ(call(QStringLiteral("未来房态图")), 0);
    EXPECT_EQ(calls, QStringList{QStringLiteral("roomstate")});
    ui.expectMessage(QStringLiteral("找不到报表相关配置！"), UiPlatform::Icon::Information);
    EXPECT_EQ(call(QStringLiteral(" 未来房态图")), 0);
    EXPECT_EQ(calls.size(), 1);
}

TEST_F(HostCall, SelectionReportHandsTheChosenIdsBack)
{
    ASSERT_EQ(call(QStringLiteral("")), 0);
    addReport(QStringLiteral("O'Brien的客人"), 2);
    addReport(QStringLiteral("日报"), 0);
    EXPECT_EQ(call(QStringLiteral("O'Brien的客人"), QStringLiteral("NONULTI:id IN (3)")), 1);
    EXPECT_EQ(calls.last(), QStringLiteral("runner:1|NONULTI|id IN (3)"));
    ASSERT_NE(selected, nullptr);
    EXPECT_STREQ(selected, "12,15");
    std::free(selected);
    selected = nullptr;

    runnerResult = 2;
    EXPECT_EQ(call(QStringLiteral("O'Brien的客人")), 0);
    EXPECT_EQ(selected, nullptr) << "cancel leaves Selected alone";
    runnerResult = 1;
    EXPECT_EQ(call(QStringLiteral("日报"), QStringLiteral("FILTER:a=1;")), 0);
    EXPECT_EQ(calls.last(), QStringLiteral("runner:2|FILTER:a=1;|"));
    EXPECT_EQ(selected, nullptr) << "only selection reports set Selected";
}

TEST_F(HostCall, UnknownTitleOrMissingWindowIsReportedAndReturnsZero)
{
    ui.expectMessage(QStringLiteral("找不到报表相关配置！"));
    EXPECT_EQ(call(QStringLiteral("没有这个报表")), 0);
    WindowRegistry::setCentre({});
    ui.expectMessage(QStringLiteral("没有可显示的窗口"));
    EXPECT_EQ(call(QString()), 0);
    EXPECT_TRUE(calls.isEmpty());
}

TEST_F(HostCall, ConnectionFailureReturnsMinusOneAndTouchesNothing)
{
    writeSettings("[Db]\nAccDbName=missing.mdb\n");
    session().MsgTitle = QStringLiteral("报表中心");
    session().GInt_BBT1 = 5;
    ui.expectMessage(QStringLiteral("数据库连接失败！请确认您的配置正确或与软件供应商联系"));
    EXPECT_EQ(call(QString()), -1);
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("missing.mdb"))));
    EXPECT_EQ(session().GInt_BBT1, 5) << "session values stay as they were";
    EXPECT_EQ(ui.shown().back().caption, QStringLiteral("报表中心")) << "the caption persists";
    EXPECT_TRUE(calls.isEmpty());
    session().MsgTitle.clear();
    session().GInt_BBT1 = 0;
}

TEST_F(HostCall, SettingsPickTheFileTheKeyAndTheServer)
{
    QDir(dir.path()).mkdir(QStringLiteral("数据"));
    ASSERT_TRUE(CreateAccessDatabase(dir.filePath(QStringLiteral("数据/酒店.mdb"))));
    writeSettings(
        Gbk::encode(QStringLiteral("[Db]\r\nAccDbName=数据\\酒店.mdb\r\nAccDbPsw=zz\r\n"
                                   "[Main]\r\nDesFlag=3\r\n")));
    EXPECT_EQ(call(QString()), 0);
    EXPECT_EQ(session().SysInfo.DesKey, QStringLiteral("rmavel_quostin_ad"));
    db::Connection c;
    c.openLocal(dir.filePath(QStringLiteral("数据/酒店.mdb")));
    EXPECT_EQ(c.openQuery(QStringLiteral("select count(*) from ReportLB"))->value(0).toInt(), 1);

    writeSettings("[FrmMain]\nStrDbServer=127.0.0.1,1\nStrDbName=hotel\nStrDbUser=sa\n");
    ui.expectMessage(QStringLiteral("数据库连接失败"));
    EXPECT_EQ(call(QString(), QString(), 1), -1);
    EXPECT_EQ(session().SysInfo.DbType, 1);
}

TEST_F(HostCall, AWindowThatThrowsIsReportedAndTheCallTearsDown)
{
    WindowRegistry::setCentre([](bool) -> int { throw std::runtime_error("window failed"); });
    ui.expectMessage(QStringLiteral("报表中心内部错误：window failed"));
    EXPECT_EQ(call(QString()), 0);
    EXPECT_EQ(session().dm, nullptr) << "the data module is freed on the way out";
}

TEST_F(HostCall, EmptyBusinessTimesFallBackToTheirDefaults)
{
    ASSERT_EQ(call(QString()), 0);
    {
        db::Connection c;
        c.openLocal(dir.filePath(QStringLiteral("pelto.mdb")));
        c.execute(QStringLiteral("create table XTCS(CSMC varchar(50), ZFCS varchar(50))"));
        c.execute(QStringLiteral("insert into XTCS(CSMC) values('GDt_BBT2')"));
        c.execute(QStringLiteral("insert into XTCS(CSMC, ZFCS) values('GDt_BBT1', '06:00')"));
        c.execute(QStringLiteral("insert into XTCS(CSMC, ZFCS) values('GInt_BBT1', '1')"));
    }
    ASSERT_EQ(call(QString()), 0);
    EXPECT_EQ(session().GDt_BBT1, QStringLiteral("06:00"));
    EXPECT_EQ(session().GDt_BBT2, QStringLiteral("23:59"))
        << "a row without a value means the default";
    EXPECT_EQ(session().GInt_BBT1, 1);
    session().GInt_BBT1 = 0;
    session().GDt_BBT1 = QStringLiteral("00:00");
}

struct PathCase
{
    const char *name;
    const char *expected;
};

TEST(ConnectionSettings, FilePathsAndServerStrings)
{
    const PathCase cases[] = {{"", "/app/pelto.mdb"},
                              {"hotel.mdb", "/app/hotel.mdb"},
                              {"data\\hotel.mdb", "/app/data/hotel.mdb"},
                              {"/srv/hotel.mdb", "/srv/hotel.mdb"}};
    for (const PathCase &c : cases)
        EXPECT_EQ(LocalDatabasePath(QStringLiteral("/app/"), QString::fromUtf8(c.name)),
                  QString::fromUtf8(c.expected))
            << c.name;
    EXPECT_EQ(ServerConnectionString(QStringLiteral("db1,1433"), QStringLiteral("hotel"),
                                     QStringLiteral("sa"), QStringLiteral("p;w}")),
              QStringLiteral("DRIVER=FreeTDS;Server=db1;Port=1433;Database=hotel;TDS_Version=7.4;"
                             "ClientCharset=UTF-8;UID=sa;PWD={p;w}}}"));
    EXPECT_EQ(ServerConnectionString(QStringLiteral("db1\\SQLEXPRESS"), QStringLiteral("h"),
                                     QString(), QString()),
              QStringLiteral("DRIVER=FreeTDS;Server=db1\\SQLEXPRESS;Database=h;TDS_Version=7.4;"
                             "ClientCharset=UTF-8;UID=;PWD="));
}

}  // namespace
