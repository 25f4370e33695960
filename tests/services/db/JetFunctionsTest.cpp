#include "services/Clock.h"
#include "services/db/JetFunctions.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QDateTime>

#include <ostream>
#include <string>
#include <vector>

namespace tavi::db {
namespace {

// Friday 2024-03-15, 14:30:45.
const QDateTime kNow(QDate(2024, 3, 15), QTime(14, 30, 45));

struct Outcome
{
    bool ok = false;
    bool null = false;
    std::string text;
    std::string error;
};

class JetFunctionsTest : public testing::Test
{
protected:
    JetFunctionsTest()
    {
        sqlite3_open(":memory:", &m_db);
        m_registered = registerJetFunctions(m_db);
    }
    ~JetFunctionsTest() override { sqlite3_close(m_db); }

    Outcome eval(const std::string &expr) { return run("SELECT " + expr); }

    Outcome run(const std::string &sql)
    {
        Outcome out;
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
            out.error = sqlite3_errmsg(m_db);
            return out;
        }
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW) {
            out.ok = true;
            out.null = sqlite3_column_type(stmt, 0) == SQLITE_NULL;
            if (!out.null)
                out.text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0));
        } else if (rc == SQLITE_DONE) {
            out.ok = true;
        } else {
            out.error = sqlite3_errmsg(m_db);
        }
        sqlite3_finalize(stmt);
        return out;
    }

    sqlite3 *m_db = nullptr;
    bool m_registered = false;
    ScopedClock m_clock{kNow};
};

// An expression and its result as text; nullptr is NULL.
struct Case
{
    const char *expr;
    const char *expected;
};

std::ostream &operator<<(std::ostream &os, const Case &c)
{
    return os << c.expr;
}

class JetExpression : public JetFunctionsTest, public testing::WithParamInterface<Case>
{};

TEST_P(JetExpression, Evaluates)
{
    ASSERT_TRUE(m_registered);
    const Case &c = GetParam();
    const Outcome out = eval(c.expr);
    ASSERT_TRUE(out.ok) << c.expr << ": " << out.error;
    if (c.expected == nullptr) {
        EXPECT_TRUE(out.null) << c.expr << " gave '" << out.text << "'";
    } else {
        EXPECT_FALSE(out.null) << c.expr << " gave NULL";
        EXPECT_EQ(out.text, c.expected) << c.expr;
    }
}

