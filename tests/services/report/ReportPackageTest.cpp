#include "entry/UpgradeReportTables.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/report/ReportPackage.h"
#include "services/report/ReportStore.h"
#include "support/ScriptedUiPlatform.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace tavi {
namespace {

// Two host databases with the definition tables and a folder for package files.
class PackageTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (auto *host : {&source, &target}) {
            host->file.open(host->data.adoConn, db::Connection::Kind::Local);
            scoped->dm = &host->data;
            UpgradeReportTables();
        }
    }

    struct Host
    {
        test::TestDatabase file;
        Tdm data;
        ReportStore store{data.adoConn, 0};

        int count(const QString &sql) { return data.adoConn.openQuery(sql)->valueAt(0, 0).toInt(); }
        void exec(const QString &sql) { data.adoConn.execute(sql); }
    };

    // A report with three columns and two parameters, and editable fields when asked.
    static ReportDefinitionRows report(const char *title, bool withEditFields = false)
    {
        ReportDefinitionRows rows;
        rows.report.title = QString::fromUtf8(title);
        rows.report.bh = QStringLiteral("B07");
        rows.report.sql = QStringLiteral("select * from 住宿 where 1=1 {1} {2}");
        rows.report.flags = QStringLiteral(",2");
        rows.report.typeCode = withEditFields ? 1 : 0;
        rows.report.category = 1;
        rows.report.mxReportName = QStringLiteral("明细");
        for (const char *field : {"房号", "入住日期", "房费"})
            rows.columns << ReportColumnDef{QString::fromUtf8(field),
                                            QString::fromUtf8(field),
                                            QString(),
                                            80,
                                            false,
                                            0,
                                            true,
                                            true,
                                            2};
        rows.params = {
            {0, QStringLiteral("{1}"), QStringLiteral("房号"), QStringLiteral("文本型"), QString(),
             QString(), QStringLiteral("and 房号='{1}'"), 0},
            {0, QStringLiteral("{2}"), QStringLiteral("入住日期"), QStringLiteral("日期型"),
             QString(), QString(), QStringLiteral("and 入住日期 between {2}"), 1}};
        if (withEditFields)
            rows.editFields = {{0, QStringLiteral("房型"), QStringLiteral("房型"),
                                QStringLiteral("下拉框"), QString(), QString(), QString(), true,
                                false, 1, QStringLiteral("标准间\n大床房")}};
        return rows;
    }

    QString path(const char *name) const
    {
        return QDir(folder.path()).filePath(QLatin1String(name));
    }
    static QByteArray digest(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly)
                   ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                   : QByteArray();
    }
    // Highest report id 41 and a category 5, as a host that has been in use.
    void prepareTarget()
    {
        target.exec(
            QStringLiteral("insert into ReportList(id, title, lb) values(41, '旧报表', 1)"));
        target.exec(QStringLiteral("insert into ReportLB(id, name, orderid) values(5, '客房', 5)"));
    }

    ScopedSession scoped;
    test::ScriptedUiPlatform ui;
    Host source;
    Host target;
    QTemporaryDir folder;
    QString error;
};

TEST_F(PackageTest, ExportedReportImportsUnderTheIdTheHostGaveIt)
{
    ReportDefinitionRows rows = report("住宿明细");
    ASSERT_TRUE(source.store.save(rows, true, &error)) << error.toStdString();
    const int id = rows.report.id;
    const QString file = path("住宿明细.QVP");
    ASSERT_TRUE(ReportPackage::exportReport(source.store, id, file, &error)) << error.toStdString();

    db::Connection package;
    package.openLocal(file);
    const auto scalar = [&](const QString &sql) {
        return package.openQuery(sql)->valueAt(0, 0).toInt();
    };
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ReportList")), 1);
    EXPECT_EQ(scalar(QStringLiteral("select id from ReportList")), id);
    EXPECT_EQ(scalar(QStringLiteral("select lb from ReportList")), 1);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ReportField where ReportID=") +
                     QString::number(id)),
              3);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ReportCS where ReportID=") +
                     QString::number(id)),
              2);
    EXPECT_EQ(scalar(QStringLiteral("select count(*) from ReportEditField")), 0);
    package.close();

    prepareTarget();
    const QByteArray before = digest(file);
    int newId = 0;
    ASSERT_TRUE(ReportPackage::importReport(file, target.store, 5, &newId, &error))
        << error.toStdString();
    EXPECT_EQ(newId, 42);
    const ReportDefinitionRows imported = target.store.loadRows(42);
    EXPECT_EQ(imported.report.title, QStringLiteral("住宿明细"));
    EXPECT_EQ(imported.report.category, 5);
    EXPECT_EQ(imported.report.bh, QStringLiteral("B07"));
    EXPECT_EQ(imported.report.flags, QStringLiteral(",2"));
    EXPECT_TRUE(imported.report.mxReportName.isEmpty()) << "packages carry no detail report";
    EXPECT_EQ(target.count(QStringLiteral("select count(*) from ReportField where ReportID=42")),
              3);
    EXPECT_EQ(target.count(QStringLiteral("select count(*) from ReportCS where ReportID=42")), 2);
    EXPECT_EQ(imported.columns.value(0).align, 2);
    EXPECT_EQ(digest(file), before) << "importing never changes the package";
}

