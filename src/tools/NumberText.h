#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

namespace tavi {

/// Reading and writing numbers as plain ASCII text, independent of the locale.
class NumberText
{
public:
    enum class Outcome
    {
        Ok,
        Invalid,
        OutOfRange
    };

    /// An optional sign, then decimal digits or "$" and hexadecimal digits; nothing else.
    static Outcome parseInteger(QByteArrayView text, qint64 &value);
    /// An optional sign, then a decimal number with an optional fraction and exponent.
    /// A value too small for a double reads as 0; one too large is out of range.
    static Outcome parseFloat(QByteArrayView text, double &value);
    /// The shortest text that reads back to the same double: plain digits from 1e-6 up to
    /// 1e21, an exponent beyond; negative zero is written as 0.
    static QByteArray formatDouble(double value);
};

}  // namespace tavi
