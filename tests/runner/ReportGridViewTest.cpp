#include "services/report/GridDatabase.h"

#include "services/OpenQuery.h"
#include "services/report/ReportGridModel.h"
#include "ui/ReportFindDialog.h"
#include "ui/ReportGridFooter.h"
#include "ui/ReportGridHeader.h"
#include "ui/ReportGridView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using namespace tavi;

namespace {

class GridView : public test::GridDatabase
{
protected:
    void SetUp() override
    {
        GridDatabase::SetUp();
        addGuestsAndBills();
        view.setModel(&model);
        view.resize(520, 300);
        view.show();
    }

    void open(int id, bool multiSelection = false, const char *sql = "select * from xf order by id")
    {
        model.setColumns(columnsOf(id, multiSelection),
                         ReportStore(session()).load(id).twoLevelTitles());
        OpenQuery(result, QString::fromUtf8(sql));
        ASSERT_TRUE(result.isOpen());
        settle();
    }
    static void settle() { QApplication::processEvents(); }

    QTableView *table() const { return view.table(); }
    QHeaderView *titles() const { return view.table()->horizontalHeader(); }
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
    QPoint cellPoint(int row, int column) const
    {
        return table()->visualRect(model.index(row, column)).center();
    }
    void clickTitle(int column)
    {
        const QPoint at(
            titles()->sectionViewportPosition(column) + titles()->sectionSize(column) / 2,
            titles()->height() / 2);
        QTest::mouseClick(titles()->viewport(), Qt::LeftButton, {}, at);
        settle();
    }
    void clickCell(int row, int column, int dx = 0)
    {
        QTest::mouseClick(table()->viewport(), Qt::LeftButton, {},
                          cellPoint(row, column) + QPoint(dx, 0));
        settle();
    }
    std::pair<int, int> current() const
    {
        const QModelIndex i = table()->currentIndex();
        return {i.row(), i.column()};
    }
    // Screen x of a column's left edge in the titles and in the footer.
    int titleLeft(int column) const
    {
        return titles()
            ->viewport()
            ->mapToGlobal(QPoint(titles()->sectionViewportPosition(column), 0))
            .x();
    }
    int footerLeft(int column) const
    {
        ReportGridFooter *f = view.footer();
        return f->mapToGlobal(f->cellRect(column).topLeft()).x();
    }

