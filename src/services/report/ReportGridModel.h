#pragma once

#include "LookupCache.h"
#include "ReportColumn.h"
#include "ReportStore.h"
#include "services/db/Recordset.h"
#include "tools/DisplayFormat.h"

#include <QAbstractTableModel>
#include <QList>
#include <optional>
#include <utility>
#include <vector>

namespace tavi {

/// The result grid without its widget: the report's columns over the runner's result set, with
/// formatted cells, two-level titles, footers, title sorting, the tick column of
/// multi-selection lists and the column layout.
class ReportGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Role
    {
        /// Title part before "|" with two-level titles; empty for one level.
        UpperTitleRole = Qt::UserRole + 1,
        /// Title line right above the cells.
        LowerTitleRole,
    };

    explicit ReportGridModel(db::Recordset *recordset, QObject *parent = nullptr);

    /// Replaces the columns; `twoLevelTitles` is the report's ",1" flag.
    void setColumns(const QList<ReportColumn> &columns, bool twoLevelTitles);
    const QList<ReportColumn> &columns() const { return m_columns; }
    const ReportColumn &column(int index) const { return m_columns[index]; }
    bool twoLevelTitles() const { return m_twoLevelTitles; }
    /// First column and number of adjacent columns sharing the upper title cell of a column.
    std::pair<int, int> upperTitleSpan(int column) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool moveColumns(const QModelIndex &sourceParent, int sourceColumn, int count,
                     const QModelIndex &destinationParent, int destinationChild) override;

    /// Footer text of a column: its total, the row count, or nothing.
    QString footerText(int column) const;
    /// The footer's value before formatting: the total, the row count, or invalid for none.
    QVariant footerValue(int column) const;
    /// The stored value of a cell (invalid when the result lacks the column's field).
    QVariant cellValue(int row, int column) const;
    /// Kind of the result field a column shows; nothing when the result lacks it.
    std::optional<db::FieldKind> fieldKind(int column) const;

    /// The nearest cell after `after` in reading order (before it when `upwards`) whose shown
    /// text contains `text`, letter case ignored. The search wraps past the last (first) cell and
    /// ends with `after` itself; with `after` invalid it starts at the first (last) cell. Invalid
    /// when no cell holds the text.
    QModelIndex findNext(const QString &text, const QModelIndex &after, bool upwards = false) const;
    /// The result set the rows come from (its current record is the grid's current row).
    db::Recordset *recordset() const { return m_recordset; }

    /// Orders the rows by a column's field without running the statement again; a sort the
    /// result set refuses leaves order and marker as they were.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;
    /// A title click: a new column starts ascending, the same one flips. False when nothing
    /// was sorted.
    bool toggleSort(int column);
    /// Column of the sort marker; -1 when none.
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }

    /// Tells the views that the ticks changed outside the grid ("全选", "全否").
    void checksChanged();

    /// Template reports keep no layout.
    void setTemplateReport(bool templateReport) { m_templateReport = templateReport; }
    /// A width the user gave a column; marks the layout changed.
    void setColumnWidth(int column, int width);
    /// The user changed widths since the flag was last cleared.
    bool LayoutChanged() const { return m_layoutChanged; }
    void setLayoutChanged(bool changed) { m_layoutChanged = changed; }
    /// Widths and display order of the columns, for the store to keep.
    QList<ReportStore::LayoutColumn> layout() const;

    /// The shown texts of the lookup columns in this run.
    const LookupCache &lookups() const { return m_lookups; }

Q_SIGNALS:
    /// Footer texts may have changed (rows, values, order of columns).
    void footerChanged();

private:
    void recordsetReset();
    void recordsetRowChanged(int row);
    void resolveFields();
    bool applySort(int column, Qt::SortOrder order);
    QString cellText(int row, int column) const;
    QString computeFooter(int column) const;
    void invalidateFooters();

    db::Recordset *m_recordset;
    QList<ReportColumn> m_columns;
    bool m_twoLevelTitles = false;
    mutable LookupCache m_lookups;
    // Result column of each grid column; -1 when the result lacks its field.
    std::vector<int> m_fieldIndex;
    // Per grid column, read once for all its cells: the display pattern and, for a lookup
    // column, its table of texts (null otherwise).
    std::vector<DisplayFormat> m_formats;
    std::vector<LookupCache::Table *> m_lookupTables;
    // The rows of one run: a new table means new data, so lookups start afresh.
    const db::ResultTable *m_table = nullptr;
    mutable std::vector<std::optional<QString>> m_footers;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    bool m_templateReport = false;
    bool m_layoutChanged = false;
};

}  // namespace tavi
