#include "JetFunctions.h"

#include "services/Clock.h"

#include <sqlite3.h>
#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

namespace tavi::db {

namespace {

constexpr qint64 kSecsPerDay = 86400;
// Julian day of 1899-12-30, day 0 of the Access serial date.
constexpr qint64 kSerialEpochDay = 2415019;
// Access dates run from the year 100 to the year 9999.
constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;

qint64 floorDiv(qint64 a, qint64 b)
{
    qint64 q = a / b;
    if (a % b != 0 && (a < 0) != (b < 0))
        --q;
    return q;
}

// VBA rounds numbers it needs as integers half to even ("banker's rounding").
double roundHalfEven(double x)
{
    double r = std::floor(x);
    const double diff = x - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0.0))
        r += 1.0;
    return r;
}

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

bool inDateRange(qint64 day)
{
    static const qint64 first = QDate(kMinYear, 1, 1).toJulianDay();
    static const qint64 last = QDate(kMaxYear, 12, 31).toJulianDay();
    return day >= first && day <= last;
}

// Access keeps the time of a negative serial as a positive fraction: -1.25 is 1899-12-29 06:00.
bool momentFromSerial(double serial, Moment *out)
{
    if (!std::isfinite(serial) || std::fabs(serial) > 1e7)
        return false;
    const double whole = std::trunc(serial);
    qint64 day = qint64(whole) + kSerialEpochDay;
    qint64 secs = std::llround(std::fabs(serial - whole) * kSecsPerDay);
    if (secs >= kSecsPerDay) {
        secs -= kSecsPerDay;
        ++day;
    }
    if (!inDateRange(day))
        return false;
    *out = Moment::of(day, secs);
    return true;
}

double serialOf(const Moment &m)
{
    const qint64 days = m.day() - kSerialEpochDay;
    const double fraction = m.secondOfDay() / double(kSecsPerDay);
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}

std::string dateTimeText(const Moment &m)
{
    const QDate d = m.date();
    char buf[32];
    const int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year(),
                                d.month(), d.day(), m.hour(), m.minute(), m.second());
    return std::string(buf, size_t(n));
}

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

bool readDigits(std::string_view s, size_t *pos, int minCount, int maxCount, int *out)
{
    int value = 0;
    int count = 0;
    while (*pos < s.size() && count < maxCount && s[*pos] >= '0' && s[*pos] <= '9') {
        value = value * 10 + (s[*pos] - '0');
        ++*pos;
        ++count;
    }
    *out = value;
    return count >= minCount;
}

// Reads "yyyy-M-d", "yyyy/M/d", either followed by " H:mm[:ss[.fff]]" (or 'T'), or a time
// alone, which Access places on day 0.
bool parseMoment(std::string_view text, Moment *out)
{
    const std::string_view s = trimBlanks(text);
    size_t p = 0;
    qint64 day = kSerialEpochDay;
    if (s.size() > 4 && (s[4] == '-' || s[4] == '/')) {
        int y = 0, mo = 0, d = 0;
        if (!readDigits(s, &p, 4, 4, &y))
            return false;
        const char sep = s[p++];
        if (!readDigits(s, &p, 1, 2, &mo) || p >= s.size() || s[p++] != sep ||
            !readDigits(s, &p, 1, 2, &d))
            return false;
        const QDate date(y, mo, d);
        if (!date.isValid() || y < kMinYear)
            return false;
        day = date.toJulianDay();
        if (p == s.size()) {
            *out = Moment::of(day, 0);
            return true;
        }
        if (s[p] == 'T') {
            ++p;
        } else if (s[p] == ' ') {
            while (p < s.size() && s[p] == ' ')
                ++p;
        } else {
            return false;
        }
    }
    int h = 0, mi = 0, sec = 0;
    if (!readDigits(s, &p, 1, 2, &h) || p >= s.size() || s[p++] != ':' ||
        !readDigits(s, &p, 2, 2, &mi))
        return false;
    if (p < s.size() && s[p] == ':') {
        ++p;
        if (!readDigits(s, &p, 2, 2, &sec))
            return false;
        if (p < s.size() && s[p] == '.') {
            ++p;
            int fraction = 0;
            if (!readDigits(s, &p, 1, 9, &fraction))
                return false;
        }
    }
    if (p != s.size() || h > 23 || mi > 59 || sec > 59)
        return false;
    *out = Moment::of(day, h * 3600 + mi * 60 + sec);
    return true;
}

// A number written as text: blanks around it, an optional sign, digits, point and exponent.
bool parseNumberText(std::string_view text, double *out)
{
    std::string_view s = trimBlanks(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || !((s.front() >= '0' && s.front() <= '9') || s.front() == '.'))
        return false;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || ptr != s.data() + s.size())
        return false;
    *out = negative ? -value : value;
    return true;
}

// Numbers in the form CStr gives them: up to 15 significant digits, no trailing zeros.
std::string numberText(double v)
{
    if (v == 0)
        return "0";
    if (std::trunc(v) == v && std::fabs(v) < 1e15)
        return std::to_string(qint64(v));
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    std::string s(buf, result.ptr);
    const size_t e = s.find('e');
    if (e != std::string::npos)
        s[e] = 'E';
    return s;
}

std::string_view textView(sqlite3_value *v)
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_value_text(v));
    return std::string_view(data ? data : "", size_t(sqlite3_value_bytes(v)));
}

// The text of a value as Access would convert it: numbers without SQLite's trailing ".0".
std::string textOf(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return std::to_string(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return numberText(sqlite3_value_double(v));
    default:
        return std::string(textView(v));
    }
}

QString qtextOf(sqlite3_value *v)
{
    const std::string s = textOf(v);
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

bool anyNull(int argc, sqlite3_value **argv)
{
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return true;
    }
    return false;
}

const char *functionName(sqlite3_context *ctx)
{
    return static_cast<const char *>(sqlite3_user_data(ctx));
}

QByteArray describe(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
        return "NULL";
    case SQLITE_BLOB:
        return "a binary value";
    case SQLITE_TEXT: {
        std::string_view s = textView(v);
        if (s.size() > 40)
            return '\'' + QByteArray(s.data(), 40) + "...'";
        return '\'' + QByteArray(s.data(), qsizetype(s.size())) + '\'';
    }
    default:
        return QByteArray::fromStdString(textOf(v));
    }
}

