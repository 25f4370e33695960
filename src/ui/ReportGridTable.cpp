#include "ReportGridTable.h"

#include "ReportGridDelegate.h"
#include "ReportGridHeader.h"
#include "ReportGridRowIndicator.h"

#include <QKeyEvent>

namespace tavi {

ReportGridTable::ReportGridTable(QWidget *parent)
    : QTableView(parent),
      m_titles(new ReportGridHeader(this)),
      m_indicator(new ReportGridRowIndicator(this))
{
    m_titles->setObjectName(QStringLiteral("titles"));
    m_indicator->setObjectName(QStringLiteral("indicator"));
    setHorizontalHeader(m_titles);
    // The table hides the marker unless it sorts by itself; here the model sorts.
    m_titles->setSortIndicatorShown(true);
    setVerticalHeader(m_indicator);
    setItemDelegate(new ReportGridDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows may be chosen for a copy; the current row stays the record.
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setAlternatingRowColors(true);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setCornerButtonEnabled(false);

    QPalette pal = palette();
    pal.setColor(QPalette::AlternateBase, QColor(245, 248, 247));
    // The selected row stays as visible as with focus.
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    setPalette(pal);
}

void ReportGridTable::setModel(QAbstractItemModel *model)
{
    QItemSelectionModel *previous = selectionModel();
    QTableView::setModel(model);
    if (previous && previous != selectionModel())
        previous->deleteLater();
    if (selectionModel()) {
        connect(selectionModel(), &QItemSelectionModel::currentRowChanged, m_indicator,
                [this] { m_indicator->viewport()->update(); });
    }
}

void ReportGridTable::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F && event->modifiers() == Qt::ControlModifier) {
        event->accept();
        Q_EMIT findRequested();
        return;
    }
    if (event->matches(QKeySequence::Copy)) {
        event->accept();
        Q_EMIT copyRequested();
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        // Taken here so that Enter never reaches a dialog's default button.
        event->accept();
        moveToNextCell();
        return;
    }
    QTableView::keyPressEvent(event);
}

void ReportGridTable::moveToNextCell()
{
    const QAbstractItemModel *m = model();
    if (!m || m->rowCount() == 0 || m->columnCount() == 0)
        return;
    const QModelIndex current = currentIndex();
    if (!current.isValid()) {
        setCurrentIndex(m->index(0, 0));
        return;
    }
    int row = current.row();
    int column = current.column() + 1;
    if (column >= m->columnCount()) {
        column = 0;
        ++row;
    }
    if (row >= m->rowCount())
        return;
    setCurrentIndex(m->index(row, column));
}

void ReportGridTable::updateGeometries()
{
    QTableView::updateGeometries();
    Q_EMIT geometriesUpdated();
}

}  // namespace tavi
