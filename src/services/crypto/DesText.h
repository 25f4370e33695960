#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// DES in ECB mode over zero-padded byte strings, the form in which encrypted texts are stored.
namespace tavi {

/// Encrypts the bytes, zero-padded to whole blocks, with the first 8 bytes of key; throws
/// DesError when the last byte is zero, as decryption could not tell it from the padding.
QByteArray DesEncryptText(QByteArrayView plain, QByteArrayView key);

/// Decrypts the whole blocks of cipher and drops the zero bytes at the end.
QByteArray DesDecryptText(QByteArrayView cipher, QByteArrayView key);

/// DesEncryptText as upper-case hexadecimal text, two digits per byte.
QString DesEncryptHex(QByteArrayView plain, QByteArrayView key);

/// Decrypts hexadecimal text; a last odd digit is ignored and other characters count as nothing.
QByteArray DesDecryptHex(QStringView hex, QByteArrayView key);

/// Value of a hexadecimal digit string, skipping characters that are not digits; wraps at 32 bits.
int HexValue(QStringView digits);

}  // namespace tavi
