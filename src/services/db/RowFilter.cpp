#include "RowFilter.h"

#include "DbError.h"
#include "TextCollation.h"
#include "tools/DisplayFormat.h"

#include <QDate>
#include <algorithm>
#include <cmath>
#include <vector>

namespace tavi::db {

namespace {

enum class Op
{
    Eq,
    Ne,
    Lt,
    Gt,
    Le,
    Ge,
    Like,
    IsNull,
    IsNotNull
};

struct Literal
{
    enum class Kind
    {
        Null,
        Number,
        Text,
        Date
    } kind = Kind::Null;
    double number = 0;
    qint64 date = 0;
    QString text;
    std::string utf8;
    std::string key;
};

// A value of a row reduced to what comparisons need.
struct RowValue
{
    enum class Kind
    {
        Null,
        Number,
        Date,
        Text
    } kind = Kind::Null;
    double number = 0;
    qint64 date = 0;
    std::string_view utf8;
    std::string owned;  // backing store of utf8 for converted values
};

RowValue fromVariant(const QVariant &v)
{
    RowValue r;
    if (!v.isValid() || v.isNull())
        return r;
    switch (v.metaType().id()) {
    case QMetaType::Bool:
        r.kind = RowValue::Kind::Number;
        r.number = v.toBool() ? -1 : 0;
        return r;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        r.kind = RowValue::Kind::Number;
        r.number = v.toDouble();
        return r;
    case QMetaType::QDateTime:
        r.kind = RowValue::Kind::Date;
        r.date = ColumnData::packDateTime(v.toDateTime());
        return r;
    case QMetaType::QDate:
        r.kind = RowValue::Kind::Date;
        r.date = ColumnData::packDateTime(v.toDate(), QTime(0, 0));
        return r;
    default:
        r.kind = RowValue::Kind::Text;
        r.owned = v.toString().toStdString();
        r.utf8 = r.owned;
        return r;
    }
}

std::string rowText(const RowValue &v)
{
    switch (v.kind) {
    case RowValue::Kind::Number:
        return DisplayFormat::plain(QVariant(v.number)).toStdString();
    case RowValue::Kind::Date:
        return ColumnData::dateTimeText(v.date).toStdString();
    case RowValue::Kind::Text:
        return std::string(v.utf8);
    case RowValue::Kind::Null:
        break;
    }
    return {};
}

// Case-insensitive wildcard match over collation keys, '*' and '%' match any run.
bool likeMatch(std::string_view text, std::string_view pattern)
{
    size_t t = 0, p = 0, star = std::string_view::npos, mark = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%')) {
            star = p++;
            mark = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && (pattern[p] == '*' || pattern[p] == '%'))
        ++p;
    return p == pattern.size();
}

}  // namespace

struct RowFilter::Node
{
    enum class Kind
    {
        And,
        Or,
        Clause
    } kind = Kind::Clause;
    // The terms of an And or Or: a chain a AND b AND c is one node, so its length never
    // deepens the tree.
    std::vector<std::unique_ptr<Node>> terms;
    Field field;
    Op op = Op::Eq;
    Literal literal;

    RowValue valueOf(int rowId) const
    {
        if (!field.data)
            return fromVariant(field.computed(rowId));
        const ColumnData &c = *field.data;
        RowValue r;
        if (c.isNull(rowId))
            return r;
        switch (c.storage()) {
        case ColumnData::Storage::Int:
            r.kind = RowValue::Kind::Number;
            r.number = double(c.intAt(rowId));
            if (c.kind() == FieldKind::Boolean && r.number != 0)
                r.number = -1;
            return r;
        case ColumnData::Storage::Double:
            r.kind = RowValue::Kind::Number;
            r.number = c.doubleAt(rowId);
            return r;
        case ColumnData::Storage::DateTime:
            r.kind = RowValue::Kind::Date;
            r.date = c.intAt(rowId);
            return r;
        case ColumnData::Storage::Text:
            r.kind = RowValue::Kind::Text;
            r.utf8 = c.utf8At(rowId);
            return r;
        case ColumnData::Storage::Variant:
            return fromVariant(c.variantAt(rowId));
        }
        return r;
    }

    // Collation key of a row value, in a buffer reused across rows.
    static const std::string &rowKey(const RowValue &v)
    {
        thread_local std::string buffer;
        buffer.clear();
        if (v.kind == RowValue::Kind::Text)
            TextCollation::appendKey(v.utf8, buffer);
        else
            TextCollation::appendKey(rowText(v), buffer);
        return buffer;
    }

    // Three-way comparison of a non-null row value with a non-null literal.
    int compare(const RowValue &v) const
    {
        const Literal &l = literal;
        if (v.kind == RowValue::Kind::Number) {
            double n = l.number;
            bool numeric = l.kind == Literal::Kind::Number;
            if (l.kind == Literal::Kind::Text) {
                bool ok = false;
                n = l.text.trimmed().toDouble(&ok);
                numeric = ok;
            }
            if (numeric)
                return v.number < n ? -1 : v.number > n ? 1 : 0;
        }
        if (v.kind == RowValue::Kind::Date) {
            qint64 d = l.date;
            bool dated = l.kind == Literal::Kind::Date;
            if (l.kind == Literal::Kind::Text)
                dated = ColumnData::parseDateTimeText(l.utf8, &d);
            if (dated)
                return v.date < d ? -1 : v.date > d ? 1 : 0;
        }
        return rowKey(v).compare(l.key);
    }

