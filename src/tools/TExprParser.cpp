#include "TExprParser.h"

#include "EvalError.h"
#include "ExprTreeBuilder.h"
#include "Gbk.h"
#include "NumberText.h"

#include <QElapsedTimer>
#include <cmath>

namespace tavi {

namespace {

// Deep enough for any expression of a few hundred characters; deeper trees are refused
// rather than risking the stack.
constexpr int kMaxDepth = 256;

constexpr int kOperatorWord = 1;
constexpr int kFunction = 3;

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (static_cast<quint8>(c) >= 0x80)
            return false;
    }
    return true;
}

// Trimmed and in upper case: a-z, and the letters of the code page that have an upper-case
// form in it (full-width, Greek, Cyrillic).
QByteArray upperName(QByteArrayView name)
{
    QByteArray bytes = name.toByteArray().trimmed();
    if (!isAscii(bytes)) {
        const QString text = Gbk::decode(bytes);
        if (Gbk::encode(text) == bytes) {
            QString upper = text;
            for (QChar &ch : upper) {
                const QChar u = ch.toUpper();
                if (u != ch && Gbk::encode(QString(u)) != "?")
                    ch = u;
            }
            return Gbk::encode(upper);
        }
    }
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (static_cast<quint8>(c) >= 0x81)
            ++i;  // keep the trail byte of a double-byte character as it is
        else if (c >= 'a' && c <= 'z')
            bytes[i] = static_cast<char>(c - 'a' + 'A');
    }
    return bytes;
}

struct Registration
{
    const char *name;
    int code;
};

constexpr Registration kOperatorWords[] = {
    {"Add", 1},     {"Sub", 2},   {"Mul", 3},   {"Div", 4},       {"Plus", 5},      {"Minus", 6},
    {"Mod", 7},     {"FDiv", 8},  {"Not", 9},   {"IfThen", 10},   {"StrCat", 13},   {"Assign", 14},
    {"大于", 17},   {"小于", 18}, {"等于", 19}, {"大于等于", 20}, {"小于等于", 21}, {"不等于", 22},
    {"IsNull", 23}, {"And", 29},  {"Or", 30},   {"Xor", 31},      {"End", 32},
};

constexpr Registration kFunctions[] = {
    {"now", 1},    {"tick", 2}, {"case", 3}, {"switch", 3}, {"if", 4},
    {"ifthen", 4}, {"int", 5},  {"frac", 6}, {"str", 7},    {"pi", 8},
};

class DepthGuard
{
public:
    explicit DepthGuard(int &depth) : m_depth(depth)
    {
        if (m_depth >= kMaxDepth)
            throw EvalError(QStringLiteral("Expression nested too deeply"));
        ++m_depth;
    }
    ~DepthGuard() { --m_depth; }
    DepthGuard(const DepthGuard &) = delete;
    DepthGuard &operator=(const DepthGuard &) = delete;

private:
    int &m_depth;
};

[[noreturn]] void numberOutOfRange(const QByteArray &text)
{
    throw EvalError(QStringLiteral("Number out of range: ") + QString::fromLatin1(text));
}

}  // namespace

TExprParser::TExprParser()
{
    // The second registration of IFTHEN wins: it is a function, the operator is only "?".
    for (const Registration &r : kOperatorWords)
        m_identifiers.Put(upperName(Gbk::encode(QString::fromUtf8(r.name))),
                          (kOperatorWord << 24) | r.code);
    for (const Registration &r : kFunctions)
        m_identifiers.Put(upperName(r.name), (kFunction << 24) | r.code);
}

void TExprParser::SetExpression(const QByteArray &expression)
{
    m_expression = expression;
    m_nodes.clear();
}

int TExprParser::Parse()
{
    ExprTreeBuilder builder(m_expression, [this](QByteArrayView name) {
        const Identifier id = LookupIdentifier(name);
        return id.kind == kOperatorWord && id.code >= 1 && id.code <= 32
                   ? static_cast<ExprOp>(id.code)
                   : ExprOp::None;
    });
    m_nodes = builder.build();
    return static_cast<int>(m_nodes.size());
}

