#include "ReportQuery.h"

#include "services/Messages.h"
#include "services/OpenQuery.h"
#include "services/SysInfo.h"
#include "services/Tdm.h"
#include "services/db/DbError.h"
#include "tools/ConversionError.h"
#include "tools/SqlCondition.h"
#include "tools/SqlToAccess.h"

#include <cmath>

namespace tavi {

ReportQuery::ReportQuery(const ReportDefinition &definition, const ParameterValues &values,
                         const QString &modeArg, const QString &preFilter)
    : m_def(definition), m_values(values), m_modeArg(modeArg), m_preFilter(preFilter)
{}

void ReportQuery::setCrossTable(int dateListKind, bool dependsOnRange)
{
    m_listKind = dateListKind;
    m_dependsOnRange = dependsOnRange;
}

bool ReportQuery::isMultiSelection() const
{
    return m_def.type == 2 && m_modeArg != QLatin1String("NONULTI");
}

bool ReportQuery::checkRangeLimits() const
{
    const std::optional<DateRange> range = m_values.panelDateRange();
    if (!m_dependsOnRange || !range)
        return true;
    const double days = std::fabs(double(range->from.msecsTo(range->to)) / 86400000.0);
    if (m_listKind == 0 && std::trunc(days) > 31) {
        MsgInfo(nullptr, QStringLiteral("查询时间间隔不能超过31天"));
        return false;
    }
    if (m_listKind == 1 && std::trunc(days / 30.4375) > 12) {
        MsgInfo(nullptr, QStringLiteral("查询时间间隔不能超过12个月"));
        return false;
    }
    if (m_listKind == 2 && std::trunc(days / 365.25) > 5) {
        MsgInfo(nullptr, QStringLiteral("查询时间间隔不能超过5年"));
        return false;
    }
    return true;
}

bool ReportQuery::run(db::Recordset &result, std::vector<bool> *selectionFlags)
{
    if (m_def.sql.trimmed().isEmpty()) {
        MsgInfo(nullptr, QStringLiteral("报表“%1”没有查询语句，查询没有执行。").arg(m_def.title));
        return false;
    }
    const QString badFilter = sqlConditionError(
        m_preFilter, SysInfo.DbType == 0 ? SqlDialect::Jet : SqlDialect::TransactSql);
    if (!badFilter.isEmpty()) {
        MsgInfo(nullptr, badFilter);
        return false;
    }
    QueryComposer composer(m_def, m_values, m_modeArg);
    composer.setCategory(m_category);
    QString s = composer.ComposeSql();
    m_conditionText = composer.ConditionText();
    m_summary = composer.summaryBarText();
    if (s.isEmpty())
        return false;
    m_composed = s;

    std::vector<bool> freshFlags;
    const bool copySelection = isMultiSelection() && selectionFlags;
    if (copySelection) {
        db::Recordset copy(&dm->adoConn);
        OpenQuery(copy, s);
        freshFlags.assign(copy.isOpen() ? size_t(copy.recordCount()) : 0, false);
    }

    try {
        if (SysInfo.DbType == 0)
            s = ConvertSqlToAcc(s);
    } catch (const ConversionError &e) {
        result.close();
        MsgInfo(nullptr, e.message());
        return false;
    }
    QString rowFilter;
    if (!m_preFilter.isEmpty()) {
        if (m_preFilter.toUpper().contains(QLatin1String(" IN ")))
            s += QStringLiteral(" and ") + m_preFilter;
        else
            rowFilter = m_preFilter;
    }
    m_final = s;
    // Fetched apart first, so a cancelled run leaves the rows the user was looking at.
    std::unique_ptr<db::ResultTable> rows;
    try {
        rows = dm->adoConn.engine().query(s);
    } catch (const db::CancelledError &) {
        return false;
    } catch (const db::DbError &e) {
        result.close();
        MsgInfo(nullptr, e.message());
        return false;
    }
    if (copySelection)
        *selectionFlags = std::move(freshFlags);
    result.close();
    result.setSql(s);
    result.open(std::move(rows));
    try {
        if (!rowFilter.isEmpty())
            result.setFilter(rowFilter);
    } catch (const db::DbError &e) {
        result.close();
        MsgInfo(nullptr, e.message());
        return false;
    }
    return true;
}

}  // namespace tavi
