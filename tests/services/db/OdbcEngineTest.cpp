#include "services/db/DbError.h"
#include "services/db/OdbcEngine.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <QCoreApplication>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>

using tavi::db::DbError;
using tavi::db::FieldKind;
using tavi::db::OdbcEngine;
using tavi::db::ResultTable;

namespace {

QString sqlite3ConnectionString(const QTemporaryDir &dir)
{
    return QStringLiteral("DRIVER=SQLite3;Database=") + dir.filePath(QStringLiteral("odbc.db"));
}

// The message of the DbError `run` throws, or a note that it threw none.
template <typename Run>
QString errorOf(Run run)
{
    try {
        run();
    } catch (const DbError &e) {
        return e.message();
    }
    return QStringLiteral("<no DbError>");
}

class OdbcEngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_engine = std::make_unique<OdbcEngine>(sqlite3ConnectionString(m_dir));
    }

    QTemporaryDir m_dir;
    std::unique_ptr<OdbcEngine> m_engine;
};

TEST_F(OdbcEngineTest, ReportsKindsAndValuesOfEveryColumnType)
{
    m_engine->execute(QStringLiteral(
        "CREATE TABLE guests (id INTEGER PRIMARY KEY AUTOINCREMENT, visits integer, vip bit, "
        "rate float, balance money, deposit decimal(10,2), arrived datetime, name varchar(20), "
        "notes text)"));
    m_engine->execute(QStringLiteral(
        "INSERT INTO guests (visits, vip, rate, balance, deposit, arrived, name, notes) "
        "VALUES (3, 1, 0.25, 1234.5, 99.95, '2024-03-01 14:30:05', '张三', '综合报表')"));
    m_engine->execute(QStringLiteral("INSERT INTO guests (visits) VALUES (NULL)"));
    // 12,000 Chinese characters: more than one SQLGetData call returns.
    m_engine->execute(
        QStringLiteral("INSERT INTO guests (notes) "
                       "VALUES (replace(hex(zeroblob(6000)), '00', '张三'))"));
    m_engine->execute(QStringLiteral("INSERT INTO guests (visits) VALUES ('n/a')"));

    const std::unique_ptr<ResultTable> t =
        m_engine->query(QStringLiteral("SELECT * FROM guests ORDER BY id"));

    const FieldKind kinds[] = {FieldKind::Integer,  FieldKind::Integer,  FieldKind::Boolean,
                               FieldKind::Float,    FieldKind::Currency, FieldKind::Decimal,
                               FieldKind::DateTime, FieldKind::Text,     FieldKind::LongText};
    ASSERT_EQ(t->columnCount(), int(std::size(kinds)));
    for (int c = 0; c < t->columnCount(); ++c)
        EXPECT_EQ(t->info(c).kind, kinds[c]) << t->info(c).name.toStdString();
    ASSERT_EQ(t->rowCount(), 4);

    EXPECT_EQ(t->column(0).value(0), QVariant(qint64(1)));
    EXPECT_EQ(t->column(1).value(0), QVariant(qint64(3)));
    EXPECT_EQ(t->column(2).value(0), QVariant(true));
    EXPECT_EQ(t->column(3).value(0), QVariant(0.25));
    EXPECT_EQ(t->column(4).value(0), QVariant(1234.5));
    EXPECT_EQ(t->column(5).value(0), QVariant(99.95));
    EXPECT_EQ(t->column(6).value(0), QVariant(QDateTime(QDate(2024, 3, 1), QTime(14, 30, 5))));
    EXPECT_EQ(t->column(7).value(0), QVariant(QStringLiteral("张三")));
    EXPECT_EQ(t->column(8).value(0), QVariant(QStringLiteral("综合报表")));

    EXPECT_FALSE(t->column(0).isNull(1));
    for (int c = 1; c < t->columnCount(); ++c)
        EXPECT_TRUE(t->column(c).isNull(1)) << t->info(c).name.toStdString();

    EXPECT_EQ(t->column(8).value(2).toString(), QStringLiteral("张三").repeated(6000));

    // SQLite keeps a text in an integer column; it must not come back as NULL or 0.
    EXPECT_EQ(t->column(1).value(3), QVariant(QStringLiteral("n/a")));
}