INSTANTIATE_TEST_SUITE_P(
    DateArithmetic, JetExpression,
    testing::Values(Case{"dateadd('m', 1, '2024-01-31')", "2024-02-29 00:00:00"},
                    Case{"dateadd('m', 1, '2023-01-31')", "2023-02-28 00:00:00"},
                    Case{"dateadd('yyyy', 1, '2024-02-29 08:15:00')", "2025-02-28 08:15:00"},
                    Case{"dateadd('q', -1, '2024-05-31')", "2024-02-29 00:00:00"},
                    Case{"dateadd('M', 13, '2023-12-15 10:00')", "2025-01-15 10:00:00"},
                    Case{"dateadd('d', -1, '2024-03-01')", "2024-02-29 00:00:00"},
                    Case{"dateadd('y', 1, '2023-02-28')", "2023-03-01 00:00:00"},
                    Case{"dateadd('w', 2, '2024-12-31')", "2025-01-02 00:00:00"},
                    Case{"dateadd('ww', -1, '2024-01-03 12:00:00')", "2023-12-27 12:00:00"},
                    Case{"dateadd('h', 25, '2024-02-28 23:00:00')", "2024-03-01 00:00:00"},
                    Case{"dateadd('n', -90, '2024-01-01 00:30:00')", "2023-12-31 23:00:00"},
                    Case{"dateadd('S', 3600, '2024/03/10 23:30:00')", "2024-03-11 00:30:00"},
                    // A fractional count rounds half to even.
                    Case{"dateadd('d', 1.5, '2024-01-01')", "2024-01-03 00:00:00"},
                    Case{"dateadd('d', 2.5, '2024-01-01')", "2024-01-03 00:00:00"},
                    Case{"dateadd('d', 1, 45292)", "2024-01-02 00:00:00"},
                    Case{"dateadd('h', 6, 45292.5)", "2024-01-01 18:00:00"},
                    Case{"dateadd('d', 1, '10:30:00')", "1899-12-31 10:30:00"},
                    // Boundaries crossed, not whole units elapsed.
                    Case{"datediff('d', '2024-01-01 23:59:59', '2024-01-02 00:00:01')", "1"},
                    Case{"datediff('d', '2024-01-02 00:00:01', '2024-01-01 23:59:59')", "-1"},
                    Case{"datediff('d', '2024-02-01', '2024-03-01')", "29"},
                    Case{"datediff('d', '2023-02-01', '2023-03-01')", "28"},
                    Case{"datediff('y', '2024-12-31', '2025-01-01')", "1"},
                    Case{"datediff('d', 45292, '2024-01-31')", "30"},
                    Case{"datediff('m', '2024-01-31', '2024-02-01')", "1"},
                    Case{"datediff('m', '2024-03-31', '2023-12-01')", "-3"},
                    Case{"datediff('yyyy', '2023-12-31 23:59:59', '2024-01-01')", "1"},
                    Case{"datediff('yyyy', '2024-01-01', '2024-12-31')", "0"},
                    Case{"datediff('q', '2024-03-31', '2024-04-01')", "1"},
                    Case{"datediff('q', '2023-11-15', '2024-08-01')", "3"},
                    Case{"datediff('h', '2024-01-01 10:59:00', '2024-01-01 11:01:00')", "1"},
                    Case{"datediff('h', '2024-01-01 11:00:00', '2024-01-01 11:59:59')", "0"},
                    Case{"datediff('n', '2024-01-01 10:00:59', '2024-01-01 10:01:00')", "1"},
                    Case{"datediff('s', '2024-01-01 23:59:59', '2024-01-02 00:00:01')", "2"},
                    // 2024-03-10 is a Sunday.
                    Case{"datediff('ww', '2024-03-09', '2024-03-10')", "1"},
                    Case{"datediff('ww', '2024-03-10', '2024-03-16')", "0"},
                    Case{"datediff('ww', '2024-03-17', '2024-03-09')", "-2"},
                    Case{"datediff('ww', '2024-03-10', '2024-03-11', 2)", "1"},
                    Case{"datediff('w', '2024-03-10', '2024-03-16')", "0"},
                    Case{"datediff('w', '2024-03-11', '2024-03-25')", "2"},
                    Case{"datediff('w', '2024-03-25', '2024-03-12')", "-1"}));

INSTANTIATE_TEST_SUITE_P(
    DateParts, JetExpression,
    testing::Values(
        Case{"datepart('yyyy', '2024-02-29 13:14:15')", "2024"},
        Case{"datepart('q', '2024-02-29 13:14:15')", "1"},
        Case{"datepart('m', '2024-02-29 13:14:15')", "2"},
        Case{"datepart('y', '2024-02-29 13:14:15')", "60"},
        Case{"datepart('d', '2024-02-29 13:14:15')", "29"},
        Case{"datepart('w', '2024-02-29 13:14:15')", "5"},
        Case{"datepart('h', '2024-02-29 13:14:15')", "13"},
        Case{"datepart('n', '2024-02-29 13:14:15')", "14"},
        Case{"datepart('s', '2024-02-29 13:14:15')", "15"},
        Case{"datepart('q', '2024-10-01')", "4"}, Case{"datepart('y', '2023-12-31')", "365"},
        Case{"datepart('y', '2024-12-31')", "366"},
        // 2024-01-01 is a Monday; weeks start on Sunday unless told.
        Case{"datepart('ww', '2024-01-06')", "1"}, Case{"datepart('ww', '2024-01-07')", "2"},
        Case{"datepart('ww', '2024-01-07', 2)", "1"},
        Case{"datepart('ww', '2021-01-01', 2, 2)", "53"},
        Case{"datepart('ww', '2021-01-04', 2, 2)", "1"}, Case{"weekday('2024-03-10')", "1"},
        Case{"weekday('2024-03-16')", "7"}, Case{"weekday('2024-03-10', 2)", "7"},
        Case{"weekday('2024-03-11', 2)", "1"}, Case{"year('2024-02-29')", "2024"},
        Case{"month('2024/2/9')", "2"}, Case{"day('2024-2-9 8:05')", "9"},
        Case{"hour('2024-2-9 8:05')", "8"}, Case{"minute('10:30:15')", "30"},
        Case{"second('10:30:15')", "15"}, Case{"year(45292)", "2024"},
        Case{"dateserial(2024, 2, 30)", "2024-03-01 00:00:00"},
        Case{"dateserial(2024, 13, 1)", "2025-01-01 00:00:00"},
        Case{"dateserial(2024, 3, 0)", "2024-02-29 00:00:00"},
        Case{"dateserial(2024, 0, 1)", "2023-12-01 00:00:00"},
        Case{"dateserial(2024, 1, -1)", "2023-12-30 00:00:00"},
        Case{"dateserial(24, 1, 1)", "2024-01-01 00:00:00"},
        Case{"dateserial(99, 12, 31)", "1999-12-31 00:00:00"},
        Case{"datevalue('2024-03-15 14:30:45')", "2024-03-15 00:00:00"},
        Case{"cdate('2024/3/5 8:05')", "2024-03-05 08:05:00"},
        Case{"cdate('2024-03-15T14:30:45')", "2024-03-15 14:30:45"},
        Case{"cdate(45292.75)", "2024-01-01 18:00:00"},
        Case{"cdate(-1.25)", "1899-12-29 06:00:00"}));

