#include "support/QtPrinters.h"
#include "tools/DisplayFormat.h"

#include <gtest/gtest.h>
#include <QDateTime>
#include <limits>

using tavi::DisplayFormat;

namespace {

struct FormatCase
{
    QVariant value;
    const char *pattern;
    const char *shown;
};

void PrintTo(const FormatCase &c, std::ostream *os)
{
    PrintTo(c.value, os);
    *os << " with \"" << c.pattern << '"';
}

class DisplayFormatCase : public ::testing::TestWithParam<FormatCase>
{};

TEST_P(DisplayFormatCase, ShowsTheValue)
{
    EXPECT_EQ(DisplayFormat::format(GetParam().value, QString::fromUtf8(GetParam().pattern)),
              QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Placeholders, DisplayFormatCase,
    ::testing::Values(
        FormatCase{1234.5, "0", "1235"}, FormatCase{1234, "0.00", "1234.00"},
        FormatCase{0.5, "0.00", "0.50"}, FormatCase{0.5, "#.##", ".5"},
        FormatCase{1234, "#.##", "1234"}, FormatCase{1.5, "0.##", "1.5"},
        FormatCase{1.0, "0.##", "1"}, FormatCase{1.2, "0.0#", "1.2"}, FormatCase{7, "000", "007"},
        FormatCase{1234567.891, "#,##0.00", "1,234,567.89"}, FormatCase{123, "#,##0", "123"},
        FormatCase{1234567, "0,", "1,234,567"}, FormatCase{0.25, "#,##0.00", "0.25"},
        FormatCase{1234, "00-00", "12-34"}, FormatCase{123456, "00-00", "1234-56"},
        FormatCase{QVariant(qint64(9007199254740993)), "#,##0", "9,007,199,254,740,993"},
        FormatCase{1234, "0.000E+00", "1.234E+03"}, FormatCase{0.5, "0.000E+00", "5.000E-01"},
        FormatCase{1234, "#.###E-0", "1.234E3"}, FormatCase{0.5, "#.###E-0", "5E-1"},
        FormatCase{0, "#.###E-0", "0E0"}));

// Half away from zero, on the digits the value reads as.
INSTANTIATE_TEST_SUITE_P(
    Rounding, DisplayFormatCase,
    ::testing::Values(FormatCase{2.675, "0.00", "2.68"}, FormatCase{-2.675, "0.00", "-2.68"},
                      FormatCase{2.5, "0", "3"}, FormatCase{-2.5, "0", "-3"},
                      FormatCase{0.125, "0.00", "0.13"}, FormatCase{9.995, "0.00", "10.00"},
                      FormatCase{999.96, "#,##0.0", "1,000.0"},
                      FormatCase{0.1 + 0.2, "0.##", "0.3"}, FormatCase{0.004, "0.00", "0.00"},
                      FormatCase{-0.004, "0.00", "0.00"}, FormatCase{0.006, "0.00", "0.01"},
                      FormatCase{0.6, "0", "1"}));

INSTANTIATE_TEST_SUITE_P(
    Sections, DisplayFormatCase,
    ::testing::Values(
        FormatCase{-1234, "0.00", "-1234.00"}, FormatCase{-1234, "#,##0.00", "-1,234.00"},
        FormatCase{-1234, "#,##0.00;(#,##0.00)", "(1,234.00)"},
        FormatCase{-5, "0.00;-0.00元", "-5.00元"}, FormatCase{-5, "0.00;欠0.00", "欠5.00"},
        FormatCase{0, "#,##0.00;(#,##0.00)", "0.00"}, FormatCase{0, "#,##0.00;;Zero", "Zero"},
        FormatCase{-1234, "#,##0.00;;Zero", "-1,234.00"}, FormatCase{0, "0.00;;", "0.00"},
        FormatCase{-3, "0;;零", "-3"}, FormatCase{0.001, "0.00;-0.00;无", "无"},
        FormatCase{-0.001, "0.00;(0.00)", "0.00"}, FormatCase{-7, "0;负数", "负数"},
        FormatCase{5, "0;(0);零;ignored", "5"}, FormatCase{-5, "0;\"a;b\"0", "a;b5"}));

INSTANTIATE_TEST_SUITE_P(Literals, DisplayFormatCase,
                         ::testing::Values(FormatCase{12.5, "0.00元", "12.50元"},
                                           FormatCase{12, "共计#条记录", "共计12条记录"},
                                           FormatCase{1234, "共计#条记录", "共计1234条记录"},
                                           FormatCase{0, "共计#条记录", "共计0条记录"},
                                           FormatCase{0, "#", "0"},
                                           FormatCase{-12.5, "￥#,##0.00", "-￥12.50"},
                                           FormatCase{5, "\"#0.\"0", "#0.5"},
                                           FormatCase{5, "'合计:'0", "合计:5"},
                                           FormatCase{5, "0'", "5"}, FormatCase{3, "0 E", "3 E"}));

// Texts that read as numbers are numbers; other texts stay as they are.
INSTANTIATE_TEST_SUITE_P(
    Values, DisplayFormatCase,
    ::testing::Values(FormatCase{QStringLiteral("1234.5"), "#,##0.00", "1,234.50"},
                      FormatCase{QStringLiteral(" -2.675 "), "0.00", "-2.68"},
                      FormatCase{QStringLiteral("12345678901234567.5"), "0", "12345678901234568"},
                      FormatCase{QStringLiteral("1.5e3"), "0", "1500"},
                      FormatCase{QStringLiteral("标准间"), "0.00", "标准间"},
                      FormatCase{QStringLiteral("12a"), "0.00", "12a"},
                      FormatCase{QVariant(qint64(std::numeric_limits<qint64>::min())), "0",
                                 "-9223372036854775808"},
                      FormatCase{true, "0.00", "True"}, FormatCase{QVariant(), "0.00", ""}));

const QDateTime kMoment(QDate(2024, 3, 5), QTime(14, 7, 9, 45));

INSTANTIATE_TEST_SUITE_P(
    Dates, DisplayFormatCase,
    ::testing::Values(FormatCase{kMoment, "yyyy-mm-dd", "2024-03-05"},
                      FormatCase{kMoment, "yyyy-MM-dd HH:mm", "2024-03-05 14:07"},
                      FormatCase{kMoment, "yyyy-mm-dd hh:nn:ss", "2024-03-05 14:07:09"},
                      FormatCase{kMoment, "yy/m/d h:n:s", "24/3/5 14:7:9"},
                      FormatCase{kMoment, "yyyy年mm月dd日", "2024年03月05日"},
                      FormatCase{kMoment, "yyyy年m月d日 hh时mm分", "2024年3月5日 14时07分"},
                      FormatCase{kMoment, "mm:ss", "07:09"},
                      FormatCase{kMoment, "mm分ss秒", "07分09秒"},
                      FormatCase{kMoment, "mm-dd hh:mm", "03-05 14:07"},
                      FormatCase{kMoment, "hh:mm AM/PM", "02:07 PM"},
                      FormatCase{kMoment, "h:nn am/pm", "2:07 pm"},
                      FormatCase{QDateTime(QDate(2024, 3, 5), QTime(0, 30)), "h:nn a/p", "12:30 a"},
                      FormatCase{kMoment, "ampm h点", "下午 2点"},
                      FormatCase{kMoment, "hh:nn:ss.zzz", "14:07:09.045"},
                      FormatCase{kMoment, "dddd ddd", "星期二 周二"},
                      FormatCase{kMoment, "mmmm mmm", "三月 3月"},
                      FormatCase{kMoment, "\"dd\"dd'mm'", "dd05mm"},
                      FormatCase{kMoment, "yyyy-mm-ddThh:nn", "2024-03-05T14:07"},
                      FormatCase{QDate(2024, 12, 31), "yyyy/mm/dd hh:nn", "2024/12/31 00:00"},
                      FormatCase{QDate(5, 1, 2), "yyyy yy", "0005 05"},
                      FormatCase{QTime(9, 5), "hh:nn", "09:05"}));

// A pattern that does not fit the value shows it unformatted.
INSTANTIATE_TEST_SUITE_P(
    Unreadable, DisplayFormatCase,
    ::testing::Values(FormatCase{1234.5, "yyyy-mm-dd", "1234.5"}, FormatCase{42, "abc", "42"},
                      FormatCase{42, "", "42"}, FormatCase{42, ";0", "42"},
                      FormatCase{QStringLiteral("7"), "yyyy", "7"},
                      FormatCase{kMoment, "0.00", "2024-03-05 14:07:09"},
                      FormatCase{kMoment, "共计#条记录", "2024-03-05 14:07:09"},
                      FormatCase{QDateTime(), "yyyy", ""},
                      FormatCase{QDate(2024, 3, 5), "", "2024-03-05"},
                      FormatCase{1.5, "\"unclosed", "1.5"}, FormatCase{1.5, "'0", "1.5"}));

// A column reads its pattern once and formats every cell with it: each value still picks its
// own section, and a value of another kind is shown as it would be alone.
TEST(DisplayFormatColumn, EachValueShowsAsItWouldAlone)
{
    const QString pattern = QStringLiteral("#,##0.00;(0.0);零;");
    const DisplayFormat column(pattern);
    const QVariantList values{1234.567,
                              -5,
                              0,
                              -0.001,
                              QVariant(),
                              QStringLiteral(" 12.5 "),
                              QStringLiteral("abc"),
                              true,
                              QDateTime(QDate(2026, 3, 4), QTime(5, 6))};
    for (const QVariant &v : values)
        EXPECT_EQ(column.text(v), DisplayFormat::format(v, pattern)) << v.toString().toStdString();
    EXPECT_EQ(column.text(-5), QStringLiteral("(5.0)"));
    EXPECT_EQ(column.text(0), QStringLiteral("零"));
    const DisplayFormat dates(QStringLiteral("yyyy-mm-dd hh:mm"));
    EXPECT_EQ(dates.text(QDateTime(QDate(2026, 3, 4), QTime(5, 6))),
              QStringLiteral("2026-03-04 05:06"));
    EXPECT_EQ(dates.text(QDate(2026, 3, 4)), QStringLiteral("2026-03-04 00:00"));
    EXPECT_EQ(DisplayFormat().text(2.5), QStringLiteral("2.5"));
}

struct PlainCase
{
    QVariant value;
    const char *shown;
};

void PrintTo(const PlainCase &c, std::ostream *os)
{
    PrintTo(c.value, os);
}

class DisplayFormatPlain : public ::testing::TestWithParam<PlainCase>
{};

TEST_P(DisplayFormatPlain, ShowsTheDataLayerText)
{
    EXPECT_EQ(DisplayFormat::plain(GetParam().value), QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Values, DisplayFormatPlain,
    ::testing::Values(PlainCase{QVariant(), ""}, PlainCase{42, "42"},
                      PlainCase{qint64(-9007199254740993), "-9007199254740993"},
                      PlainCase{2.5, "2.5"}, PlainCase{0.1, "0.1"},
                      PlainCase{1234567.89, "1234567.89"}, PlainCase{-0.0, "0"},
                      PlainCase{3.0, "3"}, PlainCase{1e14, "100000000000000"},
                      PlainCase{0.1 + 0.2, "0.3"}, PlainCase{true, "True"},
                      PlainCase{false, "False"}, PlainCase{QStringLiteral("标准间"), "标准间"},
                      PlainCase{QDateTime(QDate(2024, 3, 5), QTime(0, 0)), "2024-03-05"},
                      PlainCase{QDateTime(QDate(2024, 3, 5), QTime(8, 30)), "2024-03-05 08:30:00"},
                      PlainCase{QDate(2024, 3, 5), "2024-03-05"}));

}  // namespace
