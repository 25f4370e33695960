#include "editor/EditorRegistration.h"
#include "editor/ReportEditFrm.h"
#include "runner/DemoRunner.h"
#include "services/report/ReportGridModel.h"
#include "ui/ReportGridView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

namespace tavi::test {
namespace {

// The record editor on the demo hotel's product list, opened from the runner's buttons.
class RecordEditor : public DemoRunner
{
protected:
    void SetUp() override
    {
        DemoRunner::SetUp();
        registerRecordEditor();
    }
    void TearDown() override
    {
        RecordEditorSeam::setEditor({});
        DemoRunner::TearDown();
    }
    static QLineEdit *input(QDialog &d, int id)
    {
        return d.findChild<QLineEdit *>(QStringLiteral("QEdt_ZDY") + QString::number(id));
    }
    int fieldId(const char *field)
    {
        return scalar(QStringLiteral("select id from ReportEditField where Field='%1'")
                          .arg(QString::fromUtf8(field)))
            .toInt();
    }
    QString products() { return scalar(QStringLiteral("select count(*) from 商品")); }
    void press(TfrmReportShow &w, const char *button)
    {
        child<QAbstractButton>(w, QString::fromLatin1(button))->click();
    }
};

TEST_F(RecordEditor, AddedRecordIsWrittenAndShownAtOnceWithItsCategory)
{
    auto w = open(QStringLiteral("商品资料"));
    auto *tree = child<QTreeWidget>(*w, "trvLB");
    tree->setCurrentItem(tree->findItems(QStringLiteral("啤酒"), Qt::MatchRecursive).first());
    const int shown = w->resultSet().recordCount();
    QSignalSpy resets(w->gridModel(), &QAbstractItemModel::modelReset);
    const int name = fieldId("名称");
    const int price = fieldId("单价");
    ui.expectModal([&](QDialog &d) {
        auto &editor = static_cast<TfrmReportEdit &>(d);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("商品资料"));
        EXPECT_EQ(editor.group()
                      ->findChild<QLabel *>(QStringLiteral("QLbl_ZDY") + QString::number(name))
                      ->text(),
                  QStringLiteral("商品名称："));
        input(d, name)->insert(QStringLiteral("燕京啤酒"));
        QTest::keyClicks(input(d, price), QStringLiteral("-a7.5x"));
        EXPECT_EQ(input(d, price)->text(), QStringLiteral("7.5")) << "amounts take digits only";
        EXPECT_EQ(w->resultSet().recordCount(), shown + 1) << "the grid shows the new row";
        QTest::keyClick(&d, Qt::Key_Return);
        EXPECT_EQ(w->resultSet().state(), db::Recordset::State::Insert) << "Enter never saves";
        editor.btnSaveClick();
        return d.result();
    });
    press(*w, "btnAdd");
    EXPECT_EQ(scalar(QStringLiteral("select 单价 from 商品 where 名称='燕京啤酒'")), "7.5");
    EXPECT_EQ(scalar(QStringLiteral("select 类别id from 商品 where 名称='燕京啤酒'")), "9")
        << "the chosen category";
    EXPECT_EQ(scalar(QStringLiteral("select 单位 from 商品 where 名称='燕京啤酒'")), "份")
        << "a new record starts from the defaults";
    EXPECT_EQ(w->resultSet().recordCount(), shown + 1);
    EXPECT_EQ(resets.size(), 0) << "rows change one by one";
}

TEST_F(RecordEditor, RequiredAndDuplicateChecksKeepTheDialogOpen)
{
    auto w = open(QStringLiteral("商品资料"));
    const QString before = products();
    const int name = fieldId("名称");
    ui.expectModal([&](QDialog &d) {
        auto &editor = static_cast<TfrmReportEdit &>(d);
        ui.expectMessage(QStringLiteral("商品名称不能为空，请重新输入"));
        editor.btnSaveClick();
        EXPECT_TRUE(input(d, name)->hasFocus() || !d.isActiveWindow());
        input(d, name)->insert(QStringLiteral("宫保鸡丁"));
        ui.expectMessage(QStringLiteral("商品名称[宫保鸡丁]已经存在，请重新输入"));
        editor.btnSaveClick();
        return QDialog::Rejected;
    });
    press(*w, "btnAdd");
    EXPECT_EQ(products(), before) << "cancel leaves the table as it was";
    EXPECT_EQ(w->resultSet().recordCount(), before.toInt());

    // Changing a record keeps its own name without being its own duplicate.
    w->grid()->setCurrentRow(0);
    ui.expectModal([&](QDialog &d) {
        EXPECT_EQ(input(d, name)->text(), QStringLiteral("宫保鸡丁"));
        static_cast<TfrmReportEdit &>(d).btnSaveClick();
        return d.result();
    });
    press(*w, "btnEdit");
    EXPECT_EQ(products(), before);
}

TEST_F(RecordEditor, ARefusedPostKeepsTheValuesAndEscDiscards)
{
    auto w = open(QStringLiteral("商品资料"));
    data.adoConn.execute(
        QStringLiteral("create trigger refuse before insert on 商品 when new.名称 = '坏' "
                       "begin select raise(abort, '商品被拒绝'); end"));
    const int name = fieldId("名称");
    const QString before = products();
    ui.expectModal([&](QDialog &d) {
        input(d, name)->insert(QStringLiteral("坏"));
        ui.expectMessage(QStringLiteral("商品被拒绝"));
        static_cast<TfrmReportEdit &>(d).btnSaveClick();
        EXPECT_EQ(input(d, name)->text(), QStringLiteral("坏"));
        QTest::keyClick(&d, Qt::Key_Escape);
        return d.result();
    });
    press(*w, "btnAdd");
    EXPECT_EQ(products(), before);
    EXPECT_EQ(w->resultSet().recordCount(), before.toInt()) << "the appended row is discarded";
}

TEST_F(RecordEditor, TheDetailGridShowsTheDetailReportAndAddsAndDeletesItsRows)
{
    auto w = open(QStringLiteral("商品资料"));
    const QString categories = QStringLiteral("select count(*) from 商品类别");
    const int before = scalar(categories).toInt();
    ui.expectModal([&](QDialog &d) {
        auto &editor = static_cast<TfrmReportEdit &>(d);
        ReportGridView *grid = editor.detailGrid();
        EXPECT_NE(grid, nullptr);
        EXPECT_GT(editor.detailReportId(), 0);
        ReportGridModel *model = grid->model();
        EXPECT_EQ(model->rowCount(), before);
        EXPECT_EQ(model->columnCount(), 3);
        EXPECT_EQ(model->column(0).width, 50);
        EXPECT_EQ(model->footerText(0), QStringLiteral("共计%1条记录").arg(before));
        // 中餐's parent is 餐饮: the lookup column shows the name, not the id.
        EXPECT_EQ(model->data(model->index(3, 2)).toString(), QStringLiteral("餐饮"));

        ui.expectModal([&](QDialog &nested) {
            nested.findChild<QLineEdit *>()->insert(QStringLiteral("会议"));
            static_cast<TfrmReportEdit &>(nested).btnSaveClick();
            return nested.result();
        });
        d.findChild<QPushButton *>(QStringLiteral("btnDetailAdd"))->click();
        EXPECT_EQ(model->rowCount(), before + 1);
        EXPECT_EQ(scalar(categories).toInt(), before + 1);

        grid->setCurrentRow(before);
        ui.expectQuestion(QStringLiteral("您确定要删除该记录吗？"), true);
        d.findChild<QPushButton *>(QStringLiteral("btnDetailDel"))->click();
        EXPECT_EQ(model->rowCount(), before);
        return QDialog::Rejected;
    });
    press(*w, "btnAdd");
    EXPECT_EQ(scalar(categories).toInt(), before);
}

TEST_F(RecordEditor, ASelectionListAddsThroughItsBaseDataReport)
{
    auto w = open(QStringLiteral("商品选择"));
    auto *add = child<QPushButton>(*w, "btnSelAdd");
    ASSERT_FALSE(add->isHidden()) << "the list names a base-data report";
    const int shown = w->resultSet().recordCount();
    ui.expectModal([&](QDialog &d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("商品资料"));
        input(d, fieldId("名称"))->insert(QStringLiteral("果盘"));
        static_cast<TfrmReportEdit &>(d).btnSaveClick();
        return d.result();
    });
    add->click();
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 商品 where 名称='果盘'")), "1");
    EXPECT_EQ(w->resultSet().recordCount(), shown + 1) << "the list shows the new record";
    EXPECT_TRUE(child<QPushButton>(*open(QStringLiteral("客人选择")), "btnSelAdd")->isHidden());
}

}  // namespace
}  // namespace tavi::test
