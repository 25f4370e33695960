#pragma once

#include "services/db/Recordset.h"

#include <QString>
#include <vector>

namespace tavi {

/// The ticks of an information-selection list and the ids it hands back.
///
/// A tick belongs to a fetched row (its stored row number), so sorting or filtering the rows
/// leaves it where it was.
class ReportSelection
{
public:
    /// One flag per fetched row; a run fills them all unticked.
    std::vector<bool> &flags() { return m_flags; }
    const std::vector<bool> &flags() const { return m_flags; }

    /// Adds the boolean column `FieldSel` that reads and writes the ticks.
    void attach(db::Recordset &result);

    bool isTicked(int rowId) const;
    void setTicked(int rowId, bool ticked);
    /// "全选" and "全否".
    void setAll(bool ticked);

    /// The ids of the ticked rows in the order the statement returned them, joined by ","; the
    /// id of the visible row `currentRow` when nothing is ticked or in single selection; empty
    /// for an empty or closed result.
    QString resultText(const db::Recordset &result, bool multiSelection, int currentRow) const;
    /// The visible rows whose ids `resultText` hands back, in the same order.
    std::vector<int> chosenRows(const db::Recordset &result, bool multiSelection,
                                int currentRow) const;

private:
    std::vector<bool> m_flags;
};

}  // namespace tavi
