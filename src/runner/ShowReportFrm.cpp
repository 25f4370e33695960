#include "ShowReportFrm.h"

#include "CategoryTreePanel.h"
#include "QueryPanel.h"
#include "TemplateDesignFrm.h"
#include "TemplatePreview.h"
#include "ToolIcons.h"
#include "services/Clock.h"
#include "services/Messages.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/UiPlatform.h"
#include "services/db/DbError.h"
#include "services/report/ReportExcelExport.h"
#include "services/report/ReportGridModel.h"
#include "services/report/ReportRun.h"
#include "services/report/ReportStore.h"
#include "ui/ButtonEdit.h"
#include "ui/GridPrintLayout.h"
#include "ui/RecordEditorSeam.h"
#include "ui/ReportGridView.h"
#include "ui/ToolBar.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tavi {

namespace {

constexpr int kSelectionSize = 480;
// A run shorter than this shows no progress strip, so quick runs do not flicker.
constexpr qint64 kProgressDelayMs = 300;

QPushButton *barButton(const QString &name, const QString &caption, int left, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setGeometry(left, 8, 75, 25);
    return b;
}

}  // namespace

TfrmReportShow::TfrmReportShow(QWidget *parent) : TfrmBase(parent)
{
    setObjectName(QStringLiteral("frmReportShow"));
    setWindowTitle(QStringLiteral("报表"));
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    setSizeGripEnabled(true);
    resize(731, 500);
    setMinimumSize(kSelectionSize, kSelectionSize);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    buildToolBar();
    layout->addWidget(m_toolBar);

    m_testSplitter = new QSplitter(Qt::Vertical, this);
    m_testSplitter->setChildrenCollapsible(false);
    layout->addWidget(m_testSplitter, 1);

    auto *upper = new QWidget(m_testSplitter);
    auto *upperLayout = new QVBoxLayout(upper);
    upperLayout->setContentsMargins(0, 0, 0, 0);
    upperLayout->setSpacing(0);

    m_leftSplitter = new QSplitter(Qt::Horizontal, upper);
    m_leftSplitter->setChildrenCollapsible(false);
    upperLayout->addWidget(m_leftSplitter, 1);

    m_pnlLeft = new QFrame(m_leftSplitter);
    m_pnlLeft->setObjectName(QStringLiteral("pnlLeft"));
    auto *leftLayout = new QVBoxLayout(m_pnlLeft);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    m_trvLB = new QTreeWidget(m_pnlLeft);
    m_trvLB->setObjectName(QStringLiteral("trvLB"));
    m_trvLB->setHeaderHidden(true);
    leftLayout->addWidget(m_trvLB);
    m_pnlLeft->hide();
    m_categories = new CategoryTreePanel(m_trvLB, this);
    connect(m_categories, &CategoryTreePanel::nodeChosen, this, [this] {
        if (!m_loading)
            RunQuery();
    });

    m_pnlMain = new QWidget(m_leftSplitter);
    m_pnlMain->setObjectName(QStringLiteral("pnlMain"));
    auto *mainLayout = new QVBoxLayout(m_pnlMain);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->setSpacing(0);
    m_leftSplitter->setStretchFactor(1, 1);
    m_leftSplitter->setSizes({185, 546});

    m_pnlQuery = new QueryPanel(m_pnlMain);
    m_pnlQuery->setFrameShape(QFrame::StyledPanel);
    mainLayout->addWidget(m_pnlQuery);
    connect(m_pnlQuery->searchButton(), &QPushButton::clicked, this, [this] { RunQuery(); });
    m_pnlQuery->searchButton()->setAutoDefault(false);
    connect(m_pnlQuery, &QueryPanel::buttonEditClicked, this, &TfrmReportShow::ButtonEditClick);
    connect(m_pnlQuery, &QueryPanel::runRequested, this, [this] { RunQuery(); });

    m_pnlTJ = new QFrame(m_pnlMain);
    m_pnlTJ->setObjectName(QStringLiteral("pnlTJ"));
    m_pnlTJ->setFixedHeight(22);
    auto *tjLayout = new QHBoxLayout(m_pnlTJ);
    tjLayout->setContentsMargins(8, 0, 8, 0);
    m_lblTJ = new QLabel(m_pnlTJ);
    m_lblTJ->setObjectName(QStringLiteral("lblTJ"));
    QPalette blue = m_lblTJ->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    m_lblTJ->setPalette(blue);
    tjLayout->addWidget(m_lblTJ, 1);
    m_pnlTJ->hide();
    mainLayout->addWidget(m_pnlTJ);

    // While a run goes on the previous rows stay in the grid; this strip says that a run is in
    // progress, for how long, and offers to stop it.
    m_pnlRun = new QFrame(m_pnlMain);
    m_pnlRun->setObjectName(QStringLiteral("pnlRun"));
    m_pnlRun->setFixedHeight(30);
    auto *runLayout = new QHBoxLayout(m_pnlRun);
    runLayout->setContentsMargins(8, 2, 8, 2);
    m_lblRun = new QLabel(m_pnlRun);
    m_lblRun->setObjectName(QStringLiteral("lblRun"));
    runLayout->addWidget(m_lblRun, 1);
    m_btnStopRun = new QPushButton(QStringLiteral("取消查询(Esc)"), m_pnlRun);
    m_btnStopRun->setObjectName(QStringLiteral("btnStopRun"));
    m_btnStopRun->setAutoDefault(false);
    runLayout->addWidget(m_btnStopRun);
    connect(m_btnStopRun, &QPushButton::clicked, this, &TfrmReportShow::cancelRun);
    m_pnlRun->hide();
    mainLayout->addWidget(m_pnlRun);

    m_grid = new ReportGridView(m_pnlMain);
    m_grid->setObjectName(QStringLiteral("dbGrid"));
    m_result = new db::Recordset(session().dm ? &session().dm->adoConn : nullptr);
    m_model = new ReportGridModel(m_result, m_grid);
    m_result->setParent(m_model);
    m_grid->setModel(m_model);
    mainLayout->addWidget(m_grid, 1);
    connect(m_grid, &ReportGridView::rowDoubleClicked, this, [this] { gridDoubleClick(); });
    connect(m_grid, &ReportGridView::currentRowChanged, this, [this](int row) {
        if (row >= 0 && m_result->isOpen())
            m_result->setPosition(row);
    });

    m_rmPrv = new TemplatePreview(m_pnlMain);
    m_rmPrv->hide();
    mainLayout->addWidget(m_rmPrv, 1);
    connect(m_rmPrv, &TemplatePreview::printRequested, this, [this] { PrintGrid(false); });
    connect(m_rmPrv, &TemplatePreview::pdfRequested, this, [this] { saveTemplatePdf(); });
    connect(m_rmPrv, &TemplatePreview::excelRequested, this, [this] { ExportToExcel(); });

    buildSelectionBar();
    upperLayout->addWidget(m_pnlSel);

    m_pnlTest = new QFrame(m_testSplitter);
    m_pnlTest->setObjectName(QStringLiteral("pnlTest"));
    auto *testLayout = new QVBoxLayout(m_pnlTest);
    testLayout->setContentsMargins(0, 0, 0, 0);
    m_mmoTest = new QPlainTextEdit(m_pnlTest);
    m_mmoTest->setObjectName(QStringLiteral("mmoTest"));
    m_mmoTest->setReadOnly(true);
    testLayout->addWidget(m_mmoTest);
    m_testSplitter->setStretchFactor(0, 1);
    m_testSplitter->setSizes({437, 63});
    m_pnlTest->hide();

    const auto bind = [this](int key, QAbstractButton *button) {
        connect(new QShortcut(QKeySequence(key), this), &QShortcut::activated, button,
                &QAbstractButton::click);
    };
    bind(Qt::Key_F5, m_btnQuery);
    bind(Qt::Key_F6, m_btnRefresh);
    bind(Qt::Key_F7, m_btnSettings);
    bind(Qt::Key_F8, m_btnPrint);
    bind(Qt::Key_F9, m_btnPreview);
}