    db::Recordset result{&data.adoConn};
    ReportGridModel model{&result};
    ReportGridView view;
};

TEST_F(GridView, TitleClicksSortAndShowTheMarkerWhileTheCurrentRecordStays)
{
    open(report({{"金额", "amount", "#,##0.00"}, {"编号", "id"}, {"无此列", "missing"}}));
    EXPECT_EQ(titles()->sortIndicatorSection(), -1);
    view.setCurrentRow(2);
    EXPECT_EQ(result.position(), 2);

    struct Step
    {
        int column;
        int marker;
        Qt::SortOrder order;
        QStringList ids;
    };
    const Step steps[] = {
        {1, 1, Qt::AscendingOrder, {"1", "2", "3", "4", "5"}},
        {1, 1, Qt::DescendingOrder, {"5", "4", "3", "2", "1"}},
        {1, 1, Qt::AscendingOrder, {"1", "2", "3", "4", "5"}},
        {0, 0, Qt::AscendingOrder, {"4", "2", "5", "3", "1"}},
        {2, 0, Qt::AscendingOrder, {"4", "2", "5", "3", "1"}},
        {0, 0, Qt::DescendingOrder, {"1", "3", "5", "2", "4"}},
    };
    // The right end of a title, where its marker goes.
    const auto markerArea = [this](int column) {
        const int right = titles()->sectionViewportPosition(column) + titles()->sectionSize(column);
        return titles()->grab(QRect(right - 14, 0, 14, titles()->height())).toImage();
    };
    const QImage unmarked = markerArea(1);
    std::vector<QImage> marks;
    for (const Step &s : steps) {
        SCOPED_TRACE(s.column);
        clickTitle(s.column);
        marks.push_back(markerArea(1));
        EXPECT_EQ(columnTexts(1), s.ids);
        EXPECT_EQ(titles()->sortIndicatorSection(), s.marker);
        EXPECT_EQ(titles()->sortIndicatorOrder(), s.order);
        ASSERT_GE(view.currentRow(), 0);
        EXPECT_EQ(text(view.currentRow(), 1), "3");
        EXPECT_EQ(result.position(), view.currentRow());
    }
    EXPECT_NE(marks[0], unmarked);
    EXPECT_NE(marks[1], unmarked);
    EXPECT_NE(marks[1], marks[0]);
    EXPECT_EQ(marks[2], marks[0]);
    EXPECT_EQ(marks[3], unmarked);
}

TEST_F(GridView, TickCellsToggleOnClickButTheTickTitleIsNoButton)
{
    std::vector<bool> ticks;
    open(report({{"金额", "amount"}, {"编号", "id"}}, "", 2), true);
    ticks.assign(size_t(result.recordCount()), false);
    result.addCalculatedField(
        QStringLiteral("FieldSel"),
        [&ticks](const db::Recordset &, int rowId) { return bool(ticks[size_t(rowId)]); },
        [&ticks](db::Recordset &, int rowId, bool value) { ticks[size_t(rowId)] = value; });
    settle();
    ASSERT_EQ(model.columnCount(), 3);
    const auto ticked = [&ticks] {
        QList<int> rows;
        for (size_t i = 0; i < ticks.size(); ++i) {
            if (ticks[i])
                rows << int(i);
        }
        return rows;
    };

    clickCell(1, 0);
    EXPECT_EQ(ticked(), QList<int>({1}));
    // Anywhere in the cell, not only on the box.
    const int edge = table()->columnWidth(0) / 2 - 3;
    clickCell(3, 0, edge);
    clickCell(1, 0, -edge);
    EXPECT_EQ(ticked(), QList<int>({3}));
    clickCell(2, 1);
    clickCell(4, 2);
    EXPECT_EQ(ticked(), QList<int>({3}));
    EXPECT_EQ(view.currentRow(), 4);
    EXPECT_EQ(model.data(model.index(3, 0), Qt::CheckStateRole).toInt(), Qt::Checked);

    QSignalSpy titleClicks(titles(), &QHeaderView::sectionClicked);
    clickTitle(2);
    ASSERT_EQ(model.sortColumn(), 2);
    clickTitle(0);
    EXPECT_EQ(titleClicks.count(), 1);
    EXPECT_EQ(model.sortColumn(), 2);
    EXPECT_EQ(titles()->sortIndicatorSection(), 2);
    EXPECT_EQ(titles()->sortIndicatorOrder(), Qt::AscendingOrder);
    EXPECT_EQ(ticked(), QList<int>({3}));
}

TEST_F(GridView, FooterShowsUnderItsColumnsThroughWidthChangesMovesAndScrolling)
{
    open(report({{"金额", "amount", "#,##0.00", 90, true},
                 {"编号", "id", "", 110},
                 {"备注", "note", "", 60},
                 {"客人", "kh", "", 50, true}}));
    ReportGridFooter *footer = view.footer();
    ASSERT_TRUE(footer->isVisible());
    EXPECT_EQ(footer->height(), ReportGridFooter::kHeight);
    EXPECT_GE(footer->mapTo(&view, QPoint(0, 0)).y(),
              table()->viewport()->mapTo(&view, QPoint(0, table()->viewport()->height())).y());
    EXPECT_EQ(footer->text(0), "2,000.75");
    EXPECT_EQ(footer->text(1), "共计5条记录");
    EXPECT_EQ(footer->text(2), "");
    EXPECT_EQ(footer->text(3), "29");

    const std::vector<int> widths = {90, 110, 60, 50};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(titles()->sectionSize(c), widths[size_t(c)]);
        EXPECT_EQ(footerLeft(c), titleLeft(c));
        EXPECT_EQ(footer->cellRect(c).width(), widths[size_t(c)]);
    }
    EXPECT_FALSE(model.LayoutChanged());

