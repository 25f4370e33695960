#include "OdbcEngine.h"

#include "DbError.h"
#include "OdbcHandle.h"
#include "tools/SqlLexer.h"

#include <sql.h>
#include <sqlext.h>

#include <langinfo.h>
#include <locale.h>

#include <QDate>
#include <QScopeGuard>
#include <QTime>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace tavi::db {

namespace {

// Type codes FreeTDS reports for SQL Server types that ODBC itself has no name for.
constexpr SQLSMALLINT kSqlServerXml = -152;
constexpr SQLSMALLINT kSqlServerTime = -154;
// Some drivers (the SQLite one among them) report a 64-bit integer by its C type code.
constexpr SQLSMALLINT kSignedBigIntCType = SQL_C_SBIGINT;
constexpr SQLSMALLINT kUnsignedBigIntCType = SQL_C_UBIGINT;

constexpr SQLULEN kLoginTimeoutSeconds = 15;
// Longer texts and byte strings are sent as SQL Server's (max) types.
constexpr qsizetype kLongTextLength = 4000;
constexpr qsizetype kLongBinaryLength = 8000;

// A time without a date is placed on 1899-12-30, day zero of Jet date-times.
const QDate kDayZero(1899, 12, 30);

enum class Dialect
{
    SqlServer,
    Sqlite,
    Other
};

// How a column's values are read with SQLGetData.
enum class Fetch
{
    Integer,
    Bit,
    Double,
    Timestamp,
    Time,
    Text,
    Binary
};

// The buffers a bound parameter points to; they must outlive the execution.
struct BoundValue
{
    SQLLEN indicator = 0;
    union {
        SQLBIGINT integer;
        double real;
        unsigned char bit;
        SQL_TIMESTAMP_STRUCT timestamp;
        SQL_TIME_STRUCT time;
    } scalar{};
    QString text;
    QByteArray bytes;
};

SQLWCHAR *wideText(const QString &text)
{
    static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC's SQLWCHAR is UTF-16");
    return const_cast<SQLWCHAR *>(reinterpret_cast<const SQLWCHAR *>(text.utf16()));
}

// A text the driver manager returned in a buffer of `capacity` characters. For narrow drivers
// unixODBC reports the length of the driver's UTF-8 text, which overstates the characters:
// the terminator is what counts.
QString fromWide(const SQLWCHAR *text, qsizetype reported, qsizetype capacity)
{
    const qsizetype limit = std::clamp<qsizetype>(reported, 0, capacity - 1);
    const SQLWCHAR *end = std::find(text, text + limit, SQLWCHAR(0));
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text), end - text);
}

QString diagnostics(SQLSMALLINT handleType, SQLHANDLE handle)
{
    QStringList messages;
    std::vector<SQLWCHAR> text(1024);
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER nativeError = 0;
        SQLSMALLINT length = 0;
        SQLRETURN rc = SQLGetDiagRecW(handleType, handle, record, state, &nativeError, text.data(),
                                      SQLSMALLINT(text.size()), &length);
        if (rc == SQL_SUCCESS_WITH_INFO && size_t(length) >= text.size()) {
            text.resize(size_t(length) + 1);
            rc = SQLGetDiagRecW(handleType, handle, record, state, &nativeError, text.data(),
                                SQLSMALLINT(text.size()), &length);
        }
        if (!SQL_SUCCEEDED(rc))
            break;
        messages << fromWide(text.data(), length, qsizetype(text.size()));
    }
    return messages.join(QLatin1Char('\n'));
}

[[noreturn]] void throwDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle, const char *call)
{
    QString message = diagnostics(handleType, handle);
    if (message.isEmpty())
        message = QStringLiteral("%1 failed without a diagnostic").arg(QLatin1String(call));
    throw DbError(message);
}

SQLRETURN check(SQLRETURN rc, SQLSMALLINT handleType, SQLHANDLE handle, const char *call)
{
    if (rc == SQL_ERROR || rc == SQL_INVALID_HANDLE)
        throwDiagnostics(handleType, handle, call);
    return rc;
}

SQLRETURN checkStatement(SQLRETURN rc, SQLHSTMT stmt, const char *call)
{
    return check(rc, SQL_HANDLE_STMT, stmt, call);
}

