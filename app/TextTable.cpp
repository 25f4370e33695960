#include "TextTable.h"

namespace tavi::app {

int TextTable::displayWidth(const QString &text)
{
    int width = 0;
    for (const QChar c : text)
        width += c.unicode() >= 0x1100 && !c.isLowSurrogate() ? 2 : 1;
    return width;
}

QString TextTable::toString() const
{
    std::vector<int> widths(size_t(m_header.size()), 0);
    const auto measure = [&](const QStringList &row) {
        for (qsizetype i = 0; i < row.size() && i < m_header.size(); ++i)
            widths[size_t(i)] = std::max(widths[size_t(i)], displayWidth(row[i]));
    };
    measure(m_header);
    for (const QStringList &row : m_rows)
        measure(row);
    const auto line = [&](const QStringList &row) -> QString {
        QString out;
        for (qsizetype i = 0; i < m_header.size(); ++i) {
            const QString cell = i < row.size() ? row[i] : QString();
            if (i > 0)
                out += QStringLiteral(" | ");
            out += cell;
            if (i + 1 < m_header.size())
                out += QString(widths[size_t(i)] - displayWidth(cell), u' ');
        }
        return out + QLatin1Char('\n');
    };
    QString out = line(m_header);
    for (qsizetype i = 0; i < m_header.size(); ++i) {
        if (i > 0)
            out += QStringLiteral("-+-");
        out += QString(widths[size_t(i)], u'-');
    }
    out += QLatin1Char('\n');
    for (const QStringList &row : m_rows)
        out += line(row);
    return out;
}

}  // namespace tavi::app
