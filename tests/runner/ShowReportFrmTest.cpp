#include "DemoRunner.h"
#include "runner/RunnerRegistration.h"
#include "services/Session.h"
#include "services/report/ReportGridModel.h"
#include "ui/ButtonEdit.h"
#include "ui/QtUiPlatform.h"
#include "ui/RecordEditorSeam.h"
#include "ui/ReportGridView.h"
#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

using namespace tavi;

namespace {

class RunnerWindowTest : public test::DemoRunner
{
protected:
    static bool visible(const QWidget &w, const char *name)
    {
        const QWidget *c = w.findChild<QWidget *>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c && c->isVisible();
    }
    static void expectVisible(const QWidget &w, std::initializer_list<const char *> shown,
                              std::initializer_list<const char *> hidden)
    {
        for (const char *name : shown)
            EXPECT_TRUE(visible(w, name)) << name << " should show";
        for (const char *name : hidden)
            EXPECT_FALSE(visible(w, name)) << name << " should be hidden";
    }
    static void click(const QWidget &w, const char *name)
    {
        auto *b = w.findChild<QAbstractButton *>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        b->click();
    }
    static void tick(TfrmReportShow &w, int row)
    {
        ReportGridModel *m = w.gridModel();
        ASSERT_TRUE(m->column(0).checkColumn);
        EXPECT_TRUE(m->setData(m->index(row, 0), Qt::Checked, Qt::CheckStateRole));
    }
    static QString idAt(TfrmReportShow &w, int row)
    {
        const int id = w.resultSet().fieldIndex(QStringLiteral("id"));
        return db::Recordset::textOf(w.resultSet().valueAt(row, id));
    }
    static void press(TfrmReportShow &w, Qt::Key key)
    {
        for (QShortcut *s : w.findChildren<QShortcut *>()) {
            if (s->key() == QKeySequence(key)) {
                Q_EMIT s->activated();
                return;
            }
        }
        ADD_FAILURE() << "no shortcut for key " << key;
    }
};

TEST_F(RunnerWindowTest, EachReportTypeShowsItsOwnControls)
{
    const char *tools[] = {"ToolBar1",    "ToolButton4",  "ToolButton1", "ToolButton3",
                           "ToolButton8", "ToolButton10", "ToolButton5"};

    auto ordinary = open(QStringLiteral("客人住宿明细"));
    EXPECT_EQ(ordinary->windowTitle(), QStringLiteral("客人住宿明细"));
    EXPECT_TRUE(ordinary->windowState() & Qt::WindowMaximized);
    for (const char *name : tools)
        EXPECT_TRUE(visible(*ordinary, name)) << name;
    expectVisible(*ordinary, {"pnlMain", "pnlQuery", "btnSearch", "dbGrid"},
                  {"btnAdd", "btnEdit", "btnDel", "ToolButton2", "pnlLeft", "pnlSel", "pnlTest"});
    EXPECT_GT(ordinary->resultSet().recordCount(), 0);
    for (const char *output : {"ToolButton3", "ToolButton8", "ToolButton10"}) {
        EXPECT_TRUE(child<QToolButton>(*ordinary, output)->isEnabled()) << output;
        EXPECT_FALSE(child<QToolButton>(*ordinary, output)->toolTip().isEmpty()) << output;
    }
    EXPECT_EQ(child<QToolButton>(*ordinary, "ToolButton4")->size(), QSize(61, 35));
    EXPECT_EQ(child<QPushButton>(*ordinary, "btnSearch")->text(), QStringLiteral("查询(&Q)"));
    test::DemoRunner::saveShot(*ordinary, QStringLiteral("runner-ordinary"));

    auto base = open(QStringLiteral("商品资料"));
    EXPECT_TRUE(base->windowState() & Qt::WindowMaximized);
    expectVisible(*base, {"btnAdd", "btnEdit", "btnDel", "ToolButton4", "dbGrid"},
                  {"pnlSel", "ToolButton2"});
    EXPECT_GT(base->resultSet().recordCount(), 0);
    test::DemoRunner::saveShot(*base, QStringLiteral("runner-base-data"));

    auto list = open(QStringLiteral("客人选择"));
    EXPECT_FALSE(list->windowState() & Qt::WindowMaximized);
    EXPECT_EQ(list->size(), QSize(480, 480));
    EXPECT_EQ(list->pos(), QPoint((1024 - 480) / 2, (768 - 480) / 2));
    expectVisible(*list,
                  {"pnlSel", "btnSel", "btnReflash", "rdoNoSel", "rdoSelAll", "btnCancel", "dbGrid",
                   "pnlQuery"},
                  {"ToolBar1", "btnSelAdd", "pnlTest"});
    auto *cancel = child<QPushButton>(*list, "btnCancel");
    EXPECT_EQ(cancel->x(), 480 - cancel->width() - 16);
    EXPECT_EQ(child<QPushButton>(*list, "btnSel")->x(), 8);
    EXPECT_EQ(child<QRadioButton>(*list, "rdoNoSel")->x(), 264);
    EXPECT_TRUE(list->gridModel()->column(0).checkColumn);
    EXPECT_EQ(list->gridModel()->column(0).title, QStringLiteral("选择"));
    test::DemoRunner::saveShot(*list, QStringLiteral("runner-selection"));

    auto single = open(QStringLiteral("客人选择"), QStringLiteral("NONULTI"));
    expectVisible(*single, {"btnSel", "btnCancel"}, {"rdoNoSel", "rdoSelAll"});
    EXPECT_FALSE(single->gridModel()->column(0).checkColumn);

    const int templ = addReport(QStringLiteral("入住登记单"), 3,
                                QStringLiteral("select * from 客人"), {}, {"姓名"});
    // It names no template file: the run says so.
    ui.expectMessage(QStringLiteral("报表模板文件不存在，请检查"));
    auto printed = open(templ);
    ui.verify();
    EXPECT_TRUE(printed->windowState() & Qt::WindowMaximized);
    expectVisible(*printed, {"ToolButton2", "rmPrv"}, {"dbGrid", "pnlSel"});
    EXPECT_TRUE(child<QToolButton>(*printed, "ToolButton2")->isEnabled());
    test::DemoRunner::saveShot(*printed, QStringLiteral("runner-template"));
}

TEST_F(RunnerWindowTest, CaptionSizeAndMissingReport)
{
    session().SysInfo.SalesWord = QStringLiteral("客房");
    const int sales = addReport(QStringLiteral("销售日报销售"), 2,
                                QStringLiteral("select id, 姓名 from 客人"), {}, {"姓名"});
    auto w = open(sales);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("客房日报销售"));
    w->resize(300, 200);
    EXPECT_EQ(w->size(), QSize(480, 480));
    EXPECT_EQ(w->minimumSize(), QSize(480, 480));