TfrmReportShow::~TfrmReportShow() = default;

void TfrmReportShow::buildToolBar()
{
    m_toolBar = new ToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));

    m_btnAdd =
        m_toolBar->addButton(QStringLiteral("btnAdd"), QStringLiteral("添加"), QStyle::SP_FileIcon);
    m_btnEdit = m_toolBar->addButton(QStringLiteral("btnEdit"), QStringLiteral("修改"),
                                     QStyle::SP_FileDialogDetailedView);
    m_btnDel = m_toolBar->addButton(QStringLiteral("btnDel"), QStringLiteral("删除"),
                                    QStyle::SP_TrashIcon);
    m_editSeparator = m_toolBar->addSeparator();
    m_btnQuery = m_toolBar->addButton(QStringLiteral("ToolButton4"), QStringLiteral("查询F5"),
                                      QStyle::SP_FileDialogContentsView);
    m_toolBar->addSeparator();
    m_btnRefresh = m_toolBar->addButton(QStringLiteral("ToolButton1"), QStringLiteral("刷新F6"),
                                        QStyle::SP_BrowserReload);
    m_btnSettings = m_toolBar->addButton(QStringLiteral("ToolButton2"), QStringLiteral("设置F7"),
                                         QStyle::SP_FileDialogListView);
    m_btnPrint = m_toolBar->addButton(QStringLiteral("ToolButton3"), QStringLiteral("打印F8"),
                                      QStyle::SP_DialogSaveButton);
    m_toolBar->addSeparator();
    m_btnPreview = m_toolBar->addButton(QStringLiteral("ToolButton8"), QStringLiteral("预览F9"),
                                        QStyle::SP_FileDialogInfoView);
    m_btnExcel = m_toolBar->addButton(QStringLiteral("ToolButton10"), QStringLiteral("导出Excel"),
                                      QStyle::SP_DriveHDIcon);
    m_toolBar->addSeparator();
    m_btnSettings->setIcon(ToolIcons::design());
    m_btnPrint->setIcon(ToolIcons::print());
    m_btnPreview->setIcon(ToolIcons::preview());
    m_btnExcel->setIcon(ToolIcons::excel());
    m_btnClose = m_toolBar->addButton(QStringLiteral("ToolButton5"), QStringLiteral("关闭ESC"),
                                      QStyle::SP_DialogCloseButton);
    m_toolBar->finish();

    for (QWidget *w : {static_cast<QWidget *>(m_btnAdd), static_cast<QWidget *>(m_btnEdit),
                       static_cast<QWidget *>(m_btnDel), static_cast<QWidget *>(m_editSeparator),
                       static_cast<QWidget *>(m_btnSettings)})
        w->hide();
    m_btnSettings->setToolTip(QStringLiteral("打开报表模板设计 (F7)"));
    m_btnPrint->setToolTip(QStringLiteral("在默认打印机上打印表格 (F8)"));
    m_btnPreview->setToolTip(QStringLiteral("预览打印效果，可从预览中打印或保存为PDF (F9)"));
    m_btnExcel->setToolTip(QStringLiteral("把表格中的数据导出为Excel文件"));

    connect(m_btnAdd, &QToolButton::clicked, this, [this] { btnAddClick(); });
    connect(m_btnEdit, &QToolButton::clicked, this, [this] { btnEditClick(); });
    connect(m_btnDel, &QToolButton::clicked, this, [this] { btnDelClick(); });
    connect(m_btnQuery, &QToolButton::clicked, this, [this] { RunQuery(); });
    connect(m_btnRefresh, &QToolButton::clicked, this, [this] { refresh(); });
    connect(m_btnSettings, &QToolButton::clicked, this, [this] { designTemplate(); });
    connect(m_btnPrint, &QToolButton::clicked, this, [this] { PrintGrid(false); });
    connect(m_btnPreview, &QToolButton::clicked, this, [this] { PrintGrid(true); });
    connect(m_btnExcel, &QToolButton::clicked, this, [this] { ExportToExcel(); });
    connect(m_btnClose, &QToolButton::clicked, this, &QDialog::reject);
}

