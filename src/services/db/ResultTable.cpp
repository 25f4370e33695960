#include "ResultTable.h"

namespace tavi::db {

int ResultTable::addColumn(const ColumnInfo &info)
{
    m_info.push_back(info);
    m_columns.emplace_back(info.kind);
    for (int i = 0; i < m_rows; ++i)
        m_columns.back().appendNull();
    return int(m_info.size()) - 1;
}

int ResultTable::appendEmptyRow()
{
    for (ColumnData &c : m_columns)
        c.appendNull();
    return m_rows++;
}

int ResultTable::indexOf(const QString &name) const
{
    for (size_t i = 0; i < m_info.size(); ++i) {
        if (m_info[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

size_t ResultTable::memoryUsage() const
{
    size_t total = 0;
    for (const ColumnData &c : m_columns)
        total += c.memoryUsage();
    return total;
}

}  // namespace tavi::db
