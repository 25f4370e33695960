#include "GridDatabase.h"

#include "services/OpenQuery.h"
#include "services/report/ReportGridModel.h"
#include "services/report/ReportTemplate.h"

using namespace tavi;

namespace {

class Template : public test::GridDatabase
{
protected:
    void SetUp() override
    {
        GridDatabase::SetUp();
        addGuestsAndBills();
        exec("update xf set note = '<b>&' where id = 3");
        const int id = report({{"客人", "kh", "[SQL:select name from kh where id={1}]"},
                               {"金额", "amount", "#,##0.00", 80, true},
                               {"备注", "note"}});
        OpenQuery(result, QStringLiteral("select * from xf where id <= 3 order by id"));
        model.setColumns(columnsOf(id), false);
    }
    QString render(const char *text, QString *error = nullptr)
    {
        return ReportTemplate::render(
            QString::fromUtf8(text), model,
            {QStringLiteral("海景酒店"), QStringLiteral("日期：今天"), QStringLiteral("王")},
            error);
    }

    db::Recordset result{&data.adoConn};
    ReportGridModel model{&result};
};

TEST_F(Template, VariablesRowsRawValuesAndTotals)
{
    EXPECT_EQ(render("{{OfficeName}}|{{FTJ}}|{{username}}|{{count}}"), "海景酒店|日期：今天|王|3");
    // Each row: the grid's texts by field name, the stored values under raw., fields without a
    // column as stored; values are escaped, the template's own HTML is not.
    EXPECT_EQ(render("{{#rows}}<i>{{_row}}:{{kh}}/{{raw.kh}}:{{amount}}/{{raw.amount}}:{{id}}:"
                     "{{note}}</i>{{/rows}}"),
              "<i>1:张三/7:1,200.50/1200.5:1:b</i>"
              "<i>2:李四/8:-200.00/-200:2:</i>"
              "<i>3:张三/7:1,000.00/1000:3:&lt;b&gt;&amp;</i>");
    EXPECT_EQ(render("{{totals.amount}}|{{totals.note}}"), "2,000.50|");
}

TEST_F(Template, ABrokenTemplateOrAMissingFileIsNamed)
{
    QString error;
    EXPECT_TRUE(render("{{#rows}}{{kh}}", &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReportTemplate::missingMessage(QStringLiteral("/app/Report/日报.html")),
              "报表模板文件日报.html不存在，请检查");
    QString text;
    EXPECT_FALSE(ReportTemplate::readFile(QStringLiteral("/nonexistent/日报.html"), &text));
}

}  // namespace