void TfrmReportShow::PrintGrid(bool preview)
{
    // A selection list has no toolbar, so its keys print nothing either.
    if (m_def.type() == ReportType::InformationSelection)
        return;
    if (m_def.type() == ReportType::Template) {
        if (preview) {
            LoadTemplate();
            return;
        }
        if (!LoadTemplate())
            return;
        TemplatePreview *page = m_rmPrv;
        UiPlatform::PrintJob job{windowTitle(), false, true,
                                 [page](QPrinter &printer) { page->printTo(printer); }};
        UiPlatform::instance().print(this, job);
        return;
    }
    // Qt lays out the preview's pages itself, so only the printer needs one installed.
    if (!preview && UiPlatform::instance().printerNames().isEmpty()) {
        MsgInfo(this, QStringLiteral("请先安装打印机！"));
        return;
    }
    auto layout = std::make_shared<GridPrintLayout>(
        *m_model, GridPrintLayout::Texts{session().SysInfo.OfficeName + windowTitle(),
                                         m_run ? m_run->conditionText() : QString(),
                                         session().SysInfo.UserName, Clock::now()});
    const UiPlatform::PrintJob job{windowTitle(), layout->landscape(), false,
                                   [layout](QPrinter &printer) { layout->paint(printer); }};
    if (preview)
        UiPlatform::instance().preview(this, job);
    else
        UiPlatform::instance().print(this, job);
}

