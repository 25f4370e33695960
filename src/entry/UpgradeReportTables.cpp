#include "UpgradeReportTables.h"

#include "services/OpenQuery.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/report/ReportSchema.h"

namespace tavi {

void UpgradeReportTables()
{
    Tdm &d = *session().dm;
    for (const ReportSchema::Step &step : ReportSchema::upgradeSteps(session().SysInfo.DbType)) {
        bool missing = false;
        switch (step.test) {
        case ReportSchema::Step::Test::TableMissing:
            missing = !d.TableExists(step.table);
            break;
        case ReportSchema::Step::Test::ColumnMissing:
            missing = !d.FieldExists(step.table, step.column);
            break;
        case ReportSchema::Step::Test::NoCategory:
            OpenQuery(d.qryTemp, ReportSchema::categoryProbe());
            missing = !d.qryTemp.isOpen() || d.qryTemp.isEmpty();
            break;
        }
        if (missing) {
            for (const QString &statement : step.statements)
                d.ExecSql(statement);
        }
    }
}

}  // namespace tavi
