#include "ColumnData.h"

#include "TextCollation.h"

#include <array>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>

namespace tavi::db {

namespace {

constexpr qint64 kMsecsPerDay = 86400000;

// Offsets of days looked up before this count changed are read again.
std::atomic<unsigned> g_zoneGeneration{1};

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

ColumnData ColumnData::computed()
{
    ColumnData c(FieldKind::Text, Storage::Variant);
    c.m_computed = true;
    return c;
}

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
        m_spans.push_back({uint32_t(charsOfRow(m_spans.size()).size()), 0});
        m_prefixes.clear();
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

std::string &ColumnData::charsOfRow(size_t row)
{
    const size_t chunk = row >> kChunkShift;
    if (chunk < m_chars.size())
        return m_chars[chunk];
    // A new chunk of rows: room for about what the previous chunk took, so it rarely grows.
    std::string next;
    if (!m_chars.empty()) {
        std::string &previous = m_chars.back();
        if (previous.capacity() > previous.size() + previous.size() / 8)
            previous.shrink_to_fit();
        next.reserve(previous.size() + previous.size() / 16 + 64);
    }
    m_chars.push_back(std::move(next));
    return m_chars.back();
}

void ColumnData::appendText(const char *data, int length)
{
    std::string &chars = charsOfRow(m_spans.size());
    m_spans.push_back({uint32_t(chars.size()), uint32_t(length)});
    chars.append(data, size_t(length));
    // Prefixes kept from a sort stay valid only while they cover every row.
    m_prefixes.clear();
}

void ColumnData::prepareSortPrefixes()
{
    if (m_storage != Storage::Text || m_prefixes.size() == size_t(m_size))
        return;
    m_prefixes.clear();
    m_prefixes.reserve(size_t(m_size));
    m_prefixWhole.assign(size_t(m_size), false);
    for (int r = 0; r < m_size; ++r) {
        bool whole = false;
        m_prefixes.push_back(TextCollation::prefix(utf8At(r), &whole));
        m_prefixWhole[size_t(r)] = whole;
    }
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
            std::string &chars = m_chars[size_t(m_size) >> kChunkShift];
            m_spans.pop_back();
            m_prefixes.clear();
            if (s.offset + s.length == chars.size())
                chars.resize(s.offset);
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
        std::string &chars = m_chars[r >> kChunkShift];
        m_spans[r] = {uint32_t(chars.size()), uint32_t(s.size())};
        chars.append(s);
        if (!m_prefixes.empty()) {
            bool whole = false;
            m_prefixes[r] = TextCollation::prefix(s, &whole);
            m_prefixWhole[r] = whole;
        }
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
    m_ints.clear();
    m_doubles.clear();
    m_chars = {};
    m_spans.clear();
    m_prefixes = {};
    m_prefixWhole = {};
}

bool ColumnData::takeStorage(Storage storage, FieldKind kind)
{
    if (m_storage == storage)
        return true;
    for (int r = 0; r < m_size; ++r) {
        if (!isNull(r))
            return false;
    }
    ColumnData typed(kind, storage);
    for (int r = 0; r < m_size; ++r)
        typed.appendNull();
    typed.m_computed = true;
    *this = std::move(typed);
    return true;
}

void ColumnData::appendComputedInt(qint64 value)
{
    if (m_computed && !takeStorage(Storage::Int, FieldKind::Integer) &&
        m_storage == Storage::Text) {
        m_computed = false;
        promoteToVariant();
    }
    if (m_storage == Storage::Variant) {
        m_variants.emplace_back(value);
        markNull(false);
        return;
    }
    appendInt(value);
}

void ColumnData::appendComputedDouble(double value)
{
    if (m_computed && !takeStorage(Storage::Double, FieldKind::Float)) {
        if (m_storage == Storage::Int) {
            // Integers next to doubles: every value of the column reads as a double.
            ColumnData widened(FieldKind::Float, Storage::Double);
            widened.m_computed = true;
            for (int r = 0; r < m_size; ++r) {
                if (isNull(r))
                    widened.appendNull();
                else
                    widened.appendDouble(double(m_ints[size_t(r)]));
            }
            *this = std::move(widened);
        } else if (m_storage == Storage::Text) {
            m_computed = false;
            promoteToVariant();
        }
    }
    if (m_storage == Storage::Variant) {
        m_variants.emplace_back(value);
        markNull(false);
        return;
    }
    appendDouble(value);
}

void ColumnData::appendComputedUtf8(const char *data, int length)
{
    if (m_computed && !takeStorage(Storage::Text, FieldKind::Text) && m_storage != Storage::Text) {
        m_computed = false;
        m_kind = FieldKind::Text;
        promoteToVariant();
    }
    if (m_storage == Storage::Text) {
        appendText(data, length);
        markNull(false);
        return;
    }
    m_variants.emplace_back(QString::fromUtf8(data, length));
    markNull(false);
}

void ColumnData::finishComputed()
{
    if (!m_computed)
        return;
    m_computed = false;
    if (m_storage != Storage::Text)
        return;
    for (int r = 0; r < m_size; ++r) {
        if (!isNull(r) && !isStoredDateTimeText(utf8At(r)))
            return;
    }
    ColumnData dates(FieldKind::DateTime);
    for (int r = 0; r < m_size; ++r) {
        if (isNull(r))
            dates.appendNull();
        else
            dates.appendUtf8(utf8At(r).data(), int(utf8At(r).size()));
    }
    *this = std::move(dates);
}

size_t ColumnData::memoryUsage() const
{
    size_t chars = m_chars.capacity() * sizeof(std::string);
    for (const std::string &c : m_chars)
        chars += c.capacity();
    return m_null.capacity() / 8 + m_ints.capacityBytes() + m_doubles.capacityBytes() + chars +
           m_spans.capacityBytes() + m_prefixes.capacity() * sizeof(TextCollation::Prefix) +
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
    const QDate date = QDate::fromJulianDay(day);
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(ms));
    // Every local-time QDateTime asks the C library for its zone offset, and without TZ set
    // that costs a stat of /etc/localtime each time. The offset of a whole day is looked up
    // once and the value built at that fixed offset: the same wall-clock time and the same
    // instant. Days in which the offset changes take the slow road.
    struct DayOffset
    {
        qint64 day = std::numeric_limits<qint64>::min();
        unsigned generation = 0;
        int offset = 0;
        bool uniform = false;
    };
    thread_local std::array<DayOffset, 1024> cache;
    DayOffset &entry = cache[size_t(day) & (cache.size() - 1)];
    const unsigned generation = g_zoneGeneration.load(std::memory_order_relaxed);
    if (entry.day != day || entry.generation != generation) {
        const QDateTime start(date, QTime(0, 0));
        const QDateTime end(date, QTime(23, 59, 59, 999));
        entry.day = day;
        entry.generation = generation;
        entry.uniform =
            start.isValid() && end.isValid() && start.offsetFromUtc() == end.offsetFromUtc();
        entry.offset = start.offsetFromUtc();
    }
    if (!entry.uniform)
        return QDateTime(date, time);
    return QDateTime(date, time, Qt::OffsetFromUTC, entry.offset);
}

void ColumnData::rereadTimeZone()
{
    g_zoneGeneration.fetch_add(1, std::memory_order_relaxed);
}

bool ColumnData::isStoredDateTimeText(std::string_view s)
{
    static constexpr char shape[] = "0000-00-00 00:00:00";
    if (s.size() != sizeof shape - 1)
        return false;
    for (size_t i = 0; i < s.size(); ++i) {
        const bool digit = s[i] >= '0' && s[i] <= '9';
        if (shape[i] == '0' ? !digit : s[i] != shape[i])
            return false;
    }
    qint64 packed = 0;
    return parseDateTimeText(s, &packed);
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
    // Checked and counted here rather than through QDate and QTime: this runs for every
    // date-time a result holds.
    static constexpr int kDaysInMonth[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (y < 1 || mo < 1 || mo > 12 || d < 1 ||
        d > kDaysInMonth[mo - 1] + (mo == 2 && leap ? 1 : 0) || h > 23 || mi > 59 || sec > 59)
        return false;
    // The Julian day number of a proleptic Gregorian date.
    const qint64 a = (14 - mo) / 12;
    const qint64 yy = y + 4800 - a;
    const qint64 mm = mo + 12 * a - 3;
    const qint64 julianDay =
        d + (153 * mm + 2) / 5 + 365 * yy + yy / 4 - yy / 100 + yy / 400 - 32045;
    *packed = julianDay * kMsecsPerDay + ((h * 60 + mi) * 60 + sec) * 1000 + ms;
    return true;
}

QString ColumnData::dateTimeText(const QDateTime &dt)
{
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString ColumnData::dateTimeText(qint64 packed)
{
    qint64 day = packed / kMsecsPerDay;
    qint64 ms = packed % kMsecsPerDay;
    if (ms < 0) {
        ms += kMsecsPerDay;
        --day;
    }
    int y = 0, mo = 0, d = 0;
    QDate::fromJulianDay(day).getDate(&y, &mo, &d);
    const int secs = int(ms / 1000);
    char buf[40];
    const int n = std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d,
                                secs / 3600, secs / 60 % 60, secs % 60);
    return QString::fromLatin1(buf, n);
}

}  // namespace tavi::db