ReportTemplate::Variables TfrmReportShow::templateVariables() const
{
    return {session().SysInfo.OfficeName, m_run ? m_run->conditionText() : QString(),
            session().SysInfo.UserName};
}

bool TfrmReportShow::LoadTemplate()
{
    const QString path = m_def.templatePath;
    QString text;
    if (path.isEmpty() || !QFileInfo::exists(path) || !ReportTemplate::readFile(path, &text)) {
        MsgInfo(this, ReportTemplate::missingMessage(path.isEmpty() ? m_def.mxReportName : path));
        return false;
    }
    QString error;
    const QString html = ReportTemplate::render(text, *m_model, templateVariables(), &error);
    if (!error.isEmpty()) {
        MsgInfo(this, QStringLiteral("报表模板文件") + QFileInfo(path).fileName() +
                          QStringLiteral("有错误：") + error);
        return false;
    }
    m_rmPrv->setHtml(html);
    return true;
}

void TfrmReportShow::designTemplate()
{
    if (m_def.type() != ReportType::Template)
        return;
    if (m_def.templatePath.isEmpty() || !QFileInfo::exists(m_def.templatePath)) {
        MsgInfo(this, ReportTemplate::missingMessage(
                          m_def.templatePath.isEmpty() ? m_def.mxReportName : m_def.templatePath));
        return;
    }
    TfrmTemplateDesign designer(m_def.templatePath, *m_model, templateVariables(), this);
    if (UiPlatform::instance().execModal(designer) == QDialog::Accepted)
        LoadTemplate();
}

void TfrmReportShow::saveTemplatePdf()
{
    QString fileName = UiPlatform::instance().saveFileName(this, QStringLiteral("保存为PDF"),
                                                           windowTitle() + QStringLiteral(".pdf"),
                                                           QStringLiteral("PDF文件(*.pdf)"));
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".pdf");
    if (QFileInfo::exists(fileName) &&
        !MsgAsk(this, QStringLiteral("文件已存在，您需要覆盖该文件吗？")))
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    m_rmPrv->printTo(printer);
    if (printer.printerState() == QPrinter::Error || !QFileInfo::exists(fileName))
        MsgInfo(this, QStringLiteral("信息导出失败!"));
}

void TfrmReportShow::ExportToExcel()
{
    if (m_def.type() == ReportType::InformationSelection)
        return;
    QString fileName = UiPlatform::instance().saveFileName(this, QStringLiteral("导出Excel"),
                                                           windowTitle() + QStringLiteral(".xlsx"),
                                                           QStringLiteral("Excel文件(*.xlsx)"));
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".xlsx");
    if (QFileInfo::exists(fileName) &&
        !MsgAsk(this, QStringLiteral("文件已存在，您需要覆盖该文件吗？")))
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString error = ReportExcelExport(*m_model).writeGrid(fileName);
    QApplication::restoreOverrideCursor();
    if (!error.isEmpty()) {
        MsgInfo(this, QStringLiteral("信息导出失败!"));
        return;
    }
    MsgInfo(this, QStringLiteral("数据已输出至") + fileName);
}

