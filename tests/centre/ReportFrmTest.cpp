#include "CentreFixture.h"
#include "centre/LBFrm.h"
#include "centre/LB_AddFrm.h"
#include "centre/ReportFrm.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

namespace tavi::test {
namespace {

class Centre : public CentreFixture
{
protected:
    std::unique_ptr<TfrmReport> open()
    {
        auto w = std::make_unique<TfrmReport>();
        w->show();
        return w;
    }
    static QTabBar *tabs(const TfrmReport &w) { return child<QTabBar>(w, "rzPage"); }
    static QStringList tabTexts(const TfrmReport &w)
    {
        QStringList out;
        for (int i = 0; i < tabs(w)->count(); ++i)
            out << tabs(w)->tabText(i);
        return out;
    }
    static QStringList titles(const TfrmReport &w)
    {
        QStringList out;
        for (const ReportDefinition &r : w.reports())
            out << r.title;
        return out;
    }
    static void click(const TfrmReport &w, const char *button)
    {
        child<QPushButton>(w, button)->click();
    }
    static void selectTitle(TfrmReport &w, const QString &title)
    {
        const int row = int(titles(w).indexOf(title));
        ASSERT_GE(row, 0) << title.toStdString();
        child<QTableWidget>(w, "DBGridEh1")->setCurrentCell(row, 0);
    }
    int categoryTag(const char *name) { return store().categoryId(QString::fromUtf8(name)); }
};

TEST_F(Centre, ShowsTheFixedTabsThenOneTabPerCategoryAndListsByNumber)
{
    auto w = open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("报表中心"));
    EXPECT_EQ(session().MsgTitle, QStringLiteral("报表中心"));
    QStringList expected{QStringLiteral("全部报表"), QStringLiteral("常用报表")};
    for (const ReportCategory &c : store().categories())
        expected << c.name;
    EXPECT_EQ(tabTexts(*w), expected);
    EXPECT_EQ(tabs(*w)->tabData(1).toInt(), -1);
    EXPECT_EQ(w->activeTag(), 0);
    ASSERT_EQ(w->reports().size(), scalar(QStringLiteral("select count(*) from ReportList")));
    for (int i = 1; i < w->reports().size(); ++i)
        EXPECT_LE(w->reports()[i - 1].bh, w->reports()[i].bh);

    const int front = categoryTag("前台报表");
    ASSERT_TRUE(w->selectTag(front));
    EXPECT_EQ(w->reports().size(),
              scalar(QStringLiteral("select count(*) from ReportList where lb=%1").arg(front)));
    saveShot(*w, QStringLiteral("centre"));

    // The operator finds the tab again next time.
    w.reset();
    EXPECT_EQ(open()->activeTag(), front);
}

TEST_F(Centre, RunsTheCurrentReportByButtonDoubleClickAndEnter)
{
    auto w = open();
    selectTitle(*w, QStringLiteral("每日营业额"));
    const int id = w->currentReport()->id;
    click(*w, "btnView");
    click(*w, "btnTest");
    auto *grid = child<QTableWidget>(*w, "DBGridEh1");
    Q_EMIT grid->cellDoubleClicked(grid->currentRow(), 1);
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Return);
    ASSERT_EQ(runs.size(), 4u);
    for (size_t i = 0; i < runs.size(); ++i) {
        EXPECT_EQ(runs[i].reportId, id);
        EXPECT_EQ(runs[i].testMode, i == 1) << i;
    }
}

TEST_F(Centre, FavouritesAreMarkedOnACategoryTabAndRemovedOnTheFavouritesTab)
{
    auto w = open();
    ASSERT_TRUE(w->selectTag(categoryTag("财务报表")));
    const ReportDefinition *r = nullptr;
    for (const ReportDefinition &d : w->reports())
        r = d.favourite ? r : &d;
    ASSERT_NE(r, nullptr) << "a finance report that is no favourite yet";
    const QString title = r->title;
    selectTitle(*w, title);
    ui.expectQuestion(QStringLiteral("您确定要将[") + title + QStringLiteral("]设为常用报表吗？"),
                      true)
        .expectMessage(QStringLiteral("设为常用报表成功"));
    click(*w, "btnSetFav");
    EXPECT_TRUE(titles(*w).contains(title));
    EXPECT_TRUE(store().findByTitle(title).favourite);

    ASSERT_TRUE(w->selectTag(-1));
    EXPECT_EQ(child<QPushButton>(*w, "btnSetFav")->text(), QStringLiteral("取消常用报表"));
    ASSERT_TRUE(titles(*w).contains(title));
    selectTitle(*w, title);
    ui.expectQuestion(QStringLiteral("您确定要取消常用报表[") + title + QStringLiteral("]吗？"),
                      true);
    click(*w, "btnSetFav");
    EXPECT_FALSE(titles(*w).contains(title));
    EXPECT_FALSE(store().findByTitle(title).favourite);
    ASSERT_TRUE(w->selectTag(0));
    EXPECT_EQ(child<QPushButton>(*w, "btnSetFav")->text(), QStringLiteral("设为常用报表"));
}

