#include "Session.h"

namespace tavi {

namespace {

Session &processSession()
{
    static Session s;
    return s;
}

Session *g_current = nullptr;

}  // namespace

Session &session()
{
    return g_current ? *g_current : processSession();
}

ScopedSession::ScopedSession() : m_previous(g_current)
{
    g_current = &m_session;
}

ScopedSession::~ScopedSession()
{
    g_current = m_previous;
}

}  // namespace tavi
