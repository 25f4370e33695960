#pragma once

#include <QString>

namespace tavi::db {

class Connection;

/// A unit of work on a connection: opened by the constructor, undone by the destructor unless
/// committed. Transactions nest; an inner one is a save point of the outer.
class Transaction
{
public:
    /// Begins; throws `DbError` with the engine's message when the database refuses.
    explicit Transaction(Connection &connection);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    /// Makes the work permanent (or part of the enclosing transaction); throws `DbError`.
    void commit();
    /// Undoes the work now; the destructor does it otherwise.
    void rollback();

private:
    Connection &m_connection;
    int m_depth;
    bool m_open = true;
};

}  // namespace tavi::db