bool isIntegerType(SQLSMALLINT type)
{
    switch (type) {
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT:
    case kSignedBigIntCType:
    case kUnsignedBigIntCType:
        return true;
    default:
        return false;
    }
}

bool isBinaryType(SQLSMALLINT type)
{
    return type == SQL_BINARY || type == SQL_VARBINARY || type == SQL_LONGVARBINARY;
}

FieldKind kindForSqlType(SQLSMALLINT type)
{
    if (isIntegerType(type))
        return FieldKind::Integer;
    switch (type) {
    case SQL_BIT:
        return FieldKind::Boolean;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return FieldKind::Float;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return FieldKind::Decimal;
    case SQL_DATETIME:
    case SQL_TIME:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
    case kSqlServerTime:
        return FieldKind::DateTime;
    case SQL_LONGVARCHAR:
    case SQL_WLONGVARCHAR:
    case SQL_LONGVARBINARY:
    case kSqlServerXml:
        return FieldKind::LongText;
    default:
        return FieldKind::Text;
    }
}

Fetch fetchForSqlType(SQLSMALLINT type, Dialect dialect)
{
    if (isBinaryType(type))
        return Fetch::Binary;
    // SQLite keeps any value in any column, and its driver turns a text it cannot convert into
    // NULL or a truncated number; read the text and let the column store sort it out.
    if (dialect == Dialect::Sqlite)
        return Fetch::Text;
    if (isIntegerType(type))
        return Fetch::Integer;
    switch (type) {
    case SQL_BIT:
        return Fetch::Bit;
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return Fetch::Double;
    case SQL_DATETIME:
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIMESTAMP:
        return Fetch::Timestamp;
    case SQL_TIME:
    case SQL_TYPE_TIME:
    case kSqlServerTime:
        return Fetch::Time;
    default:
        return Fetch::Text;
    }
}

// Appends UTF-16 code units to `out` as UTF-8; a lone surrogate becomes U+FFFD.
void utf16ToUtf8(const SQLWCHAR *in, size_t length, std::string &out)
{
    out.resize(length * 3);
    char *p = out.data();
    for (size_t i = 0; i < length; ++i) {
        char32_t c = in[i];
        if (c < 0x80) {
            *p++ = char(c);
            continue;
        }
        if (c < 0x800) {
            *p++ = char(0xC0 | (c >> 6));
            *p++ = char(0x80 | (c & 0x3F));
            continue;
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            const bool pair =
                c <= 0xDBFF && i + 1 < length && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF;
            if (pair) {
                c = 0x10000 + ((c - 0xD800) << 10) + (char32_t(in[++i]) - 0xDC00);
                *p++ = char(0xF0 | (c >> 18));
                *p++ = char(0x80 | ((c >> 12) & 0x3F));
                *p++ = char(0x80 | ((c >> 6) & 0x3F));
                *p++ = char(0x80 | (c & 0x3F));
                continue;
            }
            c = 0xFFFD;
        }
        *p++ = char(0xE0 | (c >> 12));
        *p++ = char(0x80 | ((c >> 6) & 0x3F));
        *p++ = char(0x80 | (c & 0x3F));
    }
    out.resize(size_t(p - out.data()));
}

qint64 packTimestamp(const SQL_TIMESTAMP_STRUCT &ts, const QDate &date)
{
    const QTime time(ts.hour, ts.minute, ts.second, int(ts.fraction / 1000000));
    return ColumnData::packDateTime(date, time);
}

