#pragma once

#include <QStyledItemDelegate>

namespace tavi {

/// Cell painting of the result grid; a click anywhere in a tick cell toggles the tick.
class ReportGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;
};

}  // namespace tavi