    const int before = footerLeft(1);
    titles()->resizeSection(0, 150);
    settle();
    EXPECT_TRUE(model.LayoutChanged());
    EXPECT_EQ(model.column(0).width, 150);
    EXPECT_EQ(footerLeft(1), before + 60);
    EXPECT_EQ(footerLeft(1), titleLeft(1));

    // A dragged title moves the model's column; widths and footers go with it.
    titles()->moveSection(3, 0);
    settle();
    EXPECT_EQ(model.column(0).field, "kh");
    EXPECT_EQ(titles()->logicalIndex(0), 0);
    EXPECT_EQ(titles()->sectionSize(0), 50);
    EXPECT_EQ(titles()->sectionSize(1), 150);
    EXPECT_EQ(footer->text(0), "29");
    EXPECT_EQ(footer->text(2), "共计5条记录");
    EXPECT_EQ(footerLeft(2), titleLeft(2));

    view.resize(200, 300);
    settle();
    QScrollBar *bar = view.findChild<QScrollBar *>(QStringLiteral("horizontalScrollBar"));
    ASSERT_TRUE(bar);
    ASSERT_TRUE(bar->isVisible());
    const int unscrolled = footerLeft(2);
    bar->setValue(70);
    settle();
    EXPECT_EQ(table()->horizontalScrollBar()->value(), 70);
    EXPECT_EQ(footerLeft(2), unscrolled - 70);
    EXPECT_EQ(footerLeft(2), titleLeft(2));
}

// Dark pixels in the left part of a footer cell: where text was drawn.
int inkAtLeftOf(ReportGridFooter *footer, int column)
{
    const QImage image = footer->grab().toImage();
    const QRect cell = footer->cellRect(column);
    int ink = 0;
    for (int x = cell.left() + 3; x < cell.left() + 30 && x < image.width(); ++x) {
        for (int y = 2; y < image.height() - 2; ++y)
            ink += qGray(image.pixel(x, y)) < 100 ? 1 : 0;
    }
    return ink;
}

TEST_F(GridView, ACountWiderThanItsColumnRunsOnOverEmptyFooters)
{
    open(report({{"编号", "id", "", 40},
                 {"备注", "note", "", 80},
                 {"金额", "amount", "#,##0.00", 90, true}}));
    ASSERT_EQ(view.footer()->text(0), "共计5条记录");
    EXPECT_GT(inkAtLeftOf(view.footer(), 1), 0) << "the count goes on under 备注";

    open(report({{"编号", "id", "", 40}, {"金额", "amount", "#,##0.00", 90, true}}));
    EXPECT_EQ(inkAtLeftOf(view.footer(), 1), 0) << "a footer of its own stops it";
}

TEST_F(GridView, TwoLevelTitlesShareTheirUpperCell)
{
    open(report({{"营业|现金", "amount", "#,##0.00", 90, true},
                 {"营业|挂账", "amount", "#,##0.00", 90, true},
                 {"备注", "note", "", 80},
                 {"客房|编号", "id", "", 80}},
                ",1"));
    EXPECT_EQ(titles()->height(), 2 * ReportGridHeader::kLineHeight);

    const QImage image = titles()->grab().toImage();
    // A divider between sections differs from the title background a few pixels to its left.
    const auto divider = [&image](int x, int y) {
        const QRgb inside = image.pixel(x - 5, y);
        for (int dx = -1; dx <= 1; ++dx) {
            if (image.pixel(x + dx, y) != inside)
                return true;
        }
        return false;
    };
    // Rows above the title texts.
    const int upper = 1;
    const int lower = ReportGridHeader::kLineHeight + 1;
    const int edge01 = titles()->sectionViewportPosition(1);
    const int edge12 = titles()->sectionViewportPosition(2);
    EXPECT_FALSE(divider(edge01, upper));
    EXPECT_TRUE(divider(edge01, lower));
    EXPECT_TRUE(divider(edge12, upper));
    EXPECT_TRUE(divider(edge12, lower));

    const int one = report({{"金额", "amount"}});
    open(one);
    EXPECT_EQ(titles()->height(), ReportGridHeader::kLineHeight);
}

