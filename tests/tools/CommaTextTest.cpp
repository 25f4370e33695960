#include "support/QtPrinters.h"
#include "tools/CommaText.h"

#include <gtest/gtest.h>

using tavi::CommaText;

namespace {

struct CommaCase
{
    QStringList items;
    const char *text;
};

class CommaTextCase : public ::testing::TestWithParam<CommaCase>
{};

TEST_P(CommaTextCase, JoinsAndSplitsBack)
{
    EXPECT_EQ(CommaText::join(GetParam().items), QString::fromUtf8(GetParam().text));
    EXPECT_EQ(CommaText::split(QString::fromUtf8(GetParam().text)), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommaTextCase,
    ::testing::Values(CommaCase{{"A", "x", "y z", "B"}, "A,x,\"y z\",B"}, CommaCase{{}, ""},
                      CommaCase{{""}, "\"\""}, CommaCase{{"a", "", "b"}, "a,,b"},
                      CommaCase{{"say \"hi\"", "1,2", "标间"}, "\"say \"\"hi\"\"\",\"1,2\",标间"},
                      CommaCase{{"a", ""}, "a,"}, CommaCase{{"tab\there"}, "\"tab\there\""}));

TEST(CommaTextSplit, UnquotedBlanksSeparateItems)
{
    EXPECT_EQ(CommaText::split(QStringLiteral("a b, c")), QStringList({"a", "b", "c"}));
    EXPECT_EQ(CommaText::split(QStringLiteral("\"open")), QStringList({"open"}));
}

}  // namespace
