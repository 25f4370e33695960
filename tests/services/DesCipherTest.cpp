#include "services/crypto/DesCipher.h"

#include <QByteArray>

#include <gtest/gtest.h>

using tavi::DesCipher;

namespace {

struct KnownAnswer
{
    std::uint64_t key;
    std::uint64_t plain;
    std::uint64_t cipher;
};

void PrintTo(const KnownAnswer &v, std::ostream *os)
{
    *os << std::hex << std::uppercase << "key " << v.key << " plain " << v.plain;
}

QByteArray bytesOf(std::uint64_t value)
{
    QByteArray bytes(8, '\0');
    for (int i = 7; i >= 0; --i, value >>= 8)
        bytes[i] = char(value & 0xFF);
    return bytes;
}

class DesKnownAnswer : public testing::TestWithParam<KnownAnswer>
{};

TEST_P(DesKnownAnswer, EncryptsAndDecrypts)
{
    const KnownAnswer &v = GetParam();
    const DesCipher cipher(bytesOf(v.key));
    EXPECT_EQ(cipher.encryptBlock(v.plain), v.cipher);
    EXPECT_EQ(cipher.decryptBlock(v.cipher), v.plain);
}

TEST_P(DesKnownAnswer, WorksOnBytesMostSignificantFirst)
{
    const KnownAnswer &v = GetParam();
    const DesCipher cipher(bytesOf(v.key));
    QByteArray block = bytesOf(v.plain);
    cipher.encryptBlock(block.data());
    EXPECT_EQ(block, bytesOf(v.cipher));
    cipher.decryptBlock(block.data());
    EXPECT_EQ(block, bytesOf(v.plain));
}

TEST_P(DesKnownAnswer, IgnoresKeyParityBits)
{
    const KnownAnswer &v = GetParam();
    const DesCipher cipher(bytesOf(v.key ^ 0x0101010101010101ULL));
    EXPECT_EQ(cipher.encryptBlock(v.plain), v.cipher);
}

const KnownAnswer kClassic[] = {
    {0x133457799BBCDFF1, 0x0123456789ABCDEF, 0x85E813540F0AB405},
    {0x0000000000000000, 0x0000000000000000, 0x8CA64DE9C1B123A7},
    {0xFFFFFFFFFFFFFFFF, 0xFFFFFFFFFFFFFFFF, 0x7359B2163E4EDC58},
    {0x3000000000000000, 0x1000000000000001, 0x958E6E627A05557B},
    {0x1111111111111111, 0x1111111111111111, 0xF40379AB9E0EC533},
    {0x0123456789ABCDEF, 0x1111111111111111, 0x17668DFC7292532D},
    {0x1111111111111111, 0x0123456789ABCDEF, 0x8A5AE1F81AB8F2DD},
    {0xFEDCBA9876543210, 0x0123456789ABCDEF, 0xED39D950FA74BCC4},
};

// NBS validation: plaintexts of one set bit under the key of parity bits only.
const KnownAnswer kVariablePlaintext[] = {
    {0x0101010101010101, 0x8000000000000000, 0x95F8A5E5DD31D900},
    {0x0101010101010101, 0x4000000000000000, 0xDD7F121CA5015619},
    {0x0101010101010101, 0x2000000000000000, 0x2E8653104F3834EA},
    {0x0101010101010101, 0x1000000000000000, 0x4BD388FF6CD81D4F},
    {0x0101010101010101, 0x0800000000000000, 0x20B9E767B2FB1456},
    {0x0101010101010101, 0x0400000000000000, 0x55579380D77138EF},
    {0x0101010101010101, 0x0200000000000000, 0x6CC5DEFAAF04512F},
    {0x0101010101010101, 0x0100000000000000, 0x0D9F279BA5D87260},
    {0x0101010101010101, 0x0080000000000000, 0xD9031B0271BD5A0A},
    {0x0101010101010101, 0x0040000000000000, 0x424250B37C3DD951},
    {0x0101010101010101, 0x0020000000000000, 0xB8061B7ECD9A21E5},
    {0x0101010101010101, 0x0010000000000000, 0xF15D0F286B65BD28},
    {0x0101010101010101, 0x0008000000000000, 0xADD0CC8D6E5DEBA1},
    {0x0101010101010101, 0x0004000000000000, 0xE6D5F82752AD63D1},
    {0x0101010101010101, 0x0002000000000000, 0xECBFE3BD3F591A5E},
    {0x0101010101010101, 0x0001000000000000, 0xF356834379D165CD},
    {0x0101010101010101, 0x0000000000000001, 0x166B40B44ABA4BD6},
};

// NBS validation: keys of one set bit besides the parity bits, plaintext zero.
const KnownAnswer kVariableKey[] = {
    {0x8001010101010101, 0, 0x95A8D72813DAA94D}, {0x4001010101010101, 0, 0x0EEC1487DD8C26D5},
    {0x2001010101010101, 0, 0x7AD16FFB79C45926}, {0x1001010101010101, 0, 0xD3746294CA6A6CF3},
    {0x0801010101010101, 0, 0x809F5F873C1FD761}, {0x0401010101010101, 0, 0xC02FAFFEC989D1FC},
    {0x0201010101010101, 0, 0x4615AA1D33E72F10}, {0x0180010101010101, 0, 0x2055123350C00858},
    {0x0140010101010101, 0, 0xDF3B99D6577397C8}, {0x0120010101010101, 0, 0x31FE17369B5288C9},
    {0x0110010101010101, 0, 0xDFDD3CC64DAE1642},
};

// NBS validation: the substitution-table set, reaching every entry of the eight S-boxes.
const KnownAnswer kSubstitutionTables[] = {
    {0x7CA110454A1A6E57, 0x01A1D6D039776742, 0x690F5B0D9A26939B},
    {0x0131D9619DC1376E, 0x5CD54CA83DEF57DA, 0x7A389D10354BD271},
    {0x07A1133E4A0B2686, 0x0248D43806F67172, 0x868EBB51CAB4599A},
    {0x3849674C2602319E, 0x51454B582DDF440A, 0x7178876E01F19B2A},
    {0x04B915BA43FEB5B6, 0x42FD443059577FA2, 0xAF37FB421F8C4095},
    {0x0113B970FD34F2CE, 0x059B5E0851CF143A, 0x86A560F10EC6D85B},
    {0x0170F175468FB5E6, 0x0756D8E0774761D2, 0x0CD3DA020021DC09},
    {0x43297FAD38E373FE, 0x762514B829BF486A, 0xEA676B2CB7DB2B7A},
    {0x07A7137045DA2A16, 0x3BDD119049372802, 0xDFD64A815CAF1A0F},
    {0x04689104C2FD3B2F, 0x26955F6835AF609A, 0x5C513C9C4886C088},
    {0x37D06BB516CB7546, 0x164D5E404F275232, 0x0A2AEEAE3FF4AB77},
    {0x1F08260D1AC2465E, 0x6B056E18759F5CCA, 0xEF1BF03E5DFA575A},
    {0x584023641ABA6176, 0x004BD6EF09176062, 0x88BF0DB6D70DEE56},
    {0x025816164629B007, 0x480D39006EE762F2, 0xA1F9915541020B56},
    {0x49793EBC79B3258F, 0x437540C8698F3CFA, 0x6FBF1CAFCFFD0556},
    {0x4FB05E1515AB73A7, 0x072D43A077075292, 0x2F22E49BAB7CA1AC},
    {0x49E95D6D4CA229BF, 0x02FE55778117F12A, 0x5A6B612CC26CCE4A},
    {0x018310DC409B26D6, 0x1D9D5C5018F728C2, 0x5F4C038ED12B2E41},
    {0x1C587F1C13924FEF, 0x305532286D6F295A, 0x63FAC0D034D9F793},
};

INSTANTIATE_TEST_SUITE_P(Classic, DesKnownAnswer, testing::ValuesIn(kClassic));
INSTANTIATE_TEST_SUITE_P(VariablePlaintext, DesKnownAnswer, testing::ValuesIn(kVariablePlaintext));
INSTANTIATE_TEST_SUITE_P(VariableKey, DesKnownAnswer, testing::ValuesIn(kVariableKey));
INSTANTIATE_TEST_SUITE_P(SubstitutionTables, DesKnownAnswer,
                         testing::ValuesIn(kSubstitutionTables));

TEST(DesCipher, PadsAShortKeyWithZeroBytesAndIgnoresBytesBeyondTheEighth)
{
    const std::uint64_t plain = 0x0123456789ABCDEF;
    EXPECT_EQ(DesCipher(QByteArrayView("abc")).encryptBlock(plain),
              DesCipher(bytesOf(0x6162630000000000)).encryptBlock(plain));
    EXPECT_EQ(DesCipher(QByteArrayView("")).encryptBlock(plain),
              DesCipher(bytesOf(0)).encryptBlock(plain));
    EXPECT_EQ(DesCipher(QByteArrayView("Hb7$Kq2&Mw9%P")).encryptBlock(plain),
              DesCipher(QByteArrayView("Hb7$Kq2&")).encryptBlock(plain));
    EXPECT_NE(DesCipher(QByteArrayView("Hb7$Kq2&")).encryptBlock(plain),
              DesCipher(QByteArrayView("Hb7$Kq2")).encryptBlock(plain));
}

}  // namespace
