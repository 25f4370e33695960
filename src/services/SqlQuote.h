#pragma once

#include <QString>

namespace tavi {

/// A text as an SQL string literal: single quotes, inner single quotes doubled.
inline QString quotedStr(const QString &text)
{
    QString body = text;
    body.replace(u'\'', QLatin1String("''"));
    return QLatin1Char('\'') + body + QLatin1Char('\'');
}

}  // namespace tavi
