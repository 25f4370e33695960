#pragma once

#include "ParameterValues.h"
#include "ReportColumn.h"
#include "ReportDefinition.h"

#include <QList>
#include <QString>
#include <optional>

namespace tavi {

/// Builds the columns of a report's result grid from its `ReportField` rows, with the generated
/// columns of cross-table reports.
class ReportColumnBuilder
{
public:
    /// The statement of a report's shown columns in display order.
    static QString columnSql(int reportId);

    /// The column statement of a cross-table report: the ordinary rows plus one row per list
    /// value of each cross-table parameter, bound to Tavi_Field_Tmp00, Tavi_Field_Tmp01, …
    /// Records the date-list kind and whether the columns follow the panel's date range.
    QString BuildFieldSql(int reportId, const std::optional<DateRange> &panelRange);

    /// The whole column set of a report: the tick column first in a multi-selection list, then
    /// the definition's columns with their footers.
    QList<ReportColumn> build(const ReportDefinition &def, bool multiSelection,
                              const std::optional<DateRange> &panelRange);

    /// Columns of the rows of a column statement, in order; none when it fails.
    static QList<ReportColumn> columnsFrom(const QString &sql, bool twoLevelTitles);
    /// Gives the totalled columns their sums and the first other definition column the count.
    static void assignFooters(QList<ReportColumn> &columns);

    /// 0 day, 1 month, 2 year list; -1 when no cross table lists dates of the panel's range.
    int dateListKind() const { return m_dateListKind; }
    bool dependsOnDateRange() const { return m_dependsOnDateRange; }

private:
    int m_dateListKind = -1;
    bool m_dependsOnDateRange = false;
};

}  // namespace tavi
