#include "Transaction.h"

#include "Connection.h"
#include "DbError.h"

namespace tavi::db {

Transaction::Transaction(Connection &connection)
    : m_connection(connection), m_depth(connection.m_transactionDepth)
{
    m_connection.engine().beginTransaction(m_depth);
    ++m_connection.m_transactionDepth;
}

Transaction::~Transaction()
{
    try {
        rollback();
    } catch (const DbError &) {
        // A connection that broke meanwhile has nothing left to undo.
    }
}

void Transaction::commit()
{
    if (!m_open)
        return;
    m_connection.engine().commitTransaction(m_depth);
    m_open = false;
    m_connection.m_transactionDepth = m_depth;
}

void Transaction::rollback()
{
    if (!m_open)
        return;
    m_open = false;
    m_connection.m_transactionDepth = m_depth;
    if (m_connection.isOpen())
        m_connection.engine().rollbackTransaction(m_depth);
}

}  // namespace tavi::db
