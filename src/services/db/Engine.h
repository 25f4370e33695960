#pragma once

#include "ResultTable.h"

#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>

namespace tavi::db {

/// One open database behind a `Connection`. Errors are thrown as `DbError` with the engine's
/// own message. Parameters are bound positionally to `?` markers; a text without parameters is
/// sent as it stands (colons and question marks inside it are ordinary characters).
class Engine
{
public:
    virtual ~Engine() = default;

    /// Runs a command (DDL, INSERT, UPDATE, DELETE); returns the number of rows it changed,
    /// or -1 when the engine does not tell.
    virtual qint64 execute(const QString &sql, const QVariantList &params = {}) = 0;

    /// Runs a statement and fetches its whole result.
    virtual std::unique_ptr<ResultTable> query(const QString &sql,
                                               const QVariantList &params = {}) = 0;

    /// Inserts one row into a table and returns the value the database gave `autoColumn`
    /// (null when `autoColumn` is empty).
    virtual QVariant insertRow(const QString &table, const QStringList &columns,
                               const QVariantList &values, const QString &autoColumn) = 0;

    /// The value a true boolean is stored as: -1 on the local (Jet-like) engine, 1 on the server.
    virtual int trueValue() const = 0;

    /// Name of the database product, for messages.
    virtual QString productName() const = 0;

    /// Called now and then while a statement runs (a window keeps itself responsive in it);
    /// returning true cancels the statement, which then fails with "查询已取消". Engines that
    /// cannot interrupt a statement never call it.
    using Progress = std::function<bool()>;
    virtual void setProgress(Progress progress) { m_progress = std::move(progress); }

    /// Opens a transaction at a nesting depth (0 the outermost); deeper ones are save points.
    virtual void beginTransaction(int depth)
    {
        execute(QStringLiteral("SAVEPOINT tavi_tx%1").arg(depth));
    }
    /// Makes the work since the matching begin permanent (for depth 0) or part of the outer one.
    virtual void commitTransaction(int depth)
    {
        execute(QStringLiteral("RELEASE tavi_tx%1").arg(depth));
    }
    /// Undoes the work since the matching begin and closes that level.
    virtual void rollbackTransaction(int depth)
    {
        execute(QStringLiteral("ROLLBACK TO tavi_tx%1").arg(depth));
        execute(QStringLiteral("RELEASE tavi_tx%1").arg(depth));
    }

    /// An identifier quoted for statements this layer composes itself.
    static QString quoteIdentifier(const QString &name)
    {
        QString n = name;
        n.replace(QLatin1String("]"), QLatin1String("]]"));
        return QLatin1Char('[') + n + QLatin1Char(']');
    }

protected:
    Progress m_progress;
};

}  // namespace tavi::db
