#pragma once

#include <QString>

namespace tavi {

/// The session record: what one call knows about its host and database, kept between calls.
struct TSysInfo
{
    /// 1 when the host database has the table 系统设置 (its parameter table names differ).
    int CnParamTable = 0;
    QString OfficeName;
    QString UserName;
    /// Directory of the host executable, ending in a separator.
    QString AppPath;
    /// Key text for encrypted column values.
    QString DesKey;
    /// Replaces the word 销售 in runner captions when not empty.
    QString SalesWord;
    /// `AppPath` + "Setting.ini".
    QString IniFileName;
    /// 0 = local (Access) database, anything else = SQL Server.
    int DbType = 0;
    int CentreStyle = 1;
};

}  // namespace tavi
