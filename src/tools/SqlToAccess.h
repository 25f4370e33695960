#pragma once

#include <QString>

namespace tavi {

/// Rewrites the SQL Server expressions of a report statement (getdate, cast to varchar, isnull,
/// dateadd/datediff by day) into their Access spelling. Only code is rewritten: string literals,
/// quoted and bracketed names, comments and dates pass through as written. Throws
/// ConversionError when a rewrite would read past the end of the statement.
QString ConvertSqlToAcc(const QString &sql);

}  // namespace tavi
