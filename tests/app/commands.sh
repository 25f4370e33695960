#!/usr/bin/env bash
# The tavireport subcommands that scripts and administrators depend on, run as they would be.
set -u
bin=$1
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

if [ "$failures" -ne 0 ]; then
  echo "$failures command check(s) failed"
  exit 1
fi
