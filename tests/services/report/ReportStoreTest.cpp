#include "entry/UpgradeReportTables.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/report/ReportStore.h"
#include "support/ScriptedUiPlatform.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace tavi {
namespace {

// A local database with the definition tables, read and written through the store.
class StoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        file.open(data.adoConn, db::Connection::Kind::Local);
        scoped->dm = &data;
        UpgradeReportTables();
    }

    // Every row of the definition tables as text, to compare a database before and after.
    QString dump()
    {
        QString out;
        for (const char *table :
             {"ReportList", "ReportField", "ReportCS", "ReportEditField", "ReportLB"}) {
            const auto rows =
                data.adoConn.openQuery(QStringLiteral("select * from ") + QLatin1String(table) +
                                       QStringLiteral(" order by id"));
            for (rows->first(); !rows->eof(); rows->next()) {
                out += QLatin1String(table);
                for (int c = 0; c < rows->fieldCount(); ++c)
                    out += u'|' + db::Recordset::textOf(rows->value(c));
                out += u'\n';
            }
        }
        return out;
    }
    int count(const QString &sql) { return data.adoConn.openQuery(sql)->valueAt(0, 0).toInt(); }

    static ReportDefinitionRows definition(const char *title)
    {
        ReportDefinitionRows rows;
        rows.report.title = QString::fromUtf8(title);
        rows.report.bh = QStringLiteral("A01");
        rows.report.sql = QStringLiteral("select * from kr where 1=1 {1}");
        rows.report.flags = QStringLiteral(",2");
        rows.report.typeCode = 1;
        rows.report.category = 1;
        rows.columns = {
            {QStringLiteral("姓名"), QStringLiteral("xm"), QString(), 80, false},
            {QStringLiteral("金额"), QStringLiteral("je"), QStringLiteral("0.00"), 90, true}};
        rows.params = {{0, QStringLiteral("{1}"), QStringLiteral("姓名"), QStringLiteral("文本型"),
                        QString(), QString(), QStringLiteral("and xm like '%{1}%'"), 0}};
        rows.editFields = {{0, QStringLiteral("姓名"), QStringLiteral("xm"),
                            QStringLiteral("文本型"), QString(), QString(), QString(), true, true}};
        return rows;
    }

    test::TestDatabase file;
    test::ScriptedUiPlatform ui;
    Tdm data;
    ScopedSession scoped;
    ReportStore store{data.adoConn, 0};
    QString error;
};

TEST_F(StoreTest, SavedDefinitionComesBackWithItsRowsAndOrder)
{
    ReportDefinitionRows rows = definition("客人");
    ASSERT_TRUE(store.save(rows, true, &error)) << error.toStdString();
    const int id = rows.report.id;
    ASSERT_GT(id, 0);

    const ReportDefinition loaded = store.findByTitle(QStringLiteral("客人"));
    ASSERT_TRUE(loaded.found);
    EXPECT_EQ(loaded.id, id);
    EXPECT_EQ(loaded.type(), ReportType::BaseData);
    EXPECT_TRUE(loaded.textConditionRequired());
    EXPECT_FALSE(loaded.twoLevelTitles());
    EXPECT_EQ(loaded.baseTable, QStringLiteral("kr"));

    const QList<ReportColumnDef> columns = store.shownColumns(id);
    ASSERT_EQ(columns.size(), 2);
    EXPECT_EQ(columns[1].field, QStringLiteral("je"));
    EXPECT_EQ(columns[1].sortId, 2);
    EXPECT_TRUE(columns[1].hjFlag);
    EXPECT_EQ(store.params(id, ReportStore::ParamSet::Panel).size(), 1);
    EXPECT_TRUE(store.params(id, ReportStore::ParamSet::CrossTables).isEmpty());
    EXPECT_EQ(store.editFields(id).value(0).noEmpty, true);

    // Changing twice keeps one set of rows under the same id; without editable fields the
    // stored ones stay.
    rows.columns.removeLast();
    rows.editFields.clear();
    ASSERT_TRUE(store.save(rows, false, &error)) << error.toStdString();
    ASSERT_TRUE(store.save(rows, false, &error)) << error.toStdString();
    EXPECT_EQ(rows.report.id, id);
    EXPECT_EQ(count(QStringLiteral("select count(*) from ReportList")), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from ReportField")), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from ReportCS")), 1);
    EXPECT_EQ(count(QStringLiteral("select count(*) from ReportEditField")), 1);
    EXPECT_FALSE(store.findByTitle(QStringLiteral("无此报表")).found);
}

TEST_F(StoreTest, FailedWritesLeaveEveryRowAsItWas)
{
    ReportDefinitionRows rows = definition("客人");
    ASSERT_TRUE(store.save(rows, true, &error));
    const QString before = dump();

    // The database refuses the second parameter row, after the list row and the columns went in.
    data.adoConn.execute(
        QStringLiteral("create trigger refuse before insert on ReportCS when new.CSValue = '{9}' "
                       "begin select raise(abort, 'parameter refused'); end"));
    rows.params << ReportParam{0, QStringLiteral("{9}")};
    EXPECT_FALSE(store.save(rows, true, &error));
    EXPECT_EQ(error, QStringLiteral("parameter refused"));
    ReportDefinitionRows fresh = definition("新报表");
    fresh.params = rows.params;
    EXPECT_FALSE(store.save(fresh, true, &error));
    EXPECT_EQ(dump(), before);

    data.adoConn.execute(
        QStringLiteral("create trigger keep before delete on ReportList "
                       "begin select raise(abort, 'report kept'); end"));
    EXPECT_FALSE(store.remove(rows.report.id, &error));
    EXPECT_EQ(error, QStringLiteral("report kept"));
    EXPECT_EQ(dump(), before) << "the columns, parameters and fields deleted first come back";

    data.adoConn.execute(QStringLiteral("drop trigger keep"));
    EXPECT_TRUE(store.remove(rows.report.id, &error)) << error.toStdString();
    for (const char *table : {"ReportList", "ReportField", "ReportCS", "ReportEditField"})
        EXPECT_EQ(count(QStringLiteral("select count(*) from ") + QLatin1String(table)), 0)
            << table;
}

