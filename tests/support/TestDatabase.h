#pragma once

#include "services/db/Connection.h"

#include <QTemporaryDir>

namespace tavi::test {

/// A database file in a temporary folder, removed with the object.
class TestDatabase
{
public:
    TestDatabase() : m_path(m_dir.filePath(QStringLiteral("test.mdb"))) {}

    const QString &path() const { return m_path; }
    QString folder() const { return m_dir.path(); }
    /// Connection string of the same file through the SQLite ODBC driver.
    QString odbcConnectionString() const
    {
        return QStringLiteral("DRIVER=SQLite3;Database=") + m_path;
    }

    /// Opens a connection of the kind asked for, creating the file.
    void open(db::Connection &connection, db::Connection::Kind kind) const
    {
        if (kind == db::Connection::Kind::Local) {
            connection.openLocal(m_path, true);
        } else {
            db::Connection creator;
            creator.openLocal(m_path, true);
            creator.close();
            connection.openServer(odbcConnectionString());
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

}  // namespace tavi::test
