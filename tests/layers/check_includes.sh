#!/usr/bin/env bash
# Fails when a file under src/ includes a header of a higher layer or of a sibling window layer.
# The layers, lowest first: tools, services, ui and entry, the window layers, then demo and the
# library that puts them together.
set -uo pipefail
src=${1:?usage: check_includes.sh SRC_DIR}
cd "$src" || exit 2

allowed() {
    case $1 in
    tools) echo "tools" ;;
    services) echo "tools services" ;;
    ui) echo "tools services ui" ;;
    entry) echo "tools services ui entry" ;;
    runner | wizard | centre | editor) echo "tools services ui $1" ;;
    demo) echo "tools services ui entry demo" ;;
    library) echo "tools services ui entry runner wizard centre editor demo library" ;;
    *) echo "" ;;
    esac
}

status=0
while IFS= read -r file; do
    layer=${file%%/*}
    ok=" $(allowed "$layer") "
    while IFS= read -r target; do
        top=${target%%/*}
        # A header beside the file, or below its folder, is of the file's own layer.
        [ -e "$(dirname "$file")/$target" ] && continue
        if [[ "$ok" != *" $top "* ]]; then
            echo "$file includes \"$target\": the $layer layer may not reach $top"
            status=1
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's#^\./##' | sort)
exit $status
