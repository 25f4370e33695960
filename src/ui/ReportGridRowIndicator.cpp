#include "ReportGridRowIndicator.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QPolygon>
#include <QStyleOptionHeader>

namespace tavi {

ReportGridRowIndicator::ReportGridRowIndicator(QWidget *parent) : QHeaderView(Qt::Vertical, parent)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    setMinimumSectionSize(1);
    setDefaultSectionSize(20);
    setSectionResizeMode(QHeaderView::Fixed);
    setFixedWidth(kWidth);
}

QSize ReportGridRowIndicator::sizeHint() const
{
    return QSize(kWidth, QHeaderView::sizeHint().height());
}

void ReportGridRowIndicator::paintSection(QPainter *painter, const QRect &rect,
                                          int logicalIndex) const
{
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.section = logicalIndex;
    opt.state |= QStyle::State_Enabled | QStyle::State_Raised;
    style()->drawControl(QStyle::CE_HeaderSection, &opt, painter, this);

    const auto *view = qobject_cast<const QAbstractItemView *>(parentWidget());
    if (!view || view->currentIndex().row() != logicalIndex)
        return;
    const QPoint c = rect.center();
    const QPolygon arrow(
        {QPoint(c.x() - 2, c.y() - 4), QPoint(c.x() + 2, c.y()), QPoint(c.x() - 2, c.y() + 4)});
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette().color(QPalette::WindowText));
    painter->drawPolygon(arrow);
    painter->restore();
}

}  // namespace tavi
