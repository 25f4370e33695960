#include "SettingCipher.h"

#include "DesText.h"
#include "tools/Gbk.h"

namespace tavi {

namespace {

// Only the first 8 bytes take part; the rest is kept because it is the key the settings
// files were written with.
constexpr QByteArrayView kSettingKey("Wq4#kLp8&zR2!mXv7^bN5*hT");

}  // namespace

QString DecryptSettingText(QStringView hex)
{
    return Gbk::decode(DesDecryptHex(hex, kSettingKey));
}

QString encryptSettingText(const QString &text)
{
    return DesEncryptHex(Gbk::encode(text), kSettingKey);
}

}  // namespace tavi
