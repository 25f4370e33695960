#include "ConnectDatabase.h"

#include "HostPaths.h"
#include "services/Messages.h"
#include "services/OpenQuery.h"
#include "services/Session.h"
#include "services/Settings.h"
#include "services/SqlQuote.h"
#include "services/Tdm.h"
#include "services/crypto/SettingCipher.h"
#include "services/db/DbError.h"

#include <QDir>

namespace tavi {

namespace {

const char *const kConnectFailed = "数据库连接失败！请确认您的配置正确或与软件供应商联系";

// An ODBC attribute value, braced when it holds characters that would end it.
QString odbcValue(const QString &value)
{
    if (!value.contains(u';') && !value.contains(u'{') && !value.contains(u'}') &&
        !value.startsWith(u' ') && !value.endsWith(u' '))
        return value;
    QString v = value;
    v.replace(QLatin1String("}"), QLatin1String("}}"));
    return QLatin1Char('{') + v + QLatin1Char('}');
}

// The fixed text, then what the engine said, so an administrator can see the cause.
QString failureText(const db::DbError &e)
{
    return QString::fromUtf8(kConnectFailed) + QStringLiteral("\n\n") + e.message();
}

struct ServerSettings
{
    QString server, database, user, password;
};

void openServer(const ServerSettings &s)
{
    session().dm->adoConn.close();
    session().dm->adoConn.openServer(
        ServerConnectionString(s.server, s.database, s.user, s.password));
}

}  // namespace

QString ServerConnectionString(const QString &server, const QString &database, const QString &user,
                               const QString &password)
{
    QString host = server.trimmed();
    QString port;
    const qsizetype comma = host.indexOf(u',');
    if (comma >= 0) {
        port = host.mid(comma + 1).trimmed();
        host = host.left(comma).trimmed();
    }
    QString s = QStringLiteral("DRIVER=FreeTDS;Server=") + odbcValue(host);
    if (!port.isEmpty())
        s += QStringLiteral(";Port=") + odbcValue(port);
    s += QStringLiteral(";Database=") + odbcValue(database) +
         QStringLiteral(";TDS_Version=7.4;ClientCharset=UTF-8;UID=") + odbcValue(user) +
         QStringLiteral(";PWD=") + odbcValue(password);
    return s;
}

QString LocalDatabasePath(const QString &appPath, const QString &accDbName)
{
    QString name = accDbName.trimmed();
    name.replace(u'\\', u'/');
    if (name.isEmpty())
        name = QStringLiteral("pelto.mdb");
    return QDir::cleanPath(QDir(appPath).filePath(name));
}

bool ConnectDatabase(int dbType)
{
    session().SysInfo.AppPath = hostDirectory();
    session().SysInfo.IniFileName = session().SysInfo.AppPath + QStringLiteral("Setting.ini");
    try {
        if (dbType != 0) {
            const QString fm = QStringLiteral("FrmMain");
            ServerSettings s{ReadSetting(fm, QStringLiteral("StrDbServer"), QString()),
                             ReadSetting(fm, QStringLiteral("StrDbName"), QString()),
                             ReadSetting(fm, QStringLiteral("StrDbUser"), QString()),
                             ReadSetting(fm, QStringLiteral("StrDbPsw"), QString())};
            if (ReadSetting(fm, QStringLiteral("DZT"), QStringLiteral("0")) == QLatin1String("1") &&
                session().SysInfo.CnParamTable == 1) {
                try {
                    openServer(s);
                } catch (const db::DbError &e) {
                    MsgInfo(nullptr, failureText(e));
                }
                OpenQuery(session().dm->qryTemp,
                          QStringLiteral("select * from dzt a, 管理员 b where a.id=b.ztid and "
                                         "b.用户名=") +
                              quotedStr(session().SysInfo.UserName));
                if (session().dm->qryTemp.isOpen() && !session().dm->qryTemp.isEmpty()) {
                    s = {session().dm->qryTemp.asString(QStringLiteral("dbserver")),
                         session().dm->qryTemp.asString(QStringLiteral("dbname")),
                         session().dm->qryTemp.asString(QStringLiteral("dbuser")),
                         session().dm->qryTemp.asString(QStringLiteral("dbpsw"))};
                }
            }
            openServer(s);
        } else {
            const QString name =
                ReadSetting(QStringLiteral("Db"), QStringLiteral("AccDbName"), QString());
            // Access files carried a password; a SQLite file has none, so it is read and not
            // used, and a text that does not decrypt must not stop the call.
            try {
                (void)DecryptSettingText(
                    ReadSetting(QStringLiteral("Db"), QStringLiteral("AccDbPsw"), QString()));
            } catch (const std::exception &) {
            }
            session().dm->adoConn.close();
            session().dm->adoConn.openLocal(LocalDatabasePath(session().SysInfo.AppPath, name));
        }
        return true;
    } catch (const db::DbError &e) {
        MsgInfo(nullptr, failureText(e));
        return false;
    }
}

}  // namespace tavi
