#!/usr/bin/env bash
# Dependencies point down: launcher/ above splash/, jvmhost/ and jvmsearch/,
# which are above settings/, instance/ and ui/ (the dialogs, which know
# windows but nothing of Java or settings), which are above common/. An include of a folder
# of the same rank or above (other than its own) is reported.
set -euo pipefail
src="$1"
declare -A rank=([common]=0 [settings]=1 [instance]=1 [ui]=1 [jvmsearch]=2 [jvmhost]=2 [splash]=2 [launcher]=3)
bad=0
while IFS= read -r line; do
    file=${line%%:*}
    from=${file#"$src"/}; from=${from%%/*}
    to=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$line")
    [[ -n "${rank[$to]:-}" && -n "${rank[$from]:-}" ]] || continue
    if [[ "$from" != "$to" && ${rank[$to]} -ge ${rank[$from]} ]]; then
        echo "upward or sideways include: $line"
        bad=1
    fi
done < <(grep -rn '#include "' "$src" --include='*.h' --include='*.cpp')
exit $bad
