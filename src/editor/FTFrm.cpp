#include "FTFrm.h"

#include "ui/ToolBar.h"

#include "services/Clock.h"

#include <QDateEdit>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace tavi {

namespace {

QColor fromBgr(int bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

const QColor kFixedColor = fromBgr(16774625);

}  // namespace

TfrmFT::TfrmFT(QWidget *parent) : TfrmBase(parent)
{
    setObjectName(QStringLiteral("frmFT"));
    setWindowTitle(QStringLiteral("未来房态"));
    resize(761, 518);
    setSizeGripEnabled(true);

    m_toolBar = new ToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    auto *query = m_toolBar->addButton(QStringLiteral("btnQuery"), QStringLiteral("查询F5"),
                                       QStyle::SP_FileDialogContentsView);
    m_toolBar->addSeparator();
    auto *refresh = m_toolBar->addButton(QStringLiteral("btnRefresh"), QStringLiteral("刷新F6"),
                                         QStyle::SP_BrowserReload);
    m_toolBar
        ->addButton(QStringLiteral("btnSet"), QStringLiteral("设置F7"),
                    QStyle::SP_FileDialogDetailedView)
        ->hide();
    auto *print = m_toolBar->addButton(QStringLiteral("btnPrint"), QStringLiteral("打印F8"),
                                       QStyle::SP_DialogSaveButton);
    m_toolBar->addSeparator();
    auto *preview = m_toolBar->addButton(QStringLiteral("btnPreview"), QStringLiteral("预览F9"),
                                         QStyle::SP_FileDialogInfoView);
    m_toolBar
        ->addButton(QStringLiteral("btnExcel"), QStringLiteral("导出Excel"), QStyle::SP_DriveFDIcon)
        ->hide();
    m_toolBar->addSeparator();
    auto *close = m_toolBar->addButton(QStringLiteral("btnClose"), QStringLiteral("关闭ESC"),
                                       QStyle::SP_DialogCloseButton);
    m_toolBar->finish();
    // Printing the room grid waits for the grid printer.
    for (QToolButton *b : {print, preview}) {
        b->setEnabled(false);
        b->setToolTip(QStringLiteral("此版本不能打印房态图"));
    }

    auto *panel = new QWidget(this);
    panel->setFixedHeight(38);
    auto *panelRow = new QHBoxLayout(panel);
    panelRow->setContentsMargins(8, 0, 8, 0);
    panelRow->addWidget(new QLabel(QStringLiteral("起始日期："), panel));
    m_date = new QDateEdit(panel);
    m_date->setObjectName(QStringLiteral("dtpDate"));
    m_date->setCalendarPopup(true);
    m_date->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    panelRow->addWidget(m_date);
    auto *go = new QPushButton(QStringLiteral("查询(&Q)"), panel);
    go->setObjectName(QStringLiteral("btnQ"));
    go->setAutoDefault(false);
    panelRow->addWidget(go);
    panelRow->addStretch(1);

    m_grid = new QTableWidget(this);
    m_grid->setObjectName(QStringLiteral("grdFT"));
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setDefaultSectionSize(30);
    m_grid->verticalHeader()->setDefaultSectionSize(20);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);

    m_legend = new QLabel(this);
    m_legend->setObjectName(QStringLiteral("lblLegend"));
    m_legend->setContentsMargins(8, 2, 8, 2);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addWidget(m_toolBar);
    main->addWidget(panel);
    main->addWidget(m_grid, 1);
    main->addWidget(m_legend);

    for (auto *b : {query, refresh})
        connect(b, &QToolButton::clicked, this, &TfrmFT::buildGrid);
    connect(go, &QPushButton::clicked, this, &TfrmFT::buildGrid);
    connect(close, &QToolButton::clicked, this, &QDialog::reject);
}

void TfrmFT::showEvent(QShowEvent *event)
{
    if (!m_shown) {
        m_shown = true;
        if (!m_dateSet)
            m_date->setDate(Clock::today());
        buildGrid();
    }
    TfrmBase::showEvent(event);
}

