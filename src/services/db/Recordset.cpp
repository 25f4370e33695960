#include "Recordset.h"

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

QString unknownField(const QString &name)
{
    return QStringLiteral("找不到字段“%1”。").arg(name);
}

// Base table named by the statement text: the word after the first FROM.
QString tableFromStatement(const QString &sql)
{
    static const QRegularExpression re(
        QStringLiteral(R"(\bfrom\s+(\[[^\]]+\]|"[^"]+"|[^\s,;()]+))"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(sql);
    if (!m.hasMatch())
        return QString();
    QString t = m.captured(1);
    if ((t.startsWith(u'[') && t.endsWith(u']')) || (t.startsWith(u'"') && t.endsWith(u'"')))
        t = t.mid(1, t.size() - 2);
    return t;
}

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

Recordset::Recordset(QObject *parent) : QObject(parent) {}

Recordset::Recordset(Connection *connection, QObject *parent)
    : QObject(parent), m_connection(connection)
{}

Recordset::~Recordset() = default;

void Recordset::open()
{
    if (!m_connection)
        throw DbError(QStringLiteral("查询没有连接到数据库。"));
    std::unique_ptr<ResultTable> table = m_connection->engine().query(m_sql);
    open(std::move(table));
}

void Recordset::open(std::unique_ptr<ResultTable> table)
{
    m_table = std::move(table);
    m_calculated.clear();
    m_calculatedInfo.clear();
    m_deleted.assign(size_t(m_table->rowCount()), false);
    m_sortText.clear();
    m_sortKeys.clear();
    m_sortKey = {};
    m_filterText.clear();
    m_filter.reset();
    m_editRow = -1;
    m_saved.clear();
    m_changed.clear();
    m_baseResolved = false;
    m_state = State::Browse;
    rebuildOrder();
    m_pos = 0;
    Q_EMIT reset();
    emitCurrent();
}

void Recordset::close()
{
    if (m_state == State::Closed)
        return;
    m_table.reset();
    m_calculated.clear();
    m_calculatedInfo.clear();
    m_sorted.clear();
    m_order.clear();
    m_deleted.clear();
    m_filter.reset();
    m_filterText.clear();
    m_sortText.clear();
    m_sortKeys.clear();
    m_sortKey = {};
    m_pos = -1;
    m_editRow = -1;
    m_state = State::Closed;
    Q_EMIT reset();
}

int Recordset::fieldCount() const
{
    return m_table ? m_table->columnCount() + int(m_calculatedInfo.size()) : 0;
}

const ColumnInfo &Recordset::field(int index) const
{
    if (!m_table || index < 0 || index >= fieldCount())
        throw DbError(unknownField(QString::number(index)));
    if (index < m_table->columnCount())
        return m_table->info(index);
    return m_calculatedInfo[size_t(index - m_table->columnCount())];
}

int Recordset::fieldIndex(const QString &name) const
{
    if (!m_table)
        return -1;
    const int i = m_table->indexOf(name);
    if (i >= 0)
        return i;
    for (size_t k = 0; k < m_calculatedInfo.size(); ++k) {
        if (m_calculatedInfo[k].name.compare(name, Qt::CaseInsensitive) == 0)
            return m_table->columnCount() + int(k);
    }
    return -1;
}

QStringList Recordset::fieldNames() const
{
    QStringList names;
    for (int i = 0; i < fieldCount(); ++i)
        names << field(i).name;
    return names;
}

void Recordset::emitCurrent()
{
    Q_EMIT currentChanged(position());
}

void Recordset::first()
{
    m_pos = 0;
    emitCurrent();
}

void Recordset::next()
{
    if (m_pos < int(m_order.size()))
        ++m_pos;
    emitCurrent();
}

void Recordset::prior()
{
    if (m_pos >= 0)
        --m_pos;
    emitCurrent();
}

void Recordset::last()
{
    m_pos = int(m_order.size()) - 1;
    emitCurrent();
}

bool Recordset::setPosition(int index)
{
    if (index < 0 || index >= int(m_order.size()))
        return false;
    m_pos = index;
    emitCurrent();
    return true;
}

int Recordset::bookmark() const
{
    return eof() || bof() ? -1 : m_order[size_t(m_pos)];
}

bool Recordset::gotoBookmark(int bookmark)
{
    const int index = indexOfRow(bookmark);
    if (index < 0)
        return false;
    m_pos = index;
    emitCurrent();
    return true;
}

int Recordset::indexOfRow(int rowId) const
{
    const auto it = std::find(m_order.begin(), m_order.end(), rowId);
    return it == m_order.end() ? -1 : int(it - m_order.begin());
}

void Recordset::requireCurrent() const
{
    if (m_state == State::Closed)
        throw DbError(QStringLiteral("记录集已关闭。"));
    if (eof() || bof())
        throw DbError(QStringLiteral("没有当前记录。"));
}

int Recordset::currentRowId() const
{
    requireCurrent();
    return m_order[size_t(m_pos)];
}

QVariant Recordset::storedValue(int rowId, int column) const
{
    if (column < m_table->columnCount())
        return m_table->column(column).value(rowId);
    const Calculated &c = m_calculated[size_t(column - m_table->columnCount())];
    return c.getter ? QVariant(c.getter(*this, rowId)) : QVariant(false);
}

QVariant Recordset::value(const QString &name) const
{
    const int column = fieldIndex(name);
    if (column < 0)
        throw DbError(unknownField(name));
    return value(column);
}

QVariant Recordset::value(int column) const
{
    const int rowId = currentRowId();
    if (column < 0 || column >= fieldCount())
        throw DbError(unknownField(QString::number(column)));
    return storedValue(rowId, column);
}

QVariant Recordset::valueAt(int index, int column) const
{
    if (!m_table || index < 0 || index >= int(m_order.size()) || column < 0 ||
        column >= fieldCount())
        return QVariant();
    return storedValue(m_order[size_t(index)], column);
}

QString Recordset::textOf(const QVariant &v)
{
    return DisplayFormat::plain(v);
}

QString Recordset::asString(const QString &name) const
{
    return textOf(value(name));
}

qint64 Recordset::asInteger(const QString &name) const
{
    const QVariant v = value(name);
    if (!v.isValid() || v.isNull())
        return 0;
    switch (v.metaType().id()) {
    case QMetaType::Double:
        return std::llround(v.toDouble());
    case QMetaType::Bool:
        return v.toBool() ? -1 : 0;
    case QMetaType::QString: {
        bool ok = false;
        const qint64 i = v.toString().trimmed().toLongLong(&ok);
        if (ok)
            return i;
        const double d = v.toString().trimmed().toDouble(&ok);
        return ok ? std::llround(d) : 0;
    }
    default:
        return v.toLongLong();
    }
}

double Recordset::asFloat(const QString &name) const
{
    const QVariant v = value(name);
    if (!v.isValid() || v.isNull())
        return 0;
    if (v.metaType().id() == QMetaType::Bool)
        return v.toBool() ? -1 : 0;
    bool ok = false;
    const double d = v.metaType().id() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok)
                                                             : v.toDouble(&ok);
    return ok ? d : 0;
}

