#include "DisplayFormat.h"

#include <QDateTime>
#include <cmath>
#include <cstdio>

namespace tavi {

namespace {

std::optional<QDateTime> momentOf(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QDateTime:
        return value.toDateTime();
    case QMetaType::QDate:
        return QDateTime(value.toDate(), QTime(0, 0));
    case QMetaType::QTime:
        // A bare time counts from day zero, as a date-time cell holding only a time would.
        return QDateTime(QDate(1899, 12, 30), value.toTime());
    default:
        return std::nullopt;
    }
}

}  // namespace

DisplayFormat::DisplayFormat(const QString &pattern)
    : m_empty(pattern.isEmpty()), m_number(pattern), m_dateTime(pattern)
{}

QString DisplayFormat::format(const QVariant &value, const QString &pattern)
{
    if (!value.isValid() || value.isNull())
        return QString();
    if (pattern.isEmpty())
        return plain(value);
    return DisplayFormat(pattern).text(value);
}

QString DisplayFormat::text(const QVariant &value) const
{
    if (!value.isValid() || value.isNull())
        return QString();
    if (m_empty)
        return plain(value);
    if (const std::optional<QDateTime> moment = momentOf(value)) {
        if (!moment->isValid())
            return plain(value);
        std::optional<QString> shown = m_dateTime.format(*moment);
        return shown ? *std::move(shown) : plain(value);
    }
    if (value.metaType().id() == QMetaType::Bool)
        return plain(value);
    std::optional<QString> shown = m_number.format(value);
    return shown ? *std::move(shown) : plain(value);
}

// The same text the data layer gives a value, so unformatted cells read alike everywhere.
QString DisplayFormat::plain(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (d == std::floor(d) && std::fabs(d) < 1e15)
            return QString::number(qint64(d));
        return QString::number(d, 'g', 15);
    }
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        int y = 0, mo = 0, d = 0;
        dt.date().getDate(&y, &mo, &d);
        if (!dt.isValid() || y < 1 || y > 9999) {
            if (dt.time() == QTime(0, 0))
                return dt.date().toString(QStringLiteral("yyyy-MM-dd"));
            return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        }
        // Digits written directly: grids and exports show many of these.
        const QTime t = dt.time();
        char buf[32];
        const int n = t == QTime(0, 0)
                          ? std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, mo, d)
                          : std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, mo,
                                          d, t.hour(), t.minute(), t.second());
        return QString::fromLatin1(buf, n);
    }
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    default:
        return value.toString();
    }
}

}  // namespace tavi
