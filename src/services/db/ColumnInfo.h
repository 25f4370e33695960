#pragma once

#include "FieldKind.h"

#include <QString>

namespace tavi::db {

/// Description of one result column.
struct ColumnInfo
{
    QString name;
    FieldKind kind = FieldKind::Text;
    /// The database numbers this column itself (counter / IDENTITY / AUTOINCREMENT).
    bool autoIncrement = false;
    /// Table and column the value comes from; empty for computed columns or when unknown.
    QString baseTable;
    QString baseColumn;
    /// Added by the recordset after the statement's own columns; never written to the table.
    bool calculated = false;
};

}  // namespace tavi::db
