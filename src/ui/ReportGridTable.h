#pragma once

#include <QTableView>

namespace tavi {

class ReportGridHeader;
class ReportGridRowIndicator;

/// The table part of the result grid: whole rows selected, read-only cells, Enter moving to
/// the next cell, Ctrl+F asking for the find dialog and Ctrl+C for a copy.
class ReportGridTable : public QTableView
{
    Q_OBJECT

public:
    /// Height of a row in pixels.
    static constexpr int kRowHeight = 20;

    explicit ReportGridTable(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;
    ReportGridHeader *titles() const { return m_titles; }
    ReportGridRowIndicator *indicator() const { return m_indicator; }

Q_SIGNALS:
    void findRequested();
    void copyRequested();
    /// Headers and scroll ranges were laid out again.
    void geometriesUpdated();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void updateGeometries() override;

private:
    void moveToNextCell();

    ReportGridHeader *m_titles;
    ReportGridRowIndicator *m_indicator;
};

}  // namespace tavi
