#include "JetValues.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <tuple>
#include <utility>

namespace tavi::db::jet {

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

}  // namespace tavi::db::jet
