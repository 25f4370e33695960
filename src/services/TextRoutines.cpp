#include "TextRoutines.h"

#include "tools/Gbk.h"

#include <QRegularExpression>
#include <limits>

namespace tavi {

QString PadZeros(const QString &text, int width)
{
    const qsizetype bytes = Gbk::encode(text).size();
    if (bytes >= width)
        return text;
    const qsizetype zeros = std::min<qsizetype>(width - bytes, 35);
    return QString(zeros, u'0') + text;
}

QString IntToZeroStr(qint64 value, int width)
{
    return PadZeros(QString::number(value), width);
}

bool IsNumeric(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral(R"(^ *[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$)"));
    return number.match(text).hasMatch();
}

bool IsNumericVariant(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return false;
    if (value.metaType().id() == QMetaType::Double)
        return true;
    return IsNumeric(value.toString());
}

int StrToIntSafe(const QString &text, int defaultValue)
{
    static const QRegularExpression whole(QStringLiteral(R"(^ *[+-]?\d+$)"));
    if (!IsNumeric(text) || !whole.match(text).hasMatch())
        return defaultValue;
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    if (!ok || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return defaultValue;
    return int(v);
}

QString StripSpaces(const QString &text)
{
    QString s = text;
    s.remove(u' ');
    return s.trimmed();
}

QString TableNameFromSql(const QString &sql)
{
    const qsizetype from = sql.indexOf(QLatin1String(" FROM "), 0, Qt::CaseInsensitive);
    if (from < 0)
        return QString();
    const qsizetype start = from + 6;
    const qsizetype end = sql.indexOf(u' ', start);
    if (end < 0)
        return QString();
    return sql.mid(start, end - start).trimmed();
}

}  // namespace tavi
