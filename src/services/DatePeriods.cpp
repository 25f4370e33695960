#include "DatePeriods.h"

#include "Clock.h"
#include "Session.h"

namespace tavi {

namespace {

// A business-day time of the system parameters; `name` names the parameter in the error.
QTime timeOfDay(const QString &text, const char *name)
{
    if (text.trimmed().isEmpty())
        return QTime(0, 0);
    for (const char *format : {"H:mm", "H:mm:ss", "H:m"}) {
        const QTime t = QTime::fromString(text.trimmed(), QLatin1String(format));
        if (t.isValid())
            return t;
    }
    throw PeriodError(QStringLiteral("营业日时间参数 %1 的值“%2”不是有效的时间（应为 时:分）。")
                          .arg(QLatin1String(name), text)
                          .toStdString());
}

QDate firstOfQuarter(const QDate &d)
{
    return QDate(d.year(), (d.month() - 1) / 3 * 3 + 1, 1);
}

// Sunday on or before a date; Qt numbers Monday 1 … Sunday 7.
QDate sundayOf(const QDate &d)
{
    return d.addDays(-(d.dayOfWeek() % 7));
}

QDate baseStart(int kind, const QDate &today)
{
    switch (kind) {
    case 2:
        return today.addDays(-1);
    case 3:
        return QDate(today.year(), today.month(), 1);
    case 4: {
        const QDate previous = today.addMonths(-1);
        return QDate(previous.year(), previous.month(), 1);
    }
    case 5:
        return sundayOf(today);
    case 6:
        return sundayOf(today).addDays(-7);
    case 7:
        return firstOfQuarter(today);
    case 8:
        return firstOfQuarter(today).addMonths(-3);
    case 9:
        return QDate(today.year(), 1, 1);
    case 10:
        return QDate(today.year() - 1, 1, 1);
    default:
        return today;
    }
}

QDate baseEnd(int kind, const QDate &today)
{
    switch (kind) {
    case 2:
        return today.addDays(-1);
    case 4: {
        const QDate previous = today.addMonths(-1);
        return QDate(previous.year(), previous.month(), previous.daysInMonth());
    }
    case 6:
        return sundayOf(today).addDays(-1);
    case 7:
        return firstOfQuarter(today).addMonths(3).addDays(-1);
    case 8:
        return firstOfQuarter(today).addDays(-1);
    case 9:
        return QDate(today.year(), 12, 31);
    case 10:
        return QDate(today.year() - 1, 12, 31);
    default:
        return today;
    }
}

}  // namespace

QDateTime PeriodStart(int kind)
{
    const QTime time = timeOfDay(session().GDt_BBT1, "GDt_BBT1");
    return QDateTime(baseStart(kind, Clock::today()).addDays(-session().GInt_BBT1), time);
}

QDateTime PeriodEnd(int kind)
{
    const QTime time = timeOfDay(session().GDt_BBT2, "GDt_BBT2");
    const QDate end = baseEnd(kind, Clock::today());
    return QDateTime(session().GInt_BBT2 == 2 ? end.addDays(1) : end.addDays(-session().GInt_BBT2),
                     time);
}

QString DateRangeSql(bool withTime, const QDateTime &start, const QDateTime &end)
{
    if (session().SysInfo.DbType != 0) {
        return QLatin1Char('\'') +
               start.toString(withTime ? QStringLiteral("yyyy-MM-dd HH:mm:00")
                                       : QStringLiteral("yyyy-MM-dd 00:00:00")) +
               QStringLiteral("' and '") +
               end.toString(withTime ? QStringLiteral("yyyy-MM-dd HH:mm:59")
                                     : QStringLiteral("yyyy-MM-dd 23:59:59")) +
               QLatin1Char('\'');
    }
    return QStringLiteral(" #") +
           start.toString(withTime ? QStringLiteral("MM-dd-yyyy HH:mm:00")
                                   : QStringLiteral("MM-dd-yyyy 00:00:00")) +
           QStringLiteral("# and #") +
           end.toString(withTime ? QStringLiteral("MM-dd-yyyy HH:mm:59")
                                 : QStringLiteral("MM-dd-yyyy 23:59:59")) +
           QLatin1Char('#');
}

QDateTime CalendarBound(int kind, const QDateTime &date)
{
    const QDate d = date.date();
    const QTime t = date.time();
    const QTime wholeSecond = QTime(t.hour(), t.minute(), t.second());
    switch (kind) {
    case 1:
        return QDateTime(QDate(d.year(), d.month(), 1), t);
    case 2:
        return QDateTime(QDate(d.year(), d.month(), d.daysInMonth()), t);
    case 3:
        return QDateTime(QDate(d.year(), 1, 1), wholeSecond);
    case 4:
        return QDateTime(QDate(d.year(), 12, 31), wholeSecond);
    default:
        return date;
    }
}

}  // namespace tavi
