#include "SqlToAccess.h"

#include "ConversionError.h"
#include "SqlLexer.h"

#include <QStringList>
#include <memory>
#include <vector>

namespace tavi {

namespace {

// Letter case is folded for a-z only: Unicode folding would let characters such as the long s
// or the Kelvin sign pass for ASCII keywords. Working on characters rather than GBK bytes keeps
// the trail byte of a double-byte character from ever being read as a letter of a keyword.
char16_t asciiUpper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

QString asciiUpper(QStringView text)
{
    QString result(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        result[i] = QChar(asciiUpper(text[i].unicode()));
    return result;
}

bool matchesAt(QStringView text, qsizetype pos, QStringView upperWord)
{
    if (pos + upperWord.size() > text.size())
        return false;
    for (qsizetype i = 0; i < upperWord.size(); ++i) {
        if (asciiUpper(text[pos + i].unicode()) != upperWord[i].unicode())
            return false;
    }
    return true;
}

// Replaces every occurrence of an ASCII word, any letter case, scanning left to right.
QString replaceWord(const QString &text, QStringView upperWord, QStringView replacement)
{
    QString result;
    result.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        if (matchesAt(text, i, upperWord)) {
            result += replacement;
            i += upperWord.size();
        } else {
            result += text[i++];
        }
    }
    return result;
}

bool isBlank(QChar c)
{
    return c.unicode() <= 32;
}

QStringView trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

QString compactSpaces(const QString &text)
{
    QString result = text;
    result.replace(QStringLiteral("   "), QStringLiteral(" "));
    result.replace(QStringLiteral("  "), QStringLiteral(" "));
    return trimmed(result).toString();
}

bool isDelimiter(QChar c)
{
    return c == u' ' || c == u'(' || c == u')' || c == u',';
}

QStringList tokenize(const QString &text)
{
    QStringList tokens;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!isDelimiter(c))
            continue;
        QString piece = text.mid(start, i - start);
        if (c == u' ')
            piece += u' ';
        if (!trimmed(piece).isEmpty())
            tokens << piece;
        if (c != u' ')
            tokens << QString(c);
        start = i + 1;
    }
    if (start < text.size())
        tokens << text.mid(start);
    return tokens;
}

// A token of the rewrite. A rewritten call is a node over the tokens it was made of, so
// building it copies no text: an isnull call names its first argument twice, and nested calls
// would otherwise copy their growing arguments once per level.
struct Node;
using NodePtr = std::shared_ptr<const Node>;

struct Node
{
    QString text;
    std::vector<NodePtr> parts;
    qint64 size = 0;

    Node() = default;
    Node(const Node &) = delete;
    Node &operator=(const Node &) = delete;
    // Nested calls would otherwise be released recursively, one stack frame a level.
    ~Node()
    {
        std::vector<NodePtr> pending = std::move(parts);
        while (!pending.empty()) {
            NodePtr next = std::move(pending.back());
            pending.pop_back();
            if (next && next.use_count() == 1) {
                // The last owner may take the parts of a node that goes with it.
                auto &children = const_cast<Node &>(*next).parts;
                for (NodePtr &child : children)
                    pending.push_back(std::move(child));
                children.clear();
            }
        }
    }
};

// Beyond this a statement cannot be meant: nested isnull calls double their first argument
// at every level.
constexpr qint64 kMaxConvertedLength = qint64(1) << 22;

NodePtr leaf(const QString &text)
{
    auto node = std::make_shared<Node>();
    node->text = text;
    node->size = text.size();
    return node;
}

NodePtr composite(std::vector<NodePtr> parts)
{
    auto node = std::make_shared<Node>();
    for (const NodePtr &p : parts)
        node->size += p->size;
    if (node->size > kMaxConvertedLength)
        throw ConversionError(
            QStringLiteral("语句转换后超过 %1 个字符（isnull 嵌套过深），不能执行。")
                .arg(kMaxConvertedLength));
    node->parts = std::move(parts);
    return node;
}

void appendText(const NodePtr &root, QString &out)
{
    // Nesting can be thousands of levels deep: no recursion.
    std::vector<const Node *> stack{root.get()};
    while (!stack.empty()) {
        const Node *node = stack.back();
        stack.pop_back();
        if (node->parts.empty()) {
            out += node->text;
            continue;
        }
        for (auto it = node->parts.rbegin(); it != node->parts.rend(); ++it)
            stack.push_back(it->get());
    }
}

// The token list of the rewrite, walked from its end to its start; reading or removing past its
// end fails the whole conversion, as the rewrites take their arguments by position. Tokens before
// the current one sit in m_head, the current one and those after it in m_tail, last first, so
// every step and every removal touches only the ends of the two vectors.
class TokenList
{
public:
    explicit TokenList(const QStringList &tokens)
    {
        for (const QString &t : tokens)
            m_head.push_back(leaf(t));
    }

    qsizetype size() const { return qsizetype(m_head.size() + m_tail.size()); }

    /// Makes the token at index (at most the current one) the current one.
    void moveTo(qsizetype index)
    {
        while (qsizetype(m_head.size()) > index) {
            m_tail.push_back(m_head.back());
            m_head.pop_back();
        }
    }

    qsizetype current() const { return qsizetype(m_head.size()); }

    const NodePtr &at(qsizetype index) const
    {
        check(index);
        return m_tail[m_tail.size() - 1 - size_t(index - current())];
    }

    // The text of a token as read, empty for a rewritten call (never a keyword).
    const QString &textAt(qsizetype index) const { return at(index)->text; }

