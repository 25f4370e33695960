#pragma once

#include "services/db/Recordset.h"

#include <QHash>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

namespace tavi {

/// Shown texts of lookup columns. A grid asks for a cell's text on every repaint, so each
/// template and value is looked up once per run and remembered until `clear`.
class LookupCache
{
public:
    /// The remembered texts of one template. It lives as long as its cache (`clear` empties
    /// it), so a column resolves it once and keeps it.
    class Table
    {
        friend class LookupCache;
        QString m_template;
        // Whole numbers show as their digits: keyed by number, the text is made on a miss only.
        QHash<qint64, QString> m_byNumber;
        QHash<QString, QString> m_byText;
    };

    LookupCache();
    ~LookupCache();

    /// The table of a template, made on first use.
    Table &table(const QString &lookupTemplate);
    /// `LookupFieldText` through a table resolved beforehand.
    QString LookupFieldText(Table &table, const QVariant &value);
    /// The text for a whole number, read by a column that stores its values as integers.
    QString numberText(Table &table, qint64 number);

    /// The text a lookup column shows for a value: empty for an empty value; the value
    /// decrypted for the template "DESDECRY"; otherwise the first column of the first row of
    /// the template with "{1}" replaced by the value (decrypted when the template holds
    /// "DESDECRY:"). Failures give empty text.
    QString LookupFieldText(const QString &lookupTemplate, const QVariant &value);

    /// Forgets every remembered text (a new run may find other data).
    void clear();
    /// Texts worked out since construction, remembered ones not counted.
    int lookupCount() const { return m_lookups; }

private:
    QString lookUp(const QString &lookupTemplate, const QString &value);
    QString textOf(Table &table, const QString &value);
    static std::optional<QString> withValue(const QString &lookupTemplate, const QString &value);

    db::Recordset m_query;
    std::vector<std::unique_ptr<Table>> m_tables;
    QHash<QString, Table *> m_tableOf;
    int m_lookups = 0;
};

}  // namespace tavi