    auto missing = open(987654);
    EXPECT_EQ(missing->windowTitle(), QStringLiteral("报表"));
    EXPECT_TRUE(missing->queryPanel()->isHidden());
    click(*missing, "ToolButton4");
    EXPECT_FALSE(missing->resultSet().isOpen());

    // The base dialog's colour 16774892 in blue-green-red order, and its font.
    EXPECT_EQ(w->palette().color(QPalette::Window), QColor(236, 246, 255));
    EXPECT_EQ(w->font().pixelSize(), 12);
    EXPECT_TRUE(w->font().families().contains(QStringLiteral("宋体")));
}

TEST_F(RunnerWindowTest, TicksStayWithTheirRowsAndComeBackInStatementOrder)
{
    auto w = open(QStringLiteral("客人选择"));
    ASSERT_EQ(w->resultSet().recordCount(), 40);
    tick(*w, 11);
    tick(*w, 6);
    tick(*w, 8);
    const QString expected = idAt(*w, 6) + "," + idAt(*w, 8) + "," + idAt(*w, 11);
    EXPECT_EQ(expected, QStringLiteral("7,9,12"));

    ReportGridModel *m = w->gridModel();
    ASSERT_TRUE(m->toggleSort(1));
    ASSERT_TRUE(m->toggleSort(1));
    EXPECT_EQ(m->sortOrder(), Qt::DescendingOrder);
    int ticked = 0;
    for (int row = 0; row < m->rowCount(); ++row) {
        const bool on = m->data(m->index(row, 0), Qt::CheckStateRole).toInt() == Qt::Checked;
        const QString id = idAt(*w, row);
        EXPECT_EQ(on, id == "7" || id == "9" || id == "12") << id.toStdString();
        ticked += on;
    }
    EXPECT_EQ(ticked, 3);
    w->grid()->setCurrentRow(0);
    click(*w, "btnSel");
    EXPECT_EQ(w->result(), QDialog::Accepted);
    EXPECT_EQ(w->ResultText(), expected);
}

