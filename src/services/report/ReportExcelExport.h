#pragma once

#include <QString>

namespace tavi {

class ReportGridModel;

/// What the result grid shows, as an .xlsx workbook: the titles as stored, one row per record in
/// the grid's order, the footer totals below; each column with its display format in the
/// spreadsheet's format language and its width in characters (pixels / 8). Cells of a formatted
/// column stay numbers and dates; unformatted columns are text, so long digit strings keep
/// every digit.
class ReportExcelExport
{
public:
    explicit ReportExcelExport(const ReportGridModel &model) : m_model(model) {}

    /// Writes the workbook to `fileName`; an existing file is replaced only once the whole
    /// workbook is written, and a failure leaves no file behind. Returns the reason of a
    /// failure, empty on success. The grid's current row does not move.
    QString writeGrid(const QString &fileName) const;

private:
    const ReportGridModel &m_model;
};

}  // namespace tavi
