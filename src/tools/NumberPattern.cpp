#include "NumberPattern.h"

#include <QStringList>
#include <cmath>

namespace tavi {

namespace {

// A decimal magnitude kept as digits: the value is 0.d1d2…dn × 10^point. Rounding works on these
// digits, so 2.675 rounds the way it reads and integers beyond 2^53 stay exact.
struct Decimal
{
    bool negative = false;
    QString digits;
    int point = 0;

    bool isZero() const { return digits.isEmpty(); }

    void normalize()
    {
        qsizetype lead = 0;
        while (lead < digits.size() && digits[lead] == QLatin1Char('0'))
            ++lead;
        digits.remove(0, lead);
        point -= int(lead);
        while (!digits.isEmpty() && digits.back() == QLatin1Char('0'))
            digits.chop(1);
        if (digits.isEmpty())
            point = 0;
    }

    // Keeps `keep` leading digits, rounding half away from zero.
    void roundToDigits(int keep)
    {
        if (digits.size() <= keep)
            return;
        if (keep < 0) {
            digits.clear();
            point = 0;
            return;
        }
        const bool up = digits[keep] >= QLatin1Char('5');
        digits.truncate(keep);
        if (up) {
            int i = keep - 1;
            while (i >= 0 && digits[i] == QLatin1Char('9')) {
                digits[i] = QLatin1Char('0');
                --i;
            }
            if (i < 0) {
                digits.prepend(QLatin1Char('1'));
                ++point;
            } else {
                digits[i] = QChar(digits[i].unicode() + 1);
            }
        }
        normalize();
    }

    QChar digitAt(int index) const
    {
        return index >= 0 && index < digits.size() ? digits[index] : QLatin1Char('0');
    }
};

std::optional<Decimal> fromText(QString text)
{
    text = text.trimmed();
    Decimal d;
    qsizetype i = 0;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        d.negative = text[i] == QLatin1Char('-');
        ++i;
    }
    bool anyDigit = false;
    bool seenPoint = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isDigit() && c.unicode() < 128) {
            d.digits += c;
            if (!seenPoint)
                ++d.point;
            anyDigit = true;
        } else if (c == QLatin1Char('.') && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    if (i < text.size() && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        bool ok = false;
        const int exponent = text.mid(i + 1).toInt(&ok);
        if (!ok || std::abs(exponent) > 4000)
            return std::nullopt;
        d.point += exponent;
        i = text.size();
    }
    if (i != text.size())
        return std::nullopt;
    d.normalize();
    return d;
}

std::optional<Decimal> fromVariant(const QVariant &value)
{
    Decimal d;
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::SChar:
    case QMetaType::Char: {
        const qint64 v = value.toLongLong();
        d.negative = v < 0;
        d.digits = QString::number(d.negative ? 0 - quint64(v) : quint64(v));
        break;
    }
    case QMetaType::UInt:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::UShort:
    case QMetaType::UChar:
        d.digits = QString::number(value.toULongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double v = value.toDouble();
        if (!std::isfinite(v))
            return std::nullopt;
        // Fifteen significant digits, as the value reads everywhere else.
        const QString e = QString::number(std::fabs(v), 'e', 14);
        const qsizetype mark = e.indexOf(QLatin1Char('e'));
        d.negative = v < 0;
        d.digits = e.left(mark).remove(QLatin1Char('.'));
        d.point = e.mid(mark + 1).toInt() + 1;
        d.normalize();
        return d;
    }
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return fromText(value.toString());
    default:
        return std::nullopt;
    }
    d.point += d.digits.size();
    d.normalize();
    return d;
}

bool isQuote(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

bool isPlaceholder(QChar c)
{
    return c == QLatin1Char('0') || c == QLatin1Char('#');
}

// The exponent mark "E+", "E-", "e+" or "e-" at position i.
bool isExponentAt(const QString &s, qsizetype i)
{
    return (s[i] == QLatin1Char('E') || s[i] == QLatin1Char('e')) && i + 1 < s.size() &&
           (s[i + 1] == QLatin1Char('+') || s[i + 1] == QLatin1Char('-'));
}

QStringList splitSections(const QString &pattern)
{
    QStringList sections{QString()};
    QChar quote;
    for (const QChar c : pattern) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (isQuote(c)) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            if (sections.size() == 3)
                break;
            sections.append(QString());
            continue;
        }
        sections.back() += c;
    }
    return sections;
}

// What one section asks for; gathered before any digit is written.
struct Section
{
    QString text;
    int intPlaceholders = 0;
    int minIntDigits = 0;
    int maxDecimals = 0;
    int minDecimals = 0;
    bool thousands = false;
    bool scientific = false;
    int exponentDigits = 0;

    bool hasPlaceholder() const { return intPlaceholders + maxDecimals > 0; }

    static Section read(const QString &text)
    {
        Section s;
        s.text = text;
        bool afterPoint = false;
        int firstZero = -1;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            if (isQuote(c)) {
                const qsizetype close = text.indexOf(c, i + 1);
                i = close < 0 ? text.size() : close;
            } else if (isPlaceholder(c)) {
                if (afterPoint) {
                    ++s.maxDecimals;
                    if (c == QLatin1Char('0'))
                        s.minDecimals = s.maxDecimals;
                } else {
                    if (c == QLatin1Char('0') && firstZero < 0)
                        firstZero = s.intPlaceholders;
                    ++s.intPlaceholders;
                }
            } else if (c == QLatin1Char('.')) {
                afterPoint = true;
            } else if (c == QLatin1Char(',') && !afterPoint) {
                s.thousands = true;
            } else if (isExponentAt(text, i) && s.hasPlaceholder()) {
                s.scientific = true;
                for (i += 2; i < text.size() && text[i] == QLatin1Char('0'); ++i)
                    ++s.exponentDigits;
                break;
            }
        }
        if (firstZero >= 0)
            s.minIntDigits = s.intPlaceholders - firstZero;
        return s;
    }
};

