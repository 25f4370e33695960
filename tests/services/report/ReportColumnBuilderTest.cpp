#include "GridDatabase.h"

#include "services/Session.h"
#include "services/report/ReportColumnBuilder.h"

using namespace tavi;
using Footer = ReportColumn::Footer;

namespace {

class ColumnBuilding : public test::GridDatabase
{
protected:
    static QStringList titles(const QList<ReportColumn> &columns)
    {
        QStringList t;
        for (const ReportColumn &c : columns)
            t << c.title;
        return t;
    }
    static QStringList fields(const QList<ReportColumn> &columns)
    {
        QStringList f;
        for (const ReportColumn &c : columns)
            f << c.field;
        return f;
    }
    // A cross-table parameter of a report.
    void crossTable(int id, const char *value, const char *list, int sort)
    {
        exec(
            "insert into ReportCS(ReportID, CSValue, CSName, CSLX, CSSql, CSList, sort) "
            "values(?, ?, '', '交叉表', '', ?, ?)",
            {id, QString::fromUtf8(value), QString::fromUtf8(list), sort});
    }
};

TEST_F(ColumnBuilding, PropertiesComeFromTheShownRowsInOrder)
{
    const int id = report({
        {"金额", "amount", "#,##0.00", 0, true},
        {"客人", "kh", "[SQL:select name from kh where id={1}]", 15},
        {"日期", "rq", "yyyy-mm-dd", 20},
        {"隐藏", "note", "", 80, false, false},
        {"备注", "note", "", 19},
    });
    // A later row with a smaller SortID comes first; equal SortIDs keep their row order.
    addColumn(id, {"编号", "id", "", 60}, 0);

    const QList<ReportColumn> columns = columnsOf(id);
    ASSERT_EQ(titles(columns), QStringList({"编号", "金额", "客人", "日期", "备注"}));
    EXPECT_EQ(fields(columns), QStringList({"id", "amount", "kh", "rq", "note"}));

    const std::vector<int> widths = {60, 40, 40, 20, 40};
    for (int i = 0; i < columns.size(); ++i)
        EXPECT_EQ(columns[i].width, widths[size_t(i)]) << i;

    EXPECT_EQ(columns[1].displayFormat, "#,##0.00");
    EXPECT_FALSE(columns[1].lookup);
    EXPECT_TRUE(columns[2].lookup);
    EXPECT_EQ(columns[2].lookupTemplate, "select name from kh where id={1}");
    EXPECT_EQ(columns[2].displayFormat, "");
    EXPECT_EQ(columns[3].displayFormat, "yyyy-mm-dd");
}

TEST_F(ColumnBuilding, FootersTotalMarkedColumnsAndCountInTheFirstOther)
{
    const int id = report({
        {"金额", "amount", "0.00", 80, true},
        {"客人", "kh"},
        {"日期", "rq"},
        {"次数", "id", "0", 80, true},
    });
    const std::vector<Footer> expected = {Footer::Sum, Footer::Count, Footer::None, Footer::Sum};
    for (const bool multi : {false, true}) {
        QList<ReportColumn> columns = columnsOf(id, multi);
        if (multi) {
            ASSERT_TRUE(columns[0].checkColumn);
            EXPECT_EQ(columns[0].title, "选择");
            EXPECT_EQ(columns[0].field, "fieldsel");
            EXPECT_EQ(columns[0].width, 40);
            EXPECT_EQ(columns[0].footer, Footer::None);
            EXPECT_FALSE(columns[0].sortable());
            columns.removeFirst();
        }
        ASSERT_EQ(columns.size(), 4);
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(columns[i].footer, expected[size_t(i)])
                << "column " << i << " multi " << multi;
    }
}

TEST_F(ColumnBuilding, TwoLevelTitlesOnlyWithTheirFlag)
{
    const std::initializer_list<Column> cols = {{"营业|现金", "amount"}, {"备注", "note"}};
    for (const char *flags : {"", ",1"}) {
        const QList<ReportColumn> columns = columnsOf(report(cols, flags));
        const bool twoLevels = *flags != 0;
        EXPECT_EQ(columns[0].upperTitle, twoLevels ? "营业" : "");
        EXPECT_EQ(columns[0].lowerTitle, twoLevels ? "现金" : "营业|现金");
        EXPECT_EQ(columns[1].upperTitle, "");
        EXPECT_EQ(columns[1].lowerTitle, "备注");
    }
}

TEST_F(ColumnBuilding, DayListColumnsFollowThePanelRange)
{
    const int id = report({{"客人", "kh"},
                           {"营业额[交叉表列]", "[交叉表列]", "0.00", 70, true},
                           {"合计", "amount", "0.00", 80, true}},
                          ",3");
    crossTable(id, "{1}", "[:DAYLIST:]", 1);
    const DateRange march{QDateTime(QDate(2024, 3, 1), QTime(0, 0)),
                          QDateTime(QDate(2024, 3, 3), QTime(0, 0))};

    ReportColumnBuilder builder = columnBuilder();
    const QList<ReportColumn> columns = builder.build(store.load(id), false, march);
    EXPECT_EQ(builder.dateListKind(), 0);
    EXPECT_TRUE(builder.dependsOnDateRange());
    EXPECT_EQ(titles(columns),
              QStringList({"客人", "营业额3月1日", "营业额3月2日", "营业额3月3日", "合计"}));
    EXPECT_EQ(fields(columns), QStringList({"kh", "Tavi_Field_Tmp00", "Tavi_Field_Tmp01",
                                            "Tavi_Field_Tmp02", "amount"}));
    EXPECT_EQ(columns[2].width, 70);
    EXPECT_EQ(columns[2].displayFormat, "0.00");
    EXPECT_EQ(columns[2].footer, Footer::Sum);
    EXPECT_EQ(columns[0].footer, Footer::Count);

    ReportColumnBuilder withoutRange = columnBuilder();
    EXPECT_EQ(fields(withoutRange.build(store.load(id), false, std::nullopt)),
              QStringList({"kh", "amount"}));
    EXPECT_EQ(withoutRange.dateListKind(), -1);
    EXPECT_FALSE(withoutRange.dependsOnDateRange());
}

TEST_F(ColumnBuilding, SeveralCrossTablesNumberTheirColumnsOnAndQuoteTheirValues)
{
    exec("create table dept(name varchar(20))");
    exec("insert into dept values('O''Neil'), ('前台')");
    const int id = report(
        {{"[交叉表列]月", "[交叉表列{1}]", "", 50}, {"部门[交叉表列]", "[交叉表列{2}]", "", 60}},
        ",3");
    crossTable(id, "{2}", "[SQL:select name from dept order by name]", 2);
    crossTable(id, "{1}", "[:MONTHLIST:]", 1);
    const DateRange range{QDateTime(QDate(2024, 1, 15), QTime(0, 0)),
                          QDateTime(QDate(2024, 2, 15), QTime(0, 0))};

    ReportColumnBuilder builder = columnBuilder();
    const QList<ReportColumn> columns = builder.build(store.load(id), false, range);
    EXPECT_EQ(titles(columns), QStringList({"24年1月月", "24年2月月", "部门O'Neil", "部门前台"}));
    EXPECT_EQ(fields(columns), QStringList({"Tavi_Field_Tmp00", "Tavi_Field_Tmp01",
                                            "Tavi_Field_Tmp02", "Tavi_Field_Tmp03"}));
    EXPECT_EQ(builder.dateListKind(), 1);
    EXPECT_TRUE(builder.dependsOnDateRange());
}

}  // namespace
