#pragma once

#include <QString>

namespace tavi {

/// Display formats in a spreadsheet's number-format language, so a workbook shows a column as
/// the grid does while its cells stay numbers and dates.
class ExcelNumberFormat
{
public:
    /// The spreadsheet format of a display format: a date-time pattern when `dateTime`, else a
    /// number pattern; "@" (text) for an empty pattern.
    static QString fromDisplayFormat(const QString &pattern, bool dateTime);
};

}  // namespace tavi
