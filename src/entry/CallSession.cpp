#include "CallSession.h"

#include "ConnectDatabase.h"
#include "SessionSettings.h"
#include "UpgradeReportTables.h"
#include "services/OpenQuery.h"
#include "services/SqlQuote.h"
#include "services/SysInfo.h"
#include "services/Tdm.h"

namespace tavi {

CallSession::CallSession(int dbType, const QString &userName, const QString &officeName)
    : m_dbType(dbType)
{
    SysInfo.CnParamTable = 1;
    SysInfo.CentreStyle = 1;
    SysInfo.UserName = userName;
    SysInfo.OfficeName = officeName;
    dm = new Tdm;
    SysInfo.DbType = dbType;
}

CallSession::~CallSession()
{
    dm->adoConn.close();
    delete dm;
    dm = nullptr;
}

bool CallSession::open()
{
    if (!ConnectDatabase(m_dbType))
        return false;
    UpgradeReportTables();
    LoadSessionSettings();
    return true;
}

std::pair<int, int> CallSession::findReport(const QString &title)
{
    OpenQuery(dm->qryTemp,
              QStringLiteral("select * from reportlist where title=") + quotedStr(title));
    if (!dm->qryTemp.isOpen() || dm->qryTemp.isEmpty())
        return {0, 0};
    return {int(dm->qryTemp.asInteger(QStringLiteral("id"))),
            int(dm->qryTemp.asInteger(QStringLiteral("type")))};
}

}  // namespace tavi
