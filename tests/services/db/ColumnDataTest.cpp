#include "services/db/ColumnData.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using tavi::db::ColumnData;
using tavi::db::FieldKind;

namespace {

struct DateTextCase
{
    const char *text;
    bool ok;
    const char *expected;  // "yyyy-MM-dd HH:mm:ss.zzz"
};

class DateText : public ::testing::TestWithParam<DateTextCase>
{};

TEST_P(DateText, ParsesStoredForms)
{
    const DateTextCase &c = GetParam();
    qint64 packed = 0;
    ASSERT_EQ(ColumnData::parseDateTimeText(c.text, &packed), c.ok) << c.text;
    if (c.ok)
        EXPECT_EQ(
            ColumnData::unpackDateTime(packed).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")),
            QLatin1String(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, DateText,
    ::testing::Values(DateTextCase{"2026-12-11 10:20:30", true, "2026-12-11 10:20:30.000"},
                      DateTextCase{"2026-12-11", true, "2026-12-11 00:00:00.000"},
                      DateTextCase{"2024/02/29 23:59", true, "2024-02-29 23:59:00.000"},
                      DateTextCase{"2026-12-11T08:00:00.5", true, "2026-12-11 08:00:00.500"},
                      DateTextCase{"1899-12-30 00:00:00", true, "1899-12-30 00:00:00.000"},
                      DateTextCase{"2023-02-29", false, ""},
                      DateTextCase{"2026-12-11 25:00", false, ""},
                      DateTextCase{"2026-1-1", false, ""}, DateTextCase{"abc", false, ""},
                      DateTextCase{"2026-12-11 10:20:30x", false, ""}));

TEST(ColumnDataStore, KeepsEveryValueWhenKindsMix)
{
    ColumnData ints(FieldKind::Integer);
    ints.appendInt(5);
    ints.appendNull();
    ints.appendUtf8("12", 2);
    EXPECT_EQ(ints.storage(), ColumnData::Storage::Int);
    ints.appendUtf8("房间", 6);  // SQLite lets a text sit in an integer column
    EXPECT_EQ(ints.storage(), ColumnData::Storage::Variant);
    EXPECT_EQ(ints.value(0), QVariant(qint64(5)));
    EXPECT_FALSE(ints.value(1).isValid());
    EXPECT_EQ(ints.value(2), QVariant(qint64(12)));
    EXPECT_EQ(ints.value(3), QVariant(QStringLiteral("房间")));

    ColumnData texts(FieldKind::Text);
    texts.appendUtf8("a", 1);
    texts.appendUtf8("b", 1);
    texts.appendUtf8("c", 1);
    texts.setValue(1, QStringLiteral("长一些的文字"));
    texts.setValue(2, QVariant());
    texts.setValue(0, QStringLiteral("z"));
    EXPECT_EQ(texts.value(0).toString(), QStringLiteral("z"));
    EXPECT_EQ(texts.value(1).toString(), QStringLiteral("长一些的文字"));
    EXPECT_TRUE(texts.isNull(2));

    ColumnData flags(FieldKind::Boolean);
    flags.appendInt(-1);
    flags.appendInt(0);
    EXPECT_EQ(flags.value(0), QVariant(true));
    EXPECT_EQ(flags.value(1), QVariant(false));
}

}  // namespace
