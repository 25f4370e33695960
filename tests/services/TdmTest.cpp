#include "services/Messages.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUiPlatform.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

using namespace tavi;

namespace {

class TdmOnEngine : public ::testing::TestWithParam<db::Connection::Kind>
{
protected:
    void SetUp() override
    {
        m_db.open(data.adoConn, GetParam());
        const bool local = GetParam() == db::Connection::Kind::Local;
        data.adoConn.execute(
            QStringLiteral("create table 客户(id %1, name varchar(50), code varchar(20))")
                .arg(local ? QStringLiteral("counter PRIMARY KEY")
                           : QStringLiteral("integer primary key autoincrement")));
        data.adoConn.execute(
            QStringLiteral("insert into 客户(id, name, code) values(41, "
                           "'O''Brien', 'A1')"));
        data.adoConn.execute(
            QStringLiteral("insert into 客户(id, name, code) values(7, '张三', "
                           "'B2')"));
        data.adoConn.execute(QStringLiteral("create table empty(id int, name varchar(5))"));
    }

    test::TestDatabase m_db;
    test::ScriptedUiPlatform ui;
    Tdm data;
};

TEST_P(TdmOnEngine, LookupsFindRowsAndAnswerZeroOrEmptyOtherwise)
{
    EXPECT_EQ(data.GetIdByName(QStringLiteral("O'Brien"), QStringLiteral("客户")), 41);
    EXPECT_EQ(data.GetIdByName(QStringLiteral("nobody"), QStringLiteral("客户")), 0);
    EXPECT_EQ(data.GetIdByName(QStringLiteral("x"), QStringLiteral("missing")), 0);
    EXPECT_EQ(
        data.GetIdByField(QStringLiteral("code"), QStringLiteral("B2"), QStringLiteral("客户")), 7);
    EXPECT_EQ(
        data.GetIdByField(QStringLiteral("nosuch"), QStringLiteral("B2"), QStringLiteral("客户")),
        0);
    EXPECT_FALSE(data.qryTemp.isOpen()) << "a failed lookup leaves the scratch query closed";
    EXPECT_EQ(data.GetNameById(QStringLiteral("客户"), 7), QStringLiteral("张三"));
    EXPECT_EQ(data.GetNameById(QStringLiteral("客户"), 8), QString());
    EXPECT_EQ(data.GetNameById(QStringLiteral("missing"), 7), QString());
    EXPECT_TRUE(ui.shown().empty());
}

TEST_P(TdmOnEngine, ProbesAndNumbersAndLeaveTheScratchQueryAlone)
{
    ASSERT_EQ(data.GetIdByName(QStringLiteral("张三"), QStringLiteral("客户")), 7);
    EXPECT_TRUE(data.TableExists(QStringLiteral("客户")));
    EXPECT_FALSE(data.TableExists(QStringLiteral("nosuch")));
    EXPECT_TRUE(data.FieldExists(QStringLiteral("客户"), QStringLiteral("CODE")));
    EXPECT_FALSE(data.FieldExists(QStringLiteral("客户"), QStringLiteral("codes")));
    EXPECT_FALSE(data.FieldExists(QStringLiteral("nosuch"), QStringLiteral("id")));
    EXPECT_EQ(data.NextId(QStringLiteral("客户")), 42);
    EXPECT_EQ(data.NextId(QStringLiteral("empty")), 1);
    EXPECT_EQ(data.NextId(QStringLiteral("nosuch")), 1);
    data.ExecSql(QStringLiteral("update 客户 set code='C3' where id=7"));
    EXPECT_EQ(data.qryTemp.asString(QStringLiteral("code")), QStringLiteral("B2"))
        << "the last lookup's result stays until the next lookup";
    EXPECT_TRUE(ui.shown().empty());
}

TEST_P(TdmOnEngine, ExecSqlReportsEveryFailureWithOneMessageAndGoesOn)
{
    session().MsgTitle = QStringLiteral("报表中心");
    ui.expectMessage(QStringLiteral("执行Sql语句时出错"), UiPlatform::Icon::Information)
        .expectMessage(QStringLiteral("执行Sql语句时出错"), UiPlatform::Icon::Information);
    data.ExecSql(QString());
    data.ExecSql(QStringLiteral("insert into nosuch values(1)"));
    data.ExecSql(QStringLiteral("insert into empty values(1, 'a')"));
    ui.verify();
    ASSERT_EQ(ui.shown().size(), 2u);
    EXPECT_TRUE(ui.shown()[0].text.startsWith(QStringLiteral("执行Sql语句时出错：")));
    // The database's own reason and the statement follow.
    EXPECT_TRUE(ui.shown()[1].text.contains(QStringLiteral("no such table: nosuch")))
        << ui.shown()[1].text.toStdString();
    EXPECT_TRUE(ui.shown()[1].text.endsWith(QStringLiteral("\ninsert into nosuch values(1)")));
    EXPECT_EQ(ui.shown()[0].caption, QStringLiteral("报表中心"));
    EXPECT_EQ(data.NextId(QStringLiteral("empty")), 2);
    session().MsgTitle.clear();
}

INSTANTIATE_TEST_SUITE_P(Engines, TdmOnEngine,
                         ::testing::Values(db::Connection::Kind::Local,
                                           db::Connection::Kind::Server),
                         [](const auto &info) {
                             return info.param == db::Connection::Kind::Local ? "Local" : "Odbc";
                         });

}  // namespace
