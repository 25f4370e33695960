#pragma once

#include "TExprNode.h"

#include <QByteArrayView>

namespace tavi {

/// Cuts a GBK expression into tokens. Every call consumes at least one byte until the end.
///
/// Names are returned as they stand; telling operator words from other names is the parser's
/// business.
class ExprScanner
{
public:
    explicit ExprScanner(QByteArrayView expression) : m_text(expression) {}

    /// The next token, skipping blanks; false at the end of the text.
    bool next(TExprNode &token);

    /// First byte of a double-byte GBK character.
    static bool isLeadByte(char c) { return static_cast<quint8>(c) >= 0x81; }

private:
    char at(qsizetype pos) const { return pos < m_text.size() ? m_text[pos] : '\0'; }
    bool scanString(TExprNode &token);
    bool scanComment();
    bool scanName();
    bool scanNumber(TExprNode &token);
    bool scanOperator(TExprNode &token);

    QByteArrayView m_text;
    qsizetype m_pos = 0;
};

}  // namespace tavi