void TfrmReportShow::buildSelectionBar()
{
    m_pnlSel = new QFrame(this);
    m_pnlSel->setObjectName(QStringLiteral("pnlSel"));
    m_pnlSel->setFixedHeight(41);
    QPalette p = m_pnlSel->palette();
    p.setColor(QPalette::Window, QColor(236, 246, 255));
    m_pnlSel->setPalette(p);
    m_pnlSel->setAutoFillBackground(true);

    m_btnSel = barButton(QStringLiteral("btnSel"), QStringLiteral("选中"), 8, m_pnlSel);
    m_btnReflash = barButton(QStringLiteral("btnReflash"), QStringLiteral("刷新"), 88, m_pnlSel);
    m_btnSelAdd = barButton(QStringLiteral("btnSelAdd"), QStringLiteral("新增"), 168, m_pnlSel);
    m_btnSelAdd->hide();
    m_rdoNoSel = new QRadioButton(QStringLiteral("全选"), m_pnlSel);
    m_rdoNoSel->setObjectName(QStringLiteral("rdoNoSel"));
    m_rdoNoSel->setGeometry(264, 12, 56, 17);
    m_rdoSelAll = new QRadioButton(QStringLiteral("全否"), m_pnlSel);
    m_rdoSelAll->setObjectName(QStringLiteral("rdoSelAll"));
    m_rdoSelAll->setGeometry(328, 12, 56, 17);
    m_btnCancel = barButton(QStringLiteral("btnCancel"), QStringLiteral("取消"), 0, m_pnlSel);
    placeCancelButton();
    m_pnlSel->hide();

    connect(m_btnSel, &QPushButton::clicked, this, [this] { btnSelClick(); });
    connect(m_btnReflash, &QPushButton::clicked, this, [this] { refresh(); });
    connect(m_btnSelAdd, &QPushButton::clicked, this, [this] { btnSelAddClick(); });
    connect(m_rdoNoSel, &QRadioButton::clicked, this, [this] { selectAll(true); });
    connect(m_rdoSelAll, &QRadioButton::clicked, this, [this] { selectAll(false); });
    connect(m_btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfrmReportShow::placeCancelButton()
{
    m_btnCancel->move(width() - m_btnCancel->width() - 16, 8);
}

QSize TfrmReportShow::screenSize() const
{
    if (m_screenSize.isValid())
        return m_screenSize;
    const QScreen *s = QGuiApplication::primaryScreen();
    return s ? s->geometry().size() : QSize(1024, 768);
}

bool TfrmReportShow::isMultiSelection() const
{
    return m_def.type() == ReportType::InformationSelection &&
           m_modeArg != QLatin1String("NONULTI");
}

void TfrmReportShow::showEvent(QShowEvent *event)
{
    OpenReport();
    TfrmBase::showEvent(event);
}

void TfrmReportShow::resizeEvent(QResizeEvent *event)
{
    TfrmBase::resizeEvent(event);
    placeCancelButton();
}

void TfrmReportShow::OpenReport()
{
    if (m_opened)
        return;
    m_opened = true;
    m_loading = true;
    m_pnlTest->setVisible(m_testMode);
    m_pnlQuery->setScreenWidth(screenSize().width());
    if (session().dm)
        m_pnlQuery->BuildQueryPanel(
            ReportStore(session()).params(m_reportId, ReportStore::ParamSet::Panel));
    LoadReport();
    if (!m_def.textConditionRequired())
        RunQuery();
    m_model->setLayoutChanged(false);
    m_loading = false;
    if (!session().SysInfo.SalesWord.isEmpty()) {
        QString caption = windowTitle();
        const qsizetype at = caption.indexOf(QStringLiteral("销售"));
        if (at >= 0) {
            caption.replace(at, 2, session().SysInfo.SalesWord);
            setWindowTitle(caption);
        }
    }
}

void TfrmReportShow::LoadReport()
{
    m_model->setColumns({}, false);
    m_result->close();
    m_run.reset();
    if (!session().dm)
        return;

    m_def = ReportStore(session()).load(m_reportId);
    if (!m_def.found)
        return;
    // Before the columns are built: a remembered period shapes date-list columns. A selection
    // list is a picker: its filter finds one guest or room, and brought back it would hide the
    // others at the next pick.
    if (m_loading && m_def.type() != ReportType::InformationSelection)
        m_pnlQuery->restoreValues(
            ParameterMemory(session()).load(m_reportId, session().SysInfo.UserName));
    m_run = std::make_unique<ReportRun>(session(), m_def, *m_pnlQuery, m_modeArg, m_preFilter);
    setWindowTitle(m_def.title);
    if (m_loading && m_def.hasCategoryTree())
        LoadCategoryTree();
    // The window's size and state are set when it opens; a reload for new date-list columns
    // leaves what the user made of them.
    const bool place = m_loading;
    switch (m_def.type()) {
    case ReportType::Ordinary:
        if (place)
            setWindowState(windowState() | Qt::WindowMaximized);
        break;
    case ReportType::BaseData:
        for (QWidget *w :
             {static_cast<QWidget *>(m_btnAdd), static_cast<QWidget *>(m_btnEdit),
              static_cast<QWidget *>(m_btnDel), static_cast<QWidget *>(m_editSeparator)})
            w->show();
        if (place)
            setWindowState(windowState() | Qt::WindowMaximized);
        break;
    case ReportType::InformationSelection: {
        m_toolBar->hide();
        m_pnlSel->show();
        if (place) {
            setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
            resize(kSelectionSize, kSelectionSize);
            placeCancelButton();
            const QSize screen = screenSize();
            move((screen.width() - kSelectionSize) / 2, (screen.height() - kSelectionSize) / 2);
        }
        const bool multi = isMultiSelection();
        m_rdoNoSel->setVisible(multi);
        m_rdoSelAll->setVisible(multi);
        // "新增" adds a record through the base-data report the list names, when it names one.
        m_addReport = ReportDefinition();
        if (!m_def.addReportName.isEmpty() && m_def.addReportName != QStringLiteral("无")) {
            const ReportDefinition add = ReportStore(session()).findByTitle(m_def.addReportName);
            if (add.found && add.type() == ReportType::BaseData)
                m_addReport = add;
        }
        m_btnSelAdd->setVisible(m_addReport.found);
        break;
    }
    case ReportType::Template:
        if (place)
            setWindowState(windowState() | Qt::WindowMaximized);
        m_grid->hide();
        m_rmPrv->show();
        m_btnSettings->show();
        m_model->setTemplateReport(true);
        break;
    default:
        break;
    }

    m_model->setColumns(m_run->buildColumns(), m_def.twoLevelTitles());
    if (!m_run->error().isEmpty())
        MsgInfo(this, m_run->error());
}

void TfrmReportShow::LoadCategoryTree()
{
    const QList<ReportParam> sources =
        ReportStore(session()).params(m_reportId, ReportStore::ParamSet::CategorySources);
    if (sources.isEmpty())
        return;
    m_categories->load(sources.first(), session().dm->adoConn);
    m_pnlLeft->show();
}

void TfrmReportShow::RunQuery()
{
    if (m_running || !m_run || m_def.sql.isEmpty())
        return;
    m_running = true;
    m_cancelRequested = false;
    m_shownSeconds = -1;
    m_runClock.start();
    m_pnlRun->hide();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    session().dm->adoConn.setProgress([this] {
        runProgress();
        QCoreApplication::processEvents();
        return m_cancelRequested;
    });
    runQueryNow();
    session().dm->adoConn.setProgress({});
    QApplication::restoreOverrideCursor();
    m_running = false;
}

void TfrmReportShow::refresh()
{
    // The same rows again: the order the user gave them stays.
    const int column = m_model->sortColumn();
    const QString field = column >= 0 ? m_model->column(column).field : QString();
    const Qt::SortOrder order = m_model->sortOrder();
    RunQuery();
    if (field.isEmpty() || m_model->sortColumn() >= 0)
        return;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        if (m_model->column(c).field.compare(field, Qt::CaseInsensitive) == 0) {
            m_model->sort(c, order);
            break;
        }
    }
}

void TfrmReportShow::runProgress()
{
    const qint64 elapsed = m_runClock.elapsed();
    if (elapsed < kProgressDelayMs || m_cancelRequested)
        return;
    const qint64 seconds = elapsed / 1000;
    if (seconds == m_shownSeconds)
        return;
    m_shownSeconds = seconds;
    m_lblRun->setText(QStringLiteral("正在查询…已用时 %1 秒").arg(seconds));
    m_btnStopRun->show();
    m_pnlRun->show();
}

void TfrmReportShow::cancelRun()
{
    if (m_running)
        m_cancelRequested = true;
}

void TfrmReportShow::runQueryNow()
{
    bool rebuilt = false;
    if (!m_run->prepare(&rebuilt)) {
        m_pnlRun->hide();
        MsgInfo(this, m_run->error());
        return;
    }

    // The category tree is not built yet: its root, which filters nothing, stands selected.
    if (m_def.hasCategoryTree())
        m_run->setCategory(m_categories->category());
    const ReportRun::Outcome outcome = m_run->run(*m_result);
    if (outcome == ReportRun::Outcome::Cancelled) {
        // The rows, columns and summary of the last run stay: they still belong together.
        m_lblRun->setText(QStringLiteral("查询已取消"));
        m_btnStopRun->hide();
        m_pnlRun->show();
        return;
    }
    m_pnlRun->hide();
    // New date-list columns replace the old ones only with the rows they belong to.
    if (rebuilt && outcome == ReportRun::Outcome::Ran) {
        m_model->setColumns(m_run->columns(), m_def.twoLevelTitles());
        m_model->setLayoutChanged(false);
    }

    const QString summary = m_run->summaryBarText();
    m_lblTJ->setText(summary);
    m_pnlTJ->setVisible(!summary.trimmed().isEmpty());
    if (m_testMode && !m_run->composedSql().isEmpty())
        m_mmoTest->setPlainText(m_run->composedSql());
    if (outcome == ReportRun::Outcome::Failed)
        MsgInfo(this, m_run->error());
    if (outcome != ReportRun::Outcome::Ran)
        return;
    if (m_def.type() != ReportType::InformationSelection) {
        m_lastValues = m_pnlQuery->rememberedValues();
        m_valuesRan = true;
    }
    const bool multi = isMultiSelection();
    if (multi) {
        m_selection.flags() = m_run->takeSelectionFlags();
        m_selection.attach(*m_result);
    }
    if (!m_result->isEmpty())
        m_grid->setCurrentRow(0);
    if (m_def.type() == ReportType::Template)
        LoadTemplate();
}

void TfrmReportShow::done(int result)
{
    // Esc, the close box and the buttons cancel a running statement; the window stays.
    if (m_running) {
        m_cancelRequested = true;
        return;
    }
    if (!m_closing) {
        m_closing = true;
        FormClose();
    }
    TfrmBase::done(result);
}

void TfrmReportShow::FormClose()
{
    if (m_valuesRan && m_reportId > 0 && session().dm) {
        QString error;
        if (!ParameterMemory(session()).save(m_reportId, session().SysInfo.UserName, m_lastValues,
                                             &error))
            MsgInfo(this, error);
    }
    m_pnlQuery->restoreBusinessDays();
    m_testMode = false;
    if (!m_model->LayoutChanged() || m_reportId <= 0 || !session().dm ||
        !MsgAsk(this, QStringLiteral("报表布局已经改变，是否保存布局？")))
        return;
    QString error;
    if (ReportStore(session()).saveLayout(m_reportId, m_model->layout(), &error))
        MsgInfo(this, QStringLiteral("报表布局保存成功"));
    else
        MsgInfo(this, error);
}

void TfrmReportShow::btnAddClick()
{
    const bool treeShown = !m_pnlLeft->isHidden();
    if (treeShown && m_trvLB->topLevelItemCount() <= 1 &&
        (m_trvLB->topLevelItemCount() == 0 || m_trvLB->topLevelItem(0)->childCount() == 0)) {
        MsgInfo(this, QStringLiteral("请先添加类别"));
        return;
    }
    openRecordEditor(true);
}

void TfrmReportShow::btnEditClick()
{
    if (!m_result->isOpen() || m_result->isEmpty())
        return;
    if (!m_pnlLeft->isHidden() && !m_trvLB->currentItem()) {
        MsgInfo(this, QStringLiteral("请先选中类别"));
        return;
    }
    openRecordEditor(false);
}

void TfrmReportShow::openRecordEditor(bool addMode)
{
    const RecordEditorSeam::Editor &editor = RecordEditorSeam::editor();
    if (!editor) {
        MsgInfo(this, QStringLiteral("此版本还不能添加或修改记录。"));
        return;
    }
    const int row = m_grid->currentRow();
    if (!addMode && row >= 0)
        m_result->setPosition(row);
    // The category tree comes with the category issue; until then no node is selected.
    editor({m_reportId, addMode, m_categories->selectedId(), m_def.baseTable, m_result, this});
}

void TfrmReportShow::btnDelClick()
{
    if (!m_result->isOpen() || m_result->isEmpty())
        return;
    if (!MsgAsk(this, QStringLiteral("您确定要删除该记录吗？")))
        return;
    const int row = m_grid->currentRow();
    if (row >= 0)
        m_result->setPosition(row);
    try {
        m_result->deleteRow();
    } catch (const db::DbError &e) {
        MsgInfo(this, e.message());
    }
}

void TfrmReportShow::btnSelClick()
{
    if (m_def.type() != ReportType::InformationSelection)
        return;
    const int current = m_grid->currentRow();
    m_resultText = m_selection.resultText(*m_result, isMultiSelection(), current);
    int nameColumn = -1;
    for (int c = 0; c < m_model->columnCount() && nameColumn < 0; ++c) {
        const ReportColumn &column = m_model->column(c);
        if (!column.checkColumn && !column.field.isEmpty() &&
            column.field.compare(QLatin1String("id"), Qt::CaseInsensitive) != 0)
            nameColumn = c;
    }
    if (nameColumn < 0) {
        m_resultNames = m_resultText;
    } else {
        QStringList names;
        for (int row : m_selection.chosenRows(*m_result, isMultiSelection(), current))
            names << m_model->data(m_model->index(row, nameColumn)).toString();
        m_resultNames = names.join(QLatin1Char(','));
    }
    accept();
}

void TfrmReportShow::btnSelAddClick()
{
    const RecordEditorSeam::Editor &editor = RecordEditorSeam::editor();
    if (!m_addReport.found || !session().dm)
        return;
    if (!editor) {
        MsgInfo(this, QStringLiteral("此版本还不能添加或修改记录。"));
        return;
    }
    // The new record goes to the add report's own table; the list then shows it after a refresh.
    db::Recordset target(&session().dm->adoConn);
    try {
        target.setSql(QStringLiteral("select * from ") + m_addReport.baseTable +
                      QStringLiteral(" where 1=0"));
        target.open();
    } catch (const db::DbError &e) {
        MsgInfo(this, e.message());
        return;
    }
    if (editor({m_addReport.id, true, 0, m_addReport.baseTable, &target, this}) ==
        QDialog::Accepted)
        RunQuery();
}

void TfrmReportShow::selectAll(bool ticked)
{
    if (!isMultiSelection())
        return;
    m_selection.setAll(ticked);
    m_model->checksChanged();
}

void TfrmReportShow::gridDoubleClick()
{
    if (m_def.type() == ReportType::BaseData)
        btnEditClick();
    else
        btnSelClick();
}

void TfrmReportShow::ButtonEditClick(int paramId, ButtonEdit *edit)
{
    if (!session().dm)
        return;
    const ReportStore store(session());
    const std::optional<ReportParam> param = store.param(m_reportId, paramId);
    if (!param)
        return;
    const QString list = param->csList;
    if (list.isEmpty())
        return;
    QString title = list;
    const qsizetype open = list.indexOf(u'[');
    if (open >= 0) {
        const qsizetype close = list.indexOf(u']', open + 1);
        title = close < 0 ? list.mid(open + 1) : list.mid(open + 1, close - open - 1);
    }
    const ReportDefinition target = store.findByTitle(title);
    if (!target.found)
        return;
    TfrmReportShow nested(this);
    nested.setReportId(target.id);
    if (m_screenSize.isValid())
        nested.setScreenSize(m_screenSize);
    const int result = UiPlatform::instance().execModal(nested);
    // A chosen guest, room or product is what the box asks for: the list hands it over.
    // The box shows the chosen names; the condition takes the ids behind them.
    if (result == QDialog::Accepted && target.type() == ReportType::InformationSelection && edit)
        edit->setChoice(nested.ResultNames(), nested.ResultText());
}

}  // namespace tavi
