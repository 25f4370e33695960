#pragma once

#include "SqlLexer.h"

#include <QString>

namespace tavi {

/// Why a text given as a search condition (a host's pre-filter) is not one condition: a second
/// statement, an unterminated literal, name or comment, unbalanced parentheses, or a clause
/// (select, from, union, order by, …) outside parentheses. Empty when it is one condition.
QString sqlConditionError(const QString &condition, SqlDialect dialect = SqlDialect::Jet);

}  // namespace tavi
