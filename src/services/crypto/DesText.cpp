#include "DesText.h"

#include "DesCipher.h"
#include "DesError.h"

namespace tavi {

namespace {

constexpr qsizetype kBlockSize = 8;

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

}  // namespace

QByteArray DesEncryptText(QByteArrayView plain, QByteArrayView key)
{
    if (!plain.isEmpty() && plain.back() == '\0')
        throw DesError(QStringLiteral("Error: the last char is NULL char."));
    QByteArray data = plain.toByteArray();
    const qsizetype rest = data.size() % kBlockSize;
    if (rest != 0)
        data.append(kBlockSize - rest, '\0');
    const DesCipher cipher(key);
    for (qsizetype i = 0; i < data.size(); i += kBlockSize)
        cipher.encryptBlock(data.data() + i);
    return data;
}

QByteArray DesDecryptText(QByteArrayView cipherText, QByteArrayView key)
{
    QByteArray data =
        cipherText.first(cipherText.size() - cipherText.size() % kBlockSize).toByteArray();
    const DesCipher cipher(key);
    for (qsizetype i = 0; i < data.size(); i += kBlockSize)
        cipher.decryptBlock(data.data() + i);
    qsizetype end = data.size();
    while (end > 0 && data[end - 1] == '\0')
        --end;
    data.truncate(end);
    return data;
}

QString DesEncryptHex(QByteArrayView plain, QByteArrayView key)
{
    return QString::fromLatin1(DesEncryptText(plain, key).toHex().toUpper());
}

QByteArray DesDecryptHex(QStringView hex, QByteArrayView key)
{
    QByteArray bytes;
    bytes.reserve(hex.size() / 2);
    for (qsizetype i = 0; i + 1 < hex.size(); i += 2)
        bytes.append(char(HexValue(hex.sliced(i, 2))));
    return DesDecryptText(bytes, key);
}

int HexValue(QStringView digits)
{
    quint32 value = 0;
    for (QChar c : digits) {
        const int digit = hexDigit(c);
        if (digit >= 0)
            value = value * 16 + quint32(digit);
    }
    return int(value);
}

}  // namespace tavi
