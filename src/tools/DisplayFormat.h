#pragma once

#include "DateTimePattern.h"
#include "NumberPattern.h"

#include <QString>
#include <QVariant>

namespace tavi {

/// Display formats of report columns, shared by the grid, footers, printouts and the Excel
/// export. Number patterns: 0, #, ",", ".", literal characters (Chinese too), quoted literals
/// and up to three ";" sections (positive; negative; zero). Date-time patterns: yyyy, yy, mm/m,
/// dd/d, hh/h, nn/n, ss/s ("mm" after an hour is minutes) and literal characters.
class DisplayFormat
{
public:
    /// Reads a pattern once, for a column of values.
    explicit DisplayFormat(const QString &pattern = QString());

    /// The shown text of a value under this pattern, as the static `format` gives it.
    QString text(const QVariant &value) const;
    /// The shown text of a value; an empty pattern, or one that cannot be read, shows the value
    /// unformatted. NULL shows as empty text.
    static QString format(const QVariant &value, const QString &pattern);
    /// The unformatted text of a value (numbers in their shortest form, dates as
    /// "yyyy-MM-dd HH:mm:ss", or "yyyy-MM-dd" at midnight).
    static QString plain(const QVariant &value);

private:
    bool m_empty = true;
    NumberPattern m_number;
    DateTimePattern m_dateTime;
};

}  // namespace tavi