TEST_F(Centre, DeleteRemovesEveryRowOfTheReportOrNothing)
{
    auto w = open();
    const int id = store().findByTitle(QStringLiteral("商品资料")).id;
    ASSERT_GT(
        scalar(QStringLiteral("select count(*) from ReportEditField where ReportID=%1").arg(id)),
        0);
    const QString counts = QStringLiteral(
                               "select (select count(*) from ReportField where ReportID=%1) + "
                               "(select count(*) from ReportCS where ReportID=%1) + "
                               "(select count(*) from ReportEditField where ReportID=%1) + "
                               "(select count(*) from ReportList where id=%1)")
                               .arg(id);
    const int before = scalar(counts);
    selectTitle(*w, QStringLiteral("商品资料"));
    const int row = child<QTableWidget>(*w, "DBGridEh1")->currentRow();

    // The database refuses the list row after the other three kinds were deleted.
    data.adoConn.execute(
        QStringLiteral("create trigger keep before delete on ReportList "
                       "begin select raise(abort, 'report kept'); end"));
    ui.expectQuestion(QStringLiteral("您确定要删除该报表吗？"), true)
        .expectMessage(QStringLiteral("report kept"));
    click(*w, "btnDel");
    EXPECT_EQ(scalar(counts), before);
    EXPECT_TRUE(titles(*w).contains(QStringLiteral("商品资料")));

    ui.expectQuestion(QStringLiteral("您确定要删除该报表吗？"), false);
    click(*w, "btnDel");
    EXPECT_EQ(scalar(counts), before);

    data.adoConn.execute(QStringLiteral("drop trigger keep"));
    ui.expectQuestion(QStringLiteral("您确定要删除该报表吗？"), true);
    click(*w, "btnDel");
    EXPECT_EQ(scalar(counts), 0);
    EXPECT_FALSE(titles(*w).contains(QStringLiteral("商品资料")));
    EXPECT_EQ(child<QTableWidget>(*w, "DBGridEh1")->currentRow(),
              std::min(row, int(w->reports().size()) - 1))
        << "the neighbour becomes current";
}

TEST_F(Centre, AddAndImportAskForACategoryTabAndEmptyListsDoNothing)
{
    auto w = open();
    for (int tag : {0, -1}) {
        ASSERT_TRUE(w->selectTag(tag));
        ui.expectMessage(QStringLiteral("请选选择类别"))
            .expectMessage(QStringLiteral("请选选择类别"));
        click(*w, "btnAdd");
        click(*w, "btnImport");
        ui.verify();
    }
    ASSERT_TRUE(w->selectTag(categoryTag("综合报表")));
    ui.expectMessage(QStringLiteral("此版本没有报表向导。"));
    click(*w, "btnAdd");

    std::vector<WizardRequest> wizard;
    WindowRegistry::setWizard([&wizard](const WizardRequest &r) {
        wizard.push_back(r);
        return 1;
    });
    click(*w, "btnAdd");
    ASSERT_EQ(wizard.size(), 1u);
    EXPECT_EQ(wizard[0].reportId, 0);
    EXPECT_EQ(wizard[0].categoryName, QStringLiteral("综合报表"));

    // No current report: nothing happens and nothing is said.
    child<QLineEdit>(*w, "edtSearch")->setText(QStringLiteral("没有这样的报表"));
    ASSERT_TRUE(w->reports().isEmpty());
    for (const char *b : {"btnView", "btnTest", "btnEdit", "btnDel", "btnExport", "btnSetFav"})
        click(*w, b);
    EXPECT_TRUE(runs.empty());
    EXPECT_EQ(wizard.size(), 1u);
}

TEST_F(Centre, SearchFiltersTheListByTitleOrNumberAsYouType)
{
    auto w = open();
    const int all = int(w->reports().size());
    auto *search = child<QLineEdit>(*w, "edtSearch");
    QTest::keyClicks(search, QStringLiteral("10"));
    ASSERT_FALSE(w->reports().isEmpty());
    EXPECT_LT(w->reports().size(), all);
    for (const ReportDefinition &r : w->reports())
        EXPECT_TRUE(r.bh.contains(QStringLiteral("10")) || r.title.contains(QStringLiteral("10")))
            << r.title.toStdString();
    QTest::keyClick(search, Qt::Key_1);
    EXPECT_EQ(titles(*w), QStringList{QStringLiteral("客人住宿明细")});
    search->setText(QStringLiteral("营业"));
    ASSERT_FALSE(w->reports().isEmpty());
    for (const ReportDefinition &r : w->reports())
        EXPECT_TRUE(r.title.contains(QStringLiteral("营业"))) << r.title.toStdString();
    search->setText(QStringLiteral("%"));
    EXPECT_TRUE(w->reports().isEmpty()) << "typed wildcards mean themselves";
    search->clear();
    EXPECT_EQ(w->reports().size(), all);
}

