#include "IniFile.h"

#include "tools/Gbk.h"

#include <QFile>
#include <QStringConverter>

namespace tavi {

IniFile::IniFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QByteArray bytes = file.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = Gbk::decode(bytes);
    m_values = parse(text);
    m_loaded = true;
}

QHash<QString, QString> IniFile::parse(const QString &text)
{
    QHash<QString, QString> values;
    QString section;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            const qsizetype close = line.indexOf(u']');
            section = line.mid(1, close < 0 ? -1 : close - 1).trimmed().toLower();
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed().toLower();
        QString value = line.mid(eq + 1).trimmed();
        // The Windows reader drops one pair of enclosing quotes.
        if (value.size() >= 2 && ((value.startsWith(u'"') && value.endsWith(u'"')) ||
                                  (value.startsWith(u'\'') && value.endsWith(u'\''))))
            value = value.mid(1, value.size() - 2);
        const QString id = section + QLatin1Char('\n') + key;
        if (!values.contains(id))
            values.insert(id, value);
    }
    return values;
}

QString IniFile::value(const QString &section, const QString &key,
                       const QString &defaultValue) const
{
    const auto it = m_values.constFind(section.toLower() + QLatin1Char('\n') + key.toLower());
    return it == m_values.constEnd() ? defaultValue : it.value();
}

}  // namespace tavi
