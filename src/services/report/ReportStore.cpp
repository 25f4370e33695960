#include "ReportStore.h"

#include "services/Session.h"
#include "services/Tdm.h"
#include "services/TextRoutines.h"
#include "services/db/Connection.h"
#include "services/db/DbError.h"
#include "services/db/Recordset.h"
#include "services/db/Transaction.h"

#include <QDir>

namespace tavi {

namespace {

QString text(const db::Recordset &rows, const char *name)
{
    const QString n = QLatin1String(name);
    return rows.hasField(n) ? rows.asString(n) : QString();
}

int number(const db::Recordset &rows, const char *name)
{
    const QString n = QLatin1String(name);
    return rows.hasField(n) ? int(rows.asInteger(n)) : 0;
}

bool flag(const db::Recordset &rows, const char *name, bool absent = false)
{
    const QString n = QLatin1String(name);
    if (!rows.hasField(n))
        return absent;
    return !rows.value(n).isNull() && rows.asBool(n);
}

ReportParam paramOf(const db::Recordset &rows)
{
    ReportParam p;
    p.id = number(rows, "id");
    p.csValue = text(rows, "CSValue");
    p.csName = text(rows, "CSName");
    p.cslx = text(rows, "CSLX");
    p.csDefault = text(rows, "CSDefault");
    p.csList = text(rows, "CSList");
    p.csSql = text(rows, "CSSql");
    p.sort = number(rows, "sort");
    return p;
}

ReportEditField editFieldOf(const db::Recordset &rows)
{
    ReportEditField f;
    f.id = number(rows, "id");
    f.title = text(rows, "Title");
    f.field = text(rows, "Field");
    f.lx = text(rows, "LX");
    f.fieldValue = text(rows, "FieldValue");
    f.fieldSql = text(rows, "FieldSql");
    f.fieldDefault = text(rows, "FieldDefault");
    f.noEmpty = flag(rows, "NoEmpty");
    f.checkExists = flag(rows, "CheckExists");
    f.sortId = number(rows, "SortID");
    f.fieldList = text(rows, "FieldList");
    return f;
}

const QString kCrossTableTemplate = QStringLiteral("[交叉表列");

}  // namespace

ReportStore::ReportStore(Session &session)
    : m_connection(session.dm->adoConn),
      m_dbType(session.SysInfo.DbType),
      m_appPath(session.SysInfo.AppPath)
{}

ReportStore::ReportStore(db::Connection &connection, int dbType)
    : m_connection(connection), m_dbType(dbType)
{}

std::unique_ptr<db::Recordset> ReportStore::select(const QString &sql, const QVariantList &params,
                                                   QString *error) const
{
    auto rows = std::make_unique<db::Recordset>(&m_connection);
    try {
        rows->setSql(sql);
        rows->open(m_connection.engine().query(sql, params));
    } catch (const db::DbError &e) {
        if (error)
            *error = e.message();
        return nullptr;
    }
    return rows;
}

QStringList ReportStore::columnsOf(const QString &table) const
{
    const auto rows = select(
        QStringLiteral("select * from ") + table + QStringLiteral(" where 1=0"), {}, nullptr);
    return rows ? rows->fieldNames() : QStringList();
}

QString ReportStore::shownTest() const
{
    // The local engine keeps a true bit at -1, the server at 1.
    return m_dbType != 0 ? QStringLiteral("isShow=1") : QStringLiteral("isShow<>0");
}

QVariant ReportStore::boolValue(bool value) const
{
    return value ? m_connection.engine().trueValue() : 0;
}

ReportDefinition ReportStore::definitionOf(const db::Recordset &rows) const
{
    ReportDefinition def;
    def.id = number(rows, "id");
    def.found = true;
    def.title = text(rows, "title");
    def.bh = text(rows, "BH");
    def.category = number(rows, "lb");
    def.sql = text(rows, "sSql");
    def.groupField = text(rows, "groupfield");
    def.flags = text(rows, "CsList").trimmed();
    def.typeCode = number(rows, "Type");
    def.addReportName = text(rows, "AddReportName").trimmed();
    def.mxReportName = text(rows, "MXReportName");
    def.favourite = number(rows, "fav") == 1;
    def.baseTable = TableNameFromSql(def.sql);
    if (!m_appPath.isEmpty())
        def.templatePath = QDir(m_appPath + QStringLiteral("Report")).filePath(def.mxReportName);
    return def;
}

ReportDefinition ReportStore::load(int reportId, QString *error) const
{
    const auto rows =
        select(QStringLiteral("select * from ReportList where id=?"), {reportId}, error);
    if (rows && !rows->isEmpty())
        return definitionOf(*rows);
    ReportDefinition none;
    none.id = reportId;
    return none;
}

ReportDefinition ReportStore::findByTitle(const QString &title, QString *error) const
{
    const auto rows =
        select(QStringLiteral("select * from ReportList where title=?"), {title}, error);
    return rows && !rows->isEmpty() ? definitionOf(*rows) : ReportDefinition();
}

QList<ReportParam> ReportStore::params(int reportId, ParamSet set, QString *error) const
{
    QString sql = QStringLiteral("select * from ReportCS where ReportID=?");
    switch (set) {
    case ParamSet::Panel:
        sql += QStringLiteral(" and CSLX<>'交叉表' and CSLX<>'分类表'");
        break;
    case ParamSet::CrossTables:
        sql += QStringLiteral(" and CSLX='交叉表'");
        break;
    case ParamSet::CategorySources:
        sql += QStringLiteral(" and CSLX='分类表'");
        break;
    case ParamSet::All:
        break;
    }
    sql += QStringLiteral(" order by sort, CSValue");
    QList<ReportParam> result;
    const auto rows = select(sql, {reportId}, error);
    if (!rows)
        return result;
    for (rows->first(); !rows->eof(); rows->next())
        result << paramOf(*rows);
    return result;
}

std::optional<ReportParam> ReportStore::param(int reportId, int paramId) const
{
    const auto rows = select(QStringLiteral("select * from ReportCS where ReportID=? and id=?"),
                             {reportId, paramId}, nullptr);
    if (!rows || rows->isEmpty())
        return std::nullopt;
    return paramOf(*rows);
}

QList<ReportColumnDef> ReportStore::readColumns(const QString &sql, const QVariantList &params,
                                                QString *error) const
{
    QList<ReportColumnDef> columns;
    const auto rows = select(sql, params, error);
    if (!rows)
        return columns;
    for (rows->first(); !rows->eof(); rows->next()) {
        ReportColumnDef c;
        c.field = text(*rows, "field");
        c.title = text(*rows, "title");
        c.fieldFormat = text(*rows, "FieldFormat");
        c.width = number(*rows, "Width");
        c.hjFlag = flag(*rows, "HJFlag");
        c.sortId = number(*rows, "SortID");
        c.isShow = flag(*rows, "isShow", true);
        c.isPrint = flag(*rows, "isPrint", true);
        c.align = number(*rows, "Align");
        columns << c;
    }
    return columns;
}

QList<ReportColumnDef> ReportStore::shownColumns(int reportId, QString *error) const
{
    return readColumns(QStringLiteral("select * from ReportField where ") + shownTest() +
                           QStringLiteral(" and ReportID=? order by sortid, id"),
                       {reportId}, error);
}

QList<ReportColumnDef> ReportStore::shownColumns(int reportId,
                                                 const QList<CrossTableList> &crossTables,
                                                 QString *error) const
{
    const QString columns = QStringLiteral("fieldformat, width, HJFlag, SortID, isShow, isPrint ");
    QString sql = QStringLiteral("select title, field, ") + columns +
                  QStringLiteral("from ReportField where ") + shownTest() +
                  QStringLiteral(" and ReportID=? and left(field, 5)<>?");
    QVariantList params{reportId, kCrossTableTemplate};
    int k = 0;
    for (const CrossTableList &list : crossTables) {
        for (const QString &value : list.values) {
            sql += QStringLiteral(" union select replace(title, '[交叉表列]', ?), ?, ") + columns +
                   QStringLiteral("from ReportField where ") + shownTest() +
                   QStringLiteral(" and ReportID=? and field=?");
            params << value << QString(QStringLiteral("Tavi_Field_Tmp") + IntToZeroStr(k, 2))
                   << reportId << list.templateField;
            ++k;
        }
    }
    return readColumns(sql + QStringLiteral(" order by sortid, field"), params, error);
}

QList<ReportColumnDef> ReportStore::allColumns(int reportId, QString *error) const
{
    return readColumns(
        QStringLiteral("select * from ReportField where ReportID=? order by sortid, id"),
        {reportId}, error);
}

QList<ReportEditField> ReportStore::editFields(int reportId, QString *error) const
{
    QList<ReportEditField> fields;
    const auto rows =
        select(QStringLiteral("select * from ReportEditField where ReportID=? order by sortid, id"),
               {reportId}, error);
    if (!rows)
        return fields;
    for (rows->first(); !rows->eof(); rows->next())
        fields << editFieldOf(*rows);
    return fields;
}

ReportDefinitionRows ReportStore::loadRows(int reportId, QString *error) const
{
    ReportDefinitionRows rows;
    rows.report = load(reportId, error);
    if (!rows.report.found)
        return rows;
    rows.columns = allColumns(reportId, error);
    rows.params = params(reportId, ParamSet::All, error);
    rows.editFields = editFields(reportId, error);
    return rows;
}

bool ReportStore::saveLayout(int reportId, const QList<LayoutColumn> &columns, QString *error)
{
    if (reportId <= 0)
        return true;
    try {
        db::Transaction transaction(m_connection);
        for (qsizetype i = 0; i < columns.size(); ++i)
            m_connection.execute(
                QStringLiteral(
                    "update reportfield set width=?, sortid=? where reportid=? and field=?"),
                {columns[i].width, int(i), reportId, columns[i].field});
        transaction.commit();
    } catch (const db::DbError &e) {
        *error = e.message();
        return false;
    }
    return true;
}

void ReportStore::insertRows(const ReportDefinitionRows &rows, int reportId, bool withEditFields)
{
    db::Engine &engine = m_connection.engine();
    // Columns added by later versions are written where the table has them.
    const bool withAlign = columnsOf(QStringLiteral("ReportField"))
                               .contains(QStringLiteral("Align"), Qt::CaseInsensitive);
    int r = 0;
    for (const ReportColumnDef &c : rows.columns) {
        QStringList names{
            QStringLiteral("ReportID"),    QStringLiteral("Title"),  QStringLiteral("Field"),
            QStringLiteral("FieldFormat"), QStringLiteral("Width"),  QStringLiteral("HJFlag"),
            QStringLiteral("SortID"),      QStringLiteral("isShow"), QStringLiteral("isPrint")};
        QVariantList values{reportId,
                            c.title,
                            c.field,
                            c.fieldFormat,
                            c.width,
                            boolValue(c.hjFlag),
                            ++r,
                            boolValue(c.isShow),
                            boolValue(c.isPrint)};
        if (withAlign) {
            names << QStringLiteral("Align");
            values << c.align;
        }
        engine.insertRow(QStringLiteral("ReportField"), names, values, QString());
    }
    int i = 0;
    for (const ReportParam &p : rows.params)
        engine.insertRow(
            QStringLiteral("ReportCS"),
            {QStringLiteral("ReportID"), QStringLiteral("CSValue"), QStringLiteral("CSName"),
             QStringLiteral("CSLX"), QStringLiteral("CSDefault"), QStringLiteral("CSList"),
             QStringLiteral("CSSql"), QStringLiteral("sort")},
            {reportId, p.csValue, p.csName, p.cslx, p.csDefault, p.csList, p.csSql, i++},
            QString());
    if (!withEditFields)
        return;
    r = 0;
    for (const ReportEditField &f : rows.editFields)
        engine.insertRow(
            QStringLiteral("ReportEditField"),
            {QStringLiteral("ReportID"), QStringLiteral("Title"), QStringLiteral("Field"),
             QStringLiteral("LX"), QStringLiteral("FieldValue"), QStringLiteral("FieldDefault"),
             QStringLiteral("FieldSql"), QStringLiteral("NoEmpty"), QStringLiteral("CheckExists"),
             QStringLiteral("SortID"), QStringLiteral("FieldList")},
            {reportId, f.title, f.field, f.lx, f.fieldValue, f.fieldDefault, f.fieldSql,
             boolValue(f.noEmpty), boolValue(f.checkExists), ++r, f.fieldList},
            QString());
}

bool ReportStore::save(ReportDefinitionRows &rows, bool withEditFields, QString *error)
{
    return write(rows, withEditFields, false, error);
}

bool ReportStore::write(ReportDefinitionRows &rows, bool withEditFields, bool keepId,
                        QString *error)
{
    const ReportDefinition &d = rows.report;
    // A package's list table lacks some columns: only those the table has are written.
    const QStringList present = columnsOf(QStringLiteral("ReportList"));
    QStringList names;
    QVariantList values;
    const auto put = [&](const char *name, const QVariant &value) {
        const QString n = QLatin1String(name);
        if (present.contains(n, Qt::CaseInsensitive)) {
            names << n;
            values << value;
        }
    };
    put("title", d.title);
    put("BH", d.bh);
    put("sSql", d.sql);
    put("lb", d.category);
    put("groupfield", d.groupField);
    put("CsList", d.flags);
    put("Type", d.typeCode);
    put("AddReportName", d.addReportName);
    put("MXReportName", d.mxReportName);
    try {
        db::Transaction transaction(m_connection);
        int id = d.id;
        bool exists = false;
        if (id > 0) {
            const auto found = m_connection.engine().query(
                QStringLiteral("select id from ReportList where id=?"), {id});
            exists = found->rowCount() > 0;
        }
        if (exists) {
            QStringList sets;
            for (const QString &n : names)
                sets << n + QStringLiteral("=?");
            m_connection.execute(QStringLiteral("update ReportList set ") +
                                     sets.join(QStringLiteral(", ")) +
                                     QStringLiteral(" where id=?"),
                                 values + QVariantList{id});
            const QVariantList key{id};
            m_connection.execute(QStringLiteral("delete from ReportField where reportid=?"), key);
            m_connection.execute(QStringLiteral("delete from ReportCS where reportid=?"), key);
            if (withEditFields)
                m_connection.execute(QStringLiteral("delete from ReportEditField where reportid=?"),
                                     key);
        } else if (keepId && id > 0) {
            m_connection.engine().insertRow(QStringLiteral("ReportList"),
                                            QStringList{QStringLiteral("id")} + names,
                                            QVariantList{id} + values, QString());
        } else {
            id = m_connection.engine()
                     .insertRow(QStringLiteral("ReportList"), names, values, QStringLiteral("id"))
                     .toInt();
        }
        insertRows(rows, id, withEditFields);
        transaction.commit();
        rows.report.id = id;
        rows.report.found = true;
    } catch (const db::DbError &e) {
        *error = e.message();
        return false;
    }
    return true;
}

bool ReportStore::remove(int reportId, QString *error)
{
    try {
        db::Transaction transaction(m_connection);
        const QVariantList key{reportId};
        m_connection.execute(QStringLiteral("delete from reportfield where reportid=?"), key);
        m_connection.execute(QStringLiteral("delete from reportcs where reportid=?"), key);
        m_connection.execute(QStringLiteral("delete from reportEditfield where reportid=?"), key);
        m_connection.execute(QStringLiteral("delete from ReportList where id=?"), key);
        transaction.commit();
    } catch (const db::DbError &e) {
        *error = e.message();
        return false;
    }
    return true;
}

bool ReportStore::copyReport(const ReportStore &from, int reportId, ReportStore &to, int categoryId,
                             int *newId, QString *error)
{
    QString readError;
    ReportDefinitionRows rows = from.loadRows(reportId, &readError);
    if (!rows.report.found) {
        *error = readError.isEmpty() ? QStringLiteral("报表不存在") : readError;
        return false;
    }
    if (!readError.isEmpty()) {
        *error = readError;
        return false;
    }
    rows.report.id = 0;
    rows.report.category = categoryId;
    if (!to.save(rows, true, error))
        return false;
    if (newId)
        *newId = rows.report.id;
    return true;
}

bool ReportStore::copyReportKeepingId(const ReportStore &from, int reportId, ReportStore &to,
                                      QString *error)
{
    QString readError;
    ReportDefinitionRows rows = from.loadRows(reportId, &readError);
    if (!rows.report.found || !readError.isEmpty()) {
        *error = readError.isEmpty() ? QStringLiteral("报表不存在") : readError;
        return false;
    }
    return to.write(rows, true, true, error);
}

QList<ReportDefinition> ReportStore::reports(int categoryTag, const QString &search,
                                             QString *error) const
{
    QList<ReportDefinition> result = reports(categoryTag, error);
    const QString needle = search.trimmed();
    if (needle.isEmpty())
        return result;
    // Typed text is matched as plain text, so % and _ mean themselves.
    result.removeIf([&needle](const ReportDefinition &r) {
        return !r.title.contains(needle, Qt::CaseInsensitive) &&
               !r.bh.contains(needle, Qt::CaseInsensitive);
    });
    return result;
}

QList<ReportDefinition> ReportStore::reports(int categoryTag, QString *error) const
{
    QString sql = QStringLiteral("select * from reportlist where 1=1 ");
    QVariantList params;
    if (categoryTag > 0) {
        sql += QStringLiteral(" and lb=?");
        params << categoryTag;
    } else if (categoryTag == -1) {
        sql += QStringLiteral(" and fav=1");
    }
    QList<ReportDefinition> result;
    const auto rows = select(sql + QStringLiteral(" order by bh"), params, error);
    if (!rows)
        return result;
    for (rows->first(); !rows->eof(); rows->next())
        result << definitionOf(*rows);
    return result;
}

bool ReportStore::setFavourite(int reportId, bool favourite, QString *error)
{
    try {
        m_connection.execute(QStringLiteral("update ReportList set fav=? where id=?"),
                             {favourite ? 1 : 0, reportId});
    } catch (const db::DbError &e) {
        *error = e.message();
        return false;
    }
    return true;
}

QList<ReportCategory> ReportStore::categories(QString *error) const
{
    QList<ReportCategory> result;
    const auto rows = select(QStringLiteral("select * from ReportLB"), {}, error);
    if (!rows)
        return result;
    for (rows->first(); !rows->eof(); rows->next())
        result << ReportCategory{number(*rows, "id"), text(*rows, "name"),
                                 number(*rows, "orderid")};
    return result;
}

QString ReportStore::categoryName(int categoryId) const
{
    const auto rows =
        select(QStringLiteral("select name from ReportLB where id=?"), {categoryId}, nullptr);
    return rows && !rows->isEmpty() ? text(*rows, "name") : QString();
}

int ReportStore::categoryId(const QString &name) const
{
    const auto rows =
        select(QStringLiteral("select id from ReportLB where name=?"), {name}, nullptr);
    return rows && !rows->isEmpty() ? number(*rows, "id") : 0;
}

bool ReportStore::addCategory(const QString &name, int orderId, int *newId, QString *error)
{
    try {
        const QVariant id = m_connection.engine().insertRow(
            QStringLiteral("ReportLB"), {QStringLiteral("name"), QStringLiteral("orderid")},
            {name, orderId}, QStringLiteral("id"));
        if (newId)
            *newId = id.toInt();
    } catch (const db::DbError &e) {
        *error = e.message();
        return false;
    }
    return true;
}

bool ReportStore::updateCategory(const ReportCategory &category, QString *error)
{
    try {
        m_connection.execute(QStringLiteral("update ReportLB set name=?, orderid=? where id=?"),
                             {category.name, category.orderId, category.id});
    } catch (const db::DbError &e) {
        *error = e.message();
        return false;
    }
    return true;
}

bool ReportStore::removeCategory(int categoryId, QString *error)
{
    try {
        m_connection.execute(QStringLiteral("delete from ReportLB where id=?"), {categoryId});
    } catch (const db::DbError &e) {
        *error = e.message();
        return false;
    }
    return true;
}

}  // namespace tavi
