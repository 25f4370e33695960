#include "LookupCache.h"

#include "services/OpenQuery.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/crypto/SessionCipher.h"
#include "tools/SqlValuePlacement.h"

#include <cmath>

namespace tavi {

namespace {

// A value kept encrypted character by character, so that conditions can search it, pads every
// character's block with NUL bytes; no text holds a NUL, so dropping them reads both forms.
QString shownPlainText(const QString &hex)
{
    return DecryptWithSessionKey(hex).remove(QChar(u'\0'));
}

// The whole-number types whose text is their decimal digits, as `Recordset::textOf` writes them.
std::optional<qint64> wholeNumberOf(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
        return value.toLongLong();
    case QMetaType::Double: {
        const double d = value.toDouble();
        if (d == std::floor(d) && std::fabs(d) < 1e15)
            return qint64(d);
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

}  // namespace

LookupCache::LookupCache() = default;
LookupCache::~LookupCache() = default;

LookupCache::Table &LookupCache::table(const QString &lookupTemplate)
{
    Table *&found = m_tableOf[lookupTemplate];
    if (!found) {
        m_tables.push_back(std::make_unique<Table>());
        found = m_tables.back().get();
        found->m_template = lookupTemplate;
    }
    return *found;
}

void LookupCache::clear()
{
    for (const std::unique_ptr<Table> &t : m_tables) {
        t->m_byNumber.clear();
        t->m_byText.clear();
    }
}

QString LookupCache::LookupFieldText(const QString &lookupTemplate, const QVariant &value)
{
    return LookupFieldText(table(lookupTemplate), value);
}

QString LookupCache::LookupFieldText(Table &table, const QVariant &value)
{
    if (const std::optional<qint64> number = wholeNumberOf(value))
        return numberText(table, *number);
    const QString v = db::Recordset::textOf(value);
    if (v.isEmpty())
        return QString();
    return textOf(table, v);
}

QString LookupCache::numberText(Table &table, qint64 number)
{
    const auto found = table.m_byNumber.constFind(number);
    if (found != table.m_byNumber.constEnd())
        return *found;
    const QString text = textOf(table, QString::number(number));
    table.m_byNumber.insert(number, text);
    return text;
}

// Keyed by the value's text, so a number and a text reading alike are looked up once.
QString LookupCache::textOf(Table &table, const QString &value)
{
    const auto found = table.m_byText.constFind(value);
    if (found != table.m_byText.constEnd())
        return *found;
    const QString text = lookUp(table.m_template, value);
    table.m_byText.insert(value, text);
    return text;
}

// The cell's value is data: it may fill a literal of the template, or stand as a number.
std::optional<QString> LookupCache::withValue(const QString &lookupTemplate, const QString &value)
{
    const QLatin1String placeholder("{1}");
    const SqlLexer lexer(lookupTemplate,
                         session().SysInfo.DbType == 0 ? SqlDialect::Jet : SqlDialect::TransactSql);
    QString sql;
    qsizetype done = 0;
    for (qsizetype at = lookupTemplate.indexOf(placeholder); at >= 0;
         at = lookupTemplate.indexOf(placeholder, done)) {
        const std::optional<QString> placed = SqlValuePlacement::place(lexer, at, value);
        if (!placed)
            return std::nullopt;
        sql += QStringView(lookupTemplate).mid(done, at - done) + *placed;
        done = at + placeholder.size();
    }
    return sql + QStringView(lookupTemplate).mid(done);
}

QString LookupCache::lookUp(const QString &lookupTemplate, const QString &value)
{
    ++m_lookups;
    try {
        if (lookupTemplate.toUpper() == QLatin1String("DESDECRY"))
            return shownPlainText(value);
        const std::optional<QString> placed = withValue(lookupTemplate, value);
        if (!placed)
            return QString();
        QString sql = *placed;
        const bool decrypt = sql.contains(QLatin1String("DESDECRY:"));
        if (decrypt)
            sql.remove(QLatin1String("DESDECRY:"));
        if (!session().dm)
            return QString();
        m_query.setConnection(&session().dm->adoConn);
        OpenQuery(m_query, sql);
        if (!m_query.isOpen() || m_query.isEmpty() || m_query.fieldCount() == 0)
            return QString();
        m_query.first();
        const QString text = db::Recordset::textOf(m_query.value(0));
        m_query.close();
        return decrypt && !text.isEmpty() ? shownPlainText(text) : text;
    } catch (const std::exception &) {
        return QString();
    }
}

}  // namespace tavi
