#pragma once

#include "services/RoomStatePlan.h"
#include "ui/BaseFrm.h"

class QDateEdit;
class QLabel;
class QTableWidget;
class QToolButton;

namespace tavi {

class ToolBar;

/// The future room states: the host's rooms against the 30 days after a picked date, with each
/// room's state on each day where the host configured a statement for them.
class TfrmFT : public TfrmBase
{
    Q_OBJECT

public:
    explicit TfrmFT(QWidget *parent = nullptr);

    /// Number of day columns.
    static constexpr int kDays = 30;
    /// The one character of a weekday as the header shows it ("日" Sunday … "六" Saturday).
    static QString weekdayText(const QDate &date);
    /// The colour of a state; the same state always has the same colour.
    static QColor stateColor(const QString &state, int order);

    QDate startDate() const;
    /// The picked date; today when the window is shown without one.
    void setStartDate(const QDate &date);
    /// Two header rows (day of month, weekday) over the days after the start date, and one row
    /// per room with its states.
    void buildGrid();
    QTableWidget *grid() const { return m_grid; }
    const RoomStatePlan &plan() const { return m_plan; }

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showLegend();

    ToolBar *m_toolBar = nullptr;
    QDateEdit *m_date = nullptr;
    QTableWidget *m_grid = nullptr;
    QLabel *m_legend = nullptr;
    RoomStatePlan m_plan;
    bool m_shown = false;
    /// Without a date from the opener the view starts today.
    bool m_dateSet = false;
};

}  // namespace tavi
