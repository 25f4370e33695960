#pragma once

#include "services/report/ReportDefinition.h"
#include "ui/BaseFrm.h"

#include <QList>

class QTableWidget;

namespace tavi {

/// The category list: adds, changes and deletes the report categories, each change stored at
/// once.
class TfrmLB : public TfrmBase
{
    Q_OBJECT

public:
    explicit TfrmLB(QWidget *parent = nullptr);

    /// True when a category was added, changed or deleted since the window was shown.
    bool categoriesChanged() const { return m_changed; }
    /// The categories the grid shows, in table order.
    const QList<ReportCategory> &categories() const { return m_categories; }
    /// Reads the categories again, keeping the row of a category current.
    void fillList(int keepId = 0);

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void openForm(bool newCategory);
    void btnDelClick();

    QTableWidget *m_grid = nullptr;
    QList<ReportCategory> m_categories;
    bool m_changed = false;
};

}  // namespace tavi
