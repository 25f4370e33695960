#pragma once

#include <QString>

namespace tavi {

/// Suspends the business-day settings while a window with a date-only range is open: periods
/// become whole calendar days until the saved settings are put back.
class BusinessDayOverride
{
public:
    BusinessDayOverride() = default;
    /// Puts the settings back if they are still suspended.
    ~BusinessDayOverride();
    BusinessDayOverride(const BusinessDayOverride &) = delete;
    BusinessDayOverride &operator=(const BusinessDayOverride &) = delete;

    /// Saves the current settings and replaces them by whole days; once only.
    void engage();
    /// Puts the saved settings back and clears the override.
    void restore();
    bool isSet() const { return m_set; }

private:
    bool m_set = false;
    int m_bbt1 = 0;
    int m_bbt2 = 0;
    QString m_dt1;
    QString m_dt2;
};

}  // namespace tavi