void fail(sqlite3_context *ctx, const QByteArray &message)
{
    const QByteArray full = QByteArray(functionName(ctx)) + ": " + message;
    sqlite3_result_error(ctx, full.constData(), int(full.size()));
}

void resultText(sqlite3_context *ctx, std::string_view s)
{
    sqlite3_result_text64(ctx, s.data(), s.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void resultText(sqlite3_context *ctx, const QString &s)
{
    const QByteArray utf8 = s.toUtf8();
    resultText(ctx, std::string_view(utf8.constData(), size_t(utf8.size())));
}

void resultDate(sqlite3_context *ctx, const Moment &m)
{
    if (!inDateRange(m.day())) {
        fail(ctx, "the result is outside the years 100 to 9999");
        return;
    }
    resultText(ctx, dateTimeText(m));
}

// Whole numbers come back as integers so that reports show "3", not SQLite's "3.0".
void resultNumber(sqlite3_context *ctx, double v)
{
    if (std::trunc(v) == v && std::fabs(v) < 9.2e18)
        sqlite3_result_int64(ctx, qint64(v));
    else
        sqlite3_result_double(ctx, v);
}

bool toMoment(sqlite3_value *v, Moment *out)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        return momentFromSerial(sqlite3_value_double(v), out);
    case SQLITE_TEXT:
        return parseMoment(textView(v), out);
    default:
        return false;
    }
}

