#include "services/db/Connection.h"
#include "services/db/DbError.h"
#include "services/db/Recordset.h"
#include "services/db/Transaction.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace tavi::db {
namespace {

// Both engines: the local one, and the server engine over the SQLite ODBC driver.
class TransactionTest : public ::testing::TestWithParam<Connection::Kind>
{
protected:
    void SetUp() override
    {
        file.open(connection, GetParam());
        connection.execute(QStringLiteral("create table t(v int)"));
    }
    int count()
    {
        return int(
            connection.openQuery(QStringLiteral("select count(*) from t"))->valueAt(0, 0).toInt());
    }
    void insert(int v) { connection.execute(QStringLiteral("insert into t(v) values(?)"), {v}); }

    test::TestDatabase file;
    Connection connection;
};

TEST_P(TransactionTest, InnerWorkUndoneAloneOuterWorkKept)
{
    {
        Transaction outer(connection);
        insert(1);
        {
            Transaction inner(connection);
            insert(2);
            EXPECT_EQ(connection.transactionDepth(), 2);
        }
        {
            Transaction inner(connection);
            insert(3);
            inner.commit();
        }
        outer.commit();
    }
    EXPECT_EQ(connection.transactionDepth(), 0);
    EXPECT_EQ(count(), 2);
    EXPECT_EQ(connection.openQuery(QStringLiteral("select sum(v) from t"))->valueAt(0, 0).toInt(),
              4);
}

TEST_P(TransactionTest, LeavingWithoutCommitUndoesEverything)
{
    try {
        Transaction outer(connection);
        insert(1);
        Transaction inner(connection);
        insert(2);
        inner.commit();
        connection.execute(QStringLiteral("insert into nowhere values(1)"));
        outer.commit();
        FAIL() << "the statement should have failed";
    } catch (const DbError &) {
    }
    EXPECT_EQ(count(), 0);
    EXPECT_EQ(connection.transactionDepth(), 0);
    insert(5);
    EXPECT_EQ(count(), 1) << "the connection works on after the rollback";
}

INSTANTIATE_TEST_SUITE_P(Engines, TransactionTest,
                         ::testing::Values(Connection::Kind::Local, Connection::Kind::Server));

}  // namespace
}  // namespace tavi::db