INSTANTIATE_TEST_SUITE_P(ClockFunctions, JetExpression,
                         testing::Values(Case{"now()", "2024-03-15 14:30:45"},
                                         Case{"date()", "2024-03-15 00:00:00"},
                                         Case{"time()", "14:30:45"},
                                         Case{"int(now())", "2024-03-15 00:00:00"},
                                         Case{"datediff('d', '2024-03-01 23:00:00', now())", "14"},
                                         Case{"dateadd('m', -1, date())", "2024-02-15 00:00:00"}));

INSTANTIATE_TEST_SUITE_P(
    SqliteBuiltins, JetExpression,
    testing::Values(Case{"date('2024-03-15', '+1 day')", "2024-03-16"},
                    Case{"time('2024-03-15 10:20:30')", "10:20:30"},
                    Case{"format('%d-%s', 7, 'x')", "7-x"}, Case{"iif(-1, 'yes', 'no')", "yes"},
                    Case{"iif(0, 'yes', 'no')", "no"}, Case{"iif(NULL, 'yes', 'no')", "no"},
                    Case{"iif(jet_isnull(NULL), 1, 2)", "1"},
                    Case{"iif(cbool('True'), 'a', 'b')", "a"}, Case{"trim('  酒店  ')", "酒店"},
                    Case{"replace('2024-03-15', '-', '/')", "2024/03/15"}));

INSTANTIATE_TEST_SUITE_P(
    Text, JetExpression,
    testing::Values(
        Case{"jet_left('酒店管理系统', 2)", "酒店"}, Case{"jet_right('酒店管理系统', 2)", "系统"},
        Case{"jet_left('abc', 10)", "abc"}, Case{"jet_right('abc', 0)", ""},
        Case{"jet_left(12345, 2)", "12"}, Case{"mid('酒店管理系统', 3, 2)", "管理"},
        Case{"mid('酒店管理系统', 5)", "系统"}, Case{"mid('abc', 4)", ""},
        Case{"mid('abc', 10, 2)", ""}, Case{"mid(2.5, 2)", ".5"}, Case{"len('酒店abc')", "5"},
        Case{"len('')", "0"}, Case{"len(12.5)", "4"}, Case{"ucase('abc酒店')", "ABC酒店"},
        Case{"lcase('ÄBC')", "äbc"}, Case{"instr('酒店管理系统', '管理')", "3"},
        Case{"instr('Hotel', 'TEL')", "3"}, Case{"instr(1, 'Hotel', 'TEL', 0)", "0"},
        Case{"instr(1, 'Hotel', 'tel', 0)", "3"}, Case{"instr(4, 'abcabc', 'B')", "5"},
        Case{"instr(3, '酒店管理酒店', '酒店')", "5"}, Case{"instr(7, 'abcabc', 'a')", "0"},
        Case{"instr('abc', 'x')", "0"}, Case{"instr('abc', '')", "1"},
        Case{"space(3) || '|'", "   |"}, Case{"string(3, '酒店')", "酒酒酒"},
        Case{"string(2, 65)", "AA"}, Case{"strcomp('abc', 'ABC')", "0"},
        Case{"strcomp('abc', 'ABC', 0)", "1"}, Case{"strcomp('a', 'b')", "-1"}));

