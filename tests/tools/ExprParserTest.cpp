#include "VariantPrinter.h"
#include "support/QtPrinters.h"
#include "tools/EvalError.h"
#include "tools/Gbk.h"
#include "tools/TExprParser.h"

#include <gtest/gtest.h>
#include <random>
#include <set>
#include <string>

namespace tavi {
namespace {

const char *opName(ExprOp op)
{
    static const char *const names[] = {
        "None",      "Add",      "Sub",    "Mul",     "Div",   "Plus",         "Minus",
        "Mod",       "FDiv",     "Not",    "IfThen",  "Group", "Close",        "StrCat",
        "Assign",    "Call",     "Comma",  "Greater", "Less",  "Equal",        "GreaterEqual",
        "LessEqual", "NotEqual", "IsNull", "Bracket", "Index", "CloseBracket", "Scope",
        "Colon",     "And",      "Or",     "Xor",     "End"};
    return names[static_cast<int>(op)];
}

// The tree as text: operators as Name(operands), calls and indexes with their name, strings
// quoted, the root's operands separated by commas.
std::string shape(const TExprParser &parser, int index)
{
    const TExprNode &node = parser.Nodes()[index];
    const std::string text = Gbk::decode(parser.nodeText(index)).toStdString();
    if (node.Kind == ExprNodeKind::Operand) {
        return node.ValueKind == ExprValueKind::String
                   ? "'" + Gbk::decode(node.Text).toStdString() + "'"
                   : text;
    }
    if (node.Kind != ExprNodeKind::Operator)
        return "<unresolved " + text + ">";
    std::string out = opName(node.Op);
    if (node.Op == ExprOp::Call || node.Op == ExprOp::Index)
        out += ":" + text;
    out += "(";
    for (int c = node.FirstChild; c > 0; c = parser.Nodes()[c].NextSibling)
        out += (c == node.FirstChild ? "" : ",") + shape(parser, c);
    return out + ")";
}

std::string parsedShape(const QString &expression)
{
    TExprParser parser;
    parser.SetExpression(Gbk::encode(expression));
    parser.Parse();
    std::string out;
    const TExprNode &root = parser.Nodes()[0];
    for (int c = root.FirstChild; c > 0; c = parser.Nodes()[c].NextSibling)
        out += (c == root.FirstChild ? "" : ",") + shape(parser, c);
    return out;
}

Variant evaluate(const QString &expression)
{
    TExprParser parser;
    parser.SetExpression(Gbk::encode(expression));
    parser.Parse();
    return parser.Evaluate();
}

struct ShapeCase
{
    const char16_t *expression;
    const char *shape;
};

void PrintTo(const ShapeCase &c, std::ostream *os)
{
    *os << QString::fromUtf16(c.expression).toStdString();
}

class ExprShape : public testing::TestWithParam<ShapeCase>
{};

TEST_P(ExprShape, BuildsTheTree)
{
    EXPECT_EQ(parsedShape(QString::fromUtf16(GetParam().expression)), GetParam().shape);
}

INSTANTIATE_TEST_SUITE_P(
    Documented, ExprShape,
    testing::Values(
        ShapeCase{u"5-1", "Sub(5,1)"}, ShapeCase{u"-5-1", "Sub(Minus(5),1)"},
        ShapeCase{u"2*3+4", "Add(Mul(2,3),4)"}, ShapeCase{u"2+3*4", "Add(2,Mul(3,4))"},
        ShapeCase{u"10-2-3", "Sub(10,2,3)"}, ShapeCase{u"a - b + c", "Add(Sub(a,b),c)"},
        ShapeCase{u"(a + b) + c", "Add(Group(Add(a,b)),c)"},
        ShapeCase{u"a || b || c", "StrCat(a,b,c)"}, ShapeCase{u"a and b or c", "Or(And(a,b),c)"},
        ShapeCase{u"1+2 = 3", "Equal(Add(1,2),3)"},
        ShapeCase{u"x := 1 ? 2 : 3", "IfThen(Assign(x,1),Colon(2,3))"},
        ShapeCase{u"c ? a, b", "IfThen(c,Colon(a,b))"}, ShapeCase{u"c ? a", "IfThen(c,a)"},
        ShapeCase{u"a ? b : c ? d : e", "IfThen(IfThen(a,Colon(b,c)),Colon(d,e))"},
        ShapeCase{u"1; 2", "1"}, ShapeCase{u"1 END 2", "1"}, ShapeCase{u"NOT x", "Not(x)"},
        ShapeCase{u"!x", "Not(x)"}, ShapeCase{u"isnull x", "IsNull(x)"},
        ShapeCase{u"IsNull(x)", "IsNull(Group(x))"}, ShapeCase{u"金额 大于 5", "Greater(金额,5)"},
        ShapeCase{u"a 不等于 b", "NotEqual(a,b)"}, ShapeCase{u"5 mod 3 add 1", "Add(Mod(5,3),1)"},
        ShapeCase{u"f(x, y)", "Call:f(x,y)"}, ShapeCase{u"f()", "Call:f()"},
        ShapeCase{u"(x, y)", "Group(x,y)"}, ShapeCase{u"s[2]", "Index:s(2)"},
        ShapeCase{u"[e]", "Bracket(e)"}, ShapeCase{u"x := 1 + 2", "Assign(x,Add(1,2))"},
        ShapeCase{u"a::b + 1", "Add(a::b,1)"},
        ShapeCase{u"case(a > 0 : 1, a < 0 : -1, 0)",
                  "Call:case(Colon(Greater(a,0),1),Colon(Less(a,0),Minus(1)),0)"},
        ShapeCase{u"2*-3", "Mul(2,Minus(3))"}, ShapeCase{u"(+4)", "Group(Plus(4))"},
        ShapeCase{u"1 = -1", "Equal(1,Minus(1))"}, ShapeCase{u"- - 3", "Minus(Minus(3))"},
        ShapeCase{u"(1)-2", "Sub(Group(1),2)"}, ShapeCase{u"s[1]-2", "Sub(Index:s(1),2)"},
        ShapeCase{u"a + * b", "Mul(a,b)"}, ShapeCase{u"(a +)", "Group(a)"},
        ShapeCase{u"1E5", "1,E5"}, ShapeCase{u"a 5", "5"}, ShapeCase{u"/* note */ 7", "7"},
        ShapeCase{u"{ note } 7", "7"}, ShapeCase{u"7 // note", "7"}, ShapeCase{u"5 & 3", "5,3"}));

// Readings chosen where the parser's rules leave the result open.
INSTANTIATE_TEST_SUITE_P(
    Chosen, ExprShape,
    testing::Values(
        // A sign after <> or != is a sign, not a subtraction replacing the comparison.
        ShapeCase{u"a <> -1", "NotEqual(a,Minus(1))"}, ShapeCase{u"a != +1", "NotEqual(a,Plus(1))"},
        // Not and IsNull after another operator are prefixes, not replacements.
        ShapeCase{u"a and not b", "And(a,Not(b))"}, ShapeCase{u"a or isnull b", "Or(a,IsNull(b))"},
        // Names run on through double-byte characters whatever they start with.
        ShapeCase{u"x金额 + 1", "Add(x金额,1)"},
        // An operator that lacks an operand has none; unclosed brackets close at the end;
        // a stray closing bracket closes everything before it.
        ShapeCase{u"* 5", "Mul()"}, ShapeCase{u"5 *", "5"}, ShapeCase{u"(1+2", "Group(Add(1,2))"},
        ShapeCase{u"1+2)*3", "Mul(Add(1,2),3)"}, ShapeCase{u"()", "Group()"},
        ShapeCase{u"f(1", "Call:f(1)"}, ShapeCase{u")", ""}, ShapeCase{u"-", ""},
        ShapeCase{u"(* 2) + 1", "Add(Group(Mul()),1)"}, ShapeCase{u"1 (* 2)", "1,Group(Mul())"},
        ShapeCase{u"a::", "a"}, ShapeCase{u"5 :: 3", "Scope(5,3)"}));

struct ValueCase
{
    const char16_t *expression;
    Variant value;
};

void PrintTo(const ValueCase &c, std::ostream *os)
{
    *os << QString::fromUtf16(c.expression).toStdString();
}

class ExprValue : public testing::TestWithParam<ValueCase>
{};

TEST_P(ExprValue, Evaluates)
{
    EXPECT_EQ(evaluate(QString::fromUtf16(GetParam().expression)), GetParam().value);
}

using V = Variant;

INSTANTIATE_TEST_SUITE_P(
    Documented, ExprValue,
    testing::Values(
        ValueCase{u"5-1", V::fromInt(4)}, ValueCase{u"10/4", V::fromDouble(2.5)},
        ValueCase{u"10\\4", V::fromInt(2)}, ValueCase{u"10%4", V::fromInt(2)},
        ValueCase{u"7 * -1", V::fromInt(-7)}, ValueCase{u"+(-3)", V::fromInt(3)},
        ValueCase{u"+3", V::fromInt(3)}, ValueCase{u"10-2-3", V::fromInt(5)},
        ValueCase{u"2024-01-01", V::fromInt(2022)}, ValueCase{u"1 < 2", V::fromByte(1)},
        ValueCase{u"2 < 1", V::fromByte(0)}, ValueCase{u"3 and 0", V::fromInt(0)},
        ValueCase{u"3 and 4", V::fromByte(1)}, ValueCase{u"2 or 0", V::fromByte(1)},
        ValueCase{u"0 or 0", V::fromInt(0)}, ValueCase{u"not 5", V::fromByte(0)},
        ValueCase{u"!0", V::fromByte(1)}, ValueCase{u"isnull(x)", V::fromByte(1)},
        ValueCase{u"isnull 0", V::fromByte(0)}, ValueCase{u"'a' || 1", V::fromText("a1")},
        ValueCase{u"'a' || x", V::fromText("a")}, ValueCase{u"if(1, 'y', 'n')", V::fromText("y")},
        ValueCase{u"if(0, 'y')", V()}, ValueCase{u"ifthen(0, 'y', 'n')", V::fromText("n")},
        ValueCase{u"if(1)", V()}, ValueCase{u"x := 2; x * 3", V::fromInt(2)},
        ValueCase{u"pi", V::fromDouble(3.141592653589793)},
        ValueCase{u"int(-2.7)", V::fromDouble(-2)}, ValueCase{u"frac(2.25)", V::fromDouble(0.25)},
        ValueCase{u"str(x, 'none')", V::fromText("none")}, ValueCase{u"str(12)", V::fromText("12")},
        ValueCase{u"str(x)", V::fromText("")}, ValueCase{u"int()", V()},
        ValueCase{u"(s := 'abc', s[2])", V::fromText("b")}, ValueCase{u"(s := 'abc', s[0])", V()},
        ValueCase{u"(s := 'abc', s[4])", V()}, ValueCase{u"(n := 5, n[1])", V()},
        ValueCase{u"", V()}, ValueCase{u" \t\r\n", V()},
        ValueCase{u"(x := -5, case(x > 0 : 1, x < 0 : -1, 0))", V::fromInt(-1)},
        ValueCase{u"(x := 0, case(x > 0 : 1, x < 0 : -1, 0))", V::fromInt(0)},
        ValueCase{u"switch(7, 1 : 2)", V::fromInt(2)}, ValueCase{u"case(0 : 1)", V()},
        ValueCase{u"1 ? 'y' : 'n'", V::fromText("y")},
        ValueCase{u"0 ? 'y' : 'n'", V::fromText("n")}, ValueCase{u"0 ? 'y'", V()},
        ValueCase{u"0 ? 'y', 'n'", V::fromText("n")}, ValueCase{u"'a'#65'b'", V::fromText("aAb")},
        ValueCase{u"'It''s'#13#10\"ok\"", V::fromText("It's\r\nok")},
        ValueCase{u"\"say \"\"hi\"\"\"", V::fromText("say \"hi\"")},
        ValueCase{u"#$41#322", V::fromText("AB")}, ValueCase{u"'abc", V::fromText("abc")},
        ValueCase{u"/* note */ 7", V::fromInt(7)}, ValueCase{u"7 // note", V::fromInt(7)},
        ValueCase{u"$10", V::fromInt(16)}, ValueCase{u"1e-3", V::fromDouble(0.001)},
        ValueCase{u".5", V::fromDouble(0.5)}, ValueCase{u"1234567890", V::fromInt64(1234567890)},
        ValueCase{u"1.2.3", V::fromDouble(0)}, ValueCase{u"12#3", V()},
        ValueCase{u"x := 3", V::fromInt(3)}, ValueCase{u"(x := 3, X)", V::fromInt(3)},
        ValueCase{u"('y' := 4, y)", V::fromInt(4)},
        ValueCase{u"(v := 'w', w := 1, [v])", V::fromText("w")},
        ValueCase{u"(w := 1, ['w'])", V::fromInt(1)},
        ValueCase{u"(a::b := 2, a::b * 2)", V::fromInt(4)},
        ValueCase{u"(金额 := 5, 金额 大于 3)", V::fromByte(1)},
        ValueCase{u"(pi := 3, pi)", V::fromInt(3)}, ValueCase{u"unknown(1)", V()},
        ValueCase{u"3 xor 5", V::fromByte(0)}, ValueCase{u"3 xor 0", V::fromByte(1)},
        ValueCase{u"3 <> -3", V::fromByte(1)}, ValueCase{u"-3 != -3", V::fromByte(0)},
        ValueCase{u"1 and not 0", V::fromByte(1)}, ValueCase{u"0.5 ? 'y' : 'n'", V::fromText("y")},
        ValueCase{u"'10' = 10", V::fromByte(1)}, ValueCase{u"'abc' = 'ABC'", V::fromByte(0)},
        ValueCase{u"'3' + 4", V::fromInt(7)}, ValueCase{u"'a' + 'b'", V::fromText("ab")},
        ValueCase{u"65536 * 65536", V::fromInt64(4294967296LL)},
        ValueCase{u"9223372036854775807 + 1", V::fromDouble(9223372036854775808.0)},
        ValueCase{u"1e-999", V::fromDouble(0)}, ValueCase{u"* 5", V()},
        ValueCase{u"(* 2) + 1", V::fromInt(1)}));

TEST(ExprEvaluation, SumsOfAnyLengthKeepEveryTerm)
{
    QString sum = QStringLiteral("1");
    for (int i = 0; i < 999; ++i)
        sum += QStringLiteral("+1");
    EXPECT_EQ(evaluate(sum), V::fromInt(1000));

    // A chain becomes one node whatever its length, built without copying its terms per term.
    const int terms = 200000;
    const std::pair<const char *, Variant> chains[] = {{"+", V::fromInt(terms)},
                                                       {"-", V::fromInt(2 - terms)},
                                                       {"*", V::fromInt(1)},
                                                       {" and ", V::fromByte(1)}};
    for (const auto &[op, expected] : chains) {
        QByteArray chain = "1";
        for (int i = 1; i < terms; ++i)
            chain += op + QByteArray("1");
        TExprParser parser;
        parser.SetExpression(chain);
        parser.Parse();
        const TExprNode &top = parser.Nodes()[size_t(parser.Nodes()[0].FirstChild)];
        int children = 0;
        for (int c = top.FirstChild; c > 0; c = parser.Nodes()[size_t(c)].NextSibling)
            ++children;
        EXPECT_EQ(children, terms) << op;
        EXPECT_EQ(parser.Evaluate(), expected) << op;
    }
}

TEST(ExprEvaluation, IndexAndNamesWorkOnGbkBytes)
{
    // 金额 is four bytes; the index reads single bytes.
    const Variant second = evaluate(QStringLiteral("(s := '金额', s[2])"));
    EXPECT_EQ(second.text(), Gbk::encode(u"金").mid(1, 1));
    EXPECT_EQ(evaluate(QStringLiteral("'金' || '额'")).toString(), QStringLiteral("金额"));
}

TEST(ExprEvaluation, NowComesFromTheReplaceableClock)
{
    TExprParser parser;
    const QDateTime moment(QDate(2024, 3, 15), QTime(14, 30, 45));
    parser.setNowSource([moment] { return moment; });
    parser.SetExpression("now + 1");
    parser.Parse();
    EXPECT_EQ(parser.Evaluate(), V::fromDateTime(moment.addDays(1)));
    parser.SetExpression("tick");
    parser.Parse();
    EXPECT_EQ(parser.Evaluate().type(), Variant::Type::UInt);
}

TEST(ExprEvaluation, VariablesSurviveBetweenExpressionsAndHideFunctions)
{
    TExprParser parser;
    parser.SetVariable(" rate ", V::fromDouble(0.5));
    parser.SetExpression("Rate * 4");
    parser.Parse();
    EXPECT_EQ(parser.Evaluate(), V::fromDouble(2));
    parser.SetExpression("total := rate * 10");
    parser.Parse();
    parser.Evaluate();
    EXPECT_EQ(parser.GetVariable("TOTAL"), V::fromDouble(5));
    EXPECT_EQ(parser.GetVariable("now").type(), Variant::Type::DateTime);
    parser.SetVariable("now", V::fromInt(1));
    EXPECT_EQ(parser.GetVariable("NOW"), V::fromInt(1));
    parser.SetVariable("   ", V::fromInt(1));
    EXPECT_EQ(parser.GetVariable(""), V());
}

TEST(ExprParser, LooksUpOperatorWordsAndFunctionsInAnyCase)
{
    TExprParser parser;
    EXPECT_EQ(parser.LookupIdentifier(" and ").kind, 1);
    EXPECT_EQ(parser.LookupIdentifier("And").code, 29);
    EXPECT_EQ(parser.LookupIdentifier(Gbk::encode(u"大于等于")).code, 20);
    // IfThen is registered twice; the function wins.
    EXPECT_EQ(parser.LookupIdentifier("IFTHEN").kind, 3);
    EXPECT_EQ(parser.LookupIdentifier("IFTHEN").code, 4);
    EXPECT_EQ(parser.LookupIdentifier("Switch").code, 3);
    EXPECT_EQ(parser.LookupIdentifier("nothing").kind, 0);
    EXPECT_EQ(parser.LookupIdentifier("").kind, 0);
    // Full-width letters have upper-case forms in the code page.
    parser.SetVariable(Gbk::encode(u"ａｂ"), V::fromInt(1));
    EXPECT_EQ(parser.GetVariable(Gbk::encode(u"ＡＢ")), V::fromInt(1));
}

struct ErrorCase
{
    const char16_t *expression;
    const char *message;
};

void PrintTo(const ErrorCase &c, std::ostream *os)
{
    *os << QString::fromUtf16(c.expression).toStdString();
}

class ExprError : public testing::TestWithParam<ErrorCase>
{};

TEST_P(ExprError, ReachesTheCaller)
{
    try {
        const Variant v = evaluate(QString::fromUtf16(GetParam().expression));
        FAIL() << "no error; got " << testing::PrintToString(v);
    } catch (const EvalError &e) {
        EXPECT_TRUE(e.message().contains(QString::fromUtf8(GetParam().message)))
            << e.message().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, ExprError,
    testing::Values(ErrorCase{u"1/0", "Division by zero"}, ErrorCase{u"5\\0", "Division by zero"},
                    ErrorCase{u"5%0", "Division by zero"}, ErrorCase{u"5/x", "Division by zero"},
                    ErrorCase{u"'a' * 2", "Could not convert \"a\" to a number"},
                    ErrorCase{u"'金' - 1", "Could not convert \"金\" to a number"},
                    ErrorCase{u"'abc' ? 1 : 2", "Could not convert"},
                    ErrorCase{u"1e999", "Number out of range: 1e999"},
                    ErrorCase{u"99999999999999999999", "Number out of range"},
                    ErrorCase{u"1e308 * 10", "Floating point overflow"},
                    ErrorCase{u"(s := 'abc', s['x'])", "Could not convert"}));

// Walks the tree from the root: every link stays inside the array and no node is reached
// twice, so no evaluation can loop.
void expectSoundTree(const TExprParser &parser, const QByteArray &expression)
{
    const auto &nodes = parser.Nodes();
    std::set<int> seen{0};
    std::vector<int> pending{0};
    while (!pending.empty()) {
        const int index = pending.back();
        pending.pop_back();
        for (int c = nodes[index].FirstChild; c > 0; c = nodes[c].NextSibling) {
            ASSERT_LT(c, static_cast<int>(nodes.size())) << expression.toStdString();
            ASSERT_TRUE(seen.insert(c).second)
                << "node " << c << " reached twice in " << testing::PrintToString(expression);
            pending.push_back(c);
        }
    }
}

// Parses and evaluates; an evaluation error is an acceptable outcome, a crash or a hang not.
void runGarbage(const QByteArray &expression)
{
    TExprParser parser;
    parser.SetExpression(expression);
    const int count = parser.Parse();
    ASSERT_GE(count, 2);
    expectSoundTree(parser, expression);
    try {
        (void)parser.Evaluate().toText();
    } catch (const EvalError &) {
    }
}

class ExprGarbage : public testing::TestWithParam<const char *>
{};

TEST_P(ExprGarbage, NeitherCrashesNorHangs)
{
    runGarbage(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, ExprGarbage,
    testing::Values("(((", ")))", "(()", "())(", "+", "-", "*", "/", "?", ":", "::", ",", ";", "'",
                    "\"", "'abc", "\"a\"\"", "#", "#$", "#$zz", "#9999999999999999999999", "{",
                    "{ unterminated", "/*", "/* unterminated", "//", "[", "]", "[[[]]]", "f(",
                    "f(,", "f(,,)", "a[", "a[1", "a::", "::a", "a::::b", "1 ? ", "? :", "a := := b",
                    "1 ++ 2", "--1", "!!!", "1..2", "$", "$$$", "e", "1e", "1e-", "...",
                    "1 : 2 : 3", "a ? b : c ? : d", "case(:)", "case(1:)", "if()", "str()", "x[",
                    "(1,2,3", "1 2 3 + + +", "not", "isnull", "and or xor", "end", "\x80\xff\x81",
                    "a\xb0", "{\xb0}", "'\xb0", "x := x", "[x] := 1", "f(1) := 2", "((1) := 2)",
                    "(a:=1):=2", "1 ; ; ;", ")(", "][", "a(b(c(d(", "\t\r\n\v\f", "\x01\x02\x03"));

TEST(ExprRobustness, EmbeddedNulBytesAreUnrecognisedCharacters)
{
    runGarbage(QByteArray("1\0+\0002", 5));
    EXPECT_EQ(parsedShape(QStringLiteral("1+2")), "Add(1,2)");
}

TEST(ExprRobustness, HugeNumbersAndLongTextsAreHandled)
{
    runGarbage(QByteArray(5000, '9'));
    runGarbage(QByteArray(5000, '$'));
    runGarbage("#" + QByteArray(5000, '9'));
    runGarbage("'" + QByteArray(100000, 'x') + "'");
    runGarbage(QByteArray(20000, '-') + "1");
}

TEST(ExprRobustness, DeepNestingIsRefusedWithAnError)
{
    const QByteArray deep = QByteArray(100000, '(') + "1" + QByteArray(100000, ')');
    TExprParser parser;
    parser.SetExpression(deep);
    parser.Parse();
    expectSoundTree(parser, "deep");
    try {
        parser.Evaluate();
        FAIL() << "a tree 100000 levels deep was evaluated";
    } catch (const EvalError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Expression nested too deeply"));
    }
    // Reasonable nesting works, and the parser stays usable after the error.
    parser.SetExpression(QByteArray(100, '(') + "1+1" + QByteArray(100, ')'));
    parser.Parse();
    EXPECT_EQ(parser.Evaluate(), V::fromInt(2));
    EXPECT_THROW(evaluate(QString(100000, u'-') + QStringLiteral("1")), EvalError);
}

TEST(ExprRobustness, RandomTokenSoupNeitherCrashesNorHangs)
{
    static const char *const pieces[] = {
        "1",    "2.5", "$1",  "1e-", "x",   "f",     "金额",   "'s'", "#65",  "\"q", "(",
        ")",    "[",   "]",   ",",   ";",   "+",     "-",      "*",   "/",    "\\",  "%",
        "!",    "?",   ":",   "::",  ":=",  "=",     "<>",     "!=",  "<",    ">",   "<=",
        ">=",   "||",  "and", "or",  "xor", "not",   "isnull", "if",  "case", "str", "int",
        "frac", "pi",  "now", " ",   "{c}", "/*c*/", "&",      "\xb0"};
    std::mt19937 random(20240315);
    std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(1, 24);
    for (int round = 0; round < 3000; ++round) {
        QByteArray expression;
        for (int n = length(random); n > 0; --n) {
            const char *piece = pieces[pick(random)];
            expression +=
                std::string_view(piece) == "金额" ? Gbk::encode(u"金额") : QByteArray(piece);
        }
        runGarbage(expression);
        if (HasFatalFailure())
            return;
    }
}

}  // namespace
}  // namespace tavi