TEST_F(PackageTest, RowsFollowTheNewReportAfterTheNewestWasDeletedAndOnEveryImport)
{
    ReportDefinitionRows rows = report("房间维护", true);
    ASSERT_TRUE(source.store.save(rows, true, &error));
    const QString file = path("a.QVP");
    ASSERT_TRUE(ReportPackage::exportReport(source.store, rows.report.id, file, &error));
    const QString second = path("b.QVP");
    ASSERT_TRUE(ReportPackage::exportReport(source.store, rows.report.id, second, &error))
        << "a second export in a row works as well";

    // The host's number generator has passed 41: Max(id) + 1 would name a row that is not it.
    prepareTarget();
    target.exec(QStringLiteral("insert into ReportList(id, title, lb) values(60, '已删除', 1)"));
    target.exec(QStringLiteral("delete from ReportList where id=60"));
    QList<int> ids;
    for (const QString &package : {file, file, second}) {
        int newId = 0;
        ASSERT_TRUE(ReportPackage::importReport(package, target.store, 5, &newId, &error))
            << error.toStdString();
        ids << newId;
        const ReportDefinitionRows imported = target.store.loadRows(newId);
        EXPECT_EQ(imported.columns.size(), 3);
        EXPECT_EQ(imported.params.size(), 2);
        ASSERT_EQ(imported.editFields.size(), 1) << "editable fields travel too";
        EXPECT_EQ(imported.editFields[0].fieldList, QStringLiteral("标准间\n大床房"));
    }
    EXPECT_EQ(ids, (QList<int>{61, 62, 63}));
    EXPECT_EQ(target.count(QStringLiteral("select count(*) from ReportField")), 9);
    EXPECT_EQ(target.count(QStringLiteral("select count(*) from ReportField where ReportID not in "
                                          "(select id from ReportList)")),
              0);
}

TEST_F(PackageTest, FilesThatAreNoPackagesAreNamedAndChangeNothing)
{
    ReportDefinitionRows rows = report("住宿明细");
    ASSERT_TRUE(source.store.save(rows, true, &error));
    const QString good = path("good.QVP");
    ASSERT_TRUE(ReportPackage::exportReport(source.store, rows.report.id, good, &error));
    QFile goodFile(good);
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    const QByteArray bytes = goodFile.readAll();

    const auto write = [&](const char *name, const QByteArray &content) {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return path(name);
    };
    db::Connection bare;
    bare.openLocal(path("bare.QVP"), true);
    bare.execute(QStringLiteral("create table other(a int)"));
    bare.close();
    db::Connection half;
    half.openLocal(path("half.QVP"), true);
    half.execute(
        QStringLiteral("create table ReportList(id int, title varchar(50), lb int, "
                       "bh varchar(50))"));
    half.execute(QStringLiteral("insert into ReportList values(1, 'x', 1, '')"));
    half.close();
    prepareTarget();
    for (const QString &file :
         {write("notes.QVP", "报表说明\n"), write("truncated.QVP", bytes.left(1000)),
          write("empty.QVP", QByteArray()), path("bare.QVP"), path("half.QVP")}) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_FALSE(ReportPackage::importReport(file, target.store, 5, nullptr, &error));
        EXPECT_EQ(error, QStringLiteral("文件[") + QFileInfo(file).fileName() +
                             QStringLiteral("]不是一个有效的报表文件！"));
        EXPECT_EQ(target.count(QStringLiteral("select count(*) from ReportList")), 1);
    }
    EXPECT_FALSE(ReportPackage::importReport(good, target.store, 99, nullptr, &error));
    EXPECT_EQ(error, QStringLiteral("报表类别[99]不存在！"));
}

TEST_F(PackageTest, FailuresLeaveNeitherAHalfReportNorAHalfFile)
{
    ReportDefinitionRows rows = report("住宿明细");
    ASSERT_TRUE(source.store.save(rows, true, &error));
    const QString file = path("a.QVP");
    ASSERT_TRUE(ReportPackage::exportReport(source.store, rows.report.id, file, &error));
    const QByteArray before = digest(file);
    EXPECT_FALSE(ReportPackage::exportReport(source.store, rows.report.id, file, &error));
    EXPECT_EQ(error, file + QStringLiteral(" 文件存在!"));
    EXPECT_EQ(digest(file), before);

    EXPECT_FALSE(ReportPackage::exportReport(source.store, 999, path("none.QVP"), &error));
    EXPECT_EQ(error, QStringLiteral("找不到报表相关配置！"));
    EXPECT_FALSE(QFile::exists(path("none.QVP")));

    // The host refuses the parameter rows after the report and its columns went in.
    prepareTarget();
    target.exec(
        QStringLiteral("create trigger refuse before insert on ReportCS "
                       "begin select raise(abort, 'refused'); end"));
    EXPECT_FALSE(ReportPackage::importReport(file, target.store, 5, nullptr, &error));
    EXPECT_EQ(error, QStringLiteral("导入数据发生错误，请重试\nrefused"));
    EXPECT_EQ(target.count(QStringLiteral("select count(*) from ReportList")), 1);
    EXPECT_EQ(target.count(QStringLiteral("select count(*) from ReportField")), 0);
}

}  // namespace
}  // namespace tavi
