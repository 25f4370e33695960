#pragma once

#include "Engine.h"

namespace tavi::db {

/// The server engine: an ODBC connection (FreeTDS to SQL Server in production, the SQLite
/// ODBC driver in tests).
class OdbcEngine : public Engine
{
public:
    /// Connects with a full ODBC connection string; throws `DbError` with the driver's text.
    explicit OdbcEngine(const QString &connectionString);
    ~OdbcEngine() override;

    qint64 execute(const QString &sql, const QVariantList &params = {}) override;
    std::unique_ptr<ResultTable> query(const QString &sql,
                                       const QVariantList &params = {}) override;
    QVariant insertRow(const QString &table, const QStringList &columns, const QVariantList &values,
                       const QString &autoColumn) override;
    int trueValue() const override { return 1; }
    QString productName() const override;
    void beginTransaction(int depth) override;
    void commitTransaction(int depth) override;
    void rollbackTransaction(int depth) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

}  // namespace tavi::db
