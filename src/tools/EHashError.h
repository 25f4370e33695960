#pragma once

#include <QString>
#include <stdexcept>

namespace tavi {

/// An error of the string-keyed hash tables.
class EHashError : public std::runtime_error
{
public:
    explicit EHashError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}

    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

}  // namespace tavi
