#pragma once

struct sqlite3;

namespace tavi::db {

/// Registers the Jet (Access) SQL functions on a SQLite connection, so that statements written
/// for Access run unchanged: now, date, time, iif, jet_isnull (the adapter renames isnull),
/// nz, dateadd, datediff, datepart, year, month, day, hour, minute, second, weekday,
/// jet_left / jet_right (renamed left / right), mid, len, trim, ltrim, rtrim, ucase, lcase,
/// instr, format, cstr, cint, clng, cdbl, int, fix, val, cdate, datevalue, dateserial.
/// Date-times are the texts "yyyy-MM-dd HH:mm:ss"; "today" and "now" come from the clock.
/// Returns false and leaves a message in `error` when SQLite refuses a registration.
bool registerJetFunctions(sqlite3 *db);

}  // namespace tavi::db
