#pragma once

#include <QHeaderView>

namespace tavi {

/// The narrow column left of the rows that marks the current row with an arrow.
class ReportGridRowIndicator : public QHeaderView
{
    Q_OBJECT

public:
    static constexpr int kWidth = 12;

    explicit ReportGridRowIndicator(QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
};

}  // namespace tavi
