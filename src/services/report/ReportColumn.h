#pragma once

#include "ReportDefinition.h"

#include <QString>

namespace tavi {

/// One column of the result grid: where its cells come from and how they are shown.
struct ReportColumn
{
    enum class Footer
    {
        None,
        /// Total of the shown rows in the stored format.
        Sum,
        /// Number of shown rows as "共计#条记录".
        Count,
    };

    /// Result field of the cells; a field the result lacks leaves the column empty.
    QString field;
    /// Title as stored.
    QString title;
    /// Two-level titles: the part before "|", empty for a title of one level.
    QString upperTitle;
    /// The title line right above the cells.
    QString lowerTitle;
    int width = 40;
    /// `FieldFormat` as stored.
    QString fieldFormat;
    /// Pattern of the cells; empty for lookup columns.
    QString displayFormat;
    /// The cells show looked-up (or decrypted) text instead of their values.
    bool lookup = false;
    QString lookupTemplate;
    bool totalled = false;
    Footer footer = Footer::None;
    /// The tick column of a multi-selection list.
    bool checkColumn = false;
    int sortId = 0;

    /// A grid column from a definition row; `twoLevelTitles` splits "upper|lower" titles.
    static ReportColumn fromDefinition(const ReportColumnDef &def, bool twoLevelTitles);
    /// The tick column "选择" over the calculated column of the selection flags.
    static ReportColumn selectionColumn();
    /// A title clicked on this column sorts the rows.
    bool sortable() const { return !checkColumn && !field.isEmpty(); }
};

}  // namespace tavi
