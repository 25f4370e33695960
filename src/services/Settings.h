#pragma once

#include <QString>

namespace tavi {

/// One value of the settings file at `SysInfo.IniFileName`; Default when the file, section or
/// key is missing or the file cannot be read.
QString ReadSetting(const QString &section, const QString &key, const QString &defaultValue);

}  // namespace tavi
