#pragma once

#include <QList>
#include <QString>

namespace tavi {

/// The kind of a report (`ReportList.Type`).
enum class ReportType
{
    /// 0: query panel, grid, totals, printing.
    Ordinary,
    /// 1: an ordinary report whose rows are added, changed and deleted through the record editor.
    BaseData,
    /// 2: a compact list from which the host gets the chosen row id(s).
    InformationSelection,
    /// 3: the result rendered through a template file.
    Template,
    /// Any other stored number: shown like an ordinary report, in a window that is not maximised.
    Other,
};

/// The type of a stored `Type` number.
inline ReportType reportTypeOf(int code)
{
    switch (code) {
    case 0:
        return ReportType::Ordinary;
    case 1:
        return ReportType::BaseData;
    case 2:
        return ReportType::InformationSelection;
    case 3:
        return ReportType::Template;
    default:
        return ReportType::Other;
    }
}

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

    bool isCrossTable() const { return cslx == QStringLiteral("交叉表"); }
    bool isCategorySource() const { return cslx == QStringLiteral("分类表"); }
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
    bool isShow = true;
    bool isPrint = true;
    /// `Align` as stored; carried along by copies, not read by the grid.
    int align = 0;
};

/// One editable field of a base-data report (a `ReportEditField` row).
struct ReportEditField
{
    int id = 0;
    QString title;
    QString field;
    QString lx;
    QString fieldValue;
    QString fieldSql;
    QString fieldDefault;
    bool noEmpty = false;
    bool checkExists = false;
    int sortId = 0;
    QString fieldList;
};

/// The definition of one report (a `ReportList` row).
struct ReportDefinition
{
    int id = 0;
    /// False when no `ReportList` row has the id: nothing is ever run.
    bool found = false;
    QString title;
    QString bh;
    /// `lb`, the category.
    int category = 0;
    QString sql;
    QString groupField;
    /// `CsList` as stored (trimmed); read it through the flag accessors.
    QString flags;
    /// `Type` as stored.
    int typeCode = 0;
    QString addReportName;
    /// Type 1: the report whose columns form the editor's detail grid; type 3: the template file.
    QString mxReportName;
    bool favourite = false;
    /// The table rows of a base-data report are written to: the first table after FROM.
    QString baseTable;
    /// Type 3: the template file under the host's "Report" folder.
    QString templatePath;

    ReportType type() const { return reportTypeOf(typeCode); }
    /// ",1": titles "upper|lower" form two header levels.
    bool twoLevelTitles() const { return hasFlag(",1"); }
    /// ",2": no run at opening, and a run needs at least one text condition.
    bool textConditionRequired() const { return hasFlag(",2"); }
    /// ",3": cross-table parameters expand into result columns.
    bool hasCrossTables() const { return hasFlag(",3"); }
    /// ",4": a category tree beside the grid filters the rows.
    bool hasCategoryTree() const { return hasFlag(",4"); }

private:
    bool hasFlag(const char *flag) const { return flags.contains(QLatin1String(flag)); }
};

/// A definition with all its rows, as the wizard writes it and packages carry it.
struct ReportDefinitionRows
{
    ReportDefinition report;
    QList<ReportColumnDef> columns;
    QList<ReportParam> params;
    QList<ReportEditField> editFields;
};

/// One row of `ReportLB`.
struct ReportCategory
{
    int id = 0;
    QString name;
    int orderId = 0;
};

}  // namespace tavi
