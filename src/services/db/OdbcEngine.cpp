// Placeholder until the ODBC engine lands.
#include "OdbcEngine.h"
#include "DbError.h"

namespace tavi::db {
struct OdbcEngine::Private {};
OdbcEngine::OdbcEngine(const QString &) { throw DbError(QStringLiteral("ODBC engine not built")); }
OdbcEngine::~OdbcEngine() = default;
qint64 OdbcEngine::execute(const QString &, const QVariantList &) { return -1; }
std::unique_ptr<ResultTable> OdbcEngine::query(const QString &, const QVariantList &) { return {}; }
QVariant OdbcEngine::insertRow(const QString &, const QStringList &, const QVariantList &, const QString &) { return {}; }
QString OdbcEngine::productName() const { return {}; }
}  // namespace tavi::db
