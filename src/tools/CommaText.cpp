#include "CommaText.h"

namespace tavi {

namespace {

bool needsQuotes(const QString &item)
{
    for (const QChar c : item) {
        if (c.unicode() <= 32 || c == u',' || c == u'"')
            return true;
    }
    return false;
}

}  // namespace

QString CommaText::join(const QStringList &items)
{
    if (items.size() == 1 && items.first().isEmpty())
        return QStringLiteral("\"\"");
    QStringList out;
    out.reserve(items.size());
    for (const QString &item : items) {
        if (!needsQuotes(item)) {
            out << item;
            continue;
        }
        QString quoted = item;
        quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
        out << QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    return out.join(QLatin1Char(','));
}

QStringList CommaText::split(const QString &text)
{
    QStringList items;
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto skipBlanks = [&] {
        while (i < n && text[i].unicode() <= 32)
            ++i;
    };
    skipBlanks();
    while (i < n) {
        QString item;
        if (text[i] == u'"') {
            ++i;
            while (i < n) {
                if (text[i] == u'"') {
                    if (i + 1 < n && text[i + 1] == u'"') {
                        item += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            while (i < n && text[i] != u',' && text[i].unicode() > 32)
                item += text[i++];
        }
        items << item;
        skipBlanks();
        if (i < n && text[i] == u',') {
            ++i;
            skipBlanks();
            // A trailing comma stands for one more, empty, item.
            if (i >= n)
                items << QString();
        }
    }
    return items;
}

}  // namespace tavi
