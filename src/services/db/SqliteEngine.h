#pragma once

#include "Engine.h"

struct sqlite3;

namespace tavi::db {

/// The local engine: a SQLite file that answers the Jet dialect the system sends to Access.
class SqliteEngine : public Engine
{
public:
    /// Opens a database file; throws `DbError` when it is missing (unless `create`) or unreadable.
    SqliteEngine(const QString &fileName, bool create);
    ~SqliteEngine() override;

    qint64 execute(const QString &sql, const QVariantList &params = {}) override;
    std::unique_ptr<ResultTable> query(const QString &sql,
                                       const QVariantList &params = {}) override;
    QVariant insertRow(const QString &table, const QStringList &columns, const QVariantList &values,
                       const QString &autoColumn) override;
    int trueValue() const override { return -1; }
    QString productName() const override { return QStringLiteral("SQLite"); }

    sqlite3 *handle() const { return m_db; }
    void setProgress(Progress progress) override;

private:
    sqlite3 *m_db = nullptr;
};

}  // namespace tavi::db
