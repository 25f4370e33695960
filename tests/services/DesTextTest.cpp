#include "services/Session.h"
#include "services/crypto/DesCipher.h"
#include "services/crypto/DesError.h"
#include "services/crypto/DesText.h"
#include "services/crypto/SessionCipher.h"
#include "services/crypto/SettingCipher.h"
#include "tools/Gbk.h"

#include <gtest/gtest.h>
#include <QByteArray>

using namespace tavi;

namespace {

const QByteArray kSettingKey = QByteArrayLiteral("Wq4#kLp8&zR2!mXv7^bN5*hT");
const QByteArray kColumnKey = QByteArrayLiteral("Hb7$Kq2&Mw9%P");
const QByteArray kAlternativeKey = QByteArrayLiteral("rmavel_quostin_ad");

TEST(DesText, EncryptsTheBytesOfAKeyTextLikeTheBlockCipher)
{
    const QByteArray key = QByteArray::fromHex("133457799BBCDFF1");
    const QByteArray plain = QByteArray::fromHex("0123456789ABCDEF");
    EXPECT_EQ(DesEncryptText(plain, key), QByteArray::fromHex("85E813540F0AB405"));
    EXPECT_EQ(DesEncryptHex(plain, key), QStringLiteral("85E813540F0AB405"));
    EXPECT_EQ(DesDecryptHex(u"85E813540F0AB405", key), plain);
    EXPECT_EQ(DesDecryptHex(u"85e813540f0ab405", key), plain);
}

TEST(DesText, PadsWithZeroBytesToWholeBlocks)
{
    const DesCipher cipher(kColumnKey);
    QByteArray block("abc\0\0\0\0\0", 8);
    cipher.encryptBlock(block.data());
    EXPECT_EQ(DesEncryptText("abc", kColumnKey), block);

    EXPECT_EQ(DesEncryptHex("", kColumnKey), QString());
    EXPECT_EQ(DesEncryptHex("a", kColumnKey).size(), 16);
    EXPECT_EQ(DesEncryptHex("12345678", kColumnKey).size(), 16);
    EXPECT_EQ(DesEncryptHex("123456789", kColumnKey).size(), 32);
    EXPECT_EQ(DesEncryptHex("123456789", kColumnKey).left(16),
              DesEncryptHex("12345678", kColumnKey));
}

TEST(DesText, UsesOnlyTheFirstEightBytesOfTheKey)
{
    EXPECT_EQ(DesEncryptHex("password", kColumnKey), DesEncryptHex("password", "Hb7$Kq2&"));
    EXPECT_NE(DesEncryptHex("password", kColumnKey), DesEncryptHex("password", "Hb7$Kq2"));
    EXPECT_EQ(DesEncryptHex("password", "abc"), DesEncryptHex("password", QByteArray("abc\0", 4)));
}

TEST(DesText, RefusesATextEndingInAZeroByte)
{
    try {
        DesEncryptText(QByteArray("abc\0", 4), kColumnKey);
        FAIL() << "no error";
    } catch (const DesError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Error: the last char is NULL char."));
    }
    EXPECT_THROW(DesEncryptHex(QByteArray(8, '\0'), kColumnKey), DesError);
    EXPECT_EQ(DesEncryptText(QByteArray("a\0b", 3), kColumnKey).size(), 8);
}

struct RoundTrip
{
    const char *name;
    QByteArray plain;
    QByteArray key;
};

void PrintTo(const RoundTrip &r, std::ostream *os)
{
    *os << r.name;
}

class DesRoundTrip : public testing::TestWithParam<RoundTrip>
{};

TEST_P(DesRoundTrip, DecryptsWhatWasEncrypted)
{
    const RoundTrip &r = GetParam();
    const QString hex = DesEncryptHex(r.plain, r.key);
    EXPECT_EQ(hex, hex.toUpper());
    EXPECT_EQ(DesDecryptHex(hex, r.key), r.plain);
    EXPECT_EQ(DesDecryptHex(hex.toLower(), r.key), r.plain);
    EXPECT_EQ(DesDecryptText(DesEncryptText(r.plain, r.key), r.key), r.plain);
}

const RoundTrip kRoundTrips[] = {
    {"Empty", "", kColumnKey},
    {"OneByte", "a", kColumnKey},
    {"OneBlock", "wpqn3921", kSettingKey},
    {"NineBytes", "123456789", kAlternativeKey},
    {"ZeroByteInside", QByteArray("a\0b", 3), kColumnKey},
    {"HighBytes", QByteArray::fromHex("FF80FE01"), kColumnKey},
    {"Chinese", Gbk::encode(u"张三的房间 101"), kColumnKey},
    {"ChineseKey", "secret", Gbk::encode(u"中文密钥")},
    {"EmptyKey", "secret", ""},
};

INSTANTIATE_TEST_SUITE_P(Texts, DesRoundTrip, testing::ValuesIn(kRoundTrips),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(DesText, DecryptsOnlyWholeBlocksOfHexPairs)
{
    const QString hex = DesEncryptHex("0123456789abcdef", kColumnKey);
    ASSERT_EQ(hex.size(), 32);
    EXPECT_EQ(DesDecryptHex(QString(hex + u'7'), kColumnKey), "0123456789abcdef");
    EXPECT_EQ(DesDecryptHex(QString(hex + QStringLiteral("0123456789")), kColumnKey),
              "0123456789abcdef");
    EXPECT_EQ(DesDecryptHex(hex.left(16), kColumnKey), "01234567");
    EXPECT_EQ(DesDecryptHex(hex.left(15), kColumnKey), "");
    EXPECT_EQ(DesDecryptHex(u"", kColumnKey), "");
}

TEST(DesText, SkipsCharactersThatAreNotHexDigitsInsideTheirPair)
{
    const DesCipher cipher(kColumnKey);
    QByteArray block = QByteArray::fromHex("0102030405060708");
    cipher.encryptBlock(block.data());
    QString hex = QString::fromLatin1(block.toHex());
    ASSERT_EQ(DesDecryptHex(hex, kColumnKey), QByteArray::fromHex("0102030405060708"));

    // A pair with one junk character counts its other digit alone.
    QByteArray damaged = block;
    damaged[0] = char(block[0] & 0x0F);
    hex[0] = u'x';
    EXPECT_EQ(DesDecryptHex(hex, kColumnKey), DesDecryptText(damaged, kColumnKey));
    EXPECT_EQ(DesDecryptHex(u"zz--  \r\n数据,;~~~~", kColumnKey),
              DesDecryptText(QByteArray(8, '\0'), kColumnKey));
}

TEST(DesText, HexValueAddsTheDigitsItKnows)
{
    EXPECT_EQ(HexValue(u""), 0);
    EXPECT_EQ(HexValue(u"7"), 7);
    EXPECT_EQ(HexValue(u"fF"), 255);
    EXPECT_EQ(HexValue(u"a0"), 160);
    EXPECT_EQ(HexValue(u"g1"), 1);
    EXPECT_EQ(HexValue(u"1g"), 1);
    EXPECT_EQ(HexValue(u"１2"), 2) << "full-width digits are not digits";
    EXPECT_EQ(HexValue(u"7fffffff"), 0x7fffffff);
    EXPECT_EQ(HexValue(u"ffffffff"), -1);
    EXPECT_EQ(HexValue(u"100000001"), 1);
}

TEST(SettingCipher, DecryptsWhatEncryptSettingWrites)
{
    for (const QString &password : {QStringLiteral("wpqn3921"), QStringLiteral("密码Pass#1"),
                                    QStringLiteral("a long password of 25 chars")}) {
        const QString hex = encryptSettingText(password);
        EXPECT_EQ(hex, DesEncryptHex(Gbk::encode(password), "Wq4#kLp8"));
        EXPECT_EQ(DecryptSettingText(hex), password);
    }
    EXPECT_EQ(encryptSettingText(QString()), QString());
    EXPECT_EQ(DecryptSettingText(u""), QString());
}

class SessionCipher : public testing::Test
{
protected:
    void SetUp() override
    {
        m_savedKey = session().SysInfo.DesKey;
        session().SysInfo.DesKey = QString::fromLatin1(kColumnKey);
    }
    void TearDown() override { session().SysInfo.DesKey = m_savedKey; }

private:
    QString m_savedKey;
};

TEST_F(SessionCipher, EncryptsWithTheKeyOfTheSession)
{
    const QString plain = QStringLiteral("张三");
    const QString hex = EncryptWithSessionKey(plain);
    EXPECT_EQ(hex, DesEncryptHex(Gbk::encode(plain), kColumnKey));
    EXPECT_EQ(DecryptWithSessionKey(hex), plain);
    EXPECT_EQ(DecryptWithSessionKey(hex.toLower()), plain);

    session().SysInfo.DesKey = QString::fromLatin1(kAlternativeKey);
    EXPECT_NE(EncryptWithSessionKey(plain), hex);
    EXPECT_NE(DecryptWithSessionKey(hex), plain);
    EXPECT_EQ(DecryptWithSessionKey(EncryptWithSessionKey(plain)), plain);
}

TEST_F(SessionCipher, EncryptsPerCharacterSoThatSubstringsCanBeSearched)
{
    EXPECT_EQ(EncryptPerChar(QString()), QString());
    const QString name = QStringLiteral("张三丰a");
    const QString digits = EncryptPerChar(name);
    ASSERT_EQ(digits.size(), 4 * 16);
    EXPECT_EQ(digits.left(16), EncryptWithSessionKey(QStringLiteral("张")));
    EXPECT_EQ(digits.right(16), EncryptWithSessionKey(QStringLiteral("a")));
    EXPECT_EQ(EncryptPerChar(QStringLiteral("张三")).size(), 32);
    EXPECT_EQ(digits.indexOf(EncryptPerChar(QStringLiteral("三丰"))), 16);
}

TEST_F(SessionCipher, DecryptingPerCharacterDigitsKeepsTheInnerPadding)
{
    const QString digits = EncryptPerChar(QStringLiteral("张三"));
    EXPECT_EQ(DecryptWithSessionKey(digits),
              QStringLiteral("张") + QString(6, QChar(0)) + QStringLiteral("三"));
}

}  // namespace
