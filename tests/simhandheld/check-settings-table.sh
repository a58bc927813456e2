#!/bin/sh
# check-settings-table.sh SETTINGS_H README: the README's table of device.ini holds exactly one row
# for each setting of QAMOSIM_SETTINGS, word for word.
set -eu
want=$(grep '^ *X(' "$1" | while IFS= read -r row; do
    printf '%s\n' "$row" | grep -o 'L"[^"]*"\|nullptr' | sed 's/^L"//; s/"$//' | paste -sd '\t' -
done | awk -F '\t' '{ printf "| `%s=%s` | %s | %s |\n", $1, $2, $3 == "nullptr" ? "(a list)" : $3, $4 }')
have=$(grep '^| `[a-z-]*=' "$2")
if [ "$want" = "$have" ]; then
    echo "$(basename "$2"): the $(printf '%s\n' "$want" | wc -l) settings of $(basename "$1")"
    exit 0
fi
echo "$(basename "$2") and $(basename "$1") differ:"
printf '%s\n' "$want" >"${TMPDIR:-/tmp}/want.$$"
printf '%s\n' "$have" | diff "${TMPDIR:-/tmp}/want.$$" - || true
rm -f "${TMPDIR:-/tmp}/want.$$"
exit 1
