#pragma once

#include "services/db/Recordset.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <optional>

namespace tavi {

/// Shown texts of lookup columns. A grid asks for a cell's text on every repaint, so each
/// template and value is looked up once per run and remembered until `clear`.
class LookupCache
{
public:
    LookupCache();

    /// The text a lookup column shows for a value: empty for an empty value; the value
    /// decrypted for the template "DESDECRY"; otherwise the first column of the first row of
    /// the template with "{1}" replaced by the value (decrypted when the template holds
    /// "DESDECRY:"). Failures give empty text.
    QString LookupFieldText(const QString &lookupTemplate, const QVariant &value);

    /// Forgets every remembered text (a new run may find other data).
    void clear() { m_texts.clear(); }
    /// Texts worked out since construction, remembered ones not counted.
    int lookupCount() const { return m_lookups; }

private:
    QString lookUp(const QString &lookupTemplate, const QString &value);
    static std::optional<QString> withValue(const QString &lookupTemplate, const QString &value);

    db::Recordset m_query;
    QHash<QString, QHash<QString, QString>> m_texts;
    int m_lookups = 0;
};

}  // namespace tavi
