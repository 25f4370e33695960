#include "Tdm.h"

#include "Messages.h"
#include "OpenQuery.h"
#include "SqlQuote.h"
#include "db/DbError.h"

namespace tavi {

Tdm::Tdm() : qryTemp(&adoConn) {}

Tdm::~Tdm() = default;

bool Tdm::openLookup(const QString &sql)
{
    OpenQuery(qryTemp, sql);
    return qryTemp.isOpen();
}

bool Tdm::probe(const QString &sql)
{
    try {
        db::Recordset query(&adoConn);
        query.setSql(sql);
        query.open();
        return true;
    } catch (const db::DbError &) {
        return false;
    }
}

int Tdm::GetIdByName(const QString &name, const QString &table)
{
    return lookupId(QStringLiteral("select * from ") + table + QStringLiteral(" where name=") +
                    quotedStr(name));
}

int Tdm::GetIdByField(const QString &field, const QString &value, const QString &table)
{
    return lookupId(QStringLiteral("select id from ") + table + QStringLiteral(" where ") + field +
                    QStringLiteral("=") + quotedStr(value));
}

int Tdm::lookupId(const QString &sql)
{
    if (!openLookup(sql) || qryTemp.isEmpty())
        return 0;
    try {
        return int(qryTemp.asInteger(QStringLiteral("ID")));
    } catch (const db::DbError &) {
        return 0;
    }
}

QString Tdm::GetNameById(const QString &table, int id)
{
    if (!openLookup(QStringLiteral("select * from ") + table + QStringLiteral(" where id=") +
                    QString::number(id)) ||
        qryTemp.isEmpty())
        return QString();
    try {
        return qryTemp.asString(QStringLiteral("NAME"));
    } catch (const db::DbError &) {
        return QString();
    }
}

void Tdm::ExecSql(const QString &sql)
{
    try {
        adoConn.execute(sql);
    } catch (const db::DbError &e) {
        MsgInfo(nullptr, QStringLiteral("执行Sql语句时出错：%1\n%2").arg(e.message(), sql));
    }
}

bool Tdm::TableExists(const QString &table)
{
    return probe(QStringLiteral("select * from ") + table + QStringLiteral(" where 1=0"));
}

bool Tdm::FieldExists(const QString &table, const QString &field)
{
    return probe(QStringLiteral("select ") + field + QStringLiteral(" from ") + table +
                 QStringLiteral(" where 1=0"));
}

int Tdm::NextId(const QString &table)
{
    try {
        db::Recordset query(&adoConn);
        query.setSql(QStringLiteral("select Max(ID) from ") + table);
        query.open();
        if (query.isEmpty())
            return 1;
        const QVariant max = query.value(0);
        return max.isValid() ? int(max.toLongLong()) + 1 : 1;
    } catch (const db::DbError &) {
        return 1;
    }
}

}  // namespace tavi
