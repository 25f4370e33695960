#include "DbKindSql.h"

#include "Session.h"

namespace tavi {

QString IdColumnDdl()
{
    return session().SysInfo.DbType != 0 ? QStringLiteral("id int IDENTITY (1, 1) PRIMARY KEY")
                                         : QStringLiteral("id counter PRIMARY KEY");
}

QString MemoColumnDdl(const QString &name)
{
    return session().SysInfo.DbType != 0 ? name + QStringLiteral(" varchar(4000)")
                                         : name + QStringLiteral(" Text");
}

QString BoolFieldTrue(const QString &name)
{
    return session().SysInfo.DbType != 0 ? name + QStringLiteral("=1") : name;
}

}  // namespace tavi