// Dates are texts here, where Access would hold a Date, so conversions to numbers take a date
// text as its serial number.
bool toNumber(sqlite3_value *v, double *out, bool datesAsSerials)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        *out = sqlite3_value_double(v);
        return true;
    case SQLITE_TEXT: {
        if (parseNumberText(textView(v), out))
            return true;
        Moment m;
        if (datesAsSerials && parseMoment(textView(v), &m)) {
            *out = serialOf(m);
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

bool dateArg(sqlite3_context *ctx, sqlite3_value *v, Moment *out)
{
    if (toMoment(v, out))
        return true;
    fail(ctx, describe(v) + " is not a date");
    return false;
}

bool numberArg(sqlite3_context *ctx, sqlite3_value *v, double *out)
{
    if (toNumber(v, out, false))
        return true;
    fail(ctx, describe(v) + " is not a number");
    return false;
}

// Counts and positions, rounded as VBA rounds any number it needs as a Long.
bool integerArg(sqlite3_context *ctx, sqlite3_value *v, qint64 *out)
{
    double d = 0;
    if (!numberArg(ctx, v, &d))
        return false;
    if (std::fabs(d) > 2147483647.0) {
        fail(ctx, describe(v) + " is out of range");
        return false;
    }
    *out = qint64(roundHalfEven(d));
    return true;
}

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

bool intervalArg(sqlite3_context *ctx, sqlite3_value *v, Interval *out)
{
    static const std::pair<const char *, Interval> names[] = {
        {"yyyy", Interval::Year},   {"q", Interval::Quarter}, {"m", Interval::Month},
        {"y", Interval::DayOfYear}, {"d", Interval::Day},     {"w", Interval::Weekday},
        {"ww", Interval::Week},     {"h", Interval::Hour},    {"n", Interval::Minute},
        {"s", Interval::Second}};
    const QByteArray unit = QByteArray::fromStdString(textOf(v)).toLower();
    for (const auto &[name, interval] : names) {
        if (unit == name) {
            *out = interval;
            return true;
        }
    }
    fail(ctx, "unknown interval " + describe(v) + " (expected yyyy, q, m, y, d, w, ww, h, n or s)");
    return false;
}

// First day of the week, 1 (Sunday) to 7 (Saturday); 0, "as the system says", is Sunday here
// so that results do not depend on the machine.
bool firstDayArg(sqlite3_context *ctx, int argc, sqlite3_value **argv, int index, int *out)
{
    *out = 1;
    if (argc <= index)
        return true;
    qint64 day = 0;
    if (!integerArg(ctx, argv[index], &day))
        return false;
    if (day < 0 || day > 7) {
        fail(ctx, "the first day of the week must be 0 to 7, not " + describe(argv[index]));
        return false;
    }
    *out = day == 0 ? 1 : int(day);
    return true;
}

// First week of the year: 1 the week of January 1, 2 the first week of four days or more,
// 3 the first full week; 0 is 1.
bool firstWeekArg(sqlite3_context *ctx, int argc, sqlite3_value **argv, int index, int *out)
{
    *out = 1;
    if (argc <= index)
        return true;
    qint64 week = 0;
    if (!integerArg(ctx, argv[index], &week))
        return false;
    if (week < 0 || week > 3) {
        fail(ctx, "the first week of the year must be 0 to 3, not " + describe(argv[index]));
        return false;
    }
    *out = week == 0 ? 1 : int(week);
    return true;
}

// Weekday of a Julian day, 1 (Sunday) to 7 (Saturday); Julian day 0 was a Monday.
int vbWeekday(qint64 day)
{
    return int(((day + 1) % 7 + 7) % 7) + 1;
}

int weekdayFrom(qint64 day, int firstDay)
{
    return (vbWeekday(day) - firstDay + 7) % 7 + 1;
}

qint64 weekStart(qint64 day, int firstDay)
{
    return day - (weekdayFrom(day, firstDay) - 1);
}

qint64 firstWeekStart(int year, int firstDay, int firstWeek)
{
    const qint64 jan1 = QDate(year, 1, 1).toJulianDay();
    const qint64 start = weekStart(jan1, firstDay);
    switch (firstWeek) {
    case 2:
        return jan1 - start <= 3 ? start : start + 7;
    case 3:
        return start == jan1 ? start : start + 7;
    default:
        return start;
    }
}

int weekOfYear(qint64 day, int firstDay, int firstWeek)
{
    const int year = QDate::fromJulianDay(day).year();
    qint64 start = firstWeekStart(year, firstDay, firstWeek);
    if (day < start)
        start = firstWeekStart(year - 1, firstDay, firstWeek);
    return int((day - start) / 7) + 1;
}

qint64 datePart(Interval interval, const Moment &m, int firstDay, int firstWeek)
{
    const QDate d = m.date();
    switch (interval) {
    case Interval::Year:
        return d.year();
    case Interval::Quarter:
        return (d.month() - 1) / 3 + 1;
    case Interval::Month:
        return d.month();
    case Interval::DayOfYear:
        return d.dayOfYear();
    case Interval::Day:
        return d.day();
    case Interval::Weekday:
        return weekdayFrom(m.day(), firstDay);
    case Interval::Week:
        return weekOfYear(m.day(), firstDay, firstWeek);
    case Interval::Hour:
        return m.hour();
    case Interval::Minute:
        return m.minute();
    case Interval::Second:
        return m.second();
    }
    return 0;
}

// Access counts the boundaries crossed between the two moments, not elapsed whole units:
// from 23:59 to 00:01 the next day is one day and, on December 31, one year.
qint64 dateDiff(Interval interval, const Moment &a, const Moment &b, int firstDay)
{
    const QDate da = a.date();
    const QDate db = b.date();
    switch (interval) {
    case Interval::Year:
        return db.year() - da.year();
    case Interval::Quarter:
        return (db.year() * 4 + (db.month() - 1) / 3) - (da.year() * 4 + (da.month() - 1) / 3);
    case Interval::Month:
        return (db.year() * 12 + db.month()) - (da.year() * 12 + da.month());
    case Interval::DayOfYear:
    case Interval::Day:
        return b.day() - a.day();
    case Interval::Weekday:
        return (b.day() - a.day()) / 7;
    case Interval::Week:
        return (weekStart(b.day(), firstDay) - weekStart(a.day(), firstDay)) / 7;
    case Interval::Hour:
        return floorDiv(b.secs, 3600) - floorDiv(a.secs, 3600);
    case Interval::Minute:
        return floorDiv(b.secs, 60) - floorDiv(a.secs, 60);
    case Interval::Second:
        return b.secs - a.secs;
    }
    return 0;
}

// UTF-8 byte offset after `count` characters from the start of `s` (the end when shorter).
size_t byteOffset(std::string_view s, qint64 count)
{
    size_t p = 0;
    while (count > 0 && p < s.size()) {
        ++p;
        while (p < s.size() && (uchar(s[p]) & 0xC0) == 0x80)
            ++p;
        --count;
    }
    return p;
}

qint64 charCount(std::string_view s)
{
    qint64 n = 0;
    for (const char c : s) {
        if ((uchar(c) & 0xC0) != 0x80)
            ++n;
    }
    return n;
}

// Characters (code points) before a UTF-16 index.
qint64 charsBefore(const QString &s, qsizetype index)
{
    qint64 n = 0;
    for (qsizetype i = 0; i < index; ++i) {
        if (!s.at(i).isLowSurrogate())
            ++n;
    }
    return n;
}

qint64 maxTextLength(sqlite3_context *ctx)
{
    return sqlite3_limit(sqlite3_context_db_handle(ctx), SQLITE_LIMIT_LENGTH, -1);
}

const char *const kMonthNames[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};
const char *const kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};

struct DateToken
{
    enum class Type
    {
        Literal,
        General,
        DayOfYear,
        Year2,
        Year4,
        Quarter,
        Month,
        Month2,
        MonthShort,
        MonthLong,
        Day,
        Day2,
        DayShort,
        DayLong,
        ShortDate,
        LongDate,
        Weekday,
        WeekOfYear,
        Hour,
        Hour2,
        Minute,
        Minute2,
        Second,
        Second2,
        LongTime,
        AmPm,
    };
    Type type;
    QString text;
};

bool isDateLetter(QChar c)
{
    switch (c.toLower().unicode()) {
    case 'y':
    case 'm':
    case 'd':
    case 'h':
    case 'n':
    case 's':
    case 'q':
    case 'w':
    case 'c':
        return true;
    default:
        return false;
    }
}

// Length of a quoted literal or backslash escape starting at `i`, 0 when there is none.
qsizetype literalLength(const QString &pattern, qsizetype i)
{
    if (pattern.at(i) == u'\\')
        return i + 1 < pattern.size() ? 2 : 1;
    if (pattern.at(i) == u'"') {
        const qsizetype close = pattern.indexOf(u'"', i + 1);
        return close < 0 ? pattern.size() - i : close - i + 1;
    }
    return 0;
}

QString literalText(const QString &pattern, qsizetype i, qsizetype length)
{
    if (pattern.at(i) == u'\\')
        return pattern.mid(i + 1, length - 1);
    const bool closed = length >= 2 && pattern.at(i + length - 1) == u'"';
    return pattern.mid(i + 1, length - (closed ? 2 : 1));
}

QList<DateToken> dateTokens(const QString &pattern)
{
    using T = DateToken::Type;
    QList<DateToken> tokens;
    auto literal = [&tokens](const QString &text) {
        if (!tokens.isEmpty() && tokens.last().type == T::Literal)
            tokens.last().text += text;
        else
            tokens.append({T::Literal, text});
    };
    qsizetype i = 0;
    while (i < pattern.size()) {
        if (const qsizetype len = literalLength(pattern, i)) {
            literal(literalText(pattern, i, len));
            i += len;
            continue;
        }
        bool matchedAmPm = false;
        for (const QString &form :
             {QStringLiteral("AM/PM"), QStringLiteral("A/P"), QStringLiteral("AMPM")}) {
            if (pattern.mid(i, form.size()).compare(form, Qt::CaseInsensitive) == 0) {
                tokens.append({T::AmPm, pattern.mid(i, form.size())});
                i += form.size();
                matchedAmPm = true;
                break;
            }
        }
        if (matchedAmPm)
            continue;
        const QChar c = pattern.at(i).toLower();
        qsizetype run = 1;
        while (i + run < pattern.size() && pattern.at(i + run).toLower() == c)
            ++run;
        auto take = [&](qsizetype count, T type) {
            tokens.append({type, {}});
            i += count;
        };
        switch (c.unicode()) {
        case 'y':
            if (run >= 4)
                take(4, T::Year4);
            else if (run >= 2)
                take(2, T::Year2);
            else
                take(1, T::DayOfYear);
            break;
        case 'm':
            if (run >= 4)
                take(4, T::MonthLong);
            else if (run == 3)
                take(3, T::MonthShort);
            else if (run == 2)
                take(2, T::Month2);
            else
                take(1, T::Month);
            break;
        case 'd': {
            static const T days[] = {T::Day,     T::Day2,      T::DayShort,
                                     T::DayLong, T::ShortDate, T::LongDate};
            const qsizetype count = std::min<qsizetype>(run, 6);
            take(count, days[count - 1]);
            break;
        }
        case 'h':
            take(std::min<qsizetype>(run, 2), run >= 2 ? T::Hour2 : T::Hour);
            break;
        case 'n':
            take(std::min<qsizetype>(run, 2), run >= 2 ? T::Minute2 : T::Minute);
            break;
        case 's':
            take(std::min<qsizetype>(run, 2), run >= 2 ? T::Second2 : T::Second);
            break;
        case 'w':
            take(std::min<qsizetype>(run, 2), run >= 2 ? T::WeekOfYear : T::Weekday);
            break;
        case 'q':
            take(1, T::Quarter);
            break;
        case 'c':
            take(1, T::General);
            break;
        case 't':
            if (run >= 5) {
                take(5, T::LongTime);
                break;
            }
            literal(pattern.mid(i, 1));
            ++i;
            break;
        default:
            literal(pattern.mid(i, 1));
            ++i;
            break;
        }
    }
    // As in Access, "m" right after an hour or right before seconds means minutes.
    auto isHour = [](T t) { return t == T::Hour || t == T::Hour2; };
    auto isSecond = [](T t) { return t == T::Second || t == T::Second2; };
    for (qsizetype k = 0; k < tokens.size(); ++k) {
        DateToken &token = tokens[k];
        if (token.type != T::Month && token.type != T::Month2)
            continue;
        qsizetype before = k - 1;
        while (before >= 0 && tokens.at(before).type == T::Literal)
            --before;
        qsizetype after = k + 1;
        while (after < tokens.size() && tokens.at(after).type == T::Literal)
            ++after;
        if ((before >= 0 && isHour(tokens.at(before).type)) ||
            (after < tokens.size() && isSecond(tokens.at(after).type)))
            token.type = token.type == T::Month ? T::Minute : T::Minute2;
    }
    return tokens;
}

QString twoDigits(int v)
{
    return QString::number(v).rightJustified(2, u'0');
}

QString formatDate(const Moment &m, const QString &pattern);

// General Date: the date alone at midnight, the time alone on day 0.
QString generalDate(const Moment &m)
{
    if (m.day() == kSerialEpochDay)
        return formatDate(m, QStringLiteral("hh:nn:ss"));
    if (m.secondOfDay() == 0)
        return formatDate(m, QStringLiteral("yyyy-mm-dd"));
    return formatDate(m, QStringLiteral("yyyy-mm-dd hh:nn:ss"));
}

QString formatDate(const Moment &m, const QString &pattern)
{
    using T = DateToken::Type;
    const QList<DateToken> tokens = dateTokens(pattern);
    bool twelveHour = false;
    for (const DateToken &t : tokens)
        twelveHour = twelveHour || t.type == T::AmPm;
    const QDate d = m.date();
    int hour = m.hour();
    if (twelveHour) {
        hour %= 12;
        if (hour == 0)
            hour = 12;
    }
    QString out;
    for (const DateToken &t : tokens) {
        switch (t.type) {
        case T::Literal:
            out += t.text;
            break;
        case T::General:
            out += generalDate(m);
            break;
        case T::DayOfYear:
            out += QString::number(d.dayOfYear());
            break;
        case T::Year2:
            out += twoDigits(d.year() % 100);
            break;
        case T::Year4:
            out += QString::number(d.year()).rightJustified(4, u'0');
            break;
        case T::Quarter:
            out += QString::number((d.month() - 1) / 3 + 1);
            break;
        case T::Month:
            out += QString::number(d.month());
            break;
        case T::Month2:
            out += twoDigits(d.month());
            break;
        case T::MonthShort:
            out += QString::fromLatin1(kMonthNames[d.month() - 1]).left(3);
            break;
        case T::MonthLong:
            out += QString::fromLatin1(kMonthNames[d.month() - 1]);
            break;
        case T::Day:
            out += QString::number(d.day());
            break;
        case T::Day2:
            out += twoDigits(d.day());
            break;
        case T::DayShort:
            out += QString::fromLatin1(kDayNames[vbWeekday(m.day()) - 1]).left(3);
            break;
        case T::DayLong:
            out += QString::fromLatin1(kDayNames[vbWeekday(m.day()) - 1]);
            break;
        case T::ShortDate:
            out += formatDate(m, QStringLiteral("yyyy-mm-dd"));
            break;
        case T::LongDate:
            out += formatDate(m, QStringLiteral("yyyy年m月d日"));
            break;
        case T::Weekday:
            out += QString::number(vbWeekday(m.day()));
            break;
        case T::WeekOfYear:
            out += QString::number(weekOfYear(m.day(), 1, 1));
            break;
        case T::Hour:
            out += QString::number(hour);
            break;
        case T::Hour2:
            out += twoDigits(hour);
            break;
        case T::Minute:
            out += QString::number(m.minute());
            break;
        case T::Minute2:
            out += twoDigits(m.minute());
            break;
        case T::Second:
            out += QString::number(m.second());
            break;
        case T::Second2:
            out += twoDigits(m.second());
            break;
        case T::LongTime:
            out += formatDate(m, QStringLiteral("hh:nn:ss"));
            break;
        case T::AmPm: {
            const bool pm = m.hour() >= 12;
            if (t.text.size() == 5)  // AM/PM, in the case the pattern writes it
                out += pm ? t.text.mid(3, 2) : t.text.left(2);
            else if (t.text.size() == 3)  // A/P
                out += pm ? t.text.mid(2, 1) : t.text.left(1);
            else
                out += pm ? QStringLiteral("PM") : QStringLiteral("AM");
            break;
        }
        }
    }
    return out;
}

// Splits a number pattern into its sections at the semicolons outside literals.
QStringList sections(const QString &pattern)
{
    QStringList result;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < pattern.size()) {
        if (const qsizetype len = literalLength(pattern, i)) {
            i += len;
            continue;
        }
        if (pattern.at(i) == u';') {
            result.append(pattern.mid(start, i - start));
            start = i + 1;
        }
        ++i;
    }
    result.append(pattern.mid(start));
    return result;
}

