#pragma once

#include "CategoryTree.h"

#include <QList>
#include <QString>
#include <memory>

namespace tavi {

namespace db {
class Connection;
class Recordset;
}  // namespace db

/// The rows of a report's category statement (id, name, parent id), kept open while the runner
/// lives so that categories can be added, renamed and deleted in the host's table. Failures
/// return the engine's text; a statement that cannot be opened leaves no rows.
class CategoryTable
{
public:
    explicit CategoryTable(db::Connection &connection);
    ~CategoryTable();

    /// Opens the statement; false (with no rows) when it fails.
    bool open(const QString &statement);
    QList<CategoryRow> rows() const;

    /// Adds a category and gives the id the database gave it.
    bool add(const QString &name, int parentId, int *newId, QString *error);
    bool rename(int id, const QString &name, QString *error);
    /// Deletes the category's own row; false with no error when no row has the id.
    bool remove(int id, QString *error);

private:
    bool locate(int id);

    std::unique_ptr<db::Recordset> m_rows;
};

}  // namespace tavi
