#include "JetFunctionFamilies.h"
#include "services/Clock.h"

#include <QList>
#include <QString>

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <utility>

namespace tavi::db::jet {

namespace {

void fnNow(sqlite3_context *ctx, int, sqlite3_value **)
{
    resultText(ctx, dateTimeText(Moment::of(Clock::now())));
}

void fnToday(sqlite3_context *ctx, int, sqlite3_value **)
{
    resultText(ctx, dateTimeText(Moment::of(Clock::today().toJulianDay(), 0)));
}

void fnTime(sqlite3_context *ctx, int, sqlite3_value **)
{
    resultText(ctx, Clock::now().time().toString(QStringLiteral("HH:mm:ss")));
}

void fnDateAdd(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    Interval interval;
    double number = 0;
    Moment m;
    if (!intervalArg(ctx, argv[0], &interval) || !numberArg(ctx, argv[1], &number) ||
        !dateArg(ctx, argv[2], &m))
        return;
    if (std::fabs(number) > 1e9) {
        fail(ctx, "the result is outside the years 100 to 9999");
        return;
    }
    // Access documents that a fractional number is rounded; it rounds as CLng does.
    const qint64 n = qint64(roundHalfEven(number));
    qint64 months = 0;
    switch (interval) {
    case Interval::Year:
        months = 12 * n;
        break;
    case Interval::Quarter:
        months = 3 * n;
        break;
    case Interval::Month:
        months = n;
        break;
    case Interval::DayOfYear:
    case Interval::Day:
    case Interval::Weekday:
        m.secs += n * kSecsPerDay;
        break;
    case Interval::Week:
        m.secs += 7 * n * kSecsPerDay;
        break;
    case Interval::Hour:
        m.secs += 3600 * n;
        break;
    case Interval::Minute:
        m.secs += 60 * n;
        break;
    case Interval::Second:
        m.secs += n;
        break;
    }
    if (months != 0) {
        if (std::abs(months) > 12 * (kMaxYear - kMinYear + 1)) {
            fail(ctx, "the result is outside the years 100 to 9999");
            return;
        }
        // QDate clamps the day to the end of a shorter month, as Access does.
        m = Moment::of(m.date().addMonths(int(months)).toJulianDay(), m.secondOfDay());
    }
    resultDate(ctx, m);
}

void fnDateDiff(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    Interval interval;
    Moment a, b;
    int firstDay = 1;
    int firstWeek = 1;
    if (!intervalArg(ctx, argv[0], &interval) || !dateArg(ctx, argv[1], &a) ||
        !dateArg(ctx, argv[2], &b) || !firstDayArg(ctx, argc, argv, 3, &firstDay) ||
        !firstWeekArg(ctx, argc, argv, 4, &firstWeek))
        return;
    sqlite3_result_int64(ctx, dateDiff(interval, a, b, firstDay));
}

void fnDatePart(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    Interval interval;
    Moment m;
    int firstDay = 1;
    int firstWeek = 1;
    if (!intervalArg(ctx, argv[0], &interval) || !dateArg(ctx, argv[1], &m) ||
        !firstDayArg(ctx, argc, argv, 2, &firstDay) ||
        !firstWeekArg(ctx, argc, argv, 3, &firstWeek))
        return;
    sqlite3_result_int64(ctx, datePart(interval, m, firstDay, firstWeek));
}

template <Interval I>
void fnPart(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    Moment m;
    int firstDay = 1;
    if (!dateArg(ctx, argv[0], &m) || !firstDayArg(ctx, argc, argv, 1, &firstDay))
        return;
    sqlite3_result_int64(ctx, datePart(I, m, firstDay, 1));
}

void fnDateSerial(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    qint64 year = 0, month = 0, day = 0;
    if (!integerArg(ctx, argv[0], &year) || !integerArg(ctx, argv[1], &month) ||
        !integerArg(ctx, argv[2], &day))
        return;
    // Two-digit years, as Access reads them: 0-29 are 2000-2029, 30-99 are 1930-1999.
    if (year >= 0 && year <= 29)
        year += 2000;
    else if (year >= 30 && year <= 99)
        year += 1900;
    // Months and days beyond their range carry over, so month 13 is January of the next year
    // and day 0 the last day of the month before.
    const qint64 months = year * 12 + (month - 1);
    const qint64 y = floorDiv(months, 12);
    if (y < kMinYear || y > kMaxYear) {
        fail(ctx, "the result is outside the years 100 to 9999");
        return;
    }
    const QDate first(int(y), int(months - y * 12) + 1, 1);
    resultDate(ctx, Moment::of(first.toJulianDay() + day - 1, 0));
}

void fnDateValue(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    Moment m;
    if (anyNull(argc, argv))
        sqlite3_result_null(ctx);
    else if (dateArg(ctx, argv[0], &m))
        resultDate(ctx, Moment::of(m.day(), 0));
}

void fnCDate(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    Moment m;
    if (anyNull(argc, argv))
        sqlite3_result_null(ctx);
    else if (dateArg(ctx, argv[0], &m))
        resultDate(ctx, m);
}

}  // namespace

std::span<const Function> dateFunctions()
{
    static const Function functions[] = {
        {"now", "now", 0, fnNow, false},
        // Only without arguments, so that SQLite's own date(x, modifiers...) keeps working.
        {"date", "date", 0, fnToday, false},
        {"time", "time", 0, fnTime, false},
        {"dateadd", "dateadd", 3, fnDateAdd, true},
        {"datediff", "datediff", 3, fnDateDiff, true},
        {"datediff", "datediff", 4, fnDateDiff, true},
        {"datediff", "datediff", 5, fnDateDiff, true},
        {"datepart", "datepart", 2, fnDatePart, true},
        {"datepart", "datepart", 3, fnDatePart, true},
        {"datepart", "datepart", 4, fnDatePart, true},
        {"year", "year", 1, fnPart<Interval::Year>, true},
        {"month", "month", 1, fnPart<Interval::Month>, true},
        {"day", "day", 1, fnPart<Interval::Day>, true},
        {"hour", "hour", 1, fnPart<Interval::Hour>, true},
        {"minute", "minute", 1, fnPart<Interval::Minute>, true},
        {"second", "second", 1, fnPart<Interval::Second>, true},
        {"weekday", "weekday", 1, fnPart<Interval::Weekday>, true},
        {"weekday", "weekday", 2, fnPart<Interval::Weekday>, true},
        {"dateserial", "dateserial", 3, fnDateSerial, true},
        {"datevalue", "datevalue", 1, fnDateValue, true},
        {"cdate", "cdate", 1, fnCDate, true},
    };
    return functions;
}

}  // namespace tavi::db::jet
