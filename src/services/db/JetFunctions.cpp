#include "JetFunctions.h"

#include "JetFunctionFamilies.h"

#include <sqlite3.h>

namespace tavi::db {

bool registerJetFunctions(sqlite3 *db)
{
    for (const auto family : {jet::dateFunctions(), jet::textFunctions(), jet::formatFunctions()}) {
        for (const jet::Function &f : family) {
            const int flags =
                SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS : 0);
            if (sqlite3_create_function_v2(db, f.name, f.argCount, flags,
                                           const_cast<char *>(f.shownName), f.call, nullptr,
                                           nullptr, nullptr) != SQLITE_OK)
                return false;
        }
    }
    return true;
}

}  // namespace tavi::db
