#include "ExprScanner.h"

namespace tavi {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isNameStart(char c)
{
    return isLetter(c) || c == '_';
}

bool isNamePart(char c)
{
    return isLetter(c) || isDigit(c) || c == '_' || c == '.' || c == '@';
}

int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

struct OperatorSpelling
{
    const char *text;
    ExprOp op;
};

// Two-character spellings first, so that <= is not read as < and =.
constexpr OperatorSpelling kOperators[] = {
    {"<=", ExprOp::LessEqual},   {">=", ExprOp::GreaterEqual}, {"==", ExprOp::Equal},
    {":=", ExprOp::Assign},      {"!=", ExprOp::NotEqual},     {"<>", ExprOp::NotEqual},
    {"||", ExprOp::StrCat},      {"::", ExprOp::Scope},        {"+", ExprOp::Add},
    {"-", ExprOp::Sub},          {"*", ExprOp::Mul},           {"\\", ExprOp::Div},
    {"%", ExprOp::Mod},          {"/", ExprOp::FDiv},          {"!", ExprOp::Not},
    {"?", ExprOp::IfThen},       {">", ExprOp::Greater},       {"<", ExprOp::Less},
    {"=", ExprOp::Equal},        {":", ExprOp::Colon},         {"(", ExprOp::Group},
    {")", ExprOp::Close},        {",", ExprOp::Comma},         {"[", ExprOp::Bracket},
    {"]", ExprOp::CloseBracket}, {";", ExprOp::End},
};

}  // namespace

bool ExprScanner::next(TExprNode &token)
{
    while (m_pos < m_text.size() && isSpace(m_text[m_pos]))
        ++m_pos;
    if (m_pos >= m_text.size())
        return false;
    token = TExprNode{};
    const qsizetype start = m_pos;
    if (scanString(token)) {
        token.Kind = ExprNodeKind::Operand;
        token.ValueKind = ExprValueKind::String;
    } else if (scanComment()) {
        token.Kind = ExprNodeKind::Comment;
        token.ValueKind = ExprValueKind::String;
    } else if (scanName()) {
        token.Kind = ExprNodeKind::Name;
        token.ValueKind = ExprValueKind::String;
    } else if (scanNumber(token)) {
        token.Kind = ExprNodeKind::Operand;
    } else if (scanOperator(token)) {
        token.Kind = ExprNodeKind::Operator;
    } else {
        token.Kind = ExprNodeKind::Nothing;
        ++m_pos;
    }
    token.Start = static_cast<qint32>(start + 1);
    token.Length = static_cast<qint32>(m_pos - start);
    return true;
}

bool ExprScanner::scanString(TExprNode &token)
{
    qsizetype pos = m_pos;
    QByteArray text;
    bool any = false;
    while (pos < m_text.size()) {
        const char c = m_text[pos];
        if (c == '\'' || c == '"') {
            // An unterminated text runs to the end of the expression.
            ++pos;
            while (pos < m_text.size()) {
                if (m_text[pos] != c) {
                    text += m_text[pos++];
                } else if (pos + 1 < m_text.size() && m_text[pos + 1] == c) {
                    text += c;
                    pos += 2;
                } else {
                    ++pos;
                    break;
                }
            }
        } else if (c == '#') {
            qsizetype p = pos + 1;
            const bool hex = at(p) == '$' && p < m_text.size();
            if (hex)
                ++p;
            int code = 0;
            bool digits = false;
            // Only the code modulo 256 matters, so any number of digits is harmless.
            for (; p < m_text.size(); ++p) {
                const int digit =
                    hex ? hexValue(m_text[p]) : (isDigit(m_text[p]) ? m_text[p] - '0' : -1);
                if (digit < 0)
                    break;
                code = (code * (hex ? 16 : 10) + digit) % 256;
                digits = true;
            }
            if (!digits)
                break;
            text += static_cast<char>(code);
            pos = p;
        } else {
            break;
        }
        any = true;
    }
    if (!any)
        return false;
    token.Text = text;
    m_pos = pos;
    return true;
}

bool ExprScanner::scanComment()
{
    if (m_pos >= m_text.size())
        return false;
    const QByteArrayView rest = m_text.sliced(m_pos);
    qsizetype pos = m_pos;
    if (rest.startsWith("//")) {
        while (pos < m_text.size() && m_text[pos] != '\n' && m_text[pos] != '\r')
            ++pos;
    } else if (rest.startsWith("/*")) {
        const qsizetype end = m_text.indexOf(QByteArrayView("*/"), pos + 2);
        pos = end < 0 ? m_text.size() : end + 2;
    } else if (rest.startsWith("{")) {
        // Double-byte characters are stepped over whole: a trail byte may be '}'.
        ++pos;
        while (pos < m_text.size() && m_text[pos] != '}')
            pos += isLeadByte(m_text[pos]) ? 2 : 1;
        pos = qMin(pos + 1, m_text.size());
    } else {
        return false;
    }
    m_pos = pos;
    return true;
}

bool ExprScanner::scanName()
{
    const char c = at(m_pos);
    if (m_pos >= m_text.size() || !(isNameStart(c) || isLeadByte(c)))
        return false;
    qsizetype pos = m_pos;
    while (pos < m_text.size()) {
        if (isLeadByte(m_text[pos]))
            pos += 2;
        else if (isNamePart(m_text[pos]))
            ++pos;
        else
            break;
    }
    m_pos = qMin(pos, m_text.size());
    return true;
}

bool ExprScanner::scanNumber(TExprNode &token)
{
    const char c = at(m_pos);
    if (m_pos >= m_text.size() || !(isDigit(c) || c == '.' || c == '$'))
        return false;
    qsizetype pos = m_pos;
    bool floating = false;
    while (pos < m_text.size()) {
        const char part = m_text[pos];
        if (isDigit(part) || part == '#' || part == '$') {
            ++pos;
        } else if (part == '.') {
            floating = true;
            ++pos;
        } else if (part == 'e') {
            floating = true;
            pos += at(pos + 1) == '-' && pos + 1 < m_text.size() ? 2 : 1;
        } else {
            break;
        }
    }
    const qsizetype length = pos - m_pos;
    token.ValueKind = floating      ? ExprValueKind::Float
                      : length < 10 ? ExprValueKind::Integer
                                    : ExprValueKind::LongInteger;
    m_pos = pos;
    return true;
}

bool ExprScanner::scanOperator(TExprNode &token)
{
    const QByteArrayView rest = m_text.sliced(m_pos);
    for (const OperatorSpelling &spelling : kOperators) {
        const QByteArrayView text(spelling.text);
        if (rest.startsWith(text)) {
            token.Op = spelling.op;
            m_pos += text.size();
            return true;
        }
    }
    return false;
}

}  // namespace tavi