TEST_F(RunnerWindowTest, SelectionWithoutTicksEmptyOrCancelled)
{
    auto none = open(QStringLiteral("客人选择"));
    none->grid()->setCurrentRow(4);
    Q_EMIT none->grid()->rowDoubleClicked(4);
    EXPECT_EQ(none->result(), QDialog::Accepted);
    EXPECT_EQ(none->ResultText(), QStringLiteral("5"));

    auto all = open(QStringLiteral("客人选择"));
    click(*all, "rdoNoSel");
    EXPECT_EQ(all->gridModel()->data(all->gridModel()->index(39, 0), Qt::CheckStateRole).toInt(),
              Qt::Checked);
    click(*all, "rdoSelAll");
    click(*all, "rdoNoSel");
    click(*all, "btnSel");
    EXPECT_EQ(all->ResultText().split(u',').size(), 40);
    auto cleared = open(QStringLiteral("客人选择"));
    click(*cleared, "rdoNoSel");
    click(*cleared, "rdoSelAll");
    cleared->grid()->setCurrentRow(1);
    click(*cleared, "btnSel");
    EXPECT_EQ(cleared->ResultText(), QStringLiteral("2"));

    auto empty = open(QStringLiteral("客人选择"));
    child<QLineEdit>(*empty, paramName("QEdt_ZDY", paramId(*empty, "文本型")))
        ->setText(QStringLiteral("没有这个人"));
    click(*empty, "btnReflash");
    ASSERT_TRUE(empty->resultSet().isOpen());
    EXPECT_EQ(empty->resultSet().recordCount(), 0);
    click(*empty, "btnSel");
    EXPECT_EQ(empty->result(), QDialog::Accepted);
    EXPECT_TRUE(empty->ResultText().isEmpty());

    auto cancelled = open(QStringLiteral("客人选择"));
    tick(*cancelled, 0);
    click(*cancelled, "btnCancel");
    EXPECT_EQ(cancelled->result(), QDialog::Rejected);
    EXPECT_TRUE(cancelled->ResultText().isEmpty());

    auto closed = open(QStringLiteral("客人选择"));
    closed->close();
    EXPECT_EQ(closed->result(), QDialog::Rejected);
    EXPECT_FALSE(closed->isVisible());

    // Only a selection list selects.
    auto report = open(QStringLiteral("客人资料查询"));
    Q_EMIT report->grid()->rowDoubleClicked(0);
    EXPECT_TRUE(report->isVisible());
    EXPECT_TRUE(report->ResultText().isEmpty());
}

TEST_F(RunnerWindowTest, SingleSelectionNarrowedByThePreFilter)
{
    const int id = addReport(QStringLiteral("客人单选"), 2,
                             QStringLiteral("select id, 姓名 from 客人 where 1=1"), {}, {"姓名"});
    auto w = open(id, QStringLiteral("NONULTI"), QStringLiteral("id in (3,5)"));
    ASSERT_EQ(w->resultSet().recordCount(), 2);
    EXPECT_FALSE(w->isMultiSelection());
    w->grid()->setCurrentRow(1);
    click(*w, "btnSel");
    EXPECT_EQ(w->ResultText(), QStringLiteral("5"));

    // A condition without " in " filters the fetched rows.
    auto filtered =
        open(QStringLiteral("客人选择"), QStringLiteral("NONULTI"), QStringLiteral("id=3 or id=5"));
    EXPECT_EQ(filtered->resultSet().recordCount(), 2);
}