Variant TExprParser::Evaluate()
{
    if (m_nodes.size() < 2)
        return {};
    return valueOf(0);
}

TExprParser::Identifier TExprParser::LookupIdentifier(QByteArrayView name) const
{
    const QByteArray key = upperName(name);
    qint32 packed = 0;
    if (key.isEmpty() || !m_identifiers.TryGetValue(key, packed))
        return {};
    return {(packed >> 24) & 0xFF, packed & 0xFFFFFF};
}

Variant TExprParser::GetVariable(QByteArrayView name)
{
    const QByteArray key = upperName(name);
    if (!key.isEmpty() && m_variables.HasKey(key))
        return m_variables.Get(key);
    return CallFunction(name, {});
}

void TExprParser::SetVariable(QByteArrayView name, const Variant &value)
{
    const QByteArray key = upperName(name);
    if (!key.isEmpty())
        m_variables.Put(key, value);
}

Variant TExprParser::CallFunction(QByteArrayView name, const std::vector<int> &args)
{
    const Identifier id = LookupIdentifier(name);
    return id.kind == kFunction ? EvalFunction(id.code, args) : Variant();
}

QByteArray TExprParser::nodeText(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_nodes.size()))
        return {};
    const TExprNode &node = m_nodes[index];
    return m_expression.mid(node.Start - 1, node.Length);
}

Variant TExprParser::EvalFunction(int code, const std::vector<int> &args)
{
    switch (code) {
    case 1:
        return Variant::fromDateTime(m_now ? m_now() : QDateTime::currentDateTime());
    case 2: {
        QElapsedTimer timer;
        timer.start();
        return Variant::fromUInt(static_cast<quint32>(timer.msecsSinceReference()));
    }
    case 3:
        return caseValue(args);
    case 4:
        if (args.size() < 2)
            return {};
        if (valueOf(args[0]).isTrue())
            return valueOf(args[1]);
        return args.size() >= 3 ? valueOf(args[2]) : Variant();
    case 5:
        if (args.empty())
            return {};
        return Variant::fromDouble(std::trunc(valueOf(args[0]).toDouble()));
    case 6: {
        if (args.empty())
            return {};
        const double d = valueOf(args[0]).toDouble();
        return Variant::fromDouble(d - std::trunc(d));
    }
    case 7: {
        if (args.empty())
            return {};
        const Variant v = valueOf(args[0]);
        if (!v.isEmpty() && !v.isNull())
            return Variant::fromText(v.toText());
        return Variant::fromText(args.size() >= 2 ? valueOf(args[1]).toText() : QByteArray());
    }
    case 8:
        return Variant::fromDouble(3.1415926535897932385);
    default:
        return {};
    }
}

Variant TExprParser::caseValue(const std::vector<int> &args)
{
    Variant result;
    for (const int arg : args) {
        const TExprNode &node = m_nodes[arg];
        if (node.Kind == ExprNodeKind::Operator && node.Op == ExprOp::Colon) {
            const std::vector<int> branch = childrenOf(node);
            if (branch.size() < 2)
                result = Variant();
            else if (valueOf(branch[0]).isTrue())
                return valueOf(branch[1]);
        } else {
            result = valueOf(arg);
        }
    }
    return result;
}

Variant TExprParser::valueOf(int index)
{
    if (index < 0 || index >= static_cast<int>(m_nodes.size()))
        return {};
    const DepthGuard guard(m_depth);
    const TExprNode &node = m_nodes[index];
    switch (node.Kind) {
    case ExprNodeKind::Operand:
        return literalValue(node);
    case ExprNodeKind::Operator:
        return operatorValue(node);
    default:
        return {};
    }
}

