#pragma once

#include <QString>
#include <QStringList>

namespace tavi {

/// Lists written as one text, items joined by ","; an item holding a blank, a control character,
/// a comma or a double quote is written in double quotes with inner quotes doubled.
class CommaText
{
public:
    /// The comma text of a list; one empty item is written as "".
    static QString join(const QStringList &items);
    /// The items of a comma text: quoted items as written, unquoted items end at a comma or a
    /// blank.
    static QStringList split(const QString &text);
};

}  // namespace tavi
