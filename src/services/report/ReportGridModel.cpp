#include "ReportGridModel.h"

#include "services/Session.h"
#include "services/Tdm.h"
#include "tools/DisplayFormat.h"

#include <algorithm>
#include <numeric>

namespace tavi {

namespace {

bool isIntegerValue(const QVariant &v)
{
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

}  // namespace

ReportGridModel::ReportGridModel(db::Recordset *recordset, QObject *parent)
    : QAbstractTableModel(parent), m_recordset(recordset)
{
    connect(m_recordset, &db::Recordset::reset, this, &ReportGridModel::recordsetReset);
    connect(m_recordset, &db::Recordset::rowChanged, this, &ReportGridModel::recordsetRowChanged);
    connect(m_recordset, &db::Recordset::rowAboutToBeInserted, this,
            [this](int row) { beginInsertRows(QModelIndex(), row, row); });
    connect(m_recordset, &db::Recordset::rowInserted, this, [this] {
        endInsertRows();
        invalidateFooters();
    });
    connect(m_recordset, &db::Recordset::rowAboutToBeRemoved, this,
            [this](int row) { beginRemoveRows(QModelIndex(), row, row); });
    connect(m_recordset, &db::Recordset::rowRemoved, this, [this] {
        endRemoveRows();
        invalidateFooters();
    });
    m_table = m_recordset->table();
}

void ReportGridModel::setColumns(const QList<ReportColumn> &columns, bool twoLevelTitles)
{
    beginResetModel();
    m_columns = columns;
    m_twoLevelTitles = twoLevelTitles;
    m_sortColumn = -1;
    m_sortOrder = Qt::AscendingOrder;
    resolveFields();
    invalidateFooters();
    endResetModel();
}

void ReportGridModel::resolveFields()
{
    m_fieldIndex.assign(size_t(m_columns.size()), -1);
    m_formats.clear();
    m_lookupTables.clear();
    for (const ReportColumn &c : m_columns) {
        m_formats.emplace_back(c.displayFormat);
        m_lookupTables.push_back(c.lookup ? &m_lookups.table(c.lookupTemplate) : nullptr);
    }
    if (!m_recordset->isOpen())
        return;
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (!m_columns[i].field.isEmpty())
            m_fieldIndex[size_t(i)] = m_recordset->fieldIndex(m_columns[i].field);
    }
}

void ReportGridModel::invalidateFooters()
{
    m_footers.assign(size_t(m_columns.size()), std::nullopt);
    Q_EMIT footerChanged();
}

void ReportGridModel::recordsetReset()
{
    beginResetModel();
    if (m_recordset->table() != m_table || !m_recordset->isOpen()) {
        m_table = m_recordset->table();
        m_lookups.clear();
        m_sortColumn = -1;
        m_sortOrder = Qt::AscendingOrder;
    }
    resolveFields();
    invalidateFooters();
    endResetModel();
}

void ReportGridModel::recordsetRowChanged(int row)
{
    if (row >= 0 && row < rowCount() && !m_columns.isEmpty())
        Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
    invalidateFooters();
}

std::pair<int, int> ReportGridModel::upperTitleSpan(int column) const
{
    if (column < 0 || column >= m_columns.size())
        return {column, 0};
    const QString &upper = m_columns[column].upperTitle;
    if (!m_twoLevelTitles || upper.isEmpty())
        return {column, 1};
    int first = column;
    while (first > 0 && m_columns[first - 1].upperTitle == upper)
        --first;
    int last = column;
    while (last + 1 < m_columns.size() && m_columns[last + 1].upperTitle == upper)
        ++last;
    return {first, last - first + 1};
}

int ReportGridModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_recordset->isOpen())
        return 0;
    return m_recordset->recordCount();
}

int ReportGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString ReportGridModel::cellText(int row, int column) const
{
    const int field = m_fieldIndex[size_t(column)];
    if (field < 0)
        return QString();
    if (LookupCache::Table *table = m_lookupTables[size_t(column)]) {
        // Ids stored as integers skip the variant a cell's value would be read into.
        const db::ResultTable *result = m_recordset->table();
        if (result && field < result->columnCount()) {
            const db::ColumnData &stored = result->column(field);
            const int id = m_recordset->rowIdAt(row);
            if (stored.storage() == db::ColumnData::Storage::Int &&
                stored.kind() != db::FieldKind::Boolean && id < stored.size()) {
                if (stored.isNull(id))
                    return QString();
                return m_lookups.numberText(*table, stored.intAt(id));
            }
        }
        return m_lookups.LookupFieldText(*table, m_recordset->valueAt(row, field));
    }
    const QVariant value = m_recordset->valueAt(row, field);
    return m_formats[size_t(column)].text(value);
}

