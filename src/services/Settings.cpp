#include "Settings.h"

#include "IniFile.h"
#include "SysInfo.h"

namespace tavi {

QString ReadSetting(const QString &section, const QString &key, const QString &defaultValue)
{
    if (SysInfo.IniFileName.isEmpty())
        return defaultValue;
    return IniFile(SysInfo.IniFileName).value(section, key, defaultValue);
}

}  // namespace tavi
