#pragma once

#include "entry/UpgradeReportTables.h"
#include "services/Session.h"
#include "services/Tdm.h"
#include "services/report/ListValues.h"
#include "services/report/ReportColumnBuilder.h"
#include "services/report/ReportStore.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUiPlatform.h"
#include "support/TestDatabase.h"

#include <gtest/gtest.h>

namespace tavi::test {

// A local database with the definition tables, a customer table and a bill table.
class GridDatabase : public ::testing::Test
{
protected:
    struct Column
    {
        const char *title;
        const char *field;
        const char *format = "";
        int width = 80;
        bool totalled = false;
        bool shown = true;
    };

    void SetUp() override
    {
        file.open(data.adoConn, db::Connection::Kind::Local);
        scoped->dm = &data;
        UpgradeReportTables();
        exec("create table kh(id int, name varchar(20), secret varchar(100))");
        exec("create table xf(id int, kh int, amount float, rq datetime, note varchar(20))");
    }
    void exec(const char *sql, const QVariantList &params = {})
    {
        data.adoConn.execute(QString::fromUtf8(sql), params);
    }
    QString scalar(const QString &sql)
    {
        const auto rs = data.adoConn.openQuery(sql);
        return rs->isEmpty() ? QString() : db::Recordset::textOf(rs->value(0));
    }

    // A report with its columns in the given order (SortID 1, 2, …); returns its id.
    // Three guests and five bills, with NULLs, a negative amount and a bill without guest.
    void addGuestsAndBills()
    {
        exec("insert into kh(id, name) values(7, '张三'), (8, '李四'), (9, '王五')");
        exec(
            "insert into xf(id, kh, amount, rq, note) values"
            "(1, 7, 1200.5, '2024-03-01 10:00:00', 'b'),"
            "(2, 8, -200, '2024-03-02 00:00:00', NULL),"
            "(3, 7, 1000, '2024-03-03 08:30:00', 'a'),"
            "(4, NULL, NULL, NULL, 'c'),"
            "(5, 7, 0.25, '2024-03-05 00:00:00', 'a')");
    }

    int report(std::initializer_list<Column> columns, const char *flags = "", int type = 0)
    {
        exec(
            "insert into ReportList(title, sSql, CsList, Type) values(?, 'select * from xf', ?, ?)",
            {QStringLiteral("r%1").arg(++reports), QString::fromUtf8(flags), type});
        const int id = data.NextId(QStringLiteral("ReportList")) - 1;
        int sort = 0;
        for (const Column &c : columns)
            addColumn(id, c, ++sort);
        return id;
    }
    void addColumn(int id, const Column &c, int sortId)
    {
        exec(
            "insert into ReportField(ReportID, Title, Field, FieldFormat, Width, HJFlag, SortID, "
            "isShow, isPrint) values(?, ?, ?, ?, ?, ?, ?, ?, -1)",
            {id, QString::fromUtf8(c.title), QString::fromUtf8(c.field),
             QString::fromUtf8(c.format), c.width, c.totalled ? -1 : 0, sortId, c.shown ? -1 : 0});
    }

    ReportColumnBuilder columnBuilder()
    {
        return ReportColumnBuilder(
            store, [this](const QString &sql) { return readListValues(data.adoConn, sql); });
    }

    QList<ReportColumn> columnsOf(int id, bool multiSelection = false,
                                  const std::optional<DateRange> &range = std::nullopt)
    {
        ReportColumnBuilder builder = columnBuilder();
        return builder.build(store.load(id), multiSelection, range);
    }

    TestDatabase file;
    ScriptedUiPlatform ui;
    Tdm data;
    ReportStore store{data.adoConn, 0};
    ScopedSession scoped;
    int reports = 0;
};

}  // namespace tavi::test
