#pragma once

#include <QString>

namespace tavi {

/// Creates a new, empty local database file; false (with " 文件存在!" after the name) when
/// the file exists, false without a message when it cannot be created.
bool CreateAccessDatabase(const QString &fileName);

}  // namespace tavi
