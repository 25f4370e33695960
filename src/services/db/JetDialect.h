#pragma once

#include <QString>
#include <QStringList>

namespace tavi::db {

/// Rewrites texts written for Access (Jet SQL) into SQLite statements of the same meaning.
///
/// Outside string literals: `#…#` date literals become 'yyyy-MM-dd HH:mm:ss' texts, `&`
/// concatenates (NULL as an empty text), `+` joins texts and adds numbers, "…" is a string as in
/// Jet, true/false are -1/0, `isnull(`, `left(` and `right(` call the registered Jet functions,
/// `select top n` becomes a LIMIT. In DDL, `counter` keys become auto-increment keys, text columns
/// compare without letter case, an ALTER TABLE adding several columns runs as several statements,
/// and bit columns keep true as -1 whatever a statement writes.
class JetDialect
{
public:
    /// The statements to run, in order, for one text (which may hold several statements).
    static QStringList translate(const QString &sql);

    /// The literal of a Jet date text such as "12-11-2026 10:00:00" or "2026/12/11";
    /// empty when the text is not a date.
    static QString dateLiteral(const QString &jetDate);
};

}  // namespace tavi::db