TEST_F(RunnerWindowTest, BaseDataDeletesOnlyWhenConfirmed)
{
    const QString count = QStringLiteral("select count(*) from 商品");
    const int before = scalar(count).toInt();
    auto w = open(QStringLiteral("商品资料"));
    w->grid()->setCurrentRow(2);
    const QString id = idAt(*w, 2);

    ui.expectQuestion(QStringLiteral("您确定要删除该记录吗？"), false);
    click(*w, "btnDel");
    EXPECT_EQ(scalar(count).toInt(), before);
    EXPECT_EQ(w->resultSet().recordCount(), before);

    ui.expectQuestion(QStringLiteral("您确定要删除该记录吗？"), true);
    click(*w, "btnDel");
    EXPECT_EQ(scalar(count).toInt(), before - 1);
    EXPECT_EQ(w->resultSet().recordCount(), before - 1);
    EXPECT_TRUE(scalar(QStringLiteral("select id from 商品 where id=") + id).isEmpty());

    // Record editing is not offered yet; the buttons say so.
    ui.expectMessage(QStringLiteral("还不能添加或修改记录"));
    click(*w, "btnAdd");
    ui.expectMessage(QStringLiteral("还不能添加或修改记录"));
    Q_EMIT w->grid()->rowDoubleClicked(0);

    // Changing needs a chosen category; adding needs a category to add to.
    auto *tree = child<QTreeWidget>(*w, "trvLB");
    tree->setCurrentItem(nullptr);
    EXPECT_EQ(w->resultSet().recordCount(), before - 1) << "no category filters nothing";
    ui.expectMessage(QStringLiteral("请先选中类别"));
    click(*w, "btnEdit");
    data.adoConn.execute(QStringLiteral("delete from 商品类别"));
    auto bare = open(QStringLiteral("商品资料"));
    ui.expectMessage(QStringLiteral("请先添加类别"));
    click(*bare, "btnAdd");
}

TEST_F(RunnerWindowTest, AddAndChangeGoThroughTheRecordEditorSeam)
{
    std::vector<RecordEditorRequest> requests;
    RecordEditorSeam::setEditor([&requests](const RecordEditorRequest &r) {
        requests.push_back(r);
        return 0;
    });
    auto w = open(QStringLiteral("商品资料"));
    w->grid()->setCurrentRow(3);
    const QString id = idAt(*w, 3);
    click(*w, "btnAdd");
    click(*w, "btnEdit");
    RecordEditorSeam::setEditor({});
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_TRUE(requests[0].addMode);
    EXPECT_FALSE(requests[1].addMode);
    EXPECT_EQ(requests[1].tableName, QStringLiteral("商品"));
    EXPECT_EQ(requests[1].reportId, w->reportId());
    ASSERT_EQ(requests[1].resultSet, &w->resultSet());
    EXPECT_EQ(w->resultSet().asString(QStringLiteral("id")), id)
        << "the editor works on the current row";
}

TEST_F(RunnerWindowTest, ChangedLayoutIsSavedWhenTheUserSaysSo)
{
    const int id = reportId(QStringLiteral("客人住宿明细"));
    const QString width =
        QStringLiteral("select width from reportfield where reportid=%1 and field='房号'").arg(id);

    auto kept = open(id);
    kept->gridModel()->setColumnWidth(0, 99);
    ui.expectQuestion(QStringLiteral("报表布局已经改变，是否保存布局？"), false);
    kept->reject();
    EXPECT_EQ(scalar(width), QStringLiteral("60"));

    auto saved = open(id);
    saved->gridModel()->setColumnWidth(0, 99);
    ui.expectQuestion(QStringLiteral("报表布局已经改变，是否保存布局？"), true);
    ui.expectMessage(QStringLiteral("报表布局保存成功"));
    click(*saved, "ToolButton5");
    EXPECT_EQ(saved->result(), QDialog::Rejected);
    EXPECT_EQ(scalar(width), QStringLiteral("99"));

    // Unchanged: no question.
    auto plain = open(id);
    plain->reject();
}

