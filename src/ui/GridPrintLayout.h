#pragma once

#include <QDateTime>
#include <QString>
#include <vector>

class QPainter;
class QPrinter;

namespace tavi {

class ReportGridModel;

/// The printout of a result grid: margins of 1.5 cm, the office and report name above every
/// page, the condition above the grid, both title levels on every page, rows never cut across
/// pages, the totals on the last page, and "制表人…制表时间…" and "第N页   共M页" below. A grid
/// wider than the paper is scaled down to the paper's width, so no column is ever cut off.
class GridPrintLayout
{
public:
    struct Texts
    {
        /// Centre of the page header: the office name followed by the window caption.
        QString title;
        /// Printed above the grid on the first page.
        QString condition;
        QString userName;
        /// When printing started; shown in the footer.
        QDateTime printedAt;
    };

    GridPrintLayout(const ReportGridModel &model, Texts texts);

    /// Landscape when the columns' widths add up to 666 pixels or more.
    bool landscape() const;
    /// Lays out and paints every page on `printer`; returns the number of pages.
    int paint(QPrinter &printer) const;

    /// The left part of the page footer.
    QString footerLeft() const;
    /// The right part of the page footer.
    static QString pageText(int page, int pages);

private:
    struct Page
    {
        int firstRow = 0;
        int rows = 0;
        bool totals = false;
    };
    std::vector<Page> paginate(double pageHeight) const;
    void paintPage(QPainter &painter, const Page &page, int number, int pages, double width,
                   double height) const;
    double titleHeight() const;
    bool hasTotals() const;

    const ReportGridModel &m_model;
    Texts m_texts;
};

}  // namespace tavi
