#pragma once

#include "services/report/ReportDefinition.h"
#include "ui/BaseFrm.h"

class QCheckBox;
class QLineEdit;

namespace tavi {

/// The category form: a new category, or a change of one; the row is stored by "确定(&O)" and
/// nothing is stored otherwise.
class TfrmLB_Add : public TfrmBase
{
    Q_OBJECT

public:
    explicit TfrmLB_Add(QWidget *parent = nullptr);

    /// Adds a category when true, else changes `category`.
    void setNewCategory(bool isNew) { m_isNew = isNew; }
    bool IsNewCategory() const { return m_isNew; }
    void setCategory(const ReportCategory &category) { m_category = category; }
    /// Id of the category stored last; 0 when nothing was stored.
    int storedId() const { return m_storedId; }
    /// Number of rows stored while the form was open.
    int storedCount() const { return m_storedCount; }

    /// Checks and stores the row; the form then closes, or starts the next new row.
    void btnOKClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void startRow();

    QLineEdit *m_name = nullptr;
    QLineEdit *m_orderId = nullptr;
    QCheckBox *m_goOn = nullptr;
    bool m_isNew = true;
    ReportCategory m_category;
    int m_storedId = 0;
    int m_storedCount = 0;
};

}  // namespace tavi
