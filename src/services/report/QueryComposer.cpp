#include "QueryComposer.h"

#include "services/DatePeriods.h"
#include "services/Session.h"
#include "services/SqlMacros.h"
#include "services/TextRoutines.h"
#include "services/crypto/SessionCipher.h"
#include "tools/SqlLexer.h"
#include "tools/SqlValuePlacement.h"

#include <QRegularExpression>

namespace tavi {

namespace {

// Markers stand for values until the whole statement is known, so each value's quoting context
// is read from the statement it finally sits in. Control characters never occur in SQL text.
constexpr char16_t kMarkerOpen = 0x02;
constexpr char16_t kMarkerClose = 0x03;

bool isAuthorItem(const ReportParam &p, const QString &item)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (const QString &line : p.csList.split(lineBreak)) {
        if (line == item && ExtractListSql(line).isEmpty())
            return true;
    }
    return false;
}

// Text that would forge a marker: control characters have no place in statements or values.
bool holdsMarker(const QString &text)
{
    return text.contains(QChar(kMarkerOpen)) || text.contains(QChar(kMarkerClose));
}

}  // namespace

QueryComposer::QueryComposer(const ReportDefinition &definition, const QList<ReportParam> &params,
                             const ParameterValues &values, const QString &modeArg,
                             ListSource lists)
    : m_def(definition),
      m_params(params),
      m_values(values),
      m_modeArg(modeArg),
      m_lists(std::move(lists))
{}

QString QueryComposer::crossTableAlias(int number)
{
    return QStringLiteral("Tavi_Field_Tmp") + IntToZeroStr(number, 2);
}

QString QueryComposer::RadioCondition(const QString &item, const QString &pattern)
{
    const QString open = QLatin1Char('{') + item + QLatin1Char('=');
    const qsizetype at = pattern.indexOf(open);
    if (at < 0)
        return QString();
    const qsizetype start = at + open.size();
    const qsizetype close = pattern.indexOf(u'}', start);
    return close < 0 ? QString() : pattern.mid(start, close - start);
}

QString ComposedQuery::summaryBarText() const
{
    return conditionText.trimmed().isEmpty() ? QString()
                                             : QStringLiteral("查询条件为：") + conditionText;
}

QString QueryComposer::valueMarker(const QString &value, const QString &caption)
{
    m_markers.push_back({value, caption});
    return QChar(kMarkerOpen) + QString::number(m_markers.size() - 1) + QChar(kMarkerClose);
}

QString QueryComposer::resolveMarkers(const QString &sql, QString *error) const
{
    const SqlLexer lexer(sql,
                         session().SysInfo.DbType == 0 ? SqlDialect::Jet : SqlDialect::TransactSql);
    QString out;
    out.reserve(sql.size());
    qsizetype done = 0;
    for (qsizetype i = sql.indexOf(QChar(kMarkerOpen)); i >= 0;
         i = sql.indexOf(QChar(kMarkerOpen), done)) {
        const qsizetype close = sql.indexOf(QChar(kMarkerClose), i);
        bool ok = false;
        const qsizetype index = close < 0 ? -1 : sql.mid(i + 1, close - i - 1).toLongLong(&ok);
        if (!ok || index < 0 || size_t(index) >= m_markers.size()) {
            *error = QStringLiteral("查询语句中有不能使用的控制字符，查询没有执行。");
            return QString();
        }
        const Value &v = m_markers[size_t(index)];
        out += QStringView(sql).mid(done, i - done);
        done = close + 1;
        const std::optional<QString> placed =
            SqlValuePlacement::place(lexer, i, v.text, SqlValuePlacement::Code::NumberList);
        if (!placed) {
            *error =
                QStringLiteral("“%1”的值“%2”只能是数字，查询没有执行。").arg(v.caption, v.text);
            return QString();
        }
        out += *placed;
    }
    out += QStringView(sql).mid(done);

    // A placeholder that no parameter filled would reach the database as a syntax error.
    static const QRegularExpression placeholder(QStringLiteral(R"(\{\d+\})"));
    const SqlLexer final(out, lexer.dialect());
    for (auto it = placeholder.globalMatch(out); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (final.isCode(m.capturedStart())) {
            *error = QStringLiteral("查询语句中的%1没有对应的查询参数，查询没有执行。")
                         .arg(m.captured());
            return QString();
        }
    }
    return out;
}

