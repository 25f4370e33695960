#pragma once

#include "ReportDefinition.h"

#include <QDateTime>
#include <optional>

namespace tavi {

/// A from-to pair of date-times.
struct DateRange
{
    QDateTime from;
    QDateTime to;
};

/// Where composition reads what the user entered for each parameter: the query panel is one
/// source, the command line another.
class ParameterValues
{
public:
    virtual ~ParameterValues() = default;

    /// The text of a text box ("文本型", "按钮文本框", "数字型"), untrimmed; for a "按钮文本框"
    /// whose list was chosen from, the chosen ids.
    virtual QString text(const ReportParam &param) const = 0;
    /// What the box shows, for the condition summary: the chosen names of a "按钮文本框".
    virtual QString shownText(const ReportParam &param) const { return text(param); }
    /// The chosen item of a drop-down or radio list: index (-1 when none) and its text.
    virtual int itemIndex(const ReportParam &param) const = 0;
    virtual QString itemText(const ReportParam &param) const = 0;
    /// The tick of a check box.
    virtual bool checked(const ReportParam &param) const = 0;
    /// The date of a "日期型" parameter.
    virtual std::optional<QDate> date(const ReportParam &param) const = 0;
    /// The range of a "日期组合框" / "日期组合框2"; none when the to-field is missing.
    virtual std::optional<DateRange> dateRange(const ReportParam &param) const = 0;
    /// The panel's date range for cross-table date lists (its first date combo), if any.
    virtual std::optional<DateRange> panelDateRange() const = 0;
    /// True while a "日期组合框2" suspends the business-day settings (whole days).
    virtual bool businessDayOverride() const = 0;
    /// The caption of a parameter's label as shown, ending in "：".
    virtual QString labelCaption(const ReportParam &param) const;
};

}  // namespace tavi
