#include "Recordset.h"

// Order and visibility of the fetched rows: sorting and filtering.

#include "Connection.h"
#include "DbError.h"
#include "RowFilter.h"
#include "TextCollation.h"
#include "tools/DisplayFormat.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numeric>

namespace tavi::db {

namespace {

using Item = SortItem;

// Items that a least-significant-digit pass scatters within the processor's caches.
constexpr size_t kCachedItems = size_t(1) << 16;

// Stable radix sort of items on the bytes 0..top of their keys, through `spare` (as large).
// A range that fits the caches is sorted a byte a pass from the lowest byte (passes whose byte is
// the same for every item skipped); a larger one is first split on its highest differing byte, so
// each part is sorted within the caches and the whole stays linear.
void radixSort(Item *items, Item *spare, size_t n, int top)
{
    if (n < 2 || top < 0)
        return;
    if (n <= 32) {
        for (size_t i = 1; i < n; ++i) {
            const Item v = items[i];
            size_t j = i;
            for (; j > 0 && v.key < items[j - 1].key; --j)
                items[j] = items[j - 1];
            items[j] = v;
        }
        return;
    }
    std::array<std::array<uint32_t, 256>, 8> counts;
    for (int d = 0; d <= top; ++d)
        counts[size_t(d)].fill(0);
    for (size_t i = 0; i < n; ++i) {
        for (int d = 0; d <= top; ++d)
            ++counts[size_t(d)][(items[i].key >> (8 * d)) & 0xFF];
    }
    const auto constant = [&](int d) {
        return counts[size_t(d)][(items[0].key >> (8 * d)) & 0xFF] == n;
    };
    const auto scatter = [&](int d, const Item *from, Item *to) {
        auto &count = counts[size_t(d)];
        uint32_t sum = 0;
        for (uint32_t &c : count) {
            const uint32_t k = c;
            c = sum;
            sum += k;
        }
        for (size_t i = 0; i < n; ++i)
            to[count[(from[i].key >> (8 * d)) & 0xFF]++] = from[i];
    };
    if (n <= kCachedItems) {
        Item *from = items;
        Item *to = spare;
        for (int d = 0; d <= top; ++d) {
            if (constant(d))
                continue;
            scatter(d, from, to);
            std::swap(from, to);
        }
        if (from != items)
            std::copy(from, from + n, items);
        return;
    }
    int d = top;
    while (d >= 0 && constant(d))
        --d;
    if (d < 0)
        return;
    const std::array<uint32_t, 256> sizes = counts[size_t(d)];
    scatter(d, items, spare);
    std::copy(spare, spare + n, items);
    size_t start = 0;
    for (const uint32_t size : sizes) {
        radixSort(items + start, spare + start, size, d - 1);
        start += size;
    }
}

void radixSortByKey(std::vector<Item> &items, std::vector<Item> &spare)
{
    spare.resize(items.size());
    radixSort(items.data(), spare.data(), items.size(), 7);
}

// Stable sort of a short run by insertion, of a long one by merging.
template <typename Less>
void sortRun(Item *begin, Item *end, Less less)
{
    if (end - begin > 24) {
        std::stable_sort(begin, end, less);
        return;
    }
    for (Item *i = begin + 1; i < end; ++i) {
        const Item v = *i;
        Item *j = i;
        for (; j > begin && less(v, *(j - 1)); --j)
            *j = *(j - 1);
        *j = v;
    }
}

int compareVariants(const QVariant &a, const QVariant &b)
{
    const bool an = !a.isValid() || a.isNull();
    const bool bn = !b.isValid() || b.isNull();
    if (an || bn)
        return an == bn ? 0 : an ? -1 : 1;
    const auto numeric = [](const QVariant &v) {
        const int t = v.metaType().id();
        return t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::Double ||
               t == QMetaType::Bool || t == QMetaType::UInt || t == QMetaType::ULongLong;
    };
    if (numeric(a) && numeric(b)) {
        const double x = a.toDouble();
        const double y = b.toDouble();
        return x < y ? -1 : x > y ? 1 : 0;
    }
    if (a.metaType().id() == QMetaType::QDateTime && b.metaType().id() == QMetaType::QDateTime) {
        const QDateTime x = a.toDateTime();
        const QDateTime y = b.toDateTime();
        return x < y ? -1 : y < x ? 1 : 0;
    }
    return TextCollation::compare(Recordset::textOf(a).toStdString(),
                                  Recordset::textOf(b).toStdString());
}

}  // namespace

void Recordset::setSort(const QString &sort)
{
    if (!m_table)
        throw DbError(QStringLiteral("记录集已关闭。"));
    std::vector<std::pair<int, bool>> keys;
    for (const QString &part : sort.split(u',', Qt::SkipEmptyParts)) {
        QString item = part.trimmed();
        if (item.isEmpty())
            continue;
        bool descending = false;
        static const QRegularExpression dir(QStringLiteral(R"(\s+(asc|desc)$)"),
                                            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = dir.match(item);
        if (m.hasMatch()) {
            descending = m.captured(1).compare(QLatin1String("desc"), Qt::CaseInsensitive) == 0;
            item = item.left(m.capturedStart()).trimmed();
        }
        if (item.startsWith(u'[') && item.endsWith(u']'))
            item = item.mid(1, item.size() - 2);
        const int column = fieldIndex(item);
        if (column < 0)
            throw DbError(QStringLiteral("排序字段“%1”不存在。").arg(item));
        keys.emplace_back(column, descending);
    }
    m_sortKeys = std::move(keys);
    m_sortKey = {};
    m_sortText = sort.trimmed();
    const int current = bookmark();
    rebuildOrder();
    const int index = indexOfRow(current);
    m_pos = index >= 0 ? index : 0;
    Q_EMIT reset();
    emitCurrent();
}

void Recordset::setSort(const QString &field, bool descending, SortKey key)
{
    if (!key) {
        setSort(field + (descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC")));
        return;
    }
    if (!m_table)
        throw DbError(QStringLiteral("记录集已关闭。"));
    const int column = fieldIndex(field);
    if (column < 0)
        throw DbError(QStringLiteral("排序字段“%1”不存在。").arg(field));
    m_sortKeys = {{column, descending}};
    m_sortKey = std::move(key);
    m_sortText = field + (descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC"));
    const int current = bookmark();
    rebuildOrder();
    const int index = indexOfRow(current);
    m_pos = index >= 0 ? index : 0;
    Q_EMIT reset();
    emitCurrent();
}

void Recordset::setFilter(const QString &filter)
{
    if (!m_table)
        throw DbError(QStringLiteral("记录集已关闭。"));
    std::unique_ptr<RowFilter> compiled;
    if (!filter.trimmed().isEmpty()) {
        compiled = RowFilter::parse(
            filter, [this](const QString &name) -> std::optional<RowFilter::Field> {
                const int column = fieldIndex(name);
                if (column < 0)
                    return std::nullopt;
                RowFilter::Field f;
                if (column < m_table->columnCount()) {
                    f.data = &m_table->column(column);
                } else {
                    f.computed = [this, column](int rowId) { return storedValue(rowId, column); };
                }
                return f;
            });
    }
    m_filter = std::move(compiled);
    m_filterText = m_filter ? filter.trimmed() : QString();
    rebuildOrder();
    m_pos = 0;
    Q_EMIT reset();
    emitCurrent();
}

void Recordset::rebuildOrder()
{
    m_sorted.clear();
    m_sorted.reserve(m_deleted.size());
    for (size_t r = 0; r < m_deleted.size(); ++r) {
        if (!m_deleted[r])
            m_sorted.push_back(int(r));
    }

    if (!m_sortKeys.empty()) {
        const int stored = m_table->columnCount();
        // Calculated and mixed columns are compared as variants, read once per row.
        std::vector<std::vector<QVariant>> otherValues(m_sortKeys.size());
        for (size_t k = 0; k < m_sortKeys.size(); ++k) {
            const int column = m_sortKeys[k].first;
            const bool plain = column < stored && !m_sortKey &&
                               m_table->column(column).storage() != ColumnData::Storage::Variant;
            if (!plain) {
                otherValues[k].resize(m_deleted.size());
                for (int r : m_sorted)
                    otherValues[k][size_t(r)] =
                        m_sortKey ? m_sortKey(storedValue(r, column)) : storedValue(r, column);
            }
        }
        const auto compareRows = [&](int a, int b) -> int {
            for (size_t k = 0; k < m_sortKeys.size(); ++k) {
                const auto [column, descending] = m_sortKeys[k];
                int c = 0;
                if (!otherValues[k].empty()) {
                    c = compareVariants(otherValues[k][size_t(a)], otherValues[k][size_t(b)]);
                } else {
                    const ColumnData &d = m_table->column(column);
                    const bool an = d.isNull(a);
                    const bool bn = d.isNull(b);
                    if (an || bn) {
                        c = an == bn ? 0 : an ? -1 : 1;
                    } else {
                        switch (d.storage()) {
                        case ColumnData::Storage::Int:
                        case ColumnData::Storage::DateTime: {
                            const qint64 x = d.intAt(a), y = d.intAt(b);
                            c = x < y ? -1 : x > y ? 1 : 0;
                            break;
                        }
                        case ColumnData::Storage::Double: {
                            const double x = d.doubleAt(a), y = d.doubleAt(b);
                            c = x < y ? -1 : x > y ? 1 : 0;
                            break;
                        }
                        case ColumnData::Storage::Text: {
                            const auto x = d.sortPrefixAt(a), y = d.sortPrefixAt(b);
                            if (x != y) {
                                c = x < y ? -1 : 1;
                            } else if (d.sortPrefixIsWhole(a) && d.sortPrefixIsWhole(b)) {
                                c = 0;
                            } else {
                                // Equal prefixes are mostly equal texts; bytes settle those.
                                const std::string_view sa = d.utf8At(a), sb = d.utf8At(b);
                                c = sa == sb ? 0 : TextCollation::compare(sa, sb);
                            }
                            break;
                        }
                        case ColumnData::Storage::Variant:
                            break;
                        }
                    }
                }
                if (c != 0)
                    return descending ? -c : c;
            }
            return 0;
        };
        // A first pass orders rows by an order-preserving 64-bit key of the first column with a
        // comparison that costs next to nothing; only runs of equal keys then need the full
        // comparison, with fetch order last, which keeps the sort stable.
        for (const auto &[column, descending] : m_sortKeys) {
            if (column < stored)
                m_table->column(column).prepareSortPrefixes();
        }
        const auto [firstColumn, firstDescending] = m_sortKeys.front();
        const ColumnData *first = firstColumn < stored && otherValues.front().empty()
                                      ? &m_table->column(firstColumn)
                                      : nullptr;
        std::vector<Item> &items = m_sortItems;
        items.clear();
        items.reserve(m_sorted.size());
        for (int r : m_sorted) {
            // NULL takes key 0; values start at 1 (the lowest value shares 1 with the next,
            // which the full comparison separates).
            uint64_t key = 0;
            bool wholeKey = false;
            if (first && !first->isNull(r)) {
                switch (first->storage()) {
                case ColumnData::Storage::Int:
                case ColumnData::Storage::DateTime:
                    key = uint64_t(first->intAt(r)) ^ (uint64_t(1) << 63);
                    break;
                case ColumnData::Storage::Double: {
                    uint64_t bits = 0;
                    const double d = first->doubleAt(r) == 0 ? 0.0 : first->doubleAt(r);
                    std::memcpy(&bits, &d, sizeof bits);
                    key = bits >> 63 ? ~bits : bits | (uint64_t(1) << 63);
                    break;
                }
                case ColumnData::Storage::Text: {
                    const TextCollation::Prefix p = first->sortPrefixAt(r);
                    key = p.hi;
                    wholeKey = p.lo == 0 && first->sortPrefixIsWhole(r);
                    break;
                }
                case ColumnData::Storage::Variant:
                    break;
                }
                key = std::max<uint64_t>(key, 1);
            }
            items.push_back({firstDescending ? ~key : key, r, wholeKey});
        }
        radixSortByKey(items, m_sortSpare);
        const auto fullLess = [&](const Item &x, const Item &y) {
            return compareRows(x.row, y.row) < 0;
        };
        // With one key, a run of identical texts (or of NULLs) is already in fetch order.
        const bool oneKey = m_sortKeys.size() == 1 && first;
        const bool firstText = first && first->storage() == ColumnData::Storage::Text;
        const auto identical = [&](size_t i, size_t j) {
            if (!oneKey)
                return false;
            if (items[i].key == 0 || items[i].key == ~uint64_t(0))
                return true;
            if (!firstText)
                return items[i].key != 1 && items[i].key != ~uint64_t(1);
            // Whole prefixes settle it without reading the texts, which a large sort would
            // fetch from all over memory.
            bool allWhole = true;
            for (size_t k = i; allWhole && k < j; ++k)
                allWhole = items[k].wholeKey;
            if (allWhole)
                return true;
            const int r0 = items[i].row;
            const TextCollation::Prefix p0 = first->sortPrefixAt(r0);
            bool settled = first->sortPrefixIsWhole(r0);
            for (size_t k = i + 1; settled && k < j; ++k) {
                const int r = items[k].row;
                settled = first->sortPrefixIsWhole(r) && first->sortPrefixAt(r) == p0;
            }
            if (settled)
                return true;
            const std::string_view t = first->utf8At(r0);
            for (size_t k = i + 1; k < j; ++k) {
                if (first->utf8At(items[k].row) != t)
                    return false;
            }
            return true;
        };
        for (size_t i = 0; i < items.size();) {
            size_t j = i + 1;
            while (j < items.size() && items[j].key == items[i].key)
                ++j;
            if (j - i > 1 && !identical(i, j))
                sortRun(items.data() + i, items.data() + j, fullLess);
            i = j;
        }
        for (size_t i = 0; i < items.size(); ++i)
            m_sorted[i] = items[i].row;
    }

    applyFilter(m_filter.get());
}

void Recordset::applyFilter(const RowFilter *filter)
{
    if (!filter) {
        m_order = m_sorted;
        return;
    }
    m_order.clear();
    for (int r : m_sorted) {
        if (filter->matches(r))
            m_order.push_back(r);
    }
}

}  // namespace tavi::db
