#pragma once

#include <QString>
#include <stdexcept>

namespace tavi::db {

/// An error of the database engine or of the data access layer, carrying the engine's own text.
class DbError : public std::runtime_error
{
public:
    explicit DbError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}

    /// The message as the engine gave it.
    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

/// A statement stopped on request (see `Engine::setProgress`).
class CancelledError : public DbError
{
public:
    CancelledError() : DbError(QStringLiteral("查询已取消")) {}
};

}  // namespace tavi::db
