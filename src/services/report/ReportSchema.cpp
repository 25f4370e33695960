#include "ReportSchema.h"

namespace tavi {

QList<ReportSchema::Step> ReportSchema::upgradeSteps(int dbType)
{
    using T = Step::Test;
    const bool server = dbType != 0;
    const QString key = server ? QStringLiteral("id int IDENTITY (1, 1) PRIMARY KEY")
                               : QStringLiteral("id counter PRIMARY KEY");
    const QString memo =
        server ? QStringLiteral("sSql varchar(4000)") : QStringLiteral("sSql Text");
    const auto s = [](const char *text) { return QString::fromUtf8(text); };
    const QString list = s("ReportList");
    return {
        {T::TableMissing,
         list,
         {},
         {s("create table ReportList(") + key + s(", title varchar(50), lb int,") + memo +
          s(", groupfield varchar(50), CsList varchar(100), Type int, ") +
          s("AddReportName varchar(50), MXReportName varchar(50))")}},
        {T::ColumnMissing,
         list,
         s("Type"),
         {s("Alter table ReportList add Type int"), s("update ReportList set Type=0")}},
        {T::TableMissing,
         s("ReportLB"),
         {},
         {s("create table ReportLB(") + key + s(", name varchar(50), orderid int)")}},
        {T::TableMissing,
         s("ReportField"),
         {},
         {s("create table ReportField(") + key + s(", ReportID int, Title varchar(50), ") +
          s("Field varchar(50), FieldFormat varchar(250), Width int, HJFlag bit,  SortID int)")}},
        {T::TableMissing,
         s("ReportCS"),
         {},
         {s("create table ReportCS(") + key + s(", ReportID int, CSValue varchar(50), ") +
          s("CSName varchar(50), CSLX varchar(50), CSDefault varchar(250), CSList varchar(250), ") +
          s("CSSql varchar(250), sort int)")}},
        {T::ColumnMissing, s("ReportCS"), s("sort"), {s("alter table ReportCS add sort int")}},
        {T::TableMissing,
         s("ReportEditField"),
         {},
         {s("create table ReportEditField(") + key + s(", ReportID int, Title varchar(50), ") +
          s("Field varchar(50), LX varchar(30), FieldValue varchar(50), FieldSql varchar(250), ") +
          s("FieldDefault varchar(250), FieldList varchar(250), NoEmpty bit, CheckExists bit, ") +
          s("SortID int)")}},
        {T::NoCategory,
         s("ReportLB"),
         {},
         {s("insert into ReportLB(name, orderid) values('综合报表', 0)")}},
        {T::ColumnMissing,
         list,
         s("AddReportName"),
         {s("Alter table ReportList add AddReportName varchar(50)")}},
        {T::ColumnMissing,
         list,
         s("MXReportName"),
         {s("Alter table ReportList Add MXReportName varchar(50)")}},
        {T::ColumnMissing, list, s("BH"), {s("Alter table ReportList Add BH varchar(50)")}},
        {T::ColumnMissing, list, s("fav"), {s("Alter table ReportList Add fav int")}},
        {T::ColumnMissing,
         s("ReportField"),
         s("isShow"),
         {s("Alter table ReportField Add isShow bit, isPrint bit, Align int"),
          s("update ReportField set isShow=1, isPrint=1")}},
    };
}

QStringList ReportSchema::packageTables()
{
    // Packages travel between hosts of every version: their shape never changes.
    return {
        QStringLiteral("create table ReportList(id int, title varchar(50),lb int, ssql text, "
                       "CsList varchar(100), groupfield varchar(50), Type int, bh varchar(50))"),
        QStringLiteral("create table ReportField(id counter PRIMARY KEY, ReportID int, "
                       "Title varchar(50), Field varchar(50), FieldFormat varchar(50), Width int, "
                       "HJFlag bit,  SortID int, isShow bit, isPrint bit, Align int)"),
        QStringLiteral(
            "create table ReportCS(id counter PRIMARY KEY, ReportID int, "
            "CSValue varchar(50), CSName varchar(50), CSLX varchar(50), "
            "CSDefault varchar(250), CSList varchar(250), CSSql varchar(250), sort int)"),
        QStringLiteral("create table ReportEditField(id counter PRIMARY KEY, ReportID int, "
                       "Title varchar(50), Field varchar(50), LX varchar(30), "
                       "FieldValue varchar(50), FieldSql varchar(250), FieldDefault varchar(250), "
                       "FieldList varchar(250), NoEmpty bit, CheckExists bit, SortID int)"),
    };
}

}  // namespace tavi
