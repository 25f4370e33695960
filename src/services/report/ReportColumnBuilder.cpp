#include "ReportColumnBuilder.h"

#include "ReportStore.h"
#include "services/SqlMacros.h"

namespace tavi {

ReportColumnBuilder::ReportColumnBuilder(const ReportStore &store, ListSource lists)
    : m_store(store), m_lists(std::move(lists))
{}

QList<ReportColumnDef> ReportColumnBuilder::crossTableColumns(
    const ReportDefinition &def, const std::optional<DateRange> &panelRange)
{
    const QList<ReportParam> params =
        m_store.params(def.id, ReportStore::ParamSet::CrossTables, &m_error);
    QList<ReportStore::CrossTableList> lists;
    for (const ReportParam &param : params) {
        QString list = ExtractListSql(param.csList);
        if (param.csList.contains(QLatin1String("[:")) && panelRange) {
            m_dateListKind = DateListKind(param.csList);
            list = BuildDateListSql(param.csList, panelRange->from, panelRange->to);
            m_dependsOnDateRange = true;
        }
        if (list.isEmpty() || !m_lists)
            continue;
        ReportStore::CrossTableList columns;
        columns.templateField = params.size() == 1
                                    ? QStringLiteral("[交叉表列]")
                                    : QStringLiteral("[交叉表列") + param.csValue + u']';
        for (const ListValue &value : m_lists(list))
            columns.values << value.text;
        lists << columns;
    }
    return m_store.shownColumns(def.id, lists, &m_error);
}

QList<ReportColumn> ReportColumnBuilder::build(const ReportDefinition &def, bool multiSelection,
                                               const std::optional<DateRange> &panelRange)
{
    m_dateListKind = -1;
    m_dependsOnDateRange = false;
    m_error.clear();
    const QList<ReportColumnDef> defs = def.hasCrossTables()
                                            ? crossTableColumns(def, panelRange)
                                            : m_store.shownColumns(def.id, &m_error);
    QList<ReportColumn> columns;
    if (multiSelection)
        columns << ReportColumn::selectionColumn();
    for (const ReportColumnDef &d : defs)
        columns << ReportColumn::fromDefinition(d, def.twoLevelTitles());
    assignFooters(columns);
    return columns;
}

void ReportColumnBuilder::assignFooters(QList<ReportColumn> &columns)
{
    bool counted = false;
    for (ReportColumn &c : columns) {
        if (c.checkColumn) {
            c.footer = ReportColumn::Footer::None;
        } else if (c.totalled) {
            c.footer = ReportColumn::Footer::Sum;
        } else if (!counted) {
            c.footer = ReportColumn::Footer::Count;
            counted = true;
        } else {
            c.footer = ReportColumn::Footer::None;
        }
    }
}

}  // namespace tavi
