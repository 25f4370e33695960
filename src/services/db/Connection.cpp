#include "Connection.h"

#include "DbError.h"
#include "OdbcEngine.h"
#include "Recordset.h"
#include "SqliteEngine.h"

namespace tavi::db {

Connection::Connection() = default;
Connection::~Connection() = default;

void Connection::openLocal(const QString &fileName, bool create)
{
    close();
    m_engine = std::make_unique<SqliteEngine>(fileName, create);
    m_engine->setProgress(m_progress);
    m_kind = Kind::Local;
}

void Connection::openServer(const QString &odbcConnectionString)
{
    close();
    m_engine = std::make_unique<OdbcEngine>(odbcConnectionString);
    m_engine->setProgress(m_progress);
    m_kind = Kind::Server;
}

void Connection::openWith(std::unique_ptr<Engine> engine, Kind kind)
{
    close();
    m_engine = std::move(engine);
    m_engine->setProgress(m_progress);
    m_kind = kind;
}

void Connection::close()
{
    m_engine.reset();
    m_transactionDepth = 0;
}

Engine &Connection::engine()
{
    if (!m_engine)
        throw DbError(QStringLiteral("数据库连接没有打开。"));
    return *m_engine;
}

void Connection::setProgress(Engine::Progress progress)
{
    m_progress = std::move(progress);
    if (m_engine)
        m_engine->setProgress(m_progress);
}

qint64 Connection::execute(const QString &sql, const QVariantList &params)
{
    return engine().execute(sql, params);
}

std::unique_ptr<Recordset> Connection::openQuery(const QString &sql)
{
    auto rs = std::make_unique<Recordset>(this);
    rs->setSql(sql);
    rs->open();
    return rs;
}

}  // namespace tavi::db
