#include "ReportTextExport.h"

#include "ReportGridModel.h"

#include <QBuffer>

namespace tavi {

namespace {

void appendCsvField(QString &line, const QString &text)
{
    bool quote = false;
    for (const QChar c : text) {
        if (c == u',' || c == u'"' || c == u'\n' || c == u'\r') {
            quote = true;
            break;
        }
    }
    if (!quote) {
        line += text;
        return;
    }
    line += QLatin1Char('"');
    for (const QChar c : text) {
        if (c == u'"')
            line += QLatin1Char('"');
        line += c;
    }
    line += QLatin1Char('"');
}

void appendCsvLine(QString &out, const QStringList &fields)
{
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += QLatin1Char(',');
        appendCsvField(out, fields[i]);
    }
    out += QLatin1String("\r\n");
}

}  // namespace

ReportTextExport::ReportTextExport(const ReportGridModel &model) : m_model(model)
{
    for (int c = 0; c < model.columnCount(); ++c) {
        const ReportColumn &column = model.column(c);
        m_header << (column.upperTitle.isEmpty()
                         ? column.lowerTitle
                         : column.upperTitle + QLatin1Char('|') + column.lowerTitle);
        m_footer << model.footerText(c);
    }
}

int ReportTextExport::rowCount() const
{
    return m_model.rowCount();
}

QStringList ReportTextExport::row(int index) const
{
    QStringList row;
    const int columns = m_model.columnCount();
    row.reserve(columns);
    for (int c = 0; c < columns; ++c) {
        const QModelIndex cell = m_model.index(index, c);
        if (m_model.column(c).checkColumn)
            row << (m_model.data(cell, Qt::CheckStateRole).toInt() == Qt::Checked
                        ? QStringLiteral("是")
                        : QStringLiteral("否"));
        else
            row << m_model.data(cell, Qt::DisplayRole).toString();
    }
    return row;
}

void ReportTextExport::forEachRow(const std::function<void(const QStringList &)> &take) const
{
    const int rows = rowCount();
    for (int r = 0; r < rows; ++r)
        take(row(r));
}

bool ReportTextExport::writeCsv(QIODevice &out) const
{
    // Written in blocks of about 64 KB: few writes, little held.
    constexpr qsizetype kBlock = 32 * 1024;
    QString text;
    text.reserve(kBlock + 1024);
    const auto flush = [&] {
        const QByteArray bytes = text.toUtf8();
        text.clear();
        return out.write(bytes) == bytes.size();
    };
    if (out.write("\xEF\xBB\xBF", 3) != 3)
        return false;
    appendCsvLine(text, m_header);
    const int rows = rowCount();
    for (int r = 0; r < rows; ++r) {
        appendCsvLine(text, row(r));
        if (text.size() >= kBlock && !flush())
            return false;
    }
    appendCsvLine(text, m_footer);
    return flush();
}

QByteArray ReportTextExport::toCsv() const
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    writeCsv(buffer);
    return bytes;
}

}  // namespace tavi