void bindParameter(SQLHSTMT stmt, SQLUSMALLINT number, const QVariant &value, BoundValue &bound)
{
    SQLSMALLINT cType = SQL_C_WCHAR;
    SQLSMALLINT sqlType = SQL_WVARCHAR;
    SQLULEN columnSize = 1;
    SQLSMALLINT digits = 0;
    SQLPOINTER buffer = &bound.scalar;
    SQLLEN bufferLength = 0;
    const int typeId = value.metaType().id();

    auto setTimestamp = [&](const QDate &date, const QTime &time) {
        SQL_TIMESTAMP_STRUCT &ts = bound.scalar.timestamp;
        ts.year = SQLSMALLINT(date.year());
        ts.month = SQLUSMALLINT(date.month());
        ts.day = SQLUSMALLINT(date.day());
        ts.hour = SQLUSMALLINT(time.hour());
        ts.minute = SQLUSMALLINT(time.minute());
        ts.second = SQLUSMALLINT(time.second());
        ts.fraction = SQLUINTEGER(time.msec()) * 1000000;
        cType = SQL_C_TYPE_TIMESTAMP;
        sqlType = SQL_TYPE_TIMESTAMP;
        columnSize = 23;
        digits = 3;
    };

    if (value.isNull()) {
        bound.indicator = SQL_NULL_DATA;
        switch (typeId) {
        case QMetaType::QByteArray:
            cType = SQL_C_BINARY;
            sqlType = SQL_VARBINARY;
            break;
        case QMetaType::QDateTime:
        case QMetaType::QDate:
            cType = SQL_C_TYPE_TIMESTAMP;
            sqlType = SQL_TYPE_TIMESTAMP;
            columnSize = 23;
            digits = 3;
            break;
        default:
            buffer = nullptr;
            break;
        }
    } else {
        switch (typeId) {
        case QMetaType::Bool:
            bound.scalar.bit = value.toBool() ? 1 : 0;
            cType = SQL_C_BIT;
            sqlType = SQL_BIT;
            break;
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            bound.scalar.integer = value.toLongLong();
            cType = SQL_C_SBIGINT;
            sqlType = SQL_BIGINT;
            columnSize = 19;
            break;
        case QMetaType::Float:
        case QMetaType::Double:
            bound.scalar.real = value.toDouble();
            cType = SQL_C_DOUBLE;
            sqlType = SQL_DOUBLE;
            columnSize = 15;
            break;
        case QMetaType::QDateTime: {
            const QDateTime dt = value.toDateTime();
            if (dt.isValid())
                setTimestamp(dt.date(), dt.time());
            else
                bound.indicator = SQL_NULL_DATA;
            break;
        }
        case QMetaType::QDate: {
            const QDate date = value.toDate();
            if (date.isValid())
                setTimestamp(date, QTime(0, 0));
            else
                bound.indicator = SQL_NULL_DATA;
            break;
        }
        case QMetaType::QTime: {
            const QTime time = value.toTime();
            SQL_TIME_STRUCT &t = bound.scalar.time;
            t.hour = SQLUSMALLINT(time.hour());
            t.minute = SQLUSMALLINT(time.minute());
            t.second = SQLUSMALLINT(time.second());
            cType = SQL_C_TYPE_TIME;
            sqlType = SQL_TYPE_TIME;
            columnSize = 8;
            if (!time.isValid())
                bound.indicator = SQL_NULL_DATA;
            break;
        }
        case QMetaType::QByteArray:
            bound.bytes = value.toByteArray();
            cType = SQL_C_BINARY;
            sqlType = bound.bytes.size() > kLongBinaryLength ? SQL_LONGVARBINARY : SQL_VARBINARY;
            columnSize = SQLULEN(std::max<qsizetype>(bound.bytes.size(), 1));
            buffer = bound.bytes.data();
            bufferLength = SQLLEN(bound.bytes.size());
            bound.indicator = bufferLength;
            break;
        default:
            bound.text = value.toString();
            sqlType = bound.text.size() > kLongTextLength ? SQL_WLONGVARCHAR : SQL_WVARCHAR;
            columnSize = SQLULEN(std::max<qsizetype>(bound.text.size(), 1));
            buffer = wideText(bound.text);
            bufferLength = SQLLEN(bound.text.size() * qsizetype(sizeof(SQLWCHAR)));
            bound.indicator = bufferLength;
            break;
        }
    }
    checkStatement(SQLBindParameter(stmt, number, SQL_PARAM_INPUT, cType, sqlType, columnSize,
                                    digits, buffer, bufferLength, &bound.indicator),
                   stmt, "SQLBindParameter");
}

// unixODBC converts wide texts for a driver without a wide API to the character set of the
// locale that is current when the connection handle is made, and keeps that choice. The narrow
// drivers we meet (SQLite's) speak UTF-8, so the connection is made under a UTF-8 character
// type on this thread whatever the process locale is.
template <typename Work>
void withUtf8CharacterType(Work work)
{
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0) {
        work();
        return;
    }
    const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
    if (utf8 == locale_t(nullptr)) {
        work();
        return;
    }
    const locale_t previous = uselocale(utf8);
    const auto restore = qScopeGuard([&] {
        uselocale(previous);
        freelocale(utf8);
    });
    work();
}

