#include "DemoRunner.h"
#include "runner/CategoryTreePanel.h"
#include "runner/ReportLBFrm.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace tavi::test {
namespace {

class CategoryTreeWindow : public DemoRunner
{
protected:
    // Captions in tree order, children indented by one blank per level.
    static QStringList shape(QTreeWidgetItem *item, int depth = 0)
    {
        QStringList out{QString(depth, u' ') + item->text(0)};
        for (int i = 0; i < item->childCount(); ++i)
            out << shape(item->child(i), depth + 1);
        return out;
    }
    static QTreeWidgetItem *itemNamed(QTreeWidget *tree, const QString &name)
    {
        const QList<QTreeWidgetItem *> found =
            tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    // The dialog gets a name typed and saved.
    void typeInDialog(const QString &name, const QString &parentCaption)
    {
        ui.expectModal([name, parentCaption](QDialog &dialog) {
            EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("lblParent"))->text(),
                      parentCaption);
            dialog.findChild<QLineEdit *>(QStringLiteral("edtName"))->setText(name);
            static_cast<TfrmReportLB &>(dialog).btnSaveClick();
            return dialog.result();
        });
    }
};

TEST_F(CategoryTreeWindow, ChoosingANodeFiltersByItAndItsDescendants)
{
    auto w = open(QStringLiteral("商品资料"));
    auto *tree = child<QTreeWidget>(*w, "trvLB");
    ASSERT_FALSE(child<QWidget>(*w, "pnlLeft")->isHidden());
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    EXPECT_EQ(shape(tree->topLevelItem(0)).mid(0, 4),
              QStringList({"所有商品", " 服务", "  洗衣", " 客房用品"}))
        << "siblings in the reverse of the statement's order";
    const int all = w->resultSet().recordCount();
    EXPECT_EQ(all, scalar(QStringLiteral("select count(*) from 商品")).toInt());

    const CategoryTree &model = w->categoryTree()->tree();
    EXPECT_EQ(model.node(model.find(9)).path, QStringLiteral("餐饮-酒水-啤酒"));
    tree->setCurrentItem(itemNamed(tree, QStringLiteral("餐饮")));
    EXPECT_EQ(w->resultSet().recordCount(),
              scalar(QStringLiteral("select count(*) from 商品 where 类别id in (1,5,10,9,4,8,7)"))
                  .toInt());
    EXPECT_LT(w->resultSet().recordCount(), all);
    tree->setCurrentItem(tree->topLevelItem(0));
    EXPECT_EQ(w->resultSet().recordCount(), all) << "the root filters nothing";
}

TEST_F(CategoryTreeWindow, AddRenameAndDeleteWriteTheHostsTable)
{
    auto w = open(QStringLiteral("商品资料"));
    auto *tree = child<QTreeWidget>(*w, "trvLB");
    CategoryTreePanel *panel = w->categoryTree();

    tree->setCurrentItem(itemNamed(tree, QStringLiteral("服务")));
    typeInDialog(QStringLiteral("  "), QStringLiteral("服务"));
    ui.expectMessage(QStringLiteral("分类名称不能为空"));
    panel->EditCategory(CategoryTreePanel::Edit::AddChild);
    ui.verify();

    typeInDialog(QStringLiteral("会议"), QStringLiteral("服务"));
    panel->EditCategory(CategoryTreePanel::Edit::AddChild);
    EXPECT_EQ(scalar(QStringLiteral("select parentid from 商品类别 where 名称='会议'")), "3");
    EXPECT_EQ(shape(itemNamed(tree, QStringLiteral("服务"))),
              QStringList({"服务", " 洗衣", " 会议"}))
        << "a new category is the last child";

    tree->setCurrentItem(itemNamed(tree, QStringLiteral("会议")));
    typeInDialog(QStringLiteral("会议室"), QStringLiteral("服务"));
    panel->EditCategory(CategoryTreePanel::Edit::Rename);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 商品类别 where 名称='会议室'")), "1");

    // A category with sub-categories is not deleted: they would be left without a parent.
    const QString before = scalar(QStringLiteral("select count(*) from 商品类别"));
    tree->setCurrentItem(itemNamed(tree, QStringLiteral("服务")));
    ui.expectMessage(QStringLiteral("“服务”下还有2个下级分类"));
    panel->EditCategory(CategoryTreePanel::Edit::Delete);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 商品类别")), before);

    tree->setCurrentItem(itemNamed(tree, QStringLiteral("会议室")));
    ui.expectQuestion(QStringLiteral("您确定要删除该分类吗？"), false);
    panel->EditCategory(CategoryTreePanel::Edit::Delete);
    ui.expectQuestion(QStringLiteral("您确定要删除该分类吗？"), true);
    panel->EditCategory(CategoryTreePanel::Edit::Delete);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from 商品类别 where 名称='会议室'")), "0");
    EXPECT_EQ(itemNamed(tree, QStringLiteral("会议室")), nullptr);

    // The root is neither renamed nor deleted.
    tree->setCurrentItem(tree->topLevelItem(0));
    panel->EditCategory(CategoryTreePanel::Edit::Rename);
    panel->EditCategory(CategoryTreePanel::Edit::Delete);
}

}  // namespace
}  // namespace tavi::test
