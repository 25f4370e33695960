#pragma once

#include <QHeaderView>

namespace tavi {

class ReportGridModel;

/// Column titles of the result grid: one line, or two with shared upper cells; the titles of
/// sortable columns act as buttons that show the sort marker.
class ReportGridHeader : public QHeaderView
{
    Q_OBJECT

public:
    /// Height of one title line in pixels.
    static constexpr int kLineHeight = 18;

    explicit ReportGridHeader(QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    ReportGridModel *gridModel() const;
    void paintTitle(QPainter *painter, const QRect &rect, int logicalIndex, const QString &text,
                    bool marked) const;
    bool nearSectionEdge(int x) const;
};

}  // namespace tavi
