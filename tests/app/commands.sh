#!/usr/bin/env bash
# The tavireport subcommands that scripts and administrators depend on, run as they would be.
set -u
bin=$1
golden=$(cd "$(dirname "$0")" && pwd)/golden
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
failures=0

check() {  # name expected actual
  if [ "$2" != "$3" ]; then
    printf 'FAILED %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
    failures=$((failures + 1))
  else
    printf 'ok %s\n' "$1"
  fi
}

"$bin" init-db "$work/host" >/dev/null
check "init-db writes Setting.ini" "AccDbName=pelto.mdb" "$(grep AccDbName "$work/host/Setting.ini")"
check "init-db makes the definition tables" "综合报表" \
  "$("$bin" sql "$work/host/pelto.mdb" "select name from ReportLB" | sed -n 3p | tr -d ' ')"
"$bin" init-db "$work/host" 2>/dev/null
check "init-db keeps an existing folder" "1" "$?"

check "open runs a whole call" "0" \
  "$("$bin" open --console --app-dir "$work/host" --title 没有的报表 2>/dev/null)"
check "open reports the missing title" "找不到报表相关配置！" \
  "$("$bin" open --console --app-dir "$work/host" --title 没有的报表 2>&1 >/dev/null | grep -v QStandardPaths)"
check "open without a database" "-1" "$("$bin" open --console --app-dir "$work/none" 2>/dev/null)"

check "sql-to-access" "select iif(isnull(je), 0, je)as je from fjxx" \
  "$(printf 'select isnull(je,0) as je from fjxx' | "$bin" sql-to-access)"
printf 'select isnull(a,0' | "$bin" sql-to-access >/dev/null 2>&1
check "sql-to-access failure" "1" "$?"
hex=$("$bin" des-encrypt 'Hb7$Kq2&Mw9%P' 张三)
check "des round trip" "张三" "$("$bin" des-decrypt 'Hb7$Kq2&Mw9%P' "$hex")"

check "eval integer" "4" "$("$bin" eval '5-1')"
check "eval double" "2.5" "$("$bin" eval '10/4')"
check "eval empty value" "" "$("$bin" eval '""')"
"$bin" eval '1/0' >/dev/null 2>&1
check "eval error exit code" "1" "$?"

# The demo hotel and three of its reports, on a fixed day so the output is stable.
export TAVI_NOW="2026-12-11 09:00"
check "demo creates the hotel" "created $work/demo" "$("$bin" demo "$work/demo")"
"$bin" demo "$work/demo" >/dev/null 2>&1
check "demo keeps an existing folder" "1" "$?"
check "run 客人住宿明细" "$(cat "$golden/客人住宿明细.txt")" \
  "$("$bin" run 客人住宿明细 --app-dir "$work/demo" --set 入住日期=当月)"
check "run 每日营业额" "$(cat "$golden/每日营业额.txt")" \
  "$("$bin" run 每日营业额 --app-dir "$work/demo" --set 营业日期=2026-12-08..2026-12-10)"
"$bin" run 账单明细 --app-dir "$work/demo" --set 营业日期=昨天 --set 项目=房费 --format csv \
  -o "$work/bills.csv"
check "run 账单明细 as CSV" "$(md5sum < "$golden/账单明细.csv")" "$(md5sum < "$work/bills.csv")"
"$bin" run 每日营业额 --app-dir "$work/demo" --set 营业日期=2026-12-08..2026-12-10 --format xlsx \
  -o "$work/daily.xlsx"
sheet=$(unzip -p "$work/daily.xlsx" xl/worksheets/sheet1.xml)
check "run 每日营业额 as a workbook: titles, count and sum in the last row" \
  "营业额12月8日 共计5条记录 10904.5" \
  "$(grep -o '营业额12月8日' <<<"$sheet") $(grep -o '<row r="7".*</row>' <<<"$sheet" |
      grep -o '共计5条记录') $(grep -o '<c r="E7"[^>]*><v>[^<]*' <<<"$sheet" | sed 's/.*<v>//')"
"$bin" run 每日营业额 --app-dir "$work/demo" --format xlsx >/dev/null 2>&1
check "run as a workbook needs a file" "2" "$?"
"$bin" run 每日营业额 --app-dir "$work/demo" --set 营业日期=2026-12-08..2026-12-10 --format pdf \
  --user 王 --office 海景酒店 -o "$work/daily.pdf"
check "run 每日营业额 as a printout: header, footer, one landscape-free page" \
  "海景酒店每日营业额 制表人：王 制表时间：2026-12-11 09:00 第1页 共1页 Pages: 1 portrait" \
  "$(pdftotext -layout "$work/daily.pdf" - | tr -s ' ' | grep -o '海景酒店每日营业额\|制表人：.*09:00\|第1页 共1页' |
      tr '\n' ' ')$(pdfinfo "$work/daily.pdf" | grep -o 'Pages: *1' | tr -s ' ') $(pdfinfo "$work/daily.pdf" |
      awk '/Page size/ { print ($3 < $5) ? "portrait" : "landscape" }')"
"$bin" run 营业日报单 --app-dir "$work/demo" --set 营业日=2026-12-10 --user 王 --office 海景酒店 \
  --format html -o "$work/daily.html"
check "run 营业日报单 renders its template" "海景酒店营业日报 2,964.00 制表人：王" \
  "$(grep -o '海景酒店营业日报\|制表人：王\|2,964.00</td></tr>' "$work/daily.html" |
      sed 's|</td></tr>||' | tr '\n' ' ' | sed 's/ $//')"
"$bin" run 营业日报单 --app-dir "$work/demo" --set 营业日=2026-12-10 --office 海景酒店 --format pdf \
  -o "$work/daily-page.pdf"