    void setCurrent(NodePtr token) { m_tail.back() = std::move(token); }

    void removeAfterCurrent(qsizetype count)
    {
        check(current() + count);
        m_tail.erase(m_tail.end() - 1 - count, m_tail.end() - 1);
    }

    QString joined() const
    {
        QString out;
        for (const NodePtr &t : m_head)
            appendText(t, out);
        for (auto it = m_tail.rbegin(); it != m_tail.rend(); ++it)
            appendText(*it, out);
        return out;
    }

private:
    void check(qsizetype index) const
    {
        if (index < current() || index >= size())
            throw ConversionError(QStringLiteral("List index out of bounds (%1)").arg(index));
    }

    std::vector<NodePtr> m_head;
    std::vector<NodePtr> m_tail;
};

void rewriteDayArithmetic(TokenList &tokens, qsizetype k)
{
    if (asciiUpper(tokens.textAt(k + 2)) != QLatin1String("DAY"))
        return;
    std::vector<NodePtr> call = {tokens.at(k), tokens.at(k + 1), leaf(QStringLiteral("'d'"))};
    for (qsizetype i = k + 3; i <= k + 7; ++i)
        call.push_back(tokens.at(i));
    call.push_back(leaf(QStringLiteral(" ")));
    NodePtr node = composite(std::move(call));
    tokens.removeAfterCurrent(7);
    tokens.setCurrent(std::move(node));
}

void rewriteIsNull(TokenList &tokens, qsizetype k)
{
    const NodePtr value = tokens.at(k + 2);
    const NodePtr fallback = tokens.at(k + 4);
    tokens.removeAfterCurrent(5);
    tokens.setCurrent(
        composite({leaf(QStringLiteral("iif(isnull(")), value, leaf(QStringLiteral("), ")),
                   fallback, leaf(QStringLiteral(", ")), value, leaf(QStringLiteral(")"))}));
}

QString rewriteTokens(const QString &text)
{
    TokenList tokens(tokenize(compactSpaces(text)));
    // Walking down rewrites an inner isnull first, so the outer call sees it as one token.
    for (qsizetype k = tokens.size() - 5; k >= 1; --k) {
        tokens.moveTo(k);
        const QString keyword = asciiUpper(trimmed(tokens.textAt(k)));
        if (keyword == QLatin1String("DATEADD") || keyword == QLatin1String("DATEDIFF"))
            rewriteDayArithmetic(tokens, k);
        else if (keyword == QLatin1String("ISNULL"))
            rewriteIsNull(tokens, k);
    }
    return tokens.joined();
}

// The statement with every literal, quoted or bracketed name, comment and date replaced by a
// mark, so the rewrites see code only and a value inside a literal never steers them.
class MaskedStatement
{
public:
    explicit MaskedStatement(const QString &sql)
    {
        const SqlLexer lexer(sql, SqlDialect::Jet);
        m_code.reserve(sql.size());
        for (const SqlToken &t : lexer.tokens()) {
            const QStringView text = lexer.text(t);
            const bool code = t.kind == SqlTokenKind::Blank || t.kind == SqlTokenKind::Word ||
                              t.kind == SqlTokenKind::Number || t.kind == SqlTokenKind::Symbol;
            if (code) {
                for (const QChar c : text) {
                    if (c == QChar(kMarkOpen) || c == QChar(kMarkClose))
                        throw ConversionError(QStringLiteral("语句含有不能转换的字符 U+%1。")
                                                  .arg(uint(c.unicode()), 4, 16, QLatin1Char('0'))
                                                  .toUpper());
                }
                m_code += text;
                continue;
            }
            m_code += QChar(kMarkOpen) + QString::number(m_literals.size()) + QChar(kMarkClose);
            m_literals << text.toString();
        }
    }

    const QString &code() const { return m_code; }

    QString restored(const QString &converted) const
    {
        QString out;
        out.reserve(converted.size());
        qsizetype i = 0;
        while (i < converted.size()) {
            const qsizetype open = converted.indexOf(QChar(kMarkOpen), i);
            if (open < 0) {
                out += QStringView(converted).sliced(i);
                break;
            }
            out += QStringView(converted).sliced(i, open - i);
            const qsizetype close = converted.indexOf(QChar(kMarkClose), open);
            out += m_literals[converted.mid(open + 1, close - open - 1).toInt()];
            i = close + 1;
        }
        return out;
    }

private:
    // Unicode noncharacters: they never occur in text that is exchanged.
    static constexpr char16_t kMarkOpen = 0xFDD0;
    static constexpr char16_t kMarkClose = 0xFDD1;

    QString m_code;
    QStringList m_literals;
};

QString convertCode(const QString &sql)
{
    QString text = replaceWord(sql, u"GETDATE()", u"now()");
    if (asciiUpper(text).contains(QLatin1String("CAST"))) {
        text = replaceWord(text, u"CAST(", u"");
        text = replaceWord(text, u"AS VARCHAR)", u"");
    }
    const QString upper = asciiUpper(text);
    // A text that already uses iif has been converted before.
    if (upper.contains(QLatin1String("IIF")))
        return text;
    if (!upper.contains(QLatin1String("ISNULL")) && !upper.contains(QLatin1String("DATEADD")) &&
        !upper.contains(QLatin1String("DATEDIFF")))
        return text;
    return rewriteTokens(text);
}

}  // namespace

QString ConvertSqlToAcc(const QString &sql)
{
    const MaskedStatement masked(sql);
    return masked.restored(convertCode(masked.code()));
}

}  // namespace tavi