INSTANTIATE_TEST_SUITE_P(
    Conversions, JetExpression,
    testing::Values(Case{"cstr(2.5)", "2.5"}, Case{"cstr(12.0)", "12"},
                    Case{"cstr(-0.25)", "-0.25"}, Case{"cstr(0.1 + 0.2)", "0.3"},
                    Case{"cstr(1e20)", "1E+20"}, Case{"cstr(7)", "7"}, Case{"cstr('abc')", "abc"},
                    Case{"cint(2.5)", "2"}, Case{"cint(3.5)", "4"}, Case{"cint(-2.5)", "-2"},
                    Case{"cint(-3.5)", "-4"}, Case{"cint('  12.5 ')", "12"},
                    Case{"cint(-32768.5)", "-32768"}, Case{"clng(2147483647)", "2147483647"},
                    Case{"clng(-1.5)", "-2"}, Case{"clng(0.5)", "0"},
                    Case{"clng('2024-01-01 18:00:00')", "45293"}, Case{"cdbl('1.25')", "1.25"},
                    Case{"typeof(cdbl(3))", "real"}, Case{"cdbl('2024-01-01 12:00:00')", "45292.5"},
                    Case{"int(2.7)", "2"}, Case{"int(-2.5)", "-3"}, Case{"int('-7.5')", "-8"},
                    Case{"fix(-2.5)", "-2"}, Case{"fix(2.9)", "2"}, Case{"int(-2)", "-2"},
                    Case{"int('2024-03-15 14:30:45')", "2024-03-15 00:00:00"},
                    Case{"val('  12.5kg')", "12.5"}, Case{"val('1 2 3')", "123"},
                    Case{"val('abc')", "0"}, Case{"val('-3.5e2x')", "-350"},
                    Case{"val('.5')", "0.5"}, Case{"val('12e')", "12"}, Case{"cbool(5)", "-1"},
                    Case{"cbool(0)", "0"}, Case{"cbool('0')", "0"}));

INSTANTIATE_TEST_SUITE_P(
    FormatDates, JetExpression,
    testing::Values(
        Case{"format('2024-03-05 14:07:09', 'yyyy-mm-dd hh:nn:ss')", "2024-03-05 14:07:09"},
        Case{"format('2024-03-05 14:07:09', 'yyyy-mm-dd hh:mm:ss')", "2024-03-05 14:07:09"},
        Case{"format('2024-03-05 14:07:09', 'mm:ss')", "07:09"},
        Case{"format('2024-03-05 14:07:09', 'h:m')", "14:7"},
        Case{"format('2024-03-05', 'yy/m/d')", "24/3/5"},
        Case{"format('2024-03-05', 'yyyy年mm月dd日')", "2024年03月05日"},
        Case{"format('2024-03-05', 'mmm d, yyyy')", "Mar 5, 2024"},
        Case{"format('2024-03-05', 'mmmm dddd ddd')", "March Tuesday Tue"},
        Case{"format('2024-03-05', 'q y')", "1 65"},
        Case{"format('2024-03-05 14:07:09', 'h:nn AM/PM')", "2:07 PM"},
        Case{"format('2024-03-05 00:07:09', 'hh:nn am/pm')", "12:07 am"},
        Case{"format('2024-03-05 09:07:09', 'h A/P')", "9 A"},
        Case{R"(format('2024-03-05', '"d=" d \d'))", "d= 5 d"},
        Case{"format('2024-03-05 14:07:09', 'General Date')", "2024-03-05 14:07:09"},
        Case{"format('2024-03-05 14:07:09', 'Long Date')", "2024年3月5日"},
        Case{"format('2024-03-05 14:07:09', 'Medium Date')", "05-Mar-24"},
        Case{"format('2024-03-05 14:07:09', 'short date')", "2024-03-05"},
        Case{"format('2024-03-05 14:07:09', 'Long Time')", "14:07:09"},
        Case{"format('2024-03-05 14:07:09', 'Medium Time')", "02:07 PM"},
        Case{"format('2024-03-05 14:07:09', 'Short Time')", "14:07"},
        Case{"format('2024-03-05 14:07:09')", "2024-03-05 14:07:09"},
        Case{"format('2024-03-05 00:00:00')", "2024-03-05"}, Case{"format('14:07:09')", "14:07:09"},
        Case{"format(45292.5, 'yyyy-mm-dd hh:nn')", "2024-01-01 12:00"},
        Case{"format('2024-03-05 14:07:09', 'yyyy-mm-dd 00:00')", "2024-03-05 00:00"},
        Case{"format(date(), 'yyyy-mm-dd')", "2024-03-15"}));