// Whether a pattern reads as a date pattern for a value: a date keeps its date tokens even
// beside a "0" (a literal there), a number needs date tokens and no digit placeholder.
bool isDatePattern(const QString &pattern, bool dateValue)
{
    bool dateToken = false;
    bool digit = false;
    qsizetype i = 0;
    while (i < pattern.size()) {
        if (const qsizetype len = literalLength(pattern, i)) {
            i += len;
            continue;
        }
        const QChar c = pattern.at(i);
        digit = digit || c == u'0' || c == u'#';
        if (isDateLetter(c) ||
            pattern.mid(i, 5).compare(QLatin1String("ttttt"), Qt::CaseInsensitive) == 0 ||
            pattern.mid(i, 3).compare(QLatin1String("A/P"), Qt::CaseInsensitive) == 0)
            dateToken = true;
        ++i;
    }
    return dateToken && (dateValue || !digit);
}

// Digits of `v` (not negative) rounded half away from zero at `decimals` places, taken from
// its 15 significant digits as Access does, so 2.675 rounds to 2.68 and not by its binary
// value. The integer digits have no leading zeros (empty for zero).
std::pair<std::string, std::string> roundedDigits(double v, int decimals)
{
    if (v == 0 || !std::isfinite(v))
        return {std::string(), std::string(size_t(decimals), '0')};
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14);
    const std::string_view sci(buf, size_t(result.ptr - buf));
    std::string mantissa;
    mantissa += sci[0];
    mantissa += sci.substr(2, 14);
    int exponent = 0;
    const size_t e = sci.find('e');
    const char *expBegin = sci.data() + e + 1 + (sci[e + 1] == '+' ? 1 : 0);
    std::from_chars(expBegin, sci.data() + sci.size(), exponent);

    auto digitAt = [&](int place) {
        const int index = exponent - place;
        return index >= 0 && index < int(mantissa.size()) ? mantissa[size_t(index)] : '0';
    };
    const int high = std::max(exponent, 0);
    std::string digits;
    for (int place = high; place >= -decimals; --place)
        digits += digitAt(place);
    if (digitAt(-decimals - 1) >= '5') {
        size_t k = digits.size();
        while (k > 0) {
            --k;
            if (digits[k] == '9') {
                digits[k] = '0';
            } else {
                ++digits[k];
                break;
            }
            if (k == 0)
                digits.insert(digits.begin(), '1');
        }
    }
    std::string intDigits = digits.substr(0, digits.size() - size_t(decimals));
    const size_t firstNonZero = intDigits.find_first_not_of('0');
    intDigits = firstNonZero == std::string::npos ? std::string() : intDigits.substr(firstNonZero);
    return {intDigits, digits.substr(digits.size() - size_t(decimals))};
}

