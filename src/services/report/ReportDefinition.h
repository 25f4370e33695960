#pragma once

#include <QList>
#include <QString>

namespace tavi {

/// One query parameter of a report (a `ReportCS` row).
struct ReportParam
{
    int id = 0;
    QString csValue;  // placeholder, "{1}"
    QString csName;   // caption
    QString cslx;     // kind
    QString csDefault;
    QString csList;
    QString csSql;  // condition template
    int sort = 0;
};

/// One displayed column of a report (a `ReportField` row, or a generated cross-table column).
struct ReportColumnDef
{
    QString title;
    QString field;
    QString fieldFormat;
    int width = 0;
    bool hjFlag = false;
    int sortId = 0;
};

/// The definition of one report as the runner reads it (a `ReportList` row).
struct ReportDefinition
{
    int id = 0;
    /// False when no `ReportList` row has the id: nothing is ever run.
    bool found = false;
    QString sql;
    /// `CsList`, trimmed: ",1" two-level titles, ",2" a text condition required, ",3" cross
    /// tables, ",4" category tree.
    QString flags;
    QString title;
    int type = 0;
    QString baseTable;
    QString addReportName;
    /// Type 3: the template file under the host's "Report" folder.
    QString templatePath;

    bool hasFlag(const char *flag) const { return flags.contains(QLatin1String(flag)); }
};

}  // namespace tavi
