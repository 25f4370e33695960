#pragma once

#include "BusinessDayOverride.h"
#include "ParameterValues.h"

#include <vector>

namespace tavi {

/// Parameter values given on the command line (NAME=VALUE), starting from the defaults the query
/// panel would show. While it exists, a "日期组合框2" parameter suspends the business-day
/// settings, as an open runner window does.
class CommandLineValues : public ParameterValues
{
public:
    /// The panel's parameters, in panel order.
    explicit CommandLineValues(const QList<ReportParam> &params);
    ~CommandLineValues() override;
    CommandLineValues(const CommandLineValues &) = delete;
    CommandLineValues &operator=(const CommandLineValues &) = delete;

    /// Applies one "NAME=VALUE": NAME is the caption without its colon or the placeholder.
    /// False with a message for an unknown name or a value the parameter cannot take.
    bool set(const QString &assignment, QString *error);

    QString text(const ReportParam &param) const override;
    int itemIndex(const ReportParam &param) const override;
    QString itemText(const ReportParam &param) const override;
    bool checked(const ReportParam &param) const override;
    std::optional<QDate> date(const ReportParam &param) const override;
    std::optional<DateRange> dateRange(const ReportParam &param) const override;
    std::optional<DateRange> panelDateRange() const override;
    bool businessDayOverride() const override { return m_override.isSet(); }

private:
    struct Entry
    {
        ReportParam param;
        QString text;
        QStringList items;
        int index = -1;
        bool checked = false;
        std::optional<QDate> date;
        std::optional<DateRange> range;
    };
    const Entry *find(const ReportParam &param) const;
    bool parseRange(const Entry &entry, const QString &value, DateRange *range) const;

    std::vector<Entry> m_entries;
    int m_rangeEntry = -1;
    BusinessDayOverride m_override;
};

}  // namespace tavi