QString QueryComposer::condition(const ReportParam &p, QString *shown, QString *error)
{
    const QString caption = m_values.labelCaption(p);
    const QString &kind = p.cslx;
    QString sql = p.csSql;
    if (kind == QStringLiteral("文本型")) {
        const QString t = m_values.text(p).trimmed();
        if (t.isEmpty())
            return QString();
        m_textEntered = true;
        *shown = t;
        if (sql.contains(QLatin1String("DESDECRY")))
            sql.replace(QStringLiteral("DESDECRY") + p.csValue, EncryptPerChar(t));
        return sql.replace(p.csValue, valueMarker(t, caption));
    }
    if (kind == QStringLiteral("下拉框")) {
        const int index = m_values.itemIndex(p);
        if (index <= 0)
            return QString();
        const QString item = m_values.itemText(p);
        *shown = item.trimmed();
        // Items the author wrote go in as written; items a list statement read are data.
        sql.replace(p.csValue, isAuthorItem(p, item) ? item : valueMarker(item, caption));
        return sql.replace(QStringLiteral("{ID") + p.csValue.mid(1), QString::number(index));
    }
    if (kind == QStringLiteral("日期型")) {
        const std::optional<QDate> d = m_values.date(p);
        if (!d)
            return QString();
        m_lastDate = *d;
        m_hasLastDate = true;
        *shown = d->toString(QStringLiteral("yyyy-MM-dd"));
        return sql.replace(p.csValue, *shown);
    }
    if (kind == QStringLiteral("日期组合框") || kind == QStringLiteral("日期组合框2")) {
        const std::optional<DateRange> r = m_values.dateRange(p);
        if (!r)
            return sql;
        const bool wholeDays = m_values.businessDayOverride();
        const QString format =
            wholeDays ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("yyyy-MM-dd HH:mm");
        *shown = r->from.toString(format) + QStringLiteral("至") + r->to.toString(format);
        return sql.replace(p.csValue, DateRangeSql(!wholeDays, r->from, r->to));
    }
    if (kind == QStringLiteral("单选框")) {
        if (m_values.itemIndex(p) < 0)
            return QString();
        return RadioCondition(m_values.itemText(p), p.csSql);
    }
    if (kind == QStringLiteral("复选框"))
        return m_values.checked(p) ? sql : QString();
    if (kind == QStringLiteral("按钮文本框")) {
        // The box's text takes the placeholder's place where the template has one.
        const QString t = m_values.text(p).trimmed();
        if (!sql.contains(p.csValue))
            return sql;
        if (t.isEmpty())
            return QString();
        const QString names = m_values.shownText(p).trimmed();
        *shown = names.isEmpty() ? t : names;
        return sql.replace(p.csValue, valueMarker(t, caption));
    }
    if (kind == QStringLiteral("数字型")) {
        const QString t = m_values.text(p).trimmed();
        if (t.isEmpty())
            return QString();
        if (!SqlValuePlacement::isPlainNumber(t)) {
            *error = QStringLiteral("“%1”的值“%2”不是数字，查询没有执行。").arg(caption, t);
            return QString();
        }
        *shown = t;
        return sql.replace(p.csValue, t);
    }
    return QString();
}

QString QueryComposer::crossTableColumns(const ReportParam &p, int *k)
{
    QString list = ExtractListSql(p.csList);
    const std::optional<DateRange> range = m_values.panelDateRange();
    if (p.csList.contains(QLatin1String("[:")) && range)
        list = BuildDateListSql(p.csList, range->from, range->to);
    QString columns;
    if (list.isEmpty() || !m_lists)
        return columns;
    for (const ListValue &row : m_lists(list)) {
        const QString v = row.days ? DateRangeSql(true, row.days->from, row.days->to)
                                   : valueMarker(row.text, p.csName);
        QString column = p.csSql;
        column.replace(p.csValue, v);
        columns += QStringLiteral(", (") + column + QStringLiteral(") as ") + crossTableAlias(*k);
        ++*k;
    }
    return columns;
}

ComposedQuery QueryComposer::ComposeSql()
{
    ComposedQuery out;
    bool forged = holdsMarker(m_def.sql) || holdsMarker(m_modeArg);
    for (const ReportParam &p : m_params)
        forged = forged || holdsMarker(p.csSql) || holdsMarker(p.csList);
    if (forged) {
        out.error = QStringLiteral("查询语句中有不能使用的控制字符，查询没有执行。");
        return out;
    }
    m_markers.clear();
    m_textEntered = false;
    m_hasLastDate = false;
    QString s = m_def.sql;

    if (m_def.hasCrossTables()) {
        int k = 0;
        for (const ReportParam &p : m_params) {
            if (p.isCrossTable())
                s.replace(p.csValue, crossTableColumns(p, &k));
        }
    }

    for (const ReportParam &p : m_params) {
        if (p.isCrossTable() || p.isCategorySource())
            continue;
        QString shown;
        const QString cond = condition(p, &shown, &out.error);
        if (!out.error.isEmpty())
            return out;
        if (!shown.isEmpty()) {
            out.conditionText += QLatin1Char(' ') + m_values.labelCaption(p) + shown;
            if (p.csName.contains(QLatin1String("[LASTDAY]"))) {
                out.conditionText += QStringLiteral(" 营业期间：");
                if (m_hasLastDate)
                    out.conditionText +=
                        m_lastDate.addDays(-1).toString(QStringLiteral("yyyy-MM-dd 04:00")) +
                        QStringLiteral("至") +
                        m_lastDate.toString(QStringLiteral("yyyy-MM-dd 04:00"));
            }
        }
        s.replace(p.csValue, cond);
    }

    if (m_def.hasCategoryTree()) {
        // Without a chosen category, as with the root, nothing is filtered; the placeholder
        // must not reach the database.
        for (const ReportParam &p : m_params) {
            if (!p.isCategorySource())
                continue;
            QString cond = !m_category.selected || m_category.root ? QString() : p.csSql;
            cond.replace(p.csValue, m_category.idList);
            s.replace(p.csValue, cond);
        }
    }

    if (m_def.textConditionRequired() && !m_textEntered) {
        out.error = QStringLiteral("请至少输入一个查询条件！");
        return out;
    }

    const qsizetype filter = m_modeArg.toUpper().indexOf(QLatin1String("FILTER:"));
    if (filter >= 0) {
        QString suffix = m_modeArg.mid(filter + 7);
        const qsizetype semicolon = suffix.indexOf(u';');
        if (semicolon >= 0)
            suffix = suffix.left(semicolon);
        s += suffix;
    }

    s = resolveMarkers(s, &out.error);
    if (out.error.isEmpty())
        out.sql = s;
    return out;
}

}  // namespace tavi
