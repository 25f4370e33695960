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
    /// Width of the sort marker drawn at the right end of a title.
    static constexpr int kMarkerWidth = 9;

    explicit ReportGridHeader(QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    /// Wide enough for the whole lower title and the sort marker as this header paints them, so
    /// that a double-click on a title's edge shows the title uncut.
    QSize sectionSizeFromContents(int logicalIndex) const override;
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    ReportGridModel *gridModel() const;
    void paintTitle(QPainter *painter, const QRect &rect, int logicalIndex, const QString &text,
                    bool marked) const;
    bool nearSectionEdge(int x) const;
};

}  // namespace tavi
