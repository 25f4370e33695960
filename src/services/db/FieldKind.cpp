#include "FieldKind.h"

namespace tavi::db {

bool fieldKindFromDeclaredType(const QString &declaredType, FieldKind *kind)
{
    QString t = declaredType.trimmed().toLower();
    const qsizetype paren = t.indexOf(u'(');
    if (paren >= 0)
        t = t.left(paren).trimmed();
    if (t.isEmpty())
        return false;

    struct Rule
    {
        const char *prefix;
        FieldKind kind;
    };
    // Order matters: "datetime" before "date", "smallmoney" contains "money".
    static const Rule rules[] = {
        {"datetime", FieldKind::DateTime},
        {"smalldatetime", FieldKind::DateTime},
        {"date", FieldKind::DateTime},
        {"time", FieldKind::DateTime},
        {"timestamp", FieldKind::DateTime},
        {"money", FieldKind::Currency},
        {"smallmoney", FieldKind::Currency},
        {"currency", FieldKind::Currency},
        {"decimal", FieldKind::Decimal},
        {"numeric", FieldKind::Decimal},
        {"bit", FieldKind::Boolean},
        {"boolean", FieldKind::Boolean},
        {"bool", FieldKind::Boolean},
        {"yesno", FieldKind::Boolean},
        {"logical", FieldKind::Boolean},
        {"counter", FieldKind::Integer},
        {"autoincrement", FieldKind::Integer},
        {"integer", FieldKind::Integer},
        {"int", FieldKind::Integer},
        {"bigint", FieldKind::Integer},
        {"smallint", FieldKind::Integer},
        {"tinyint", FieldKind::Integer},
        {"long", FieldKind::Integer},
        {"byte", FieldKind::Integer},
        {"float", FieldKind::Float},
        {"real", FieldKind::Float},
        {"double", FieldKind::Float},
        {"single", FieldKind::Float},
        {"memo", FieldKind::LongText},
        {"text", FieldKind::LongText},
        {"ntext", FieldKind::LongText},
        {"longtext", FieldKind::LongText},
        {"longchar", FieldKind::LongText},
        {"clob", FieldKind::LongText},
        {"varchar", FieldKind::Text},
        {"nvarchar", FieldKind::Text},
        {"char", FieldKind::Text},
        {"nchar", FieldKind::Text},
        {"character", FieldKind::Text},
        {"string", FieldKind::Text},
        {"varying", FieldKind::Text},
    };
    for (const Rule &r : rules) {
        if (t == QLatin1String(r.prefix)) {
            *kind = r.kind;
            return true;
        }
    }
    // SQLite's affinity rules for anything else ("unsigned big int", "varchar2").
    if (t.contains(QLatin1String("int"))) {
        *kind = FieldKind::Integer;
        return true;
    }
    if (t.contains(QLatin1String("char")) || t.contains(QLatin1String("clob"))) {
        *kind = FieldKind::Text;
        return true;
    }
    if (t.contains(QLatin1String("real")) || t.contains(QLatin1String("floa")) ||
        t.contains(QLatin1String("doub"))) {
        *kind = FieldKind::Float;
        return true;
    }
    return false;
}

QString fieldKindName(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Integer:
        return QStringLiteral("integer");
    case FieldKind::Float:
        return QStringLiteral("float");
    case FieldKind::Currency:
        return QStringLiteral("currency");
    case FieldKind::Decimal:
        return QStringLiteral("decimal");
    case FieldKind::DateTime:
        return QStringLiteral("datetime");
    case FieldKind::Text:
        return QStringLiteral("text");
    case FieldKind::LongText:
        return QStringLiteral("longtext");
    case FieldKind::Boolean:
        return QStringLiteral("boolean");
    }
    return QString();
}

}  // namespace tavi::db
