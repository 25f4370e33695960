#include "LBFrm.h"

#include "LB_AddFrm.h"
#include "services/Messages.h"
#include "services/Session.h"
#include "services/UiPlatform.h"
#include "services/report/ReportStore.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tavi {

TfrmLB::TfrmLB(QWidget *parent) : TfrmBase(parent)
{
    setObjectName(QStringLiteral("frmLB"));
    setWindowTitle(QStringLiteral("报表分类"));
    resize(538, 396);

    auto *toolBar = new QFrame(this);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    auto *row = new QHBoxLayout(toolBar);
    row->setContentsMargins(2, 2, 2, 2);
    row->setSpacing(0);
    const auto button = [&](const char *name, const QString &caption, QStyle::StandardPixmap icon) {
        auto *b = new QToolButton(toolBar);
        b->setObjectName(QLatin1String(name));
        b->setText(caption);
        b->setIcon(style()->standardIcon(icon));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setAutoRaise(true);
        b->setFixedSize(61, 35);
        row->addWidget(b);
        return b;
    };
    auto *add = button("btnAdd", QStringLiteral("添加F5"), QStyle::SP_FileIcon);
    auto *edit = button("btnEdit", QStringLiteral("修改F6"), QStyle::SP_FileDialogDetailedView);
    auto *del = button("btnDel", QStringLiteral("删除F7"), QStyle::SP_TrashIcon);
    auto *line = new QFrame(toolBar);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedSize(8, 31);
    row->addWidget(line);
    auto *close = button("btnClose", QStringLiteral("关闭ESC"), QStyle::SP_DialogCloseButton);
    row->addStretch(1);

    m_grid = new QTableWidget(0, 1, this);
    m_grid->setObjectName(QStringLiteral("DBGridEh1"));
    m_grid->setHorizontalHeaderLabels({QStringLiteral("名称")});
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->setDefaultSectionSize(20);
    m_grid->horizontalHeader()->setStretchLastSection(true);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addWidget(toolBar);
    main->addWidget(m_grid, 1);

    connect(add, &QToolButton::clicked, this, [this] { openForm(true); });
    connect(edit, &QToolButton::clicked, this, [this] { openForm(false); });
    connect(del, &QToolButton::clicked, this, &TfrmLB::btnDelClick);
    connect(close, &QToolButton::clicked, this, &QDialog::reject);
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this] { openForm(false); });
}

void TfrmLB::showEvent(QShowEvent *event)
{
    m_changed = false;
    fillList();
    TfrmBase::showEvent(event);
}

void TfrmLB::keyPressEvent(QKeyEvent *event)
{
    // The captions name the keys, so the keys do what they say.
    const int key = event->key();
    if (key == Qt::Key_F5 || key == Qt::Key_F6 || key == Qt::Key_F7) {
        const char *names[] = {"btnAdd", "btnEdit", "btnDel"};
        findChild<QToolButton *>(QLatin1String(names[key - Qt::Key_F5]))->click();
        return;
    }
    TfrmBase::keyPressEvent(event);
}

void TfrmLB::fillList(int keepId)
{
    const int row = m_grid->currentRow();
    m_categories = ReportStore(session()).categories();
    m_grid->setRowCount(int(m_categories.size()));
    int current = -1;
    for (int i = 0; i < m_categories.size(); ++i) {
        m_grid->setItem(i, 0, new QTableWidgetItem(m_categories[i].name));
        if (m_categories[i].id == keepId)
            current = i;
    }
    if (m_categories.isEmpty())
        return;
    if (current < 0)
        current = std::clamp(row, 0, int(m_categories.size()) - 1);
    m_grid->setCurrentCell(current, 0);
}

void TfrmLB::openForm(bool newCategory)
{
    const int row = m_grid->currentRow();
    if (!newCategory && (row < 0 || row >= m_categories.size()))
        return;
    TfrmLB_Add form(this);
    form.setNewCategory(newCategory);
    if (!newCategory)
        form.setCategory(m_categories[row]);
    UiPlatform::instance().execModal(form);
    if (form.storedCount() > 0) {
        m_changed = true;
        fillList(form.storedId());
    }
}

void TfrmLB::btnDelClick()
{
    const int row = m_grid->currentRow();
    if (row < 0 || row >= m_categories.size() ||
        !MsgAsk(this, QStringLiteral("您确定要删除该记录吗？")))
        return;
    QString error;
    if (!ReportStore(session()).removeCategory(m_categories[row].id, &error)) {
        MsgWarning(this, error);
        return;
    }
    // The centre drops the tab of a deleted category too; its reports stay under 全部报表.
    m_changed = true;
    fillList();
}

}  // namespace tavi
