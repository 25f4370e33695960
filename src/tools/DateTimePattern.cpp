#include "DateTimePattern.h"

#include "DatePatternReader.h"

#include <vector>

namespace tavi {

namespace {

enum class Kind
{
    Literal,
    Year,
    Month,
    Minute,
    Day,
    Hour,
    Second,
    Milli,
    AmPm
};

struct Token
{
    Kind kind = Kind::Literal;
    int count = 0;
    // Literal text, or the AM/PM marker as written.
    QString text;
};

Kind kindOf(QChar letter)
{
    switch (letter.toLower().unicode()) {
    case 'y':
        return Kind::Year;
    case 'm':
        return Kind::Month;
    case 'd':
        return Kind::Day;
    case 'h':
        return Kind::Hour;
    case 'n':
        return Kind::Minute;
    case 's':
        return Kind::Second;
    case 'z':
        return Kind::Milli;
    default:
        return Kind::Literal;
    }
}

std::vector<Token> tokenize(const QString &pattern)
{
    static const DatePatternReader::Syntax syntax{QStringLiteral("ymdhnsz"), QStringLiteral("\"'"),
                                                  false};
    std::vector<Token> tokens;
    for (const DatePatternRun &run : DatePatternReader::read(pattern, syntax)) {
        switch (run.kind) {
        case DatePatternRun::Kind::Literal:
            tokens.push_back({Kind::Literal, 0, run.text});
            break;
        case DatePatternRun::Kind::AmPm:
            tokens.push_back({Kind::AmPm, 0, run.text});
            break;
        case DatePatternRun::Kind::Letter:
            tokens.push_back({kindOf(run.letter), run.count, QString()});
            break;
        }
    }
    return tokens;
}

// "mm" reads as minutes right after an hour or right before seconds, literals between ignored.
void resolveMinutes(std::vector<Token> &tokens)
{
    Kind previous = Kind::Literal;
    for (size_t i = 0; i < tokens.size(); ++i) {
        Token &t = tokens[i];
        if (t.kind == Kind::Literal)
            continue;
        if (t.kind == Kind::Month && t.count <= 2) {
            Kind next = Kind::Literal;
            for (size_t j = i + 1; j < tokens.size() && next == Kind::Literal; ++j)
                next = tokens[j].kind;
            if (previous == Kind::Hour || next == Kind::Second)
                t.kind = Kind::Minute;
        }
        previous = t.kind;
    }
}

QString padded(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

QString number(int value, int count)
{
    return count >= 2 ? padded(value, 2) : QString::number(value);
}

const char *const kLongMonths[] = {"一月", "二月", "三月", "四月", "五月",   "六月",
                                   "七月", "八月", "九月", "十月", "十一月", "十二月"};
const char *const kWeekdays[] = {"一", "二", "三", "四", "五", "六", "日"};

}  // namespace

// A pattern's pieces, read once.
struct DateTimePattern::Tokens
{
    std::vector<Token> tokens;
    bool twelveHours = false;
    bool readable = false;
};

DateTimePattern::DateTimePattern(const QString &pattern)
{
    auto read = std::make_shared<Tokens>();
    read->tokens = tokenize(pattern);
    resolveMinutes(read->tokens);
    for (const Token &t : read->tokens) {
        read->twelveHours = read->twelveHours || t.kind == Kind::AmPm;
        read->readable = read->readable || t.kind != Kind::Literal;
    }
    m_tokens = std::move(read);
}

DateTimePattern::~DateTimePattern() = default;

std::optional<QString> DateTimePattern::format(const QDateTime &moment, const QString &pattern)
{
    return DateTimePattern(pattern).format(moment);
}

std::optional<QString> DateTimePattern::format(const QDateTime &moment) const
{
    if (!m_tokens->readable)
        return std::nullopt;
    const bool twelveHours = m_tokens->twelveHours;
    const std::vector<Token> &tokens = m_tokens->tokens;

    const QDate date = moment.date();
    const QTime time = moment.time();
    QString out;
    for (const Token &t : tokens) {
        switch (t.kind) {
        case Kind::Literal:
            out += t.text;
            break;
        case Kind::Year:
            out += t.count <= 2 ? padded(date.year() % 100, 2) : padded(date.year(), 4);
            break;
        case Kind::Month:
            if (t.count <= 2)
                out += number(date.month(), t.count);
            else if (t.count == 3)
                out += QString::number(date.month()) + QStringLiteral("月");
            else
                out += QString::fromUtf8(kLongMonths[date.month() - 1]);
            break;
        case Kind::Day:
            if (t.count <= 2)
                out += number(date.day(), t.count);
            else
                out += QString::fromUtf8(t.count == 3 ? "周" : "星期") +
                       QString::fromUtf8(kWeekdays[date.dayOfWeek() - 1]);
            break;
        case Kind::Hour: {
            int hour = time.hour();
            if (twelveHours) {
                hour %= 12;
                if (hour == 0)
                    hour = 12;
            }
            out += number(hour, t.count);
            break;
        }
        case Kind::Minute:
            out += number(time.minute(), t.count);
            break;
        case Kind::Second:
            out += number(time.second(), t.count);
            break;
        case Kind::Milli:
            out += t.count >= 3 ? padded(time.msec(), 3) : QString::number(time.msec());
            break;
        case Kind::AmPm: {
            const bool pm = time.hour() >= 12;
            if (t.text.size() == 4)
                out += pm ? QStringLiteral("下午") : QStringLiteral("上午");
            else if (t.text.size() == 3)
                out += t.text[pm ? 2 : 0];
            else
                out += t.text.mid(pm ? 3 : 0, 2);
            break;
        }
        }
    }
    return out;
}

}  // namespace tavi
