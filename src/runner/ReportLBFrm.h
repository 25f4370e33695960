#pragma once

#include "ui/BaseFrm.h"

#include <QString>
#include <functional>

class QLineEdit;

namespace tavi {

/// The category dialog: the name of a new or renamed category under its parent. Saving hands the
/// name to `save`, which writes the row and answers with the database's text on failure; the
/// dialog then stays open with what was typed.
class TfrmReportLB : public TfrmBase
{
    Q_OBJECT

public:
    using Save = std::function<bool(const QString &name, QString *error)>;

    TfrmReportLB(const QString &caption, const QString &parentCaption, const QString &name,
                 Save save, QWidget *parent = nullptr);

    /// The name as typed when saved.
    QString name() const;
    /// What "保存(&S)" does.
    void btnSaveClick();

private:
    QLineEdit *m_edtName = nullptr;
    Save m_save;
};

}  // namespace tavi
