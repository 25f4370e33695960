#pragma once

#include "TExprNode.h"
#include "TIdenHash.h"
#include "TVariantHash.h"
#include "Variant.h"

#include <QByteArray>
#include <QDateTime>
#include <functional>
#include <vector>

namespace tavi {

/// Evaluates small expressions such as 5-1, written as GBK text: scan, parse into a node tree,
/// evaluate to a `Variant`.
///
/// Text the parser does not understand is skipped or yields an empty value; it never fails.
/// Errors of the value operations (division by zero, a text that is not a number) reach the
/// caller of `Evaluate` as `EvalError`.
class TExprParser
{
public:
    /// What a name stands for: kind 1 an operator word, 3 a built-in function, 0 nothing.
    struct Identifier
    {
        int kind = 0;
        int code = 0;
    };

    TExprParser();
    virtual ~TExprParser() = default;

    /// Sets the GBK text to evaluate and forgets an earlier parse.
    void SetExpression(const QByteArray &expression);
    const QByteArray &Expression() const { return m_expression; }
    /// Builds the node tree; returns the number of nodes.
    int Parse();
    /// The value of the parsed expression; empty when nothing was parsed.
    Variant Evaluate();

    Identifier LookupIdentifier(QByteArrayView name) const;
    /// A variable's value; a name that is no variable calls the function of that name.
    Variant GetVariable(QByteArrayView name);
    void SetVariable(QByteArrayView name, const Variant &value);
    /// A built-in function by name with its arguments as node indexes; empty if unknown.
    Variant CallFunction(QByteArrayView name, const std::vector<int> &args);

    const std::vector<TExprNode> &Nodes() const { return m_nodes; }
    /// The token text of a node as it stands in the expression.
    QByteArray nodeText(int index) const;

    /// Replaces the source of "now"; the local clock by default.
    void setNowSource(std::function<QDateTime()> now) { m_now = std::move(now); }

protected:
    /// Evaluates the built-in function with the code; arguments are evaluated only as needed.
    virtual Variant EvalFunction(int code, const std::vector<int> &args);
    /// The value of one node; empty for an index outside the node array.
    Variant valueOf(int index);

private:
    Variant literalValue(const TExprNode &node);
    Variant operatorValue(const TExprNode &node);
    std::vector<int> childrenOf(const TExprNode &node) const;
    Variant caseValue(const std::vector<int> &args);
    bool isVariableOperand(int index) const;

    TIdenHash m_identifiers;
    std::vector<TExprNode> m_nodes;
    TVariantHash m_variables;
    QByteArray m_expression;
    std::function<QDateTime()> m_now;
    int m_depth = 0;
};

}  // namespace tavi
