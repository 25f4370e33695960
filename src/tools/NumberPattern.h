#pragma once

#include <QString>
#include <QVariant>
#include <memory>
#include <optional>

namespace tavi {

/// Number display patterns: 0 and # placeholders, "," for thousands, "." for the decimal point,
/// E+/E- exponents, quoted and plain literals, and up to three ";" sections (positive; negative;
/// zero).
class NumberPattern
{
public:
    /// Reads a pattern once, for a column of values.
    explicit NumberPattern(const QString &pattern = QString());
    ~NumberPattern();
    NumberPattern(const NumberPattern &) = default;
    NumberPattern &operator=(const NumberPattern &) = default;

    /// The shown text of a number under this pattern, as the static `format` gives it.
    std::optional<QString> format(const QVariant &value) const;
    /// The shown text of a number (an integer, a double or a text holding a decimal number);
    /// nothing when the value is no number or the pattern holds no digit placeholder.
    static std::optional<QString> format(const QVariant &value, const QString &pattern);

private:
    struct Sections;
    std::shared_ptr<const Sections> m_sections;
};

}  // namespace tavi
