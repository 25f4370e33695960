#pragma once

#include "ReportDefinition.h"

namespace tavi {

/// Reads report definitions through the data module's connection.
class ReportLoader
{
public:
    /// The `ReportList` row of a report; `found` is false when there is none.
    static ReportDefinition loadReport(int reportId);
    /// Parameters of a report selected by a condition on the kind, in "sort, CSValue" order,
    /// read with the given statement.
    static QList<ReportParam> loadParams(const QString &sql);
};

}  // namespace tavi