// The value a database gave a new row's key, as a number when it is one.
QVariant generatedKey(const QVariant &value)
{
    if (value.isNull())
        return QVariant();
    if (value.metaType().id() == QMetaType::Double) {
        const double d = value.toDouble();
        if (d == double(qint64(d)))
            return QVariant(qint64(d));
        return value;
    }
    bool ok = false;
    const qint64 n = value.toString().trimmed().toLongLong(&ok);
    return ok ? QVariant(n) : value;
}

}  // namespace

struct OdbcEngine::Private
{
    OdbcHandle env;
    OdbcHandle dbc;
    bool connected = false;
    QString dbmsName;
    Dialect dialect = Dialect::Other;
    // The driver rewrites ODBC escapes whatever it is told.
    bool driverScans = false;
    // Reused by every text read, so fetching allocates only for the result itself.
    std::vector<SQLWCHAR> wide = std::vector<SQLWCHAR>(2048);
    std::string utf8;

    ~Private()
    {
        if (connected)
            SQLDisconnect(dbc.get());
    }

    OdbcHandle newStatement();
    SQLRETURN run(SQLHSTMT stmt, const QString &sql, const QVariantList &params,
                  std::vector<BoundValue> &bound);
    bool skipToResultSet(SQLHSTMT stmt, SQLRETURN rc);
    void describe(SQLHSTMT stmt, SQLSMALLINT count, ResultTable &table,
                  std::vector<Fetch> &fetches);
    void fetchAll(SQLHSTMT stmt, ResultTable &table, const std::vector<Fetch> &fetches);
    bool readText(SQLHSTMT stmt, SQLUSMALLINT column);
    bool readBinary(SQLHSTMT stmt, SQLUSMALLINT column, QByteArray *bytes);
    QString columnText(SQLHSTMT stmt, SQLUSMALLINT column, SQLUSMALLINT field);
    void finish(SQLHSTMT stmt);
    std::unique_ptr<ResultTable> query(const QString &sql, const QVariantList &params);
};

OdbcEngine::OdbcEngine(const QString &connectionString) : d(std::make_unique<Private>())
{
    d->env = OdbcHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    if (!d->env)
        throw DbError(QStringLiteral("The ODBC driver manager could not allocate an environment"));
    check(SQLSetEnvAttr(d->env.get(), SQL_ATTR_ODBC_VERSION, SQLPOINTER(SQL_OV_ODBC3), 0),
          SQL_HANDLE_ENV, d->env.get(), "SQLSetEnvAttr");
    withUtf8CharacterType([&] {
        d->dbc = OdbcHandle(SQL_HANDLE_DBC, d->env.get());
        if (!d->dbc)
            throwDiagnostics(SQL_HANDLE_ENV, d->env.get(), "SQLAllocHandle");
        // Without a login timeout an unreachable server leaves the caller waiting indefinitely.
        check(SQLSetConnectAttrW(d->dbc.get(), SQL_ATTR_LOGIN_TIMEOUT,
                                 SQLPOINTER(kLoginTimeoutSeconds), SQL_IS_UINTEGER),
              SQL_HANDLE_DBC, d->dbc.get(), "SQLSetConnectAttr");
        check(SQLDriverConnectW(d->dbc.get(), nullptr, wideText(connectionString),
                                SQLSMALLINT(connectionString.size()), nullptr, 0, nullptr,
                                SQL_DRIVER_NOPROMPT),
              SQL_HANDLE_DBC, d->dbc.get(), "SQLDriverConnect");
    });
    d->connected = true;

    SQLWCHAR name[256] = {};
    SQLSMALLINT length = 0;
    if (SQL_SUCCEEDED(SQLGetInfoW(d->dbc.get(), SQL_DBMS_NAME, name, sizeof(name), &length)))
        d->dbmsName =
            fromWide(name, length / qsizetype(sizeof(SQLWCHAR)), qsizetype(std::size(name)));
    if (d->dbmsName.contains(QLatin1String("SQL Server"), Qt::CaseInsensitive))
        d->dialect = Dialect::SqlServer;
    else if (d->dbmsName.startsWith(QLatin1String("SQLite"), Qt::CaseInsensitive))
        d->dialect = Dialect::Sqlite;
}

