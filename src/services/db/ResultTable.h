#pragma once

#include "ColumnData.h"
#include "ColumnInfo.h"

#include <vector>

namespace tavi::db {

/// A fully fetched result: column descriptions and column-wise values. Engines fill it row by
/// row (append a value to every column, then `finishRow`); a recordset owns it afterwards.
class ResultTable
{
public:
    /// A new result reads the time zone afresh for its date-times.
    ResultTable() { ColumnData::rereadTimeZone(); }

    /// Adds a column; only before the first row.
    int addColumn(const ColumnInfo &info);

    int columnCount() const { return int(m_info.size()); }
    int rowCount() const { return m_rows; }

    const ColumnInfo &info(int column) const { return m_info[size_t(column)]; }
    ColumnInfo &info(int column) { return m_info[size_t(column)]; }
    const ColumnData &column(int column) const { return m_columns[size_t(column)]; }
    ColumnData &column(int column) { return m_columns[size_t(column)]; }

    /// Ends the row whose values were just appended to every column.
    void finishRow() { ++m_rows; }
    /// Appends a row of nulls and returns its number.
    int appendEmptyRow();

    /// Column number by name, letter case ignored; -1 when absent.
    int indexOf(const QString &name) const;

    size_t memoryUsage() const;

private:
    std::vector<ColumnInfo> m_info;
    std::vector<ColumnData> m_columns;
    int m_rows = 0;
};

}  // namespace tavi::db
