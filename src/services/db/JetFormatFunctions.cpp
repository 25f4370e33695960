#include "JetFunctionFamilies.h"

#include "tools/DatePatternReader.h"

#include <QList>
#include <QString>

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <utility>

namespace tavi::db::jet {

namespace {

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
    static const DatePatternReader::Syntax syntax{QStringLiteral("ymdhnsqwct"),
                                                  QStringLiteral("\""), true};
    QList<DateToken> tokens;
    auto literal = [&tokens](const QString &text) {
        if (!tokens.isEmpty() && tokens.last().type == T::Literal)
            tokens.last().text += text;
        else
            tokens.append({T::Literal, text});
    };
    for (const DatePatternRun &run : DatePatternReader::read(pattern, syntax)) {
        if (run.kind == DatePatternRun::Kind::Literal) {
            literal(run.text);
            continue;
        }
        if (run.kind == DatePatternRun::Kind::AmPm) {
            tokens.append({T::AmPm, run.text});
            continue;
        }
        // Access reads a long run of one letter as several tokens, the longest form first.
        for (int left = run.count; left > 0;) {
            auto take = [&](int count, T type) {
                tokens.append({type, {}});
                left -= count;
            };
            switch (run.letter.unicode()) {
            case 'y':
                if (left >= 4)
                    take(4, T::Year4);
                else if (left >= 2)
                    take(2, T::Year2);
                else
                    take(1, T::DayOfYear);
                break;
            case 'm':
                if (left >= 4)
                    take(4, T::MonthLong);
                else if (left == 3)
                    take(3, T::MonthShort);
                else if (left == 2)
                    take(2, T::Month2);
                else
                    take(1, T::Month);
                break;
            case 'd': {
                static const T days[] = {T::Day,     T::Day2,      T::DayShort,
                                         T::DayLong, T::ShortDate, T::LongDate};
                const int count = std::min(left, 6);
                take(count, days[count - 1]);
                break;
            }
            case 'h':
                take(std::min(left, 2), left >= 2 ? T::Hour2 : T::Hour);
                break;
            case 'n':
                take(std::min(left, 2), left >= 2 ? T::Minute2 : T::Minute);
                break;
            case 's':
                take(std::min(left, 2), left >= 2 ? T::Second2 : T::Second);
                break;
            case 'w':
                take(std::min(left, 2), left >= 2 ? T::WeekOfYear : T::Weekday);
                break;
            case 'q':
                take(1, T::Quarter);
                break;
            case 'c':
                take(1, T::General);
                break;
            default:  // 't': five make the long time, fewer are literal
                if (left >= 5) {
                    take(5, T::LongTime);
                } else {
                    literal(QString(left, QChar(u't')));
                    left = 0;
                }
                break;
            }
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

}  // namespace

std::span<const Function> formatFunctions()
{
    static const Function functions[] = {
        {"format", "format", 1, fnFormat, true},
        {"format", "format", 2, fnFormat, true},
    };
    return functions;
}

}  // namespace tavi::db::jet