OdbcEngine::~OdbcEngine() = default;

QString OdbcEngine::productName() const
{
    return d->dbmsName;
}

// SQL Server names its save points with SAVE TRAN and has no release; other servers (the SQLite
// driver of the tests) speak the standard's SAVEPOINT.
void OdbcEngine::beginTransaction(int depth)
{
    if (d->dialect != Dialect::SqlServer)
        return Engine::beginTransaction(depth);
    execute(depth == 0 ? QStringLiteral("BEGIN TRAN")
                       : QStringLiteral("SAVE TRAN tavi_tx%1").arg(depth));
}

void OdbcEngine::commitTransaction(int depth)
{
    if (d->dialect != Dialect::SqlServer)
        return Engine::commitTransaction(depth);
    if (depth == 0)
        execute(QStringLiteral("COMMIT TRAN"));
}

void OdbcEngine::rollbackTransaction(int depth)
{
    if (d->dialect != Dialect::SqlServer)
        return Engine::rollbackTransaction(depth);
    execute(depth == 0 ? QStringLiteral("ROLLBACK TRAN")
                       : QStringLiteral("ROLLBACK TRAN tavi_tx%1").arg(depth));
}

OdbcHandle OdbcEngine::Private::newStatement()
{
    OdbcHandle stmt(SQL_HANDLE_STMT, dbc.get());
    if (!stmt)
        throwDiagnostics(SQL_HANDLE_DBC, dbc.get(), "SQLAllocHandle");
    // Statements reach the server as written: a driver that scans for ODBC escapes would turn
    // a leftover {1} outside quotes into code. A driver that cannot stop scanning gets no
    // statement with a brace outside quotes (see run).
    if (!SQL_SUCCEEDED(SQLSetStmtAttr(stmt.get(), SQL_ATTR_NOSCAN,
                                      reinterpret_cast<SQLPOINTER>(SQLULEN(SQL_NOSCAN_ON)), 0)))
        driverScans = true;
    return stmt;
}

SQLRETURN OdbcEngine::Private::run(SQLHSTMT stmt, const QString &sql, const QVariantList &params,
                                   std::vector<BoundValue> &bound)
{
    if (driverScans) {
        const SqlLexer lexer(sql, SqlDialect::TransactSql);
        for (const SqlToken &t : lexer.tokens()) {
            if (t.kind == SqlTokenKind::Symbol && (sql[t.begin] == u'{' || sql[t.begin] == u'}'))
                throw DbError(QStringLiteral("语句在引号外含有“%1”（第 %2 个字符），ODBC "
                                             "驱动会改写它，语句没有执行。")
                                  .arg(sql[t.begin])
                                  .arg(t.begin + 1));
        }
    }
    if (params.isEmpty())
        return checkStatement(SQLExecDirectW(stmt, wideText(sql), SQLINTEGER(sql.size())), stmt,
                              "SQLExecDirect");
    checkStatement(SQLPrepareW(stmt, wideText(sql), SQLINTEGER(sql.size())), stmt, "SQLPrepare");
    // Sized once: the driver keeps pointers into these buffers until execution ends.
    bound.assign(size_t(params.size()), BoundValue());
    for (qsizetype i = 0; i < params.size(); ++i)
        bindParameter(stmt, SQLUSMALLINT(i + 1), params[i], bound[size_t(i)]);
    return checkStatement(SQLExecute(stmt), stmt, "SQLExecute");
}

// Moves past row counts (and SQL Server's informational results) to the first result with
// columns; false when the statement produced none.
bool OdbcEngine::Private::skipToResultSet(SQLHSTMT stmt, SQLRETURN rc)
{
    for (;;) {
        if (rc != SQL_NO_DATA) {
            SQLSMALLINT columns = 0;
            checkStatement(SQLNumResultCols(stmt, &columns), stmt, "SQLNumResultCols");
            if (columns > 0)
                return true;
        }
        rc = checkStatement(SQLMoreResults(stmt), stmt, "SQLMoreResults");
        if (rc == SQL_NO_DATA)
            return false;
    }
}

