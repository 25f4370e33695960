#include "services/db/Connection.h"
#include "services/db/DbError.h"
#include "services/db/Recordset.h"
#include "support/TestDatabase.h"

#include <QSignalSpy>
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tavi;
using namespace tavi::db;

namespace {

// The same recordset behaviour on the local engine and through ODBC (the SQLite ODBC driver
// standing in for SQL Server).
class RecordsetOnEngine : public ::testing::TestWithParam<Connection::Kind>
{
protected:
    void SetUp() override
    {
        m_db.open(conn, GetParam());
        conn.execute(
            QStringLiteral("create table guest(id integer primary key autoincrement, "
                           "name varchar(20), rq datetime, je money, vip bit)"));
        const struct
        {
            const char *name;
            const char *rq;
            double je;
            bool vip;
        } rows[] = {{"张三", "2026-12-01 10:00:00", 300.5, true},
                    {"李四", "2026-11-30 08:00:00", 120, false},
                    {"abc", "2026-12-03 12:00:00", 88, false},
                    {"王五", "2026-12-02 09:30:00", 120, true},
                    {"ABD", "2026-12-04 00:00:00", 1000, false}};
        for (const auto &r : rows) {
            conn.execute(
                QStringLiteral("insert into guest(name, rq, je, vip) values(?, ?, ?, ?)"),
                {QString::fromUtf8(r.name),
                 QDateTime::fromString(QLatin1String(r.rq), QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                 r.je, r.vip ? conn.engine().trueValue() : 0});
        }
        conn.execute(QStringLiteral("insert into guest(name) values(null)"));
        rs = conn.openQuery(QStringLiteral("select * from guest"));
    }

    QStringList column(const QString &name)
    {
        QStringList out;
        for (rs->first(); !rs->eof(); rs->next())
            out << rs->asString(name);
        return out;
    }

    QString scalar(const QString &sql)
    {
        const auto q = conn.openQuery(sql);
        return q->isEmpty() ? QStringLiteral("<none>") : Recordset::textOf(q->value(0));
    }

    test::TestDatabase m_db;
    Connection conn;
    std::unique_ptr<Recordset> rs;
};

TEST_P(RecordsetOnEngine, ReadsKindsAndValuesByNameIgnoringCase)
{
    ASSERT_EQ(rs->fieldCount(), 5);
    EXPECT_EQ(rs->field(0).kind, FieldKind::Integer);
    EXPECT_EQ(rs->field(1).kind, FieldKind::Text);
    EXPECT_EQ(rs->field(2).kind, FieldKind::DateTime);
    EXPECT_EQ(rs->field(3).kind, FieldKind::Currency);
    EXPECT_EQ(rs->field(4).kind, FieldKind::Boolean);
    EXPECT_EQ(rs->recordCount(), 6);
    EXPECT_EQ(rs->asString(QStringLiteral("NAME")), QStringLiteral("张三"));
    EXPECT_EQ(rs->asDateTime(QStringLiteral("Rq")), QDateTime(QDate(2026, 12, 1), QTime(10, 0)));
    EXPECT_DOUBLE_EQ(rs->asFloat(QStringLiteral("je")), 300.5);
    EXPECT_TRUE(rs->asBool(QStringLiteral("vip")));
    rs->last();
    EXPECT_EQ(rs->asString(QStringLiteral("name")), QString());
    EXPECT_EQ(rs->asInteger(QStringLiteral("je")), 0);
    EXPECT_FALSE(rs->value(QStringLiteral("je")).isValid());
    EXPECT_THROW(rs->value(QStringLiteral("nosuch")), DbError);
}

TEST_P(RecordsetOnEngine, NavigatesAndKeepsBookmarks)
{
    EXPECT_FALSE(rs->bof());
    EXPECT_EQ(rs->position(), 0);
    rs->next();
    rs->next();
    const int mark = rs->bookmark();
    EXPECT_EQ(rs->asString(QStringLiteral("name")), QStringLiteral("abc"));
    rs->last();
    EXPECT_EQ(rs->position(), 5);
    rs->next();
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(rs->position(), -1);
    EXPECT_THROW(rs->value(0), DbError);
    rs->first();
    rs->prior();
    EXPECT_TRUE(rs->bof());
    ASSERT_TRUE(rs->gotoBookmark(mark));
    EXPECT_EQ(rs->asString(QStringLiteral("name")), QStringLiteral("abc"));
    rs->setSort(QStringLiteral("je DESC"));
    EXPECT_EQ(rs->asString(QStringLiteral("name")), QStringLiteral("abc")) << "sort keeps the row";
    EXPECT_FALSE(rs->setPosition(6));

    const auto empty = conn.openQuery(QStringLiteral("select * from guest where 1=0"));
    EXPECT_TRUE(empty->isEmpty());
    EXPECT_TRUE(empty->eof());
    EXPECT_TRUE(empty->bof());
    EXPECT_EQ(empty->fieldCount(), 5);
}

TEST_P(RecordsetOnEngine, SortsOnTheClient)
{
    rs->setSort(QStringLiteral("name ASC"));
    // NULL first; letter case ignored; Chinese in pinyin order (li, wang, zhang).
    EXPECT_EQ(column(QStringLiteral("name")),
              QStringList({"", "abc", "ABD", "李四", "王五", "张三"}));
    rs->setSort(QStringLiteral("je DESC, name"));
    EXPECT_EQ(column(QStringLiteral("name")),
              QStringList({"ABD", "张三", "李四", "王五", "abc", ""}));
    rs->setSort(QStringLiteral("[je] asc"));
    // Stable: the two rows of 120 keep their fetch order.
    EXPECT_EQ(column(QStringLiteral("name")),
              QStringList({"", "abc", "李四", "王五", "张三", "ABD"}));
    rs->setSort(QStringLiteral("rq DESC"));
    EXPECT_EQ(column(QStringLiteral("name")).first(), QStringLiteral("ABD"));
    EXPECT_EQ(column(QStringLiteral("name")).last(), QString());
    rs->setSort(QString());
    EXPECT_EQ(column(QStringLiteral("name")).first(), QStringLiteral("张三"));
    EXPECT_THROW(rs->setSort(QStringLiteral("nosuch DESC")), DbError);
}

struct FilterCase
{
    const char *filter;
    std::vector<const char *> names;
};

TEST_P(RecordsetOnEngine, FiltersWithTheAdoSyntax)
{
    const FilterCase cases[] = {
        {"je > 100", {"张三", "李四", "王五", "ABD"}},
        {"je = 120 AND vip = true", {"王五"}},
        {"je=120 and vip=-1 or name='ABC'", {"abc", "王五"}},
        {"(je < 100 OR je >= 1000) AND name <> 'abd'", {"abc"}},
        {"name LIKE 'ab*'", {"abc", "ABD"}},
        {"name like '%五'", {"王五"}},
        {"name = 'O''Brien'", {}},
        {"rq >= #12/02/2026# AND rq < #2026-12-04#", {"abc", "王五"}},
        {"rq > '2026-12-03'", {"abc", "ABD"}},
        {"name = NULL", {""}},
        {"name IS NOT NULL AND je <= 88", {"abc"}},
        {"[name] = '李四'", {"李四"}},
    };
    for (const FilterCase &c : cases) {
        rs->setFilter(QString::fromUtf8(c.filter));
        QStringList expected;
        for (const char *n : c.names)
            expected << QString::fromUtf8(n);
        QStringList got = column(QStringLiteral("name"));
        got.sort();
        expected.sort();
        EXPECT_EQ(got, expected) << c.filter;
        EXPECT_EQ(rs->recordCount(), int(c.names.size())) << c.filter;
    }
    rs->setFilter(QString());
    EXPECT_EQ(rs->recordCount(), 6);
}

TEST_P(RecordsetOnEngine, InvalidFilterIsAnErrorAndKeepsTheRows)
{
    rs->setFilter(QStringLiteral("je > 100"));
    for (const char *bad : {"je >", "nosuch = 1", "name = 'open", "(je > 1", "je ~ 3",
                            "rq > #yesterday#", "je > 1 AND"}) {
        EXPECT_THROW(rs->setFilter(QString::fromUtf8(bad)), DbError) << bad;
        EXPECT_EQ(rs->recordCount(), 4) << bad;
        EXPECT_EQ(rs->filter(), QStringLiteral("je > 100"));
    }
    try {
        rs->setFilter(QStringLiteral("nosuch = 1"));
    } catch (const DbError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("nosuch"))) << e.message().toStdString();
    }
}

