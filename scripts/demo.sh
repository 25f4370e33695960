#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main job on a freshly created local database:
# the definition tables the library keeps, a category, a report, and a query over them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset ci >/dev/null
cmake --build --preset ci --target tavireport
bin=build/ci/bin/tavireport
db=build/demo/pelto.mdb
mkdir -p build/demo
rm -f "$db"
"$bin" sql --create "$db" \
  "create table ReportLB(id counter PRIMARY KEY, name varchar(50), orderid int)" \
  "create table ReportList(id counter PRIMARY KEY, title varchar(50), lb int,sSql Text, groupfield varchar(50), CsList varchar(100), Type int, AddReportName varchar(50), MXReportName varchar(50))" \
  "Alter table ReportList Add BH varchar(50), fav int" \
  "insert into ReportLB(name, orderid) values('综合报表', 0)" \
  "insert into ReportList(title, lb, sSql, Type, BH, fav) values('在住客人', 1, 'select * from kr where rzrq>={1}', 0, '001', true)" \
  "select l.id, l.BH, l.title, b.name as 分类, iif(l.fav, '常用', '') & ' ' & format(now(), 'yyyy-mm-dd') as 标记 from ReportList l inner join ReportLB b on l.lb = b.id where l.fav"
