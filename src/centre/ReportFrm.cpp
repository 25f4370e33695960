#include "ReportFrm.h"

#include "LBFrm.h"
#include "services/Messages.h"
#include "services/Session.h"
#include "services/UiPlatform.h"
#include "services/report/ParameterMemory.h"
#include "services/report/ReportPackage.h"
#include "services/report/ReportStore.h"
#include "ui/WindowRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace tavi {

namespace {

const QString kCaption = QStringLiteral("报表中心");
const QString kChooseCategory = QStringLiteral("请选选择类别");
const QString kPackageFilter = QStringLiteral("报表文件(*.QVP)");
// The centre keeps the operator's last tab beside the last parameter values; no report has
// the id 0.
constexpr int kCentreMemory = 0;
const QString kTabMemory = QStringLiteral("{tab}");

}  // namespace

TfrmReport::TfrmReport(QWidget *parent) : TfrmBase(parent)
{
    setObjectName(QStringLiteral("frmReport"));
    setWindowTitle(QStringLiteral("自定义报表"));
    setFixedSize(668, 445);

    auto *left = new QVBoxLayout;
    auto *searchRow = new QHBoxLayout;
    auto *searchLabel = new QLabel(QStringLiteral("查找："), this);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("edtSearch"));
    m_search->setPlaceholderText(QStringLiteral("报表名称或编号"));
    m_search->setClearButtonEnabled(true);
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(m_search, 1);
    left->addLayout(searchRow);

    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("rzPage"));
    m_tabs->setExpanding(false);
    m_tabs->setUsesScrollButtons(true);
    m_tabs->setFixedHeight(25);
    left->addWidget(m_tabs);

    m_grid = new QTableWidget(0, 2, this);
    m_grid->setObjectName(QStringLiteral("DBGridEh1"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("报表编号"), QStringLiteral("报表名称")});
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setAlternatingRowColors(true);
    m_grid->verticalHeader()->setDefaultSectionSize(20);
    m_grid->verticalHeader()->hide();
    m_grid->setColumnWidth(0, 100);
    m_grid->setColumnWidth(1, 375);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    left->addWidget(m_grid, 1);

    auto *buttons = new QVBoxLayout;
    const auto run = [this](bool test) { return [this, test] { runReport(test); }; };
    connect(addButton(QStringLiteral("btnView"), QStringLiteral("预览(&V)")), &QPushButton::clicked,
            this, run(false));
    m_btnSetFav = addButton(QStringLiteral("btnSetFav"), QStringLiteral("设为常用报表"));
    connect(m_btnSetFav, &QPushButton::clicked, this, &TfrmReport::btnSetFavClick);
    connect(addButton(QStringLiteral("btnTest"), QStringLiteral("测试报表")), &QPushButton::clicked,
            this, run(true));
    connect(addButton(QStringLiteral("btnAdd"), QStringLiteral("添加报表(&A)")),
            &QPushButton::clicked, this, &TfrmReport::btnAddClick);
    connect(addButton(QStringLiteral("btnEdit"), QStringLiteral("修改报表(&E)")),
            &QPushButton::clicked, this, &TfrmReport::btnEditClick);
    connect(addButton(QStringLiteral("btnDel"), QStringLiteral("删除报表(&D)")),
            &QPushButton::clicked, this, &TfrmReport::btnDelClick);
    connect(addButton(QStringLiteral("btnLB"), QStringLiteral("分类管理(&S)")),
            &QPushButton::clicked, this, &TfrmReport::btnLBClick);
    connect(addButton(QStringLiteral("btnExport"), QStringLiteral("导出报表(&E)")),
            &QPushButton::clicked, this, &TfrmReport::btnExportClick);
    connect(addButton(QStringLiteral("btnImport"), QStringLiteral("导入报表(&I)")),
            &QPushButton::clicked, this, &TfrmReport::btnImportClick);
    connect(addButton(QStringLiteral("btnExit"), QStringLiteral("退出(&X)")), &QPushButton::clicked,
            this, &QDialog::reject);
    for (QPushButton *b : findChildren<QPushButton *>())
        buttons->addWidget(b);
    buttons->addStretch(1);

    auto *main = new QHBoxLayout(this);
    main->setContentsMargins(8, 8, 8, 8);
    main->addLayout(left, 1);
    main->addLayout(buttons);

    // Enter runs the current report wherever the focus is.
    findChild<QPushButton *>(QStringLiteral("btnView"))->setDefault(true);
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this] { runReport(false); });
    connect(m_tabs, &QTabBar::currentChanged, this, &TfrmReport::tabChanged);
    connect(m_search, &QLineEdit::textChanged, this, [this] { fillList(); });
}

