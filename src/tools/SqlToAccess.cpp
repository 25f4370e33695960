#include "SqlToAccess.h"

#include "ConversionError.h"

#include <QStringList>

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

// The token list of the rewrite; reading or removing past its end fails the whole conversion,
// as the rewrites take their arguments by position.
class TokenList
{
public:
    explicit TokenList(QStringList tokens) : m_tokens(std::move(tokens)) {}

    const QString &at(qsizetype index) const
    {
        check(index);
        return m_tokens[index];
    }

    void set(qsizetype index, const QString &token) { m_tokens[index] = token; }

    void removeAfter(qsizetype index, qsizetype count)
    {
        check(index + count);
        m_tokens.remove(index + 1, count);
    }

    qsizetype size() const { return m_tokens.size(); }
    QString joined() const { return m_tokens.join(QString()); }

private:
    void check(qsizetype index) const
    {
        if (index < 0 || index >= m_tokens.size())
            throw ConversionError(QStringLiteral("List index out of bounds (%1)").arg(index));
    }

    QStringList m_tokens;
};

void rewriteDayArithmetic(TokenList &tokens, qsizetype k)
{
    if (asciiUpper(tokens.at(k + 2)) != QLatin1String("DAY"))
        return;
    QString call = tokens.at(k) + tokens.at(k + 1) + QStringLiteral("'d'");
    for (qsizetype i = k + 3; i <= k + 7; ++i)
        call += tokens.at(i);
    tokens.set(k, call + u' ');
    tokens.removeAfter(k, 7);
}

void rewriteIsNull(TokenList &tokens, qsizetype k)
{
    const QString value = tokens.at(k + 2);
    const QString fallback = tokens.at(k + 4);
    tokens.removeAfter(k, 5);
    tokens.set(k, QStringLiteral("iif(isnull(") + value + QStringLiteral("), ") + fallback +
                      QStringLiteral(", ") + value + u')');
}

QString rewriteTokens(const QString &text)
{
    TokenList tokens(tokenize(compactSpaces(text)));
    // Walking down rewrites an inner isnull first, so the outer call sees it as one token.
    for (qsizetype k = tokens.size() - 5; k >= 1; --k) {
        const QString keyword = asciiUpper(trimmed(tokens.at(k)));
        if (keyword == QLatin1String("DATEADD") || keyword == QLatin1String("DATEDIFF"))
            rewriteDayArithmetic(tokens, k);
        else if (keyword == QLatin1String("ISNULL"))
            rewriteIsNull(tokens, k);
    }
    return tokens.joined();
}

}  // namespace

QString ConvertSqlToAcc(const QString &sql)
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

}  // namespace tavi
