#include "tools/ExcelNumberFormat.h"

#include <gtest/gtest.h>

using namespace tavi;

namespace {

struct FormatCase
{
    const char *pattern;
    bool dateTime;
    const char *excel;
};

class ExcelNumberFormatTest : public ::testing::TestWithParam<FormatCase>
{};

TEST_P(ExcelNumberFormatTest, TranslatesDisplayFormats)
{
    const FormatCase &c = GetParam();
    EXPECT_EQ(ExcelNumberFormat::fromDisplayFormat(QString::fromUtf8(c.pattern), c.dateTime),
              QString::fromUtf8(c.excel));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExcelNumberFormatTest,
    ::testing::Values(FormatCase{"", false, "@"}, FormatCase{"", true, "@"},
                      FormatCase{"#,##0.00", false, "#,##0.00"},
                      FormatCase{"共计#条记录", false, "\"共计\"#\"条记录\""},
                      FormatCase{"0.0%", false, "0.0\"%\""},
                      FormatCase{"0.00E+00", false, "0.00E+00"},
                      FormatCase{"#,##0.00;(#,##0.00);'零'", false,
                                 "#,##0.00;\"(\"#,##0.00\")\";\"零\""},
                      FormatCase{"0'\"'", false, "0\\\""},
                      FormatCase{"yyyy-mm-dd hh:nn", true, "yyyy\"-\"mm\"-\"dd\" \"hh\":\"mm"},
                      FormatCase{"yyyy年m月d日", true, "yyyy\"年\"m\"月\"d\"日\""},
                      FormatCase{"hh:mm:ss", true, "hh\":\"mm\":\"ss"},
                      FormatCase{"yy/mmm", true, "yy\"/\"m\"月\""},
                      FormatCase{"dddd hh:nn ampm", true, "[$-804]aaaa\" \"hh\":\"mm\" \"AM/PM"}));

}  // namespace
