#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace tavi {

/// The host's rooms against a run of coming days: the room numbers of `房间信息` and, when the
/// system parameter `kStatementParam` holds a statement, what each room holds on each day.
///
/// The statement is the host administrator's own (trusted); it returns, by position, the room,
/// the first day, the day of leaving and a state text (在住, 预订, 维修, …). A room holds its
/// state on each night from the first day to the day before leaving, or on the one day when
/// both are the same day.
class RoomStatePlan
{
public:
    /// Name of the system parameter with the statement.
    static QString statementParam();

    /// Reads the rooms and their states for `days` days starting with `first`.
    void load(const QDate &first, int days);

    const QStringList &rooms() const { return m_rooms; }
    /// State of a room (index into `rooms`) on a day (0 = `first`); empty when free.
    QString state(int room, int day) const;
    /// The states met, in order of first appearance in the statement's rows.
    const QStringList &states() const { return m_states; }
    /// True when a statement is configured.
    bool hasStatement() const { return m_hasStatement; }
    /// Empty, or the reason the statement gave no states.
    const QString &error() const { return m_error; }

private:
    QStringList m_rooms;
    QStringList m_states;
    QList<QStringList> m_cells;
    bool m_hasStatement = false;
    QString m_error;
};

}  // namespace tavi
