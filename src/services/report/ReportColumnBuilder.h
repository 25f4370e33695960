#pragma once

#include "ListValues.h"
#include "ParameterValues.h"
#include "ReportColumn.h"
#include "ReportDefinition.h"

#include <QList>
#include <QString>
#include <optional>

namespace tavi {

class ReportStore;

/// Builds the columns of a report's result grid from its stored columns, with the generated
/// columns of cross-table reports.
class ReportColumnBuilder
{
public:
    ReportColumnBuilder(const ReportStore &store, ListSource lists);

    /// The whole column set of a report: the tick column first in a multi-selection list, then
    /// the definition's columns with their footers. Records the date-list kind and whether the
    /// columns follow the panel's date range.
    QList<ReportColumn> build(const ReportDefinition &def, bool multiSelection,
                              const std::optional<DateRange> &panelRange);

    /// Gives the totalled columns their sums and the first other definition column the count.
    static void assignFooters(QList<ReportColumn> &columns);

    /// Why the stored columns could not be read in the last build (the engine's text); empty
    /// when they were.
    const QString &error() const { return m_error; }
    /// 0 day, 1 month, 2 year list; -1 when no cross table lists dates of the panel's range.
    int dateListKind() const { return m_dateListKind; }
    bool dependsOnDateRange() const { return m_dependsOnDateRange; }

private:
    QList<ReportColumnDef> crossTableColumns(const ReportDefinition &def,
                                             const std::optional<DateRange> &panelRange);

    const ReportStore &m_store;
    ListSource m_lists;
    int m_dateListKind = -1;
    bool m_dependsOnDateRange = false;
    QString m_error;
};

}  // namespace tavi