void TfrmFT::keyPressEvent(QKeyEvent *event)
{
    // The captions name the keys, so the keys do what they say.
    const char *button = nullptr;
    switch (event->key()) {
    case Qt::Key_F5:
        button = "btnQuery";
        break;
    case Qt::Key_F6:
        button = "btnRefresh";
        break;
    case Qt::Key_F8:
        button = "btnPrint";
        break;
    case Qt::Key_F9:
        button = "btnPreview";
        break;
    default:
        TfrmBase::keyPressEvent(event);
        return;
    }
    if (auto *b = findChild<QToolButton *>(QLatin1String(button)); b && b->isEnabled())
        b->click();
}

QDate TfrmFT::startDate() const
{
    return m_date->date();
}

void TfrmFT::setStartDate(const QDate &date)
{
    m_dateSet = true;
    m_date->setDate(date);
}

QString TfrmFT::weekdayText(const QDate &date)
{
    return QStringLiteral("一二三四五六日").mid(date.dayOfWeek() - 1, 1);
}

QColor TfrmFT::stateColor(const QString &state, int order)
{
    if (state.contains(QStringLiteral("住")))
        return QColor(255, 190, 140);
    if (state.contains(QStringLiteral("预")) || state.contains(QStringLiteral("订")))
        return QColor(150, 200, 255);
    if (state.contains(QStringLiteral("修")) || state.contains(QStringLiteral("停")))
        return QColor(200, 200, 200);
    static const QColor others[] = {QColor(170, 230, 170), QColor(240, 220, 130),
                                    QColor(220, 180, 240), QColor(250, 170, 190)};
    return others[order % 4];
}

void TfrmFT::buildGrid()
{
    // Days after the picked one: the picked day itself is today's business, not the future.
    const QDate first = startDate().addDays(1);
    m_plan.load(first, kDays);
    const QStringList &rooms = m_plan.rooms();
    m_grid->clearContents();
    m_grid->setRowCount(int(rooms.size()) + 2);
    m_grid->setColumnCount(kDays + 1);
    m_grid->setColumnWidth(0, 60);
    const auto fixed = [this](int row, int column, const QString &text) {
        auto *item = new QTableWidgetItem(text);
        item->setTextAlignment(Qt::AlignCenter);
        item->setBackground(kFixedColor);
        m_grid->setItem(row, column, item);
    };
    fixed(0, 0, QStringLiteral("日期/房号"));
    fixed(1, 0, QString());
    for (int c = 1; c <= kDays; ++c) {
        m_grid->setColumnWidth(c, 30);
        const QDate d = first.addDays(c - 1);
        fixed(0, c, QString::number(d.day()));
        fixed(1, c, weekdayText(d));
    }
    for (int r = 0; r < rooms.size(); ++r) {
        auto *room = new QTableWidgetItem(rooms[r]);
        room->setTextAlignment(Qt::AlignCenter);
        m_grid->setItem(r + 2, 0, room);
        for (int c = 1; c <= kDays; ++c) {
            const QString state = m_plan.state(r, c - 1);
            if (state.isEmpty())
                continue;
            auto *cell = new QTableWidgetItem(state.left(1));
            cell->setTextAlignment(Qt::AlignCenter);
            cell->setBackground(stateColor(state, int(m_plan.states().indexOf(state))));
            cell->setToolTip(rooms[r] + QStringLiteral("  ") +
                             first.addDays(c - 1).toString(QStringLiteral("yyyy-MM-dd")) +
                             QStringLiteral("  ") + state);
            m_grid->setItem(r + 2, c, cell);
        }
    }
    showLegend();
}

void TfrmFT::showLegend()
{
    if (!m_plan.error().isEmpty()) {
        m_legend->setText(m_plan.error());
        return;
    }
    if (!m_plan.hasStatement()) {
        m_legend->setText(QStringLiteral("系统参数[") + RoomStatePlan::statementParam() +
                          QStringLiteral("]没有设置房态语句，只列出房间。"));
        return;
    }
    QString html;
    for (int i = 0; i < m_plan.states().size(); ++i) {
        const QString &state = m_plan.states()[i];
        html += QStringLiteral(
                    "<span style=\"background-color:%1\">&nbsp;&nbsp;&nbsp;&nbsp;</span>"
                    "&nbsp;%2&nbsp;&nbsp;&nbsp;")
                    .arg(stateColor(state, i).name(), state.toHtmlEscaped());
    }
    m_legend->setText(html.isEmpty() ? QStringLiteral("这些日子没有房态。") : html);
}

}  // namespace tavi
