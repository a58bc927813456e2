#!/bin/sh
# check-guide-messages.sh PROGRESS_TEXTS_H GUIDE_MD
#
# Checks that the user guide quotes every text that the tool's progress dialog can show.
# Every L"..." string literal of PROGRESS_TEXTS_H is split at its line breaks (\n) and at
# its placeholders (%s, %d%%, %d); every fragment that is not empty must appear verbatim
# in GUIDE_MD (grep -F). Prints each missing fragment with the name of its constant.
#
# Exit status: 0 all fragments found, 1 a fragment is missing, 2 bad usage or unreadable input.
# POSIX sh (dash) with sed, grep and awk only.

set -u

usage() {
    echo "usage: $0 PROGRESS_TEXTS_H GUIDE_MD" >&2
    exit 2
}

[ "$#" -eq 2 ] || usage
texts=$1
guide=$2
for file in "$texts" "$guide"; do
    if [ ! -r "$file" ] || [ -d "$file" ]; then
        echo "$0: cannot read $file" >&2
        exit 2
    fi
done

# Byte-wise throughout: both files are UTF-8, and the texts must match byte for byte.
LC_ALL=C
export LC_ALL

tab=$(printf '\t')

# One line per fragment: the constant's name, a tab, the fragment. A line
# "#strings N" at the end gives the number of literals found.
fragments=$(sed 's/\r$//' "$texts" | awk '
function emit(text) {
    if (text != "") {
        print name "\t" text
        count++
    }
}
# Splits the body of one literal (the text between the quotes, escapes unresolved).
function split_literal(body,    i, n, c, d, piece) {
    piece = ""
    n = length(body)
    for (i = 1; i <= n; i++) {
        c = substr(body, i, 1)
        if (c == "\\" && i < n) {
            d = substr(body, ++i, 1)
            if (d == "n") { emit(piece); piece = "" }
            else if (d == "r") { emit(piece); piece = "" }
            else if (d == "t") piece = piece "\t"
            else if (d == "\"" || d == "\\" || d == "\047" || d == "?") piece = piece d
            else piece = piece "\\" d
        } else if (c == "%" && i < n) {
            d = substr(body, i + 1, 1)
            if (d == "s") { emit(piece); piece = ""; i++ }
            else if (d == "d") {
                emit(piece); piece = ""; i++
                if (substr(body, i + 1, 2) == "%%") i += 2
            }
            else if (d == "%") { piece = piece "%"; i++ }
            else piece = piece c
        } else {
            piece = piece c
        }
    }
    emit(piece)
}
BEGIN { name = "(unnamed)"; count = 0; strings = 0 }
# Whole-line comments may quote texts that the tool does not show.
/^[ \t]*\/\// { next }
{
    line = $0
    while (match(line, /L"([^"\\]|\\.)*"/)) {
        start = RSTART
        size = RLENGTH
        # The constant being defined: the last declaration before the literal, which may
        # also stand on an earlier line.
        before = substr(line, 1, start - 1)
        while (match(before, /[A-Za-z_][A-Za-z0-9_]*[ \t]*\[[^]]*\][ \t]*=/)) {
            decl = substr(before, RSTART, RLENGTH)
            sub(/[ \t]*\[.*$/, "", decl)
            name = decl
            before = substr(before, RSTART + RLENGTH)
        }
        strings++
        split_literal(substr(line, start + 2, size - 3))
        line = substr(line, start + size)
    }
    # A declaration whose literal stands on the next line.
    while (match(line, /[A-Za-z_][A-Za-z0-9_]*[ \t]*\[[^]]*\][ \t]*=/)) {
        decl = substr(line, RSTART, RLENGTH)
        sub(/[ \t]*\[.*$/, "", decl)
        name = decl
        line = substr(line, RSTART + RLENGTH)
    }
}
END { print "#strings " strings }
')

strings=$(printf '%s\n' "$fragments" | sed -n 's/^#strings //p')
if [ -z "$strings" ] || [ "$strings" -eq 0 ]; then
    echo "$0: no L\"...\" string literals found in $texts" >&2
    exit 2
fi

checked=0
missing=0
while IFS= read -r entry; do
    case $entry in
        '' | '#strings '*) continue ;;
    esac
    constant=${entry%%"$tab"*}
    fragment=${entry#*"$tab"}
    checked=$((checked + 1))
    if ! grep -F -q -e "$fragment" "$guide"; then
        printf 'missing in %s: %s: "%s"\n' "$guide" "$constant" "$fragment"
        missing=$((missing + 1))
    fi
done <<END_OF_FRAGMENTS
$fragments
END_OF_FRAGMENTS

if [ "$missing" -gt 0 ]; then
    printf '%s: %d of %d fragments (from %d strings of %s) missing\n' \
        "$guide" "$missing" "$checked" "$strings" "$texts"
    exit 1
fi
printf '%s: all %d fragments of the %d strings of %s found\n' "$guide" "$checked" "$strings" "$texts"
exit 0
