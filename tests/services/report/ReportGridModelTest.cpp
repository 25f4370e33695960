#include "GridDatabase.h"

#include "services/OpenQuery.h"
#include "services/Session.h"
#include "services/crypto/SessionCipher.h"
#include "services/report/ReportGridModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

using namespace tavi;

namespace {

class Grid : public test::GridDatabase
{
protected:
    void SetUp() override
    {
        GridDatabase::SetUp();
        addGuestsAndBills();
    }

    // Opens a statement into the result set as a new run.
    void run(const char *sql = "select * from xf order by id")
    {
        OpenQuery(result, QString::fromUtf8(sql));
        ASSERT_TRUE(result.isOpen());
    }
    void show(int id, bool multiSelection = false)
    {
        model.setColumns(columnsOf(id, multiSelection),
                         ReportStore(session()).load(id).twoLevelTitles());
    }
    QString text(int row, int column) const
    {
        return model.data(model.index(row, column)).toString();
    }
    QStringList columnTexts(int column) const
    {
        QStringList t;
        for (int r = 0; r < model.rowCount(); ++r)
            t << text(r, column);
        return t;
    }

    db::Recordset result{&data.adoConn};
    ReportGridModel model{&result};
    // Every change the model announces is checked against what it then reports.
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(Grid, CellsShowFormattedValuesAndAlignNumbersRight)
{
    show(report({{"编号", "id"},
                 {"金额", "amount", "#,##0.00"},
                 {"日期", "rq", "yyyy-mm-dd"},
                 {"备注", "note"},
                 {"无此列", "missing"}}));
    run();
    ASSERT_EQ(model.rowCount(), 5);
    ASSERT_EQ(model.columnCount(), 5);
    EXPECT_EQ(columnTexts(1), QStringList({"1,200.50", "-200.00", "1,000.00", "", "0.25"}));
    EXPECT_EQ(columnTexts(2),
              QStringList({"2024-03-01", "2024-03-02", "2024-03-03", "", "2024-03-05"}));
    EXPECT_EQ(columnTexts(3), QStringList({"b", "", "a", "c", "a"}));
    EXPECT_EQ(columnTexts(4), QStringList({"", "", "", "", ""}));

    const auto alignment = [this](int column) {
        return model.data(model.index(0, column), Qt::TextAlignmentRole).value<Qt::Alignment>() &
               Qt::AlignHorizontal_Mask;
    };
    EXPECT_EQ(alignment(1), Qt::AlignRight);
    EXPECT_EQ(alignment(3), Qt::AlignLeft);
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
}

TEST_F(Grid, LongTextIsShownWhole)
{
    exec("create table memo(body text)");
    const QString body = QString(3000, u'长');
    exec("insert into memo values(?)", {body});
    show(report({{"内容", "body"}}));
    run("select * from memo");
    EXPECT_EQ(text(0, 0), body);
}

TEST_F(Grid, FootersTotalTheShownRowsAndCountThemUnderTheFirstUntotalledColumn)
{
    show(report({{"金额", "amount", "#,##0.00", 80, true},
                 {"客人", "kh"},
                 {"编号", "id", "", 80, true},
                 {"备注", "note"}}));
    EXPECT_EQ(model.footerText(1), "");
    run();
    EXPECT_EQ(model.footerText(0), "2,000.75");
    EXPECT_EQ(model.footerText(1), "共计5条记录");
    EXPECT_EQ(model.footerText(2), "15");
    EXPECT_EQ(model.footerText(3), "");

    QSignalSpy changed(&model, &ReportGridModel::footerChanged);
    result.setFilter(QStringLiteral("note = 'a'"));
    EXPECT_GE(changed.count(), 1);
    EXPECT_EQ(model.footerText(0), "1,000.25");
    EXPECT_EQ(model.footerText(1), "共计2条记录");
    EXPECT_EQ(model.footerText(2), "8");
}

TEST_F(Grid, TwoLevelTitlesShareTheUpperCellOfAdjacentColumns)
{
    show(report({{"营业|现金", "amount"},
                 {"营业|挂账", "amount"},
                 {"备注", "note"},
                 {"营业|其他", "amount"},
                 {"客房|金额", "amount"}},
                ",1"));
    ASSERT_TRUE(model.twoLevelTitles());
    const QStringList upper = {"营业", "营业", "", "营业", "客房"};
    const QStringList lower = {"现金", "挂账", "备注", "其他", "金额"};
    const std::vector<std::pair<int, int>> spans = {{0, 2}, {0, 2}, {2, 1}, {3, 1}, {4, 1}};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(model.headerData(c, Qt::Horizontal, ReportGridModel::UpperTitleRole).toString(),
                  upper[c]);
        EXPECT_EQ(model.headerData(c, Qt::Horizontal, ReportGridModel::LowerTitleRole).toString(),
                  lower[c]);
        EXPECT_EQ(model.headerData(c, Qt::Horizontal).toString(), lower[c]);
        EXPECT_EQ(model.upperTitleSpan(c), spans[size_t(c)]) << c;
    }
}

TEST_F(Grid, FindLooksAtTheShownTextsRoundFromAGivenCellBothWays)
{
    show(report({{"客人", "kh", "[SQL:select name from kh where id={1}]"},
                 {"金额", "amount", "#,##0.00"},
                 {"备注", "note"}}));
    EXPECT_FALSE(model.findNext(QStringLiteral("张"), {}).isValid());
    run();
    const auto at = [](const QModelIndex &i) { return std::make_pair(i.row(), i.column()); };
    QModelIndex found = model.findNext(QStringLiteral("张"), {});
    EXPECT_EQ(at(found), std::make_pair(0, 0));
    found = model.findNext(QStringLiteral("张"), found);
    EXPECT_EQ(at(found), std::make_pair(2, 0));
    found = model.findNext(QStringLiteral("张"), found);
    EXPECT_EQ(at(found), std::make_pair(4, 0));
    // Past the last match the search goes round to the first; upwards it runs the other way.
    EXPECT_EQ(at(model.findNext(QStringLiteral("张"), found)), std::make_pair(0, 0));
    EXPECT_EQ(at(model.findNext(QStringLiteral("张"), found, true)), std::make_pair(2, 0));
    EXPECT_EQ(at(model.findNext(QStringLiteral("张"), model.index(0, 0), true)),
              std::make_pair(4, 0));
    EXPECT_EQ(at(model.findNext(QStringLiteral("张"), {}, true)), std::make_pair(4, 0));
    EXPECT_FALSE(model.findNext(QStringLiteral("没有的字"), found).isValid());

    EXPECT_EQ(at(model.findNext(QStringLiteral("1,000"), {})), std::make_pair(2, 1));
    EXPECT_FALSE(model.findNext(QStringLiteral("1000"), {}).isValid());
    EXPECT_EQ(at(model.findNext(QStringLiteral("A"), model.index(0, 2))), std::make_pair(2, 2));
    EXPECT_EQ(at(model.findNext(QStringLiteral("a"), model.index(2, 2))), std::make_pair(4, 2));
    EXPECT_FALSE(model.findNext(QString(), {}).isValid());
}

TEST_F(Grid, LookupsRunOncePerDistinctValueInARun)
{
    show(report({{"客人", "kh", "[SQL:select name from kh where id={1}]"}, {"编号", "id"}}));
    run();
    for (int pass = 0; pass < 3; ++pass)
        EXPECT_EQ(columnTexts(0), QStringList({"张三", "李四", "张三", "", "张三"}));
    EXPECT_EQ(model.lookups().lookupCount(), 2);
    EXPECT_EQ(model.data(model.index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>() &
                  Qt::AlignHorizontal_Mask,
              Qt::AlignLeft);

    model.toggleSort(1);
    columnTexts(0);
    EXPECT_EQ(model.lookups().lookupCount(), 2);

    exec("update kh set name='张三丰' where id=7");
    run();
    EXPECT_EQ(model.sortColumn(), -1);
    EXPECT_EQ(columnTexts(0), QStringList({"张三丰", "李四", "张三丰", "", "张三丰"}));
    EXPECT_EQ(model.lookups().lookupCount(), 4);
}

// An id met as a stored integer, a whole double or its digits as text is one value: one text,
// one lookup. A cleared cache keeps its tables and looks up afresh.
TEST_F(Grid, LookupsKeyAValueByTheTextItShows)
{
    LookupCache lookups;
    const QString byIdTemplate = QStringLiteral("select name from kh where id={1}");
    LookupCache::Table &byId = lookups.table(byIdTemplate);
    EXPECT_EQ(&byId, &lookups.table(byIdTemplate));
    EXPECT_EQ(lookups.LookupFieldText(byId, QVariant(qint64(7))), QStringLiteral("张三"));
    EXPECT_EQ(lookups.LookupFieldText(byId, QVariant(7.0)), QStringLiteral("张三"));
    EXPECT_EQ(lookups.LookupFieldText(byIdTemplate, QStringLiteral("7")), QStringLiteral("张三"));
    EXPECT_EQ(lookups.numberText(byId, 7), QStringLiteral("张三"));
    EXPECT_EQ(lookups.lookupCount(), 1);
    EXPECT_EQ(lookups.LookupFieldText(byId, QVariant(7.5)), QString());
    EXPECT_EQ(lookups.LookupFieldText(byId, QVariant()), QString());
    EXPECT_EQ(lookups.lookupCount(), 2);

    exec("update kh set name='李四郎' where id=8");
    lookups.clear();
    EXPECT_EQ(lookups.LookupFieldText(byId, QStringLiteral("8")), QStringLiteral("李四郎"));
    EXPECT_EQ(lookups.LookupFieldText(byId, QVariant(int(8))), QStringLiteral("李四郎"));
    EXPECT_EQ(lookups.numberText(byId, 7), QStringLiteral("张三"));
    EXPECT_EQ(lookups.lookupCount(), 4);
}

// A stored value fills a lookup's literal with its quotes doubled; outside a literal only a
// number passes, and anything else shows nothing instead of what an injected statement selects.
TEST_F(Grid, LookupsTakeStoredValuesAsDataNotAsStatement)
{
    exec("update xf set note='O''Brien'' union select secret from kh --' where id=1");
    exec("update xf set note='8' where id=2");
    exec("update kh set secret='机密'");
    exec("insert into kh(id, name) values(10, 'O''Brien'' union select secret from kh --')");
    LookupCache lookups;
    const QString byName = QStringLiteral("select id from kh where name='{1}'");
    const QString byId = QStringLiteral("select name from kh where id={1}");
    EXPECT_EQ(
        lookups.LookupFieldText(byName, QStringLiteral("O'Brien' union select secret from kh --")),
        QStringLiteral("10"));
    EXPECT_EQ(lookups.LookupFieldText(byId, QStringLiteral("0 union select secret from kh")),
              QString());
    EXPECT_EQ(lookups.LookupFieldText(byId, QStringLiteral(" 8 ")), QStringLiteral("李四"));
    EXPECT_EQ(lookups.LookupFieldText(QStringLiteral("select name from kh where id={1} -- it's"),
                                      QStringLiteral("7")),
              QStringLiteral("张三"));
}

TEST_F(Grid, LookupTextsAreDecryptedOnRequest)
{
    session().SysInfo.DesKey = QStringLiteral("tavi8key");
    exec("update kh set secret=? where id=7", {EncryptWithSessionKey(QStringLiteral("甲密"))});
    exec("update kh set secret=? where id=8", {EncryptWithSessionKey(QStringLiteral("乙密"))});
    exec("create table card(id int, code varchar(100))");
    exec("insert into card values(1, ?), (2, 'not hex'), (3, NULL), (4, ?)",
         {EncryptWithSessionKey(QStringLiteral("房卡8001")),
          EncryptPerChar(QStringLiteral("0571-房8"))});
    exec("insert into kh(id, name) values(10, '无密')");

    struct Case
    {
        const char *format;
        const char *field;
        const char *sql;
        QStringList shown;
    } cases[] = {
        // A value encrypted character by character (searchable) reads as plainly.
        {"[SQL:DESDECRY]",
         "code",
         "select code from card order by id",
         {"房卡8001", "", "", "0571-房8"}},
        {"[SQL:desdecry]", "code", "select code from card where id < 4", {"房卡8001", "", ""}},
        {"[SQL:DESDECRY:select secret from kh where id={1}]",
         "id",
         "select id from kh where id in (7, 8, 10) union select 11 order by id",
         {"甲密", "乙密", "", ""}},
        {"[SQL:select secret from kh where id={1}]",
         "id",
         "select id from kh where id=7",
         {EncryptWithSessionKey(QStringLiteral("甲密"))}},
    };
    for (const Case &c : cases) {
        show(report({{"值", c.field, c.format}}));
        run(c.sql);
        EXPECT_EQ(columnTexts(0), c.shown) << c.format;
    }
}

TEST_F(Grid, ALookupColumnSortsByTheTextItShows)
{
    // The names go c, -, a, b, a by id; by name the ids come 2, 3, 5, 1, 4.
    show(report({{"编号", "id"}, {"备注", "id", "[SQL:select note from xf where id={1}]"}}));
    run();
    ASSERT_EQ(columnTexts(1), QStringList({"b", "", "a", "c", "a"}));
    ASSERT_TRUE(model.toggleSort(1));
    EXPECT_EQ(columnTexts(0), QStringList({"2", "3", "5", "1", "4"}));
    EXPECT_EQ(columnTexts(1), QStringList({"", "a", "a", "b", "c"}));
    ASSERT_TRUE(model.toggleSort(1));
    EXPECT_EQ(columnTexts(0), QStringList({"4", "1", "3", "5", "2"}));
    EXPECT_EQ(model.sortOrder(), Qt::DescendingOrder);
    EXPECT_EQ(result.sort(), QStringLiteral("id DESC"));
    ASSERT_TRUE(model.toggleSort(0));
    EXPECT_EQ(columnTexts(0), QStringList({"1", "2", "3", "4", "5"}));
}

TEST_F(Grid, TitleClicksToggleTheSortAndTicksStayWithTheirRows)
{
    std::vector<bool> ticks;
    show(report({{"金额", "amount"}, {"编号", "id"}, {"无此列", "missing"}}, "", 2), true);
    run();
    ticks.assign(size_t(result.recordCount()), false);
    result.addCalculatedField(
        QStringLiteral("FieldSel"),
        [&ticks](const db::Recordset &, int rowId) { return bool(ticks[size_t(rowId)]); },
        [&ticks](db::Recordset &, int rowId, bool value) { ticks[size_t(rowId)] = value; });
    ASSERT_EQ(model.columnCount(), 4);
    EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsUserCheckable);

    const auto checks = [this] {
        QStringList ids;
        for (int r = 0; r < model.rowCount(); ++r) {
            if (model.data(model.index(r, 0), Qt::CheckStateRole).toInt() == Qt::Checked)
                ids << text(r, 2);
        }
        return ids;
    };
    result.setPosition(3);
    EXPECT_TRUE(model.setData(model.index(0, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(model.setData(model.index(2, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(model.setData(model.index(2, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_TRUE(model.setData(model.index(4, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_FALSE(model.setData(model.index(1, 1), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(result.position(), 3);
    EXPECT_EQ(checks(), QStringList({"1", "5"}));

    struct Click
    {
        int column;
        bool sorts;
        QStringList ids;
    };
    // 金额 holds NULL in row 4; the missing field's sort fails and leaves the marker on 编号,
    // so the last click flips 编号 back to ascending.
    const Click clicks[] = {
        {1, true, {"4", "2", "5", "3", "1"}},  {1, true, {"1", "3", "5", "2", "4"}},
        {1, true, {"4", "2", "5", "3", "1"}},  {2, true, {"1", "2", "3", "4", "5"}},
        {2, true, {"5", "4", "3", "2", "1"}},  {0, false, {"5", "4", "3", "2", "1"}},
        {3, false, {"5", "4", "3", "2", "1"}}, {2, true, {"1", "2", "3", "4", "5"}},
    };
    for (const Click &c : clicks) {
        SCOPED_TRACE(c.column);
        EXPECT_EQ(model.toggleSort(c.column), c.sorts);
        EXPECT_EQ(columnTexts(2), c.ids);
        QStringList ticked = checks();
        ticked.sort();
        EXPECT_EQ(ticked, QStringList({"1", "5"}));
    }
    EXPECT_EQ(model.sortColumn(), 2);
    EXPECT_EQ(model.sortOrder(), Qt::AscendingOrder);

    ASSERT_TRUE(model.moveColumns({}, 2, 1, {}, 1));
    EXPECT_EQ(model.sortColumn(), 1);
    EXPECT_TRUE(model.toggleSort(1));
    EXPECT_EQ(columnTexts(1), QStringList({"5", "4", "3", "2", "1"}));
}

TEST_F(Grid, WidthChangesMarkTheLayoutExceptForTemplates)
{
    show(report({{"金额", "amount"}, {"编号", "id"}}));
    model.setColumnWidth(0, 80);
    EXPECT_FALSE(model.LayoutChanged());
    model.setColumnWidth(0, 120);
    EXPECT_TRUE(model.LayoutChanged());
    EXPECT_EQ(model.column(0).width, 120);

    model.setLayoutChanged(false);
    model.setTemplateReport(true);
    model.setColumnWidth(1, 150);
    EXPECT_FALSE(model.LayoutChanged());
}

TEST_F(Grid, SavedLayoutComesBackOnReopening)
{
    const int id = report({{"金额", "amount"}, {"编号", "id"}, {"备注", "note"}}, "", 2);
    const int other = report({{"金额", "amount"}});
    show(id, true);
    model.setColumnWidth(1, 133);
    ASSERT_TRUE(model.moveColumns({}, 3, 1, {}, 1));
    EXPECT_EQ(model.column(1).field, "note");

    QString error;
    ASSERT_TRUE(ReportStore(session()).saveLayout(id, model.layout(), &error))
        << error.toStdString();

    const auto rows = data.adoConn.openQuery(
        QStringLiteral("select field, width, sortid from ReportField where ReportID=%1 "
                       "order by sortid")
            .arg(id));
    QStringList stored;
    for (rows->first(); !rows->eof(); rows->next())
        stored << rows->asString(QStringLiteral("field")) + u' ' +
                      rows->asString(QStringLiteral("width")) + u' ' +
                      rows->asString(QStringLiteral("sortid"));
    EXPECT_EQ(stored, QStringList({"note 80 1", "amount 133 2", "id 80 3"}));
    EXPECT_EQ(scalar(QStringLiteral("select width from ReportField where ReportID=%1").arg(other)),
              "80");

    const QList<ReportColumn> reopened = columnsOf(id, true);
    ASSERT_EQ(reopened.size(), 4);
    EXPECT_EQ(reopened[1].field, "note");
    EXPECT_EQ(reopened[2].field, "amount");
    EXPECT_EQ(reopened[2].width, 133);

    // Without a stored report nothing is written.
    EXPECT_TRUE(ReportStore(session()).saveLayout(0, model.layout(), &error));
}

}  // namespace

namespace tavi {
namespace {

// An added or deleted record reaches the views as one row, not as a reset of the whole grid, so
// a view keeps its position and selection; the footers follow.
TEST_F(Grid, AddedAndDeletedRowsArriveAsRowsNotAsAReset)
{
    show(report({{"编号", "id"}, {"金额", "amount", "0.00", 80, true}}));
    run("select id, amount from xf order by id");
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

    result.append();
    result.setValue(QStringLiteral("id"), 6);
    result.setValue(QStringLiteral("amount"), 100);
    result.post();
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted.at(0).at(1).toInt(), 5);
    EXPECT_EQ(model.rowCount(), 6);
    EXPECT_EQ(model.footerText(1), QStringLiteral("2100.75"));

    result.setPosition(1);
    result.deleteRow();
    ASSERT_EQ(removed.size(), 1);
    EXPECT_EQ(removed.at(0).at(1).toInt(), 1);
    EXPECT_EQ(text(1, 0), QStringLiteral("3"));
    EXPECT_EQ(model.footerText(1), QStringLiteral("2300.75"));
    EXPECT_EQ(resets.size(), 0);
}

}  // namespace
}  // namespace tavi
