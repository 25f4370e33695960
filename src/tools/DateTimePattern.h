#pragma once

#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>

namespace tavi {

/// Date-time display patterns, letters in any case: yyyy/yy, m/mm (minutes right after an hour
/// or right before seconds; mmm and mmmm month names), d/dd (ddd and dddd weekday names), h/hh,
/// n/nn, s/ss, z/zzz, AM/PM, a/p and ampm, quoted and plain literals.
class DateTimePattern
{
public:
    /// Reads a pattern once, for a column of values.
    explicit DateTimePattern(const QString &pattern = QString());
    ~DateTimePattern();
    DateTimePattern(const DateTimePattern &) = default;
    DateTimePattern &operator=(const DateTimePattern &) = default;

    /// The shown text of a moment under this pattern, as the static `format` gives it.
    std::optional<QString> format(const QDateTime &moment) const;
    /// The shown text of a moment; nothing when the pattern holds no date or time letter.
    static std::optional<QString> format(const QDateTime &moment, const QString &pattern);

private:
    struct Tokens;
    std::shared_ptr<const Tokens> m_tokens;
};

}  // namespace tavi
