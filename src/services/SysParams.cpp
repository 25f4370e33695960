#include "SysParams.h"

#include "Session.h"
#include "SqlQuote.h"
#include "Tdm.h"
#include "db/DbError.h"

namespace tavi {

QString SysParamName(const QString &name)
{
    if (session().SysInfo.CnParamTable == 1) {
        if (name == QLatin1String("XTCS"))
            return QStringLiteral("系统设置");
        if (name == QLatin1String("CSMC"))
            return QStringLiteral("项目");
    }
    return name;
}

QString ReadSysParam(const QString &name, const QString &defaultValue)
{
    if (!session().dm)
        return QString();
    const QString table = SysParamName(QStringLiteral("XTCS"));
    const QString nameColumn = SysParamName(QStringLiteral("CSMC"));
    try {
        db::Recordset query(&session().dm->adoConn);
        query.setSql(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" WHERE ") +
                     nameColumn + QStringLiteral("=") + quotedStr(name));
        query.open();
        if (query.isEmpty()) {
            session().dm->ExecSql(QStringLiteral(" insert into ") + table + QStringLiteral(" (") +
                                  nameColumn + QStringLiteral(") values(") + quotedStr(name) +
                                  QStringLiteral(")"));
            return defaultValue;
        }
        return query.asString(QStringLiteral("ZFCS")).trimmed();
    } catch (const db::DbError &) {
        return QString();
    }
}

}  // namespace tavi
