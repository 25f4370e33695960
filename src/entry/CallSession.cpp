#include "CallSession.h"

#include "ConnectDatabase.h"
#include "SessionSettings.h"
#include "UpgradeReportTables.h"
#include "services/Session.h"
#include "services/Tdm.h"

namespace tavi {

CallSession::CallSession(int dbType, const QString &userName, const QString &officeName)
    : m_dbType(dbType)
{
    session().SysInfo.CnParamTable = 1;
    session().SysInfo.CentreStyle = 1;
    session().SysInfo.UserName = userName;
    session().SysInfo.OfficeName = officeName;
    m_dm = std::make_unique<Tdm>();
    session().dm = m_dm.get();
    session().SysInfo.DbType = dbType;
}

CallSession::~CallSession()
{
    m_dm->adoConn.close();
    session().dm = nullptr;
}

bool CallSession::open()
{
    if (!ConnectDatabase(m_dbType))
        return false;
    UpgradeReportTables();
    LoadSessionSettings();
    return true;
}

}  // namespace tavi