check "run 营业日报单 prints its template page" "海景酒店营业日报" \
  "$(pdftotext "$work/daily-page.pdf" - | grep -o '海景酒店营业日报')"
mv "$work/demo/Report" "$work/Report.away"
"$bin" run 营业日报单 --app-dir "$work/demo" --format html -o "$work/none.html" 2>"$work/err"
check "run of a template report without its file" "1 报表模板文件营业日报单.html不存在，请检查" \
  "$? $(grep -v QStandardPaths "$work/err")"
mv "$work/Report.away" "$work/demo/Report"
for title in 客人资料查询 房间收入统计 客人选择 营业日报 商品资料; do
  "$bin" run "$title" --app-dir "$work/demo" >/dev/null 2>"$work/err"
  check "run $title answers" "0 " "$? $(grep -v QStandardPaths "$work/err")"
done
"$bin" run 没有的报表 --app-dir "$work/demo" >/dev/null 2>&1
check "run of an unknown title" "1" "$?"
"$bin" run 客人住宿明细 --app-dir "$work/demo" --set 房型=总统套房 >/dev/null 2>&1
check "run refuses an unknown item" "1" "$?"
check "run with a host's pre-filter" "2" \
  "$("$bin" run 客人选择 --app-dir "$work/demo" --option 'NONULTI:id IN (3,5)' --format csv | tail -n +2 | head -n -1 | wc -l)"
guests() { "$bin" sql "$work/demo/pelto.mdb" "select count(*) from 客人" | sed -n 3p | tr -d ' '; }
before=$(guests)
"$bin" run 客人选择 --app-dir "$work/demo" \
  --option 'NONULTI:id in (1); delete from 客人; select 1 as id' >/dev/null 2>"$work/err"
check "run refuses a pre-filter with statements" "1 1" \
  "$? $(grep -c '有语句分隔符' "$work/err")"
check "the guests are still there" "$before" "$(guests)"
for kind in core gui; do
  out=$("$bin" open --host-app $kind --app-dir "$work/demo" --title 客人资料查询 2>"$work/err")
  check "open from a $kind host without widgets" \
    "0 0 TaviReportPrint: 宿主程序没有图形界面（QApplication），不能显示报表窗口。" \
    "$? $out $(grep -v QStandardPaths "$work/err")"
done
"$bin" sql "$work/demo/pelto.mdb" "update XTCS set ZFCS='25:00' where CSMC='GDt_BBT1'" >/dev/null
"$bin" run 每日营业额 --app-dir "$work/demo" --set 营业日期=当周 >/dev/null 2>"$work/err"
check "run with a bad business-day time" "1 tavireport run: 营业日时间参数 GDt_BBT1 的值“25:00”不是有效的时间（应为 时:分）。" \
  "$? $(grep -v QStandardPaths "$work/err")"
"$bin" sql "$work/demo/pelto.mdb" "update XTCS set ZFCS='00:00' where CSMC='GDt_BBT1'" >/dev/null
# A damaged page under the column definitions is named, not shown as a grid of blank rows.
cp -r "$work/demo" "$work/damaged"
page=$(sqlite3 "$work/damaged/pelto.mdb" "select rootpage from sqlite_master where name='ReportField'")
size=$(sqlite3 "$work/damaged/pelto.mdb" "pragma page_size")
head -c 40 /dev/zero | tr '\0' '\377' |
  dd of="$work/damaged/pelto.mdb" bs=1 seek=$(((page - 1) * size + 1)) conv=notrunc status=none
"$bin" run 客人资料查询 --app-dir "$work/damaged" >"$work/out" 2>"$work/err"
check "run on a damaged column page" "1 读取报表“客人资料查询”的列设置时出错：database disk image is malformed" \
  "$? $(grep -v QStandardPaths "$work/err")"

# Packages carry one definition between hosts; importing leaves the file as it was.
"$bin" init-db "$work/other" >/dev/null
out=$("$bin" export-package 每日营业额 "$work/daily.QVP" --app-dir "$work/demo" 2>/dev/null)
check "export-package" "0 exported 每日营业额 to $work/daily.QVP" "$? $out"
"$bin" export-package 每日营业额 "$work/daily.QVP" --app-dir "$work/demo" >/dev/null 2>"$work/err"
check "export-package keeps an existing file" "1 $work/daily.QVP 文件存在!" "$? $(grep -v QStandardPaths "$work/err")"
sum=$(md5sum < "$work/daily.QVP")
check "import-package" "imported 每日营业额 as report 1" \
  "$("$bin" import-package "$work/daily.QVP" --category 1 --app-dir "$work/other" 2>/dev/null)"
check "the package is unchanged" "$sum" "$(md5sum < "$work/daily.QVP")"
"$bin" run 每日营业额 --app-dir "$work/other" --set 营业日期=当周 >/dev/null 2>"$work/err"
check "the imported report runs its own statement" "1 yes" \
  "$? $(grep -q 账单 "$work/err" && echo yes)"
"$bin" import-package "$work/bills.csv" --category 1 --app-dir "$work/other" >/dev/null 2>"$work/err"
check "import-package of no package" "1 文件[bills.csv]不是一个有效的报表文件！" \
  "$? $(grep -v QStandardPaths "$work/err")"
"$bin" import-package "$work/daily.QVP" --category 9 --app-dir "$work/other" >/dev/null 2>&1
check "import-package into a missing category" "1" "$?"
"$bin" import-package "$work/daily.QVP" --app-dir "$work/other" >/dev/null 2>&1
check "import-package without a category" "2" "$?"
unset TAVI_NOW

if [ "$failures" -ne 0 ]; then
  echo "$failures command check(s) failed"
  exit 1
fi
