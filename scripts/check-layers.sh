#!/usr/bin/env bash
# Checks that every include between the folders of src/ points down the layers: a file may
# include from its own folder and from the folders its row names, nothing else. Prints one line
# per include that breaks this and fails; silent when all is well.
set -euo pipefail
cd "$(dirname "$0")/../src"

declare -A allowed=(
    [core]=""
    [serial]="core"
    [capture]="core serial"
    [analysis]="core capture"
    [sim]="core serial capture"
    [files]="core capture analysis"
    [calculator]="core"
    [ui]="core serial capture analysis sim files calculator"
    [app]="core serial capture analysis sim files calculator ui"
)

status=0
for layer in "${!allowed[@]}"; do
    [ -d "$layer" ] || continue
    # Quoted includes that name a folder: "serial/serial_control.h".
    while IFS=: read -r file line target; do
        folder=${target%%/*}
        [ "$folder" = "$layer" ] && continue
        if [[ " ${allowed[$layer]} " != *" $folder "* ]]; then
            echo "check-layers: src/$file:$line: $layer may not include $target (allowed: ${allowed[$layer]:-nothing})"
            status=1
        fi
    done < <(grep -rnoE '^#include "[a-z_]+/[^"]+"' "$layer" --include='*.h' --include='*.cpp' \
        | sed -E 's/#include "([^"]+)"/\1/')
done
[ -d app ] && for d in */; do
    d=${d%/}
    [ -n "${allowed[$d]+set}" ] || { echo "check-layers: src/$d is not in the table of layers"; status=1; }
done
exit $status