TEST_F(RunnerWindowTest, RunsShowTheSummaryAndInTestModeTheStatement)
{
    auto w = open(reportId(QStringLiteral("客人住宿明细")), QString(), QString(), true);
    expectVisible(*w, {"pnlTest", "mmoTest", "pnlTJ"}, {});
    EXPECT_TRUE(
        child<QLabel>(*w, "lblTJ")->text().contains(QStringLiteral("入住日期：2024-03-10")));
    auto *memo = child<QPlainTextEdit>(*w, "mmoTest");
    EXPECT_TRUE(memo->toPlainText().contains(QStringLiteral("order by a.入住日期 desc")));
    EXPECT_FALSE(memo->toPlainText().contains(QStringLiteral("{1}")));

    child<QLineEdit>(*w, paramName("QEdt_ZDY", paramId(*w, "文本型")))
        ->setText(QStringLiteral("王"));
    press(*w, Qt::Key_F5);
    EXPECT_TRUE(memo->toPlainText().contains(QStringLiteral("like '%王%'")));
    EXPECT_TRUE(visible(*w, "pnlTJ"));
    EXPECT_TRUE(child<QLabel>(*w, "lblTJ")->text().startsWith(QStringLiteral("查询条件为：")));
    EXPECT_TRUE(child<QLabel>(*w, "lblTJ")->text().contains(QStringLiteral("客人姓名：王")));

    child<QLineEdit>(*w, paramName("QEdt_ZDY", paramId(*w, "文本型")))->clear();
    press(*w, Qt::Key_F6);
    EXPECT_FALSE(memo->toPlainText().contains(QStringLiteral("王")));

    // ",2": nothing runs on opening, nor without a text condition.
    const int id = addReport(
        QStringLiteral("按姓名查客人"), 0, QStringLiteral("select * from 客人 where 1=1 {1}"),
        {{"文本型", "姓名", " and 姓名 like '%{1}%'"}}, {"姓名"}, QStringLiteral(",2"));
    auto asks = open(id);
    EXPECT_FALSE(asks->resultSet().isOpen());
    ui.expectMessage(QStringLiteral("请至少输入一个查询条件！"));
    click(*asks, "btnSearch");
    EXPECT_FALSE(asks->resultSet().isOpen());
}

TEST_F(RunnerWindowTest, ARunInProgressKeepsThePreviousRowsAndCanBeCancelled)
{
    // Counting to the typed limit takes long for a large one; only the first three rows show.
    const int id = addReport(QStringLiteral("计数"), 0,
                             QStringLiteral("with recursive n(i) as (select 1 union all select "
                                            "i + 1 from n where 1=1 {1}) select i as id, i as 数 "
                                            "from n where i <= 3"),
                             {{"数字型", "上限", " and i < {1}", "", "5"}}, {"数"});
    auto w = open(id);
    ASSERT_EQ(w->resultSet().recordCount(), 3);
    auto *summary = child<QLabel>(*w, "lblTJ");
    EXPECT_EQ(summary->text(), QStringLiteral("查询条件为： 上限：5"));
    EXPECT_FALSE(visible(*w, "pnlRun"));

    child<QLineEdit>(*w, paramName("QEdt_ZDY", paramId(*w, "数字型")))
        ->setText(QStringLiteral("2000000000"));
    int rowsDuringRun = -1;
    QString progress;
    bool stopShown = false;
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, w.get(), [&] {
        if (!w->isRunning() || !visible(*w, "pnlRun"))
            return;
        watch.stop();
        rowsDuringRun = w->gridModel()->rowCount();
        progress = child<QLabel>(*w, "lblRun")->text();
        stopShown = visible(*w, "btnStopRun");
        click(*w, "btnStopRun");
    });
    watch.start();
    click(*w, "ToolButton4");
    EXPECT_FALSE(w->isRunning());
    EXPECT_EQ(rowsDuringRun, 3) << "the rows stay while the run goes on";
    EXPECT_TRUE(progress.startsWith(QStringLiteral("正在查询…已用时"))) << progress.toStdString();
    EXPECT_TRUE(stopShown);

    EXPECT_EQ(w->resultSet().recordCount(), 3);
    EXPECT_EQ(w->gridModel()->rowCount(), 3);
    EXPECT_TRUE(visible(*w, "pnlRun"));
    EXPECT_EQ(child<QLabel>(*w, "lblRun")->text(), QStringLiteral("查询已取消"));
    EXPECT_FALSE(visible(*w, "btnStopRun"));
    EXPECT_EQ(summary->text(), QStringLiteral("查询条件为： 上限：5")) << "the old summary stays";
    EXPECT_TRUE(w->isVisible()) << "a cancel does not close the window";

    // The next run that ends replaces rows and summary and takes the note away.
    child<QLineEdit>(*w, paramName("QEdt_ZDY", paramId(*w, "数字型")))
        ->setText(QStringLiteral("2"));
    click(*w, "ToolButton4");
    EXPECT_EQ(w->resultSet().recordCount(), 2);
    EXPECT_EQ(summary->text(), QStringLiteral("查询条件为： 上限：2"));
    EXPECT_FALSE(visible(*w, "pnlRun"));
}