QVariant ReportGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return QVariant();
    const ReportColumn &c = m_columns[index.column()];
    const int field = m_fieldIndex[size_t(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        if (c.checkColumn)
            return QVariant();
        return cellText(index.row(), index.column());
    case Qt::CheckStateRole:
        if (!c.checkColumn || field < 0)
            return QVariant();
        return m_recordset->valueAt(index.row(), field).toBool() ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole: {
        if (c.checkColumn)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        const bool right =
            !c.lookup && field >= 0 && db::isNumericKind(m_recordset->field(field).kind);
        return QVariant::fromValue(
            Qt::Alignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    }
    default:
        return QVariant();
    }
}

bool ReportGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= rowCount() ||
        index.column() >= columnCount() || !m_columns[index.column()].checkColumn)
        return false;
    const int field = m_fieldIndex[size_t(index.column())];
    if (field < 0)
        return false;
    const int current = m_recordset->bookmark();
    if (!m_recordset->setPosition(index.row()))
        return false;
    bool written = true;
    try {
        m_recordset->setValue(field, value.toInt() == Qt::Checked);
    } catch (const std::exception &) {
        written = false;
    }
    if (current >= 0)
        m_recordset->gotoBookmark(current);
    return written;
}

Qt::ItemFlags ReportGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_columns[index.column()].checkColumn)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant ReportGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return QAbstractTableModel::headerData(section, orientation, role);
    const ReportColumn &c = m_columns[section];
    switch (role) {
    case Qt::DisplayRole:
    case LowerTitleRole:
        return c.lowerTitle;
    case UpperTitleRole:
        return c.upperTitle;
    case Qt::ToolTipRole:
        // A narrow column cuts its title; the tip shows it whole.
        if (c.checkColumn)
            return QVariant();
        return c.upperTitle.isEmpty() ? c.lowerTitle
                                      : c.upperTitle + QLatin1Char('\n') + c.lowerTitle;
    case Qt::TextAlignmentRole:
        if (c.checkColumn)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
        return QVariant();
    default:
        return QVariant();
    }
}

bool ReportGridModel::moveColumns(const QModelIndex &sourceParent, int sourceColumn, int count,
                                  const QModelIndex &destinationParent, int destinationChild)
{
    const int n = int(m_columns.size());
    if (sourceParent.isValid() || destinationParent.isValid() || count <= 0 || sourceColumn < 0 ||
        sourceColumn + count > n || destinationChild < 0 || destinationChild > n)
        return false;
    if (!beginMoveColumns(sourceParent, sourceColumn, sourceColumn + count - 1, destinationParent,
                          destinationChild))
        return false;
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    const int target =
        destinationChild > sourceColumn ? destinationChild - count : destinationChild;
    const QList<ReportColumn> moved = m_columns.mid(sourceColumn, count);
    const std::vector<int> movedOrder(order.begin() + sourceColumn,
                                      order.begin() + sourceColumn + count);
    m_columns.remove(sourceColumn, count);
    order.erase(order.begin() + sourceColumn, order.begin() + sourceColumn + count);
    for (int i = 0; i < count; ++i) {
        m_columns.insert(target + i, moved[i]);
        order.insert(order.begin() + target + i, movedOrder[size_t(i)]);
    }
    if (m_sortColumn >= 0)
        m_sortColumn = int(std::find(order.begin(), order.end(), m_sortColumn) - order.begin());
    resolveFields();
    m_footers.assign(size_t(n), std::nullopt);
    endMoveColumns();
    Q_EMIT footerChanged();
    return true;
}

QString ReportGridModel::footerText(int column) const
{
    if (column < 0 || column >= m_columns.size() || !m_recordset->isOpen())
        return QString();
    std::optional<QString> &cached = m_footers[size_t(column)];
    if (!cached)
        cached = computeFooter(column);
    return *cached;
}

QModelIndex ReportGridModel::findNext(const QString &text, const QModelIndex &after,
                                      bool upwards) const
{
    const qint64 columns = columnCount();
    const qint64 cells = qint64(rowCount()) * columns;
    if (text.isEmpty() || cells == 0)
        return QModelIndex();
    const qint64 step = upwards ? -1 : 1;
    const qint64 start = after.isValid() ? after.row() * columns + after.column() + step
                         : upwards       ? cells - 1
                                         : 0;
    for (qint64 i = 0; i < cells; ++i) {
        const qint64 cell = ((start + step * i) % cells + cells) % cells;
        const int row = int(cell / columns);
        const int column = int(cell % columns);
        if (!m_columns[column].checkColumn &&
            cellText(row, column).contains(text, Qt::CaseInsensitive))
            return index(row, column);
    }
    return QModelIndex();
}

QString ReportGridModel::computeFooter(int column) const
{
    const ReportColumn &c = m_columns[column];
    const QVariant total = footerValue(column);
    if (!total.isValid())
        return QString();
    if (c.footer == ReportColumn::Footer::Count)
        return DisplayFormat::format(total, QStringLiteral("共计#条记录"));
    return m_formats[size_t(column)].text(total);
}

