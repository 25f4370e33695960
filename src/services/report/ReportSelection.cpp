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

QString ReportSelection::resultText(const db::Recordset &result, bool multiSelection,
                                    int currentRow) const
{
    if (!result.isOpen() || result.isEmpty())
        return QString();
    const int idColumn = result.fieldIndex(QStringLiteral("id"));
    if (idColumn < 0)
        return QString();
    if (multiSelection) {
        std::vector<std::pair<int, QString>> ticked;
        for (int i = 0; i < result.recordCount(); ++i) {
            const int rowId = result.rowIdAt(i);
            if (isTicked(rowId))
                ticked.emplace_back(rowId, db::Recordset::textOf(result.valueAt(i, idColumn)));
        }
        if (!ticked.empty()) {
            std::sort(ticked.begin(), ticked.end());
            QStringList ids;
            for (const auto &t : ticked)
                ids << t.second;
            return ids.join(QLatin1Char(','));
        }
    }
    const int row = currentRow >= 0 && currentRow < result.recordCount() ? currentRow : 0;
    return db::Recordset::textOf(result.valueAt(row, idColumn));
}

}  // namespace tavi
