#include "services/db/Connection.h"
#include "services/db/Recordset.h"
#include "services/report/CategoryTable.h"
#include "services/report/CategoryTree.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace tavi {
namespace {

QList<CategoryRow> rows(std::initializer_list<CategoryRow> list)
{
    return QList<CategoryRow>(list);
}

// Captions in tree order, children indented by one blank per level.
QStringList shape(const CategoryTree &tree, int index = CategoryTree::kRoot, int depth = 0)
{
    QStringList out{QString(depth, u' ') + tree.node(index).name};
    for (const int child : tree.children(index))
        out << shape(tree, child, depth + 1);
    return out;
}

TEST(CategoryTreeTest, PathsIdListsAndSiblingOrder)
{
    CategoryTree tree;
    tree.fill(QStringLiteral("所有产品"), rows({{1, QStringLiteral("饮料"), 0},
                                                {2, QStringLiteral("酒水"), 1},
                                                {3, QStringLiteral("啤酒"), 2},
                                                {4, QStringLiteral("香烟"), 0},
                                                {5, QStringLiteral("果汁"), 1}}));
    EXPECT_EQ(shape(tree),
              QStringList({"所有产品", " 香烟", " 饮料", "  果汁", "  酒水", "   啤酒"}));
    EXPECT_EQ(tree.node(tree.find(3)).path, QStringLiteral("饮料-酒水-啤酒"));
    EXPECT_EQ(tree.node(tree.find(1)).path, QStringLiteral("饮料"));
    EXPECT_EQ(tree.idList(tree.find(1)), QStringLiteral("1,5,2,3"));
    EXPECT_EQ(tree.descendantCount(tree.find(1)), 3);
    EXPECT_EQ(tree.find(9), -1);
    EXPECT_EQ(tree.node(CategoryTree::kRoot).path, QString());
}

TEST(CategoryTreeTest, OrphansGoUnderTheRootAndEditsKeepTheTreeWhole)
{
    CategoryTree tree;
    tree.fill(QStringLiteral("全部"), rows({{2, QStringLiteral("酒水"), 1},
                                            {1, QStringLiteral("饮料"), 0},
                                            {7, QStringLiteral("无主"), 99}}));
    EXPECT_EQ(shape(tree), QStringList({"全部", " 无主", " 饮料", " 酒水"}));
    EXPECT_EQ(tree.node(tree.find(2)).path, QStringLiteral("酒水"));

    const int drinks = tree.find(1);
    const int juice = tree.append(drinks, {8, QStringLiteral("果汁"), QString(), 1});
    tree.append(juice, {9, QStringLiteral("橙汁"), QString(), 8});
    tree.rename(drinks, QStringLiteral("饮品"));
    EXPECT_EQ(shape(tree), QStringList({"全部", " 无主", " 饮品", "  果汁", "   橙汁", " 酒水"}));
    tree.remove(drinks);
    tree.remove(CategoryTree::kRoot);
    EXPECT_EQ(shape(tree), QStringList({"全部", " 无主", " 酒水"}));
    EXPECT_EQ(tree.find(9), -1);
    EXPECT_EQ(tree.size(), 3);
}

TEST(CategoryTableTest, AddsRenamesAndDeletesRowsOfTheHostTable)
{
    test::TestDatabase file;
    db::Connection connection;
    file.open(connection, db::Connection::Kind::Local);
    connection.execute(QStringLiteral(
        "create table 商品类别(id counter PRIMARY KEY, 名称 varchar(20), 上级 int)"));
    connection.execute(QStringLiteral("insert into 商品类别(名称, 上级) values('饮料', 0)"));

    CategoryTable table(connection);
    ASSERT_TRUE(table.open(QStringLiteral("select id, 名称, 上级 from 商品类别 order by id")));
    int id = 0;
    QString error;
    ASSERT_TRUE(table.add(QStringLiteral("酒水"), 1, &id, &error)) << error.toStdString();
    EXPECT_EQ(id, 2);
    ASSERT_TRUE(table.rename(1, QStringLiteral("饮品"), &error));
    EXPECT_FALSE(table.rename(0, QStringLiteral("根"), &error)) << "the root has no row";
    const auto stored = [&connection] {
        QStringList out;
        const auto rs = connection.openQuery(QStringLiteral("select * from 商品类别 order by id"));
        for (rs->first(); !rs->eof(); rs->next())
            out << rs->asString(QStringLiteral("名称")) + u'/' +
                       rs->asString(QStringLiteral("上级"));
        return out;
    };
    EXPECT_EQ(stored(), QStringList({"饮品/0", "酒水/1"}));
    ASSERT_TRUE(table.remove(1, &error));
    EXPECT_EQ(stored(), QStringList({"酒水/1"}));
    EXPECT_EQ(table.rows().size(), 1);

    CategoryTable broken(connection);
    EXPECT_FALSE(broken.open(QStringLiteral("select * from 没有的表")));
    EXPECT_TRUE(broken.rows().isEmpty());
    EXPECT_FALSE(broken.add(QStringLiteral("x"), 0, &id, &error));
}

}  // namespace
}  // namespace tavi
