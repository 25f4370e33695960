#include "LookupCache.h"

#include "services/OpenQuery.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/crypto/SessionCipher.h"
#include "tools/SqlValuePlacement.h"

namespace tavi {

namespace {

// A value kept encrypted character by character, so that conditions can search it, pads every
// character's block with NUL bytes; no text holds a NUL, so dropping them reads both forms.
QString shownPlainText(const QString &hex)
{
    return DecryptWithSessionKey(hex).remove(QChar(u'\0'));
}

}  // namespace

LookupCache::LookupCache() = default;

QString LookupCache::LookupFieldText(const QString &lookupTemplate, const QVariant &value)
{
    const QString v = db::Recordset::textOf(value);
    if (v.isEmpty())
        return QString();
    QHash<QString, QString> &texts = m_texts[lookupTemplate];
    const auto found = texts.constFind(v);
    if (found != texts.constEnd())
        return *found;
    const QString text = lookUp(lookupTemplate, v);
    texts.insert(v, text);
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
