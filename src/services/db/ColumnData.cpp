#include "ColumnData.h"

#include "TextCollation.h"

#include <charconv>
#include <cstring>

namespace tavi::db {

namespace {

constexpr qint64 kMsecsPerDay = 86400000;

bool parseDigits(std::string_view s, size_t pos, size_t count, int *out)
{
    if (pos + count > s.size())
        return false;
    int v = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        const char c = s[i];
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    *out = v;
    return true;
}

bool parseInt64(std::string_view s, qint64 *out)
{
    if (s.empty())
        return false;
    const char *first = s.data();
    if (*first == '+')
        ++first;
    const auto [ptr, ec] = std::from_chars(first, s.data() + s.size(), *out);
    return ec == std::errc() && ptr == s.data() + s.size();
}

bool parseDouble(std::string_view s, double *out)
{
    if (s.empty())
        return false;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), *out);
    return ec == std::errc() && ptr == s.data() + s.size();
}

}  // namespace

ColumnData::ColumnData(FieldKind kind) : m_kind(kind), m_storage(storageFor(kind)) {}

ColumnData::Storage ColumnData::storageFor(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Integer:
    case FieldKind::Boolean:
        return Storage::Int;
    case FieldKind::Float:
    case FieldKind::Currency:
    case FieldKind::Decimal:
        return Storage::Double;
    case FieldKind::DateTime:
        return Storage::DateTime;
    case FieldKind::Text:
    case FieldKind::LongText:
        return Storage::Text;
    }
    return Storage::Variant;
}

void ColumnData::reserve(int rows)
{
    switch (m_storage) {
    case Storage::Int:
    case Storage::DateTime:
        m_ints.reserve(size_t(rows));
        break;
    case Storage::Double:
        m_doubles.reserve(size_t(rows));
        break;
    case Storage::Text:
        m_spans.reserve(size_t(rows));
        m_prefixes.reserve(size_t(rows));
        break;
    case Storage::Variant:
        m_variants.reserve(size_t(rows));
        break;
    }
}

void ColumnData::markNull(bool null)
{
    if (null) {
        if (m_null.size() < size_t(m_size))
            m_null.resize(size_t(m_size), false);
        m_null.push_back(true);
    } else if (!m_null.empty()) {
        m_null.push_back(false);
    }
    ++m_size;
}

void ColumnData::appendNull()
{
    switch (m_storage) {
    case Storage::Int:
    case Storage::DateTime:
        m_ints.push_back(0);
        break;
    case Storage::Double:
        m_doubles.push_back(0);
        break;
    case Storage::Text:
        m_spans.push_back({uint32_t(m_chars.size()), 0});
        m_prefixes.push_back({});
        break;
    case Storage::Variant:
        m_variants.emplace_back();
        break;
    }
    markNull(true);
}

void ColumnData::appendInt(qint64 value)
{
    switch (m_storage) {
    case Storage::Int:
        m_ints.push_back(value);
        break;
    case Storage::Double:
        m_doubles.push_back(double(value));
        break;
    case Storage::DateTime:
    case Storage::Text:
        promoteToVariant();
        m_variants.emplace_back(value);
        break;
    case Storage::Variant:
        m_variants.emplace_back(value);
        break;
    }
    markNull(false);
}

void ColumnData::appendDouble(double value)
{
    switch (m_storage) {
    case Storage::Double:
        m_doubles.push_back(value);
        break;
    case Storage::Int:
        if (m_kind == FieldKind::Boolean) {
            m_ints.push_back(value != 0 ? 1 : 0);
            break;
        }
        if (value == double(qint64(value))) {
            m_ints.push_back(qint64(value));
            break;
        }
        promoteToVariant();
        m_variants.emplace_back(value);
        break;
    case Storage::DateTime:
    case Storage::Text:
        promoteToVariant();
        m_variants.emplace_back(value);
        break;
    case Storage::Variant:
        m_variants.emplace_back(value);
        break;
    }
    markNull(false);
}

void ColumnData::appendText(const char *data, int length)
{
    m_spans.push_back({uint32_t(m_chars.size()), uint32_t(length)});
    m_chars.append(data, size_t(length));
    m_prefixes.push_back(TextCollation::prefix(std::string_view(data, size_t(length))));
}