QVariant ReportGridModel::footerValue(int column) const
{
    if (column < 0 || column >= m_columns.size() || !m_recordset->isOpen())
        return QVariant();
    const ReportColumn &c = m_columns[column];
    switch (c.footer) {
    case ReportColumn::Footer::None:
        return QVariant();
    case ReportColumn::Footer::Count:
        return qint64(m_recordset->recordCount());
    case ReportColumn::Footer::Sum:
        break;
    }
    const int field = m_fieldIndex[size_t(column)];
    const int rows = m_recordset->recordCount();
    const db::ResultTable *table = m_recordset->table();
    const db::ColumnData *stored =
        field >= 0 && table && field < table->columnCount() ? &table->column(field) : nullptr;
    qint64 whole = 0;
    double total = 0;
    bool fractional = false;
    // Numbers are read straight from their storage, in the rows' shown order (the order a
    // floating-point sum depends on).
    if (stored && stored->storage() == db::ColumnData::Storage::Int &&
        stored->kind() != db::FieldKind::Boolean) {
        for (int row = 0; row < rows; ++row) {
            const int id = m_recordset->rowIdAt(row);
            if (id < stored->size() && !stored->isNull(id))
                whole += stored->intAt(id);
        }
    } else if (stored && stored->storage() == db::ColumnData::Storage::Double) {
        for (int row = 0; row < rows; ++row) {
            const int id = m_recordset->rowIdAt(row);
            if (id < stored->size() && !stored->isNull(id)) {
                total += stored->doubleAt(id);
                fractional = true;
            }
        }
    } else {
        for (int row = 0; field >= 0 && row < rows; ++row) {
            const QVariant v = m_recordset->valueAt(row, field);
            if (!v.isValid() || v.isNull())
                continue;
            if (isIntegerValue(v)) {
                whole += v.toLongLong();
                continue;
            }
            bool ok = false;
            const double d = v.metaType().id() == QMetaType::QString
                                 ? v.toString().trimmed().toDouble(&ok)
                                 : v.toDouble(&ok);
            if (ok) {
                total += d;
                fractional = true;
            }
        }
    }
    return fractional ? QVariant(total + double(whole)) : QVariant(whole);
}

QVariant ReportGridModel::cellValue(int row, int column) const
{
    const int field = column >= 0 && column < m_columns.size() ? m_fieldIndex[size_t(column)] : -1;
    return field < 0 ? QVariant() : m_recordset->valueAt(row, field);
}

std::optional<db::FieldKind> ReportGridModel::fieldKind(int column) const
{
    const int field = column >= 0 && column < m_columns.size() ? m_fieldIndex[size_t(column)] : -1;
    if (field < 0)
        return std::nullopt;
    return m_recordset->field(field).kind;
}

void ReportGridModel::sort(int column, Qt::SortOrder order)
{
    applySort(column, order);
}

bool ReportGridModel::applySort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= m_columns.size() || !m_columns[column].sortable() ||
        !m_recordset->isOpen())
        return false;
    const ReportColumn &c = m_columns[column];
    // A lookup column shows names for ids: its rows go in the order of what it shows.
    db::Recordset::SortKey key;
    if (LookupCache::Table *table = m_lookupTables[size_t(column)])
        key = [this, table](const QVariant &value) -> QVariant {
            return m_lookups.LookupFieldText(*table, value);
        };
    try {
        m_recordset->setSort(c.field, order == Qt::DescendingOrder, std::move(key));
    } catch (const std::exception &) {
        return false;
    }
    m_sortColumn = column;
    m_sortOrder = order;
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    return true;
}

bool ReportGridModel::toggleSort(int column)
{
    if (column < 0 || column >= m_columns.size() || !m_columns[column].sortable())
        return false;
    const Qt::SortOrder order = column == m_sortColumn && m_sortOrder == Qt::AscendingOrder
                                    ? Qt::DescendingOrder
                                    : Qt::AscendingOrder;
    return applySort(column, order);
}

void ReportGridModel::checksChanged()
{
    for (qsizetype c = 0; c < m_columns.size(); ++c) {
        if (m_columns[c].checkColumn && rowCount() > 0)
            Q_EMIT dataChanged(index(0, int(c)), index(rowCount() - 1, int(c)),
                               {Qt::CheckStateRole});
    }
}

void ReportGridModel::setColumnWidth(int column, int width)
{
    if (column < 0 || column >= m_columns.size() || m_columns[column].width == width)
        return;
    m_columns[column].width = width;
    if (!m_templateReport)
        m_layoutChanged = true;
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

QList<ReportStore::LayoutColumn> ReportGridModel::layout() const
{
    QList<ReportStore::LayoutColumn> columns;
    for (const ReportColumn &c : m_columns)
        columns << ReportStore::LayoutColumn{c.field, c.width};
    return columns;
}

}  // namespace tavi
