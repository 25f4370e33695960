#pragma once

#include <QStringList>

namespace tavi::app {

/// `tavireport sql [--create] [--odbc] DATABASE STATEMENT…`: runs statements on a database
/// through the data access layer and prints the rows of each query as a table.
int runSqlCommand(const QStringList &args);

}  // namespace tavi::app
