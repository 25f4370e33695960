#include "LookupCache.h"

#include "services/OpenQuery.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/crypto/SessionCipher.h"

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

QString LookupCache::lookUp(const QString &lookupTemplate, const QString &value)
{
    ++m_lookups;
    try {
        QString sql = lookupTemplate;
        sql.replace(QLatin1String("{1}"), value);
        if (sql.toUpper() == QLatin1String("DESDECRY"))
            return shownPlainText(value);
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
