#pragma once

#include <QString>

namespace tavi {

/// The host's name for a parameter table or column: 系统设置/项目 instead of XTCS/CSMC when the
/// host uses the Chinese table.
QString SysParamName(const QString &name);
/// Value of a host system parameter; a missing row is created and gives Default; any error
/// gives empty text.
QString ReadSysParam(const QString &name, const QString &defaultValue);

}  // namespace tavi