QString OdbcEngine::Private::columnText(SQLHSTMT stmt, SQLUSMALLINT column, SQLUSMALLINT field)
{
    const size_t capacity = std::min<size_t>(wide.size(), 16000);
    std::fill_n(wide.data(), capacity, SQLWCHAR(0));
    SQLSMALLINT length = 0;
    const SQLRETURN rc =
        SQLColAttributeW(stmt, column, field, wide.data(), SQLSMALLINT(capacity * sizeof(SQLWCHAR)),
                         &length, nullptr);
    if (!SQL_SUCCEEDED(rc) || length <= 0)
        return QString();
    return fromWide(wide.data(), length / qsizetype(sizeof(SQLWCHAR)), qsizetype(capacity));
}

void OdbcEngine::Private::describe(SQLHSTMT stmt, SQLSMALLINT count, ResultTable &table,
                                   std::vector<Fetch> &fetches)
{
    for (SQLUSMALLINT c = 1; c <= SQLUSMALLINT(count); ++c) {
        SQLWCHAR name[512] = {};
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT sqlType = 0;
        SQLULEN size = 0;
        SQLSMALLINT digits = 0;
        SQLSMALLINT nullable = 0;
        checkStatement(SQLDescribeColW(stmt, c, name, SQLSMALLINT(std::size(name)), &nameLength,
                                       &sqlType, &size, &digits, &nullable),
                       stmt, "SQLDescribeCol");
        ColumnInfo info;
        info.name = fromWide(name, nameLength, qsizetype(std::size(name)));
        if (info.name.isEmpty() || nameLength >= SQLSMALLINT(std::size(name)))
            info.name = columnText(stmt, c, SQL_DESC_LABEL);

        // The declared name tells SQL Server's money from other decimals, but not nvarchar(max)
        // from nvarchar(50), and its "timestamp" is a binary row version.
        if (isBinaryType(sqlType) ||
            !fieldKindFromDeclaredType(columnText(stmt, c, SQL_DESC_TYPE_NAME), &info.kind))
            info.kind = kindForSqlType(sqlType);
        else if (info.kind == FieldKind::Text && kindForSqlType(sqlType) == FieldKind::LongText)
            info.kind = FieldKind::LongText;

        SQLLEN flag = SQL_FALSE;
        if (SQL_SUCCEEDED(
                SQLColAttributeW(stmt, c, SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0, nullptr, &flag)))
            info.autoIncrement = flag == SQL_TRUE;

        info.baseTable = columnText(stmt, c, SQL_DESC_BASE_TABLE_NAME);
        if (info.baseTable.isEmpty())
            info.baseTable = columnText(stmt, c, SQL_DESC_TABLE_NAME);
        // Drivers name a computed column after its label; without a table it has no source.
        if (!info.baseTable.isEmpty())
            info.baseColumn = columnText(stmt, c, SQL_DESC_BASE_COLUMN_NAME);

        table.addColumn(info);
        fetches.push_back(fetchForSqlType(sqlType, dialect));
    }
}

bool OdbcEngine::Private::readText(SQLHSTMT stmt, SQLUSMALLINT column)
{
    constexpr size_t unit = sizeof(SQLWCHAR);
    size_t used = 0;
    for (;;) {
        const SQLLEN room = SQLLEN((wide.size() - used) * unit);
        SQLLEN indicator = 0;
        const SQLRETURN rc = checkStatement(
            SQLGetData(stmt, column, SQL_C_WCHAR, wide.data() + used, room, &indicator), stmt,
            "SQLGetData");
        if (rc == SQL_NO_DATA)
            break;
        if (indicator == SQL_NULL_DATA)
            return false;
        const bool truncated =
            rc == SQL_SUCCESS_WITH_INFO && (indicator == SQL_NO_TOTAL || indicator >= room);
        if (!truncated) {
            used += std::min(size_t(indicator), size_t(room) - unit) / unit;
            break;
        }
        // The piece fills the buffer but for its terminator; make room for the rest.
        used += size_t(room) / unit - 1;
        const size_t rest = indicator == SQL_NO_TOTAL ? wide.size() : size_t(indicator) / unit;
        wide.resize(std::max(wide.size() * 2, used + rest + 1));
    }
    utf16ToUtf8(wide.data(), used, utf8);
    return true;
}

