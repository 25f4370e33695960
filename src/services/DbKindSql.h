#pragma once

#include <QString>

namespace tavi {

/// Key column definition of a new table for the session's database kind.
QString IdColumnDdl();
/// Long text column definition for the session's database kind.
QString MemoColumnDdl(const QString &name);
/// Test of a boolean column for the session's database kind.
QString BoolFieldTrue(const QString &name);

}  // namespace tavi
