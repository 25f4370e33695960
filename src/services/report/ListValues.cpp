#include "ListValues.h"

#include "services/OpenQuery.h"
#include "services/db/Recordset.h"

namespace tavi {

QList<ListValue> readListValues(db::Connection &connection, const QString &sql)
{
    QList<ListValue> values;
    db::Recordset rows(&connection);
    OpenQuery(rows, sql);
    if (!rows.isOpen())
        return values;
    const bool dated =
        rows.hasField(QStringLiteral("daystart")) && rows.hasField(QStringLiteral("dayend"));
    for (rows.first(); !rows.eof(); rows.next()) {
        ListValue v;
        v.text = db::Recordset::textOf(rows.value(0));
        if (dated)
            v.days = DateRange{rows.asDateTime(QStringLiteral("daystart")),
                               rows.asDateTime(QStringLiteral("dayend"))};
        values << v;
    }
    return values;
}

}  // namespace tavi
