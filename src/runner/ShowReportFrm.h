#pragma once

#include "services/db/Recordset.h"
#include "services/report/ParameterMemory.h"
#include "services/report/ReportDefinition.h"
#include "services/report/ReportSelection.h"
#include "services/report/ReportTemplate.h"
#include "ui/BaseFrm.h"

#include <QElapsedTimer>
#include <QString>
#include <memory>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSplitter;
class QToolButton;
class QTreeWidget;

namespace tavi {

class ButtonEdit;
class CategoryTreePanel;
class ReportRun;
class ToolBar;
class QueryPanel;
class ReportGridModel;
class ReportGridView;
class TemplatePreview;

/// The report runner: runs one stored report as an ordinary report, a base-data list, an
/// information-selection list or a template report, chosen by the report's type.
class TfrmReportShow : public TfrmBase
{
    Q_OBJECT

public:
    explicit TfrmReportShow(QWidget *parent = nullptr);
    ~TfrmReportShow() override;

    /// The `ReportList` id of the report to run.
    void setReportId(int id) { m_reportId = id; }
    int reportId() const { return m_reportId; }
    /// Empty, "NONULTI", or a text that may carry "FILTER:" and a statement suffix.
    void setModeArg(const QString &modeArg) { m_modeArg = modeArg; }
    const QString &ModeArg() const { return m_modeArg; }
    /// The row condition of a single-selection list.
    void setPreFilter(const QString &preFilter) { m_preFilter = preFilter; }
    const QString &PreFilter() const { return m_preFilter; }
    /// Shows the test panel with the composed statement of each run.
    void setTestMode(bool test) { m_testMode = test; }
    bool testMode() const { return m_testMode; }
    /// The screen size the window centres and the query panel wraps against; the primary
    /// screen's unless set.
    void setScreenSize(const QSize &size) { m_screenSize = size; }
    QSize screenSize() const;

    /// The selected id(s) of an information-selection list after "选中".
    const QString &ResultText() const { return m_resultText; }
    /// What the chosen rows show in the list's name column (its first shown column other than
    /// the ticks and the id), joined like the ids; the ids where there is no such column.
    const QString &ResultNames() const { return m_resultNames; }
    /// The definition read by the last `LoadReport`.
    const ReportDefinition &definition() const { return m_def; }
    /// True for a selection list in which rows are ticked.
    bool isMultiSelection() const;

    /// What showing the window does: the query panel, the definition and the first run.
    /// Runs once; showing the window calls it.
    void OpenReport();
    /// Reads the definition, sets the mode and builds the grid columns.
    void LoadReport();
    /// Runs the report with the values of the query panel.
    void RunQuery();
    /// Fills the category tree of a report with the ",4" flag and shows it.
    void LoadCategoryTree();
    CategoryTreePanel *categoryTree() const { return m_categories; }

    /// "打印F8" (at once, on the current printer) and "预览F9" of the grid.
    void PrintGrid(bool preview);
    /// A template report after a run and on "预览F9": renders the template into the embedded
    /// preview; a missing template is reported and the preview stays as it was.
    bool LoadTemplate();
    /// "设置F7" of a template report: the template designer on its file.
    void designTemplate();
    /// "导出Excel": asks for a file and writes the grid into a workbook there.
    void ExportToExcel();

    /// True while a run is in progress (the window stays responsive and can cancel it).
    bool isRunning() const { return m_running; }
    /// Stops the run in progress; its statement ends and the previous rows stay.
    void cancelRun();

    QueryPanel *queryPanel() const { return m_pnlQuery; }
    ReportGridView *grid() const { return m_grid; }
    ReportGridModel *gridModel() const { return m_model; }
    TemplatePreview *templatePreview() const { return m_rmPrv; }
    db::Recordset &resultSet() { return *m_result; }
    ReportSelection &selection() { return m_selection; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void runQueryNow();
    ReportTemplate::Variables templateVariables() const;
    void saveTemplatePdf();
    void refresh();
    void openRecordEditor(bool addMode);
    void buildToolBar();
    void buildSelectionBar();
    void placeCancelButton();
    void runProgress();
    void FormClose();

    void btnAddClick();
    void btnEditClick();
    void btnDelClick();
    void btnSelClick();
    void btnSelAddClick();
    void selectAll(bool ticked);
    void gridDoubleClick();
    void ButtonEditClick(int paramId, ButtonEdit *edit);

    int m_reportId = 0;
    QString m_modeArg;
    QString m_preFilter;
    bool m_testMode = false;
    QSize m_screenSize;
    QString m_resultText;
    QString m_resultNames;
    // The panel's values at the last run that ran: what the operator finds again next time.
    QList<RememberedValue> m_lastValues;
    bool m_valuesRan = false;
    ReportDefinition m_def;
    bool m_opened = false;
    bool m_loading = false;
    bool m_closing = false;
    std::unique_ptr<ReportRun> m_run;
    ReportDefinition m_addReport;

    // Owned by the grid's model, which the grid owns: no view outlives the rows it shows.
    db::Recordset *m_result = nullptr;
    // A run in progress keeps the window responsive; Esc or closing then cancels it.
    bool m_running = false;
    bool m_cancelRequested = false;
    QElapsedTimer m_runClock;
    qint64 m_shownSeconds = -1;
    ReportSelection m_selection;

    ToolBar *m_toolBar = nullptr;
    QToolButton *m_btnAdd = nullptr;
    QToolButton *m_btnEdit = nullptr;
    QToolButton *m_btnDel = nullptr;
    QFrame *m_editSeparator = nullptr;
    QToolButton *m_btnQuery = nullptr;
    QToolButton *m_btnRefresh = nullptr;
    QToolButton *m_btnSettings = nullptr;
    QToolButton *m_btnPrint = nullptr;
    QToolButton *m_btnPreview = nullptr;
    QToolButton *m_btnExcel = nullptr;
    QToolButton *m_btnClose = nullptr;

    QSplitter *m_testSplitter = nullptr;
    QSplitter *m_leftSplitter = nullptr;
    QFrame *m_pnlLeft = nullptr;
    QTreeWidget *m_trvLB = nullptr;
    CategoryTreePanel *m_categories = nullptr;
    QWidget *m_pnlMain = nullptr;
    QueryPanel *m_pnlQuery = nullptr;
    QFrame *m_pnlTJ = nullptr;
    QLabel *m_lblTJ = nullptr;
    QFrame *m_pnlRun = nullptr;
    QLabel *m_lblRun = nullptr;
    QPushButton *m_btnStopRun = nullptr;
    ReportGridView *m_grid = nullptr;
    ReportGridModel *m_model = nullptr;
    TemplatePreview *m_rmPrv = nullptr;

    QFrame *m_pnlSel = nullptr;
    QPushButton *m_btnSel = nullptr;
    QPushButton *m_btnReflash = nullptr;
    QPushButton *m_btnSelAdd = nullptr;
    QRadioButton *m_rdoNoSel = nullptr;
    QRadioButton *m_rdoSelAll = nullptr;
    QPushButton *m_btnCancel = nullptr;

    QFrame *m_pnlTest = nullptr;
    QPlainTextEdit *m_mmoTest = nullptr;
};

}  // namespace tavi