    bool matches(int rowId) const
    {
        switch (kind) {
        case Kind::And:
            return std::all_of(terms.begin(), terms.end(),
                               [rowId](const auto &t) { return t->matches(rowId); });
        case Kind::Or:
            return std::any_of(terms.begin(), terms.end(),
                               [rowId](const auto &t) { return t->matches(rowId); });
        case Kind::Clause:
            break;
        }
        const RowValue v = valueOf(rowId);
        const bool isNull = v.kind == RowValue::Kind::Null;
        if (op == Op::IsNull)
            return isNull;
        if (op == Op::IsNotNull)
            return !isNull;
        if (literal.kind == Literal::Kind::Null)
            return op == Op::Eq ? isNull : op == Op::Ne ? !isNull : false;
        if (isNull)
            return false;
        if (op == Op::Like)
            return likeMatch(rowKey(v), literal.key);
        const int c = compare(v);
        switch (op) {
        case Op::Eq:
            return c == 0;
        case Op::Ne:
            return c != 0;
        case Op::Lt:
            return c < 0;
        case Op::Gt:
            return c > 0;
        case Op::Le:
            return c <= 0;
        case Op::Ge:
            return c >= 0;
        default:
            return false;
        }
    }
};

namespace {

class Parser
{
public:
    Parser(const QString &text, const RowFilter::FieldResolver &resolve)
        : m_text(text), m_resolve(resolve)
    {}