bool Recordset::asBool(const QString &name) const
{
    const QVariant v = value(name);
    if (!v.isValid() || v.isNull())
        return false;
    if (v.metaType().id() == QMetaType::QString) {
        const QString t = v.toString().trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || t == QStringLiteral("是"))
            return true;
        return t.toDouble() != 0;
    }
    return v.toDouble() != 0 || (v.metaType().id() == QMetaType::Bool && v.toBool());
}

QDateTime Recordset::asDateTime(const QString &name) const
{
    const QVariant v = value(name);
    if (!v.isValid() || v.isNull())
        return QDateTime();
    if (v.metaType().id() == QMetaType::QString) {
        qint64 packed = 0;
        if (ColumnData::parseDateTimeText(v.toString().trimmed().toStdString(), &packed))
            return ColumnData::unpackDateTime(packed);
        return QDateTime();
    }
    return v.toDateTime();
}

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

int Recordset::addCalculatedField(const QString &name, CalcGetter getter, CalcSetter setter)
{
    if (!m_table)
        throw DbError(QStringLiteral("记录集已关闭。"));
    ColumnInfo info;
    info.name = name;
    info.kind = FieldKind::Boolean;
    info.calculated = true;
    m_calculatedInfo.push_back(info);
    m_calculated.push_back({std::move(getter), std::move(setter)});
    Q_EMIT reset();
    return fieldCount() - 1;
}

