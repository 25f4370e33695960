#include "Variant.h"

#include "EvalError.h"
#include "Gbk.h"
#include "NumberText.h"

#include <cmath>
#include <limits>

namespace tavi {

namespace {

// Julian day of 30 December 1899, day 0 of a date-time.
constexpr qint64 kDayZero = 2415019;
constexpr double kMsecsPerDay = 86400000.0;
// 1 January 100 and 31 December 9999, the range a date-time can be written in.
constexpr double kFirstDay = -657434.0;
constexpr double kLastDay = 2958466.0;
constexpr qint64 kInt32Min = std::numeric_limits<qint32>::min();
constexpr qint64 kInt32Max = std::numeric_limits<qint32>::max();
constexpr qint64 kInt64Min = std::numeric_limits<qint64>::min();
constexpr qint64 kInt64Max = std::numeric_limits<qint64>::max();

// A value as it takes part in arithmetic.
struct Number
{
    bool isDouble = false;
    // Integers from 64-bit or unsigned 32-bit values keep a 64-bit result.
    bool wide = false;
    bool isDate = false;
    qint64 i = 0;
    double d = 0;

    double asDouble() const { return isDouble ? d : static_cast<double>(i); }
};

// A text as a number; an integer too long for 64 bits reads as a double.
NumberText::Outcome textNumber(const QByteArray &text, Number &out)
{
    const QByteArray trimmed = text.trimmed();
    qint64 i = 0;
    if (NumberText::parseInteger(trimmed, i) == NumberText::Outcome::Ok) {
        out = Number{};
        out.i = i;
        return NumberText::Outcome::Ok;
    }
    double d = 0;
    const NumberText::Outcome outcome = NumberText::parseFloat(trimmed, d);
    if (outcome == NumberText::Outcome::Ok) {
        out = Number{};
        out.isDouble = true;
        out.d = d;
    }
    return outcome;
}

Number numberOf(const Variant &v)
{
    Number n;
    switch (v.type()) {
    case Variant::Type::Empty:
        return n;
    case Variant::Type::Null:
        throw EvalError(QStringLiteral("Could not convert Null to a number"));
    case Variant::Type::Byte:
    case Variant::Type::Int:
        n.i = v.intValue();
        return n;
    case Variant::Type::UInt:
    case Variant::Type::Int64:
        n.i = v.intValue();
        n.wide = true;
        return n;
    case Variant::Type::Double:
        n.isDouble = true;
        n.d = v.toDouble();
        return n;
    case Variant::Type::DateTime:
        n.isDouble = true;
        n.isDate = true;
        n.d = v.toDouble();
        return n;
    case Variant::Type::Text:
        switch (textNumber(v.text(), n)) {
        case NumberText::Outcome::Ok:
            return n;
        case NumberText::Outcome::OutOfRange:
            throw EvalError(QStringLiteral("Number out of range: ") + Gbk::decode(v.text()));
        case NumberText::Outcome::Invalid:
            throw EvalError(
                QStringLiteral("Could not convert \"%1\" to a number").arg(Gbk::decode(v.text())));
        }
        return n;
    }
    return n;
}

Variant integerResult(qint64 value, bool wide)
{
    if (!wide && value >= kInt32Min && value <= kInt32Max)
        return Variant::fromInt(static_cast<qint32>(value));
    return Variant::fromInt64(value);
}

Variant doubleResult(double value, bool isDate = false)
{
    if (!std::isfinite(value))
        throw EvalError(QStringLiteral("Floating point overflow"));
    return isDate ? Variant::fromDays(value) : Variant::fromDouble(value);
}

bool addOverflows(qint64 a, qint64 b, qint64 &r)
{
    if ((b > 0 && a > kInt64Max - b) || (b < 0 && a < kInt64Min - b))
        return true;
    r = a + b;
    return false;
}

bool subOverflows(qint64 a, qint64 b, qint64 &r)
{
    if ((b < 0 && a > kInt64Max + b) || (b > 0 && a < kInt64Min + b))
        return true;
    r = a - b;
    return false;
}

bool mulOverflows(qint64 a, qint64 b, qint64 &r)
{
    if (a == 0 || b == 0) {
        r = 0;
        return false;
    }
    if ((a == -1 && b == kInt64Min) || (b == -1 && a == kInt64Min))
        return true;
    if (a > 0 ? (b > 0 ? a > kInt64Max / b : b < kInt64Min / a)
              : (b > 0 ? a < kInt64Min / b : a < kInt64Max / b))
        return true;
    r = a * b;
    return false;
}

enum class Arith
{
    Add,
    Sub,
    Mul
};

Variant arithmetic(Arith op, const Variant &left, const Variant &right)
{
    if (left.isNull() || right.isNull())
        return Variant::null();
    const Number a = numberOf(left);
    const Number b = numberOf(right);
    if (a.isDouble || b.isDouble) {
        const double x = a.asDouble();
        const double y = b.asDouble();
        switch (op) {
        case Arith::Add:
            return doubleResult(x + y, a.isDate != b.isDate);
        case Arith::Sub:
            // A date less a number is a date; the distance of two dates is a number of days.
            return doubleResult(x - y, a.isDate && !b.isDate);
        case Arith::Mul:
            return doubleResult(x * y);
        }
    }
    qint64 r = 0;
    bool overflow = false;
    switch (op) {
    case Arith::Add:
        overflow = addOverflows(a.i, b.i, r);
        break;
    case Arith::Sub:
        overflow = subOverflows(a.i, b.i, r);
        break;
    case Arith::Mul:
        overflow = mulOverflows(a.i, b.i, r);
        break;
    }
    if (overflow) {
        const double x = static_cast<double>(a.i);
        const double y = static_cast<double>(b.i);
        return doubleResult(op == Arith::Add ? x + y : op == Arith::Sub ? x - y : x * y);
    }
    return integerResult(r, a.wide || b.wide);
}

void checkDivisor(const Number &n)
{
    if (n.asDouble() == 0)
        throw EvalError(QStringLiteral("Division by zero"));
}

}  // namespace

Variant Variant::null()
{
    Variant v;
    v.m_type = Type::Null;
    return v;
}

Variant Variant::fromByte(quint8 value)
{
    Variant v;
    v.m_type = Type::Byte;
    v.m_int = value;
    return v;
}

Variant Variant::fromInt(qint32 value)
{
    Variant v;
    v.m_type = Type::Int;
    v.m_int = value;
    return v;
}

Variant Variant::fromUInt(quint32 value)
{
    Variant v;
    v.m_type = Type::UInt;
    v.m_int = value;
    return v;
}

Variant Variant::fromInt64(qint64 value)
{
    Variant v;
    v.m_type = Type::Int64;
    v.m_int = value;
    return v;
}

Variant Variant::fromDouble(double value)
{
    Variant v;
    v.m_type = Type::Double;
    v.m_double = value;
    return v;
}

Variant Variant::fromDays(double days)
{
    Variant v;
    v.m_type = Type::DateTime;
    v.m_double = days;
    return v;
}

Variant Variant::fromDateTime(const QDateTime &moment)
{
    const double days = static_cast<double>(moment.date().toJulianDay() - kDayZero) +
                        moment.time().msecsSinceStartOfDay() / kMsecsPerDay;
    return fromDays(days);
}

Variant Variant::fromText(const QByteArray &gbk)
{
    Variant v;
    v.m_type = Type::Text;
    v.m_text = gbk;
    return v;
}

bool Variant::isInteger() const
{
    return m_type == Type::Byte || m_type == Type::Int || m_type == Type::UInt ||
           m_type == Type::Int64;
}

QByteArray Variant::toText() const
{
    switch (m_type) {
    case Type::Empty:
    case Type::Null:
        return {};
    case Type::Byte:
    case Type::Int:
    case Type::UInt:
    case Type::Int64:
        return QByteArray::number(m_int);
    case Type::Double:
        return NumberText::formatDouble(m_double);
    case Type::DateTime: {
        const QDateTime moment = toDateTime();
        if (!moment.isValid())
            throw EvalError(QStringLiteral("Date-time out of range"));
        return moment.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
    }
    case Type::Text:
        return m_text;
    }
    return {};
}

QString Variant::toString() const
{
    return m_type == Type::Text ? Gbk::decode(m_text) : QString::fromLatin1(toText());
}

double Variant::toDouble() const
{
    switch (m_type) {
    case Type::Double:
    case Type::DateTime:
        return m_double;
    case Type::Byte:
    case Type::Int:
    case Type::UInt:
    case Type::Int64:
        return static_cast<double>(m_int);
    default:
        return numberOf(*this).asDouble();
    }
}

QDateTime Variant::toDateTime() const
{
    if (m_type != Type::DateTime || !(m_double >= kFirstDay && m_double < kLastDay))
        return {};
    const double whole = std::floor(m_double);
    qint64 msecs = std::llround((m_double - whole) * kMsecsPerDay);
    qint64 day = static_cast<qint64>(whole);
    if (msecs >= static_cast<qint64>(kMsecsPerDay)) {
        msecs = 0;
        ++day;
    }
    return QDateTime(QDate::fromJulianDay(day + kDayZero),
                     QTime::fromMSecsSinceStartOfDay(static_cast<int>(msecs)));
}

Variant Variant::add(const Variant &other) const
{
    const bool textLeft = m_type == Type::Text;
    const bool textRight = other.m_type == Type::Text;
    if ((textLeft && (textRight || other.isEmpty())) || (textRight && isEmpty()))
        return fromText(m_text + other.m_text);
    return arithmetic(Arith::Add, *this, other);
}

Variant Variant::subtract(const Variant &other) const
{
    return arithmetic(Arith::Sub, *this, other);
}

Variant Variant::multiply(const Variant &other) const
{
    return arithmetic(Arith::Mul, *this, other);
}

Variant Variant::divide(const Variant &other) const
{
    if (isNull() || other.isNull())
        return null();
    const Number a = numberOf(*this);
    const Number b = numberOf(other);
    checkDivisor(b);
    return doubleResult(a.asDouble() / b.asDouble());
}

Variant Variant::intDivide(const Variant &other) const
{
    if (isNull() || other.isNull())
        return null();
    const Number a = numberOf(*this);
    const Number b = numberOf(other);
    checkDivisor(b);
    if (a.isDouble || b.isDouble) {
        const double q = std::trunc(a.asDouble() / b.asDouble());
        if (q >= -9223372036854775808.0 && q < 9223372036854775808.0)
            return integerResult(static_cast<qint64>(q), false);
        return doubleResult(q);
    }
    if (a.i == kInt64Min && b.i == -1)
        return doubleResult(-static_cast<double>(kInt64Min));
    return integerResult(a.i / b.i, a.wide || b.wide);
}

Variant Variant::modulo(const Variant &other) const
{
    if (isNull() || other.isNull())
        return null();
    const Number a = numberOf(*this);
    const Number b = numberOf(other);
    checkDivisor(b);
    if (a.isDouble || b.isDouble)
        return doubleResult(std::fmod(a.asDouble(), b.asDouble()));
    if (b.i == -1)
        return integerResult(0, a.wide || b.wide);
    return integerResult(a.i % b.i, a.wide || b.wide);
}

Variant Variant::bitOr(const Variant &other) const
{
    if (isNull() || other.isNull())
        return null();
    const Number a = numberOf(*this);
    const Number b = numberOf(other);
    if (a.isDouble || b.isDouble)
        return a.asDouble() != 0 || b.asDouble() != 0 ? fromByte(1) : fromInt(0);
    return integerResult(a.i | b.i, a.wide || b.wide);
}

Variant Variant::negate() const
{
    if (isNull())
        return null();
    const Number n = numberOf(*this);
    if (n.isDouble)
        return doubleResult(-n.d);
    if (n.i == kInt64Min)
        return doubleResult(-static_cast<double>(n.i));
    return integerResult(-n.i, n.wide);
}

Variant Variant::absolute() const
{
    if (isNull())
        return null();
    const Number n = numberOf(*this);
    if (n.isDouble)
        return doubleResult(std::fabs(n.d));
    if (n.i == kInt64Min)
        return doubleResult(-static_cast<double>(n.i));
    return integerResult(n.i < 0 ? -n.i : n.i, n.wide);
}

std::partial_ordering Variant::compare(const Variant &other) const
{
    if (isNull() || other.isNull()) {
        return isNull() && other.isNull() ? std::partial_ordering::equivalent
                                          : std::partial_ordering::unordered;
    }
    const bool textLeft = m_type == Type::Text;
    const bool textRight = other.m_type == Type::Text;
    if (textLeft || textRight) {
        Number n;
        if (textLeft && textRight)
            return m_text.compare(other.m_text) <=> 0;
        if (textLeft && other.isEmpty())
            return m_text.compare(QByteArray()) <=> 0;
        if (textRight && isEmpty())
            return QByteArray().compare(other.m_text) <=> 0;
        const QByteArray &text = textLeft ? m_text : other.m_text;
        if (textNumber(text, n) != NumberText::Outcome::Ok) {
            const QByteArray left = textLeft ? m_text : toText();
            const QByteArray right = textRight ? other.m_text : other.toText();
            return left.compare(right) <=> 0;
        }
    }
    const Number a = numberOf(*this);
    const Number b = numberOf(other);
    if (!a.isDouble && !b.isDouble)
        return a.i <=> b.i;
    return a.asDouble() <=> b.asDouble();
}

bool Variant::isTrue() const
{
    if (isNull())
        return false;
    return compare(fromInt(0)) != std::partial_ordering::equivalent;
}

bool Variant::operator==(const Variant &other) const
{
    if (m_type != other.m_type)
        return false;
    switch (m_type) {
    case Type::Empty:
    case Type::Null:
        return true;
    case Type::Double:
    case Type::DateTime:
        return m_double == other.m_double;
    case Type::Text:
        return m_text == other.m_text;
    default:
        return m_int == other.m_int;
    }
}

}  // namespace tavi
