#include "SqlValuePlacement.h"

#include <QRegularExpression>

namespace tavi {

bool SqlValuePlacement::isPlainNumber(const QString &text)
{
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?(\d+(\.\d*)?|\.\d+)$)"));
    return number.match(text).hasMatch();
}

bool SqlValuePlacement::isNumberList(const QString &text)
{
    static const QRegularExpression list(
        QStringLiteral(R"(^\s*[+-]?(\d+(\.\d*)?|\.\d+)(\s*,\s*[+-]?(\d+(\.\d*)?|\.\d+))*\s*$)"));
    return list.match(text).hasMatch();
}

std::optional<QString> SqlValuePlacement::place(const SqlLexer &lexer, qsizetype offset,
                                                const QString &value, Code code)
{
    const QChar quote = lexer.closingQuoteAt(offset);
    if (!quote.isNull()) {
        // A Jet bracket name has no way to write its closing bracket.
        if (quote == u']' && lexer.dialect() == SqlDialect::Jet && value.contains(u']'))
            return std::nullopt;
        QString doubled = value;
        doubled.replace(quote, QString(2, quote));
        return doubled;
    }
    const QString trimmed = value.trimmed();
    if (isPlainNumber(trimmed))
        return trimmed;
    if (code == Code::NumberList && isNumberList(trimmed))
        return trimmed;
    return std::nullopt;
}

}  // namespace tavi
