#include "support/QtPrinters.h"
#include "tools/EHashFindError.h"
#include "tools/EHashInvalidKeyError.h"
#include "tools/Gbk.h"
#include "tools/TIdenHash.h"
#include "tools/TIntegerHash.h"
#include "tools/TVariantHash.h"

#include <gtest/gtest.h>

namespace tavi {
namespace {

struct HashCase
{
    QByteArray key;
    quint32 hash;
};

void PrintTo(const HashCase &c, std::ostream *os)
{
    *os << '"' << c.key.left(12).toStdString() << (c.key.size() > 12 ? "…" : "") << '"';
}

class KeyHashTest : public testing::TestWithParam<HashCase>
{};

TEST_P(KeyHashTest, StartsFromTheFixedValueAndOrsTheTopBitsBackIn)
{
    EXPECT_EQ(KeyHash(GetParam().key), GetParam().hash);
}

INSTANTIATE_TEST_SUITE_P(
    WorkedValues, KeyHashTest,
    testing::Values(
        HashCase{"a", 0x23456761u}, HashCase{"ab", 0x34567672u}, HashCase{"abc", 0x456767C3u},
        // The OR of the top nibble sets bit 5 of A, so A and a share a hash.
        HashCase{"A", 0x23456761u}, HashCase{"KEY", 0x45676FE9u}, HashCase{"\xff", 0x234567FFu},
        // Bytes count unsigned: 金额 in GBK.
        HashCase{"\xbd\xf0\xb6\xee", 0x567D005Eu}, HashCase{QByteArray(300, 'x'), 0xFFFFFFF8u}));

TEST(THash, HasOneHundredTwentyEightBucketsChosenByTheLowSevenBits)
{
    TIntegerHash table;
    EXPECT_EQ(table.Bits(), 7);
    EXPECT_EQ(table.BucketCount(), 128);
    EXPECT_EQ(table.Mask(), 127u);
    table.Put("a", 1);
    table.Put("ab", 2);
    table.Put("abc", 3);
    int bucket = -1;
    int position = -1;
    ASSERT_TRUE(table.LocateKey("a", bucket, position));
    EXPECT_EQ(bucket, 97);
    ASSERT_TRUE(table.LocateKey("ab", bucket, position));
    EXPECT_EQ(bucket, 114);
    ASSERT_TRUE(table.LocateKey("abc", bucket, position));
    EXPECT_EQ(bucket, 67);
    EXPECT_EQ(table.Bucket(67).front().Hash, 0x456767C3u);

    position = -1;
    EXPECT_FALSE(table.LocateKey("zz", bucket, position));
    EXPECT_EQ(bucket, static_cast<int>(KeyHash("zz") & 127));
    EXPECT_EQ(position, -1) << "the position is set only on success";
}

TEST(THash, KeysAreExactBytesAndValuesAreIndexedInArrivalOrder)
{
    TVariantHash table;
    table.Put("key", Variant::fromInt(1));
    table.Put("A", Variant::fromInt(2));
    table.Put("a", Variant::fromInt(3));
    table.Put("key", Variant::fromInt(4));

    EXPECT_EQ(table.Get("key"), Variant::fromInt(4)) << "a second Put replaces the value";
    EXPECT_EQ(table.Get("A"), Variant::fromInt(2));
    EXPECT_EQ(table.Get("a"), Variant::fromInt(3));
    EXPECT_FALSE(table.HasKey("KEY"));

    int bucket = 0;
    int position = 0;
    ASSERT_TRUE(table.LocateKey("key", bucket, position));
    EXPECT_EQ(table.Bucket(bucket).size(), 1u) << "one entry for a key put twice";
    EXPECT_EQ(table.Bucket(bucket)[position].ItemIndex, 0);
    ASSERT_TRUE(table.LocateKey("a", bucket, position));
    // A and a collide; the later key is appended behind the earlier one.
    ASSERT_EQ(table.Bucket(bucket).size(), 2u);
    EXPECT_EQ(table.Bucket(bucket)[0].Key, "A");
    EXPECT_EQ(table.Bucket(bucket)[0].ItemIndex, 1);
    EXPECT_EQ(table.Bucket(bucket)[1].ItemIndex, 2);
}

TEST(THash, EmptyKeysAndAbsentKeysFailWithTheirMessages)
{
    EXPECT_THROW(KeyHash(""), EHashInvalidKeyError);
    TVariantHash table;
    table.Put("x", Variant::fromText("one"));
    try {
        table.Put("", Variant::fromInt(1));
        FAIL() << "an empty key was accepted";
    } catch (const EHashInvalidKeyError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Key cannot be an empty string"));
    }
    EXPECT_THROW(table.HasKey(""), EHashInvalidKeyError);
    EXPECT_THROW(table.Get(""), EHashInvalidKeyError);
    try {
        table.Get(Gbk::encode(u"金额"));
        FAIL() << "an absent key was found";
    } catch (const EHashFindError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Key \"金额\" not found"));
    }
    // Failures leave the table as it was: the next new key still gets value index 1.
    table.Put("y", Variant::fromInt(2));
    int bucket = 0;
    int position = 0;
    ASSERT_TRUE(table.LocateKey("y", bucket, position));
    EXPECT_EQ(table.Bucket(bucket)[position].ItemIndex, 1);
    EXPECT_EQ(table.Get("x"), Variant::fromText("one"));
}

TEST(TIdenHash, TryGetValueReportsAbsenceWithZero)
{
    TIdenHash table;
    table.Put("NOW", (3 << 24) | 1);
    qint32 value = -1;
    EXPECT_TRUE(table.TryGetValue("NOW", value));
    EXPECT_EQ(value, (3 << 24) | 1);
    value = -1;
    EXPECT_FALSE(table.TryGetValue("now", value));
    EXPECT_EQ(value, 0);
}

}  // namespace
}  // namespace tavi
