#pragma once

#include "db/Recordset.h"

#include <QString>

namespace tavi {

/// Opens a definition-driven text on a query: converted for the local engine first, and every
/// error (of the conversion or of the database) swallowed, leaving the query closed.
void OpenQuery(db::Recordset &query, const QString &sql);

}  // namespace tavi
