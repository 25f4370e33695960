#pragma once

#include "services/report/ReportTemplate.h"
#include "ui/BaseFrm.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QTextBrowser;
class QTimer;

namespace tavi {

class ReportGridModel;

/// The template designer ("设置F7"): the template text with coloured tags on the left, the
/// names it can use for insertion, and the page it gives with the current rows on the right,
/// following every change; "保存" writes the template back to its file.
class TfrmTemplateDesign : public TfrmBase
{
    Q_OBJECT

public:
    TfrmTemplateDesign(const QString &path, const ReportGridModel &model,
                       const ReportTemplate::Variables &variables, QWidget *parent = nullptr);

    QPlainTextEdit *editor() const { return m_mmoTemplate; }
    QTextBrowser *preview() const { return m_prvTemplate; }
    QListWidget *names() const { return m_lstNames; }
    /// Renders the text in the editor into the preview now.
    void refreshPreview();
    /// Inserts a name as a tag at the cursor (a double-click in the list does it).
    void insertName(const QString &name);
    /// Writes the template to its file and closes the window; on failure tells the user and
    /// stays.
    void btnSaveClick();

private:
    QString m_path;
    const ReportGridModel &m_model;
    ReportTemplate::Variables m_variables;
    QPlainTextEdit *m_mmoTemplate = nullptr;
    QTextBrowser *m_prvTemplate = nullptr;
    QListWidget *m_lstNames = nullptr;
    QLabel *m_lblError = nullptr;
    QTimer *m_refresh = nullptr;
};

}  // namespace tavi