TEST_P(RecordsetOnEngine, DeepNestingIsRefusedAndLongChainsWork)
{
    const QString deep = QString(20000, u'(') + QStringLiteral("je > 100") + QString(20000, u')');
    try {
        rs->setFilter(deep);
        FAIL() << "20000 nested parentheses were accepted";
    } catch (const DbError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("括号嵌套超过 256 层")))
            << e.message().toStdString();
    }
    EXPECT_EQ(rs->recordCount(), 6);
    rs->setFilter(QString(200, u'(') + QStringLiteral("je > 100") + QString(200, u')'));
    EXPECT_EQ(rs->recordCount(), 4);
    // A long chain stays one level deep however many terms it has.
    QString chain = QStringLiteral("je > 100");
    for (int i = 0; i < 100000; ++i)
        chain += QStringLiteral(" AND je > 100 OR je < -1");
    rs->setFilter(chain);
    EXPECT_EQ(rs->recordCount(), 4);
}

TEST_P(RecordsetOnEngine, CalculatedColumnFollowsItsCallback)
{
    QSet<int> ticked;
    const int col = rs->addCalculatedField(
        QStringLiteral("FIELDSEL"),
        [&](const Recordset &, int row) { return ticked.contains(row); },
        [&](Recordset &, int row, bool on) {
            if (on)
                ticked.insert(row);
            else
                ticked.remove(row);
        });
    EXPECT_EQ(col, 5);
    EXPECT_EQ(rs->field(col).kind, FieldKind::Boolean);
    EXPECT_TRUE(rs->field(col).calculated);
    EXPECT_FALSE(rs->asBool(QStringLiteral("fieldsel")));
    QSignalSpy changed(rs.get(), &Recordset::rowChanged);
    rs->next();
    rs->setValue(QStringLiteral("FIELDSEL"), true);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(rs->state(), Recordset::State::Browse) << "ticking is not an edit";
    EXPECT_TRUE(rs->asBool(QStringLiteral("FIELDSEL")));
    rs->setFilter(QStringLiteral("FIELDSEL = true"));
    EXPECT_EQ(column(QStringLiteral("name")), QStringList({"李四"}));
    rs->setFilter(QString());
    rs->setSort(QStringLiteral("FIELDSEL DESC"));
    EXPECT_EQ(column(QStringLiteral("name")).first(), QStringLiteral("李四"));
}

