#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace tavi::app {

/// Rows printed as an aligned text table; widths count a Chinese character as two columns.
class TextTable
{
public:
    explicit TextTable(QStringList header) : m_header(std::move(header)) {}
    void addRow(QStringList row) { m_rows.push_back(std::move(row)); }
    QString toString() const;

    /// Display width of a text on a terminal.
    static int displayWidth(const QString &text);

private:
    QStringList m_header;
    std::vector<QStringList> m_rows;
};

}  // namespace tavi::app
