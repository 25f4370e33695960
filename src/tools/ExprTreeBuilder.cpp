#include "ExprTreeBuilder.h"

#include <algorithm>

namespace tavi {

namespace {

int priority(ExprOp op)
{
    switch (op) {
    case ExprOp::Add:
    case ExprOp::Sub:
    case ExprOp::StrCat:
        return 100;
    case ExprOp::Mul:
    case ExprOp::Div:
    case ExprOp::Mod:
    case ExprOp::FDiv:
        return 200;
    case ExprOp::Plus:
    case ExprOp::Minus:
    case ExprOp::Not:
    case ExprOp::IsNull:
        return 300;
    case ExprOp::IfThen:
        return 20;
    case ExprOp::Group:
    case ExprOp::Call:
        return 400;
    case ExprOp::Close:
    case ExprOp::CloseBracket:
        return 30;
    case ExprOp::Assign:
        return 50;
    case ExprOp::Comma:
        return 40;
    case ExprOp::Greater:
    case ExprOp::Less:
    case ExprOp::Equal:
    case ExprOp::GreaterEqual:
    case ExprOp::LessEqual:
    case ExprOp::NotEqual:
        return 80;
    case ExprOp::Bracket:
    case ExprOp::Index:
        return 500;
    case ExprOp::Scope:
        return 1000;
    case ExprOp::Colon:
        return 60;
    case ExprOp::And:
    case ExprOp::Or:
    case ExprOp::Xor:
        return 70;
    case ExprOp::End:
        return 10;
    case ExprOp::None:
        break;
    }
    return 0;
}

bool isOpening(ExprOp op)
{
    return op == ExprOp::Group || op == ExprOp::Call || op == ExprOp::Bracket ||
           op == ExprOp::Index;
}

bool isClosing(ExprOp op)
{
    return op == ExprOp::Close || op == ExprOp::CloseBracket;
}

bool isPrefix(ExprOp op)
{
    return isOpening(op) || op == ExprOp::Plus || op == ExprOp::Minus || op == ExprOp::Not ||
           op == ExprOp::IsNull;
}

// Operators that take the place of an operator written just before them.
bool replacesPrevious(ExprOp op)
{
    switch (op) {
    case ExprOp::Add:
    case ExprOp::Sub:
    case ExprOp::Mul:
    case ExprOp::Div:
    case ExprOp::Mod:
    case ExprOp::FDiv:
    case ExprOp::StrCat:
    case ExprOp::Assign:
    case ExprOp::Comma:
    case ExprOp::Greater:
    case ExprOp::Less:
    case ExprOp::Equal:
    case ExprOp::GreaterEqual:
    case ExprOp::LessEqual:
    case ExprOp::NotEqual:
    case ExprOp::Colon:
    case ExprOp::And:
    case ExprOp::Or:
    case ExprOp::Xor:
    case ExprOp::Close:
    case ExprOp::CloseBracket:
    case ExprOp::End:
        return true;
    default:
        return false;
    }
}

// Operators whose chains a + b + c collect into one node.
bool flattens(ExprOp op)
{
    return op == ExprOp::Add || op == ExprOp::Sub || op == ExprOp::Mul || op == ExprOp::StrCat ||
           op == ExprOp::And || op == ExprOp::Or;
}

// Whether the operator on the stack is applied before the incoming one is pushed.
int compare(ExprOp top, ExprOp incoming)
{
    int result = priority(top) - priority(incoming);
    if (incoming == ExprOp::Comma)
        result = 1;
    if (top == ExprOp::Comma)
        result = -1;
    if (isOpening(top))
        result = -1;
    if (isClosing(incoming) || incoming == ExprOp::End)
        result = 1;
    if (isPrefix(incoming))
        result = -1;
    return result;
}

}  // namespace

ExprTreeBuilder::ExprTreeBuilder(QByteArrayView expression, OperatorWord operatorWord)
    : m_expression(expression), m_scanner(expression), m_operatorWord(std::move(operatorWord))
{}

std::vector<TExprNode> ExprTreeBuilder::build()
{
    TExprNode root;
    root.Kind = ExprNodeKind::Operator;
    root.Op = ExprOp::Group;
    m_nodes.push_back(root);
    m_lastChild.push_back(-1);
    for (;;) {
        std::optional<TExprNode> token = nextToken();
        if (!token) {
            TExprNode end;
            end.Kind = ExprNodeKind::Operator;
            end.Op = ExprOp::End;
            end.Start = static_cast<qint32>(m_expression.size() + 1);
            handleOperator(end);
            break;
        }
        if (token->Kind == ExprNodeKind::Name) {
            // A name directly before another name or an operand stays unresolved.
            m_pendingName = store(*token);
        } else if (token->Kind == ExprNodeKind::Operand) {
            m_pendingName = -1;
            m_operands.push_back(store(*token));
            m_operandSeen = true;
        } else if (token->Kind == ExprNodeKind::Operator) {
            if (handleOperator(*token))
                break;
        }
    }
    link(0, m_operands);
    return std::move(m_nodes);
}

std::optional<TExprNode> ExprTreeBuilder::nextToken()
{
    std::optional<TExprNode> token;
    if (m_lookahead) {
        token.swap(m_lookahead);
    } else {
        TExprNode scanned;
        if (!m_scanner.next(scanned))
            return std::nullopt;
        token = scanned;
    }
    if (token->Kind == ExprNodeKind::Name) {
        const ExprOp op = m_operatorWord(m_expression.sliced(token->Start - 1, token->Length));
        if (op != ExprOp::None) {
            token->Kind = ExprNodeKind::Operator;
            token->Op = op;
        }
    }
    return token;
}

int ExprTreeBuilder::store(TExprNode token)
{
    const int index = static_cast<int>(m_nodes.size());
    token.Index = index;
    m_nodes.push_back(std::move(token));
    m_lastChild.push_back(-1);
    m_stored.push_back(index);
    return index;
}

const TExprNode *ExprTreeBuilder::previous() const
{
    return m_stored.empty() ? nullptr : &m_nodes[m_stored.back()];
}

bool ExprTreeBuilder::handleOperator(TExprNode token)
{
    if (m_pendingName >= 0) {
        TExprNode &name = m_nodes[m_pendingName];
        if (token.Op == ExprOp::Group || token.Op == ExprOp::Bracket) {
            name.Kind = ExprNodeKind::Operator;
            name.Op = token.Op == ExprOp::Group ? ExprOp::Call : ExprOp::Index;
            m_operators.push_back({m_pendingName, m_operands.size()});
            m_pendingName = -1;
            return false;
        }
        if (token.Op == ExprOp::Scope) {
            std::optional<TExprNode> following = nextToken();
            while (following && (following->Kind == ExprNodeKind::Nothing ||
                                 following->Kind == ExprNodeKind::Comment))
                following = nextToken();
            if (following && following->Kind == ExprNodeKind::Name) {
                name.Length = following->Start + following->Length - name.Start;
                return false;
            }
            m_lookahead = following;
        }
        resolvePendingName();
    }

    ExprOp op = token.Op;
    const TExprNode *prev = previous();
    const bool afterOperator = prev && prev->Kind == ExprNodeKind::Operator;
    if (op == ExprOp::Add || op == ExprOp::Sub) {
        // After <> and != a sign is a sign too: a <> -1 compares with minus one.
        const bool afterOperand =
            afterOperator && (isClosing(prev->Op) || prev->Op == ExprOp::Scope);
        if (!afterOperand && (afterOperator || !m_operandSeen))
            op = op == ExprOp::Add ? ExprOp::Plus : ExprOp::Minus;
    }
    if (op == ExprOp::Comma) {
        for (auto it = m_operators.rbegin(); it != m_operators.rend(); ++it) {
            const ExprOp open = m_nodes[it->node].Op;
            if (isOpening(open))
                break;
            if (open == ExprOp::IfThen) {
                op = ExprOp::Colon;
                break;
            }
        }
    }
    if (replacesPrevious(op))
        dropDanglingOperators();

    token.Op = op;
    const int index = store(token);
    while (!m_operators.empty() && compare(m_nodes[m_operators.back().node].Op, op) >= 0) {
        const PendingOperator top = m_operators.back();
        m_operators.pop_back();
        apply(top);
        if (isClosing(op) && isOpening(m_nodes[top.node].Op))
            break;
    }
    if (op == ExprOp::End)
        return true;
    if (!isClosing(op))
        m_operators.push_back({index, m_operands.size()});
    return false;
}

void ExprTreeBuilder::resolvePendingName()
{
    TExprNode &name = m_nodes[m_pendingName];
    name.Kind = ExprNodeKind::Operand;
    name.ValueKind = ExprValueKind::Variable;
    m_operands.push_back(m_pendingName);
    m_operandSeen = true;
    m_pendingName = -1;
}

void ExprTreeBuilder::dropDanglingOperators()
{
    while (!m_stored.empty() && !m_operators.empty() &&
           m_operators.back().node == m_stored.back()) {
        TExprNode &prev = m_nodes[m_stored.back()];
        if (prev.Kind != ExprNodeKind::Operator || isOpening(prev.Op))
            break;
        prev.Kind = ExprNodeKind::Nothing;
        m_operators.pop_back();
        m_stored.pop_back();
    }
}

void ExprTreeBuilder::apply(const PendingOperator &entry)
{
    const ExprOp op = m_nodes[entry.node].Op;
    if (op == ExprOp::Comma)
        return;
    std::vector<int> children;
    if (isOpening(op)) {
        const size_t height = std::min(entry.height, m_operands.size());
        children.assign(m_operands.begin() + height, m_operands.end());
        m_operands.resize(height);
    } else if (isPrefix(op)) {
        if (m_operands.size() > entry.height) {
            children.push_back(m_operands.back());
            m_operands.pop_back();
        }
    } else {
        const size_t base = std::min(openBracketHeight(), m_operands.size());
        if (m_operands.size() - base >= 2) {
            const int right = m_operands.back();
            m_operands.pop_back();
            const int left = m_operands.back();
            m_operands.pop_back();
            TExprNode &leftNode = m_nodes[left];
            if (flattens(op) && leftNode.Kind == ExprNodeKind::Operator && leftNode.Op == op &&
                leftNode.FirstChild > 0 && m_nodes[leftNode.FirstChild].NextSibling > 0) {
                // The left node's child list is taken over whole and the right operand hung
                // after its last child, so a long chain is built in linear time.
                m_nodes[entry.node].FirstChild = leftNode.FirstChild;
                m_nodes[m_lastChild[size_t(left)]].NextSibling = right;
                m_nodes[right].NextSibling = -1;
                m_lastChild[size_t(entry.node)] = right;
                // The taken-over node leaves the tree.
                leftNode.Kind = ExprNodeKind::Nothing;
                leftNode.FirstChild = -1;
                m_operands.push_back(entry.node);
                return;
            } else {
                children.push_back(left);
            }
            children.push_back(right);
        } else {
            // An operand is missing: the lone one is consumed and the operator stays empty.
            m_operands.resize(base);
        }
    }
    link(entry.node, children);
    m_operands.push_back(entry.node);
}

void ExprTreeBuilder::link(int parent, const std::vector<int> &children)
{
    m_nodes[parent].FirstChild = children.empty() ? -1 : children.front();
    m_lastChild[size_t(parent)] = children.empty() ? -1 : children.back();
    for (size_t i = 0; i < children.size(); ++i)
        m_nodes[children[i]].NextSibling = i + 1 < children.size() ? children[i + 1] : -1;
}

size_t ExprTreeBuilder::openBracketHeight() const
{
    for (auto it = m_operators.rbegin(); it != m_operators.rend(); ++it) {
        if (isOpening(m_nodes[it->node].Op))
            return it->height;
    }
    return 0;
}

}  // namespace tavi
