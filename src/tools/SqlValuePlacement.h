#pragma once

#include "SqlLexer.h"

#include <QString>
#include <optional>

namespace tavi {

/// Where an untrusted value (typed text, a value read from data) may stand in a statement, and
/// how it must be written there so that it never changes the statement's meaning.
class SqlValuePlacement
{
public:
    /// What a value may be outside any literal.
    enum class Code
    {
        /// One plain number.
        Number,
        /// A plain number or a comma-separated list of them ("1,2" for "in ({1})").
        NumberList,
    };

    /// The text to put at `offset` of the lexed statement: inside a string or quoted name the
    /// value with its closing quote doubled; in code (and in comments, dates) only what `code`
    /// allows, trimmed; nothing when the value cannot stand there.
    static std::optional<QString> place(const SqlLexer &lexer, qsizetype offset,
                                        const QString &value, Code code = Code::Number);

    /// A plain decimal number: optional sign, digits with an optional point.
    static bool isPlainNumber(const QString &text);
    static bool isNumberList(const QString &text);
};

}  // namespace tavi
