#pragma once

#include <QString>

namespace tavi {

/// Fills `SysInfo.AppPath` and `SysInfo.IniFileName`, reads the connection settings and opens
/// `dm->adoConn`. False, after telling the user, when the database cannot be opened.
bool ConnectDatabase(int dbType);

/// The ODBC connection string for SQL Server through FreeTDS. Server may be "host",
/// "host,port" or "host\instance".
QString ServerConnectionString(const QString &server, const QString &database, const QString &user,
                               const QString &password);

/// The local database file named by AccDbName (default "pelto.mdb"), relative to `AppPath`.
QString LocalDatabasePath(const QString &appPath, const QString &accDbName);

}  // namespace tavi