    std::unique_ptr<RowFilter::Node> parse()
    {
        auto node = parseOr();
        skipBlanks();
        if (m_pos < m_text.size())
            fail(QStringLiteral("无法识别的内容“%1”").arg(m_text.mid(m_pos, 20)));
        return node;
    }

private:
    [[noreturn]] void fail(const QString &what) const
    {
        throw DbError(QStringLiteral("筛选条件“%1”有误：%2").arg(m_text, what));
    }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text[m_pos].isSpace())
            ++m_pos;
    }

    // Consumes a keyword that stands as a whole word.
    bool keyword(const char *word)
    {
        skipBlanks();
        const QLatin1String w(word);
        if (m_text.mid(m_pos, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        const qsizetype end = m_pos + w.size();
        if (end < m_text.size() && (m_text[end].isLetterOrNumber() || m_text[end] == u'_'))
            return false;
        m_pos = end;
        return true;
    }

    // a OP b OP c as one node of its terms; a single term stands for itself.
    template <typename Term>
    std::unique_ptr<RowFilter::Node> chain(RowFilter::Node::Kind kind, const char *word, Term term)
    {
        auto first = term();
        if (!keyword(word))
            return first;
        auto n = std::make_unique<RowFilter::Node>();
        n->kind = kind;
        n->terms.push_back(std::move(first));
        do {
            n->terms.push_back(term());
        } while (keyword(word));
        return n;
    }

    std::unique_ptr<RowFilter::Node> parseOr()
    {
        return chain(RowFilter::Node::Kind::Or, "OR", [this] { return parseAnd(); });
    }

    std::unique_ptr<RowFilter::Node> parseAnd()
    {
        return chain(RowFilter::Node::Kind::And, "AND", [this] { return parsePrimary(); });
    }

    std::unique_ptr<RowFilter::Node> parsePrimary()
    {
        skipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == u'(') {
            // Each level costs stack while parsing, matching and freeing the tree.
            if (++m_depth > kMaxNesting)
                fail(QStringLiteral("括号嵌套超过 %1 层").arg(kMaxNesting));
            ++m_pos;
            auto node = parseOr();
            skipBlanks();
            if (m_pos >= m_text.size() || m_text[m_pos] != u')')
                fail(QStringLiteral("缺少右括号"));
            ++m_pos;
            --m_depth;
            return node;
        }
        return parseClause();
    }

    QString fieldName()
    {
        skipBlanks();
        if (m_pos >= m_text.size())
            fail(QStringLiteral("缺少字段名"));
        if (m_text[m_pos] == u'[') {
            const qsizetype end = m_text.indexOf(u']', m_pos + 1);
            if (end < 0)
                fail(QStringLiteral("字段名缺少“]”"));
            const QString name = m_text.mid(m_pos + 1, end - m_pos - 1);
            m_pos = end + 1;
            return name;
        }
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() &&
               (m_text[m_pos].isLetterOrNumber() || m_text[m_pos] == u'_' ||
                m_text[m_pos] == u'.' || m_text[m_pos] == u'$'))
            ++m_pos;
        if (m_pos == start)
            fail(QStringLiteral("缺少字段名"));
        return m_text.mid(start, m_pos - start);
    }

    Op comparison()
    {
        skipBlanks();
        static const std::pair<const char *, Op> ops[] = {{"<=", Op::Le}, {">=", Op::Ge},
                                                          {"<>", Op::Ne}, {"=", Op::Eq},
                                                          {"<", Op::Lt},  {">", Op::Gt}};
        for (const auto &[s, op] : ops) {
            const QLatin1String t(s);
            if (m_text.mid(m_pos, t.size()) == t) {
                m_pos += t.size();
                return op;
            }
        }
        if (keyword("LIKE"))
            return Op::Like;
        if (keyword("IS")) {
            const bool negated = keyword("NOT");
            if (!keyword("NULL"))
                fail(QStringLiteral("IS 之后应为 NULL"));
            return negated ? Op::IsNotNull : Op::IsNull;
        }
        fail(QStringLiteral("缺少比较运算符"));
    }

    Literal literal()
    {
        skipBlanks();
        Literal l;
        if (m_pos >= m_text.size())
            fail(QStringLiteral("缺少比较的值"));
        const QChar c = m_text[m_pos];
        if (c == u'\'' || c == u'"') {
            QString value;
            ++m_pos;
            for (;;) {
                if (m_pos >= m_text.size())
                    fail(QStringLiteral("文本缺少结束的引号"));
                if (m_text[m_pos] == c) {
                    if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == c) {
                        value += c;
                        m_pos += 2;
                        continue;
                    }
                    ++m_pos;
                    break;
                }
                value += m_text[m_pos++];
            }
            l.kind = Literal::Kind::Text;
            l.text = value;
        } else if (c == u'#') {
            const qsizetype end = m_text.indexOf(u'#', m_pos + 1);
            if (end < 0)
                fail(QStringLiteral("日期缺少结束的“#”"));
            const QString body = m_text.mid(m_pos + 1, end - m_pos - 1).trimmed();
            m_pos = end + 1;
            if (!parseDate(body, &l.date))
                fail(QStringLiteral("无法识别的日期“%1”").arg(body));
            l.kind = Literal::Kind::Date;
            l.text = ColumnData::dateTimeText(l.date);
        } else if (keyword("NULL")) {
            l.kind = Literal::Kind::Null;
            return l;
        } else if (keyword("TRUE")) {
            // Booleans read as Jet's -1 and 0.
            l.kind = Literal::Kind::Number;
            l.number = -1;
            l.text = QStringLiteral("-1");
        } else if (keyword("FALSE")) {
            l.kind = Literal::Kind::Number;
            l.text = QStringLiteral("0");
        } else {
            const qsizetype start = m_pos;
            while (m_pos < m_text.size() &&
                   (m_text[m_pos].isDigit() || m_text[m_pos] == u'.' || m_text[m_pos] == u'-' ||
                    m_text[m_pos] == u'+' || m_text[m_pos] == u'e' || m_text[m_pos] == u'E'))
                ++m_pos;
            bool ok = false;
            l.number = m_text.mid(start, m_pos - start).toDouble(&ok);
            if (!ok)
                fail(QStringLiteral("无法识别的值“%1”").arg(m_text.mid(start, 20)));
            l.kind = Literal::Kind::Number;
            l.text = m_text.mid(start, m_pos - start);
        }
        l.utf8 = l.text.toStdString();
        l.key = TextCollation::key(l.utf8);
        return l;
    }

    static bool parseDate(const QString &body, qint64 *packed)
    {
        if (ColumnData::parseDateTimeText(body.toStdString(), packed))
            return true;
        // The US order that ADO and Jet use between # signs.
        static const char *formats[] = {"M/d/yyyy H:mm:ss", "M/d/yyyy H:mm", "M/d/yyyy",
                                        "M-d-yyyy H:mm:ss", "M-d-yyyy H:mm", "M-d-yyyy"};
        for (const char *f : formats) {
            const QDateTime dt = QDateTime::fromString(body, QLatin1String(f));
            if (dt.isValid()) {
                *packed = ColumnData::packDateTime(dt);
                return true;
            }
        }
        return false;
    }

    std::unique_ptr<RowFilter::Node> parseClause()
    {
        const QString name = fieldName();
        const std::optional<RowFilter::Field> field = m_resolve(name);
        if (!field)
            fail(QStringLiteral("没有字段“%1”").arg(name));
        auto node = std::make_unique<RowFilter::Node>();
        node->field = *field;
        node->op = comparison();
        if (node->op != Op::IsNull && node->op != Op::IsNotNull) {
            node->literal = literal();
            if (node->op == Op::Like && node->literal.kind == Literal::Kind::Null)
                fail(QStringLiteral("LIKE 之后应为文本"));
        }
        return node;
    }

    const QString &m_text;
    static constexpr int kMaxNesting = 256;

    const RowFilter::FieldResolver &m_resolve;
    qsizetype m_pos = 0;
    int m_depth = 0;
};

}  // namespace

RowFilter::~RowFilter() = default;

std::unique_ptr<RowFilter> RowFilter::parse(const QString &text, const FieldResolver &resolve)
{
    std::unique_ptr<RowFilter> f(new RowFilter);
    f->m_root = Parser(text, resolve).parse();
    return f;
}

bool RowFilter::matches(int rowId) const
{
    return m_root->matches(rowId);
}

}  // namespace tavi::db
