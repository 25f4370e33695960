#include "services/IniFile.h"
#include "services/LocalDatabase.h"
#include "services/Session.h"
#include "services/Settings.h"
#include "services/SysParams.h"
#include "services/Tdm.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUiPlatform.h"
#include "support/TestDatabase.h"
#include "tools/Gbk.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

using namespace tavi;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const char *const kIni =
    "; host settings\r\n[Db]\r\nAccDbName = 数据\\酒店.mdb\r\nAccDbPsw=\r\n"
    "[FrmMain]\r\nstrdbserver=\"srv,1433\"\r\n[Main]\r\nDesFlag=3\r\n";

TEST(ReadSetting, ReadsGbkAndUtf8FilesAndFallsBackToDefaults)
{
    QTemporaryDir dir;
    const QString saved = session().SysInfo.IniFileName;
    session().SysInfo.IniFileName = dir.filePath(QStringLiteral("Setting.ini"));
    const QByteArray withBom = QByteArray("\xEF\xBB\xBF") + QByteArray(kIni);
    for (const QByteArray &bytes :
         std::vector<QByteArray>{Gbk::encode(QString::fromUtf8(kIni)), QByteArray(kIni), withBom}) {
        writeFile(session().SysInfo.IniFileName, bytes);
        EXPECT_EQ(ReadSetting(QStringLiteral("Db"), QStringLiteral("AccDbName"), QString()),
                  QStringLiteral("数据\\酒店.mdb"));
        EXPECT_EQ(ReadSetting(QStringLiteral("frmmain"), QStringLiteral("StrDbServer"), QString()),
                  QStringLiteral("srv,1433"));
        EXPECT_EQ(
            ReadSetting(QStringLiteral("Db"), QStringLiteral("AccDbPsw"), QStringLiteral("x")),
            QString())
            << "a present empty value is not the default";
        EXPECT_EQ(ReadSetting(QStringLiteral("Db"), QStringLiteral("Missing"), QStringLiteral("d")),
                  QStringLiteral("d"));
        EXPECT_EQ(
            ReadSetting(QStringLiteral("Nope"), QStringLiteral("DesFlag"), QStringLiteral("0")),
            QStringLiteral("0"));
    }
    QFile::remove(session().SysInfo.IniFileName);
    EXPECT_EQ(ReadSetting(QStringLiteral("Main"), QStringLiteral("DesFlag"), QStringLiteral("0")),
              QStringLiteral("0"));
    session().SysInfo.IniFileName = dir.path();  // a folder cannot be read as a file
    EXPECT_EQ(ReadSetting(QStringLiteral("Main"), QStringLiteral("DesFlag"), QStringLiteral("0")),
              QStringLiteral("0"));
    session().SysInfo.IniFileName = saved;
}

class SysParamTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_db.open(data.adoConn, db::Connection::Kind::Local);
        session().dm = &data;
        saved = session().SysInfo.CnParamTable;
    }
    void TearDown() override
    {
        session().dm = nullptr;
        session().SysInfo.CnParamTable = saved;
    }

    test::TestDatabase m_db;
    test::ScriptedUiPlatform ui;
    Tdm data;
    int saved = 0;
};

TEST_F(SysParamTest, ReadsValuesAndCreatesMissingRows)
{
    session().SysInfo.CnParamTable = 0;
    data.adoConn.execute(QStringLiteral("create table XTCS(CSMC varchar(50), ZFCS varchar(50))"));
    data.adoConn.execute(QStringLiteral("insert into XTCS values('GDt_BBT1', ' 06:00 ')"));
    EXPECT_EQ(ReadSysParam(QStringLiteral("GDt_BBT1"), QStringLiteral("00:00")),
              QStringLiteral("06:00"));
    EXPECT_EQ(ReadSysParam(QStringLiteral("GInt_BBT1"), QStringLiteral("0")), QStringLiteral("0"));
    EXPECT_EQ(ReadSysParam(QStringLiteral("GInt_BBT1"), QStringLiteral("0")), QString())
        << "the created row has no value";
    const auto rows = data.adoConn.openQuery(QStringLiteral("select count(*) from XTCS"));
    EXPECT_EQ(rows->asInteger(rows->field(0).name), 2);
}

TEST_F(SysParamTest, UsesTheChineseTableWhenTheHostHasIt)
{
    session().SysInfo.CnParamTable = 1;
    EXPECT_EQ(SysParamName(QStringLiteral("XTCS")), QStringLiteral("系统设置"));
    EXPECT_EQ(SysParamName(QStringLiteral("CSMC")), QStringLiteral("项目"));
    EXPECT_EQ(SysParamName(QStringLiteral("xtcs")), QStringLiteral("xtcs"));
    EXPECT_EQ(SysParamName(QStringLiteral("ZFCS")), QStringLiteral("ZFCS"));
    data.adoConn.execute(
        QStringLiteral("create table 系统设置(项目 varchar(50), ZFCS varchar(50))"));
    data.adoConn.execute(QStringLiteral("insert into 系统设置 values('UserInfo.sSXZDY', '营业')"));
    EXPECT_EQ(ReadSysParam(QStringLiteral("UserInfo.sSXZDY"), QString()), QStringLiteral("营业"));
    session().SysInfo.CnParamTable = 0;
    EXPECT_EQ(ReadSysParam(QStringLiteral("UserInfo.sSXZDY"), QStringLiteral("d")), QString())
        << "a missing table reads as empty text, not the default";
    EXPECT_TRUE(ui.shown().empty());
}

TEST(CreateAccessDatabase, CreatesAnEmptyDatabaseOnceOnly)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("package.QVP"));
    EXPECT_TRUE(CreateAccessDatabase(file));
    db::Connection conn;
    conn.openLocal(file);
    conn.execute(QStringLiteral("create table t(id counter PRIMARY KEY)"));
    conn.close();
    test::ScriptedUiPlatform ui;
    ui.expectMessage(file + QStringLiteral(" 文件存在!"));
    EXPECT_FALSE(CreateAccessDatabase(file));
    EXPECT_FALSE(CreateAccessDatabase(dir.filePath(QStringLiteral("no/such/dir/x.QVP"))));
}

}  // namespace
