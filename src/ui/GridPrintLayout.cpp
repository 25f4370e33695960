#include "GridPrintLayout.h"

#include "services/report/ReportGridModel.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

namespace tavi {

namespace {

// Sizes in the grid's pixels (1/96 inch).
constexpr double kHeaderHeight = 36;
constexpr double kConditionHeight = 20;
constexpr double kTitleRowHeight = 22;
constexpr double kRowHeight = 20;
constexpr double kFooterHeight = 24;
constexpr double kPadding = 3;
constexpr int kLandscapeWidth = 666;

const QColor kLine(160, 160, 160);
const QColor kTitleBack(240, 240, 240);
const QColor kAlternateBack(245, 248, 247);

QFont songti(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("宋体"));
    f.setFamilies(
        {QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei")});
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

int gridWidth(const ReportGridModel &model)
{
    int width = 0;
    for (int c = 0; c < model.columnCount(); ++c)
        width += model.column(c).width;
    return width;
}

void cell(QPainter &painter, const QRectF &rect, const QString &text, Qt::Alignment align,
          const QColor &back)
{
    if (back.isValid())
        painter.fillRect(rect, back);
    painter.setPen(kLine);
    painter.drawRect(rect);
    if (text.isEmpty())
        return;
    painter.setPen(Qt::black);
    const QRectF inner = rect.adjusted(kPadding, 0, -kPadding, 0);
    const QString shown =
        QFontMetricsF(painter.font()).elidedText(text, Qt::ElideRight, inner.width());
    painter.drawText(inner, int(align | Qt::AlignVCenter | Qt::TextSingleLine), shown);
}

}  // namespace

GridPrintLayout::GridPrintLayout(const ReportGridModel &model, Texts texts)
    : m_model(model), m_texts(std::move(texts))
{}

bool GridPrintLayout::landscape() const
{
    return gridWidth(m_model) >= kLandscapeWidth;
}

QString GridPrintLayout::footerLeft() const
{
    return QStringLiteral("制表人：") + m_texts.userName + QStringLiteral("  制表时间：") +
           m_texts.printedAt.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString GridPrintLayout::pageText(int page, int pages)
{
    return QStringLiteral("第%1页   共%2页").arg(page).arg(pages);
}

double GridPrintLayout::titleHeight() const
{
    bool upper = false;
    for (int c = 0; c < m_model.columnCount() && m_model.twoLevelTitles(); ++c)
        upper = upper || !m_model.column(c).upperTitle.isEmpty();
    return upper ? 2 * kTitleRowHeight : kTitleRowHeight;
}

bool GridPrintLayout::hasTotals() const
{
    for (int c = 0; c < m_model.columnCount(); ++c) {
        if (m_model.column(c).footer != ReportColumn::Footer::None)
            return true;
    }
    return false;
}

std::vector<GridPrintLayout::Page> GridPrintLayout::paginate(double pageHeight) const
{
    const double body = pageHeight - kHeaderHeight - kFooterHeight - titleHeight();
    const auto capacity = [&](size_t index) {
        const double room =
            body - (index == 0 && !m_texts.condition.isEmpty() ? kConditionHeight : 0);
        return std::max(1, int(room / kRowHeight));
    };
    std::vector<Page> pages;
    const int rows = m_model.rowCount();
    int next = 0;
    do {
        Page page{next, std::min(capacity(pages.size()), rows - next), false};
        next += page.rows;
        pages.push_back(page);
    } while (next < rows);
    if (hasTotals()) {
        if (pages.back().rows < capacity(pages.size() - 1))
            pages.back().totals = true;
        else
            pages.push_back({rows, 0, true});
    }
    return pages;
}

int GridPrintLayout::paint(QPrinter &printer) const
{
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(&printer))
        return 0;
    const QRectF paper = printer.pageLayout().paintRectPixels(printer.resolution());
    const double unit = printer.resolution() / 96.0;
    const double paperWidth = paper.width() / unit;
    const int width = std::max(1, gridWidth(m_model));
    const double fit = width > paperWidth ? paperWidth / width : 1.0;
    painter.scale(unit * fit, unit * fit);
    const double pageWidth = paperWidth / fit;
    const double pageHeight = paper.height() / unit / fit;

    const std::vector<Page> pages = paginate(pageHeight);
    for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0 && !printer.newPage())
            return int(i);
        paintPage(painter, pages[i], int(i) + 1, int(pages.size()), pageWidth, pageHeight);
    }
    painter.end();
    return int(pages.size());
}

void GridPrintLayout::paintPage(QPainter &painter, const Page &page, int number, int pages,
                                double width, double height) const
{
    painter.setFont(songti(19, true));
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, 0, width, kHeaderHeight), Qt::AlignCenter, m_texts.title);
    double y = kHeaderHeight;
    const QFont text = songti(12);
    painter.setFont(text);
    if (number == 1 && !m_texts.condition.isEmpty()) {
        painter.drawText(QRectF(0, y, width, kConditionHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         m_texts.condition);
        y += kConditionHeight;
    }

    const int columns = m_model.columnCount();
    std::vector<double> left(size_t(columns) + 1, 0);
    for (int c = 0; c < columns; ++c)
        left[size_t(c) + 1] = left[size_t(c)] + m_model.column(c).width;

    const double titles = titleHeight();
    const bool twoRows = titles > kTitleRowHeight;
    for (int c = 0; c < columns; ++c) {
        const ReportColumn &col = m_model.column(c);
        const double x = left[size_t(c)];
        if (twoRows && !col.upperTitle.isEmpty()) {
            const auto [first, span] = m_model.upperTitleSpan(c);
            if (first == c)
                cell(painter, QRectF(x, y, left[size_t(c + span)] - x, kTitleRowHeight),
                     col.upperTitle, Qt::AlignCenter, kTitleBack);
            cell(painter, QRectF(x, y + kTitleRowHeight, col.width, kTitleRowHeight),
                 col.lowerTitle, Qt::AlignCenter, kTitleBack);
        } else {
            cell(painter, QRectF(x, y, col.width, titles), col.lowerTitle, Qt::AlignCenter,
                 kTitleBack);
        }
    }
    y += titles;

    for (int r = page.firstRow; r < page.firstRow + page.rows; ++r) {
        const QColor back = r % 2 ? kAlternateBack : QColor(Qt::white);
        for (int c = 0; c < columns; ++c) {
            const QModelIndex index = m_model.index(r, c);
            QString shown = m_model.data(index).toString();
            const QVariant check = m_model.data(index, Qt::CheckStateRole);
            if (check.isValid() && check.toInt() == Qt::Checked)
                shown = QStringLiteral("√");
            const auto align = Qt::Alignment(m_model.data(index, Qt::TextAlignmentRole).toInt() &
                                             Qt::AlignHorizontal_Mask);
            cell(painter, QRectF(left[size_t(c)], y, m_model.column(c).width, kRowHeight), shown,
                 align, back);
        }
        y += kRowHeight;
    }
    if (page.totals) {
        for (int c = 0; c < columns; ++c)
            cell(painter, QRectF(left[size_t(c)], y, m_model.column(c).width, kRowHeight),
                 QString(), Qt::AlignLeft, kTitleBack);
        painter.setPen(Qt::black);
        for (int c = 0; c < columns; ++c) {
            const QString total = m_model.footerText(c);
            if (total.isEmpty())
                continue;
            // As in the grid, a count wider than its column runs on over the empty footers.
            const bool count = m_model.column(c).footer == ReportColumn::Footer::Count;
            int last = c;
            while (count && last + 1 < columns && m_model.footerText(last + 1).isEmpty())
                ++last;
            const QRectF inner =
                QRectF(left[size_t(c)], y, left[size_t(last) + 1] - left[size_t(c)], kRowHeight)
                    .adjusted(kPadding, 0, -kPadding, 0);
            painter.drawText(
                inner,
                int((count ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter |
                    Qt::TextSingleLine),
                QFontMetricsF(painter.font()).elidedText(total, Qt::ElideRight, inner.width()));
        }
    }

    const QRectF footer(0, height - kFooterHeight, width, kFooterHeight);
    painter.setPen(Qt::black);
    painter.drawText(footer, Qt::AlignLeft | Qt::AlignBottom, footerLeft());
    painter.drawText(footer, Qt::AlignRight | Qt::AlignBottom, pageText(number, pages));
}

}  // namespace tavi
