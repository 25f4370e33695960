#pragma once

#include <QString>
#include <QVariant>

namespace tavi {

/// Text prefixed with "0" up to Width GBK bytes, never more than 35 zeros.
QString PadZeros(const QString &text, int width);
/// Decimal form of Value padded by `PadZeros` (zeros go before a minus sign too).
QString IntToZeroStr(qint64 value, int width);
/// True when the whole text is a decimal number: leading blanks, sign, digits, fraction, exponent.
bool IsNumeric(const QString &text);
/// False for NULL; otherwise `IsNumeric` of the value's text.
bool IsNumericVariant(const QVariant &value);
/// The whole 32-bit number a text holds, or Default.
int StrToIntSafe(const QString &text, int defaultValue);
/// The text without any blank (character 32), trimmed.
QString StripSpaces(const QString &text);
/// The word after the first " FROM " up to the next blank; empty when there is none.
QString TableNameFromSql(const QString &sql);

}  // namespace tavi