bool OdbcEngine::Private::readBinary(SQLHSTMT stmt, SQLUSMALLINT column, QByteArray *bytes)
{
    bytes->clear();
    char chunk[8192];
    for (;;) {
        SQLLEN indicator = 0;
        const SQLRETURN rc =
            checkStatement(SQLGetData(stmt, column, SQL_C_BINARY, chunk, sizeof(chunk), &indicator),
                           stmt, "SQLGetData");
        if (rc == SQL_NO_DATA)
            break;
        if (indicator == SQL_NULL_DATA)
            return false;
        const bool truncated = rc == SQL_SUCCESS_WITH_INFO &&
                               (indicator == SQL_NO_TOTAL || indicator > SQLLEN(sizeof(chunk)));
        bytes->append(chunk, truncated ? qsizetype(sizeof(chunk)) : qsizetype(indicator));
        if (!truncated)
            break;
    }
    return true;
}

void OdbcEngine::Private::fetchAll(SQLHSTMT stmt, ResultTable &table,
                                   const std::vector<Fetch> &fetches)
{
    QByteArray bytes;
    for (;;) {
        const SQLRETURN rc = checkStatement(SQLFetch(stmt), stmt, "SQLFetch");
        if (rc == SQL_NO_DATA)
            break;
        for (size_t i = 0; i < fetches.size(); ++i) {
            const SQLUSMALLINT number = SQLUSMALLINT(i + 1);
            ColumnData &column = table.column(int(i));
            SQLLEN indicator = 0;
            switch (fetches[i]) {
            case Fetch::Integer: {
                SQLBIGINT v = 0;
                checkStatement(SQLGetData(stmt, number, SQL_C_SBIGINT, &v, 0, &indicator), stmt,
                               "SQLGetData");
                if (indicator == SQL_NULL_DATA)
                    column.appendNull();
                else
                    column.appendInt(v);
                break;
            }
            case Fetch::Bit: {
                unsigned char v = 0;
                checkStatement(SQLGetData(stmt, number, SQL_C_BIT, &v, 0, &indicator), stmt,
                               "SQLGetData");
                if (indicator == SQL_NULL_DATA)
                    column.appendNull();
                else
                    column.appendInt(v ? 1 : 0);
                break;
            }
            case Fetch::Double: {
                double v = 0;
                checkStatement(SQLGetData(stmt, number, SQL_C_DOUBLE, &v, 0, &indicator), stmt,
                               "SQLGetData");
                if (indicator == SQL_NULL_DATA)
                    column.appendNull();
                else
                    column.appendDouble(v);
                break;
            }
            case Fetch::Timestamp:
            case Fetch::Time: {
                // Times are read as timestamps too: SQL Server's time(7) keeps its fraction.
                SQL_TIMESTAMP_STRUCT ts = {};
                checkStatement(
                    SQLGetData(stmt, number, SQL_C_TYPE_TIMESTAMP, &ts, sizeof(ts), &indicator),
                    stmt, "SQLGetData");
                const QDate date =
                    fetches[i] == Fetch::Time ? kDayZero : QDate(ts.year, ts.month, ts.day);
                if (indicator == SQL_NULL_DATA || !date.isValid())
                    column.appendNull();
                else
                    column.appendDateTime(packTimestamp(ts, date));
                break;
            }
            case Fetch::Text:
                if (readText(stmt, number))
                    column.appendUtf8(utf8.data(), int(utf8.size()));
                else
                    column.appendNull();
                break;
            case Fetch::Binary:
                if (readBinary(stmt, number, &bytes))
                    column.appendVariant(bytes);
                else
                    column.appendNull();
                break;
            }
        }
        table.finishRow();
    }
}

// Reads and discards whatever the statement still has to say, so the connection is free for
// the next command (SQL Server without MARS serves one statement at a time) and errors of
// later statements in a batch are not lost.
void OdbcEngine::Private::finish(SQLHSTMT stmt)
{
    while (checkStatement(SQLMoreResults(stmt), stmt, "SQLMoreResults") != SQL_NO_DATA) {
    }
    SQLFreeStmt(stmt, SQL_CLOSE);
}

