#include "services/Clock.h"
#include "services/DatePeriods.h"
#include "services/Session.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace tavi;

namespace {

struct PeriodCase
{
    const char *today;
    int kind;
    const char *start;
    const char *end;
};

class Periods : public ::testing::TestWithParam<PeriodCase>
{
protected:
    void SetUp() override
    {
        session().GInt_BBT1 = 0;
        session().GInt_BBT2 = 0;
        session().GDt_BBT1 = QStringLiteral("00:00");
        session().GDt_BBT2 = QStringLiteral("23:59");
    }
};

QDateTime at(const char *text)
{
    return QDateTime::fromString(QLatin1String(text), QStringLiteral("yyyy-MM-dd HH:mm"));
}

TEST_P(Periods, StartAndEnd)
{
    const PeriodCase &c = GetParam();
    ScopedClock clock(at(c.today));
    EXPECT_EQ(PeriodStart(c.kind), at(c.start)) << c.today << " kind " << c.kind;
    EXPECT_EQ(PeriodEnd(c.kind), at(c.end)) << c.today << " kind " << c.kind;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, Periods,
    ::testing::Values(PeriodCase{"2024-03-15 10:00", 0, "2024-03-15 00:00", "2024-03-15 23:59"},
                      PeriodCase{"2024-03-15 10:00", 1, "2024-03-15 00:00", "2024-03-15 23:59"},
                      PeriodCase{"2024-03-01 10:00", 2, "2024-02-29 00:00", "2024-02-29 23:59"},
                      PeriodCase{"2024-03-15 10:00", 3, "2024-03-01 00:00", "2024-03-15 23:59"},
                      PeriodCase{"2024-03-31 10:00", 4, "2024-02-01 00:00", "2024-02-29 23:59"},
                      PeriodCase{"2023-03-31 10:00", 4, "2023-02-01 00:00", "2023-02-28 23:59"},
                      PeriodCase{"2024-01-10 10:00", 4, "2023-12-01 00:00", "2023-12-31 23:59"},
                      // 2024-03-17 is a Sunday, 2024-03-16 a Saturday.
                      PeriodCase{"2024-03-17 10:00", 5, "2024-03-17 00:00", "2024-03-17 23:59"},
                      PeriodCase{"2024-03-16 10:00", 5, "2024-03-10 00:00", "2024-03-16 23:59"},
                      PeriodCase{"2024-03-17 10:00", 6, "2024-03-10 00:00", "2024-03-16 23:59"},
                      PeriodCase{"2024-03-16 10:00", 6, "2024-03-03 00:00", "2024-03-09 23:59"},
                      PeriodCase{"2024-11-15 10:00", 7, "2024-10-01 00:00", "2024-12-31 23:59"},
                      PeriodCase{"2024-02-29 10:00", 7, "2024-01-01 00:00", "2024-03-31 23:59"},
                      PeriodCase{"2024-03-15 10:00", 8, "2023-10-01 00:00", "2023-12-31 23:59"},
                      PeriodCase{"2024-06-30 10:00", 8, "2024-01-01 00:00", "2024-03-31 23:59"},
                      PeriodCase{"2024-09-01 10:00", 8, "2024-04-01 00:00", "2024-06-30 23:59"},
                      PeriodCase{"2024-12-31 10:00", 8, "2024-07-01 00:00", "2024-09-30 23:59"},
                      PeriodCase{"2024-07-04 10:00", 9, "2024-01-01 00:00", "2024-12-31 23:59"},
                      PeriodCase{"2024-07-04 10:00", 10, "2023-01-01 00:00", "2023-12-31 23:59"}));

TEST_F(Periods, BusinessDaySettingsShiftStartsAndEnds)
{
    ScopedClock clock(at("2024-03-15 10:00"));
    session().GInt_BBT1 = 1;
    session().GDt_BBT1 = QStringLiteral("06:00");
    session().GInt_BBT2 = 0;
    session().GDt_BBT2 = QStringLiteral("05:59");
    EXPECT_EQ(PeriodStart(1), at("2024-03-14 06:00"));
    EXPECT_EQ(PeriodEnd(1), at("2024-03-15 05:59"));
    session().GInt_BBT1 = 0;
    session().GInt_BBT2 = 2;
    EXPECT_EQ(PeriodStart(1), at("2024-03-15 06:00"));
    EXPECT_EQ(PeriodEnd(1), at("2024-03-16 05:59"));
    EXPECT_EQ(PeriodEnd(4), at("2024-03-01 05:59"));
    session().GInt_BBT2 = 3;
    EXPECT_EQ(PeriodEnd(1), at("2024-03-12 05:59"));
    session().GDt_BBT2.clear();
    EXPECT_EQ(PeriodEnd(1), at("2024-03-12 00:00"));
    session().GDt_BBT1 = QStringLiteral("25:00");
    try {
        PeriodStart(1);
        FAIL() << "25:00 was read as a time";
    } catch (const PeriodError &e) {
        EXPECT_STREQ(e.what(), "营业日时间参数 GDt_BBT1 的值“25:00”不是有效的时间（应为 时:分）。");
    }
    session().GDt_BBT2 = QStringLiteral("abc");
    EXPECT_THROW(PeriodEnd(1), PeriodError);
}

TEST(DateRangeSql, SpellsBothDatabaseKinds)
{
    const int saved = session().SysInfo.DbType;
    const QDateTime start = QDateTime(QDate(2024, 3, 5), QTime(8, 7, 33));
    const QDateTime end = QDateTime(QDate(2024, 3, 6), QTime(23, 59));
    session().SysInfo.DbType = 1;
    EXPECT_EQ(DateRangeSql(true, start, end),
              QStringLiteral("'2024-03-05 08:07:00' and '2024-03-06 23:59:59'"));
    EXPECT_EQ(DateRangeSql(false, start, end),
              QStringLiteral("'2024-03-05 00:00:00' and '2024-03-06 23:59:59'"));
    EXPECT_EQ(DateRangeSql(false, end, start),
              QStringLiteral("'2024-03-06 00:00:00' and '2024-03-05 23:59:59'"));
    session().SysInfo.DbType = 0;
    EXPECT_EQ(DateRangeSql(true, start, end),
              QStringLiteral(" #03-05-2024 08:07:00# and #03-06-2024 23:59:59#"));
    EXPECT_EQ(DateRangeSql(false, start, end),
              QStringLiteral(" #03-05-2024 00:00:00# and #03-06-2024 23:59:59#"));
    session().SysInfo.DbType = saved;
}

TEST(CalendarBound, MonthAndYearEnds)
{
    const QDateTime d(QDate(2024, 2, 10), QTime(13, 14, 15, 678));
    EXPECT_EQ(CalendarBound(1, d), QDateTime(QDate(2024, 2, 1), QTime(13, 14, 15, 678)));
    EXPECT_EQ(CalendarBound(2, d), QDateTime(QDate(2024, 2, 29), QTime(13, 14, 15, 678)));
    EXPECT_EQ(CalendarBound(3, d), QDateTime(QDate(2024, 1, 1), QTime(13, 14, 15)));
    EXPECT_EQ(CalendarBound(4, d), QDateTime(QDate(2024, 12, 31), QTime(13, 14, 15)));
    EXPECT_EQ(CalendarBound(0, d), d);
}

}  // namespace