void ColumnData::appendUtf8(const char *data, int length)
{
    const std::string_view s(data, size_t(length));
    switch (m_storage) {
    case Storage::Text:
        appendText(data, length);
        break;
    case Storage::Int: {
        qint64 v = 0;
        if (parseInt64(s, &v)) {
            m_ints.push_back(v);
            break;
        }
        promoteToVariant();
        m_variants.emplace_back(QString::fromUtf8(data, length));
        break;
    }
    case Storage::Double: {
        double v = 0;
        if (parseDouble(s, &v)) {
            m_doubles.push_back(v);
            break;
        }
        promoteToVariant();
        m_variants.emplace_back(QString::fromUtf8(data, length));
        break;
    }
    case Storage::DateTime: {
        qint64 packed = 0;
        if (parseDateTimeText(s, &packed)) {
            m_ints.push_back(packed);
            break;
        }
        promoteToVariant();
        m_variants.emplace_back(QString::fromUtf8(data, length));
        break;
    }
    case Storage::Variant:
        m_variants.emplace_back(QString::fromUtf8(data, length));
        break;
    }
    markNull(false);
}

void ColumnData::appendDateTime(qint64 packed)
{
    if (m_storage == Storage::DateTime) {
        m_ints.push_back(packed);
        markNull(false);
        return;
    }
    appendVariant(unpackDateTime(packed));
}

void ColumnData::appendVariant(const QVariant &value)
{
    if (value.isNull()) {
        appendNull();
        return;
    }
    if (m_storage != Storage::Variant) {
        switch (value.metaType().id()) {
        case QMetaType::Bool:
            appendInt(value.toBool() ? 1 : 0);
            return;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            appendInt(value.toLongLong());
            return;
        case QMetaType::Double:
        case QMetaType::Float:
            appendDouble(value.toDouble());
            return;
        case QMetaType::QDateTime:
            if (m_storage == Storage::DateTime) {
                appendDateTime(packDateTime(value.toDateTime()));
                return;
            }
            break;
        case QMetaType::QDate:
            if (m_storage == Storage::DateTime) {
                appendDateTime(packDateTime(value.toDate(), QTime(0, 0)));
                return;
            }
            break;
        case QMetaType::QString: {
            const QByteArray utf8 = value.toString().toUtf8();
            appendUtf8(utf8.constData(), int(utf8.size()));
            return;
        }
        default:
            break;
        }
        promoteToVariant();
    }
    m_variants.push_back(value);
    markNull(false);
}

QVariant ColumnData::value(int row) const
{
    if (row < 0 || row >= m_size || isNull(row))
        return QVariant();
    const size_t r = size_t(row);
    switch (m_storage) {
    case Storage::Int:
        if (m_kind == FieldKind::Boolean)
            return QVariant(m_ints[r] != 0);
        return QVariant(m_ints[r]);
    case Storage::Double:
        return QVariant(m_doubles[r]);
    case Storage::DateTime:
        return QVariant(unpackDateTime(m_ints[r]));
    case Storage::Text: {
        const std::string_view s = utf8At(row);
        return QVariant(QString::fromUtf8(s.data(), qsizetype(s.size())));
    }
    case Storage::Variant:
        return m_variants[r];
    }
    return QVariant();
}