TEST_P(RecordsetOnEngine, AppendPostGetsTheNewIdAndWritesTheRow)
{
    QSignalSpy inserted(rs.get(), &Recordset::rowInserted);
    rs->append();
    EXPECT_EQ(rs->state(), Recordset::State::Insert);
    EXPECT_EQ(inserted.count(), 1);
    rs->setValue(QStringLiteral("name"), QStringLiteral("O'Brien"));
    rs->setValue(QStringLiteral("je"), 9.75);
    rs->setValue(QStringLiteral("vip"), true);
    rs->setValue(QStringLiteral("rq"), QDateTime(QDate(2026, 12, 11), QTime(14, 5, 6)));
    rs->post();
    EXPECT_EQ(rs->state(), Recordset::State::Browse);
    EXPECT_EQ(rs->asInteger(QStringLiteral("id")), 7);
    EXPECT_EQ(rs->recordCount(), 7);
    EXPECT_EQ(
        scalar(QStringLiteral("select name || '|' || je || '|' || vip from guest where id=7")),
        QStringLiteral("O'Brien|9.75|") + QString::number(conn.engine().trueValue()));
    const auto back = conn.openQuery(QStringLiteral("select rq from guest where id=7"));
    EXPECT_EQ(back->asDateTime(QStringLiteral("rq")),
              QDateTime(QDate(2026, 12, 11), QTime(14, 5, 6)));

    // Over "where 1=0", the way definitions are appended.
    const auto blank = conn.openQuery(QStringLiteral("select * from guest where 1=0"));
    blank->append();
    blank->setValue(QStringLiteral("name"), QStringLiteral("新客"));
    blank->post();
    EXPECT_EQ(blank->asInteger(QStringLiteral("ID")), 8);
}