TEST_F(RunnerWindowTest, BoxesOfAReportOpenedDirectlyCarryItsTitle)
{
    const int id = addReport(
        QStringLiteral("按姓名查客人"), 0, QStringLiteral("select * from 客人 where 1=1 {1}"),
        {{"文本型", "姓名", " and 姓名 like '%{1}%'"}}, {"姓名"}, QStringLiteral(",2"));
    auto w = open(id);
    QtUiPlatform platform;
    UiPlatform::setInstance(&platform);
    const auto captionOfNextBox = [](const std::function<void()> &act) {
        QString caption;
        QTimer::singleShot(0, [&caption] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            caption = box->windowTitle();
            box->accept();
        });
        act();
        return caption;
    };
    const QString fresh = captionOfNextBox([&] { click(*w, "btnSearch"); });
    session().MsgTitle = QStringLiteral("报表中心");
    const QString centre = captionOfNextBox([&] { click(*w, "btnSearch"); });
    session().MsgTitle.clear();
    UiPlatform::setInstance(&ui);
    EXPECT_EQ(fresh, QStringLiteral("按姓名查客人"));
    EXPECT_EQ(centre, QStringLiteral("报表中心"));
}

TEST_F(RunnerWindowTest, RefreshKeepsTheSortAndThePhoneFilterSearchesTheShownPhones)
{
    auto w = open(QStringLiteral("客人资料查询"));
    ReportGridModel *m = w->gridModel();
    ASSERT_EQ(m->column(1).field, QStringLiteral("姓名"));
    ASSERT_TRUE(m->toggleSort(1));
    ASSERT_TRUE(m->toggleSort(1));
    const QString firstName = m->data(m->index(0, 1)).toString();
    press(*w, Qt::Key_F6);
    EXPECT_EQ(m->sortColumn(), 1);
    EXPECT_EQ(m->sortOrder(), Qt::DescendingOrder);
    EXPECT_EQ(m->data(m->index(0, 1)).toString(), firstName);
    // A new query starts from the statement's own order.
    press(*w, Qt::Key_F5);
    EXPECT_EQ(m->sortColumn(), -1);

    // The phone the grid shows is the one the phone box searches.
    ASSERT_EQ(m->column(3).title, QStringLiteral("电话"));
    const QString phone = m->data(m->index(5, 3)).toString();
    ASSERT_TRUE(QRegularExpression(QStringLiteral("^0571-8\\d{7}$")).match(phone).hasMatch())
        << phone.toStdString();
    int phoneParam = 0;
    for (const ReportParam &p : w->queryPanel()->params())
        phoneParam = p.csName == QStringLiteral("电话") ? p.id : phoneParam;
    child<QLineEdit>(*w, paramName("QEdt_ZDY", phoneParam))->setText(phone.right(6));
    click(*w, "btnSearch");
    ASSERT_GE(m->rowCount(), 1);
    for (int row = 0; row < m->rowCount(); ++row)
        EXPECT_TRUE(m->data(m->index(row, 3)).toString().contains(phone.right(6)));
}