std::unique_ptr<ResultTable> OdbcEngine::Private::query(const QString &sql,
                                                        const QVariantList &params)
{
    OdbcHandle stmt = newStatement();
    std::vector<BoundValue> bound;
    const SQLRETURN rc = run(stmt.get(), sql, params, bound);
    auto table = std::make_unique<ResultTable>();
    if (skipToResultSet(stmt.get(), rc)) {
        SQLSMALLINT count = 0;
        checkStatement(SQLNumResultCols(stmt.get(), &count), stmt.get(), "SQLNumResultCols");
        std::vector<Fetch> fetches;
        describe(stmt.get(), count, *table, fetches);
        fetchAll(stmt.get(), *table, fetches);
        finish(stmt.get());
    }
    return table;
}

std::unique_ptr<ResultTable> OdbcEngine::query(const QString &sql, const QVariantList &params)
{
    return d->query(sql, params);
}

qint64 OdbcEngine::execute(const QString &sql, const QVariantList &params)
{
    OdbcHandle stmt = d->newStatement();
    std::vector<BoundValue> bound;
    SQLRETURN rc = d->run(stmt.get(), sql, params, bound);
    // A batch reports one count per statement; the last one belongs to the last command (the
    // counts of triggers it fired come before it).
    qint64 count = -1;
    if (rc == SQL_NO_DATA)
        count = 0;
    for (;;) {
        if (rc != SQL_NO_DATA) {
            SQLSMALLINT columns = 0;
            checkStatement(SQLNumResultCols(stmt.get(), &columns), stmt.get(), "SQLNumResultCols");
            SQLLEN rows = -1;
            if (columns == 0 && SQL_SUCCEEDED(SQLRowCount(stmt.get(), &rows)) && rows >= 0)
                count = rows;
        }
        rc = checkStatement(SQLMoreResults(stmt.get()), stmt.get(), "SQLMoreResults");
        if (rc == SQL_NO_DATA)
            break;
    }
    SQLFreeStmt(stmt.get(), SQL_CLOSE);
    return count;
}

QVariant OdbcEngine::insertRow(const QString &table, const QStringList &columns,
                               const QVariantList &values, const QString &autoColumn)
{
    if (columns.size() != values.size())
        throw DbError(QStringLiteral("Insert into %1 names %2 columns but gives %3 values")
                          .arg(table)
                          .arg(columns.size())
                          .arg(values.size()));
    QStringList quoted;
    QStringList markers;
    for (const QString &c : columns) {
        quoted << quoteIdentifier(c);
        markers << QStringLiteral("?");
    }
    const QString target =
        QStringLiteral("INSERT INTO ") + quoteIdentifier(table) +
        (columns.isEmpty()
             ? QString()
             : QStringLiteral(" (") + quoted.join(QStringLiteral(", ")) + QStringLiteral(")"));
    const QString rowValues = columns.isEmpty()
                                  ? QStringLiteral(" DEFAULT VALUES")
                                  : QStringLiteral(" VALUES (") +
                                        markers.join(QStringLiteral(", ")) + QStringLiteral(")");
    if (autoColumn.isEmpty()) {
        execute(target + rowValues, values);
        return QVariant();
    }

    std::unique_ptr<ResultTable> key;
    switch (d->dialect) {
    case Dialect::SqlServer:
        // OUTPUT names the new row's own value whatever triggers insert elsewhere; it goes
        // INTO a table variable because SQL Server refuses a bare OUTPUT on a table with
        // triggers.
        key = d->query(QStringLiteral("DECLARE @tavi_key TABLE (k nvarchar(100)); ") + target +
                           QStringLiteral(" OUTPUT INSERTED.") + quoteIdentifier(autoColumn) +
                           QStringLiteral(" INTO @tavi_key") + rowValues +
                           QStringLiteral("; SELECT k FROM @tavi_key"),
                       values);
        break;
    case Dialect::Sqlite:
        execute(target + rowValues, values);
        key = d->query(QStringLiteral("SELECT last_insert_rowid()"), {});
        break;
    case Dialect::Other:
        key = d->query(target + rowValues + QStringLiteral("; SELECT SCOPE_IDENTITY()"), values);
        break;
    }
    return key->rowCount() > 0 ? generatedKey(key->column(0).value(0)) : QVariant();
}

}  // namespace tavi::db
