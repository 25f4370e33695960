#include "ReportTextExport.h"

#include "ReportGridModel.h"

namespace tavi {

namespace {

QString csvField(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n') &&
        !text.contains(u'\r'))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString csvLine(const QStringList &fields)
{
    QStringList out;
    for (const QString &f : fields)
        out << csvField(f);
    return out.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

}  // namespace

ReportTextExport::ReportTextExport(const ReportGridModel &model)
{
    for (int c = 0; c < model.columnCount(); ++c) {
        const ReportColumn &column = model.column(c);
        m_header << (column.upperTitle.isEmpty()
                         ? column.lowerTitle
                         : column.upperTitle + QLatin1Char('|') + column.lowerTitle);
        m_footer << model.footerText(c);
    }
    for (int r = 0; r < model.rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < model.columnCount(); ++c) {
            const QModelIndex index = model.index(r, c);
            if (model.column(c).checkColumn)
                row << (model.data(index, Qt::CheckStateRole).toInt() == Qt::Checked
                            ? QStringLiteral("是")
                            : QStringLiteral("否"));
            else
                row << model.data(index, Qt::DisplayRole).toString();
        }
        m_rows.push_back(row);
    }
}

QByteArray ReportTextExport::toCsv() const
{
    QString text = csvLine(m_header);
    for (const QStringList &row : m_rows)
        text += csvLine(row);
    text += csvLine(m_footer);
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

}  // namespace tavi
