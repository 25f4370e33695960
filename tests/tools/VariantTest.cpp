#include "VariantPrinter.h"
#include "support/QtPrinters.h"
#include "tools/EvalError.h"
#include "tools/Variant.h"

#include <gtest/gtest.h>
#include <cmath>
#include <functional>
#include <limits>

namespace tavi {
namespace {

using V = Variant;

constexpr qint32 kInt32Max = std::numeric_limits<qint32>::max();
constexpr qint32 kInt32Min = std::numeric_limits<qint32>::min();
constexpr qint64 kInt64Max = std::numeric_limits<qint64>::max();
constexpr qint64 kInt64Min = std::numeric_limits<qint64>::min();

struct OperationCase
{
    const char *label;
    std::function<Variant()> run;
    Variant expected;
    // Part of the error message when the operation must fail.
    const char *error = nullptr;
};

void PrintTo(const OperationCase &c, std::ostream *os)
{
    *os << c.label;
}

class VariantOperation : public testing::TestWithParam<OperationCase>
{};

TEST_P(VariantOperation, GivesTheExpectedTypeAndValue)
{
    const OperationCase &c = GetParam();
    if (c.error) {
        try {
            const Variant v = c.run();
            ADD_FAILURE() << "no error; got " << testing::PrintToString(v);
        } catch (const EvalError &e) {
            EXPECT_TRUE(e.message().contains(QLatin1String(c.error))) << e.message().toStdString();
        }
        return;
    }
    EXPECT_EQ(c.run(), c.expected);
}

const QDateTime kMoment(QDate(2024, 3, 15), QTime(12, 0));

INSTANTIATE_TEST_SUITE_P(
    Arithmetic, VariantOperation,
    testing::Values(
        OperationCase{"int plus int", [] { return V::fromInt(2).add(V::fromInt(3)); },
                      V::fromInt(5)},
        OperationCase{"truth values add as integers",
                      [] { return V::fromByte(1).add(V::fromByte(1)); }, V::fromInt(2)},
        OperationCase{"int32 overflow widens to 64 bits",
                      [] { return V::fromInt(kInt32Max).add(V::fromInt(1)); },
                      V::fromInt64(2147483648LL)},
        OperationCase{"int32 underflow widens to 64 bits",
                      [] { return V::fromInt(kInt32Min).subtract(V::fromInt(1)); },
                      V::fromInt64(-2147483649LL)},
        OperationCase{"a 64-bit operand keeps a 64-bit result",
                      [] { return V::fromInt64(1).add(V::fromInt(1)); }, V::fromInt64(2)},
        OperationCase{"int64 overflow becomes a double",
                      [] { return V::fromInt64(kInt64Max).add(V::fromInt(1)); },
                      V::fromDouble(9223372036854775808.0)},
        OperationCase{"product overflow becomes a double",
                      [] { return V::fromInt64(kInt64Min).multiply(V::fromInt(-1)); },
                      V::fromDouble(9223372036854775808.0)},
        OperationCase{"product widens",
                      [] { return V::fromInt(65536).multiply(V::fromInt(65536)); },
                      V::fromInt64(4294967296LL)},
        OperationCase{"a double makes a double",
                      [] { return V::fromDouble(0.5).add(V::fromInt(1)); }, V::fromDouble(1.5)},
        OperationCase{"two texts concatenate",
                      [] { return V::fromText("a").add(V::fromText("b")); }, V::fromText("ab")},
        OperationCase{"empty beside a text is the empty text",
                      [] { return V().add(V::fromText("b")); }, V::fromText("b")},
        OperationCase{"empty counts as 0", [] { return V().add(V()); }, V::fromInt(0)},
        OperationCase{"a text that spells an integer",
                      [] { return V::fromText(" 3 ").add(V::fromInt(4)); }, V::fromInt(7)},
        OperationCase{"a text that spells a fraction",
                      [] { return V::fromText("1.5").multiply(V::fromInt(2)); }, V::fromDouble(3)},
        OperationCase{"two numeric texts subtract",
                      [] { return V::fromText("5").subtract(V::fromText("7")); }, V::fromInt(-2)},
        OperationCase{"a text that is not a number",
                      [] { return V::fromText("abc").add(V::fromInt(1)); },
                      {},
                      "Could not convert \"abc\" to a number"},
        OperationCase{"the empty text is not a number",
                      [] { return V::fromText("").multiply(V::fromInt(1)); },
                      {},
                      "Could not convert"},
        OperationCase{"null propagates", [] { return V::null().add(V::fromInt(1)); }, V::null()},
        OperationCase{"date plus days is a date",
                      [] { return V::fromDateTime(kMoment).add(V::fromInt(1)); },
                      V::fromDateTime(kMoment.addDays(1))},
        OperationCase{
            "two dates are days apart",
            [] { return V::fromDateTime(kMoment.addDays(2)).subtract(V::fromDateTime(kMoment)); },
            V::fromDouble(2)},
        OperationCase{"double overflow",
                      [] { return V::fromDouble(1e308).multiply(V::fromInt(10)); },
                      {},
                      "Floating point overflow"},
        OperationCase{"division gives a double",
                      [] { return V::fromInt(10).divide(V::fromInt(4)); }, V::fromDouble(2.5)},
        OperationCase{"even division gives a double too",
                      [] { return V::fromInt(10).divide(V::fromInt(5)); }, V::fromDouble(2)},
        OperationCase{"division by zero",
                      [] { return V::fromInt(1).divide(V::fromInt(0)); },
                      {},
                      "Division by zero"},
        OperationCase{
            "division by empty", [] { return V::fromInt(1).divide(V()); }, {}, "Division by zero"},
        OperationCase{"division by 0.0",
                      [] { return V::fromInt(0).divide(V::fromDouble(0)); },
                      {},
                      "Division by zero"},
        OperationCase{"integer division truncates",
                      [] { return V::fromInt(-7).intDivide(V::fromInt(2)); }, V::fromInt(-3)},
        OperationCase{"integer division of doubles truncates the quotient",
                      [] { return V::fromDouble(7.9).intDivide(V::fromInt(2)); }, V::fromInt(3)},
        OperationCase{"integer division overflow",
                      [] { return V::fromInt64(kInt64Min).intDivide(V::fromInt(-1)); },
                      V::fromDouble(9223372036854775808.0)},
        OperationCase{"integer division by zero",
                      [] { return V::fromInt(7).intDivide(V::fromInt(0)); },
                      {},
                      "Division by zero"},
        OperationCase{"remainder has the dividend's sign",
                      [] { return V::fromInt(-7).modulo(V::fromInt(2)); }, V::fromInt(-1)},
        OperationCase{"remainder of the smallest integer by -1",
                      [] { return V::fromInt64(kInt64Min).modulo(V::fromInt(-1)); },
                      V::fromInt64(0)},
        OperationCase{"remainder of doubles",
                      [] { return V::fromDouble(7.5).modulo(V::fromInt(2)); }, V::fromDouble(1.5)},
        OperationCase{"remainder by zero",
                      [] { return V::fromInt(7).modulo(V::fromInt(0)); },
                      {},
                      "Division by zero"},
        OperationCase{"bitwise or", [] { return V::fromInt(5).bitOr(V::fromInt(2)); },
                      V::fromInt(7)},
        OperationCase{"or of a fraction is true",
                      [] { return V::fromDouble(0.5).bitOr(V::fromInt(0)); }, V::fromByte(1)},
        OperationCase{"negating the smallest int32", [] { return V::fromInt(kInt32Min).negate(); },
                      V::fromInt64(2147483648LL)},
        OperationCase{"negating the smallest int64",
                      [] { return V::fromInt64(kInt64Min).negate(); },
                      V::fromDouble(9223372036854775808.0)},
        OperationCase{"absolute value of a numeric text",
                      [] { return V::fromText("-3").absolute(); }, V::fromInt(3)},
        OperationCase{"a numeric text too large",
                      [] { return V::fromText("1e999").negate(); },
                      {},
                      "Number out of range"},
        OperationCase{"an integer text beyond 64 bits reads as a double",
                      [] { return V::fromText("99999999999999999999").add(V::fromInt(0)); },
                      V::fromDouble(1e20)}));

struct CompareCase
{
    const char *label;
    Variant left;
    Variant right;
    std::partial_ordering order;
};

void PrintTo(const CompareCase &c, std::ostream *os)
{
    *os << c.label;
}

class VariantCompare : public testing::TestWithParam<CompareCase>
{};

TEST_P(VariantCompare, OrdersBothWays)
{
    const CompareCase &c = GetParam();
    EXPECT_EQ(c.left.compare(c.right), c.order);
    const std::partial_ordering reversed = 0 <=> c.order;
    EXPECT_EQ(c.right.compare(c.left), reversed);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, VariantCompare,
    testing::Values(
        CompareCase{"int and double", V::fromInt(1), V::fromDouble(1.0),
                    std::partial_ordering::equivalent},
        CompareCase{"int64 beyond a double's precision", V::fromInt64(kInt64Max),
                    V::fromInt64(kInt64Max - 1), std::partial_ordering::greater},
        CompareCase{"texts by their bytes", V::fromText("abc"), V::fromText("abd"),
                    std::partial_ordering::less},
        CompareCase{"texts keep letter case", V::fromText("B"), V::fromText("a"),
                    std::partial_ordering::less},
        CompareCase{"a numeric text against a number, as numbers", V::fromText("10"), V::fromInt(9),
                    std::partial_ordering::greater},
        CompareCase{"a non-numeric text against a number, as texts", V::fromText("abc"),
                    V::fromInt(5), std::partial_ordering::greater},
        CompareCase{"empty is 0", V(), V::fromInt(0), std::partial_ordering::equivalent},
        CompareCase{"empty is the empty text", V(), V::fromText(""),
                    std::partial_ordering::equivalent},
        CompareCase{"null equals null", V::null(), V::null(), std::partial_ordering::equivalent},
        CompareCase{"null is unordered against a value", V::null(), V::fromInt(0),
                    std::partial_ordering::unordered}));

TEST(Variant, TruthIsInequalityWithZero)
{
    EXPECT_TRUE(V::fromDouble(0.1).isTrue());
    EXPECT_TRUE(V::fromText("abc").isTrue());
    EXPECT_TRUE(V::fromInt(-1).isTrue());
    EXPECT_FALSE(V::fromText("0").isTrue());
    EXPECT_FALSE(V::fromDouble(0).isTrue());
    EXPECT_FALSE(V().isTrue());
    EXPECT_FALSE(V::null().isTrue());
}

struct TextCase
{
    Variant value;
    const char *text;
};

void PrintTo(const TextCase &c, std::ostream *os)
{
    *os << c.text;
}

class VariantText : public testing::TestWithParam<TextCase>
{};

TEST_P(VariantText, IsTheShortestFaithfulSpelling)
{
    EXPECT_EQ(GetParam().value.toText(), QByteArray(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, VariantText,
    testing::Values(TextCase{V::fromDouble(2.5), "2.5"}, TextCase{V::fromDouble(0.25), "0.25"},
                    TextCase{V::fromDouble(-2), "-2"}, TextCase{V::fromDouble(-0.0), "0"},
                    TextCase{V::fromDouble(0.1 + 0.2), "0.30000000000000004"},
                    TextCase{V::fromDouble(1e20), "100000000000000000000"},
                    TextCase{V::fromDouble(1e21), "1e+21"},
                    TextCase{V::fromDouble(0.000001), "0.000001"},
                    TextCase{V::fromDouble(1e-7), "1e-07"},
                    TextCase{V::fromInt64(kInt64Min), "-9223372036854775808"},
                    TextCase{V::fromUInt(4294967295u), "4294967295"}, TextCase{V::fromByte(1), "1"},
                    TextCase{V(), ""}, TextCase{V::null(), ""},
                    TextCase{V::fromDateTime(QDateTime(QDate(2024, 3, 15), QTime(14, 30, 45))),
                             "2024-03-15 14:30:45"},
                    TextCase{V::fromDays(2.75), "1900-01-01 18:00:00"}));

TEST(Variant, ADateBeyondTheCalendarHasNoText)
{
    EXPECT_THROW(V::fromDays(1e300).toText(), EvalError);
    EXPECT_THROW(V::fromDays(std::nan("")).toText(), EvalError);
}

}  // namespace
}  // namespace tavi
