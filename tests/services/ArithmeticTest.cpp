#include "services/Arithmetic.h"
#include "services/Clock.h"
#include "support/QtPrinters.h"
#include "tools/EvalError.h"

#include <gtest/gtest.h>

namespace tavi {
namespace {

struct DefaultCase
{
    const char16_t *text;
    const char16_t *value;
};

void PrintTo(const DefaultCase &c, std::ostream *os)
{
    *os << QString::fromUtf16(c.text).toStdString();
}

class EvalDefaultValueInMarch : public testing::TestWithParam<DefaultCase>
{
protected:
    ScopedClock m_clock{QDateTime(QDate(2024, 3, 15), QTime(14, 30, 45))};
};

TEST_P(EvalDefaultValueInMarch, ExpandsTheMonthAndEvaluatesArithmetic)
{
    EXPECT_EQ(EvalDefaultValue(QString::fromUtf16(GetParam().text)),
              QString::fromUtf16(GetParam().value));
}

INSTANTIATE_TEST_SUITE_P(
    Defaults, EvalDefaultValueInMarch,
    testing::Values(DefaultCase{u"[MONTH]", u"3"}, DefaultCase{u"[MONTH]-1", u"2"},
                    DefaultCase{u"[MONTH]月", u"3月"}, DefaultCase{u"[MONTH]*[MONTH]", u"9"},
                    DefaultCase{u"2024-01-01", u"2022"}, DefaultCase{u"[month]", u"[month]"},
                    DefaultCase{u"[month]-1", u"-1"}, DefaultCase{u"全部", u"全部"},
                    DefaultCase{u"10/4", u"2.5"}, DefaultCase{u"", u""},
                    DefaultCase{u"'全'+'部'", u"全部"}));

TEST(EvalDefaultValue, FollowsTheClockAcrossTheYear)
{
    {
        ScopedClock clock(QDateTime(QDate(2023, 12, 31), QTime(23, 59, 59)));
        EXPECT_EQ(EvalDefaultValue(QStringLiteral("[MONTH]")), QStringLiteral("12"));
    }
    ScopedClock clock(QDateTime(QDate(2024, 1, 1), QTime(0, 0)));
    EXPECT_EQ(EvalDefaultValue(QStringLiteral("[MONTH]-1")), QStringLiteral("0"));
}

TEST(EvalArithmetic, GivesTheValueAsTextAndPassesErrorsOn)
{
    ScopedClock clock(QDateTime(QDate(2024, 3, 15), QTime(14, 30, 45)));
    EXPECT_EQ(EvalArithmetic(QStringLiteral("5-1")), QStringLiteral("4"));
    EXPECT_EQ(EvalArithmetic(QStringLiteral("1/4")), QStringLiteral("0.25"));
    EXPECT_EQ(EvalArithmetic(QStringLiteral("  ")), QString());
    EXPECT_EQ(EvalArithmetic(QStringLiteral("'金额' || 1")), QStringLiteral("金额1"));
    EXPECT_EQ(EvalArithmetic(QStringLiteral("now")), QStringLiteral("2024-03-15 14:30:45"));
    EXPECT_THROW(EvalArithmetic(QStringLiteral("1/0")), EvalError);
    EXPECT_THROW(EvalDefaultValue(QStringLiteral("A/B")), EvalError);
}

}  // namespace
}  // namespace tavi