TEST_P(RecordsetOnEngine, EditPostWritesOnlyThatRow)
{
    rs->setSort(QStringLiteral("name"));
    rs->setPosition(1);
    ASSERT_EQ(rs->asString(QStringLiteral("name")), QStringLiteral("abc"));
    rs->edit();
    rs->setValue(QStringLiteral("je"), 77);
    rs->setValue(QStringLiteral("vip"), true);
    rs->post();
    EXPECT_EQ(scalar(QStringLiteral("select je || ',' || vip from guest where name='abc'")),
              QStringLiteral("77,") + QString::number(conn.engine().trueValue()));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from guest where je=77")),
              QStringLiteral("1"));
    EXPECT_DOUBLE_EQ(rs->asFloat(QStringLiteral("je")), 77);

    // setValue while browsing starts the edit itself.
    rs->setValue(QStringLiteral("name"), QStringLiteral("abz"));
    EXPECT_EQ(rs->state(), Recordset::State::Edit);
    rs->post();
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from guest where name='abz'")),
              QStringLiteral("1"));
}

TEST_P(RecordsetOnEngine, CancelDiscardsAnAppendAndRestoresAnEdit)
{
    QSignalSpy removed(rs.get(), &Recordset::rowRemoved);
    rs->append();
    rs->setValue(QStringLiteral("name"), QStringLiteral("temp"));
    rs->cancel();
    EXPECT_EQ(rs->recordCount(), 6);
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from guest")), QStringLiteral("6"));

    rs->first();
    rs->edit();
    rs->setValue(QStringLiteral("name"), QStringLiteral("changed"));
    rs->setValue(QStringLiteral("je"), QVariant());
    rs->cancel();
    EXPECT_EQ(rs->asString(QStringLiteral("name")), QStringLiteral("张三"));
    EXPECT_DOUBLE_EQ(rs->asFloat(QStringLiteral("je")), 300.5);
    EXPECT_EQ(scalar(QStringLiteral("select name from guest where id=1")), QStringLiteral("张三"));
}

