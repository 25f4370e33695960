#pragma once

struct sqlite3;

namespace tavi::db {

/// Registers the Jet (Access) SQL functions on a SQLite connection, so that statements written
/// for Access run unchanged: now, date() and time() without arguments, jet_isnull (the adapter
/// renames isnull), nz, dateadd, datediff, datepart, year, month, day, hour, minute, second,
/// weekday, dateserial, datevalue, cdate, jet_left / jet_right (renamed left / right), mid, len,
/// ucase, lcase, instr, strcomp, space, string, cstr, cint, clng, cdbl, cbool, int, fix, val and
/// format. SQLite's own iif, trim, ltrim, rtrim and replace already behave as Access's.
/// Date-times are the texts "yyyy-MM-dd HH:mm:ss"; "today" and "now" come from the clock.
/// Returns false when SQLite refuses a registration.
bool registerJetFunctions(sqlite3 *db);

}  // namespace tavi::db
