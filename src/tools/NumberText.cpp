#include "NumberText.h"

#include <QLocale>
#include <QString>
#include <charconv>
#include <cmath>
#include <limits>

namespace tavi {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

NumberText::Outcome NumberText::parseInteger(QByteArrayView text, qint64 &value)
{
    bool negative = false;
    if (!text.isEmpty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text = text.sliced(1);
    }
    int base = 10;
    if (!text.isEmpty() && text.front() == '$') {
        base = 16;
        text = text.sliced(1);
    }
    if (text.isEmpty())
        return Outcome::Invalid;
    // The magnitude may reach 2^63 for the most negative value.
    const quint64 limit =
        static_cast<quint64>(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
    quint64 magnitude = 0;
    bool overflow = false;
    for (const char c : text) {
        const int digit = base == 16 ? hexDigit(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
        if (digit < 0)
            return Outcome::Invalid;
        if (overflow)
            continue;
        if (magnitude > (limit - static_cast<quint64>(digit)) / static_cast<quint64>(base))
            overflow = true;
        else
            magnitude = magnitude * base + digit;
    }
    if (overflow)
        return Outcome::OutOfRange;
    value = negative ? static_cast<qint64>(0 - magnitude) : static_cast<qint64>(magnitude);
    return Outcome::Ok;
}

NumberText::Outcome NumberText::parseFloat(QByteArrayView text, double &value)
{
    if (text.isEmpty())
        return Outcome::Invalid;
    // from_chars also reads "inf" and "nan", and rejects a leading '+'.
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-'))
            return Outcome::Invalid;
    }
    QByteArrayView digits = text;
    if (digits.front() == '+')
        digits = digits.sliced(1);
    if (digits.isEmpty() || digits.front() == '+')
        return Outcome::Invalid;
    double parsed = 0;
    const char *end = digits.data() + digits.size();
    const auto [ptr, ec] = std::from_chars(digits.data(), end, parsed);
    if (ptr != end)
        return Outcome::Invalid;
    if (ec == std::errc::result_out_of_range) {
        // Tell an overflow from an underflow: only the former reads as an infinity.
        const double probe = QLocale::c().toDouble(QString::fromLatin1(digits), nullptr);
        if (std::isinf(probe))
            return Outcome::OutOfRange;
        value = 0;
        return Outcome::Ok;
    }
    if (ec != std::errc())
        return Outcome::Invalid;
    value = parsed;
    return Outcome::Ok;
}

QByteArray NumberText::formatDouble(double value)
{
    if (value == 0)
        return QByteArrayLiteral("0");
    const double magnitude = std::fabs(value);
    const char format = magnitude >= 1e-6 && magnitude < 1e21 ? 'f' : 'g';
    return QString::number(value, format, QLocale::FloatingPointShortest).toLatin1();
}

}  // namespace tavi