TEST_F(OdbcEngineTest, DescribesColumnNamesAndSources)
{
    m_engine->execute(QStringLiteral(
        "CREATE TABLE guests (id INTEGER PRIMARY KEY AUTOINCREMENT, name varchar(20))"));

    const std::unique_ptr<ResultTable> t = m_engine->query(
        QStringLiteral("SELECT g.id, g.name, g.name AS 姓名, g.id + 1 AS next FROM guests g"));

    ASSERT_EQ(t->columnCount(), 4);
    EXPECT_EQ(t->info(0).name, QStringLiteral("id"));
    EXPECT_EQ(t->info(2).name, QStringLiteral("姓名"));
    EXPECT_EQ(t->info(3).name, QStringLiteral("next"));
    EXPECT_TRUE(t->info(0).autoIncrement);
    EXPECT_FALSE(t->info(1).autoIncrement);
    EXPECT_EQ(t->info(0).baseTable, QStringLiteral("guests"));
    EXPECT_EQ(t->info(0).baseColumn, QStringLiteral("id"));
    EXPECT_EQ(t->info(1).baseColumn, QStringLiteral("name"));
    // The SQLite driver names an aliased column's source after the alias, so only its table
    // is checked.
    EXPECT_EQ(t->info(2).baseTable, QStringLiteral("guests"));
    EXPECT_TRUE(t->info(3).baseTable.isEmpty());
    EXPECT_TRUE(t->info(3).baseColumn.isEmpty());
    EXPECT_EQ(m_engine->productName(), QStringLiteral("SQLite"));
}

struct BindCase
{
    const char *name;
    const char *columnType;
    QVariant value;
    QVariant expected;
};

class OdbcEngineBindTest : public OdbcEngineTest, public ::testing::WithParamInterface<BindCase>
{};

