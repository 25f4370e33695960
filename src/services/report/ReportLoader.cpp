#include "ReportLoader.h"

#include "services/OpenQuery.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/TextRoutines.h"

#include <QDir>

namespace tavi {

ReportDefinition ReportLoader::loadReport(int reportId)
{
    ReportDefinition def;
    def.id = reportId;
    db::Recordset query(&session().dm->adoConn);
    OpenQuery(query,
              QStringLiteral("select * from ReportList where ID=") + QString::number(reportId));
    if (!query.isOpen() || query.isEmpty())
        return def;
    const auto text = [&query](const char *name) {
        const QString n = QLatin1String(name);
        return query.hasField(n) ? query.asString(n) : QString();
    };
    def.found = true;
    def.sql = text("sSql");
    def.flags = text("CsList").trimmed();
    def.title = text("title");
    def.type =
        query.hasField(QStringLiteral("Type")) ? int(query.asInteger(QStringLiteral("Type"))) : 0;
    def.addReportName = text("AddReportName").trimmed();
    def.baseTable = TableNameFromSql(def.sql);
    def.templatePath =
        QDir(session().SysInfo.AppPath + QStringLiteral("Report")).filePath(text("MXReportName"));
    return def;
}

QList<ReportParam> ReportLoader::loadParams(const QString &sql)
{
    QList<ReportParam> params;
    db::Recordset query(&session().dm->adoConn);
    OpenQuery(query, sql);
    if (!query.isOpen())
        return params;
    const auto text = [&query](const char *name) {
        const QString n = QLatin1String(name);
        return query.hasField(n) ? query.asString(n) : QString();
    };
    for (query.first(); !query.eof(); query.next()) {
        ReportParam p;
        p.id = int(query.asInteger(QStringLiteral("id")));
        p.csValue = text("CSValue");
        p.csName = text("CSName");
        p.cslx = text("CSLX");
        p.csDefault = text("CSDefault");
        p.csList = text("CSList");
        p.csSql = text("CSSql");
        p.sort = query.hasField(QStringLiteral("sort"))
                     ? int(query.asInteger(QStringLiteral("sort")))
                     : 0;
        params << p;
    }
    return params;
}

}  // namespace tavi
