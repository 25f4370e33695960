#include "ReportColumnBuilder.h"

#include "ReportLoader.h"
#include "services/DbKindSql.h"
#include "services/OpenQuery.h"
#include "services/Session.h"
#include "services/SqlMacros.h"
#include "services/SqlQuote.h"
#include "services/Tdm.h"
#include "services/TextRoutines.h"

namespace tavi {

QString ReportColumnBuilder::columnSql(int reportId)
{
    return QStringLiteral("select * from ReportField where ") +
           BoolFieldTrue(QStringLiteral("isShow")) + QStringLiteral(" and  ReportID=") +
           QString::number(reportId) + QStringLiteral(" order by sortid,id");
}

QString ReportColumnBuilder::BuildFieldSql(int reportId, const std::optional<DateRange> &panelRange)
{
    const QString id = QString::number(reportId);
    const QString shown = BoolFieldTrue(QStringLiteral("isShow"));
    QString s = QStringLiteral(
                    "select title, field, fieldformat, width, HJFlag, SortID from "
                    "ReportField where ") +
                shown + QStringLiteral(" and ReportID=") + id +
                QStringLiteral(" and left(field, 5)<>'[交叉表列'");

    const QList<ReportParam> params = ReportLoader::loadParams(
        QStringLiteral("select * from ReportCS where ReportID=") + id +
        QStringLiteral(" and CSLX='交叉表'") + QStringLiteral(" order by sort, CSValue"));
    int k = 0;
    for (const ReportParam &param : params) {
        QString list = ExtractListSql(param.csList);
        if (param.csList.contains(QLatin1String("[:")) && panelRange) {
            m_dateListKind = DateListKind(param.csList);
            list = BuildDateListSql(param.csList, panelRange->from, panelRange->to);
            m_dependsOnDateRange = true;
        }
        const QString templateField = params.size() == 1
                                          ? QStringLiteral("[交叉表列]")
                                          : QStringLiteral("[交叉表列") + param.csValue + u']';
        if (list.isEmpty())
            continue;
        db::Recordset values(&session().dm->adoConn);
        OpenQuery(values, list);
        if (!values.isOpen())
            continue;
        for (values.first(); !values.eof(); values.next()) {
            s += QStringLiteral(" union select replace(title, '[交叉表列]',") +
                 quotedStr(db::Recordset::textOf(values.value(0))) + QStringLiteral("), ") +
                 quotedStr(QStringLiteral("Tavi_Field_Tmp") + IntToZeroStr(k, 2)) +
                 QStringLiteral(", fieldformat, width, HJFlag, SortID ") +
                 QStringLiteral("from ReportField where ") + shown +
                 QStringLiteral(" and ReportID=") + id + QStringLiteral(" and field='") +
                 templateField + u'\'';
            ++k;
        }
    }
    return s + QStringLiteral(" order by sortid, field");
}

QList<ReportColumn> ReportColumnBuilder::build(const ReportDefinition &def, bool multiSelection,
                                               const std::optional<DateRange> &panelRange)
{
    m_dateListKind = -1;
    m_dependsOnDateRange = false;
    const QString sql = def.hasFlag(",3") ? BuildFieldSql(def.id, panelRange) : columnSql(def.id);
    QList<ReportColumn> columns;
    if (multiSelection)
        columns << ReportColumn::selectionColumn();
    columns << columnsFrom(sql, def.hasFlag(",1"));
    assignFooters(columns);
    return columns;
}

QList<ReportColumn> ReportColumnBuilder::columnsFrom(const QString &sql, bool twoLevelTitles)
{
    QList<ReportColumn> columns;
    db::Recordset rows(&session().dm->adoConn);
    OpenQuery(rows, sql);
    if (!rows.isOpen())
        return columns;
    const auto text = [&rows](const char *name) {
        const QString n = QLatin1String(name);
        return rows.hasField(n) ? rows.asString(n) : QString();
    };
    const auto number = [&rows](const char *name) {
        const QString n = QLatin1String(name);
        return rows.hasField(n) ? int(rows.asInteger(n)) : 0;
    };
    for (rows.first(); !rows.eof(); rows.next()) {
        ReportColumnDef def;
        def.field = text("field");
        def.title = text("title");
        def.fieldFormat = text("FieldFormat");
        def.width = number("Width");
        def.hjFlag =
            rows.hasField(QStringLiteral("HJFlag")) && rows.asBool(QStringLiteral("HJFlag"));
        def.sortId = number("SortID");
        columns << ReportColumn::fromDefinition(def, twoLevelTitles);
    }
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
