#pragma once

#include "Engine.h"

#include <QString>
#include <memory>

namespace tavi::db {

class Recordset;

/// The one connection of a call: the local engine (SQLite with the Jet dialect adapter) or the
/// server engine (ODBC). Errors come out as `DbError` with the engine's message.
class Connection
{
public:
    enum class Kind
    {
        Local,
        Server
    };

    Connection();
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    /// Opens a local database file; it must exist unless `create` is set.
    void openLocal(const QString &fileName, bool create = false);
    /// Opens an ODBC connection string ("DRIVER=FreeTDS;Server=…;UID=…;PWD=…").
    void openServer(const QString &odbcConnectionString);
    /// Opens over an engine made elsewhere (tests).
    void openWith(std::unique_ptr<Engine> engine, Kind kind);
    void close();
    bool isOpen() const { return m_engine != nullptr; }
    Kind kind() const { return m_kind; }

    /// Runs a command; returns the rows it changed (-1 when unknown).
    qint64 execute(const QString &sql, const QVariantList &params = {});
    /// Runs a statement into a new, open recordset.
    std::unique_ptr<Recordset> openQuery(const QString &sql);

    /// The open engine; throws `DbError` when closed.
    Engine &engine();
    /// See `Engine::setProgress`; kept for engines opened later too.
    void setProgress(Engine::Progress progress);

    /// Number of transactions open on this connection (see `Transaction`).
    int transactionDepth() const { return m_transactionDepth; }

private:
    std::unique_ptr<Engine> m_engine;
    Engine::Progress m_progress;
    Kind m_kind = Kind::Local;
    int m_transactionDepth = 0;

    friend class Transaction;
};

}  // namespace tavi::db
