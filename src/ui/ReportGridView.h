#pragma once

#include <QWidget>
#include <memory>

class QTableView;

namespace tavi {

class ReportFindDialog;
class ReportGridFooter;
class ReportGridModel;

/// The result grid `dbGrid`: a table over the report's grid model with title buttons that sort,
/// two-level headers, a footer row that stays visible, the tick column of selection lists and
/// a find dialog (Ctrl+F) and copying rows for a spreadsheet (Ctrl+C, or "复制" in the
/// context menu).
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

    /// The footer row under the rows.
    ReportGridFooter *footer() const;

    /// Visible row of the current cell; -1 when none. It is the result set's current record.
    int currentRow() const;
    void setCurrentRow(int row);

    /// Shows the find dialog (Ctrl+F), not modally.
    void showFindDialog();
    /// The find dialog once shown; nullptr before.
    ReportFindDialog *findDialog() const;
    /// Selects the next cell after the current one (before it when `upwards`) whose shown text
    /// contains `text`, going round past the last (first) row; a new search includes the current
    /// cell. Tells the user and returns false only when no cell holds the text.
    bool findNext(const QString &text, bool upwards = false);

    /// The selected rows (the current one when none is selected) as tab-separated text, titles
    /// first, cells as the grid shows them.
    QString selectionText() const;
    /// Puts `selectionText()` on the clipboard.
    void copySelection();

Q_SIGNALS:
    void rowDoubleClicked(int row);
    void currentRowChanged(int row);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

}  // namespace tavi
