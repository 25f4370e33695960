#pragma once

#include <sql.h>

#include <utility>

namespace tavi::db {

/// Owns one ODBC handle (environment, connection or statement) and frees it on destruction.
class OdbcHandle
{
public:
    OdbcHandle() = default;

    /// Allocates a handle of `type` under `parent`; the result is empty when that fails (the
    /// reason is then in the parent's diagnostics).
    OdbcHandle(SQLSMALLINT type, SQLHANDLE parent) : m_type(type)
    {
        if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &m_handle)))
            m_handle = SQL_NULL_HANDLE;
    }

    ~OdbcHandle() { reset(); }

    OdbcHandle(const OdbcHandle &) = delete;
    OdbcHandle &operator=(const OdbcHandle &) = delete;

    OdbcHandle(OdbcHandle &&other) noexcept
        : m_type(other.m_type), m_handle(std::exchange(other.m_handle, nullptr))
    {}

    OdbcHandle &operator=(OdbcHandle &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_type = other.m_type;
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }

    SQLHANDLE get() const { return m_handle; }
    SQLSMALLINT type() const { return m_type; }
    explicit operator bool() const { return m_handle != SQL_NULL_HANDLE; }

    /// Frees the handle now.
    void reset()
    {
        if (m_handle != SQL_NULL_HANDLE)
            SQLFreeHandle(m_type, m_handle);
        m_handle = SQL_NULL_HANDLE;
    }

private:
    SQLSMALLINT m_type = 0;
    SQLHANDLE m_handle = nullptr;
};

}  // namespace tavi::db