// The category list: one scripted dialog inside another.
TEST_F(Centre, AddingACategoryGivesExactlyOneNewTab)
{
    auto w = open();
    const QStringList before = tabTexts(*w);
    ui.expectModal([](QDialog &d) {
        d.show();
        child<QToolButton>(d, "btnAdd")->click();
        return 0;
    });
    ui.expectModal([](QDialog &d) {
        d.show();
        child<QLineEdit>(d, "edtName")->setText(QStringLiteral("客房报表"));
        child<QPushButton>(d, "btnOK")->click();
        return d.result();
    });
    click(*w, "btnLB");
    EXPECT_EQ(tabTexts(*w), before + QStringList{QStringLiteral("客房报表")});
    EXPECT_EQ(tabs(*w)->tabData(tabs(*w)->count() - 1).toInt(), categoryTag("客房报表"));
}

TEST_F(Centre, TheCategoryFormChecksStoresOnlyOnOkAndCanGoOn)
{
    const int before = scalar(QStringLiteral("select count(*) from ReportLB"));
    TfrmLB list;
    list.show();
    ui.expectModal([this](QDialog &d) {
        d.show();
        auto *name = child<QLineEdit>(d, "edtName");
        auto *order = child<QLineEdit>(d, "edtOrderID");
        auto *ok = child<QPushButton>(d, "btnOK");
        child<QCheckBox>(d, "chkGoOn")->setChecked(true);
        ui.expectMessage(QStringLiteral("名称不能为空"));
        name->setText(QStringLiteral("  "));
        ok->click();
        name->setText(QStringLiteral("甲"));
        order->clear();
        ui.expectMessage(QStringLiteral("排序ID不能为空"));
        ok->click();
        order->setText(QStringLiteral("1.5"));
        ui.expectMessage(QStringLiteral("排序ID必须是整数"));
        ok->click();
        ui.expectMessage(QStringLiteral("类别[前台报表]已经存在"));
        name->setText(QStringLiteral("前台报表"));
        order->setText(QStringLiteral("9"));
        ok->click();
        for (const char *n : {"甲", "乙", "丙"}) {
            name->setText(QString::fromUtf8(n));
            ok->click();
            EXPECT_TRUE(name->text().isEmpty()) << "a fresh row for the next one";
        }
        return 0;
    });
    QTest::keyClick(&list, Qt::Key_F5);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ReportLB")), before + 3);
    EXPECT_TRUE(list.categoriesChanged());
    EXPECT_EQ(list.categories().size(), before + 3);

    // A change that is cancelled leaves the stored name.
    ui.expectModal([](QDialog &d) {
        d.show();
        EXPECT_EQ(child<QLineEdit>(d, "edtName")->text(), QStringLiteral("丙"));
        child<QLineEdit>(d, "edtName")->setText(QStringLiteral("丁"));
        child<QPushButton>(d, "btnCancel")->click();
        return d.result();
    });
    child<QToolButton>(list, "btnEdit")->click();
    EXPECT_EQ(store().categoryId(QStringLiteral("丁")), 0);
    EXPECT_NE(store().categoryId(QStringLiteral("丙")), 0);
}

TEST_F(Centre, ADeletedCategoryLosesItsTabAndKeepsItsReports)
{
    auto w = open();
    const int front = categoryTag("前台报表");
    const int reports =
        scalar(QStringLiteral("select count(*) from ReportList where lb=%1").arg(front));
    ASSERT_GT(reports, 0);
    ASSERT_TRUE(w->selectTag(front));
    ui.expectModal([this, front](QDialog &d) {
        d.show();
        auto &list = static_cast<TfrmLB &>(d);
        const int row =
            int(std::find_if(list.categories().begin(), list.categories().end(),
                             [front](const ReportCategory &c) { return c.id == front; }) -
                list.categories().begin());
        child<QTableWidget>(d, "DBGridEh1")->setCurrentCell(row, 0);
        ui.expectQuestion(QStringLiteral("您确定要删除该记录吗？"), true);
        child<QToolButton>(d, "btnDel")->click();
        return 0;
    });
    click(*w, "btnLB");
    EXPECT_FALSE(tabTexts(*w).contains(QStringLiteral("前台报表")));
    EXPECT_EQ(w->activeTag(), 0);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ReportList where lb=%1").arg(front)),
              reports);
}

}  // namespace
}  // namespace tavi::test
