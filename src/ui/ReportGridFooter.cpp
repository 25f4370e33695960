#include "ReportGridFooter.h"

#include "services/report/ReportGridModel.h"

#include <QHeaderView>
#include <QPainter>
#include <QTableView>

namespace tavi {

ReportGridFooter::ReportGridFooter(QTableView *table, QWidget *parent)
    : QWidget(parent), m_table(table)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ReportGridFooter::setModel(ReportGridModel *model)
{
    m_model = model;
    update();
}

QSize ReportGridFooter::sizeHint() const
{
    return QSize(100, kHeight);
}

QSize ReportGridFooter::minimumSizeHint() const
{
    return sizeHint();
}

int ReportGridFooter::viewportLeft() const
{
    return mapFromGlobal(m_table->viewport()->mapToGlobal(QPoint(0, 0))).x();
}

QRect ReportGridFooter::cellRect(int column) const
{
    const QHeaderView *header = m_table->horizontalHeader();
    if (column < 0 || column >= header->count())
        return QRect();
    return QRect(viewportLeft() + header->sectionViewportPosition(column), 0,
                 header->sectionSize(column), height());
}

QString ReportGridFooter::text(int column) const
{
    return m_model ? m_model->footerText(column) : QString();
}

void ReportGridFooter::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Button));
    painter.setPen(pal.color(QPalette::Mid));
    painter.drawLine(0, 0, width() - 1, 0);

    const int left = viewportLeft();
    const int right = left + m_table->viewport()->width();
    if (left > 0)
        painter.drawLine(left - 1, 0, left - 1, height() - 1);
    if (!m_model)
        return;
    // Cells scrolled out to the left must not paint over the indicator part.
    painter.setClipRect(QRect(left, 0, right - left, height()));
    const QHeaderView *header = m_table->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (header->isSectionHidden(column))
            continue;
        const QRect cell = cellRect(column);
        if (cell.right() < left || cell.left() > right)
            continue;
        painter.setPen(pal.color(QPalette::Mid));
        painter.drawLine(cell.right(), 1, cell.right(), cell.bottom());
    }
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (header->isSectionHidden(column))
            continue;
        const QString footer = m_model->footerText(column);
        if (footer.isEmpty())
            continue;
        QRect cell = cellRect(column);
        const bool sum = m_model->column(column).footer == ReportColumn::Footer::Sum;
        // A count wider than its column runs on over the empty footers beside it, as a
        // spreadsheet shows a long text, instead of being cut off.
        const int needed = painter.fontMetrics().horizontalAdvance(footer) + 5;
        for (int next = visual + 1; !sum && cell.width() < needed && next < header->count();
             ++next) {
            const int nextColumn = header->logicalIndex(next);
            if (header->isSectionHidden(nextColumn))
                continue;
            if (!m_model->footerText(nextColumn).isEmpty())
                break;
            cell.setRight(cellRect(nextColumn).right());
            painter.fillRect(cell.adjusted(1, 1, -1, 0), pal.color(QPalette::Button));
        }
        if (cell.right() < left || cell.left() > right)
            continue;
        painter.setPen(pal.color(QPalette::ButtonText));
        painter.drawText(cell.adjusted(2, 1, -3, 0),
                         int((sum ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter), footer);
    }
}

}  // namespace tavi
