#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace tavi {

/// Operator codes of the expression evaluator.
enum class ExprOp : quint8
{
    None = 0,
    Add = 1,
    Sub = 2,
    Mul = 3,
    Div = 4,
    Plus = 5,
    Minus = 6,
    Mod = 7,
    FDiv = 8,
    Not = 9,
    IfThen = 10,
    Group = 11,
    Close = 12,
    StrCat = 13,
    Assign = 14,
    Call = 15,
    Comma = 16,
    Greater = 17,
    Less = 18,
    Equal = 19,
    GreaterEqual = 20,
    LessEqual = 21,
    NotEqual = 22,
    IsNull = 23,
    Bracket = 24,
    Index = 25,
    CloseBracket = 26,
    Scope = 27,
    Colon = 28,
    And = 29,
    Or = 30,
    Xor = 31,
    End = 32,
};

enum class ExprNodeKind : quint8
{
    Nothing = 0,
    Operand = 1,
    Operator = 2,
    Name = 3,
    Comment = 5,
};

enum class ExprValueKind : quint8
{
    None = 0,
    Variable = 1,
    Integer = 3,
    LongInteger = 4,
    Float = 5,
    String = 6,
};

/// One token of an expression, and after parsing one node of its tree.
struct TExprNode
{
    ExprNodeKind Kind = ExprNodeKind::Nothing;
    ExprOp Op = ExprOp::None;
    ExprValueKind ValueKind = ExprValueKind::None;
    /// Position of the node in the node array.
    qint32 Index = 0;
    /// 1-based byte position of the token in the expression.
    qint32 Start = 0;
    /// Length of the token in bytes.
    qint32 Length = 0;
    /// Decoded value of a string literal.
    QByteArray Text;
    /// First operand of an operator node; no node when 0 or less.
    qint32 FirstChild = -1;
    /// Next operand of the same parent; no node when 0 or less.
    qint32 NextSibling = -1;
};

}  // namespace tavi