TEST_P(RecordsetOnEngine, DeleteRemovesTheRowFromTableAndResult)
{
    rs->setFilter(QStringLiteral("je = 120"));
    ASSERT_EQ(rs->recordCount(), 2);
    QSignalSpy removed(rs.get(), &Recordset::rowRemoved);
    rs->deleteRow();
    EXPECT_EQ(removed.count(), 1);
    EXPECT_EQ(rs->recordCount(), 1);
    EXPECT_EQ(rs->asString(QStringLiteral("name")), QStringLiteral("王五"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from guest")), QStringLiteral("5"));
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from guest where name='李四'")),
              QStringLiteral("0"));
    rs->setFilter(QString());
    EXPECT_EQ(rs->recordCount(), 5);

    // A row someone else deleted cannot be deleted or changed again.
    conn.execute(QStringLiteral("delete from guest where name='王五'"));
    rs->setFilter(QStringLiteral("name='王五'"));
    EXPECT_THROW(rs->deleteRow(), DbError);
    rs->setValue(QStringLiteral("je"), 1);
    EXPECT_THROW(rs->post(), DbError);
    EXPECT_EQ(rs->state(), Recordset::State::Edit) << "a refused post keeps the change";
    rs->cancel();
}

TEST_P(RecordsetOnEngine, TableWithoutIdIsMatchedByEveryOriginalValue)
{
    conn.execute(QStringLiteral("create table xtcs(csmc varchar(50), zfcs varchar(50))"));
    conn.execute(QStringLiteral("insert into xtcs values('a', '1')"));
    conn.execute(QStringLiteral("insert into xtcs values('b', null)"));
    const auto q = conn.openQuery(QStringLiteral("select * from xtcs"));
    q->next();
    q->setValue(QStringLiteral("zfcs"), QStringLiteral("2"));
    q->post();
    EXPECT_EQ(scalar(QStringLiteral("select group_concat(csmc || zfcs) from xtcs")),
              QStringLiteral("a1,b2"));
    q->first();
    q->deleteRow();
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from xtcs")), QStringLiteral("1"));
    q->append();
    q->setValue(QStringLiteral("csmc"), QStringLiteral("c"));
    q->post();
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from xtcs")), QStringLiteral("2"));
}

TEST_P(RecordsetOnEngine, ViewsAreToldOfEveryChange)
{
    QSignalSpy reset(rs.get(), &Recordset::reset);
    QSignalSpy changed(rs.get(), &Recordset::rowChanged);
    rs->setSort(QStringLiteral("je"));
    rs->setFilter(QStringLiteral("je > 0"));
    EXPECT_EQ(reset.count(), 2);
    rs->first();
    rs->setValue(QStringLiteral("name"), QStringLiteral("x"));
    rs->post();
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed.at(1).at(0).toInt(), 0);
    rs->close();
    EXPECT_EQ(reset.count(), 3);
    EXPECT_FALSE(rs->isOpen());
}

// Texts that share long beginnings, and texts equal but for letter case, in runs that the sort
// settles from their collation prefixes or by reading them; ties keep the fetch order.
TEST(RecordsetSort, TextsSharingLongBeginningsAndEqualTextsInFetchOrder)
{
    test::TestDatabase db;
    Connection conn;
    db.open(conn, Connection::Kind::Local);
    conn.execute(QStringLiteral("create table t(id integer primary key, name varchar(40))"));
    const char *names[] = {"第一个很长的名字乙",
                           "abc",
                           "第一个很长的名字甲",
                           "ABC",
                           "Abc",
                           "第一个很长的名字乙",
                           "x",
                           nullptr,
                           "第一个很长的名字甲a"};
    for (const char *n : names)
        conn.execute(QStringLiteral("insert into t(name) values(?)"),
                     {n ? QVariant(QString::fromUtf8(n)) : QVariant()});
    const auto rs = conn.openQuery(QStringLiteral("select * from t"));
    const auto ids = [&] {
        QStringList out;
        for (rs->first(); !rs->eof(); rs->next())
            out << rs->asString(QStringLiteral("id"));
        return out.join(u',');
    };
    rs->setSort(QStringLiteral("name"));
    EXPECT_EQ(ids(), QStringLiteral("8,2,4,5,7,3,9,1,6"));
    rs->setSort(QStringLiteral("name DESC"));
    EXPECT_EQ(ids(), QStringLiteral("1,6,9,3,7,2,4,5,8"));
    // An edited text sorts by its new value.
    rs->setSort(QString());
    rs->setPosition(6);
    rs->setValue(QStringLiteral("name"), QStringLiteral("第一个很长的名字丙"));
    rs->setSort(QStringLiteral("name, id DESC"));
    EXPECT_EQ(ids(), QStringLiteral("8,5,4,2,7,3,9,6,1"));
}

INSTANTIATE_TEST_SUITE_P(Engines, RecordsetOnEngine,
                         ::testing::Values(Connection::Kind::Local, Connection::Kind::Server),
                         [](const auto &info) {
                             return info.param == Connection::Kind::Local ? "Local" : "Odbc";
                         });

}  // namespace
