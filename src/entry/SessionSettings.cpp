#include "SessionSettings.h"

#include "services/Session.h"
#include "services/Settings.h"
#include "services/SysParams.h"
#include "services/Tdm.h"
#include "services/TextRoutines.h"

namespace tavi {

void LoadSessionSettings()
{
    session().SysInfo.CnParamTable = session().dm->TableExists(QStringLiteral("系统设置")) ? 1 : 0;
    session().SysInfo.SalesWord = ReadSysParam(QStringLiteral("UserInfo.sSXZDY"), QString());
    session().GInt_BBT1 =
        StrToIntSafe(ReadSysParam(QStringLiteral("GInt_BBT1"), QStringLiteral("0")), 0);
    session().GInt_BBT2 =
        StrToIntSafe(ReadSysParam(QStringLiteral("GInt_BBT2"), QStringLiteral("0")), 0);
    // A row this library created holds no value; without the defaults every period would then
    // start and end at midnight.
    session().GDt_BBT1 = ReadSysParam(QStringLiteral("GDt_BBT1"), QStringLiteral("00:00"));
    if (session().GDt_BBT1.trimmed().isEmpty())
        session().GDt_BBT1 = QStringLiteral("00:00");
    session().GDt_BBT2 = ReadSysParam(QStringLiteral("GDt_BBT2"), QStringLiteral("23:59"));
    if (session().GDt_BBT2.trimmed().isEmpty())
        session().GDt_BBT2 = QStringLiteral("23:59");
    session().SysInfo.DesKey = ReadSetting(QStringLiteral("Main"), QStringLiteral("DesFlag"),
                                           QStringLiteral("0")) == QLatin1String("3")
                                   ? QStringLiteral("rmavel_quostin_ad")
                                   : QStringLiteral("Hb7$Kq2&Mw9%P");
}

}  // namespace tavi