// Rounds the magnitude for a section; returns the exponent written after "E".
int roundFor(Decimal &d, const Section &s)
{
    if (!s.scientific) {
        d.roundToDigits(d.point + s.maxDecimals);
        return 0;
    }
    if (d.isZero())
        return 0;
    const int mantissaDigits = std::max(s.intPlaceholders, 1);
    d.roundToDigits(mantissaDigits + s.maxDecimals);
    const int exponent = d.point - mantissaDigits;
    d.point = mantissaDigits;
    return exponent;
}

QString formatSection(Decimal d, const Section &s, bool minus)
{
    const int exponent = roundFor(d, s);

    QString intDigits;
    for (int i = 0; i < d.point; ++i)
        intDigits += d.digitAt(i);
    QString fracDigits;
    for (int i = 0; i < s.maxDecimals; ++i)
        fracDigits += d.digitAt(d.point + i);
    while (fracDigits.size() > s.minDecimals && fracDigits.back() == QLatin1Char('0'))
        fracDigits.chop(1);
    if (intDigits.size() < s.minIntDigits)
        intDigits = QString(s.minIntDigits - intDigits.size(), QLatin1Char('0')) + intDigits;
    // A number never vanishes: the count footer "共计#条记录" of an empty result shows 0.
    if (intDigits.isEmpty() && fracDigits.isEmpty())
        intDigits = QStringLiteral("0");

    QString out = minus ? QStringLiteral("-") : QString();
    const int digitCount = int(intDigits.size());
    auto putDigit = [&](int fromRight) {
        out += intDigits[digitCount - 1 - fromRight];
        if (s.thousands && fromRight > 0 && fromRight % 3 == 0)
            out += QLatin1Char(',');
    };
    auto putLeadingDigits = [&](int above) {
        for (int r = digitCount - 1; r >= above; --r)
            putDigit(r);
    };

    const QString &text = s.text;
    int intIndex = 0;
    int fracIndex = 0;
    bool afterPoint = false;
    bool afterExponent = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (isQuote(c)) {
            const qsizetype close = text.indexOf(c, i + 1);
            out += text.mid(i + 1, close < 0 ? -1 : close - i - 1);
            i = close < 0 ? text.size() : close;
        } else if (afterExponent) {
            out += c;
        } else if (isPlaceholder(c) && !afterPoint) {
            // Digits beyond the placeholders all go to the first one.
            if (intIndex == 0)
                putLeadingDigits(s.intPlaceholders);
            const int fromRight = s.intPlaceholders - 1 - intIndex;
            if (fromRight < digitCount)
                putDigit(fromRight);
            ++intIndex;
        } else if (isPlaceholder(c)) {
            if (fracIndex < fracDigits.size())
                out += fracDigits[fracIndex];
            ++fracIndex;
        } else if (c == QLatin1Char('.')) {
            if (afterPoint)
                continue;
            afterPoint = true;
            if (s.intPlaceholders == 0)
                putLeadingDigits(0);
            if (!fracDigits.isEmpty())
                out += QLatin1Char('.');
        } else if (c == QLatin1Char(',')) {
            continue;
        } else if (s.scientific && intIndex + fracIndex > 0 && isExponentAt(text, i)) {
            afterExponent = true;
            out += c;
            if (exponent < 0)
                out += QLatin1Char('-');
            else if (text[i + 1] == QLatin1Char('+'))
                out += QLatin1Char('+');
            const QString e = QString::number(std::abs(exponent));
            out += QString(std::max<qsizetype>(s.exponentDigits - e.size(), 0), QLatin1Char('0'));
            out += e;
            i += 1 + s.exponentDigits;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

// The sections of a pattern, each read once: positive, negative and zero.
struct NumberPattern::Sections
{
    Section read[3];
    bool present[3] = {false, false, false};
};

NumberPattern::NumberPattern(const QString &pattern)
{
    auto sections = std::make_shared<Sections>();
    const QStringList texts = splitSections(pattern);
    for (qsizetype i = 0; i < texts.size(); ++i) {
        sections->read[i] = Section::read(texts[i]);
        sections->present[i] = !texts[i].isEmpty();
    }
    m_sections = std::move(sections);
}

NumberPattern::~NumberPattern() = default;

std::optional<QString> NumberPattern::format(const QVariant &value, const QString &pattern)
{
    return NumberPattern(pattern).format(value);
}

std::optional<QString> NumberPattern::format(const QVariant &value) const
{
    const Section &first = m_sections->read[0];
    if (!first.hasPlaceholder())
        return std::nullopt;
    std::optional<Decimal> number = fromVariant(value);
    if (!number)
        return std::nullopt;
    const bool *present = m_sections->present;

    int index = 0;
    if (number->negative && !number->isZero() && present[1])
        index = 1;
    else if (number->isZero() && present[2])
        index = 2;
    const Section &chosen = m_sections->read[index];

    // A value that rounds to zero is shown as zero, without a sign.
    Decimal rounded = *number;
    roundFor(rounded, chosen);
    if (rounded.isZero() && index != 2) {
        if (present[2])
            return formatSection(Decimal(), m_sections->read[2], false);
        return formatSection(Decimal(), first, false);
    }
    return formatSection(*number, chosen, number->negative && index == 0);
}

}  // namespace tavi
