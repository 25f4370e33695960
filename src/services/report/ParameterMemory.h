#pragma once

#include <QList>
#include <QString>

namespace tavi {

struct Session;

namespace db {
class Connection;
}

/// One parameter's last value as the query panel showed it.
struct RememberedValue
{
    /// The parameter's placeholder ("{1}") and kind: a value comes back only to a parameter
    /// that still has both.
    QString placeholder;
    QString kind;
    /// The value in the panel's own form (a preset name, an item's text, a date, …).
    QString value;

    bool operator==(const RememberedValue &) const = default;
};

/// The last parameter values of each report per operator, kept in the library's own table in
/// the host database, so that an operator finds them again at any workstation. The table is
/// created the first time something is kept, and only when it is absent.
///
/// Reads never raise: without the table, or when it cannot be read, nothing is remembered.
class ParameterMemory
{
public:
    /// The memory of the session's host database.
    explicit ParameterMemory(Session &session);
    /// The memory of another database of the given kind (0 local, else server).
    ParameterMemory(db::Connection &connection, int dbType);

    /// The table's name.
    static QString tableName();

    /// The values `user` last ran the report with; empty when none.
    QList<RememberedValue> load(int reportId, const QString &user, QString *error = nullptr) const;
    /// Replaces what is kept for the report and `user`; false with the engine's text when the
    /// database refuses, keeping what was there.
    bool save(int reportId, const QString &user, const QList<RememberedValue> &values,
              QString *error = nullptr);

private:
    bool tableExists() const;
    void createTable();

    db::Connection &m_connection;
    int m_dbType;
};

}  // namespace tavi
