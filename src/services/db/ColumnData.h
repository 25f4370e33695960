#pragma once

#include "ChunkedVector.h"
#include "FieldKind.h"
#include "TextCollation.h"

#include <QDateTime>
#include <QVariant>
#include <cstdint>
#include <string>
#include <vector>

namespace tavi::db {

/// The values of one result column, stored compactly by kind.
///
/// Integers, doubles and date-times take eight bytes a row and texts their UTF-8 bytes plus
/// eight, held in chunks so that fetching never copies what it already holds; a fully fetched
/// result stays close to the size of its raw data. A value that does not fit the column's
/// storage (SQLite lets a text sit in an integer column) turns the column into a column of
/// variants, keeping every value.
class ColumnData
{
public:
    enum class Storage
    {
        Int,
        Double,
        Text,
        DateTime,
        Variant
    };

    explicit ColumnData(FieldKind kind = FieldKind::Text);
    ColumnData(FieldKind kind, Storage storage) : m_kind(kind), m_storage(storage) {}
    /// A column whose kind its values decide (see `appendComputedInt`).
    static ColumnData computed();

    /// The storage that suits values of a kind.
    static Storage storageFor(FieldKind kind);

    FieldKind kind() const { return m_kind; }
    Storage storage() const { return m_storage; }
    int size() const { return m_size; }
    void reserve(int rows);

    void appendNull();
    void appendInt(qint64 value);
    void appendDouble(double value);
    /// Appends a text given as UTF-8 bytes; an integer or date-time column parses it.
    void appendUtf8(const char *data, int length);
    void appendDateTime(qint64 packed);
    void appendVariant(const QVariant &value);

    /// Appenders for a column whose kind comes from its values (an expression of the
    /// statement): the first value picks the storage, integers next to doubles make a float
    /// column, texts next to numbers a text column of variants.
    void appendComputedInt(qint64 value);
    void appendComputedDouble(double value);
    void appendComputedUtf8(const char *data, int length);
    /// Ends a computed column: texts that are all in the stored date-time form make it a
    /// date-time column; any other text stays exactly as it came.
    void finishComputed();

    bool isNull(int row) const { return row < int(m_null.size()) && m_null[size_t(row)]; }
    QVariant value(int row) const;
    void setValue(int row, const QVariant &value);

    /// Raw accessors for fast sorting and filtering; valid for the matching storage only.
    qint64 intAt(int row) const { return m_ints[size_t(row)]; }
    double doubleAt(int row) const { return m_doubles[size_t(row)]; }
    std::string_view utf8At(int row) const
    {
        const Span &s = m_spans[size_t(row)];
        return std::string_view(m_chars[size_t(row) >> kChunkShift].data() + s.offset, s.length);
    }
    const QVariant &variantAt(int row) const { return m_variants[size_t(row)]; }
    /// Computes the collation prefixes of a text column (see `TextCollation::prefix`) unless
    /// they are there: a column pays for them on its first sort only.
    void prepareSortPrefixes();
    /// Valid after `prepareSortPrefixes`.
    TextCollation::Prefix sortPrefixAt(int row) const { return m_prefixes[size_t(row)]; }
    /// True when the prefix is the text's whole key: equal whole prefixes mean equal texts
    /// in the collation, without reading them.
    bool sortPrefixIsWhole(int row) const { return m_prefixWhole[size_t(row)]; }

    /// Bytes held by this column (for memory measurements).
    size_t memoryUsage() const;

    /// Date-time packed into milliseconds since the start of the Julian day count, no time zone.
    static qint64 packDateTime(const QDate &date, const QTime &time);
    static qint64 packDateTime(const QDateTime &dt);
    /// The wall-clock time of a packed value, without asking the time zone for every value.
    static QDateTime unpackDateTime(qint64 packed);
    /// Makes `unpackDateTime` read the time zone's offsets again (the zone may have changed).
    static void rereadTimeZone();
    /// True for the text form the local engine stores date-times in, "yyyy-MM-dd HH:mm:ss".
    static bool isStoredDateTimeText(std::string_view text);
    /// Parses "yyyy-MM-dd", "yyyy-MM-dd HH:mm[:ss[.zzz]]" (also with 'T' or '/'); false otherwise.
    static bool parseDateTimeText(std::string_view text, qint64 *packed);
    /// The stored text form "yyyy-MM-dd HH:mm:ss".
    static QString dateTimeText(const QDateTime &dt);
    static QString dateTimeText(qint64 packed);

private:
    struct Span
    {
        uint32_t offset;
        uint32_t length;
    };

    static constexpr int kChunkShift = ChunkedVector<Span>::kShift;

    void markNull(bool null);
    void promoteToVariant();
    void appendText(const char *data, int length);
    std::string &charsOfRow(size_t row);
    // A computed column whose values so far are all null takes the storage of its first value.
    bool takeStorage(Storage storage, FieldKind kind);

    FieldKind m_kind;
    Storage m_storage;
    int m_size = 0;
    bool m_computed = false;
    std::vector<bool> m_null;
    ChunkedVector<qint64> m_ints;  // Int and DateTime
    ChunkedVector<double> m_doubles;
    std::vector<std::string> m_chars;  // one buffer per chunk of rows
    ChunkedVector<Span> m_spans;
    std::vector<TextCollation::Prefix> m_prefixes;  // empty until the first sort
    std::vector<bool> m_prefixWhole;
    std::vector<QVariant> m_variants;
};

}  // namespace tavi::db
