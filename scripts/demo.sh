#!/usr/bin/env bash
# Installs what is missing, builds, creates the demo hotel database and shows one of its reports
# on the terminal, as the report window would show it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset ci >/dev/null
cmake --build --preset ci --target tavireport
bin=build/ci/bin/tavireport
demo=build/demo
rm -rf "$demo"
"$bin" demo "$demo"
"$bin" run 客人住宿明细 --app-dir "$demo" --set 入住日期=当月
