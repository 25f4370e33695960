#pragma once

#include <QString>
#include <stdexcept>

namespace tavi {

/// A text that cannot be encrypted so that it decrypts to itself.
class DesError : public std::runtime_error
{
public:
    explicit DesError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}

    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

}  // namespace tavi