TEST_F(GridView, FindGoesRoundBothWaysAndReportsOnlyATextNoCellHolds)
{
    open(report({{"编号", "id"}, {"备注", "note"}}));
    EXPECT_EQ(current(), std::make_pair(0, 0));
    QTest::keyClick(table(), Qt::Key_F, Qt::ControlModifier);
    ReportFindDialog *dialog = view.findDialog();
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(dialog->isVisible());
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("edtFind"));
    auto *next = dialog->findChild<QPushButton *>(QStringLiteral("btnFindNext"));
    ASSERT_TRUE(edit && next);

    edit->setText(QStringLiteral("A"));
    next->click();
    EXPECT_EQ(current(), std::make_pair(2, 1));
    EXPECT_EQ(result.position(), 2);
    next->click();
    EXPECT_EQ(current(), std::make_pair(4, 1));
    // Past the last match the search goes round; "找不到" is only for a text no cell holds.
    next->click();
    EXPECT_EQ(current(), std::make_pair(2, 1));
    auto *up = dialog->findChild<QRadioButton *>(QStringLiteral("rdoUp"));
    ASSERT_TRUE(up);
    up->click();
    EXPECT_TRUE(dialog->upwards());
    next->click();
    EXPECT_EQ(current(), std::make_pair(4, 1)) << "upwards from the first match goes round";
    next->click();
    EXPECT_EQ(current(), std::make_pair(2, 1));
    edit->setText(QStringLiteral("没有的字"));
    ui.expectMessage(QStringLiteral("找不到“没有的字”"));
    next->click();
    ui.verify();
    EXPECT_EQ(current(), std::make_pair(2, 1));
    dialog->setUpwards(false);

    // A new search starts at the current cell itself.
    view.setCurrentRow(0);
    table()->setCurrentIndex(model.index(0, 0));
    edit->setText(QStringLiteral("1"));
    next->click();
    EXPECT_EQ(current(), std::make_pair(0, 0));
    EXPECT_TRUE(view.findNext(QStringLiteral("b")));
    EXPECT_EQ(current(), std::make_pair(0, 1));
}

TEST_F(GridView, CutTitlesShowWholeInATipAndADoubleClickOnTheirEdgeFitsThem)
{
    open(report({{"营业额|12月1日至12月31日", "note", "", 30},
                 {"金额", "amount", "#,##0.00", 20},
                 {"编号", "id"}},
                ",1"));
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::ToolTipRole).toString(),
              QStringLiteral("营业额\n12月1日至12月31日"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString(),
              QStringLiteral("金额"));

    const auto doubleClickRightEdge = [this](int column) {
        const int edge = titles()->sectionViewportPosition(column) + titles()->sectionSize(column);
        QTest::mouseDClick(titles()->viewport(), Qt::LeftButton, {},
                           QPoint(edge - 1, titles()->height() - 4));
        settle();
    };
    doubleClickRightEdge(0);
    const QFontMetrics metrics = titles()->fontMetrics();
    const int title = metrics.horizontalAdvance(QStringLiteral("12月1日至12月31日"));
    EXPECT_GE(titles()->sectionSize(0), title + 4 + ReportGridHeader::kMarkerWidth);
    EXPECT_EQ(model.column(0).width, titles()->sectionSize(0));
    EXPECT_TRUE(model.LayoutChanged());

    // A column whose cells are wider than its title fits its widest cell.
    doubleClickRightEdge(1);
    EXPECT_GE(titles()->sectionSize(1), table()->fontMetrics().horizontalAdvance("1,200.50"));
    EXPECT_EQ(model.column(1).width, titles()->sectionSize(1));
}

