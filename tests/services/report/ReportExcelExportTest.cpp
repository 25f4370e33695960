#include "GridDatabase.h"

#include "services/OpenQuery.h"
#include "services/report/ReportExcelExport.h"
#include "services/report/ReportGridModel.h"
#include "support/XlsxSheet.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace tavi;

namespace {

class ExcelExport : public test::GridDatabase
{
protected:
    void SetUp() override
    {
        GridDatabase::SetUp();
        exec("create table gst(id int, phone varchar(20), amount float, rq datetime, kh int)");
        exec(
            "insert into gst values(1, '13412345678', 1200.5, '2024-03-01 10:30:00', 7),"
            "(2, '0571-8888', -200, '2024-03-02 00:00:00', 8),"
            "(3, NULL, NULL, NULL, NULL)");
        exec("insert into kh(id, name) values(7, '张三'), (8, '李四')");
    }
    int guestReport(const char *flags = "")
    {
        const int id = report({{"编号", "id", "", 100},
                               {"联系|电话", "phone", "", 120},
                               {"联系|金额", "amount", "#,##0.00元", 80, true},
                               {"日期", "rq", "yyyy-mm-dd hh:nn", 136},
                               {"客人", "kh", "[SQL:select name from kh where id={1}]", 64}},
                              flags);
        exec("update ReportList set sSql = 'select * from gst' where id = ?", {id});
        return id;
    }
    void show(int id, const char *sql = "select * from gst order by id")
    {
        OpenQuery(result, QString::fromUtf8(sql));
        ASSERT_TRUE(result.isOpen());
        model.setColumns(columnsOf(id), ReportStore(session()).load(id).twoLevelTitles());
    }
    QString write()
    {
        const QString file = dir.filePath(QStringLiteral("out.xlsx"));
        const QString error = ReportExcelExport(model).writeGrid(file);
        EXPECT_TRUE(error.isEmpty()) << error.toStdString();
        EXPECT_TRUE(sheet.read(file));
        return file;
    }

    QTemporaryDir dir;
    db::Recordset result{&data.adoConn};
    ReportGridModel model{&result};
    test::XlsxSheet sheet;
};

TEST_F(ExcelExport, TitlesTypedCellsFormatsWidthsAndTotals)
{
    show(guestReport(",1"));
    result.setPosition(1);
    write();
    // Titles as stored, the bar of a two-level title kept.
    EXPECT_EQ(sheet.text("A1"), "编号");
    EXPECT_EQ(sheet.text("B1"), "联系|电话");
    EXPECT_EQ(sheet.text("C1"), "联系|金额");
    // Unformatted columns are text: the phone keeps its digits, the id stays "1".
    EXPECT_EQ(sheet.cell("A2").type, "s");
    EXPECT_EQ(sheet.text("A2"), "1");
    EXPECT_EQ(sheet.cell("B2").type, "s");
    EXPECT_EQ(sheet.text("B2"), "13412345678");
    EXPECT_EQ(sheet.cell("B2").format, "@");
    // Formatted columns hold numbers and date serials with the translated format.
    EXPECT_EQ(sheet.cell("C3").type, "n");
    EXPECT_EQ(sheet.text("C3"), "-200");
    EXPECT_EQ(sheet.cell("C3").format, "#,##0.00\"元\"");
    EXPECT_EQ(sheet.cell("D2").type, "n");
    EXPECT_NEAR(sheet.text("D2").toDouble(), 45352 + 10.5 / 24, 1e-9);
    EXPECT_EQ(sheet.cell("D2").format, "yyyy\"-\"mm\"-\"dd\" \"hh\":\"mm");
    // A lookup column shows the looked-up names; empty values leave empty cells.
    EXPECT_EQ(sheet.text("E2"), "张三");
    EXPECT_EQ(sheet.cell("B4").type, "");
    // Widths are pixels / 8: 100 px is 12.5 characters, 136 px 17, stored with their padding.
    EXPECT_DOUBLE_EQ(sheet.widths[1], 3401 / 256.0);
    EXPECT_DOUBLE_EQ(sheet.widths[4], 4534 / 256.0);
    // Unformatted columns are text columns.
    EXPECT_EQ(sheet.columnFormats[2], "@");
    EXPECT_EQ(sheet.columnFormats[3], "#,##0.00\"元\"");
    // The totals row right below the records: the sum as a number shown like the footer.
    EXPECT_EQ(sheet.lastRow(), 5);
    EXPECT_EQ(sheet.cell("C5").type, "n");
    EXPECT_EQ(sheet.text("C5"), "1000.5");
    EXPECT_EQ(model.footerText(2), "1,000.50元");
    // The grid stays on its row.
    EXPECT_EQ(result.position(), 1);
}

TEST_F(ExcelExport, RowsFollowTheGridOrderAndAnEmptyResultPutsTheTotalsInRowTwo)
{
    const int id = guestReport();
    show(id);
    model.sort(2, Qt::DescendingOrder);
    write();
    EXPECT_EQ(sheet.text("A2"), "1");
    EXPECT_EQ(sheet.text("A3"), "2");

    show(id, "select * from gst where id > 10");
    write();
    EXPECT_EQ(sheet.text("A1"), "编号");
    EXPECT_EQ(sheet.lastRow(), 2);
    EXPECT_EQ(sheet.text("C2"), "0");
}

TEST_F(ExcelExport, AFailureLeavesNoFileAndAReplacementIsWhole)
{
    show(guestReport());
    const QString file = dir.filePath(QStringLiteral("out.xlsx"));
    QFile old(file);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    EXPECT_TRUE(ReportExcelExport(model).writeGrid(file).isEmpty());
    EXPECT_TRUE(sheet.read(file));
    EXPECT_EQ(sheet.text("A1"), "编号");

    // The rename fails onto a folder of that name: the workbook written so far goes away.
    const QString folder = dir.filePath(QStringLiteral("taken.xlsx"));
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_FALSE(ReportExcelExport(model).writeGrid(folder).isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"out.xlsx"});
}

}  // namespace
