#include "SqlLexer.h"

#include <algorithm>

namespace tavi {

SqlLexer::SqlLexer(const QString &sql, SqlDialect dialect) : m_sql(sql), m_dialect(dialect)
{
    lex();
}

bool SqlLexer::isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c.unicode() > 0x7F;
}

SqlContext SqlLexer::contextOf(SqlTokenKind kind)
{
    switch (kind) {
    case SqlTokenKind::String:
        return SqlContext::String;
    case SqlTokenKind::QuotedName:
        return SqlContext::QuotedName;
    case SqlTokenKind::BracketName:
        return SqlContext::BracketName;
    case SqlTokenKind::LineComment:
        return SqlContext::LineComment;
    case SqlTokenKind::BlockComment:
        return SqlContext::BlockComment;
    default:
        return SqlContext::Code;
    }
}

QStringView SqlLexer::text(const SqlToken &token) const
{
    return QStringView(m_sql).sliced(token.begin, token.size);
}

// End (one past the closing quote) of a literal whose opening quote is at from.
qsizetype SqlLexer::quotedEnd(qsizetype from, QChar quote, bool *closed) const
{
    const qsizetype n = m_sql.size();
    for (qsizetype i = from + 1; i < n; ++i) {
        if (m_sql[i] != quote)
            continue;
        if (i + 1 < n && m_sql[i + 1] == quote) {
            ++i;
            continue;
        }
        *closed = true;
        return i + 1;
    }
    *closed = false;
    return n;
}

qsizetype SqlLexer::bracketEnd(qsizetype from, bool *closed) const
{
    if (m_dialect == SqlDialect::TransactSql)
        return quotedEnd(from, u']', closed);
    const qsizetype end = m_sql.indexOf(u']', from + 1);
    *closed = end >= 0;
    return end < 0 ? m_sql.size() : end + 1;
}

qsizetype SqlLexer::blockCommentEnd(qsizetype from, bool *closed) const
{
    const qsizetype n = m_sql.size();
    int depth = 0;
    for (qsizetype i = from; i + 1 < n; ++i) {
        if (m_sql[i] == u'/' && m_sql[i + 1] == u'*' &&
            (depth == 0 || m_dialect == SqlDialect::TransactSql)) {
            ++depth;
            ++i;
        } else if (m_sql[i] == u'*' && m_sql[i + 1] == u'/') {
            ++i;
            if (--depth == 0) {
                *closed = true;
                return i + 1;
            }
        }
    }
    *closed = false;
    return n;
}

void SqlLexer::lex()
{
    const QString &s = m_sql;
    const qsizetype n = s.size();
    const bool tsql = m_dialect == SqlDialect::TransactSql;
    // SQL Server names may hold # and @, and begin with them (#temp, @variable).
    const auto wordChar = [tsql](QChar c) {
        return isWordChar(c) || (tsql && (c == u'#' || c == u'@'));
    };
    qsizetype i = 0;
    while (i < n) {
        const QChar c = s[i];
        const qsizetype start = i;
        SqlTokenKind kind = SqlTokenKind::Symbol;
        bool closed = true;
        if (c.isSpace()) {
            while (i < n && s[i].isSpace())
                ++i;
            kind = SqlTokenKind::Blank;
        } else if (c == u'\'' || c == u'"') {
            i = quotedEnd(i, c, &closed);
            kind = c == u'\'' ? SqlTokenKind::String : SqlTokenKind::QuotedName;
        } else if (c == u'[') {
            i = bracketEnd(i, &closed);
            kind = SqlTokenKind::BracketName;
        } else if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
            while (i < n && s[i] != u'\n')
                ++i;
            kind = SqlTokenKind::LineComment;
        } else if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
            i = blockCommentEnd(i, &closed);
            kind = SqlTokenKind::BlockComment;
        } else if (c == u'#' && !tsql) {
            const qsizetype end = s.indexOf(u'#', i + 1);
            const qsizetype eol = s.indexOf(u'\n', i + 1);
            if (end > 0 && (eol < 0 || end < eol)) {
                i = end + 1;
                kind = SqlTokenKind::Date;
            } else {
                ++i;
            }
        } else if (c.isDigit() || (c == u'.' && i + 1 < n && s[i + 1].isDigit())) {
            while (i < n && (s[i].isDigit() || s[i] == u'.'))
                ++i;
            kind = SqlTokenKind::Number;
        } else if (wordChar(c)) {
            while (i < n && wordChar(s[i]))
                ++i;
            kind = SqlTokenKind::Word;
        } else {
            // Two-character operators stay whole so "<>" is never split.
            static const QLatin1StringView pairs[] = {
                QLatin1StringView("<>"), QLatin1StringView("<="), QLatin1StringView(">="),
                QLatin1StringView("||"), QLatin1StringView("!=")};
            const QStringView two = QStringView(s).sliced(i, std::min<qsizetype>(2, n - i));
            i += std::any_of(std::begin(pairs), std::end(pairs),
                             [two](QLatin1StringView p) { return two == p; })
                     ? 2
                     : 1;
        }
        m_tokens.push_back({kind, start, i - start, closed});
    }
}

qsizetype SqlLexer::tokenIndexAt(qsizetype offset) const
{
    if (offset < 0 || offset >= m_sql.size())
        return -1;
    const auto after = std::upper_bound(
        m_tokens.begin(), m_tokens.end(), offset,
        [](qsizetype value, const SqlToken &token) { return value < token.begin; });
    return qsizetype(after - m_tokens.begin()) - 1;
}

SqlContext SqlLexer::contextAt(qsizetype offset) const
{
    const qsizetype index = tokenIndexAt(offset);
    return index < 0 ? SqlContext::Code : contextOf(m_tokens[size_t(index)].kind);
}

QChar SqlLexer::closingQuoteAt(qsizetype offset) const
{
    switch (contextAt(offset)) {
    case SqlContext::String:
        return u'\'';
    case SqlContext::QuotedName:
        return u'"';
    case SqlContext::BracketName:
        return u']';
    default:
        return QChar();
    }
}

qsizetype SqlLexer::unterminatedAt() const
{
    for (const SqlToken &t : m_tokens) {
        if (!t.closed)
            return t.begin;
    }
    return -1;
}

qsizetype SqlLexer::secondStatementAt() const
{
    qsizetype separator = -1;
    for (const SqlToken &t : m_tokens) {
        const bool isSeparator = t.kind == SqlTokenKind::Symbol && m_sql[t.begin] == u';';
        if (isSeparator) {
            if (separator < 0)
                separator = t.begin;
            continue;
        }
        if (t.kind == SqlTokenKind::Blank || t.kind == SqlTokenKind::LineComment ||
            t.kind == SqlTokenKind::BlockComment)
            continue;
        if (separator >= 0)
            return separator;
    }
    return -1;
}

}  // namespace tavi
