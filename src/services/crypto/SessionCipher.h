#pragma once

#include <QString>
#include <QStringView>

// Encrypted column values of the host's tables, under the session key SysInfo.DesKey.
namespace tavi {

/// Hexadecimal DES text of the GBK bytes of plain; throws DesError for a text ending in NUL.
QString EncryptWithSessionKey(const QString &plain);

/// Encrypts each character on its own, 16 digits per character, so that a column stored in this
/// form can be searched for a substring by its digits.
QString EncryptPerChar(const QString &text);

/// Decrypts hexadecimal DES text to the text of its GBK bytes.
QString DecryptWithSessionKey(QStringView hex);

}  // namespace tavi