TEST_P(OdbcEngineBindTest, ReadsBackWhatWasBound)
{
    const BindCase &c = GetParam();
    m_engine->execute(QStringLiteral("CREATE TABLE t (id INTEGER PRIMARY KEY, v %1)")
                          .arg(QLatin1String(c.columnType)));
    EXPECT_EQ(m_engine->execute(QStringLiteral("INSERT INTO t (v) VALUES (?)"), {c.value}), 1);

    const std::unique_ptr<ResultTable> t = m_engine->query(QStringLiteral("SELECT v FROM t"));
    ASSERT_EQ(t->rowCount(), 1);
    const QVariant v = t->column(0).value(0);
    EXPECT_EQ(v.metaType(), c.expected.metaType());
    EXPECT_EQ(v, c.expected);

    // The same binding must also work as a comparison operand.
    if (!c.value.isNull()) {
        const std::unique_ptr<ResultTable> found =
            m_engine->query(QStringLiteral("SELECT id FROM t WHERE v = ?"), {c.value});
        EXPECT_EQ(found->rowCount(), 1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EachVariantType, OdbcEngineBindTest,
    ::testing::Values(BindCase{"Invalid", "integer", QVariant(), QVariant()},
                      BindCase{"TypedNull", "varchar(20)", QVariant(QMetaType::fromType<QString>()),
                               QVariant()},
                      BindCase{"Bool", "bit", QVariant(true), QVariant(true)},
                      BindCase{"Int", "integer", QVariant(42), QVariant(qint64(42))},
                      BindCase{"Int64", "integer", QVariant(qint64(9000000000LL)),
                               QVariant(qint64(9000000000LL))},
                      BindCase{"Double", "float", QVariant(2.5), QVariant(2.5)},
                      BindCase{"ChineseText", "varchar(20)", QVariant(QStringLiteral("综合报表")),
                               QVariant(QStringLiteral("综合报表"))},
                      BindCase{"EmptyText", "varchar(20)", QVariant(QString(QLatin1String(""))),
                               QVariant(QString(QLatin1String("")))},
                      BindCase{"DateTime", "datetime",
                               QVariant(QDateTime(QDate(2024, 3, 1), QTime(14, 30, 5, 123))),
                               QVariant(QDateTime(QDate(2024, 3, 1), QTime(14, 30, 5, 123)))},
                      BindCase{"Date", "datetime", QVariant(QDate(2024, 3, 1)),
                               QVariant(QDateTime(QDate(2024, 3, 1), QTime(0, 0)))},
                      BindCase{"Bytes", "blob", QVariant(QByteArray("\0\1\377tavi", 7)),
                               QVariant(QByteArray("\0\1\377tavi", 7))}),
    [](const ::testing::TestParamInfo<BindCase> &info) { return std::string(info.param.name); });

TEST_F(OdbcEngineTest, InsertRowReturnsTheNewIds)
{
    m_engine->execute(
        QStringLiteral("CREATE TABLE [guest list] (id INTEGER PRIMARY KEY "
                       "AUTOINCREMENT, [full name] varchar(20), rate float)"));
    const QString table = QStringLiteral("guest list");
    const QStringList columns = {QStringLiteral("full name"), QStringLiteral("rate")};
    const QString id = QStringLiteral("id");

    const QVariant first = m_engine->insertRow(table, columns, {QStringLiteral("张三"), 1.5}, id);
    const QVariant second =
        m_engine->insertRow(table, columns, {QStringLiteral("综合报表"), 2.5}, id);
    const QVariant third = m_engine->insertRow(table, {}, {}, id);
    const QVariant none = m_engine->insertRow(table, columns, {QStringLiteral("李四"), 3.5}, {});

    EXPECT_EQ(first, QVariant(qint64(1)));
    EXPECT_EQ(second, QVariant(qint64(2)));
    EXPECT_EQ(third, QVariant(qint64(3)));
    EXPECT_FALSE(none.isValid());

    const std::unique_ptr<ResultTable> t = m_engine->query(
        QStringLiteral("SELECT id, [full name], rate FROM [guest list] ORDER BY id"));
    ASSERT_EQ(t->rowCount(), 4);
    EXPECT_EQ(t->column(0).value(1), second);
    EXPECT_EQ(t->column(1).value(0), QVariant(QStringLiteral("张三")));
    EXPECT_EQ(t->column(1).value(1), QVariant(QStringLiteral("综合报表")));
    EXPECT_TRUE(t->column(1).isNull(2));
    EXPECT_EQ(t->column(1).value(3), QVariant(QStringLiteral("李四")));
    EXPECT_EQ(t->column(2).value(1), QVariant(2.5));
}

TEST_F(OdbcEngineTest, ExecuteReturnsTheRowsItChanged)
{
    m_engine->execute(QStringLiteral("CREATE TABLE rooms (no integer, floor integer)"));
    EXPECT_EQ(
        m_engine->execute(QStringLiteral("INSERT INTO rooms VALUES (101, 1), (102, 1), (201, 2)")),
        3);
    EXPECT_EQ(m_engine->execute(QStringLiteral("UPDATE rooms SET floor = 10 WHERE floor = ?"), {1}),
              2);
    EXPECT_EQ(m_engine->execute(QStringLiteral("DELETE FROM rooms WHERE floor = 99")), 0);
}

struct ErrorCase
{
    const char *name;
    const char *sql;
    QVariantList params;
    const char *driverText;
};

class OdbcEngineErrorTest : public OdbcEngineTest, public ::testing::WithParamInterface<ErrorCase>
{};

TEST_P(OdbcEngineErrorTest, ThrowsTheDriversMessageAndStaysUsable)
{
    const ErrorCase &c = GetParam();
    const QString sql = QString::fromUtf8(c.sql);

    const QString fromQuery = errorOf([&] { m_engine->query(sql, c.params); });
    const QString fromExecute = errorOf([&] { m_engine->execute(sql, c.params); });

    EXPECT_TRUE(fromQuery.contains(QLatin1String(c.driverText))) << fromQuery.toStdString();
    EXPECT_TRUE(fromQuery.startsWith(QLatin1String("[SQLite]"))) << fromQuery.toStdString();
    EXPECT_TRUE(fromExecute.contains(QLatin1String(c.driverText))) << fromExecute.toStdString();

    const std::unique_ptr<ResultTable> t = m_engine->query(QStringLiteral("SELECT 1 AS one"));
    ASSERT_EQ(t->rowCount(), 1);
    EXPECT_EQ(t->column(0).value(0).toInt(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    InvalidStatements, OdbcEngineErrorTest,
    ::testing::Values(ErrorCase{"Syntax", "SELEC 1", {}, "syntax error"},
                      ErrorCase{"MissingTable", "SELECT * FROM missing", {}, "no such table"},
                      ErrorCase{"MissingTableWithParameter",
                                "SELECT * FROM missing WHERE id = ?",
                                {1},
                                "no such table"}),
    [](const ::testing::TestParamInfo<ErrorCase> &info) { return std::string(info.param.name); });

// The SQLite driver rewrites ODBC escapes whatever it is told, so a brace outside quotes never
// reaches it; inside a literal it is text.
TEST_F(OdbcEngineTest, BracesOutsideQuotesAreNeverRewritten)
{
    for (const char *sql : {"SELECT {1} AS x", "SELECT {d '2020-01-01'} AS x WHERE 1 = ?"}) {
        const QString error = errorOf([&] { m_engine->query(QString::fromUtf8(sql), {1}); });
        EXPECT_TRUE(error.contains(QStringLiteral("引号外含有“{”（第 8 个字符）")))
            << error.toStdString();
    }
    const auto t =
        m_engine->query(QStringLiteral("SELECT '{1}' AS x, \"a{\" AS y FROM (SELECT "
                                       "1 AS \"a{\") -- {"));
    EXPECT_EQ(t->column(0).value(0).toString(), QStringLiteral("{1}"));
}

TEST(OdbcEngineLocaleTest, KeepsChineseUnderAnAsciiLocale)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const locale_t ascii = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    ASSERT_NE(ascii, locale_t(nullptr));
    const locale_t previous = uselocale(ascii);
    const auto restore = qScopeGuard([&] {
        uselocale(previous);
        freelocale(ascii);
    });

    OdbcEngine engine(sqlite3ConnectionString(dir));
    engine.execute(QStringLiteral("CREATE TABLE t (name varchar(20))"));
    engine.execute(QStringLiteral("INSERT INTO t VALUES ('张三')"));
    engine.execute(QStringLiteral("INSERT INTO t VALUES (?)"), {QStringLiteral("综合报表")});

    const std::unique_ptr<ResultTable> t =
        engine.query(QStringLiteral("SELECT name AS 姓名 FROM t ORDER BY rowid"));
    ASSERT_EQ(t->rowCount(), 2);
    EXPECT_EQ(t->info(0).name, QStringLiteral("姓名"));
    EXPECT_EQ(t->column(0).value(0), QVariant(QStringLiteral("张三")));
    EXPECT_EQ(t->column(0).value(1), QVariant(QStringLiteral("综合报表")));
}

struct ConnectCase
{
    const char *name;
    const char *connectionString;
    const char *source;
    const char *text;
    int records;
};

class OdbcEngineConnectTest : public ::testing::TestWithParam<ConnectCase>
{};

TEST_P(OdbcEngineConnectTest, FailsWithEveryDiagnosticRecord)
{
    const ConnectCase &c = GetParam();
    const QString message =
        errorOf([&] { OdbcEngine engine(QString::fromUtf8(c.connectionString)); });
    EXPECT_TRUE(message.contains(QLatin1String(c.text))) << message.toStdString();
    const QStringList lines = message.split(QLatin1Char('\n'));
    EXPECT_GE(lines.size(), c.records) << message.toStdString();
    for (const QString &line : lines)
        EXPECT_TRUE(line.startsWith(QLatin1String(c.source))) << message.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    BadConnections, OdbcEngineConnectTest,
    ::testing::Values(ConnectCase{"UnknownDriver", "DRIVER=TaviNoSuchDriver;Database=none.db",
                                  "[unixODBC][Driver Manager]", "TaviNoSuchDriver", 1},
                      // Nothing listens on port 1, so the refusal is immediate.
                      ConnectCase{"ServerNotListening",
                                  "DRIVER=FreeTDS;Server=127.0.0.1;Port=1;Database=hotel;"
                                  "TDS_Version=7.4;ClientCharset=UTF-8;UID=tavi;PWD=none",
                                  "[FreeTDS]", "Unable to connect", 2}),
    [](const ::testing::TestParamInfo<ConnectCase> &info) { return std::string(info.param.name); });

TEST_F(OdbcEngineTest, LeavesNothingPendingBetweenStatements)
{
    m_engine->execute(QStringLiteral("CREATE TABLE nights (n integer)"));
    m_engine->execute(
        QStringLiteral("WITH RECURSIVE r(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                       "FROM r WHERE i < 500) INSERT INTO nights SELECT i FROM r"));
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(m_engine->query(QStringLiteral("SELECT n FROM nights"))->rowCount(), 500);
        EXPECT_EQ(m_engine->execute(QStringLiteral("UPDATE nights SET n = n + 1")), 500);
        EXPECT_EQ(
            m_engine->query(QStringLiteral("SELECT n FROM nights WHERE n > ?"), {250})->rowCount(),
            250 + round + 1);
    }
    // SQLite refuses to drop a table that an unfinished statement still reads.
    EXPECT_NO_THROW(m_engine->execute(QStringLiteral("DROP TABLE nights")));
}

TEST(OdbcEngineLiveTest, SqlServerKeepsIdsTextsAndValues)
{
    const QByteArray connection = qgetenv("TAVI_MSSQL");
    if (connection.isEmpty())
        GTEST_SKIP() << "TAVI_MSSQL is not set: no SQL Server to test against";

    OdbcEngine engine(QString::fromUtf8(connection));
    EXPECT_TRUE(engine.productName().contains(QLatin1String("SQL Server")))
        << engine.productName().toStdString();

    const QString suffix = QString::number(QCoreApplication::applicationPid()) + QLatin1Char('_') +
                           QString::number(QRandomGenerator::global()->bounded(1000000));
    const QString guests = OdbcEngine::quoteIdentifier(QStringLiteral("tavi_guests_") + suffix);
    const QString audit = OdbcEngine::quoteIdentifier(QStringLiteral("tavi_audit_") + suffix);
    const auto dropTables = qScopeGuard([&] {
        for (const QString &t : {guests, audit}) {
            try {
                engine.execute(QStringLiteral("DROP TABLE ") + t);
            } catch (const DbError &) {
            }
        }
    });

    // The audit table numbers from 1000, so an id taken from the trigger's insert shows.
    engine.execute(QStringLiteral("CREATE TABLE %1 (id int IDENTITY(1000,1) PRIMARY KEY, "
                                  "note nvarchar(50))")
                       .arg(audit));
    engine.execute(QStringLiteral("CREATE TABLE %1 (id int IDENTITY(1,1) PRIMARY KEY, "
                                  "name nvarchar(50), rate money, vip bit, arrived datetime, "
                                  "deposit decimal(10,2), notes nvarchar(max))")
                       .arg(guests));
    engine.execute(
        QStringLiteral("CREATE TRIGGER %1 ON %2 AFTER INSERT AS "
                       "INSERT INTO %3 (note) SELECT name FROM inserted")
            .arg(OdbcEngine::quoteIdentifier(QStringLiteral("tavi_trg_") + suffix), guests, audit));

    // The driver is told not to rewrite escapes: a leftover placeholder is the server's error.
    EXPECT_THROW(engine.query(QStringLiteral("SELECT {1} AS x")), DbError);

    const QString guestsTable = QStringLiteral("tavi_guests_") + suffix;
    const QStringList columns = {QStringLiteral("name"),    QStringLiteral("rate"),
                                 QStringLiteral("vip"),     QStringLiteral("arrived"),
                                 QStringLiteral("deposit"), QStringLiteral("notes")};
    const QDateTime arrived(QDate(2024, 3, 1), QTime(14, 30, 5));
    const QString longNotes = QStringLiteral("张三").repeated(6000);
    EXPECT_EQ(engine.insertRow(guestsTable, columns,
                               {QStringLiteral("张三"), 12.5, true, arrived, 99.95, longNotes},
                               QStringLiteral("id")),
              QVariant(qint64(1)));
    EXPECT_EQ(
        engine.insertRow(guestsTable, columns,
                         {QStringLiteral("综合报表"), 7.25, false, QVariant(), 0.5, QVariant()},
                         QStringLiteral("id")),
        QVariant(qint64(2)));

    const std::unique_ptr<ResultTable> t = engine.query(
        QStringLiteral("SELECT id, name, rate, vip, arrived, deposit, notes FROM %1 ORDER BY id")
            .arg(guests));
    ASSERT_EQ(t->rowCount(), 2);
    const FieldKind kinds[] = {FieldKind::Integer, FieldKind::Text,     FieldKind::Currency,
                               FieldKind::Boolean, FieldKind::DateTime, FieldKind::Decimal};
    for (int c = 0; c < int(std::size(kinds)); ++c)
        EXPECT_EQ(t->info(c).kind, kinds[c]) << t->info(c).name.toStdString();
    EXPECT_EQ(t->column(0).value(1), QVariant(qint64(2)));
    EXPECT_EQ(t->column(1).value(0), QVariant(QStringLiteral("张三")));
    EXPECT_EQ(t->column(1).value(1), QVariant(QStringLiteral("综合报表")));
    EXPECT_EQ(t->column(2).value(0), QVariant(12.5));
    EXPECT_EQ(t->column(3).value(0), QVariant(true));
    EXPECT_EQ(t->column(3).value(1), QVariant(false));
    EXPECT_EQ(t->column(4).value(0), QVariant(arrived));
    EXPECT_TRUE(t->column(4).isNull(1));
    EXPECT_DOUBLE_EQ(t->column(5).value(0).toDouble(), 99.95);
    EXPECT_EQ(t->column(6).value(0).toString(), longNotes);
    EXPECT_TRUE(t->column(6).isNull(1));

    const std::unique_ptr<ResultTable> found = engine.query(
        QStringLiteral("SELECT N'综合' + name AS 名称 FROM %1 WHERE name = ?").arg(guests),
        {QStringLiteral("张三")});
    ASSERT_EQ(found->rowCount(), 1);
    EXPECT_EQ(found->info(0).name, QStringLiteral("名称"));
    EXPECT_EQ(found->column(0).value(0), QVariant(QStringLiteral("综合张三")));

    EXPECT_EQ(engine.execute(QStringLiteral("UPDATE %1 SET rate = rate + 1").arg(guests)), 2);
}

}  // namespace
