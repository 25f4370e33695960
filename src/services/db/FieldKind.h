#pragma once

#include <QString>

namespace tavi::db {

/// Kind of a result column, as the grids, formats and package copies distinguish them.
enum class FieldKind
{
    Integer,
    Float,
    Currency,
    Decimal,
    DateTime,
    Text,
    LongText,
    Boolean,
};

/// Kind of a column from its declared SQL type (empty when unknown: the caller decides).
/// Recognises the Jet, SQL Server and SQLite spellings.
bool fieldKindFromDeclaredType(const QString &declaredType, FieldKind *kind);

/// Short lower-case name of a kind, for messages and command output.
QString fieldKindName(FieldKind kind);

/// True for the kinds whose values are numbers.
inline bool isNumericKind(FieldKind kind)
{
    return kind == FieldKind::Integer || kind == FieldKind::Float || kind == FieldKind::Currency ||
           kind == FieldKind::Decimal;
}

}  // namespace tavi::db
