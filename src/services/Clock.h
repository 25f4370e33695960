#pragma once

#include <QDateTime>
#include <functional>

namespace tavi {

/// The one source of "now" and "today" for date periods, SQL functions and footers.
/// Tests fix it; production reads the system clock.
class Clock
{
public:
    using Source = std::function<QDateTime()>;

    /// The current local date and time.
    static QDateTime now();
    static QDate today() { return now().date(); }

    /// Replaces the source; an empty function restores the system clock.
    static void setSource(Source source);
    /// Fixes the clock at one moment.
    static void setFixed(const QDateTime &moment);
};

/// Fixes the clock for a scope and restores the system clock after it.
class ScopedClock
{
public:
    explicit ScopedClock(const QDateTime &moment) { Clock::setFixed(moment); }
    ~ScopedClock() { Clock::setSource({}); }
    ScopedClock(const ScopedClock &) = delete;
    ScopedClock &operator=(const ScopedClock &) = delete;
};

}  // namespace tavi
