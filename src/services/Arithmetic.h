#pragma once

#include <QString>

namespace tavi {

/// The value of an arithmetic expression as text; an empty value gives empty text.
/// Throws `EvalError` when the value cannot be computed (division by zero, a text that is not a
/// number).
QString EvalArithmetic(const QString &text);

/// The default item of a drop-down parameter: every "[MONTH]" becomes the current month
/// number, and a text holding +, -, * or / is evaluated with `EvalArithmetic`.
QString EvalDefaultValue(const QString &text);

}  // namespace tavi