struct NumberToken
{
    enum class Type
    {
        Zero,
        Hash,
        Point,
        Literal
    };
    Type type;
    QString text;
};

// One section of a number pattern rendered for a value that is not negative. `shownNonZero`
// tells whether any digit shown differs from zero (so a minus sign is worth adding).
QString formatNumberSection(const QString &section, double value, bool *shownNonZero)
{
    using T = NumberToken::Type;
    QList<NumberToken> tokens;
    qsizetype i = 0;
    bool seenPoint = false;
    int percents = 0;
    while (i < section.size()) {
        if (const qsizetype len = literalLength(section, i)) {
            tokens.append({T::Literal, literalText(section, i, len)});
            i += len;
            continue;
        }
        const QChar c = section.at(i);
        if (c == u'0')
            tokens.append({T::Zero, {}});
        else if (c == u'#')
            tokens.append({T::Hash, {}});
        else if (c == u'.' && !seenPoint) {
            tokens.append({T::Point, {}});
            seenPoint = true;
        } else {
            if (c == u'%')
                ++percents;
            tokens.append({T::Literal, QString(c)});
        }
        ++i;
    }
    auto isDigit = [&tokens](qsizetype k) {
        return tokens.at(k).type == T::Zero || tokens.at(k).type == T::Hash;
    };
    qsizetype point = tokens.size();
    for (qsizetype k = 0; k < tokens.size(); ++k) {
        if (tokens.at(k).type == T::Point)
            point = k;
    }
    // A comma between integer placeholders groups thousands; commas right after the last one
    // divide by a thousand each.
    bool grouping = false;
    int scale = 0;
    for (qsizetype k = 0; k < point; ++k) {
        if (tokens.at(k).type != T::Literal || tokens.at(k).text != u",")
            continue;
        bool digitBefore = false, digitAfter = false;
        for (qsizetype j = 0; j < k; ++j)
            digitBefore = digitBefore || isDigit(j);
        for (qsizetype j = k + 1; j < point; ++j)
            digitAfter = digitAfter || isDigit(j);
        if (!digitBefore)
            continue;
        if (digitAfter)
            grouping = true;
        else
            ++scale;
        tokens[k].text.clear();
    }

    // The leftmost "0" among the integer placeholders fixes how many digits always show.
    int intPlaceholders = 0;
    int leftmostZero = -1;
    QList<T> fracPlaceholders;
    for (qsizetype k = 0; k < tokens.size(); ++k) {
        if (!isDigit(k))
            continue;
        if (k < point) {
            if (tokens.at(k).type == T::Zero && leftmostZero < 0)
                leftmostZero = intPlaceholders;
            ++intPlaceholders;
        } else {
            fracPlaceholders.append(tokens.at(k).type);
        }
    }
    const int minIntDigits = leftmostZero < 0 ? 0 : intPlaceholders - leftmostZero;

    const bool hasDigits = intPlaceholders > 0 || !fracPlaceholders.isEmpty();
    value *= std::pow(100.0, percents) / std::pow(1000.0, scale);
    std::string intDigits;
    std::string fracDigits;
    std::tie(intDigits, fracDigits) = roundedDigits(value, int(fracPlaceholders.size()));
    *shownNonZero =
        hasDigits && (!intDigits.empty() || fracDigits.find_first_not_of('0') != std::string::npos);
    if (int(intDigits.size()) < minIntDigits)
        intDigits.insert(0, size_t(minIntDigits) - intDigits.size(), '0');
    qsizetype keep = fracPlaceholders.size();
    while (keep > 0 && fracPlaceholders.at(keep - 1) == T::Hash &&
           fracDigits[size_t(keep) - 1] == '0')
        --keep;

    const int digitCount = int(intDigits.size());
    const int extra = digitCount - intPlaceholders;
    auto emitDigit = [&](QString &out, int index) {
        out += QLatin1Char(intDigits[size_t(index)]);
        const int rightOf = digitCount - 1 - index;
        if (grouping && rightOf > 0 && rightOf % 3 == 0)
            out += u',';
    };
    QString out;
    int intIndex = 0;
    qsizetype fracIndex = 0;
    bool intWritten = intPlaceholders > 0;
    for (qsizetype k = 0; k < tokens.size(); ++k) {
        const NumberToken &t = tokens.at(k);
        if (!intWritten && (t.type != T::Literal)) {
            for (int j = 0; j < digitCount; ++j)
                emitDigit(out, j);
            intWritten = true;
        }
        switch (t.type) {
        case T::Literal:
            out += t.text;
            break;
        case T::Point:
            out += u'.';
            break;
        case T::Zero:
        case T::Hash:
            if (k < point) {
                if (intIndex == 0) {
                    for (int j = 0; j < extra; ++j)
                        emitDigit(out, j);
                }
                const int j = intIndex + extra;
                if (j >= 0)
                    emitDigit(out, j);
                ++intIndex;
            } else {
                if (fracIndex < keep)
                    out += QLatin1Char(fracDigits[size_t(fracIndex)]);
                ++fracIndex;
            }
            break;
        }
    }
    return out;
}

