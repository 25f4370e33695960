#include "SessionCipher.h"

#include "DesText.h"
#include "services/Session.h"
#include "tools/Gbk.h"

namespace tavi {

namespace {

QByteArray sessionKey()
{
    return Gbk::encode(session().SysInfo.DesKey);
}

}  // namespace

QString EncryptWithSessionKey(const QString &plain)
{
    return DesEncryptHex(Gbk::encode(plain), sessionKey());
}

QString EncryptPerChar(const QString &text)
{
    const QByteArray key = sessionKey();
    QString result;
    result.reserve(text.size() * 16);
    for (qsizetype i = 0; i < text.size(); ++i)
        result += DesEncryptHex(Gbk::encode(QStringView(text).sliced(i, 1)), key);
    return result;
}

QString DecryptWithSessionKey(QStringView hex)
{
    return Gbk::decode(DesDecryptHex(hex, sessionKey()));
}

}  // namespace tavi
