#pragma once

#include <QString>
#include <QVariant>
#include <optional>

namespace tavi {

/// Number display patterns: 0 and # placeholders, "," for thousands, "." for the decimal point,
/// E+/E- exponents, quoted and plain literals, and up to three ";" sections (positive; negative;
/// zero).
class NumberPattern
{
public:
    /// The shown text of a number (an integer, a double or a text holding a decimal number);
    /// nothing when the value is no number or the pattern holds no digit placeholder.
    static std::optional<QString> format(const QVariant &value, const QString &pattern);
};

}  // namespace tavi
