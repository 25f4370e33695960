#pragma once

#include <QString>
#include <stdexcept>

namespace tavi {

/// A statement the dialect conversion cannot finish; the caller treats it as a failed query.
class ConversionError : public std::runtime_error
{
public:
    explicit ConversionError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}

    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

}  // namespace tavi
