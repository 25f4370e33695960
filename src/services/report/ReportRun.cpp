#include "ReportRun.h"

#include "ReportColumnBuilder.h"
#include "services/OpenQuery.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/db/DbError.h"
#include "services/db/Recordset.h"
#include "tools/ConversionError.h"
#include "tools/SqlCondition.h"
#include "tools/SqlToAccess.h"

#include <cmath>

namespace tavi {

ReportRun::ReportRun(Session &session, const ReportDefinition &definition,
                     const ParameterValues &values, const QString &modeArg,
                     const QString &preFilter)
    : m_session(session),
      m_store(session),
      m_def(definition),
      m_values(values),
      m_modeArg(modeArg),
      m_preFilter(preFilter)
{
    if (m_def.found)
        m_params = m_store.params(m_def.id, ReportStore::ParamSet::All);
}

bool ReportRun::isMultiSelection() const
{
    return m_def.type() == ReportType::InformationSelection &&
           m_modeArg != QLatin1String("NONULTI");
}

const QList<ReportColumn> &ReportRun::buildColumns()
{
    db::Connection &connection = m_session.dm->adoConn;
    ReportColumnBuilder builder(
        m_store, [&connection](const QString &sql) { return readListValues(connection, sql); });
    m_columns = builder.build(m_def, isMultiSelection(), m_values.panelDateRange());
    m_error =
        builder.error().isEmpty()
            ? QString()
            : QStringLiteral("读取报表“%1”的列设置时出错：").arg(m_def.title) + builder.error();
    m_listKind = builder.dateListKind();
    m_dependsOnRange = builder.dependsOnDateRange();
    return m_columns;
}

bool ReportRun::prepare(bool *rebuilt)
{
    if (rebuilt)
        *rebuilt = false;
    m_error.clear();
    const std::optional<DateRange> range = m_values.panelDateRange();
    if (!m_dependsOnRange || !range)
        return true;
    const double days = std::fabs(double(range->from.msecsTo(range->to)) / 86400000.0);
    if (m_listKind == 0 && std::trunc(days) > 31)
        m_error = QStringLiteral("查询时间间隔不能超过31天");
    else if (m_listKind == 1 && std::trunc(days / 30.4375) > 12)
        m_error = QStringLiteral("查询时间间隔不能超过12个月");
    else if (m_listKind == 2 && std::trunc(days / 365.25) > 5)
        m_error = QStringLiteral("查询时间间隔不能超过5年");
    if (!m_error.isEmpty())
        return false;
    buildColumns();
    if (rebuilt)
        *rebuilt = true;
    return m_error.isEmpty();
}

ReportRun::Outcome ReportRun::run(db::Recordset &result)
{
    m_error.clear();
    m_composed.clear();
    m_final.clear();
    if (!m_def.found) {
        m_error = QStringLiteral("找不到报表相关配置！");
        return Outcome::Failed;
    }
    if (m_def.sql.trimmed().isEmpty()) {
        m_error = QStringLiteral("报表“%1”没有查询语句，查询没有执行。").arg(m_def.title);
        return Outcome::Failed;
    }
    m_error = sqlConditionError(m_preFilter, m_session.SysInfo.DbType == 0
                                                 ? SqlDialect::Jet
                                                 : SqlDialect::TransactSql);
    if (!m_error.isEmpty())
        return Outcome::Failed;
    db::Connection &connection = m_session.dm->adoConn;
    QueryComposer composer(m_def, m_params, m_values, m_modeArg, [&connection](const QString &sql) {
        return readListValues(connection, sql);
    });
    composer.setCategory(m_category);
    const ComposedQuery composed = composer.ComposeSql();
    m_conditionText = composed.conditionText;
    m_summary = composed.summaryBarText();
    if (!composed.error.isEmpty()) {
        m_error = composed.error;
        return Outcome::Failed;
    }
    QString s = composed.sql;
    m_composed = s;

    std::vector<bool> freshFlags;
    if (isMultiSelection()) {
        db::Recordset copy(&connection);
        OpenQuery(copy, s);
        freshFlags.assign(copy.isOpen() ? size_t(copy.recordCount()) : 0, false);
    }

    try {
        if (m_session.SysInfo.DbType == 0)
            s = ConvertSqlToAcc(s);
    } catch (const ConversionError &e) {
        result.close();
        m_error = e.message();
        return Outcome::Failed;
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
        rows = connection.engine().query(s);
    } catch (const db::CancelledError &) {
        return Outcome::Cancelled;
    } catch (const db::DbError &e) {
        result.close();
        m_error = e.message();
        return Outcome::Failed;
    }
    m_selectionFlags = std::move(freshFlags);
    result.close();
    result.setSql(s);
    result.open(std::move(rows));
    try {
        if (!rowFilter.isEmpty())
            result.setFilter(rowFilter);
    } catch (const db::DbError &e) {
        result.close();
        m_error = e.message();
        return Outcome::Failed;
    }
    return Outcome::Ran;
}

}  // namespace tavi