QString formatNumber(double v, const QString &pattern)
{
    const QStringList parts = sections(pattern);
    QString section = parts.at(0);
    bool sign = v < 0;
    if (v < 0 && parts.size() >= 2 && !parts.at(1).isEmpty()) {
        section = parts.at(1);
        sign = false;
    } else if (v == 0 && parts.size() >= 3 && !parts.at(2).isEmpty()) {
        section = parts.at(2);
    }
    bool shownNonZero = false;
    const QString text = formatNumberSection(section, std::fabs(v), &shownNonZero);
    // A negative number that rounds to zero shows no minus sign.
    if (sign && shownNonZero)
        return QLatin1Char('-') + text;
    return text;
}

// A value as Format sees it: dates are texts here, numbers may arrive as texts.
struct FormatValue
{
    enum class Kind
    {
        Number,
        Date,
        Text
    };
    Kind kind = Kind::Text;
    double number = 0;
    Moment moment;
};

FormatValue classify(sqlite3_value *v)
{
    FormatValue fv;
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        fv.kind = FormatValue::Kind::Number;
        fv.number = sqlite3_value_double(v);
        break;
    case SQLITE_TEXT:
        if (parseMoment(textView(v), &fv.moment))
            fv.kind = FormatValue::Kind::Date;
        else if (parseNumberText(textView(v), &fv.number))
            fv.kind = FormatValue::Kind::Number;
        break;
    default:
        break;
    }
    return fv;
}

struct NamedFormat
{
    const char16_t *name;
    const char16_t *pattern;
    bool date;
};

// The named formats, spelled for Chinese hotels: ISO dates, 24-hour times and yuan.
const NamedFormat kNamedFormats[] = {
    {u"general date", u"c", true},        {u"long date", u"yyyy年m月d日", true},
    {u"medium date", u"dd-mmm-yy", true}, {u"short date", u"yyyy-mm-dd", true},
    {u"long time", u"hh:nn:ss", true},    {u"medium time", u"hh:nn AM/PM", true},
    {u"short time", u"hh:nn", true},      {u"currency", u"¥#,##0.00", false},
    {u"fixed", u"0.00", false},           {u"standard", u"#,##0.00", false},
    {u"percent", u"0.00%", false},
};

struct TruthFormat
{
    const char16_t *name;
    const char16_t *yes;
    const char16_t *no;
};

const TruthFormat kTruthFormats[] = {
    {u"yes/no", u"Yes", u"No"},
    {u"true/false", u"True", u"False"},
    {u"on/off", u"On", u"Off"},
};

void fnFormat(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    QString pattern;
    if (argc > 1 && sqlite3_value_type(argv[1]) != SQLITE_NULL)
        pattern = qtextOf(argv[1]);
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        // The fourth section of a number pattern is the text for Null.
        const QStringList parts = sections(pattern);
        if (parts.size() >= 4) {
            bool unused = false;
            resultText(ctx, formatNumberSection(parts.at(3), 0, &unused));
        } else {
            sqlite3_result_null(ctx);
        }
        return;
    }
    const FormatValue fv = classify(argv[0]);
    if (fv.kind == FormatValue::Kind::Text) {
        resultText(ctx, textOf(argv[0]));
        return;
    }
    const QString name = pattern.trimmed().toLower();
    const double number = fv.kind == FormatValue::Kind::Date ? serialOf(fv.moment) : fv.number;
    if (name.isEmpty()) {
        if (fv.kind == FormatValue::Kind::Date)
            resultText(ctx, generalDate(fv.moment));
        else
            resultText(ctx, textOf(argv[0]));
        return;
    }
    if (name == u"general number") {
        resultText(ctx, numberText(number));
        return;
    }
    for (const TruthFormat &f : kTruthFormats) {
        if (name == QStringView(f.name)) {
            resultText(ctx, QString::fromUtf16(number != 0 ? f.yes : f.no));
            return;
        }
    }
    bool datePattern = isDatePattern(pattern, fv.kind == FormatValue::Kind::Date);
    for (const NamedFormat &f : kNamedFormats) {
        if (name == QStringView(f.name)) {
            pattern = QString::fromUtf16(f.pattern);
            datePattern = f.date;
            break;
        }
    }
    if (!datePattern) {
        resultText(ctx, formatNumber(number, pattern));
        return;
    }
    Moment m = fv.moment;
    if (fv.kind == FormatValue::Kind::Number && !momentFromSerial(fv.number, &m)) {
        fail(ctx, describe(argv[0]) + " is not a valid date");
        return;
    }
    resultText(ctx, formatDate(m, pattern));
}

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

