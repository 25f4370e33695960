#pragma once

#include "ExprScanner.h"
#include "TExprNode.h"

#include <QByteArrayView>
#include <functional>
#include <optional>
#include <vector>

namespace tavi {

/// Turns the tokens of an expression into the evaluator's node tree, kept in one flat array
/// with node 0 as the root group.
///
/// Malformed input always gives some tree: an operator that lacks an operand gets none (and
/// so evaluates to empty), unmatched closing brackets close what is open, unclosed brackets
/// are closed at the end, and operands left side by side become items of the root group.
class ExprTreeBuilder
{
public:
    /// Code of an operator word (in any letter case), `ExprOp::None` for other names.
    using OperatorWord = std::function<ExprOp(QByteArrayView name)>;

    ExprTreeBuilder(QByteArrayView expression, OperatorWord operatorWord);

    std::vector<TExprNode> build();

private:
    struct PendingOperator
    {
        int node;
        // Operands on the stack when the operator was pushed.
        size_t height;
    };

    std::optional<TExprNode> nextToken();
    int store(TExprNode token);
    const TExprNode *previous() const;
    bool handleOperator(TExprNode token);
    void resolvePendingName();
    void dropDanglingOperators();
    void apply(const PendingOperator &entry);
    void link(int parent, const std::vector<int> &children);
    size_t openBracketHeight() const;

    QByteArrayView m_expression;
    ExprScanner m_scanner;
    OperatorWord m_operatorWord;
    std::optional<TExprNode> m_lookahead;
    std::vector<TExprNode> m_nodes;
    // The last child of each node, parallel to m_nodes: chains grow at their end.
    std::vector<int> m_lastChild;
    std::vector<int> m_operands;
    std::vector<PendingOperator> m_operators;
    // Stored nodes in token order, without those dropped as dangling operators.
    std::vector<int> m_stored;
    int m_pendingName = -1;
    bool m_operandSeen = false;
};

}  // namespace tavi
