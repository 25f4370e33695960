#pragma once

#include "ColumnInfo.h"
#include "ResultTable.h"

#include <QObject>
#include <QVariant>
#include <functional>
#include <memory>
#include <vector>

namespace tavi::db {

class Connection;
class RowFilter;

/// A row's place in a recordset's sort: an order-preserving key of its first sort value.
struct SortItem
{
    uint64_t key;
    int row;
    bool wholeKey;  // the key is the value's whole sort key: equal keys, equal values
};

/// A client-side, fully fetched result set over one statement.
///
/// Navigation, bookmarks, sort and filter work on the fetched rows without asking the database
/// again. Rows of a statement that selects from one table can be appended, edited and deleted;
/// a post writes the change through to that table by its key column `id` (or, without one, by
/// every original value). Views follow through the signals.
class Recordset : public QObject
{
    Q_OBJECT

public:
    enum class State
    {
        Closed,
        Browse,
        Edit,
        Insert
    };

    /// Reads the value of a calculated column for a stored row.
    using CalcGetter = std::function<bool(const Recordset &, int rowId)>;
    /// Stores a value written to a calculated column.
    using CalcSetter = std::function<void(Recordset &, int rowId, bool value)>;

    explicit Recordset(QObject *parent = nullptr);
    Recordset(Connection *connection, QObject *parent = nullptr);
    ~Recordset() override;

    void setConnection(Connection *connection) { m_connection = connection; }
    Connection *connection() const { return m_connection; }
    void setSql(const QString &sql) { m_sql = sql; }
    const QString &sql() const { return m_sql; }

    /// Runs the statement and fetches every row; throws `DbError` and stays closed on failure.
    void open();
    /// Opens over a result fetched elsewhere (tests, package copies).
    void open(std::unique_ptr<ResultTable> table);
    void close();
    bool isOpen() const { return m_state != State::Closed; }
    State state() const { return m_state; }

    /// Columns, including calculated columns after the statement's own.
    int fieldCount() const;
    const ColumnInfo &field(int index) const;
    /// Column number by name, letter case ignored; -1 when absent.
    int fieldIndex(const QString &name) const;
    bool hasField(const QString &name) const { return fieldIndex(name) >= 0; }
    QStringList fieldNames() const;

    /// Rows visible under the current filter.
    int recordCount() const { return int(m_order.size()); }
    bool isEmpty() const { return m_order.empty(); }
    bool bof() const { return m_order.empty() || m_pos < 0; }
    bool eof() const { return m_order.empty() || m_pos >= int(m_order.size()); }
    void first();
    void next();
    void prior();
    void last();
    /// Zero-based position among the visible rows; -1 before the first or when empty.
    int position() const { return eof() || bof() ? -1 : m_pos; }
    /// Moves to a visible row; false (position unchanged) when out of range.
    bool setPosition(int index);

    /// Identity of the current row that survives sorting and filtering; -1 when none.
    int bookmark() const;
    /// Makes the row of a bookmark current; false when it is hidden or gone.
    bool gotoBookmark(int bookmark);
    /// Stored row number of a visible row.
    int rowIdAt(int index) const { return m_order[size_t(index)]; }

    /// Value of a column in the current row: an invalid QVariant for NULL. Throws `DbError`
    /// for an unknown column or when there is no current row.
    QVariant value(const QString &name) const;
    QVariant value(int column) const;
    /// Value of any visible row (for views).
    QVariant valueAt(int index, int column) const;
    /// Typed readers of the current row: NULL reads as empty text, 0, false or an invalid date.
    QString asString(const QString &name) const;
    qint64 asInteger(const QString &name) const;
    double asFloat(const QString &name) const;
    bool asBool(const QString &name) const;
    QDateTime asDateTime(const QString &name) const;
    static QString textOf(const QVariant &value);

    /// "field ASC" / "field DESC", several separated by commas; empty restores fetch order.
    /// Stable; NULL sorts first ascending. Throws `DbError` for an unknown column.
    void setSort(const QString &sort);
    const QString &sort() const { return m_sortText; }
    /// Reads what a stored value sorts by, where the value itself would give the wrong order.
    using SortKey = std::function<QVariant(const QVariant &value)>;
    /// Orders the rows by one column through `key` of its values (a lookup column by the text
    /// it shows), with the rules of `setSort`; `sort()` then reads "field ASC|DESC".
    void setSort(const QString &field, bool descending, SortKey key);

    /// A filter in the ADO recordset syntax; empty shows every row. An invalid filter throws
    /// `DbError` and leaves the rows as they were.
    void setFilter(const QString &filter);
    const QString &filter() const { return m_filterText; }

    /// Adds a boolean column after the statement's columns, valued per row by `getter`.
    int addCalculatedField(const QString &name, CalcGetter getter, CalcSetter setter = {});

    /// Starts a new row at the end; post writes it to the base table.
    void append();
    /// Starts changing the current row.
    void edit();
    /// Sets a value of the current row, starting an edit when browsing.
    void setValue(const QString &name, const QVariant &value);
    void setValue(int column, const QVariant &value);
    /// Writes the pending append or edit through to the base table; throws `DbError` and stays
    /// in the edit state when the database refuses it.
    void post();
    /// Discards a pending append or edit.
    void cancel();
    /// Deletes the current row from the base table and from the result.
    void deleteRow();

    /// The one table writes go to, from the statement and the column origins.
    QString baseTable() const;

    const ResultTable *table() const { return m_table.get(); }

Q_SIGNALS:
    /// Rows, columns, order or visibility changed as a whole.
    void reset();
    void rowChanged(int index);
    /// A row is about to appear at `index` (views prepare for it), then has appeared.
    void rowAboutToBeInserted(int index);
    void rowInserted(int index);
    /// The row at `index` is about to leave the view, then has left it.
    void rowAboutToBeRemoved(int index);
    void rowRemoved(int index);
    void currentChanged(int index);

private:
    struct Calculated
    {
        CalcGetter getter;
        CalcSetter setter;
    };

    void requireCurrent() const;
    int currentRowId() const;
    QVariant storedValue(int rowId, int column) const;
    void rebuildOrder();
    void applyFilter(const RowFilter *filter);
    int indexOfRow(int rowId) const;
    void removeRowFromViews(int rowId);
    void resolveBaseColumns();
    QVariantList originalValuesOf(int rowId) const;
    void emitCurrent();

    Connection *m_connection = nullptr;
    QString m_sql;
    std::unique_ptr<ResultTable> m_table;
    std::vector<Calculated> m_calculated;
    std::vector<ColumnInfo> m_calculatedInfo;

    std::vector<int> m_sorted;  // live rows in sort order
    std::vector<int> m_order;   // visible rows: m_sorted through the filter
    std::vector<bool> m_deleted;
    int m_pos = -1;
    State m_state = State::Closed;

    QString m_sortText;
    std::vector<std::pair<int, bool>> m_sortKeys;  // column, descending
    SortKey m_sortKey;                             // of the one column, when set
    // Kept between sorts, so sorting again does not allocate.
    std::vector<SortItem> m_sortItems;
    std::vector<SortItem> m_sortSpare;
    QString m_filterText;
    std::unique_ptr<RowFilter> m_filter;

    // Pending change.
    int m_editRow = -1;
    QVariantList m_saved;
    std::vector<bool> m_changed;

    // Writable columns of the base table: result column -> table column name.
    bool m_baseResolved = false;
    QString m_baseTable;
    std::vector<QString> m_baseColumn;
    int m_keyColumn = -1;
    int m_autoColumn = -1;
};

}  // namespace tavi::db