void fnIsNull(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    sqlite3_result_int(ctx, sqlite3_value_type(argv[0]) == SQLITE_NULL ? -1 : 0);
}

void fnNz(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) != SQLITE_NULL)
        sqlite3_result_value(ctx, argv[0]);
    else if (argc > 1)
        sqlite3_result_value(ctx, argv[1]);
    else
        sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
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

bool lengthArg(sqlite3_context *ctx, sqlite3_value *v, const char *what, qint64 *out)
{
    if (!integerArg(ctx, v, out))
        return false;
    if (*out < 0) {
        fail(ctx, QByteArray(what) + " must be 0 or more, not " + describe(v));
        return false;
    }
    return true;
}

void fnLeft(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    qint64 n = 0;
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    if (!lengthArg(ctx, argv[1], "the length", &n))
        return;
    const std::string s = textOf(argv[0]);
    resultText(ctx, std::string_view(s).substr(0, byteOffset(s, n)));
}

void fnRight(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    qint64 n = 0;
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    if (!lengthArg(ctx, argv[1], "the length", &n))
        return;
    const std::string s = textOf(argv[0]);
    const qint64 skip = std::max<qint64>(charCount(s) - n, 0);
    resultText(ctx, std::string_view(s).substr(byteOffset(s, skip)));
}

void fnMid(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    qint64 start = 0;
    qint64 length = -1;
    if (!integerArg(ctx, argv[1], &start) ||
        (argc > 2 && !lengthArg(ctx, argv[2], "the length", &length)))
        return;
    if (start < 1) {
        fail(ctx, "the start must be 1 or more, not " + describe(argv[1]));
        return;
    }
    const std::string s = textOf(argv[0]);
    const std::string_view rest = std::string_view(s).substr(byteOffset(s, start - 1));
    resultText(ctx, length < 0 ? rest : rest.substr(0, byteOffset(rest, length)));
}

void fnLen(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv))
        sqlite3_result_null(ctx);
    else
        sqlite3_result_int64(ctx, charCount(textOf(argv[0])));
}

void fnUCase(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv))
        sqlite3_result_null(ctx);
    else
        resultText(ctx, qtextOf(argv[0]).toUpper());
}

void fnLCase(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv))
        sqlite3_result_null(ctx);
    else
        resultText(ctx, qtextOf(argv[0]).toLower());
}

// Compare mode: 0 binary, 1 text, 2 "as the database compares", which in Access ignores case.
bool compareArg(sqlite3_context *ctx, int argc, sqlite3_value **argv, int index,
                Qt::CaseSensitivity *out)
{
    *out = Qt::CaseInsensitive;
    if (argc <= index)
        return true;
    qint64 mode = 0;
    if (!integerArg(ctx, argv[index], &mode))
        return false;
    if (mode < 0 || mode > 2) {
        fail(ctx, "the compare mode must be 0, 1 or 2, not " + describe(argv[index]));
        return false;
    }
    *out = mode == 0 ? Qt::CaseSensitive : Qt::CaseInsensitive;
    return true;
}

// instr(s1, s2) or instr(start, s1, s2[, compare]).
void fnInStr(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    qint64 start = 1;
    const int first = argc == 2 ? 0 : 1;
    Qt::CaseSensitivity cs = Qt::CaseInsensitive;
    if ((first == 1 && !integerArg(ctx, argv[0], &start)) || !compareArg(ctx, argc, argv, 3, &cs))
        return;
    if (start < 1) {
        fail(ctx, "the start must be 1 or more, not " + describe(argv[0]));
        return;
    }
    const QString haystack = qtextOf(argv[first]);
    const QString needle = qtextOf(argv[first + 1]);
    const std::string utf8 = textOf(argv[first]);
    if (start > charCount(utf8)) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    const qsizetype from =
        QString::fromUtf8(utf8.data(), qsizetype(byteOffset(utf8, start - 1))).size();
    const qsizetype found = haystack.indexOf(needle, from, cs);
    sqlite3_result_int64(ctx, found < 0 ? 0 : charsBefore(haystack, found) + 1);
}

void fnStrComp(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    Qt::CaseSensitivity cs = Qt::CaseInsensitive;
    if (!compareArg(ctx, argc, argv, 2, &cs))
        return;
    const int c = QString::compare(qtextOf(argv[0]), qtextOf(argv[1]), cs);
    sqlite3_result_int(ctx, c < 0 ? -1 : c > 0 ? 1 : 0);
}

void resultRepeated(sqlite3_context *ctx, qint64 count, std::string_view unit)
{
    if (count * qint64(unit.size()) > maxTextLength(ctx)) {
        sqlite3_result_error_toobig(ctx);
        return;
    }
    std::string s;
    s.reserve(size_t(count) * unit.size());
    for (qint64 i = 0; i < count; ++i)
        s += unit;
    resultText(ctx, s);
}

void fnSpace(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    qint64 n = 0;
    if (anyNull(argc, argv))
        sqlite3_result_null(ctx);
    else if (lengthArg(ctx, argv[0], "the count", &n))
        resultRepeated(ctx, n, " ");
}

// string(n, c): c is a text, of which the first character repeats, or a character code.
void fnString(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    qint64 n = 0;
    if (!lengthArg(ctx, argv[0], "the count", &n))
        return;
    if (sqlite3_value_type(argv[1]) == SQLITE_TEXT) {
        const std::string_view s = textView(argv[1]);
        if (s.empty()) {
            fail(ctx, "the character must not be empty");
            return;
        }
        resultRepeated(ctx, n, s.substr(0, byteOffset(s, 1)));
        return;
    }
    qint64 code = 0;
    if (!integerArg(ctx, argv[1], &code))
        return;
    if (code < 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        fail(ctx, describe(argv[1]) + " is not a character code");
        return;
    }
    const char32_t c = char32_t(code);
    const QByteArray utf8 = QString::fromUcs4(&c, 1).toUtf8();
    resultRepeated(ctx, n, std::string_view(utf8.constData(), size_t(utf8.size())));
}