void ColumnData::setValue(int row, const QVariant &value)
{
    if (row < 0 || row >= m_size)
        return;
    if (row == m_size - 1) {
        // Replacing the last value is an append after a pop: reuse the append conversions.
        --m_size;
        switch (m_storage) {
        case Storage::Int:
        case Storage::DateTime:
            m_ints.pop_back();
            break;
        case Storage::Double:
            m_doubles.pop_back();
            break;
        case Storage::Text: {
            const Span s = m_spans.back();
            m_spans.pop_back();
            m_prefixes.pop_back();
            if (s.offset + s.length == m_chars.size())
                m_chars.resize(s.offset);
            break;
        }
        case Storage::Variant:
            m_variants.pop_back();
            break;
        }
        if (m_null.size() > size_t(m_size))
            m_null.resize(size_t(m_size));
        appendVariant(value);
        return;
    }
    // Build a one-value column with the same rules, then move its value in.
    ColumnData one(m_kind);
    one.appendVariant(value);
    const size_t r = size_t(row);
    if (one.m_storage != m_storage)
        promoteToVariant();
    if (one.isNull(0)) {
        if (m_null.size() < size_t(m_size))
            m_null.resize(size_t(m_size), false);
        m_null[r] = true;
        return;
    }
    if (!m_null.empty())
        m_null[r] = false;
    switch (m_storage) {
    case Storage::Int:
    case Storage::DateTime:
        m_ints[r] = one.m_ints[0];
        break;
    case Storage::Double:
        m_doubles[r] = one.m_doubles[0];
        break;
    case Storage::Text: {
        const std::string_view s = one.utf8At(0);
        m_spans[r] = {uint32_t(m_chars.size()), uint32_t(s.size())};
        m_chars.append(s);
        m_prefixes[r] = one.m_prefixes[0];
        break;
    }
    case Storage::Variant:
        m_variants[r] = one.m_storage == Storage::Variant ? one.m_variants[0] : one.value(0);
        break;
    }
}

void ColumnData::promoteToVariant()
{
    if (m_storage == Storage::Variant)
        return;
    std::vector<QVariant> values;
    values.reserve(size_t(m_size) + 1);
    for (int i = 0; i < m_size; ++i)
        values.push_back(value(i));
    m_storage = Storage::Variant;
    m_variants = std::move(values);
    m_ints = {};
    m_doubles = {};
    m_chars = {};
    m_spans = {};
    m_prefixes = {};
}

size_t ColumnData::memoryUsage() const
{
    return m_null.capacity() / 8 + m_ints.capacity() * sizeof(qint64) +
           m_doubles.capacity() * sizeof(double) + m_chars.capacity() +
           m_spans.capacity() * sizeof(Span) +
           m_prefixes.capacity() * sizeof(TextCollation::Prefix) +
           m_variants.capacity() * sizeof(QVariant);
}

qint64 ColumnData::packDateTime(const QDate &date, const QTime &time)
{
    return date.toJulianDay() * kMsecsPerDay + (time.isValid() ? time.msecsSinceStartOfDay() : 0);
}

qint64 ColumnData::packDateTime(const QDateTime &dt)
{
    return packDateTime(dt.date(), dt.time());
}

QDateTime ColumnData::unpackDateTime(qint64 packed)
{
    qint64 day = packed / kMsecsPerDay;
    qint64 ms = packed % kMsecsPerDay;
    if (ms < 0) {
        ms += kMsecsPerDay;
        --day;
    }
    return QDateTime(QDate::fromJulianDay(day), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

bool ColumnData::parseDateTimeText(std::string_view s, qint64 *packed)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0, ms = 0;
    if (!parseDigits(s, 0, 4, &y) || s.size() < 10 || (s[4] != '-' && s[4] != '/') ||
        s[7] != s[4] || !parseDigits(s, 5, 2, &mo) || !parseDigits(s, 8, 2, &d))
        return false;
    if (s.size() > 10) {
        if ((s[10] != ' ' && s[10] != 'T') || !parseDigits(s, 11, 2, &h) || s.size() < 16 ||
            s[13] != ':' || !parseDigits(s, 14, 2, &mi))
            return false;
        if (s.size() > 16) {
            if (s[16] != ':' || !parseDigits(s, 17, 2, &sec))
                return false;
            if (s.size() > 19) {
                if (s[19] != '.' || s.size() < 21 || s.size() > 23)
                    return false;
                int frac = 0;
                const size_t digits = s.size() - 20;
                if (!parseDigits(s, 20, digits, &frac))
                    return false;
                ms = digits == 1 ? frac * 100 : digits == 2 ? frac * 10 : frac;
            }
        }
    }
    const QDate date(y, mo, d);
    const QTime time(h, mi, sec, ms);
    if (!date.isValid() || !time.isValid())
        return false;
    *packed = packDateTime(date, time);
    return true;
}

QString ColumnData::dateTimeText(const QDateTime &dt)
{
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

}  // namespace tavi::db
