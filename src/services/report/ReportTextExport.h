#pragma once

#include <QString>
#include <QStringList>
#include <vector>

namespace tavi {

class ReportGridModel;

/// What the result grid shows, as rows of texts: the titles (both levels joined by "|"), the
/// cells in their display formats, then the footer row.
class ReportTextExport
{
public:
    explicit ReportTextExport(const ReportGridModel &model);

    const QStringList &header() const { return m_header; }
    const std::vector<QStringList> &rows() const { return m_rows; }
    const QStringList &footer() const { return m_footer; }

    /// UTF-8 CSV with a byte-order mark and RFC 4180 quoting.
    QByteArray toCsv() const;

private:
    QStringList m_header;
    std::vector<QStringList> m_rows;
    QStringList m_footer;
};

}  // namespace tavi
