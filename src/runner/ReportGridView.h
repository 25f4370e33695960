#pragma once

#include <QWidget>

class QTableView;

namespace tavi {

class ReportGridModel;

/// The result grid `dbGrid`: a table over the report's grid model with title buttons that sort,
/// two-level headers, a footer row that stays visible, the tick column of selection lists and
/// a find dialog (Ctrl+F).
class ReportGridView : public QWidget
{
    Q_OBJECT

public:
    explicit ReportGridView(QWidget *parent = nullptr);
    ~ReportGridView() override;

    /// Shows a model (not owned); columns, widths and footers follow it.
    void setModel(ReportGridModel *model);
    ReportGridModel *model() const;
    /// The table inside, for tests and keyboard focus.
    QTableView *table() const;

    /// Visible row of the current cell; -1 when none.
    int currentRow() const;
    void setCurrentRow(int row);

Q_SIGNALS:
    void rowDoubleClicked(int row);
    void currentRowChanged(int row);

private:
    struct Private;
    Private *d;
};

}  // namespace tavi