QString Recordset::baseTable() const
{
    if (!m_table)
        return QString();
    QString fromColumns;
    for (int i = 0; i < m_table->columnCount(); ++i) {
        const QString &t = m_table->info(i).baseTable;
        if (t.isEmpty())
            continue;
        if (fromColumns.isEmpty())
            fromColumns = t;
        else if (fromColumns.compare(t, Qt::CaseInsensitive) != 0)
            return tableFromStatement(m_sql);
    }
    return fromColumns.isEmpty() ? tableFromStatement(m_sql) : fromColumns;
}

void Recordset::resolveBaseColumns()
{
    if (m_baseResolved)
        return;
    if (!m_connection)
        throw DbError(QStringLiteral("查询没有连接到数据库，不能保存。"));
    m_baseTable = baseTable();
    if (m_baseTable.isEmpty())
        throw DbError(QStringLiteral("无法确定要更新的表。"));
    const std::unique_ptr<ResultTable> probe = m_connection->engine().query(
        QStringLiteral("select * from %1 where 1=0").arg(Engine::quoteIdentifier(m_baseTable)));

    m_baseColumn.assign(size_t(m_table->columnCount()), QString());
    m_keyColumn = -1;
    m_autoColumn = -1;
    for (int i = 0; i < m_table->columnCount(); ++i) {
        const ColumnInfo &info = m_table->info(i);
        const bool sameTable = info.baseTable.isEmpty() ||
                               info.baseTable.compare(m_baseTable, Qt::CaseInsensitive) == 0;
        if (!sameTable)
            continue;
        const QString wanted = info.baseColumn.isEmpty() ? info.name : info.baseColumn;
        const int p = probe->indexOf(wanted);
        if (p < 0)
            continue;
        // A later column of the same name (select *, x.id) must not take the key's place.
        bool taken = false;
        for (int j = 0; j < i; ++j)
            taken = taken ||
                    m_baseColumn[size_t(j)].compare(probe->info(p).name, Qt::CaseInsensitive) == 0;
        if (taken)
            continue;
        m_baseColumn[size_t(i)] = probe->info(p).name;
        if (probe->info(p).name.compare(QLatin1String("id"), Qt::CaseInsensitive) == 0)
            m_keyColumn = i;
        if (probe->info(p).autoIncrement || info.autoIncrement)
            m_autoColumn = i;
    }
    m_baseResolved = true;
}

void Recordset::append()
{
    if (!m_table)
        throw DbError(QStringLiteral("记录集已关闭。"));
    if (m_state == State::Edit || m_state == State::Insert)
        post();
    Q_EMIT rowAboutToBeInserted(int(m_order.size()));
    const int rowId = m_table->appendEmptyRow();
    m_deleted.push_back(false);
    m_sorted.push_back(rowId);
    m_order.push_back(rowId);
    m_editRow = rowId;
    m_changed.assign(size_t(m_table->columnCount()), false);
    m_saved.clear();
    m_state = State::Insert;
    m_pos = int(m_order.size()) - 1;
    Q_EMIT rowInserted(m_pos);
    emitCurrent();
}