QPushButton *TfrmReport::addButton(const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setFixedSize(110, 30);
    return b;
}

void TfrmReport::showEvent(QShowEvent *event)
{
    if (!m_shown) {
        m_shown = true;
        setWindowTitle(kCaption);
        session().MsgTitle = kCaption;
        buildTabs();
        if (!selectTag(rememberedTag()))
            fillList();
    }
    TfrmBase::showEvent(event);
}

int TfrmReport::activeTag() const
{
    const int i = m_tabs->currentIndex();
    return i < 0 ? 0 : m_tabs->tabData(i).toInt();
}

bool TfrmReport::selectTag(int tag)
{
    for (int i = 0; i < m_tabs->count(); ++i) {
        if (m_tabs->tabData(i).toInt() == tag) {
            if (m_tabs->currentIndex() == i)
                fillList();
            else
                m_tabs->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

void TfrmReport::buildTabs()
{
    const int active = activeTag();
    m_building = true;
    while (m_tabs->count() > 0)
        m_tabs->removeTab(m_tabs->count() - 1);
    m_tabs->setTabData(m_tabs->addTab(QStringLiteral("全部报表")), 0);
    m_tabs->setTabData(m_tabs->addTab(QStringLiteral("常用报表")), -1);
    for (const ReportCategory &c : ReportStore(session()).categories())
        m_tabs->setTabData(m_tabs->addTab(c.name), c.id);
    m_tabs->setCurrentIndex(0);
    m_building = false;
    if (!selectTag(active))
        fillList();
}

void TfrmReport::tabChanged()
{
    if (m_building)
        return;
    fillList();
    rememberTab();
}

void TfrmReport::rememberTab()
{
    ParameterMemory(session()).save(
        kCentreMemory, session().SysInfo.UserName,
        {{kTabMemory, QStringLiteral("centre"), QString::number(activeTag())}});
}

int TfrmReport::rememberedTag() const
{
    for (const RememberedValue &v :
         ParameterMemory(session()).load(kCentreMemory, session().SysInfo.UserName)) {
        if (v.placeholder == kTabMemory)
            return v.value.toInt();
    }
    return 0;
}

void TfrmReport::fillList(int keepReportId)
{
    const int tag = activeTag();
    const int row = m_grid->currentRow();
    if (keepReportId == 0) {
        if (const ReportDefinition *r = currentReport())
            keepReportId = r->id;
    }
    m_favTag = tag == -1 ? 1 : 0;
    m_btnSetFav->setText(m_favTag == 1 ? QStringLiteral("取消常用报表")
                                       : QStringLiteral("设为常用报表"));
    m_reports = ReportStore(session()).reports(tag, m_search->text(), nullptr);

    m_grid->setRowCount(0);
    m_grid->setRowCount(int(m_reports.size()));
    int current = -1;
    for (int i = 0; i < m_reports.size(); ++i) {
        const ReportDefinition &r = m_reports[i];
        for (int c = 0; c < 2; ++c) {
            auto *item = new QTableWidgetItem(c == 0 ? r.bh : r.title);
            item->setTextAlignment(Qt::AlignCenter);
            m_grid->setItem(i, c, item);
        }
        if (r.id == keepReportId)
            current = i;
    }
    if (m_reports.isEmpty())
        return;
    // A report that left the list hands the cursor to its neighbour.
    if (current < 0)
        current = std::clamp(row, 0, int(m_reports.size()) - 1);
    m_grid->setCurrentCell(current, 0);
}

const ReportDefinition *TfrmReport::currentReport() const
{
    const int row = m_grid->currentRow();
    return row >= 0 && row < m_reports.size() ? &m_reports[row] : nullptr;
}

void TfrmReport::runReport(bool testMode)
{
    const ReportDefinition *report = currentReport();
    if (!report)
        return;
    if (!WindowRegistry::runner()) {
        MsgInfo(this, QStringLiteral("此版本没有报表窗口。"));
        return;
    }
    WindowRegistry::runner()({report->id, QString(), QString(), testMode});
}

void TfrmReport::btnSetFavClick()
{
    const ReportDefinition *report = currentReport();
    if (!report)
        return;
    const int id = report->id;
    QString error;
    if (m_favTag == 0) {
        if (!MsgAsk(this, QStringLiteral("您确定要将[") + report->title +
                              QStringLiteral("]设为常用报表吗？")))
            return;
        if (!ReportStore(session()).setFavourite(id, true, &error)) {
            MsgWarning(this, error);
            return;
        }
        m_reports[m_grid->currentRow()].favourite = true;
        MsgInfo(this, QStringLiteral("设为常用报表成功"));
        return;
    }
    if (!MsgAsk(this,
                QStringLiteral("您确定要取消常用报表[") + report->title + QStringLiteral("]吗？")))
        return;
    if (!ReportStore(session()).setFavourite(id, false, &error))
        MsgWarning(this, error);
    fillList();
}

void TfrmReport::btnAddClick()
{
    if (activeTag() <= 0) {
        MsgInfo(this, kChooseCategory);
        return;
    }
    if (!WindowRegistry::wizard()) {
        MsgInfo(this, QStringLiteral("此版本没有报表向导。"));
        return;
    }
    if (WindowRegistry::wizard()({0, m_tabs->tabText(m_tabs->currentIndex())}) == QDialog::Accepted)
        fillList();
}

void TfrmReport::btnEditClick()
{
    const ReportDefinition *report = currentReport();
    if (!report)
        return;
    if (!WindowRegistry::wizard()) {
        MsgInfo(this, QStringLiteral("此版本没有报表向导。"));
        return;
    }
    if (WindowRegistry::wizard()({report->id, QString()}) == QDialog::Accepted)
        fillList();
}

void TfrmReport::btnDelClick()
{
    const ReportDefinition *report = currentReport();
    if (!report || !MsgAsk(this, QStringLiteral("您确定要删除该报表吗？")))
        return;
    QString error;
    if (!ReportStore(session()).remove(report->id, &error)) {
        MsgWarning(this, QStringLiteral("删除报表时出错，报表没有删除：\n") + error);
        return;
    }
    fillList(-1);
}

void TfrmReport::btnLBClick()
{
    TfrmLB categories(this);
    UiPlatform::instance().execModal(categories);
    if (categories.categoriesChanged())
        buildTabs();
}

void TfrmReport::btnExportClick()
{
    const ReportDefinition *report = currentReport();
    if (!report)
        return;
    QString file = UiPlatform::instance().saveFileName(
        this, QStringLiteral("导出报表"), report->title + QStringLiteral(".QVP"), kPackageFilter);
    if (file.isEmpty())
        return;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".QVP");
    // The save dialog has asked before an existing file is replaced.
    if (QFileInfo::exists(file) && !QFile::remove(file)) {
        MsgWarning(this, QStringLiteral("文件[") + QDir::toNativeSeparators(file) +
                             QStringLiteral("]无法覆盖。"));
        return;
    }
    QString error;
    if (!ReportPackage::exportReport(ReportStore(session()), report->id, file, &error)) {
        MsgWarning(this, error);
        return;
    }
    MsgInfo(this, QStringLiteral("导出报表数据成功"));
}

void TfrmReport::btnImportClick()
{
    const int category = activeTag();
    if (category <= 0) {
        MsgInfo(this, kChooseCategory);
        return;
    }
    const QString file = UiPlatform::instance().openFileName(this, QStringLiteral("导入报表"),
                                                             QString(), kPackageFilter);
    if (file.isEmpty())
        return;
    ReportStore store(session());
    QString error;
    int newId = 0;
    if (!ReportPackage::importReport(file, store, category, &newId, &error)) {
        MsgWarning(this, error);
        return;
    }
    fillList(newId);
    MsgInfo(this, QStringLiteral("导入报表成功"));
}

}  // namespace tavi
