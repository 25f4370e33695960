#include "RoomStatePlan.h"

#include "OpenQuery.h"
#include "Session.h"
#include "SysParams.h"
#include "Tdm.h"
#include "db/Recordset.h"

#include <QDateTime>
#include <QHash>
#include <algorithm>

namespace tavi {

namespace {

// Dates arrive typed from a table and as text from some unions and engines.
QDate dateOf(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime().date();
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate();
    const QString text = value.toString().trimmed();
    const QDateTime parsed = QDateTime::fromString(text.left(19), Qt::ISODate);
    return parsed.isValid() ? parsed.date() : QDate::fromString(text.left(10), Qt::ISODate);
}

}  // namespace

QString RoomStatePlan::statementParam()
{
    return QStringLiteral("房态图语句");
}

void RoomStatePlan::load(const QDate &first, int days)
{
    m_rooms.clear();
    m_states.clear();
    m_cells.clear();
    m_error.clear();
    db::Recordset rows(&session().dm->adoConn);
    OpenQuery(rows, QStringLiteral("select 房号 from 房间信息 order by 房号"));
    QHash<QString, int> index;
    for (rows.first(); rows.isOpen() && !rows.eof(); rows.next()) {
        index.insert(db::Recordset::textOf(rows.value(0)), int(m_rooms.size()));
        m_rooms << db::Recordset::textOf(rows.value(0));
    }
    m_cells = QList<QStringList>(m_rooms.size(), QStringList(days));

    const QString statement = ReadSysParam(statementParam(), QString()).trimmed();
    m_hasStatement = !statement.isEmpty();
    if (!m_hasStatement || m_rooms.isEmpty())
        return;
    db::Recordset stays(&session().dm->adoConn);
    OpenQuery(stays, statement);
    if (!stays.isOpen() || stays.fieldCount() < 4) {
        m_error =
            QStringLiteral("系统参数[") + statementParam() +
            QStringLiteral("]的语句不能执行，或者没有返回房号、起始日期、离开日期和状态四列。");
        return;
    }
    for (stays.first(); !stays.eof(); stays.next()) {
        const auto room = index.constFind(db::Recordset::textOf(stays.value(0)));
        const QDate from = dateOf(stays.value(1));
        const QDate to = dateOf(stays.value(2));
        const QString state = db::Recordset::textOf(stays.value(3)).trimmed();
        if (room == index.constEnd() || !from.isValid() || !to.isValid() || state.isEmpty())
            continue;
        const qint64 start = std::max<qint64>(first.daysTo(from), 0);
        const qint64 end = std::min<qint64>(first.daysTo(from == to ? to.addDays(1) : to), days);
        for (qint64 day = start; day < end; ++day) {
            if (!m_states.contains(state))
                m_states << state;
            m_cells[*room][int(day)] = state;
        }
    }
}

QString RoomStatePlan::state(int room, int day) const
{
    return m_cells.value(room).value(day);
}

}  // namespace tavi
