#pragma once

#include <QPointer>
#include <QWidget>

class QTableView;

namespace tavi {

class ReportGridModel;

/// The footer row under the grid's rows: totals and the row count, each under its column,
/// following column widths, moves and horizontal scrolling.
class ReportGridFooter : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kHeight = 20;

    /// A footer for the columns of `table`.
    explicit ReportGridFooter(QTableView *table, QWidget *parent = nullptr);

    void setModel(ReportGridModel *model);
    /// Where a column's footer cell is, in this widget's coordinates.
    QRect cellRect(int column) const;
    /// The text shown under a column.
    QString text(int column) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int viewportLeft() const;

    QTableView *m_table;
    QPointer<ReportGridModel> m_model;
};

}  // namespace tavi
