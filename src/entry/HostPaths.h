#pragma once

#include <QString>

namespace tavi {

/// Directory of the host executable, ending in "/". The environment variable TAVI_APP_DIR
/// replaces it, so the `tavireport` command and tests can place Setting.ini and the database.
QString hostDirectory();

}  // namespace tavi
