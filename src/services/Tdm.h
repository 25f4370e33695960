#pragma once

#include "db/Connection.h"
#include "db/Recordset.h"

#include <QString>

namespace tavi {

/// The data module of one call: the connection every window uses, the scratch lookup query,
/// the package connection, and the small lookups built on them.
/// Lookups never raise: a failed query counts as an empty result.
class Tdm
{
public:
    Tdm();
    ~Tdm();
    Tdm(const Tdm &) = delete;
    Tdm &operator=(const Tdm &) = delete;

    /// The one connection to the host database.
    db::Connection adoConn;
    /// Scratch query of the lookups; holds the last lookup's result until the next one.
    db::Recordset qryTemp;
    /// Second connection, used only for package files.
    db::Connection adoExport;

    /// Column ID of the first row named Name in Table; 0 when none or on failure.
    int GetIdByName(const QString &name, const QString &table);
    /// Column ID of the first row whose Field equals Value; 0 when none or on failure.
    int GetIdByField(const QString &field, const QString &value, const QString &table);
    /// Column NAME of the row with the id; empty when none or on failure.
    QString GetNameById(const QString &table, int id);
    /// Runs a command; a failure shows "执行Sql语句时出错" with the database's reason and the
    /// statement, and goes no further.
    void ExecSql(const QString &sql);
    /// True when "select * from Table where 1=0" opens.
    bool TableExists(const QString &table);
    /// True when "select Field from Table where 1=0" opens.
    bool FieldExists(const QString &table, const QString &field);
    /// The largest ID of Table plus one; 1 for an empty or missing table.
    int NextId(const QString &table);

private:
    bool openLookup(const QString &sql);
    int lookupId(const QString &sql);
    bool probe(const QString &sql);
};

}  // namespace tavi
