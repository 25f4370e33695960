#pragma once

#include <QDateTime>
#include <stdexcept>

namespace tavi {

/// A business-day time setting that is no time of day.
class PeriodError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// First moment of a named period (0 自选 … 10 上年), shifted by the business-day settings.
/// Throws `PeriodError` when `GDt_BBT1` is no time of day.
QDateTime PeriodStart(int kind);
/// Last moment of a named period, shifted by the business-day settings.
/// Throws `PeriodError` when `GDt_BBT2` is no time of day.
QDateTime PeriodEnd(int kind);
/// The two literals after "between" for the session's database kind.
QString DateRangeSql(bool withTime, const QDateTime &start, const QDateTime &end);
/// 1 first / 2 last day of the month, 3 first / 4 last day of the year, with Date's time.
QDateTime CalendarBound(int kind, const QDateTime &date);

}  // namespace tavi
