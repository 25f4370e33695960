// Placeholder until the Jet functions land.
#include "JetFunctions.h"
namespace tavi::db {
bool registerJetFunctions(sqlite3 *) { return true; }
}  // namespace tavi::db