INSTANTIATE_TEST_SUITE_P(
    FormatNumbers, JetExpression,
    testing::Values(Case{"format(1234.5, '#,##0.00')", "1,234.50"},
                    Case{"format(1234567.891, '#,##0.00')", "1,234,567.89"},
                    Case{"format(-1234.5, '#,##0.00')", "-1,234.50"},
                    Case{"format(999.999, '#,##0.00')", "1,000.00"},
                    Case{"format(123, '#,##0')", "123"}, Case{"format(1234567, '#,##0,')", "1,235"},
                    Case{"format(0.5, '0%')", "50%"}, Case{"format(0.125, '0.0%')", "12.5%"},
                    // Half away from zero on the decimal value, not the binary one.
                    Case{"format(2.675, '0.00')", "2.68"}, Case{"format(2.5, '0')", "3"},
                    Case{"format(-2.5, '0')", "-3"}, Case{"format(-0.001, '0.00')", "0.00"},
                    Case{"format(5, '#.##')", "5."}, Case{"format(5.1, '0.##')", "5.1"},
                    Case{"format(0.5, '#.00')", ".50"}, Case{"format(7, '000')", "007"},
                    Case{"format(12345, '000-00')", "123-45"},
                    Case{"format(0.0001234, '0.000000')", "0.000123"},
                    Case{"format(1e15, '0')", "1000000000000000"},
                    Case{"format(1234.5, '0.00 元')", "1234.50 元"},
                    Case{"format(5, '0.00;(0.00)')", "5.00"},
                    Case{"format(-5, '0.00;(0.00)')", "(5.00)"},
                    Case{"format(0, '0.00;(0.00);\"zero\"')", "zero"},
                    Case{"format(NULL, '0;-0;0;\"none\"')", "none"},
                    Case{"format(1234.5, 'Currency')", "¥1,234.50"},
                    Case{"format(-1234.5, 'Currency')", "-¥1,234.50"},
                    Case{"format(1234.567, 'Fixed')", "1234.57"},
                    Case{"format(1234.567, 'Standard')", "1,234.57"},
                    Case{"format(0.1234, 'Percent')", "12.34%"},
                    Case{"format(1234.50, 'General Number')", "1234.5"},
                    Case{"format(-1, 'Yes/No')", "Yes"}, Case{"format(0, 'Yes/No')", "No"},
                    Case{"format(1, 'True/False')", "True"}, Case{"format(0, 'On/Off')", "Off"},
                    Case{"format('12.5', '0.00')", "12.50"}, Case{"format('abc', '0.00')", "abc"},
                    Case{"format('2024-01-01 12:00:00', '0.00')", "45292.50"},
                    Case{"format(5, '0 d')", "5 d"}, Case{"format(2.5)", "2.5"},
                    Case{"format(12.0)", "12"}));

INSTANTIATE_TEST_SUITE_P(
    Nulls, JetExpression,
    testing::Values(
        Case{"jet_isnull(NULL)", "-1"}, Case{"jet_isnull('')", "0"}, Case{"jet_isnull(0)", "0"},
        Case{"nz(NULL)", ""}, Case{"nz(NULL, 0)", "0"}, Case{"nz(5, 0)", "5"},
        Case{"dateadd(NULL, 1, '2024-01-01')", nullptr},
        Case{"dateadd('d', NULL, '2024-01-01')", nullptr}, Case{"dateadd('d', 1, NULL)", nullptr},
        Case{"datediff('d', NULL, '2024-01-01')", nullptr},
        Case{"datediff('d', '2024-01-01', NULL)", nullptr}, Case{"datepart('m', NULL)", nullptr},
        Case{"year(NULL)", nullptr}, Case{"weekday(NULL)", nullptr},
        Case{"dateserial(2024, NULL, 1)", nullptr}, Case{"datevalue(NULL)", nullptr},
        Case{"cdate(NULL)", nullptr}, Case{"jet_left(NULL, 2)", nullptr},
        Case{"jet_right('abc', NULL)", nullptr}, Case{"mid(NULL, 1)", nullptr},
        Case{"len(NULL)", nullptr}, Case{"ucase(NULL)", nullptr}, Case{"instr(NULL, 'a')", nullptr},
        Case{"instr('a', NULL)", nullptr}, Case{"instr(1, 'a', NULL)", nullptr},
        Case{"strcomp(NULL, 'a')", nullptr}, Case{"space(NULL)", nullptr},
        Case{"string(NULL, 'a')", nullptr}, Case{"cstr(NULL)", nullptr},
        Case{"cint(NULL)", nullptr}, Case{"clng(NULL)", nullptr}, Case{"cdbl(NULL)", nullptr},
        Case{"cbool(NULL)", nullptr}, Case{"int(NULL)", nullptr}, Case{"fix(NULL)", nullptr},
        Case{"val(NULL)", nullptr}, Case{"format(NULL)", nullptr},
        Case{"format(NULL, 'yyyy-mm-dd')", nullptr}));

