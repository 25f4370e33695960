#include "ReportGridHeader.h"

#include "services/report/ReportGridModel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QStyleOptionHeader>
#include <algorithm>

namespace tavi {

ReportGridHeader::ReportGridHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    setSectionsClickable(true);
    setSectionsMovable(true);
    setSortIndicatorShown(true);
    setSortIndicator(-1, Qt::AscendingOrder);
    setHighlightSections(false);
    setStretchLastSection(false);
    setSectionResizeMode(QHeaderView::Interactive);
    // Stored widths go down to 20 pixels and must stay as stored.
    setMinimumSectionSize(8);
    setDefaultAlignment(Qt::AlignCenter);
}

ReportGridModel *ReportGridHeader::gridModel() const
{
    return qobject_cast<ReportGridModel *>(model());
}

QSize ReportGridHeader::sizeHint() const
{
    const ReportGridModel *m = gridModel();
    const int lines = m && m->twoLevelTitles() ? 2 : 1;
    return QSize(QHeaderView::sizeHint().width(), kLineHeight * lines);
}

QSize ReportGridHeader::sectionSizeFromContents(int logicalIndex) const
{
    QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    const ReportGridModel *m = gridModel();
    if (!m)
        return size;
    const QString lower =
        m->headerData(logicalIndex, Qt::Horizontal, ReportGridModel::LowerTitleRole).toString();
    // paintTitle keeps 2 pixels each side and room for the marker; one more keeps clear of
    // eliding on rounding.
    const int needed = fontMetrics().horizontalAdvance(lower) + 4 + kMarkerWidth + 2 + 1;
    size.setWidth(std::max(size.width(), needed));
    return size;
}

void ReportGridHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    const ReportGridModel *m = gridModel();
    if (!m)
        return;
    const QString upper =
        m->headerData(logicalIndex, Qt::Horizontal, ReportGridModel::UpperTitleRole).toString();
    const QString lower =
        m->headerData(logicalIndex, Qt::Horizontal, ReportGridModel::LowerTitleRole).toString();
    const bool marked = isSortIndicatorShown() && logicalIndex == sortIndicatorSection();
    if (!m->twoLevelTitles() || upper.isEmpty()) {
        paintTitle(painter, rect, logicalIndex, lower, marked);
        return;
    }

    const QRect top(rect.left(), rect.top(), rect.width(), kLineHeight);
    const QRect bottom(rect.left(), top.bottom() + 1, rect.width(), rect.height() - kLineHeight);
    paintTitle(painter, bottom, logicalIndex, lower, marked);

    // Every section of a span paints its part of one shared cell, so partial repaints and
    // horizontal scrolling keep the cell whole.
    const auto [first, count] = m->upperTitleSpan(logicalIndex);
    const int last = first + count - 1;
    const int left = sectionViewportPosition(first);
    const int right = sectionViewportPosition(last) + sectionSize(last);
    painter->save();
    painter->setClipRect(top, Qt::IntersectClip);
    paintTitle(painter, QRect(left, rect.top(), right - left, kLineHeight), first, upper, false);
    painter->restore();
}

void ReportGridHeader::paintTitle(QPainter *painter, const QRect &rect, int logicalIndex,
                                  const QString &text, bool marked) const
{
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.section = logicalIndex;
    opt.position = QStyleOptionHeader::Middle;
    opt.sortIndicator = QStyleOptionHeader::None;
    opt.state |= QStyle::State_Raised;
    if (isEnabled())
        opt.state |= QStyle::State_Enabled;
    style()->drawControl(QStyle::CE_HeaderSection, &opt, painter, this);

    // The style's own sort arrow shrinks to nothing in an 18-pixel line, so the marker is a
    // triangle of its own at the right end of the title.
    QRect textRect = rect.adjusted(2, 0, -2, 0);
    if (marked)
        textRect.setRight(textRect.right() - kMarkerWidth - 2);
    opt.rect = textRect;
    opt.text = painter->fontMetrics().elidedText(text, Qt::ElideRight, textRect.width());
    opt.textAlignment = Qt::AlignCenter;
    style()->drawControl(QStyle::CE_HeaderLabel, &opt, painter, this);
    if (!marked)
        return;

    const qreal x = rect.right() - 2 - kMarkerWidth;
    const qreal y = rect.center().y() + 0.5;
    QPolygonF triangle;
    if (sortIndicatorOrder() == Qt::AscendingOrder)
        triangle << QPointF(x, y + 2.5) << QPointF(x + kMarkerWidth - 1, y + 2.5)
                 << QPointF(x + (kMarkerWidth - 1) / 2.0, y - 2.5);
    else
        triangle << QPointF(x, y - 2.5) << QPointF(x + kMarkerWidth - 1, y - 2.5)
                 << QPointF(x + (kMarkerWidth - 1) / 2.0, y + 2.5);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette().color(QPalette::ButtonText));
    painter->drawPolygon(triangle);
    painter->restore();
}

bool ReportGridHeader::nearSectionEdge(int x) const
{
    const int margin = style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, this);
    return logicalIndexAt(x - margin) != logicalIndexAt(x + margin);
}

void ReportGridHeader::mousePressEvent(QMouseEvent *event)
{
    const ReportGridModel *m = gridModel();
    const int x = event->position().toPoint().x();
    const int section = logicalIndexAt(x);
    // The tick column's title is no button; their edges still resize.
    if (m && section >= 0 && m->column(section).checkColumn && !nearSectionEdge(x)) {
        event->accept();
        return;
    }
    QHeaderView::mousePressEvent(event);
}

}  // namespace tavi
