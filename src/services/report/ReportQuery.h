#pragma once

#include "ParameterValues.h"
#include "QueryComposer.h"
#include "ReportDefinition.h"
#include "services/db/Recordset.h"

#include <QString>
#include <vector>

namespace tavi {

/// The steps of a report run that need no window: the range limits of date-list cross
/// tables, composition, the selection copy, the conversion for the local engine, the
/// pre-filter, and execution into the result set.
class ReportQuery
{
public:
    ReportQuery(const ReportDefinition &definition, const ParameterValues &values,
                const QString &modeArg, const QString &preFilter);

    /// The date-list kind of the cross-table columns (0 day, 1 month, 2 year, -1 none) and
    /// whether they depend on the panel's date range, as the column builder found them.
    void setCrossTable(int dateListKind, bool dependsOnRange);
    void setCategory(const QueryComposer::Category &category) { m_category = category; }

    /// False, after the message, when the panel's range is longer than the list kind allows.
    bool checkRangeLimits() const;

    /// Composes and runs the report into the result set. False when nothing ran (the reason
    /// has been shown); a failing statement shows the database's text and leaves the result
    /// set closed; a cancelled one leaves the previous rows. `selectionFlags`, when given, receives
    /// one unticked flag per row of the selection copy of a multi-selection list.
    bool run(db::Recordset &result, std::vector<bool> *selectionFlags = nullptr);

    /// The composed statement of the last run, before conversion (the test panel shows it).
    const QString &composedSql() const { return m_composed; }
    /// The statement handed to the database in the last run.
    const QString &finalSql() const { return m_final; }
    const QString &conditionText() const { return m_conditionText; }
    const QString &summaryBarText() const { return m_summary; }

    /// True for a multi-selection list: type 2 without "NONULTI".
    bool isMultiSelection() const;

private:
    const ReportDefinition &m_def;
    const ParameterValues &m_values;
    QString m_modeArg;
    QString m_preFilter;
    int m_listKind = -1;
    bool m_dependsOnRange = false;
    QueryComposer::Category m_category;
    QString m_composed;
    QString m_final;
    QString m_conditionText;
    QString m_summary;
};

}  // namespace tavi