TEST_F(StoreTest, CopiedReportRowsCarryTheIdTheCopyReceived)
{
    test::TestDatabase otherFile;
    Tdm other;
    otherFile.open(other.adoConn, db::Connection::Kind::Local);
    scoped->dm = &other;
    UpgradeReportTables();
    scoped->dm = &data;
    ReportStore target(other.adoConn, 0);

    // The target's newest report was deleted: its next number is not Max(id) + 1.
    ReportDefinitionRows filler = definition("旧报表");
    ASSERT_TRUE(target.save(filler, true, &error));
    ReportDefinitionRows newest = definition("已删除");
    ASSERT_TRUE(target.save(newest, true, &error));
    ASSERT_TRUE(target.remove(newest.report.id, &error));

    ReportDefinitionRows rows = definition("客人");
    ASSERT_TRUE(store.save(rows, true, &error));
    for (int i = 0; i < 2; ++i) {
        int newId = 0;
        ASSERT_TRUE(ReportStore::copyReport(store, rows.report.id, target, 7, &newId, &error))
            << error.toStdString();
        EXPECT_GT(newId, newest.report.id);
        const ReportDefinitionRows copied = target.loadRows(newId);
        EXPECT_EQ(copied.report.title, QStringLiteral("客人"));
        EXPECT_EQ(copied.report.category, 7);
        EXPECT_EQ(copied.columns.size(), 2);
        EXPECT_EQ(copied.params.size(), 1);
        EXPECT_EQ(copied.editFields.size(), 1);
    }
    EXPECT_FALSE(ReportStore::copyReport(store, 999, target, 7, nullptr, &error));
}

TEST_F(StoreTest, CategoriesFavouritesLayoutAndTheReportList)
{
    int added = 0;
    ASSERT_TRUE(store.addCategory(QStringLiteral("客房"), 3, &added, &error));
    EXPECT_EQ(store.categoryId(QStringLiteral("客房")), added);
    ASSERT_TRUE(store.updateCategory({added, QStringLiteral("客房部"), 4}, &error));
    EXPECT_EQ(store.categoryName(added), QStringLiteral("客房部"));
    ASSERT_EQ(store.categories().size(), 2);
    EXPECT_EQ(store.categories()[0].name, QStringLiteral("综合报表"));

    ReportDefinitionRows b = definition("乙");
    b.report.bh = QStringLiteral("B");
    b.report.category = added;
    ReportDefinitionRows a = definition("甲");
    ASSERT_TRUE(store.save(b, true, &error));
    ASSERT_TRUE(store.save(a, true, &error));
    ASSERT_TRUE(store.setFavourite(b.report.id, true, &error));
    const auto titles = [this](int tag) {
        QStringList t;
        for (const ReportDefinition &d : store.reports(tag))
            t << d.title;
        return t;
    };
    EXPECT_EQ(titles(0), QStringList({"甲", "乙"})) << "ordered by number";
    EXPECT_EQ(titles(added), QStringList({"乙"}));
    EXPECT_EQ(titles(-1), QStringList({"乙"}));
    ASSERT_TRUE(store.removeCategory(added, &error));
    EXPECT_EQ(store.categories().size(), 1);

    ASSERT_TRUE(store.saveLayout(
        a.report.id, {{QStringLiteral("je"), 133}, {QStringLiteral("xm"), 50}}, &error));
    const QList<ReportColumnDef> columns = store.shownColumns(a.report.id);
    ASSERT_EQ(columns.size(), 2);
    EXPECT_EQ(columns[0].field, QStringLiteral("je"));
    EXPECT_EQ(columns[0].width, 133);
    EXPECT_EQ(store.shownColumns(b.report.id).value(0).width, 80) << "other reports keep theirs";
}

TEST_F(StoreTest, CrossTableColumnsCopyTheirTemplatePerListValue)
{
    ReportDefinitionRows rows = definition("交叉");
    rows.columns = {{QStringLiteral("合计"), QStringLiteral("je"), QString(), 80, true},
                    {QStringLiteral("营业额[交叉表列]"), QStringLiteral("[交叉表列]"),
                     QStringLiteral("0.00"), 70, true}};
    ASSERT_TRUE(store.save(rows, false, &error));
    const QList<ReportColumnDef> columns = store.shownColumns(
        rows.report.id,
        {{QStringLiteral("[交叉表列]"), {QStringLiteral("O'Neil"), QStringLiteral("前台")}}});
    QStringList shown;
    for (const ReportColumnDef &c : columns)
        shown << c.title + u'=' + c.field;
    EXPECT_EQ(shown, QStringList({"合计=je", "营业额O'Neil=Tavi_Field_Tmp00",
                                  "营业额前台=Tavi_Field_Tmp01"}));
}

}  // namespace
}  // namespace tavi
