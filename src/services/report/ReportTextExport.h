#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QIODevice;

namespace tavi {

class ReportGridModel;

/// What the result grid shows, as rows of texts: the titles (both levels joined by "|"), the
/// cells in their display formats, then the footer row. Rows are formatted as they are written,
/// so a large result is never held twice.
class ReportTextExport
{
public:
    explicit ReportTextExport(const ReportGridModel &model);

    const QStringList &header() const { return m_header; }
    int rowCount() const;
    /// The texts of one row of the grid.
    QStringList row(int index) const;
    /// Calls `take` with every row in grid order.
    void forEachRow(const std::function<void(const QStringList &)> &take) const;
    const QStringList &footer() const { return m_footer; }

    /// Writes UTF-8 CSV with a byte-order mark and RFC 4180 quoting; false when writing fails.
    bool writeCsv(QIODevice &out) const;
    QByteArray toCsv() const;

private:
    const ReportGridModel &m_model;
    QStringList m_header;
    QStringList m_footer;
};

}  // namespace tavi