// An expression SQLite must refuse, and a part of the message naming the function and value.
struct ErrorCase
{
    const char *expr;
    const char *message;
};

std::ostream &operator<<(std::ostream &os, const ErrorCase &c)
{
    return os << c.expr;
}

class JetError : public JetFunctionsTest, public testing::WithParamInterface<ErrorCase>
{};

TEST_P(JetError, IsReported)
{
    const ErrorCase &c = GetParam();
    const Outcome out = eval(c.expr);
    ASSERT_FALSE(out.ok) << c.expr << " gave '" << out.text << "'";
    EXPECT_NE(out.error.find(c.message), std::string::npos) << out.error;
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, JetError,
    testing::Values(
        ErrorCase{"dateadd('x', 1, '2024-01-01')", "dateadd: unknown interval 'x'"},
        ErrorCase{"datediff('mm', '2024-01-01', '2024-02-01')", "datediff: unknown interval 'mm'"},
        ErrorCase{"datepart('', '2024-01-01')", "datepart: unknown interval ''"},
        ErrorCase{"dateadd('d', 1, 'abc')", "dateadd: 'abc' is not a date"},
        ErrorCase{"datediff('d', '2024-02-30', '2024-03-01')",
                  "datediff: '2024-02-30' is not a date"},
        ErrorCase{"year('2024-13-01')", "year: '2024-13-01' is not a date"},
        ErrorCase{"cdate('next week')", "cdate: 'next week' is not a date"},
        ErrorCase{"dateadd('d', 'two', '2024-01-01')", "dateadd: 'two' is not a number"},
        ErrorCase{"dateadd('yyyy', 8000, '2024-01-01')", "dateadd: the result is outside"},
        ErrorCase{"weekday('2024-01-01', 8)", "weekday: the first day of the week must be 0 to 7"},
        ErrorCase{"cint(32767.5)", "cint: overflow, 32767.5"},
        ErrorCase{"clng(2147483648)", "clng: overflow, 2147483648"},
        ErrorCase{"cint('abc')", "cint: type mismatch, 'abc'"},
        ErrorCase{"mid('abc', 0)", "mid: the start must be 1 or more, not 0"},
        ErrorCase{"jet_left('abc', -1)", "left: the length must be 0 or more, not -1"},
        ErrorCase{"format(1e10, 'yyyy')", "format: 10000000000 is not a valid date"}));

TEST_F(JetFunctionsTest, OnlyPureFunctionsMayIndexExpressions)
{
    ASSERT_TRUE(m_registered);
    ASSERT_TRUE(run("CREATE TABLE t(rq TEXT)").ok);
    EXPECT_TRUE(run("CREATE INDEX t_month ON t(datepart('m', rq))").ok);
    const Outcome out = run("CREATE INDEX t_age ON t(datediff('d', rq, now()))");
    EXPECT_FALSE(out.ok);
    EXPECT_NE(out.error.find("non-deterministic"), std::string::npos) << out.error;
}

TEST_F(JetFunctionsTest, AccessReportQueryRuns)
{
    ASSERT_TRUE(m_registered);
    ASSERT_TRUE(run("CREATE TABLE t(name TEXT, rq DATETIME, je CURRENCY)").ok);
    ASSERT_TRUE(run("INSERT INTO t VALUES ('张三', '2024-03-10 09:00:00', 120.5), "
                    "('李四', '2024-02-20 18:00:00', NULL), "
                    "('王五', '2024-02-14 23:59:59', 80), "
                    "('赵六', '2024-02-15 00:00:00', 10)")
                    .ok);
    const char *sql =
        "select name, format(rq,'yyyy-mm-dd') as d, datediff('d', rq, now()) as ts, "
        "iif(jet_isnull(je), 0, je) as je from t "
        "where rq >= dateadd('m', -1, date()) order by rq";
    sqlite3_stmt *stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr), SQLITE_OK) << sqlite3_errmsg(m_db);
    std::vector<std::string> rows;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::string row;
        for (int i = 0; i < 4; ++i) {
            row += i ? "|" : "";
            row += reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
        }
        rows.push_back(row);
    }
    sqlite3_finalize(stmt);
    const std::vector<std::string> expected = {
        "赵六|2024-02-15|29|10",
        "李四|2024-02-20|24|0",
        "张三|2024-03-10|5|120.5",
    };
    EXPECT_EQ(rows, expected);
}

}  // namespace
}  // namespace tavi::db
