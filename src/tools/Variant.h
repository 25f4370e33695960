#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <compare>

namespace tavi {

/// The dynamically typed value of the expression evaluator.
///
/// Texts are GBK bytes. Integers combine as integers and widen to 64 bits, then to double,
/// when a result does not fit; division always gives a double. An empty value counts as 0,
/// or as the empty text next to a text. A text meets a number as the number it spells; when it
/// spells none, arithmetic fails with `EvalError` while a comparison compares the two as texts.
/// Date-times are days since 30 December 1899 and count as that number in arithmetic.
class Variant
{
public:
    enum class Type
    {
        Empty,
        Null,
        Byte,
        Int,
        UInt,
        Int64,
        Double,
        DateTime,
        Text
    };

    Variant() = default;

    static Variant null();
    static Variant fromByte(quint8 value);
    static Variant fromInt(qint32 value);
    static Variant fromUInt(quint32 value);
    static Variant fromInt64(qint64 value);
    static Variant fromDouble(double value);
    /// A date-time of days since 30 December 1899, the time of day as the fraction.
    static Variant fromDays(double days);
    static Variant fromDateTime(const QDateTime &moment);
    static Variant fromText(const QByteArray &gbk);
    /// 1 or 0 as unsigned 8-bit integers.
    static Variant fromBool(bool value) { return fromByte(value ? 1 : 0); }

    Type type() const { return m_type; }
    bool isEmpty() const { return m_type == Type::Empty; }
    bool isNull() const { return m_type == Type::Null; }
    bool isText() const { return m_type == Type::Text; }
    bool isInteger() const;

    /// The value as text: integers in decimal, doubles in the shortest text that reads back to
    /// the same double, date-times as "yyyy-MM-dd HH:mm:ss", empty and null as nothing.
    QByteArray toText() const;
    /// `toText` decoded from GBK.
    QString toString() const;
    /// The value as a double; throws `EvalError` for a text that is not a number or for null.
    double toDouble() const;
    /// The integer held; 0 for other types.
    qint64 intValue() const { return isInteger() ? m_int : 0; }
    /// The date-time held; invalid for other types.
    QDateTime toDateTime() const;
    /// The text held; empty for other types.
    const QByteArray &text() const { return m_text; }

    Variant add(const Variant &other) const;
    Variant subtract(const Variant &other) const;
    Variant multiply(const Variant &other) const;
    /// Division with a double result.
    Variant divide(const Variant &other) const;
    /// Division truncated toward zero.
    Variant intDivide(const Variant &other) const;
    /// Remainder of `intDivide`, with the sign of the dividend.
    Variant modulo(const Variant &other) const;
    /// Bitwise or of integers; for doubles 1 when either is not 0.
    Variant bitOr(const Variant &other) const;
    Variant negate() const;
    Variant absolute() const;

    /// Order of two values; unordered when exactly one of them is null.
    std::partial_ordering compare(const Variant &other) const;
    /// True when the value is not equal to 0.
    bool isTrue() const;

    /// Same type and same value.
    bool operator==(const Variant &other) const;

private:
    Type m_type = Type::Empty;
    qint64 m_int = 0;
    double m_double = 0;
    QByteArray m_text;
};

}  // namespace tavi
