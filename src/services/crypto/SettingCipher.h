#pragma once

#include <QString>
#include <QStringView>

// The encrypted [Db] AccDbPsw value of Setting.ini.
namespace tavi {

/// Decrypts a hexadecimal setting value with the fixed settings key; empty text stays empty.
QString DecryptSettingText(QStringView hex);

/// The hexadecimal setting value that DecryptSettingText turns back into text; throws DesError
/// for a text ending in a NUL character.
QString encryptSettingText(const QString &text);

}  // namespace tavi