QVariantList Recordset::originalValuesOf(int rowId) const
{
    QVariantList values;
    for (int i = 0; i < m_table->columnCount(); ++i)
        values << m_table->column(i).value(rowId);
    return values;
}

void Recordset::edit()
{
    if (m_state == State::Edit || m_state == State::Insert)
        return;
    const int rowId = currentRowId();
    m_editRow = rowId;
    m_saved = originalValuesOf(rowId);
    m_changed.assign(size_t(m_table->columnCount()), false);
    m_state = State::Edit;
}

void Recordset::setValue(const QString &name, const QVariant &value)
{
    const int column = fieldIndex(name);
    if (column < 0)
        throw DbError(unknownField(name));
    setValue(column, value);
}

void Recordset::setValue(int column, const QVariant &value)
{
    const int rowId = currentRowId();
    if (column < 0 || column >= fieldCount())
        throw DbError(unknownField(QString::number(column)));
    if (column >= m_table->columnCount()) {
        const Calculated &c = m_calculated[size_t(column - m_table->columnCount())];
        if (!c.setter)
            throw DbError(QStringLiteral("字段“%1”不能修改。").arg(field(column).name));
        c.setter(*this, rowId, value.toBool());
        Q_EMIT rowChanged(m_pos);
        return;
    }
    if (m_state == State::Browse)
        edit();
    m_table->column(column).setValue(rowId, value);
    m_changed[size_t(column)] = true;
    Q_EMIT rowChanged(m_pos);
}

void Recordset::post()
{
    if (m_state != State::Edit && m_state != State::Insert)
        return;
    resolveBaseColumns();
    Engine &engine = m_connection->engine();
    const auto stored = [&](const QVariant &v) -> QVariant {
        if (v.metaType().id() == QMetaType::Bool)
            return QVariant(v.toBool() ? engine.trueValue() : 0);
        return v;
    };
    const int rowId = m_editRow;

    if (m_state == State::Insert) {
        QStringList columns;
        QVariantList values;
        for (int i = 0; i < m_table->columnCount(); ++i) {
            if (m_baseColumn[size_t(i)].isEmpty() || m_table->column(i).isNull(rowId))
                continue;
            if (i == m_autoColumn)
                continue;
            columns << m_baseColumn[size_t(i)];
            values << stored(m_table->column(i).value(rowId));
        }
        int autoColumn = m_autoColumn;
        if (autoColumn < 0 && m_keyColumn >= 0 && m_table->column(m_keyColumn).isNull(rowId))
            autoColumn = m_keyColumn;
        const QVariant newId =
            engine.insertRow(m_baseTable, columns, values,
                             autoColumn >= 0 ? m_baseColumn[size_t(autoColumn)] : QString());
        if (autoColumn >= 0 && newId.isValid())
            m_table->column(autoColumn).setValue(rowId, newId);
    } else {
        QStringList sets;
        QVariantList params;
        for (int i = 0; i < m_table->columnCount(); ++i) {
            if (!m_changed[size_t(i)] || m_baseColumn[size_t(i)].isEmpty())
                continue;
            sets << Engine::quoteIdentifier(m_baseColumn[size_t(i)]) + QStringLiteral("=?");
            params << stored(m_table->column(i).value(rowId));
        }
        if (!sets.isEmpty()) {
            QStringList where;
            if (m_keyColumn >= 0 && m_saved[m_keyColumn].isValid()) {
                where << Engine::quoteIdentifier(m_baseColumn[size_t(m_keyColumn)]) +
                             QStringLiteral("=?");
                params << m_saved[m_keyColumn];
            } else {
                for (int i = 0; i < m_table->columnCount(); ++i) {
                    if (m_baseColumn[size_t(i)].isEmpty())
                        continue;
                    const QString col = Engine::quoteIdentifier(m_baseColumn[size_t(i)]);
                    if (!m_saved[i].isValid()) {
                        where << col + QStringLiteral(" IS NULL");
                    } else {
                        where << col + QStringLiteral("=?");
                        params << stored(m_saved[i]);
                    }
                }
            }
            const QString sql =
                QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                    .arg(Engine::quoteIdentifier(m_baseTable), sets.join(QStringLiteral(", ")),
                         where.join(QStringLiteral(" AND ")));
            if (engine.execute(sql, params) == 0)
                throw DbError(
                    QStringLiteral("无法为更新定位行。一些值可能已在最后一次读取后已更改。"));
        }
    }
    m_state = State::Browse;
    m_editRow = -1;
    m_saved.clear();
    Q_EMIT rowChanged(indexOfRow(rowId));
}

