#include "SqlMacros.h"

#include "DatePeriods.h"
#include "Messages.h"
#include "Session.h"
#include "Tdm.h"
#include "db/DbError.h"
#include "tools/CommaText.h"

#include <QRegularExpression>

namespace tavi {

namespace {

QString quoted(const QDateTime &dt, const char *format)
{
    return QLatin1Char('\'') + dt.toString(QLatin1String(format)) + QLatin1Char('\'');
}

// Labels whose month and day carry no leading zero; the rest of the pattern stands as it is.
QString dayLabel(const QDateTime &dt)
{
    return QStringLiteral("'%1月%2日'").arg(dt.date().month()).arg(dt.date().day());
}

QString monthLabel(const QDateTime &dt)
{
    return QStringLiteral("'%1年%2月'")
        .arg(dt.date().year() % 100, 2, 10, QLatin1Char('0'))
        .arg(dt.date().month());
}

QString yearLabel(const QDateTime &dt)
{
    return QStringLiteral("'%1年'").arg(dt.date().year(), 4, 10, QLatin1Char('0'));
}

// Calendar months are compared, not moments: a range that ends late on its last day must not
// gain a column for the day (month, year) after it.
int monthIndex(const QDateTime &dt)
{
    return dt.date().year() * 12 + dt.date().month() - 1;
}

}  // namespace

QString ExtractListSql(const QString &text)
{
    const qsizetype at = text.indexOf(QLatin1String("[SQL:"));
    if (at < 0)
        return QString();
    const QString rest = text.mid(at + 5);
    const qsizetype close = rest.indexOf(u']');
    return close < 0 ? rest : rest.left(close);
}

int DateListKind(const QString &text)
{
    const QString upper = text.toUpper();
    if (upper.contains(QLatin1String("[:DAYLIST:]")))
        return 0;
    if (upper.contains(QLatin1String("[:MONTHLIST:]")))
        return 1;
    if (upper.contains(QLatin1String("[:YEARLIST:]")))
        return 2;
    return -1;
}

QString BuildDateListSql(const QString &text, const QDateTime &start, const QDateTime &end)
{
    const qsizetype open = text.indexOf(QLatin1String("[:"));
    if (open < 0)
        return QString();
    QString name = text.mid(open + 2);
    const qsizetype close = name.indexOf(QLatin1String(":]"));
    if (close >= 0)
        name = name.left(close);
    name = name.toUpper();

    QDateTime cur = start;
    int i = 0;
    QString s;
    if (name == QLatin1String("DAYLIST")) {
        s = QStringLiteral("select ") + dayLabel(cur) +
            QStringLiteral(" as daylist, 0 as iIndex, ") + quoted(cur, "yyyy-MM-dd 00:00:00") +
            QStringLiteral(" as daystart, ") + quoted(cur, "yyyy-MM-dd 23:59:59") +
            QStringLiteral(" as dayend");
        while (cur.date() < end.date()) {
            cur = cur.addDays(1);
            ++i;
            s += QStringLiteral(" union select ") + dayLabel(cur) + QLatin1Char(',') +
                 QString::number(i) + QLatin1Char(',') + quoted(cur, "yyyy-MM-dd 00:00:00") +
                 QStringLiteral(", ") + quoted(cur, "yyyy-MM-dd 23:59:59");
        }
    } else if (name == QLatin1String("MONTHLIST")) {
        s = QStringLiteral("select ") + monthLabel(cur) +
            QStringLiteral(" as monthlist, 0 as iIndex, ") + quoted(cur, "yyyy-MM-01 00:00:00") +
            QStringLiteral(" as daystart, ") +
            quoted(CalendarBound(2, cur), "yyyy-MM-dd 23:59:59") + QStringLiteral(" as dayend");
        while (monthIndex(cur) < monthIndex(end)) {
            cur = cur.addMonths(1);
            ++i;
            s += QStringLiteral(" union select ") + monthLabel(cur) + QLatin1Char(',') +
                 QString::number(i) + QLatin1Char(',') + quoted(cur, "yyyy-MM-01 00:00:00") +
                 QStringLiteral(", ") + quoted(CalendarBound(2, cur), "yyyy-MM-dd 23:59:59") +
                 QLatin1Char(' ');
        }
    } else if (name == QLatin1String("YEARLIST")) {
        s = QStringLiteral("select ") + yearLabel(cur) +
            QStringLiteral(" as monthlist, 0 as iIndex, ") + quoted(cur, "yyyy-01-01 00:00:00") +
            QStringLiteral(" as daystart, ") +
            quoted(CalendarBound(4, cur), "yyyy-MM-dd 23:59:59") + QStringLiteral(" as dayend");
        while (cur.date().year() < end.date().year()) {
            cur = cur.addYears(1);
            ++i;
            s += QStringLiteral(" union select ") + yearLabel(cur) + QLatin1Char(',') +
                 QString::number(i) + QStringLiteral(", ") + quoted(cur, "yyyy-01-01 00:00:00") +
                 QStringLiteral(", ") + quoted(CalendarBound(4, cur), "yyyy-MM-dd 23:59:59") +
                 QLatin1Char(' ');
        }
    }
    if (s.isEmpty())
        return QString();
    return QStringLiteral("select * from (") + s + QStringLiteral(") aa order by iindex");
}

QString ResolveListItems(const QString &listText)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = listText.split(lineBreak);
    // A final line break ends the last line; it does not start an empty one.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    QStringList items;
    for (const QString &line : lines) {
        const QString sql = ExtractListSql(line);
        if (sql.isEmpty()) {
            items << line;
            continue;
        }
        try {
            db::Recordset query(&session().dm->adoConn);
            query.setSql(sql);
            query.open();
            for (query.first(); !query.eof(); query.next())
                items << db::Recordset::textOf(query.value(0));
        } catch (const db::DbError &) {
            MsgInfo(nullptr,
                    QStringLiteral("下拉框Sql语句") + sql + QStringLiteral("出错，请检查"));
            return QString();
        }
    }
    return CommaText::join(items);
}

}  // namespace tavi
