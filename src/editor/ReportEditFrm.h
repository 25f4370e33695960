#pragma once

#include "services/report/EditFormLayout.h"
#include "services/report/ReportDefinition.h"
#include "ui/BaseFrm.h"
#include "ui/RecordEditorSeam.h"

#include <QHash>
#include <QList>

class QGroupBox;
class QPushButton;

namespace tavi {

class ReportGridView;

namespace db {
class Recordset;
}

/// The record editor of base-data reports: one labelled input per editable field, bound to the
/// runner's current record (or a record it appends), so the runner's grid shows each change at
/// once. Saving checks the record and posts it; any other way out discards it.
class TfrmReportEdit : public TfrmBase
{
    Q_OBJECT

public:
    explicit TfrmReportEdit(const RecordEditorRequest &request);

    /// What "保存(&S)" does: validate, then post; a refusal keeps the dialog and the values.
    void btnSaveClick();
    void done(int result) override;
    /// Cancels the record's pending change or append unless it was saved.
    void discard();

    const EditFormLayout &layout() const { return *m_layout; }
    QGroupBox *group() const { return m_group; }
    /// The detail grid of a "明细表" field; null without one.
    ReportGridView *detailGrid() const { return m_detailGrid; }
    int detailReportId() const { return m_detailReportId; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void BuildFields();
    QWidget *buildInput(const EditFormLayout::Cell &cell);
    void setField(const QString &field, const QVariant &value);
    QVariant recordValue(const QString &field) const;
    QWidget *buildDetail(const EditFormLayout::Cell &cell);
    void btnDetailAddClick();
    void btnDetailDelClick();

    RecordEditorRequest m_request;
    QList<ReportEditField> m_fields;
    std::unique_ptr<EditFormLayout> m_layout;
    QGroupBox *m_group = nullptr;
    QPushButton *m_btnSave = nullptr;
    QPushButton *m_btnCancel = nullptr;
    QString m_categoryField;
    QString m_fileNameField;
    bool m_saved = false;
    QString m_detailReportName;
    int m_detailReportId = 0;
    ReportGridView *m_detailGrid = nullptr;
    // Owned by the detail grid's model, which the grid owns.
    db::Recordset *m_detailRows = nullptr;
};

}  // namespace tavi