bool convertArg(sqlite3_context *ctx, sqlite3_value *v, double *out)
{
    if (toNumber(v, out, true))
        return true;
    fail(ctx, "type mismatch, " + describe(v) + " is not a number");
    return false;
}

void fnCStr(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv))
        sqlite3_result_null(ctx);
    else
        resultText(ctx, textOf(argv[0]));
}

template <qint64 Min, qint64 Max>
void fnCInteger(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    double d = 0;
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    if (!convertArg(ctx, argv[0], &d))
        return;
    const double r = roundHalfEven(d);
    if (!(r >= double(Min) && r <= double(Max))) {
        fail(ctx, "overflow, " + describe(argv[0]) + " is outside " + QByteArray::number(Min) +
                      ".." + QByteArray::number(Max));
        return;
    }
    sqlite3_result_int64(ctx, qint64(r));
}

void fnCDbl(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    double d = 0;
    if (anyNull(argc, argv))
        sqlite3_result_null(ctx);
    else if (convertArg(ctx, argv[0], &d))
        sqlite3_result_double(ctx, d);
}

void fnCBool(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) {
        const QByteArray word = QByteArray::fromStdString(textOf(argv[0])).trimmed().toLower();
        if (word == "true" || word == "false") {
            sqlite3_result_int(ctx, word == "true" ? -1 : 0);
            return;
        }
    }
    double d = 0;
    if (convertArg(ctx, argv[0], &d))
        sqlite3_result_int(ctx, d != 0 ? -1 : 0);
}

// int and fix of a date keep a date, as Int(Now()) is the Access idiom for today.
template <double (*Whole)(double)>
void fnWhole(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) {
        sqlite3_result_value(ctx, argv[0]);
        return;
    }
    Moment m;
    if (sqlite3_value_type(argv[0]) == SQLITE_TEXT && parseMoment(textView(argv[0]), &m)) {
        Moment whole;
        momentFromSerial(Whole(serialOf(m)), &whole);
        resultDate(ctx, whole);
        return;
    }
    double d = 0;
    if (convertArg(ctx, argv[0], &d))
        resultNumber(ctx, Whole(d));
}

double floorOf(double d)
{
    return std::floor(d);
}

double truncOf(double d)
{
    return std::trunc(d);
}

// The number at the start of a text, blanks anywhere ignored, 0 when there is none.
void fnVal(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argc, argv)) {
        sqlite3_result_null(ctx);
        return;
    }
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) {
        sqlite3_result_value(ctx, argv[0]);
        return;
    }
    std::string compact;
    for (const char c : textView(argv[0])) {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
            compact += c;
    }
    size_t p = 0;
    std::string number;
    if (p < compact.size() && (compact[p] == '-' || compact[p] == '+'))
        number += compact[p++];
    auto digits = [&] {
        bool any = false;
        while (p < compact.size() && compact[p] >= '0' && compact[p] <= '9') {
            number += compact[p++];
            any = true;
        }
        return any;
    };
    bool any = digits();
    if (p < compact.size() && compact[p] == '.') {
        number += compact[p++];
        any = digits() || any;
    }
    if (any && p < compact.size() &&
        (compact[p] == 'e' || compact[p] == 'E' || compact[p] == 'd' || compact[p] == 'D')) {
        const size_t mark = p;
        std::string exponent = "e";
        ++p;
        if (p < compact.size() && (compact[p] == '-' || compact[p] == '+'))
            exponent += compact[p++];
        const size_t digitsStart = p;
        while (p < compact.size() && compact[p] >= '0' && compact[p] <= '9')
            exponent += compact[p++];
        if (p > digitsStart)
            number += exponent;
        else
            p = mark;
    }
    double value = 0;
    if (any)
        parseNumberText(number, &value);
    resultNumber(ctx, value);
}

struct Function
{
    const char *name;
    const char *shownName;
    int argCount;
    void (*call)(sqlite3_context *, int, sqlite3_value **);
    bool deterministic;
};

const Function kFunctions[] = {
    {"now", "now", 0, fnNow, false},
    // Only without arguments, so that SQLite's own date(x, modifiers...) keeps working.
    {"date", "date", 0, fnToday, false},
    {"time", "time", 0, fnTime, false},
    {"jet_isnull", "isnull", 1, fnIsNull, true},
    {"nz", "nz", 1, fnNz, true},
    {"nz", "nz", 2, fnNz, true},
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
    {"jet_left", "left", 2, fnLeft, true},
    {"jet_right", "right", 2, fnRight, true},
    {"mid", "mid", 2, fnMid, true},
    {"mid", "mid", 3, fnMid, true},
    {"len", "len", 1, fnLen, true},
    {"ucase", "ucase", 1, fnUCase, true},
    {"lcase", "lcase", 1, fnLCase, true},
    {"instr", "instr", 2, fnInStr, true},
    {"instr", "instr", 3, fnInStr, true},
    {"instr", "instr", 4, fnInStr, true},
    {"strcomp", "strcomp", 2, fnStrComp, true},
    {"strcomp", "strcomp", 3, fnStrComp, true},
    {"space", "space", 1, fnSpace, true},
    {"string", "string", 2, fnString, true},
    {"cstr", "cstr", 1, fnCStr, true},
    {"cint", "cint", 1, fnCInteger<-32768, 32767>, true},
    {"clng", "clng", 1, fnCInteger<-2147483648LL, 2147483647LL>, true},
    {"cdbl", "cdbl", 1, fnCDbl, true},
    {"cbool", "cbool", 1, fnCBool, true},
    {"int", "int", 1, fnWhole<floorOf>, true},
    {"fix", "fix", 1, fnWhole<truncOf>, true},
    {"val", "val", 1, fnVal, true},
    {"format", "format", 1, fnFormat, true},
    {"format", "format", 2, fnFormat, true},
};

}  // namespace

bool registerJetFunctions(sqlite3 *db)
{
    for (const Function &f : kFunctions) {
        const int flags =
            SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS : 0);
        if (sqlite3_create_function_v2(db, f.name, f.argCount, flags,
                                       const_cast<char *>(f.shownName), f.call, nullptr, nullptr,
                                       nullptr) != SQLITE_OK)
            return false;
    }
    return true;
}

}  // namespace tavi::db
