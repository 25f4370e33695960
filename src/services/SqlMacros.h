#pragma once

#include <QDateTime>
#include <QString>

namespace tavi {

/// The statement after the first "[SQL:" up to the next "]" (or the end); empty without one.
QString ExtractListSql(const QString &text);
/// 0 for a day list, 1 for a month list, 2 for a year list token, -1 for none.
int DateListKind(const QString &text);
/// The statement that lists the days, months or years from Start to End, with their bounds.
QString BuildDateListSql(const QString &text, const QDateTime &start, const QDateTime &end);
/// The items of a list source as comma text: lines as they stand, "[SQL:" lines expanded to the
/// first column of their rows. A failing statement is reported and gives empty text.
QString ResolveListItems(const QString &listText);

}  // namespace tavi
