#include "Settings.h"

#include "IniFile.h"
#include "Session.h"

namespace tavi {

QString ReadSetting(const QString &section, const QString &key, const QString &defaultValue)
{
    if (session().SysInfo.IniFileName.isEmpty())
        return defaultValue;
    return IniFile(session().SysInfo.IniFileName).value(section, key, defaultValue);
}

}  // namespace tavi