TEST_F(RunnerWindowTest, TheLastValuesComeBackPerOperatorWithPresetsAsPresets)
{
    const auto preset = [](TfrmReportShow &w) {
        return child<QComboBox>(w, paramName("QEdt_ZDY_Cbl", paramId(w, "日期组合框2")));
    };
    const auto from = [](TfrmReportShow &w) {
        return child<QDateTimeEdit>(w, paramName("QEdt_ZDY", paramId(w, "日期组合框2")));
    };
    const auto item = [](TfrmReportShow &w) {
        return child<QComboBox>(w, paramName("QEdt_ZDY", paramId(w, "下拉框")));
    };
    const auto amount = [](TfrmReportShow &w) {
        return child<QLineEdit>(w, paramName("QEdt_ZDY", paramId(w, "数字型")));
    };
    const auto guest = [](TfrmReportShow &w) {
        return child<ButtonEdit>(w, paramName("QEdt_ZDY", paramId(w, "按钮文本框")));
    };
    session().SysInfo.UserName = QStringLiteral("张三");
    auto first = open(QStringLiteral("账单明细"));
    preset(*first)->setCurrentIndex(4);
    Q_EMIT preset(*first)->activated(4);
    ASSERT_EQ(preset(*first)->currentText(), QStringLiteral("上月"));
    item(*first)->setCurrentText(QStringLiteral("餐费"));
    amount(*first)->setText(QStringLiteral("50"));
    guest(*first)->setChoice(QStringLiteral("黄军"), QStringLiteral("8"));
    click(*first, "btnSearch");
    // Values changed after the last run are not what the report ran with.
    amount(*first)->setText(QStringLiteral("70"));
    first->reject();

    // Two months on, "上月" is the new last month, not the old dates.
    Clock::setFixed(QDateTime(QDate(2024, 5, 20), QTime(9, 0)));
    auto again = open(QStringLiteral("账单明细"));
    EXPECT_EQ(preset(*again)->currentText(), QStringLiteral("上月"));
    EXPECT_EQ(from(*again)->date(), QDate(2024, 4, 1));
    EXPECT_EQ(item(*again)->currentText(), QStringLiteral("餐费"));
    EXPECT_EQ(amount(*again)->text(), QStringLiteral("50"));
    EXPECT_EQ(guest(*again)->text(), QStringLiteral("黄军"));
    EXPECT_TRUE(guest(*again)->isChosen());
    EXPECT_EQ(guest(*again)->value(), QStringLiteral("8"));

    // Dates set by hand stay those dates.
    from(*again)->setDate(QDate(2024, 2, 3));
    click(*again, "btnSearch");
    again->reject();
    auto third = open(QStringLiteral("账单明细"));
    EXPECT_EQ(preset(*third)->currentIndex(), 0);
    EXPECT_EQ(from(*third)->date(), QDate(2024, 2, 3));
    third->reject();

    // Another operator starts from the defaults; what was typed after the last run is not kept.
    session().SysInfo.UserName = QStringLiteral("李四");
    auto other = open(QStringLiteral("账单明细"));
    EXPECT_EQ(preset(*other)->currentText(), QStringLiteral("今天"));
    EXPECT_EQ(item(*other)->currentText(), QStringLiteral("全部"));
    EXPECT_TRUE(amount(*other)->text().isEmpty());
    EXPECT_TRUE(guest(*other)->text().isEmpty());
    amount(*other)->setText(QStringLiteral("10"));
    other->reject();
    auto unchanged = open(QStringLiteral("账单明细"));
    EXPECT_TRUE(amount(*unchanged)->text().isEmpty());
}

TEST_F(RunnerWindowTest, TheEntryPointOpensTheRegisteredRunner)
{
    registerRunnerWindow();
    ASSERT_TRUE(WindowRegistry::runner());
    ui.expectModal([](QDialog &d) {
        auto &w = dynamic_cast<TfrmReportShow &>(d);
        w.show();
        tick(w, 2);
        tick(w, 0);
        click(w, "btnSel");
        return w.result();
    });
    const RunnerOutcome outcome =
        WindowRegistry::runner()({reportId(QStringLiteral("客人选择")), QString(), QString()});
    EXPECT_EQ(outcome.modalResult, QDialog::Accepted);
    EXPECT_EQ(outcome.resultText, QStringLiteral("1,3"));
}

}  // namespace
