#include "ParameterMemory.h"

#include "services/Session.h"
#include "services/Tdm.h"
#include "services/db/Connection.h"
#include "services/db/DbError.h"
#include "services/db/Recordset.h"
#include "services/db/Transaction.h"

namespace tavi {

ParameterMemory::ParameterMemory(Session &session)
    : m_connection(session.dm->adoConn), m_dbType(session.SysInfo.DbType)
{}

ParameterMemory::ParameterMemory(db::Connection &connection, int dbType)
    : m_connection(connection), m_dbType(dbType)
{}

QString ParameterMemory::tableName()
{
    return QStringLiteral("TaviLastValues");
}

bool ParameterMemory::tableExists() const
{
    try {
        m_connection.openQuery(QStringLiteral("select * from %1 where 1=0").arg(tableName()));
        return true;
    } catch (const db::DbError &) {
        return false;
    }
}

void ParameterMemory::createTable()
{
    const bool server = m_dbType != 0;
    const QString key = server ? QStringLiteral("id int IDENTITY (1, 1) PRIMARY KEY")
                               : QStringLiteral("id counter PRIMARY KEY");
    const QString memo = server ? QStringLiteral("varchar(4000)") : QStringLiteral("Text");
    try {
        m_connection.execute(QStringLiteral("create table %1(%2, ReportID int, UserName "
                                            "varchar(50), CSValue varchar(50), CSLX varchar(50), "
                                            "CSText %3)")
                                 .arg(tableName(), key, memo));
    } catch (const db::DbError &) {
        // Another workstation may have made it in the meantime; only a table still absent fails.
        if (!tableExists())
            throw;
    }
}

QList<RememberedValue> ParameterMemory::load(int reportId, const QString &user,
                                             QString *error) const
{
    QList<RememberedValue> values;
    if (!tableExists())
        return values;
    try {
        db::Recordset rows;
        rows.open(m_connection.engine().query(
            QStringLiteral("select CSValue, CSLX, CSText from %1 where ReportID=? and UserName=? "
                           "order by id")
                .arg(tableName()),
            {reportId, user}));
        for (rows.first(); !rows.eof(); rows.next())
            values.append({rows.asString(QStringLiteral("CSValue")),
                           rows.asString(QStringLiteral("CSLX")),
                           rows.asString(QStringLiteral("CSText"))});
    } catch (const db::DbError &e) {
        if (error)
            *error = e.message();
        values.clear();
    }
    return values;
}

bool ParameterMemory::save(int reportId, const QString &user, const QList<RememberedValue> &values,
                           QString *error)
{
    try {
        if (!tableExists())
            createTable();
        db::Transaction work(m_connection);
        m_connection.execute(
            QStringLiteral("delete from %1 where ReportID=? and UserName=?").arg(tableName()),
            {reportId, user});
        for (const RememberedValue &v : values)
            m_connection.execute(QStringLiteral("insert into %1(ReportID, UserName, CSValue, CSLX, "
                                                "CSText) values(?, ?, ?, ?, ?)")
                                     .arg(tableName()),
                                 {reportId, user, v.placeholder, v.kind, v.value});
        work.commit();
        return true;
    } catch (const db::DbError &e) {
        if (error)
            *error = QStringLiteral("参数值没有保存：") + e.message();
        return false;
    }
}

}  // namespace tavi
