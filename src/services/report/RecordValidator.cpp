#include "RecordValidator.h"

#include "services/TextRoutines.h"
#include "services/db/Connection.h"
#include "services/db/DbError.h"

namespace tavi {

RecordValidator::Result RecordValidator::validate(const QList<ReportEditField> &fields,
                                                  const QHash<int, QString> &texts,
                                                  const QString &table, bool addMode,
                                                  const QString &currentId,
                                                  db::Connection &connection)
{
    for (const ReportEditField &f : fields) {
        const auto text = texts.constFind(f.id);
        if (f.noEmpty && text != texts.constEnd() && text->trimmed().isEmpty())
            return {false, f.title + QStringLiteral("不能为空，请重新输入"), f.id};
    }
    if (table.isEmpty())
        return {};
    QString conditions;
    QString names;
    QVariantList values;
    for (const ReportEditField &f : fields) {
        const auto text = texts.constFind(f.id);
        if (!f.checkExists || text == texts.constEnd() || text->trimmed().isEmpty())
            continue;
        conditions += QStringLiteral(" and ") + f.field + QStringLiteral("=?");
        values << *text;
        names += QStringLiteral("或") + StripSpaces(f.title) + u'[' + *text + u']';
    }
    if (conditions.isEmpty())
        return {};
    QString sql =
        QStringLiteral("select * from ") + table + QStringLiteral(" where 1=1 ") + conditions;
    if (!addMode) {
        sql += QStringLiteral(" and id <>?");
        values << currentId;
    }
    try {
        if (connection.engine().query(sql, values)->rowCount() > 0)
            return {false, names.mid(1) + QStringLiteral("已经存在，请重新输入"), 0};
    } catch (const db::DbError &e) {
        // A check that cannot run must not pass a duplicate as new.
        return {false, QStringLiteral("检查重复记录时出错：") + e.message(), 0};
    }
    return {};
}

}  // namespace tavi
