#include "centre/CentreFixture.h"
#include "editor/FTFrm.h"
#include "services/Clock.h"
#include "services/RoomStatePlan.h"

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace tavi::test {
namespace {

class RoomView : public CentreFixture
{
protected:
    std::unique_ptr<TfrmFT> open(const QDate &start = QDate())
    {
        auto w = std::make_unique<TfrmFT>();
        if (start.isValid())
            w->setStartDate(start);
        w->show();
        return w;
    }
    static QString text(const TfrmFT &w, int row, int column)
    {
        const QTableWidgetItem *item = w.grid()->item(row, column);
        return item ? item->text() : QString();
    }
    void setStatement(const QString &sql)
    {
        data.adoConn.execute(QStringLiteral("update XTCS set ZFCS=? where CSMC=?"),
                             {sql, RoomStatePlan::statementParam()});
    }
};

TEST_F(RoomView, HeadersRunOnPastTheMonthEndAfterThePickedDay)
{
    auto w = open(QDate(2026, 1, 31));
    QTableWidget *grid = w->grid();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("未来房态"));
    EXPECT_EQ(text(*w, 0, 0), QStringLiteral("日期/房号"));
    EXPECT_EQ(grid->columnCount(), 31);
    EXPECT_EQ(grid->columnWidth(0), 60);
    EXPECT_EQ(grid->rowCount(), scalar(QStringLiteral("select count(*) from 房间信息")) + 2);
    QStringList days, weekdays;
    for (int c = 1; c <= 30; ++c) {
        days << text(*w, 0, c);
        weekdays << text(*w, 1, c);
    }
    EXPECT_EQ(days.mid(26, 4), (QStringList{"27", "28", "1", "2"}));
    EXPECT_EQ(days.first(), QStringLiteral("1")) << "1 February: the picked day is no column";
    EXPECT_EQ(weekdays.mid(0, 7).join(QString()), QStringLiteral("日一二三四五六"));
    EXPECT_EQ(text(*w, 2, 0), QStringLiteral("101"));
}

TEST_F(RoomView, RowsFollowTheRoomTableOnEveryBuild)
{
    auto w = open(Clock::today());
    const int rooms = scalar(QStringLiteral("select count(*) from 房间信息"));
    ASSERT_EQ(w->grid()->rowCount(), rooms + 2);
    data.adoConn.execute(QStringLiteral("delete from 房间信息 where 楼层=3"));
    QTest::keyClick(w.get(), Qt::Key_F5);
    EXPECT_EQ(w->grid()->rowCount(), rooms - 10 + 2);
    EXPECT_EQ(text(*w, w->grid()->rowCount() - 1, 0), QStringLiteral("210"));

    data.adoConn.execute(QStringLiteral("delete from 房间信息"));
    w->findChild<QPushButton *>(QStringLiteral("btnQ"))->click();
    EXPECT_EQ(w->grid()->rowCount(), 2) << "exactly the two header rows";
    EXPECT_EQ(text(*w, 0, 1), QString::number(Clock::today().addDays(1).day()));
}

TEST_F(RoomView, CellsShowTheStatesOfTheConfiguredStatement)
{
    const QDate start(2026, 3, 1);
    setStatement(QStringLiteral(
        "select 房号, 抵达日期, 离开日期, '预订' from 预订 where 房号='101' union all "
        "select '102', '2026-02-27', '2026-03-03', '维修' from 房间信息 where 房号='102'"));
    data.adoConn.execute(QStringLiteral("delete from 预订"));
    data.adoConn.execute(
        QStringLiteral("insert into 预订(房号, 抵达日期, 离开日期) values('101', "
                       "'2026-03-05 14:00:00', '2026-03-07 12:00:00')"));
    auto w = open(start);
    QStringList room101, room102;
    for (int c = 1; c <= 8; ++c) {
        room101 << text(*w, 2, c);
        room102 << text(*w, 3, c);
    }
    // Columns are 2 March onwards: nights from arrival to the day before leaving.
    EXPECT_EQ(room101, (QStringList{"", "", "", "预", "预", "", "", ""}));
    EXPECT_EQ(room102, (QStringList{"维", "", "", "", "", "", "", ""}));
    EXPECT_EQ(w->grid()->item(2, 4)->background().color(),
              TfrmFT::stateColor(QStringLiteral("预订"), 0));
    const QString legend = w->findChild<QLabel *>(QStringLiteral("lblLegend"))->text();
    EXPECT_TRUE(legend.contains(QStringLiteral("预订")) && legend.contains(QStringLiteral("维修")));

    setStatement(QStringLiteral("select 房号 from 没有的表"));
    w->buildGrid();
    EXPECT_TRUE(text(*w, 2, 4).isEmpty());
    EXPECT_TRUE(w->findChild<QLabel *>(QStringLiteral("lblLegend"))
                    ->text()
                    .contains(QStringLiteral("不能执行")));
}

TEST_F(RoomView, TheDemoHotelShowsItsStaysAndBookingsFromToday)
{
    auto w = open();
    EXPECT_EQ(w->startDate(), Clock::today());
    EXPECT_TRUE(w->plan().error().isEmpty()) << w->plan().error().toStdString();
    EXPECT_TRUE(w->plan().states().contains(QStringLiteral("预订")));
    EXPECT_TRUE(w->plan().states().contains(QStringLiteral("在住")));
    w->resize(1000, 700);
    saveShot(*w, QStringLiteral("room-states"));
    QTest::keyClick(w.get(), Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
}

}  // namespace
}  // namespace tavi::test
