#include "OpenQuery.h"

#include "Session.h"
#include "db/DbError.h"
#include "tools/SqlToAccess.h"

namespace tavi {

void OpenQuery(db::Recordset &query, const QString &sql)
{
    query.close();
    try {
        query.setSql(session().SysInfo.DbType == 0 ? ConvertSqlToAcc(sql) : sql);
        query.open();
    } catch (const std::exception &) {
        query.close();
    }
}

}  // namespace tavi
