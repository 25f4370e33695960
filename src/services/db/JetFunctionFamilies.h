#pragma once

#include "JetValues.h"

#include <span>

namespace tavi::db::jet {

/// now, date(), time(), dateadd, datediff, datepart and its shorthands, dateserial, datevalue,
/// cdate.
std::span<const Function> dateFunctions();
/// isnull, nz, the text functions (left, right, mid, len, case, instr, strcomp, space, string)
/// and the conversions (cstr, cint, clng, cdbl, cbool, int, fix, val).
std::span<const Function> textFunctions();
/// format with date and number patterns and the named formats.
std::span<const Function> formatFunctions();

}  // namespace tavi::db::jet