Variant TExprParser::literalValue(const TExprNode &node)
{
    const QByteArray text = nodeText(node.Index);
    qint64 integer = 0;
    double real = 0;
    switch (node.ValueKind) {
    case ExprValueKind::Variable:
        return GetVariable(text);
    case ExprValueKind::Integer:
        switch (NumberText::parseInteger(text, integer)) {
        case NumberText::Outcome::Ok:
            return integer == static_cast<qint32>(integer)
                       ? Variant::fromInt(static_cast<qint32>(integer))
                       : Variant::fromInt64(integer);
        case NumberText::Outcome::OutOfRange:
            numberOutOfRange(text);
        case NumberText::Outcome::Invalid:
            return {};
        }
        return {};
    case ExprValueKind::LongInteger:
        switch (NumberText::parseInteger(text, integer)) {
        case NumberText::Outcome::Ok:
            return Variant::fromInt64(integer);
        case NumberText::Outcome::OutOfRange:
            numberOutOfRange(text);
        case NumberText::Outcome::Invalid:
            return Variant::fromInt64(0);
        }
        return {};
    case ExprValueKind::Float:
        switch (NumberText::parseFloat(text, real)) {
        case NumberText::Outcome::Ok:
            return Variant::fromDouble(real);
        case NumberText::Outcome::OutOfRange:
            numberOutOfRange(text);
        case NumberText::Outcome::Invalid:
            return Variant::fromDouble(0);
        }
        return {};
    case ExprValueKind::String:
        return Variant::fromText(node.Text);
    case ExprValueKind::None:
        break;
    }
    return {};
}

