#include "services/db/ColumnData.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>
#include <ctime>
#include <functional>
#include <string>

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
                      DateTextCase{"0001-01-01 00:00:00", true, "0001-01-01 00:00:00.000"},
                      DateTextCase{"2000-02-29", true, "2000-02-29 00:00:00.000"},
                      DateTextCase{"9999-12-31 23:59:59.999", true, "9999-12-31 23:59:59.999"},
                      DateTextCase{"2023-02-29", false, ""},
                      DateTextCase{"1900-02-29", false, ""},
                      DateTextCase{"0000-01-01", false, ""},
                      DateTextCase{"2026-04-31", false, ""},
                      DateTextCase{"2026-13-01", false, ""},
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

TEST(ColumnDataStore, TextsAcrossChunksKeepTheirPlaceThroughEditsAndSorts)
{
    // Enough rows for three chunks, so rows on both sides of a chunk edge are read and edited.
    const int rows = 3 * 32768 + 5;
    ColumnData texts(FieldKind::Text);
    for (int r = 0; r < rows; ++r) {
        const std::string t = r % 7 == 0 ? std::string() : "房" + std::to_string(r);
        if (r % 11 == 0)
            texts.appendNull();
        else
            texts.appendUtf8(t.data(), int(t.size()));
    }
    texts.prepareSortPrefixes();
    texts.setValue(32767, QStringLiteral("甲"));
    texts.setValue(32768, QStringLiteral("乙"));
    texts.setValue(rows - 1, QStringLiteral("丙"));
    texts.appendUtf8("x", 1);
    for (int r : {1, 2, 32766, 32769, 65536, 65537, rows - 2}) {
        const QString expected = r % 11 == 0  ? QString()
                                 : r % 7 == 0 ? QStringLiteral("")
                                              : QStringLiteral("房%1").arg(r);
        EXPECT_EQ(texts.value(r).toString(), expected) << r;
        EXPECT_EQ(texts.isNull(r), r % 11 == 0) << r;
    }
    EXPECT_EQ(texts.value(32767).toString(), QStringLiteral("甲"));
    EXPECT_EQ(texts.value(32768).toString(), QStringLiteral("乙"));
    EXPECT_EQ(texts.value(rows - 1).toString(), QStringLiteral("丙"));
    EXPECT_EQ(texts.value(rows).toString(), QStringLiteral("x"));
    // The prefixes of a sort follow every change before the next sort.
    texts.prepareSortPrefixes();
    for (int r : {2, 32768, rows - 1, rows})
        EXPECT_EQ(texts.sortPrefixAt(r), tavi::db::TextCollation::prefix(texts.utf8At(r))) << r;
}

struct ComputedCase
{
    const char *name;
    std::function<void(ColumnData &)> append;
    FieldKind kind;
    std::vector<QVariant> values;
};

class ComputedColumn : public ::testing::TestWithParam<ComputedCase>
{};

TEST_P(ComputedColumn, TakesItsKindFromItsValues)
{
    const ComputedCase &c = GetParam();
    ColumnData column = ColumnData::computed();
    c.append(column);
    column.finishComputed();
    EXPECT_EQ(column.kind(), c.kind);
    ASSERT_EQ(column.size(), int(c.values.size()));
    for (size_t r = 0; r < c.values.size(); ++r)
        EXPECT_EQ(column.value(int(r)), c.values[r]) << r;
}

const QDateTime kMorning(QDate(2026, 1, 2), QTime(8, 0));

INSTANTIATE_TEST_SUITE_P(
    Values, ComputedColumn,
    ::testing::Values(ComputedCase{"NullsThenIntegers",
                                   [](ColumnData &c) {
                                       c.appendNull();
                                       c.appendComputedInt(4);
                                   },
                                   FieldKind::Integer,
                                   {QVariant(), QVariant(qint64(4))}},
                      ComputedCase{"IntegersNextToDoubles",
                                   [](ColumnData &c) {
                                       c.appendComputedInt(2);
                                       c.appendNull();
                                       c.appendComputedDouble(0.5);
                                       c.appendComputedInt(3);
                                   },
                                   FieldKind::Float,
                                   {QVariant(2.0), QVariant(), QVariant(0.5), QVariant(3.0)}},
                      ComputedCase{"StoredDateTimes",
                                   [](ColumnData &c) {
                                       c.appendComputedUtf8("2026-01-02 08:00:00", 19);
                                       c.appendNull();
                                   },
                                   FieldKind::DateTime,
                                   {QVariant(kMorning), QVariant()}},
                      ComputedCase{"DateTextsInOtherForms",
                                   [](ColumnData &c) {
                                       c.appendComputedUtf8("2026-01-02 08:00:00", 19);
                                       c.appendComputedUtf8("2026-01-02 08:00", 16);
                                       c.appendComputedUtf8("2026-01-02", 10);
                                   },
                                   FieldKind::Text,
                                   {QVariant(QStringLiteral("2026-01-02 08:00:00")),
                                    QVariant(QStringLiteral("2026-01-02 08:00")),
                                    QVariant(QStringLiteral("2026-01-02"))}},
                      ComputedCase{
                          "TextsNextToNumbers",
                          [](ColumnData &c) {
                              c.appendComputedInt(1);
                              c.appendComputedUtf8("a", 1);
                              c.appendComputedDouble(1.5);
                          },
                          FieldKind::Text,
                          {QVariant(qint64(1)), QVariant(QStringLiteral("a")), QVariant(1.5)}}),
    [](const auto &info) { return std::string(info.param.name); });

// Date-times read back are the same wall-clock time, and the same instant, as a local-time
// value built directly, also on the days a zone with summer time changes its offset.
TEST(ColumnDataDates, ReadBackAsTheLocalWallClockTime)
{
    const QByteArray savedTz = qgetenv("TZ");
    const bool hadTz = qEnvironmentVariableIsSet("TZ");
    for (const char *zone : {"America/New_York", "Asia/Shanghai", "UTC"}) {
        qputenv("TZ", zone);
        tzset();
        ColumnData::rereadTimeZone();
        for (const QDate day :
             {QDate(2026, 3, 8), QDate(2026, 11, 1), QDate(2026, 7, 14), QDate(1899, 12, 30)}) {
            for (const QTime time : {QTime(0, 0), QTime(1, 59, 59), QTime(2, 30), QTime(3, 0),
                                     QTime(12, 0, 0, 250), QTime(23, 59, 59)}) {
                const QDateTime local(day, time);
                const QDateTime read =
                    ColumnData::unpackDateTime(ColumnData::packDateTime(day, time));
                EXPECT_EQ(read, local) << zone << " " << local.toString().toStdString();
                EXPECT_EQ(read.date(), local.date()) << zone;
                EXPECT_EQ(read.time(), local.time()) << zone;
                if (local.isValid()) {
                    EXPECT_EQ(ColumnData::dateTimeText(ColumnData::packDateTime(day, time)),
                              ColumnData::dateTimeText(local));
                }
            }
        }
    }
    if (hadTz)
        qputenv("TZ", savedTz);
    else
        qunsetenv("TZ");
    tzset();
    ColumnData::rereadTimeZone();
}

}  // namespace
