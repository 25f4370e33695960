#include "SqlCondition.h"

namespace tavi {

namespace {

// Words that begin a clause or a statement: outside parentheses they would end the condition
// and carry on the statement it is appended to.
bool beginsClause(QStringView word)
{
    static const char *const words[] = {
        "select", "from",  "where",   "union",    "intersect", "except", "order",  "group",
        "having", "limit", "into",    "insert",   "update",    "delete", "drop",   "create",
        "alter",  "exec",  "execute", "declare",  "truncate",  "merge",  "pragma", "attach",
        "detach", "begin", "commit",  "rollback", "grant",     "go",     "option", "compute"};
    for (const char *w : words) {
        if (word.compare(QLatin1StringView(w), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

}  // namespace

QString sqlConditionError(const QString &condition, SqlDialect dialect)
{
    const SqlLexer lexer(condition, dialect);
    const auto at = [&](qsizetype offset) {
        return QStringLiteral("过滤条件“%1”在第 %2 个字符处").arg(condition).arg(offset + 1);
    };
    if (const qsizetype open = lexer.unterminatedAt(); open >= 0)
        return at(open) + QStringLiteral("有未结束的引号、名称或注释。");
    int depth = 0;
    for (const SqlToken &t : lexer.tokens()) {
        const QStringView text = lexer.text(t);
        if (t.kind == SqlTokenKind::Symbol && text == u";")
            return at(t.begin) + QStringLiteral("有语句分隔符“;”，只能是一个条件。");
        if (t.kind == SqlTokenKind::Symbol && text == u"(") {
            ++depth;
        } else if (t.kind == SqlTokenKind::Symbol && text == u")") {
            if (--depth < 0)
                return at(t.begin) + QStringLiteral("多了一个“)”。");
        } else if (depth == 0 && t.kind == SqlTokenKind::Word && beginsClause(text)) {
            return at(t.begin) + QStringLiteral("有“%1”，只能是一个条件。").arg(text);
        }
    }
    if (depth > 0)
        return QStringLiteral("过滤条件“%1”少了 %2 个“)”。").arg(condition).arg(depth);
    return QString();
}

}  // namespace tavi
