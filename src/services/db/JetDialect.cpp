#include "JetDialect.h"

#include "tools/SqlLexer.h"

#include <QDateTime>
#include <QRegularExpression>
#include <vector>

namespace tavi::db {

namespace {

enum class Tok
{
    Space,
    Word,
    Number,
    String,
    Ident,
    Date,
    Punct,
    Comment
};

struct Token
{
    Tok kind;
    QString text;
};

Tok kindOf(SqlTokenKind kind)
{
    switch (kind) {
    case SqlTokenKind::Blank:
        return Tok::Space;
    case SqlTokenKind::Word:
        return Tok::Word;
    case SqlTokenKind::Number:
        return Tok::Number;
    case SqlTokenKind::String:
        return Tok::String;
    case SqlTokenKind::QuotedName:
    case SqlTokenKind::BracketName:
        return Tok::Ident;
    case SqlTokenKind::Date:
        return Tok::Date;
    case SqlTokenKind::LineComment:
    case SqlTokenKind::BlockComment:
        return Tok::Comment;
    case SqlTokenKind::Symbol:
        break;
    }
    return Tok::Punct;
}

std::vector<Token> lex(const QString &s)
{
    const SqlLexer lexer(s, SqlDialect::Jet);
    std::vector<Token> out;
    out.reserve(lexer.tokens().size());
    for (const SqlToken &t : lexer.tokens())
        out.push_back({kindOf(t.kind), lexer.text(t).toString()});
    return out;
}

bool is(const Token &t, const char *word)
{
    return t.kind == Tok::Word && t.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
}

bool isPunct(const Token &t, const char *p)
{
    return t.kind == Tok::Punct && t.text == QLatin1String(p);
}

// Index of the next token that is not blank or a comment, or -1.
int nextSolid(const std::vector<Token> &t, int from)
{
    for (int k = from; k < int(t.size()); ++k) {
        if (t[size_t(k)].kind != Tok::Space && t[size_t(k)].kind != Tok::Comment)
            return k;
    }
    return -1;
}

QString join(const std::vector<Token> &t, int from = 0, int to = -1)
{
    QString s;
    if (to < 0)
        to = int(t.size());
    for (int k = from; k < to; ++k)
        s += t[size_t(k)].text;
    return s;
}

QString unquoteIdent(const QString &name)
{
    if (name.size() >= 2 && ((name.startsWith(u'[') && name.endsWith(u']')) ||
                             (name.startsWith(u'"') && name.endsWith(u'"')) ||
                             (name.startsWith(u'`') && name.endsWith(u'`'))))
        return name.mid(1, name.size() - 2);
    return name;
}

QString quoteSqlite(const QString &name)
{
    QString n = name;
    n.replace(u'"', QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

// Expression-level rewrites that apply to every statement.
void rewriteExpressions(std::vector<Token> &t)
{
    for (int k = 0; k < int(t.size()); ++k) {
        Token &tok = t[size_t(k)];
        switch (tok.kind) {
        case Tok::Date: {
            const QString lit = JetDialect::dateLiteral(tok.text.mid(1, tok.text.size() - 2));
            if (!lit.isEmpty()) {
                tok.kind = Tok::String;
                tok.text = lit;
            }
            break;
        }
        case Tok::Ident:
            // Jet reads "…" as a text, never as a name.
            if (tok.text.startsWith(u'"')) {
                QString body = tok.text.mid(1, tok.text.size() - 2);
                body.replace(QLatin1String("\"\""), QLatin1String("\""));
                body.replace(u'\'', QLatin1String("''"));
                tok.kind = Tok::String;
                tok.text = QLatin1Char('\'') + body + QLatin1Char('\'');
            }
            break;
        case Tok::Word: {
            const int after = nextSolid(t, k + 1);
            const bool call = after >= 0 && isPunct(t[size_t(after)], "(");
            const bool member = k > 0 && isPunct(t[size_t(k - 1)], ".");
            if (member)
                break;
            if (call && (is(tok, "isnull") || is(tok, "left") || is(tok, "right")))
                tok.text = QStringLiteral("jet_") + tok.text.toLower();
            else if (is(tok, "true"))
                tok = {Tok::Number, QStringLiteral("-1")};
            else if (is(tok, "false"))
                tok = {Tok::Number, QStringLiteral("0")};
            break;
        }
        default:
            break;
        }
    }
}

// Tokens without blanks or comments at either end.
std::vector<Token> trimmed(std::vector<Token> tokens)
{
    while (!tokens.empty() &&
           (tokens.back().kind == Tok::Space || tokens.back().kind == Tok::Comment))
        tokens.pop_back();
    while (!tokens.empty() && tokens.front().kind == Tok::Space)
        tokens.erase(tokens.begin());
    return tokens;
}

// Tokens that end an operand of "&", which binds looser than arithmetic and tighter than
// comparisons and the clauses around it.
bool endsOperand(const Token &t)
{
    if (t.kind == Tok::Punct) {
        static const QStringList stops = {
            QStringLiteral(","),  QStringLiteral(";"),  QStringLiteral("="),
            QStringLiteral("<>"), QStringLiteral("<"),  QStringLiteral(">"),
            QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("!=")};
        return stops.contains(t.text);
    }
    if (t.kind != Tok::Word)
        return false;
    static const char *const words[] = {
        "select", "from",  "where", "and",      "or",     "not",   "as",      "when",   "then",
        "else",   "end",   "on",    "by",       "having", "like",  "between", "in",     "is",
        "union",  "order", "group", "distinct", "top",    "case",  "set",     "values", "into",
        "join",   "all",   "asc",   "desc",     "limit",  "escape"};
    for (const char *w : words) {
        if (is(t, w))
            return true;
    }
    return false;
}

// First token of the operand left of an operator at k: back over balanced parentheses to an
// opening parenthesis or a token that ends operands.
template <typename Stop>
int operandStart(const std::vector<Token> &t, int k, Stop stops)
{
    int start = k - 1;
    for (int depth = 0; start >= 0; --start) {
        const Token &tok = t[size_t(start)];
        if (isPunct(tok, ")"))
            ++depth;
        else if (isPunct(tok, "(") && depth-- == 0)
            break;
        else if (depth == 0 && stops(tok))
            break;
    }
    return start + 1;
}

// a & b & c → jet_concat(a, b, c): Jet's & reads NULL as an empty text, SQLite's || does not.
void rewriteConcat(std::vector<Token> &t)
{
    for (int k = 0; k < int(t.size()); ++k) {
        if (!isPunct(t[size_t(k)], "&"))
            continue;
        const int start = operandStart(t, k, endsOperand);
        std::vector<std::vector<Token>> operands(1);
        for (int j = start; j < k; ++j)
            operands.back().push_back(t[size_t(j)]);
        int end = k;
        while (end < int(t.size()) && isPunct(t[size_t(end)], "&")) {
            operands.emplace_back();
            int j = end + 1;
            for (int depth = 0; j < int(t.size()); ++j) {
                const Token &tok = t[size_t(j)];
                if (isPunct(tok, "("))
                    ++depth;
                else if (isPunct(tok, ")") && depth-- == 0)
                    break;
                else if (depth == 0 && (endsOperand(tok) || isPunct(tok, "&")))
                    break;
                operands.back().push_back(tok);
            }
            end = j;
        }
        // Blanks after the last operand stay outside the call.
        std::vector<Token> trailing;
        while (!operands.back().empty() && operands.back().back().kind == Tok::Space) {
            trailing.insert(trailing.begin(), operands.back().back());
            operands.back().pop_back();
        }
        std::vector<Token> leading;
        while (!operands.front().empty() && operands.front().front().kind == Tok::Space) {
            leading.push_back(operands.front().front());
            operands.front().erase(operands.front().begin());
        }
        std::vector<Token> call = leading;
        call.push_back({Tok::Word, QStringLiteral("jet_concat")});
        call.push_back({Tok::Punct, QStringLiteral("(")});
        for (size_t o = 0; o < operands.size(); ++o) {
            if (o > 0)
                call.push_back({Tok::Punct, QStringLiteral(",")});
            std::vector<Token> operand = trimmed(operands[o]);
            if (operand.empty())
                operand.push_back({Tok::Word, QStringLiteral("NULL")});
            call.insert(call.end(), operand.begin(), operand.end());
        }
        call.push_back({Tok::Punct, QStringLiteral(")")});
        call.insert(call.end(), trailing.begin(), trailing.end());
        t.erase(t.begin() + start, t.begin() + end);
        t.insert(t.begin() + start, call.begin(), call.end());
        // Carry on inside the call: its operands may hold further & in parentheses.
        k = start + int(leading.size()) + 1;
    }
}

// a + b → jet_plus(a, b): Jet's + joins two texts and adds numbers (and days to a date), where
// SQLite's + would turn texts into numbers. Left-associative with "-", so the left operand runs
// back over earlier + and - terms.
void rewritePlus(std::vector<Token> &t)
{
    const auto stopsPlus = [](const Token &tok) {
        return endsOperand(tok) || isPunct(tok, "&") || isPunct(tok, "||");
    };
    for (int k = 0; k < int(t.size()); ++k) {
        if (!isPunct(t[size_t(k)], "+"))
            continue;
        const int start = operandStart(t, k, stopsPlus);
        std::vector<Token> left(t.begin() + start, t.begin() + k);
        // A + with nothing before it is a sign.
        if (nextSolid(left, 0) < 0)
            continue;
        int end = k + 1;
        bool first = true;
        for (int depth = 0; end < int(t.size()); ++end) {
            const Token &tok = t[size_t(end)];
            const bool solid = tok.kind != Tok::Space && tok.kind != Tok::Comment;
            if (isPunct(tok, "("))
                ++depth;
            else if (isPunct(tok, ")") && depth-- == 0)
                break;
            else if (depth == 0 && !first &&
                     (stopsPlus(tok) || isPunct(tok, "+") || isPunct(tok, "-")))
                break;
            if (solid)
                first = false;
        }
        std::vector<Token> right(t.begin() + k + 1, t.begin() + end);
        std::vector<Token> trailing;
        while (!right.empty() && right.back().kind == Tok::Space) {
            trailing.insert(trailing.begin(), right.back());
            right.pop_back();
        }
        std::vector<Token> leading;
        while (!left.empty() && left.front().kind == Tok::Space) {
            leading.push_back(left.front());
            left.erase(left.begin());
        }
        left = trimmed(left);
        right = trimmed(right);
        std::vector<Token> call = leading;
        call.push_back({Tok::Word, QStringLiteral("jet_plus")});
        call.push_back({Tok::Punct, QStringLiteral("(")});
        call.insert(call.end(), left.begin(), left.end());
        const int comma = int(call.size());
        call.push_back({Tok::Punct, QStringLiteral(",")});
        call.insert(call.end(), right.begin(), right.end());
        call.push_back({Tok::Punct, QStringLiteral(")")});
        call.insert(call.end(), trailing.begin(), trailing.end());
        t.erase(t.begin() + start, t.begin() + end);
        t.insert(t.begin() + start, call.begin(), call.end());
        // Carry on with the right operand, which may hold further + in parentheses.
        k = start + comma;
    }
}

// Jet compares texts without letter case whatever a table was made with: comparisons in a
// query get NOCASE on their left operand, which SQLite then uses before any column collation.
// An assignment in UPDATE … SET, an operand that is a number, and an explicit COLLATE stay.
void collateComparisons(std::vector<Token> &t)
{
    const int first = nextSolid(t, 0);
    if (first < 0)
        return;
    const Token &head = t[size_t(first)];
    if (!is(head, "select") && !is(head, "update") && !is(head, "delete") && !is(head, "insert") &&
        !is(head, "with") && !isPunct(head, "("))
        return;
    const bool update = is(head, "update");
    static const QStringList comparisons = {
        QStringLiteral("="), QStringLiteral("<>"), QStringLiteral("!="), QStringLiteral("<"),
        QStringLiteral(">"), QStringLiteral("<="), QStringLiteral(">=")};
    const auto isNumber = [&](int k) {
        if (k < 0)
            return false;
        if (t[size_t(k)].kind == Tok::Number)
            return true;
        const int next = nextSolid(t, k + 1);
        return (isPunct(t[size_t(k)], "-") || isPunct(t[size_t(k)], "+")) && next >= 0 &&
               t[size_t(next)].kind == Tok::Number;
    };
    std::vector<Token> out;
    out.reserve(t.size() + 16);
    int depth = 0;
    bool inSet = false;
    for (int k = 0; k < int(t.size()); ++k) {
        const Token &tok = t[size_t(k)];
        if (isPunct(tok, "("))
            ++depth;
        else if (isPunct(tok, ")"))
            --depth;
        if (update && depth == 0 && is(tok, "set"))
            inSet = true;
        else if (update && depth == 0 && (is(tok, "where") || is(tok, "from")))
            inSet = false;
        const bool keywordOperator = is(tok, "in") || is(tok, "between");
        const bool comparison =
            tok.kind == Tok::Punct && comparisons.contains(tok.text) && !(inSet && depth == 0);
        if (comparison || keywordOperator) {
            int last = int(out.size()) - 1;
            while (last >= 0 &&
                   (out[size_t(last)].kind == Tok::Space || out[size_t(last)].kind == Tok::Comment))
                --last;
            if (keywordOperator && last >= 0 && is(out[size_t(last)], "not")) {
                for (--last; last >= 0 && (out[size_t(last)].kind == Tok::Space ||
                                           out[size_t(last)].kind == Tok::Comment);)
                    --last;
            }
            const int at = last + 1;
            int beforeLast = last - 1;
            while (beforeLast >= 0 && out[size_t(beforeLast)].kind == Tok::Space)
                --beforeLast;
            const bool operand =
                last >= 0 &&
                (isPunct(out[size_t(last)], ")") ||
                 (out[size_t(last)].kind != Tok::Punct && !endsOperand(out[size_t(last)])));
            const bool explicitCollation =
                beforeLast >= 0 && is(out[size_t(beforeLast)], "collate");
            const bool numbers = (last >= 0 && out[size_t(last)].kind == Tok::Number) ||
                                 (comparison && isNumber(nextSolid(t, k + 1)));
            if (operand && !explicitCollation && !numbers) {
                std::vector<Token> after(out.begin() + at, out.end());
                out.resize(size_t(at));
                out.push_back({Tok::Space, QStringLiteral(" ")});
                out.push_back({Tok::Word, QStringLiteral("COLLATE")});
                out.push_back({Tok::Space, QStringLiteral(" ")});
                out.push_back({Tok::Word, QStringLiteral("NOCASE")});
                if (after.empty() || after.front().kind != Tok::Space)
                    out.push_back({Tok::Space, QStringLiteral(" ")});
                out.insert(out.end(), after.begin(), after.end());
            }
        }
        out.push_back(tok);
    }
    t = std::move(out);
}

// "select [distinct] top n …" → "select [distinct] … LIMIT n" for the outermost select.
void rewriteTop(std::vector<Token> &t)
{
    const int first = nextSolid(t, 0);
    if (first < 0 || !is(t[size_t(first)], "select"))
        return;
    int k = nextSolid(t, first + 1);
    if (k >= 0 && (is(t[size_t(k)], "distinct") || is(t[size_t(k)], "all")))
        k = nextSolid(t, k + 1);
    if (k < 0 || !is(t[size_t(k)], "top"))
        return;
    const int num = nextSolid(t, k + 1);
    if (num < 0 || t[size_t(num)].kind != Tok::Number)
        return;
    const int after = nextSolid(t, num + 1);
    if (after >= 0 && is(t[size_t(after)], "percent"))
        return;
    const QString count = t[size_t(num)].text;
    int eraseEnd = num + 1;
    if (eraseEnd < int(t.size()) && t[size_t(eraseEnd)].kind == Tok::Space)
        ++eraseEnd;
    t.erase(t.begin() + k, t.begin() + eraseEnd);
    while (!t.empty() && (t.back().kind == Tok::Space || isPunct(t.back(), ";")))
        t.pop_back();
    t.push_back({Tok::Space, QStringLiteral(" ")});
    t.push_back({Tok::Word, QStringLiteral("LIMIT")});
    t.push_back({Tok::Space, QStringLiteral(" ")});
    t.push_back({Tok::Number, count});
}

struct ColumnDdl
{
    QString text;
    QString name;
    bool boolean = false;
};

// One column definition of CREATE TABLE or ALTER TABLE … ADD, in SQLite terms.
ColumnDdl translateColumn(std::vector<Token> def)
{
    ColumnDdl out;
    const int nameAt = nextSolid(def, 0);
    if (nameAt < 0)
        return out;
    // Table constraints pass through unchanged.
    if (is(def[size_t(nameAt)], "primary") || is(def[size_t(nameAt)], "constraint") ||
        is(def[size_t(nameAt)], "unique") || is(def[size_t(nameAt)], "foreign") ||
        is(def[size_t(nameAt)], "check")) {
        out.text = join(def);
        return out;
    }
    out.name = unquoteIdent(def[size_t(nameAt)].text);
    if (def[size_t(nameAt)].text.startsWith(u'"'))
        def[size_t(nameAt)].kind = Tok::Ident;
    const int typeAt = nextSolid(def, nameAt + 1);
    if (typeAt < 0 || def[size_t(typeAt)].kind != Tok::Word) {
        out.text = join(def);
        return out;
    }
    // End of the type: its word plus an optional "(…)" size.
    int typeEnd = typeAt + 1;
    const int paren = nextSolid(def, typeEnd);
    if (paren >= 0 && isPunct(def[size_t(paren)], "(")) {
        int depth = 0;
        for (int k = paren; k < int(def.size()); ++k) {
            if (isPunct(def[size_t(k)], "("))
                ++depth;
            else if (isPunct(def[size_t(k)], ")") && --depth == 0) {
                typeEnd = k + 1;
                break;
            }
        }
    }
    const QString type = def[size_t(typeAt)].text.toLower();
    QString rest = join(def, typeEnd);
    static const QRegularExpression identity(QStringLiteral(R"(^\s*identity\s*(\([^)]*\))?)"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression primaryKey(QStringLiteral(R"(\bprimary\s+key\b)"),
                                               QRegularExpression::CaseInsensitiveOption);
    const bool isIdentity = identity.match(rest).hasMatch();
    QString newType = join(def, typeAt, typeEnd);
    if (type == QLatin1String("counter") || type == QLatin1String("autoincrement") || isIdentity) {
        rest.remove(identity);
        rest.remove(primaryKey);
        rest = rest.trimmed();
        if (!rest.isEmpty())
            rest.prepend(u' ');
        newType = QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    } else if (type == QLatin1String("varchar") || type == QLatin1String("char") ||
               type == QLatin1String("text") || type == QLatin1String("memo") ||
               type == QLatin1String("nvarchar") || type == QLatin1String("nchar") ||
               type == QLatin1String("longtext") || type == QLatin1String("longchar") ||
               type == QLatin1String("string") || type == QLatin1String("ntext") ||
               type == QLatin1String("character")) {
        newType += QStringLiteral(" COLLATE NOCASE");
    } else if (type == QLatin1String("bit") || type == QLatin1String("yesno") ||
               type == QLatin1String("logical") || type == QLatin1String("boolean")) {
        out.boolean = true;
    }
    out.text = join(def, 0, typeAt) + newType + rest;
    return out;
}

// Splits tokens at depth-0 commas.
std::vector<std::vector<Token>> splitTopLevel(const std::vector<Token> &t, int from, int to)
{
    std::vector<std::vector<Token>> parts(1);
    int depth = 0;
    for (int k = from; k < to; ++k) {
        const Token &tok = t[size_t(k)];
        if (isPunct(tok, "("))
            ++depth;
        else if (isPunct(tok, ")"))
            --depth;
        if (depth == 0 && isPunct(tok, ",")) {
            parts.emplace_back();
            continue;
        }
        parts.back().push_back(tok);
    }
    return parts;
}

QStringList booleanTriggers(const QString &table, const QString &column)
{
    const QString t = quoteSqlite(table);
    const QString c = quoteSqlite(column);
    const QString base = QStringLiteral("tavi_bool_") + table + QLatin1Char('_') + column;
    const QString body = QStringLiteral(
                             " WHEN NEW.%2 IS NOT NULL AND NEW.%2 NOT IN (0, -1) BEGIN "
                             "UPDATE %1 SET %2 = CASE WHEN NEW.%2 THEN -1 ELSE 0 END "
                             "WHERE rowid = NEW.rowid; END")
                             .arg(t, c);
    return {QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER INSERT ON %2")
                    .arg(quoteSqlite(base + QStringLiteral("_i")), t) +
                body,
            QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1 AFTER UPDATE OF %3 ON %2")
                    .arg(quoteSqlite(base + QStringLiteral("_u")), t, c) +
                body};
}

// CREATE TABLE name ( columns ) with Jet column types.
bool translateCreate(const std::vector<Token> &t, QStringList &out)
{
    const int c0 = nextSolid(t, 0);
    const int c1 = nextSolid(t, c0 + 1);
    if (c1 < 0 || !is(t[size_t(c0)], "create") || !is(t[size_t(c1)], "table"))
        return false;
    const int nameAt = nextSolid(t, c1 + 1);
    const int open = nameAt < 0 ? -1 : nextSolid(t, nameAt + 1);
    if (open < 0 || !isPunct(t[size_t(open)], "("))
        return false;
    int close = -1;
    int depth = 0;
    for (int k = open; k < int(t.size()); ++k) {
        if (isPunct(t[size_t(k)], "("))
            ++depth;
        else if (isPunct(t[size_t(k)], ")") && --depth == 0) {
            close = k;
            break;
        }
    }
    if (close < 0)
        return false;
    const QString table = unquoteIdent(t[size_t(nameAt)].text);
    QStringList columns;
    QStringList triggers;
    for (const auto &part : splitTopLevel(t, open + 1, close)) {
        const ColumnDdl col = translateColumn(part);
        columns << col.text;
        if (col.boolean)
            triggers << booleanTriggers(table, col.name);
    }
    out << join(t, 0, open + 1) + columns.join(QLatin1Char(',')) + join(t, close);
    out << triggers;
    return true;
}

// ALTER TABLE name ADD [COLUMN] a type, b type → one ALTER a column.
bool translateAlterAdd(const std::vector<Token> &t, QStringList &out)
{
    const int a0 = nextSolid(t, 0);
    const int a1 = nextSolid(t, a0 + 1);
    if (a1 < 0 || !is(t[size_t(a0)], "alter") || !is(t[size_t(a1)], "table"))
        return false;
    const int nameAt = nextSolid(t, a1 + 1);
    int add = nameAt < 0 ? -1 : nextSolid(t, nameAt + 1);
    if (add < 0 || !is(t[size_t(add)], "add"))
        return false;
    int from = add + 1;
    const int maybeColumn = nextSolid(t, from);
    if (maybeColumn >= 0 && is(t[size_t(maybeColumn)], "column"))
        from = maybeColumn + 1;
    const QString table = unquoteIdent(t[size_t(nameAt)].text);
    int end = int(t.size());
    while (end > from &&
           (t[size_t(end - 1)].kind == Tok::Space || isPunct(t[size_t(end - 1)], ";")))
        --end;
    for (const auto &part : splitTopLevel(t, from, end)) {
        const ColumnDdl col = translateColumn(part);
        out << QStringLiteral("ALTER TABLE ") + t[size_t(nameAt)].text +
                   QStringLiteral(" ADD COLUMN ") + col.text.trimmed();
        if (col.boolean)
            out << booleanTriggers(table, col.name);
    }
    return true;
}

}  // namespace

QString JetDialect::dateLiteral(const QString &jetDate)
{
    const QString body = jetDate.trimmed();
    static const char *formats[] = {"M-d-yyyy H:mm:ss",    "M-d-yyyy H:mm",   "M-d-yyyy",
                                    "M/d/yyyy H:mm:ss",    "M/d/yyyy H:mm",   "M/d/yyyy",
                                    "yyyy-M-d H:mm:ss",    "yyyy-M-d H:mm",   "yyyy-M-d",
                                    "yyyy/M/d H:mm:ss",    "yyyy/M/d H:mm",   "yyyy/M/d",
                                    "M/d/yyyy h:mm:ss AP", "M/d/yyyy h:mm AP"};
    for (const char *f : formats) {
        const QDateTime dt = QDateTime::fromString(body, QLatin1String(f));
        if (dt.isValid())
            return QLatin1Char('\'') + dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                   QLatin1Char('\'');
    }
    // A time of day alone is a time on Jet's day zero.
    for (const char *f : {"H:mm:ss", "H:mm"}) {
        const QTime time = QTime::fromString(body, QLatin1String(f));
        if (time.isValid())
            return QStringLiteral("'1899-12-30 ") + time.toString(QStringLiteral("HH:mm:ss")) +
                   QLatin1Char('\'');
    }
    return QString();
}

QStringList JetDialect::translate(const QString &sql)
{
    const std::vector<Token> all = lex(sql);
    QStringList out;
    std::vector<Token> stmt;
    const auto flush = [&] {
        if (nextSolid(stmt, 0) < 0) {
            stmt.clear();
            return;
        }
        rewriteExpressions(stmt);
        rewriteConcat(stmt);
        rewritePlus(stmt);
        if (!translateCreate(stmt, out) && !translateAlterAdd(stmt, out)) {
            collateComparisons(stmt);
            rewriteTop(stmt);
            out << join(stmt).trimmed();
        }
        stmt.clear();
    };
    int depth = 0;
    bool inTrigger = false;
    for (const Token &tok : all) {
        if (isPunct(tok, "("))
            ++depth;
        else if (isPunct(tok, ")"))
            --depth;
        else if (is(tok, "trigger"))
            inTrigger = true;
        else if (inTrigger && is(tok, "end"))
            inTrigger = false;
        if (depth == 0 && !inTrigger && isPunct(tok, ";")) {
            flush();
            continue;
        }
        stmt.push_back(tok);
    }
    flush();
    return out;
}

}  // namespace tavi::db
