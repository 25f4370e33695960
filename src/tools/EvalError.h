#pragma once

#include <QString>
#include <stdexcept>

namespace tavi {

/// A value that cannot be computed: division by zero, a text that is not a number, an
/// overflow, an expression nested beyond what the evaluator follows.
class EvalError : public std::runtime_error
{
public:
    explicit EvalError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message)
    {}

    const QString &message() const noexcept { return m_message; }

private:
    QString m_message;
};

}  // namespace tavi