Variant TExprParser::operatorValue(const TExprNode &node)
{
    const std::vector<int> ops = childrenOf(node);
    const size_t count = ops.size();
    switch (node.Op) {
    case ExprOp::Add:
    case ExprOp::Sub:
    case ExprOp::Mul: {
        if (count < 1)
            return {};
        Variant value = valueOf(ops[0]);
        for (size_t i = 1; i < count; ++i) {
            const Variant next = valueOf(ops[i]);
            value = node.Op == ExprOp::Add   ? value.add(next)
                    : node.Op == ExprOp::Sub ? value.subtract(next)
                                             : value.multiply(next);
        }
        return value;
    }
    case ExprOp::Group: {
        Variant value;
        for (const int op : ops)
            value = valueOf(op);
        return value;
    }
    case ExprOp::StrCat: {
        if (count < 1)
            return {};
        Variant value = valueOf(ops[0]);
        for (size_t i = 1; i < count; ++i)
            value = Variant::fromText(value.toText() + valueOf(ops[i]).toText());
        return value;
    }
    case ExprOp::And:
    case ExprOp::Or:
    case ExprOp::Xor: {
        if (count < 1)
            return {};
        Variant value = valueOf(ops[0]);
        for (size_t i = 1; i < count; ++i) {
            const Variant next = valueOf(ops[i]);
            if (node.Op == ExprOp::Xor) {
                value = Variant::fromBool(value.isTrue() != next.isTrue());
                continue;
            }
            const Variant combined =
                node.Op == ExprOp::And ? value.multiply(next) : value.bitOr(next);
            value = combined.isTrue() ? Variant::fromByte(1) : combined;
        }
        return value;
    }
    case ExprOp::Div:
    case ExprOp::Mod:
    case ExprOp::FDiv: {
        if (count < 2)
            return {};
        const Variant left = valueOf(ops[0]);
        const Variant right = valueOf(ops[1]);
        return node.Op == ExprOp::Div   ? left.intDivide(right)
               : node.Op == ExprOp::Mod ? left.modulo(right)
                                        : left.divide(right);
    }
    case ExprOp::Greater:
    case ExprOp::Less:
    case ExprOp::Equal:
    case ExprOp::GreaterEqual:
    case ExprOp::LessEqual:
    case ExprOp::NotEqual: {
        if (count < 2)
            return {};
        const std::partial_ordering order = valueOf(ops[0]).compare(valueOf(ops[1]));
        switch (node.Op) {
        case ExprOp::Greater:
            return Variant::fromBool(order == std::partial_ordering::greater);
        case ExprOp::Less:
            return Variant::fromBool(order == std::partial_ordering::less);
        case ExprOp::Equal:
            return Variant::fromBool(order == std::partial_ordering::equivalent);
        case ExprOp::GreaterEqual:
            return Variant::fromBool(order == std::partial_ordering::greater ||
                                     order == std::partial_ordering::equivalent);
        case ExprOp::LessEqual:
            return Variant::fromBool(order == std::partial_ordering::less ||
                                     order == std::partial_ordering::equivalent);
        default:
            return Variant::fromBool(order != std::partial_ordering::equivalent);
        }
    }
    case ExprOp::Plus:
    case ExprOp::Minus:
    case ExprOp::Not:
    case ExprOp::IsNull: {
        if (count < 1)
            return {};
        const Variant value = valueOf(ops[0]);
        switch (node.Op) {
        case ExprOp::Plus:
            return value.absolute();
        case ExprOp::Minus:
            return value.negate();
        case ExprOp::Not:
            return Variant::fromBool(value.compare(Variant::fromInt(0)) ==
                                     std::partial_ordering::equivalent);
        default:
            return Variant::fromBool(value.isNull() || value.isEmpty());
        }
    }
    case ExprOp::IfThen: {
        if (count < 2)
            return {};
        const Variant condition = valueOf(ops[0]);
        // A text must spell a number; a fraction counts as true, like any value that is not 0.
        const bool chosen = condition.isText() ? condition.toDouble() != 0 : condition.isTrue();
        const TExprNode &second = m_nodes[ops[1]];
        const std::vector<int> alternatives =
            second.Kind == ExprNodeKind::Operator && second.Op == ExprOp::Colon
                ? childrenOf(second)
                : std::vector<int>{ops[1]};
        const size_t pick = chosen ? 0 : 1;
        return pick < alternatives.size() ? valueOf(alternatives[pick]) : Variant();
    }
    case ExprOp::Assign: {
        if (count < 2)
            return {};
        QByteArray name;
        if (isVariableOperand(ops[0]))
            name = nodeText(ops[0]);
        else if (!m_nodes[ops[0]].Text.isEmpty())
            name = m_nodes[ops[0]].Text;
        else
            name = valueOf(ops[0]).toText();
        const Variant value = valueOf(ops[1]);
        SetVariable(name, value);
        return value;
    }
    case ExprOp::Call:
        return CallFunction(nodeText(node.Index), ops);
    case ExprOp::Bracket:
        if (count < 1)
            return {};
        return GetVariable(isVariableOperand(ops[0]) ? nodeText(ops[0]) : valueOf(ops[0]).toText());
    case ExprOp::Index: {
        const Variant text = GetVariable(nodeText(node.Index));
        if (!text.isText() || count < 1)
            return {};
        const double position = std::trunc(valueOf(ops[0]).toDouble());
        if (position < 1 || position > static_cast<double>(text.text().size()))
            return {};
        return Variant::fromText(text.text().mid(static_cast<qsizetype>(position) - 1, 1));
    }
    default:
        return {};
    }
}

std::vector<int> TExprParser::childrenOf(const TExprNode &node) const
{
    std::vector<int> children;
    const int size = static_cast<int>(m_nodes.size());
    for (int c = node.FirstChild; c > 0 && c < size && static_cast<int>(children.size()) < size;
         c = m_nodes[c].NextSibling)
        children.push_back(c);
    return children;
}

bool TExprParser::isVariableOperand(int index) const
{
    const TExprNode &node = m_nodes[index];
    return node.Kind == ExprNodeKind::Operand && node.ValueKind == ExprValueKind::Variable;
}

}  // namespace tavi
