#include "UpgradeReportTables.h"

#include "services/DbKindSql.h"
#include "services/OpenQuery.h"
#include "services/Session.h"
#include "services/Tdm.h"

namespace tavi {

void UpgradeReportTables()
{
    Tdm &d = *session().dm;
    const QString key = IdColumnDdl();
    const auto s = [](const char *text) { return QString::fromUtf8(text); };

    if (!d.TableExists(s("ReportList")))
        d.ExecSql(s("create table ReportList(") + key + s(", title varchar(50), lb int,") +
                  MemoColumnDdl(s("sSql")) +
                  s(", groupfield varchar(50), CsList varchar(100), Type int, ") +
                  s("AddReportName varchar(50), MXReportName varchar(50))"));
    if (!d.FieldExists(s("ReportList"), s("Type"))) {
        d.ExecSql(s("Alter table ReportList add Type int"));
        d.ExecSql(s("update ReportList set Type=0"));
    }
    if (!d.TableExists(s("ReportLB")))
        d.ExecSql(s("create table ReportLB(") + key + s(", name varchar(50), orderid int)"));
    if (!d.TableExists(s("ReportField")))
        d.ExecSql(s("create table ReportField(") + key + s(", ReportID int, Title varchar(50), ") +
                  s("Field varchar(50), FieldFormat varchar(250), Width int, HJFlag bit,  SortID "
                    "int)"));
    if (!d.TableExists(s("ReportCS")))
        d.ExecSql(s("create table ReportCS(") + key + s(", ReportID int, CSValue varchar(50), ") +
                  s("CSName varchar(50), CSLX varchar(50), CSDefault varchar(250), CSList "
                    "varchar(250), ") +
                  s("CSSql varchar(250), sort int)"));
    if (!d.FieldExists(s("ReportCS"), s("sort")))
        d.ExecSql(s("alter table ReportCS add sort int"));
    if (!d.TableExists(s("ReportEditField")))
        d.ExecSql(s("create table ReportEditField(") + key +
                  s(", ReportID int, Title varchar(50), ") +
                  s("Field varchar(50), LX varchar(30), FieldValue varchar(50), FieldSql "
                    "varchar(250), ") +
                  s("FieldDefault varchar(250), FieldList varchar(250), NoEmpty bit, CheckExists "
                    "bit, ") +
                  s("SortID int)"));
    OpenQuery(d.qryTemp, s("select * from reportlb"));
    if (!d.qryTemp.isOpen() || d.qryTemp.isEmpty())
        d.ExecSql(s("insert into ReportLB(name, orderid) values('综合报表', 0)"));
    if (!d.FieldExists(s("ReportList"), s("AddReportName")))
        d.ExecSql(s("Alter table ReportList add AddReportName varchar(50)"));
    if (!d.FieldExists(s("ReportList"), s("MXReportName")))
        d.ExecSql(s("Alter table ReportList Add MXReportName varchar(50)"));
    if (!d.FieldExists(s("ReportList"), s("BH")))
        d.ExecSql(s("Alter table ReportList Add BH varchar(50)"));
    if (!d.FieldExists(s("ReportList"), s("fav")))
        d.ExecSql(s("Alter table ReportList Add fav int"));
    if (!d.FieldExists(s("ReportField"), s("isShow"))) {
        d.ExecSql(s("Alter table ReportField Add isShow bit, isPrint bit, Align int"));
        d.ExecSql(s("update ReportField set isShow=1, isPrint=1"));
    }
}

}  // namespace tavi