void Recordset::cancel()
{
    if (m_state == State::Insert) {
        const int rowId = m_editRow;
        m_state = State::Browse;
        m_editRow = -1;
        m_deleted[size_t(rowId)] = true;
        removeRowFromViews(rowId);
        return;
    }
    if (m_state == State::Edit) {
        const int rowId = m_editRow;
        for (int i = 0; i < m_table->columnCount(); ++i) {
            if (m_changed[size_t(i)])
                m_table->column(i).setValue(rowId, m_saved[i]);
        }
        m_state = State::Browse;
        m_editRow = -1;
        m_saved.clear();
        Q_EMIT rowChanged(indexOfRow(rowId));
    }
}

void Recordset::removeRowFromViews(int rowId)
{
    const int index = indexOfRow(rowId);
    if (index >= 0)
        Q_EMIT rowAboutToBeRemoved(index);
    m_sorted.erase(std::remove(m_sorted.begin(), m_sorted.end(), rowId), m_sorted.end());
    if (index >= 0) {
        m_order.erase(m_order.begin() + index);
        Q_EMIT rowRemoved(index);
    }
    if (m_pos >= int(m_order.size()))
        m_pos = int(m_order.size()) - 1;
    if (m_pos < 0 && !m_order.empty())
        m_pos = 0;
    emitCurrent();
}

void Recordset::deleteRow()
{
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (m_state == State::Edit)
        cancel();
    const int rowId = currentRowId();
    resolveBaseColumns();
    Engine &engine = m_connection->engine();
    QStringList where;
    QVariantList params;
    const auto stored = [&](const QVariant &v) -> QVariant {
        if (v.metaType().id() == QMetaType::Bool)
            return QVariant(v.toBool() ? engine.trueValue() : 0);
        return v;
    };
    if (m_keyColumn >= 0 && !m_table->column(m_keyColumn).isNull(rowId)) {
        where << Engine::quoteIdentifier(m_baseColumn[size_t(m_keyColumn)]) + QStringLiteral("=?");
        params << m_table->column(m_keyColumn).value(rowId);
    } else {
        for (int i = 0; i < m_table->columnCount(); ++i) {
            if (m_baseColumn[size_t(i)].isEmpty())
                continue;
            const QString col = Engine::quoteIdentifier(m_baseColumn[size_t(i)]);
            if (m_table->column(i).isNull(rowId)) {
                where << col + QStringLiteral(" IS NULL");
            } else {
                where << col + QStringLiteral("=?");
                params << stored(m_table->column(i).value(rowId));
            }
        }
    }
    if (where.isEmpty())
        throw DbError(QStringLiteral("无法确定要删除的行。"));
    const QString sql =
        QStringLiteral("DELETE FROM %1 WHERE %2")
            .arg(Engine::quoteIdentifier(m_baseTable), where.join(QStringLiteral(" AND ")));
    if (engine.execute(sql, params) == 0)
        throw DbError(QStringLiteral("无法为删除定位行。一些值可能已在最后一次读取后已更改。"));
    m_deleted[size_t(rowId)] = true;
    removeRowFromViews(rowId);
}

}  // namespace tavi::db
