#include "SqliteEngine.h"

#include "DbError.h"
#include "JetDialect.h"
#include "JetFunctions.h"
#include "tools/SqlLexer.h"

#include <sqlite3.h>
#include <QFileInfo>
#include <cmath>
#include <cstdio>

namespace tavi::db {

namespace {

struct StatementDeleter
{
    void operator()(sqlite3_stmt *s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

[[noreturn]] void fail(sqlite3 *db)
{
    if (sqlite3_errcode(db) == SQLITE_INTERRUPT)
        throw CancelledError();
    throw DbError(QString::fromUtf8(sqlite3_errmsg(db)));
}

int progressHandler(void *engine)
{
    const auto &progress = *static_cast<const Engine::Progress *>(engine);
    return progress && progress() ? 1 : 0;
}

Statement prepare(sqlite3 *db, const QString &sql)
{
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &raw, nullptr) != SQLITE_OK)
        fail(db);
    return Statement(raw);
}

// Binds the next parameters of the list to the statement's markers.
void bind(sqlite3 *db, sqlite3_stmt *stmt, const QVariantList &params, int &next)
{
    const int count = sqlite3_bind_parameter_count(stmt);
    for (int i = 1; i <= count; ++i) {
        if (next >= params.size())
            throw DbError(QStringLiteral("语句需要 %1 个参数值，只给了 %2 个。")
                              .arg(count)
                              .arg(params.size()));
        const QVariant &v = params[next++];
        int rc = SQLITE_OK;
        if (!v.isValid() || v.isNull()) {
            rc = sqlite3_bind_null(stmt, i);
        } else {
            switch (v.metaType().id()) {
            case QMetaType::Bool:
                rc = sqlite3_bind_int(stmt, i, v.toBool() ? -1 : 0);
                break;
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
            case QMetaType::Short:
            case QMetaType::UShort:
                rc = sqlite3_bind_int64(stmt, i, v.toLongLong());
                break;
            case QMetaType::Double:
            case QMetaType::Float:
                rc = sqlite3_bind_double(stmt, i, v.toDouble());
                break;
            case QMetaType::QDateTime: {
                const QByteArray t =
                    v.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toUtf8();
                rc = sqlite3_bind_text(stmt, i, t.constData(), int(t.size()), SQLITE_TRANSIENT);
                break;
            }
            case QMetaType::QDate: {
                const QByteArray t =
                    v.toDate().toString(QStringLiteral("yyyy-MM-dd 00:00:00")).toUtf8();
                rc = sqlite3_bind_text(stmt, i, t.constData(), int(t.size()), SQLITE_TRANSIENT);
                break;
            }
            case QMetaType::QByteArray: {
                const QByteArray b = v.toByteArray();
                rc = sqlite3_bind_blob(stmt, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
                break;
            }
            default: {
                const QByteArray t = v.toString().toUtf8();
                rc = sqlite3_bind_text(stmt, i, t.constData(), int(t.size()), SQLITE_TRANSIENT);
                break;
            }
            }
        }
        if (rc != SQLITE_OK)
            fail(db);
    }
}

// The parts of one statement of the caller's: rolled back together unless released.
class Savepoint
{
public:
    Savepoint(sqlite3 *db, bool active) : m_db(db), m_active(active)
    {
        if (m_active &&
            sqlite3_exec(m_db, "SAVEPOINT tavi_statement", nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(m_db);
    }
    ~Savepoint()
    {
        if (m_active)
            sqlite3_exec(m_db, "ROLLBACK TO tavi_statement; RELEASE tavi_statement", nullptr,
                         nullptr, nullptr);
    }
    Savepoint(const Savepoint &) = delete;
    Savepoint &operator=(const Savepoint &) = delete;

    void release()
    {
        if (m_active &&
            sqlite3_exec(m_db, "RELEASE tavi_statement", nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(m_db);
        m_active = false;
    }

private:
    sqlite3 *m_db;
    bool m_active;
};

// Runs a statement to its end, discarding rows.
void runToEnd(sqlite3 *db, sqlite3_stmt *stmt)
{
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        fail(db);
}

// A value as Jet shows it in text: whole doubles without a fraction, others to 15 digits.
std::string valueText(sqlite3_value *v)
{
    if (sqlite3_value_type(v) == SQLITE_FLOAT) {
        const double d = sqlite3_value_double(v);
        char buf[32];
        if (d == double(qint64(d)) && d > -1e15 && d < 1e15)
            std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(d));
        else
            std::snprintf(buf, sizeof buf, "%.15g", d);
        return buf;
    }
    return std::string(reinterpret_cast<const char *>(sqlite3_value_text(v)),
                       size_t(sqlite3_value_bytes(v)));
}

// Jet's "&": NULL reads as an empty text, numbers in their shortest form; NULL only when every
// operand is NULL.
void jetConcat(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    std::string out;
    bool any = false;
    for (int i = 0; i < argc; ++i) {
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            continue;
        out += valueText(argv[i]);
        any = true;
    }
    if (!any)
        sqlite3_result_null(ctx);
    else
        sqlite3_result_text(ctx, out.data(), int(out.size()), SQLITE_TRANSIENT);
}

bool numberOf(sqlite3_value *v, double *out)
{
    const int type = sqlite3_value_type(v);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        *out = sqlite3_value_double(v);
        return true;
    }
    bool ok = false;
    *out = QString::fromUtf8(valueText(v)).trimmed().toDouble(&ok);
    return ok;
}

// Jet's "+": two texts are joined; numbers (also texts that read as numbers next to a number)
// are added; a date-time text plus a number moves by that many days; NULL gives NULL.
void jetPlus(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    sqlite3_value *a = argv[0];
    sqlite3_value *b = argv[1];
    const int ta = sqlite3_value_type(a);
    const int tb = sqlite3_value_type(b);
    if (ta == SQLITE_NULL || tb == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const bool textA = ta == SQLITE_TEXT || ta == SQLITE_BLOB;
    const bool textB = tb == SQLITE_TEXT || tb == SQLITE_BLOB;
    if (!textA && !textB) {
        if (ta == SQLITE_INTEGER && tb == SQLITE_INTEGER) {
            long long sum = 0;
            if (!__builtin_add_overflow(sqlite3_value_int64(a), sqlite3_value_int64(b), &sum)) {
                sqlite3_result_int64(ctx, sum);
                return;
            }
        }
        sqlite3_result_double(ctx, sqlite3_value_double(a) + sqlite3_value_double(b));
        return;
    }
    if (textA != textB) {
        sqlite3_value *text = textA ? a : b;
        sqlite3_value *number = textA ? b : a;
        double x = 0;
        const std::string t = valueText(text);
        qint64 packed = 0;
        if (ColumnData::parseDateTimeText(t, &packed)) {
            const qint64 moved =
                packed + qint64(std::llround(sqlite3_value_double(number) * 86400000.0));
            const QByteArray out =
                ColumnData::dateTimeText(moved).toUtf8();
            sqlite3_result_text(ctx, out.constData(), int(out.size()), SQLITE_TRANSIENT);
            return;
        }
        if (numberOf(text, &x)) {
            const double sum = x + sqlite3_value_double(number);
            if (sum == double(qint64(sum)) && sum > -1e15 && sum < 1e15)
                sqlite3_result_int64(ctx, qint64(sum));
            else
                sqlite3_result_double(ctx, sum);
            return;
        }
    }
    const std::string joined = valueText(a) + valueText(b);
    sqlite3_result_text(ctx, joined.data(), int(joined.size()), SQLITE_TRANSIENT);
}

}  // namespace

SqliteEngine::SqliteEngine(const QString &fileName, bool create)
{
    // SQLite takes an empty file for an empty database; the host's file is then lost or was
    // never copied, and must not be set up as new without a word.
    const QFileInfo file(fileName);
    if (!create && file.exists() && file.size() == 0)
        throw DbError(QStringLiteral("数据库文件是空文件（0 字节），不是数据库: %1")
                          .arg(file.absoluteFilePath()));
    const QByteArray path = fileName.toUtf8();
    // One connection serves one thread at a time, so SQLite's own locking is dead weight.
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    if (sqlite3_open_v2(path.constData(), &m_db, flags, nullptr) != SQLITE_OK) {
        const QString message =
            m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
        sqlite3_close(m_db);
        m_db = nullptr;
        throw DbError(
            QStringLiteral("%1: %2").arg(message, QFileInfo(fileName).absoluteFilePath()));
    }
    sqlite3_busy_timeout(m_db, 5000);
    sqlite3_extended_result_codes(m_db, 1);
    try {
        // A file that is not a database fails here, not at the first query.
        Statement probe = prepare(m_db, QStringLiteral("SELECT count(*) FROM sqlite_master"));
        runToEnd(m_db, probe.get());
    } catch (const DbError &e) {
        sqlite3_close(m_db);
        m_db = nullptr;
        throw DbError(
            QStringLiteral("%1: %2").arg(e.message(), QFileInfo(fileName).absoluteFilePath()));
    }
    registerJetFunctions(m_db);
    sqlite3_create_function_v2(m_db, "jet_concat", -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               jetConcat, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(m_db, "jet_plus", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                               jetPlus, nullptr, nullptr, nullptr);
}

void SqliteEngine::setProgress(Progress progress)
{
    Engine::setProgress(std::move(progress));
    // About every 10,000 virtual machine steps: often enough to feel immediate.
    if (m_progress)
        sqlite3_progress_handler(m_db, 10000, progressHandler, &m_progress);
    else
        sqlite3_progress_handler(m_db, 0, nullptr, nullptr);
}

SqliteEngine::~SqliteEngine()
{
    sqlite3_close_v2(m_db);
}

qint64 SqliteEngine::execute(const QString &sql, const QVariantList &params)
{
    const QStringList statements = JetDialect::translate(sql);
    if (statements.isEmpty())
        throw DbError(QStringLiteral("命令文本为空。"));
    int next = 0;
    qint64 changes = 0;
    // One statement of the caller's is whole or not at all, however many it became.
    Savepoint savepoint(m_db, statements.size() > 1);
    for (const QString &s : statements) {
        Statement stmt = prepare(m_db, s);
        bind(m_db, stmt.get(), params, next);
        runToEnd(m_db, stmt.get());
        changes = sqlite3_stmt_readonly(stmt.get()) ? 0 : sqlite3_changes64(m_db);
    }
    savepoint.release();
    return changes;
}

std::unique_ptr<ResultTable> SqliteEngine::query(const QString &sql, const QVariantList &params)
{
    // A query is one statement: whatever reaches its text must not append a command.
    const qsizetype second = SqlLexer(sql, SqlDialect::Jet).secondStatementAt();
    if (second >= 0)
        throw DbError(
            QStringLiteral("查询只能是一条语句，第 %1 个字符的“;”后面还有语句。").arg(second + 1));
    const QStringList statements = JetDialect::translate(sql);
    if (statements.isEmpty())
        throw DbError(QStringLiteral("查询文本为空。"));
    int next = 0;
    // Parts of the one statement (the columns of an ALTER TABLE) run before the last.
    for (qsizetype i = 0; i + 1 < statements.size(); ++i) {
        Statement stmt = prepare(m_db, statements[i]);
        bind(m_db, stmt.get(), params, next);
        runToEnd(m_db, stmt.get());
    }
    Statement stmt = prepare(m_db, statements.last());
    bind(m_db, stmt.get(), params, next);
    sqlite3_stmt *s = stmt.get();

    auto table = std::make_unique<ResultTable>();
    const int columns = sqlite3_column_count(s);
    std::vector<bool> computed(size_t(columns), false);
    for (int c = 0; c < columns; ++c) {
        ColumnInfo info;
        info.name = QString::fromUtf8(sqlite3_column_name(s, c));
        const char *decl = sqlite3_column_decltype(s, c);
        if (!decl || !fieldKindFromDeclaredType(QString::fromUtf8(decl), &info.kind)) {
            computed[size_t(c)] = true;
            info.kind = FieldKind::Text;
        }
        const char *tableName = sqlite3_column_table_name(s, c);
        const char *originName = sqlite3_column_origin_name(s, c);
        if (tableName && originName) {
            info.baseTable = QString::fromUtf8(tableName);
            info.baseColumn = QString::fromUtf8(originName);
            int autoinc = 0;
            int primaryKey = 0;
            const char *type = nullptr;
            if (sqlite3_table_column_metadata(m_db, sqlite3_column_database_name(s, c), tableName,
                                              originName, &type, nullptr, nullptr, &primaryKey,
                                              &autoinc) == SQLITE_OK)
                info.autoIncrement = autoinc != 0;
        }
        table->addColumn(info);
        // Computed columns take their kind from their values.
        if (computed[size_t(c)])
            table->column(c) = ColumnData::computed();
    }
    std::vector<ColumnData *> data(static_cast<size_t>(columns));
    for (int c = 0; c < columns; ++c)
        data[size_t(c)] = &table->column(c);

    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        for (int c = 0; c < columns; ++c) {
            ColumnData &d = *data[size_t(c)];
            const bool byValue = computed[size_t(c)];
            switch (sqlite3_column_type(s, c)) {
            case SQLITE_NULL:
                d.appendNull();
                break;
            case SQLITE_INTEGER:
                if (byValue)
                    d.appendComputedInt(sqlite3_column_int64(s, c));
                else
                    d.appendInt(sqlite3_column_int64(s, c));
                break;
            case SQLITE_FLOAT:
                if (byValue)
                    d.appendComputedDouble(sqlite3_column_double(s, c));
                else
                    d.appendDouble(sqlite3_column_double(s, c));
                break;
            case SQLITE_TEXT: {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(s, c));
                const int bytes = sqlite3_column_bytes(s, c);
                if (byValue)
                    d.appendComputedUtf8(text, bytes);
                else
                    d.appendUtf8(text, bytes);
                break;
            }
            default: {
                const auto *blob = static_cast<const char *>(sqlite3_column_blob(s, c));
                d.appendVariant(QByteArray(blob, sqlite3_column_bytes(s, c)));
                break;
            }
            }
        }
        table->finishRow();
    }
    if (rc != SQLITE_DONE)
        fail(m_db);

    for (int c = 0; c < columns; ++c) {
        if (!computed[size_t(c)])
            continue;
        table->column(c).finishComputed();
        table->info(c).kind = table->column(c).kind();
    }
    return table;
}

QVariant SqliteEngine::insertRow(const QString &table, const QStringList &columns,
                                 const QVariantList &values, const QString &autoColumn)
{
    QString sql = QStringLiteral("INSERT INTO ") + quoteIdentifier(table);
    if (columns.isEmpty()) {
        sql += QStringLiteral(" DEFAULT VALUES");
    } else {
        QStringList names;
        QStringList marks;
        for (const QString &c : columns) {
            names << quoteIdentifier(c);
            marks << QStringLiteral("?");
        }
        sql += QStringLiteral(" (") + names.join(QStringLiteral(", ")) +
               QStringLiteral(") VALUES (") + marks.join(QStringLiteral(", ")) +
               QStringLiteral(")");
    }
    execute(sql, values);
    if (autoColumn.isEmpty())
        return QVariant();
    // Read the column back by rowid: right also when it is not the rowid itself.
    const std::unique_ptr<ResultTable> key =
        query(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                  .arg(quoteIdentifier(autoColumn), quoteIdentifier(table)),
              {QVariant(qint64(sqlite3_last_insert_rowid(m_db)))});
    return key->rowCount() > 0 ? key->column(0).value(0) : QVariant();
}

}  // namespace tavi::db
