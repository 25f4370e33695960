#include "Commands.h"

#include "services/crypto/DesError.h"
#include "services/crypto/DesText.h"
#include "services/crypto/SettingCipher.h"
#include "tools/Gbk.h"

#include <QTextStream>
#include <optional>

namespace tavi::app {

namespace {

int usage(const char *synopsis)
{
    QTextStream(stderr) << "usage: tavireport " << synopsis << "\n";
    return 2;
}

int failure(const char *command, const QString &message)
{
    QTextStream(stderr) << "tavireport " << command << ": " << message << "\n";
    return 1;
}

// A character GBK lacks would be encrypted as a substitute and never come back.
std::optional<QByteArray> gbkBytes(const QString &text)
{
    QByteArray bytes = Gbk::encode(text);
    if (Gbk::decode(bytes) != text)
        return std::nullopt;
    return bytes;
}

}  // namespace

int runDesEncryptCommand(const QStringList &args)
{
    if (args.size() != 2)
        return usage("des-encrypt KEY TEXT");
    const std::optional<QByteArray> key = gbkBytes(args[0]);
    const std::optional<QByteArray> plain = gbkBytes(args[1]);
    if (!key || !plain)
        return failure("des-encrypt", QStringLiteral("KEY and TEXT must be GBK characters"));
    try {
        QTextStream(stdout) << DesEncryptHex(*plain, *key) << "\n";
    } catch (const DesError &e) {
        return failure("des-encrypt", e.message());
    }
    return 0;
}

int runDesDecryptCommand(const QStringList &args)
{
    if (args.size() != 2)
        return usage("des-decrypt KEY HEX");
    const std::optional<QByteArray> key = gbkBytes(args[0]);
    if (!key)
        return failure("des-decrypt", QStringLiteral("KEY must be GBK characters"));
    QTextStream(stdout) << Gbk::decode(DesDecryptHex(args[1], *key)) << "\n";
    return 0;
}

int runEncryptSettingCommand(const QStringList &args)
{
    if (args.size() != 1)
        return usage("encrypt-setting TEXT");
    const QString &text = args[0];
    try {
        const QString hex = encryptSettingText(text);
        if (DecryptSettingText(hex) != text)
            return failure("encrypt-setting", QStringLiteral("TEXT must be GBK characters"));
        QTextStream(stdout) << hex << "\n";
    } catch (const DesError &e) {
        return failure("encrypt-setting", e.message());
    }
    return 0;
}

}  // namespace tavi::app