TEST_F(GridView, DoubleClicksEnterAndTheCurrentRowAreReported)
{
    open(report({{"编号", "id"}, {"备注", "note"}}));
    QSignalSpy doubleClicked(&view, &ReportGridView::rowDoubleClicked);
    QSignalSpy rowChanged(&view, &ReportGridView::currentRowChanged);

    clickCell(2, 0);
    ASSERT_EQ(rowChanged.count(), 1);
    EXPECT_EQ(rowChanged.at(0).at(0).toInt(), 2);
    EXPECT_EQ(result.position(), 2);

    // A double click starts as a click; the test tool sends only its second half.
    clickCell(3, 1);
    QTest::mouseDClick(table()->viewport(), Qt::LeftButton, {}, cellPoint(3, 1));
    ASSERT_EQ(doubleClicked.count(), 1);
    EXPECT_EQ(doubleClicked.at(0).at(0).toInt(), 3);

    table()->setCurrentIndex(model.index(3, 0));
    QTest::keyClick(table(), Qt::Key_Return);
    EXPECT_EQ(current(), std::make_pair(3, 1));
    QTest::keyClick(table(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(current(), std::make_pair(4, 0));
    EXPECT_EQ(rowChanged.last().at(0).toInt(), 4);
    EXPECT_EQ(result.position(), 4);

    // Enter stays in the grid instead of pressing a dialog's default button.
    QDialog dialog;
    auto *ok = new QPushButton(QStringLiteral("确定"), &dialog);
    ok->setDefault(true);
    view.setParent(&dialog);
    const auto giveBack = qScopeGuard([this] { view.setParent(nullptr); });
    dialog.show();
    QSignalSpy okClicks(ok, &QPushButton::clicked);
    table()->setCurrentIndex(model.index(1, 0));
    QTest::keyClick(table(), Qt::Key_Return);
    EXPECT_EQ(current(), std::make_pair(1, 1));
    EXPECT_EQ(okClicks.count(), 0);

    result.setPosition(3);
    EXPECT_EQ(view.currentRow(), 3);
    EXPECT_EQ(table()->verticalHeader()->width(), 12);
    EXPECT_EQ(table()->rowHeight(1), 20);
}

TEST_F(GridView, CopyPutsTheChosenRowsWithTitlesOnTheClipboardForASpreadsheet)
{
    exec("update xf set note = 'x\ty' where id = 3");
    open(
        report({{"联系|编号", "id"}, {"联系|金额", "amount", "#,##0.00"}, {"备注", "note"}}, ",1"));
    QApplication::clipboard()->clear();
    // Nothing chosen: the current row.
    table()->setCurrentIndex(model.index(1, 0));
    QTest::keyClick(table(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "联系|编号\t联系|金额\t备注\n2\t-200.00\t\n");
    // Several chosen rows come in grid order; a tab inside a cell is quoted.
    clickCell(2, 0);
    table()->selectionModel()->select(model.index(0, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QAction *copy = table()->findChild<QAction *>(QStringLiteral("actCopy"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->text(), "复制");
    EXPECT_TRUE(table()->actions().contains(copy));
    copy->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(),
              "联系|编号\t联系|金额\t备注\n1\t1,200.50\tb\n3\t1,000.00\t\"x\ty\"\n");
}

// The picture of a two-level Chinese grid with its footer, saved for a look by eye.
TEST_F(GridView, ScreenshotOfATwoLevelChineseGrid)
{
    exec("update xf set note='备注文字' where id in (1, 3)");
    open(report({{"客人", "kh", "[SQL:select name from kh where id={1}]", 90},
                 {"营业额|现金", "amount", "#,##0.00", 90, true},
                 {"营业额|挂账", "amount", "#,##0.00", 90, true},
                 {"日期", "rq", "yyyy-mm-dd", 90},
                 {"备注", "note", "", 100}},
                ",1"));
    clickTitle(1);
    view.setCurrentRow(1);
    const QString file =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ReportGridView.png"));
    ASSERT_TRUE(view.grab().save(file)) << file.toStdString();
    EXPECT_EQ(view.footer()->text(0), "共计5条记录");
}

}  // namespace
