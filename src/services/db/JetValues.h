#pragma once

// The values, arguments and results that the Jet SQL function families share: Access's date
// serials and their texts, numbers as Access converts them, and SQLite's calling conventions.

#include <sqlite3.h>
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

#include <string>
#include <string_view>

namespace tavi::db::jet {

inline constexpr qint64 kSecsPerDay = 86400;
// Julian day of 1899-12-30, day 0 of the Access serial date.
inline constexpr qint64 kSerialEpochDay = 2415019;
// Access dates run from the year 100 to the year 9999.
inline constexpr int kMinYear = 100;
inline constexpr int kMaxYear = 9999;

qint64 floorDiv(qint64 a, qint64 b);

// A date-time as whole seconds from the start of Julian day 0; Access keeps no finer time.
struct Moment
{
    qint64 secs = 0;

    static Moment of(qint64 day, qint64 secondOfDay) { return {day * kSecsPerDay + secondOfDay}; }
    static Moment of(const QDateTime &dt)
    {
        return of(dt.date().toJulianDay(), dt.time().msecsSinceStartOfDay() / 1000);
    }
    qint64 day() const { return floorDiv(secs, kSecsPerDay); }
    int secondOfDay() const { return int(secs - day() * kSecsPerDay); }
    QDate date() const { return QDate::fromJulianDay(day()); }
    int hour() const { return secondOfDay() / 3600; }
    int minute() const { return secondOfDay() / 60 % 60; }
    int second() const { return secondOfDay() % 60; }
};

enum class Interval
{
    Year,
    Quarter,
    Month,
    DayOfYear,
    Day,
    Weekday,
    Week,
    Hour,
    Minute,
    Second
};

// VBA rounds numbers it needs as integers half to even ("banker's rounding").
double roundHalfEven(double x);

bool inDateRange(qint64 day);

// Access keeps the time of a negative serial as a positive fraction: -1.25 is 1899-12-29 06:00.
bool momentFromSerial(double serial, Moment *out);

double serialOf(const Moment &m);

std::string dateTimeText(const Moment &m);

std::string_view trimBlanks(std::string_view s);

bool readDigits(std::string_view s, size_t *pos, int minCount, int maxCount, int *out);

// Reads "yyyy-M-d", "yyyy/M/d", either followed by " H:mm[:ss[.fff]]" (or 'T'), or a time
// alone, which Access places on day 0.
bool parseMoment(std::string_view text, Moment *out);

// A number written as text: blanks around it, an optional sign, digits, point and exponent.
bool parseNumberText(std::string_view text, double *out);

// Numbers in the form CStr gives them: up to 15 significant digits, no trailing zeros.
std::string numberText(double v);

std::string_view textView(sqlite3_value *v);

// The text of a value as Access would convert it: numbers without SQLite's trailing ".0".
std::string textOf(sqlite3_value *v);

QString qtextOf(sqlite3_value *v);

bool anyNull(int argc, sqlite3_value **argv);

const char *functionName(sqlite3_context *ctx);

QByteArray describe(sqlite3_value *v);

void fail(sqlite3_context *ctx, const QByteArray &message);

void resultText(sqlite3_context *ctx, std::string_view s);

void resultText(sqlite3_context *ctx, const QString &s);

void resultDate(sqlite3_context *ctx, const Moment &m);

// Whole numbers come back as integers so that reports show "3", not SQLite's "3.0".
void resultNumber(sqlite3_context *ctx, double v);

bool toMoment(sqlite3_value *v, Moment *out);

// Dates are texts here, where Access would hold a Date, so conversions to numbers take a date
// text as its serial number.
bool toNumber(sqlite3_value *v, double *out, bool datesAsSerials);

bool dateArg(sqlite3_context *ctx, sqlite3_value *v, Moment *out);

bool numberArg(sqlite3_context *ctx, sqlite3_value *v, double *out);

// Counts and positions, rounded as VBA rounds any number it needs as a Long.
bool integerArg(sqlite3_context *ctx, sqlite3_value *v, qint64 *out);

bool intervalArg(sqlite3_context *ctx, sqlite3_value *v, Interval *out);

// First day of the week, 1 (Sunday) to 7 (Saturday); 0, "as the system says", is Sunday here
// so that results do not depend on the machine.
bool firstDayArg(sqlite3_context *ctx, int argc, sqlite3_value **argv, int index, int *out);

// First week of the year: 1 the week of January 1, 2 the first week of four days or more,
// 3 the first full week; 0 is 1.
bool firstWeekArg(sqlite3_context *ctx, int argc, sqlite3_value **argv, int index, int *out);

// Weekday of a Julian day, 1 (Sunday) to 7 (Saturday); Julian day 0 was a Monday.
int vbWeekday(qint64 day);

int weekdayFrom(qint64 day, int firstDay);

qint64 weekStart(qint64 day, int firstDay);

qint64 firstWeekStart(int year, int firstDay, int firstWeek);

int weekOfYear(qint64 day, int firstDay, int firstWeek);

qint64 datePart(Interval interval, const Moment &m, int firstDay, int firstWeek);

// Access counts the boundaries crossed between the two moments, not elapsed whole units:
// from 23:59 to 00:01 the next day is one day and, on December 31, one year.
qint64 dateDiff(Interval interval, const Moment &a, const Moment &b, int firstDay);

// UTF-8 byte offset after `count` characters from the start of `s` (the end when shorter).
size_t byteOffset(std::string_view s, qint64 count);

qint64 charCount(std::string_view s);

// Characters (code points) before a UTF-16 index.
qint64 charsBefore(const QString &s, qsizetype index);

qint64 maxTextLength(sqlite3_context *ctx);

/// One SQL function as a family registers it.
struct Function
{
    const char *name;
    const char *shownName;
    int argCount;
    void (*call)(sqlite3_context *, int, sqlite3_value **);
    bool deterministic;
};

}  // namespace tavi::db::jet
