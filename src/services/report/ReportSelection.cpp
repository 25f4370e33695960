#include "ReportSelection.h"

#include <QStringList>
#include <algorithm>
#include <utility>

namespace tavi {

void ReportSelection::attach(db::Recordset &result)
{
    result.addCalculatedField(
        QStringLiteral("FieldSel"),
        [this](const db::Recordset &, int rowId) { return isTicked(rowId); },
        [this](db::Recordset &, int rowId, bool value) { setTicked(rowId, value); });
}

bool ReportSelection::isTicked(int rowId) const
{
    return rowId >= 0 && size_t(rowId) < m_flags.size() && m_flags[size_t(rowId)];
}

void ReportSelection::setTicked(int rowId, bool ticked)
{
    if (rowId < 0)
        return;
    // A row the selection copy did not see (appended later) still takes a tick.
    if (size_t(rowId) >= m_flags.size())
        m_flags.resize(size_t(rowId) + 1, false);
    m_flags[size_t(rowId)] = ticked;
}

void ReportSelection::setAll(bool ticked)
{
    std::fill(m_flags.begin(), m_flags.end(), ticked);
}

std::vector<int> ReportSelection::chosenRows(const db::Recordset &result, bool multiSelection,
                                             int currentRow) const
{
    if (!result.isOpen() || result.isEmpty())
        return {};
    if (multiSelection) {
        // Ticked rows in the order the statement returned them: by stored row number.
        std::vector<std::pair<int, int>> ticked;
        for (int i = 0; i < result.recordCount(); ++i) {
            const int rowId = result.rowIdAt(i);
            if (isTicked(rowId))
                ticked.emplace_back(rowId, i);
        }
        if (!ticked.empty()) {
            std::sort(ticked.begin(), ticked.end());
            std::vector<int> rows;
            for (const auto &t : ticked)
                rows.push_back(t.second);
            return rows;
        }
    }
    return {currentRow >= 0 && currentRow < result.recordCount() ? currentRow : 0};
}

QString ReportSelection::resultText(const db::Recordset &result, bool multiSelection,
                                    int currentRow) const
{
    const int idColumn = result.isOpen() ? result.fieldIndex(QStringLiteral("id")) : -1;
    if (idColumn < 0)
        return QString();
    QStringList ids;
    for (int row : chosenRows(result, multiSelection, currentRow))
        ids << db::Recordset::textOf(result.valueAt(row, idColumn));
    return ids.join(QLatin1Char(','));
}

}  // namespace tavi
