#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace tavi {

/// The rules a statement is read by.
enum class SqlDialect
{
    /// Access statements as the local engine runs them: `#…#` on one line is a date, block
    /// comments do not nest, a `[name]` ends at its first `]`.
    Jet,
    /// SQL Server: `#name` is a temporary table, block comments nest, `]]` inside a `[name]`
    /// stands for one `]`.
    TransactSql,
};

enum class SqlTokenKind
{
    Blank,
    Word,
    Number,
    String,        ///< '…', a doubled quote inside stands for one
    QuotedName,    ///< "…", a doubled quote inside stands for one
    BracketName,   ///< […]
    LineComment,   ///< -- up to the end of the line, the line break excluded
    BlockComment,  ///< /* … */
    Date,          ///< #…# (Jet only)
    Symbol,        ///< one operator or punctuation character, or <> <= >= != ||
};

/// One token: a range of the statement.
struct SqlToken
{
    SqlTokenKind kind;
    qsizetype begin;
    qsizetype size;
    /// For strings, quoted names, bracket names and block comments: whether their end was found.
    bool closed = true;

    qsizetype end() const { return begin + size; }
};

/// What a character of a statement belongs to.
enum class SqlContext
{
    Code,
    String,
    QuotedName,
    BracketName,
    LineComment,
    BlockComment,
};

/// Splits a statement into tokens once, then answers where any offset lies. Every character
/// belongs to exactly one token; the quotes, brackets and comment marks belong to the literal,
/// name or comment they delimit.
class SqlLexer
{
public:
    explicit SqlLexer(const QString &sql, SqlDialect dialect = SqlDialect::Jet);

    const QString &sql() const { return m_sql; }
    SqlDialect dialect() const { return m_dialect; }
    const std::vector<SqlToken> &tokens() const { return m_tokens; }
    QStringView text(const SqlToken &token) const;

    /// Index of the token holding the character at offset; -1 outside the text.
    qsizetype tokenIndexAt(qsizetype offset) const;
    /// What the character at offset belongs to (code outside the text).
    SqlContext contextAt(qsizetype offset) const;
    bool isCode(qsizetype offset) const { return contextAt(offset) == SqlContext::Code; }
    /// The character that a value placed at offset must double to stay inside its literal or
    /// name (' " or ]); null in code and in comments.
    QChar closingQuoteAt(qsizetype offset) const;

    /// Offset of the first string, name or block comment that never ends; -1 when all end.
    qsizetype unterminatedAt() const;
    /// Offset of the first `;` in code that more than blanks, comments and `;` follow: the start
    /// of a second statement. -1 when the text is one statement.
    qsizetype secondStatementAt() const;

    /// Characters of a word (names, keywords): letters, digits, `_`, `$`, anything past ASCII.
    static bool isWordChar(QChar c);
    static SqlContext contextOf(SqlTokenKind kind);

private:
    void lex();
    qsizetype quotedEnd(qsizetype from, QChar quote, bool *closed) const;
    qsizetype bracketEnd(qsizetype from, bool *closed) const;
    qsizetype blockCommentEnd(qsizetype from, bool *closed) const;

    QString m_sql;
    SqlDialect m_dialect;
    std::vector<SqlToken> m_tokens;
};

}  // namespace tavi
