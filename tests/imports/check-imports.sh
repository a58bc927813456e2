#!/bin/sh
# check-imports.sh OBJDUMP LIST OLDEST PROGRAM...
# Holds each program to its oldest desktop: the PE header must declare OLDEST (e.g. 5.01) as its
# subsystem and operating-system version, and every function it imports must be on LIST with a
# version no newer than OLDEST. Names every offending import; exits 1 if there is any.
set -eu
objdump=$1 list=$2 oldest=$3
shift 3
[ -r "$list" ] || { echo "check-imports: cannot read $list" >&2; exit 2; }
[ $# -gt 0 ] || { echo "usage: $0 OBJDUMP LIST OLDEST PROGRAM..." >&2; exit 2; }

failed=0
for program in "$@"; do
    name=$(basename "$program")
    dump=$("$objdump" -p "$program") || { echo "$name: objdump failed"; failed=1; continue; }
    # The header's versions as "version NAME VALUE", the import tables as "import DLL FUNCTION";
    # an import by ordinal alone shows as "#N".
    printf '%s\n' "$dump" | awk '
        /^(Major|Minor)(Subsystem|OSystem)Version/ { print "version", $1, $2; next }
        /^[ \t]*DLL Name:/ { dll = $3; inTable = 0; print "library", dll; next }
        dll != "" && /Hint\/Ord/ { inTable = 1; next }
        inTable && NF == 0 { inTable = 0; dll = ""; next }
        inTable && NF >= 3 { print "import", dll, $3; next }
        inTable && NF == 2 { print "import", dll, "#" $2 }' |
    awk -v name="$name" -v oldest="$oldest" -v list="$list" '
        function version(major, minor) { return major * 100 + minor }
        function parse(text,   parts) { split(text, parts, "."); return version(parts[1], parts[2]) }
        BEGIN {
            want = parse(oldest)
            while ((getline line < list) > 0) {
                if (line ~ /^[ \t]*(#|$)/)
                    continue
                split(line, field, /[ \t]+/)
                allowed[toupper(field[1]) " " field[2]] = field[3]
            }
        }
        $1 == "version" { declared[$2] = $3; next }
        $1 == "library" { libraries++; next }
        $1 == "import" {
            count++
            key = toupper($2) " " $3
            if (!(key in allowed)) {
                printf "%s: imports %s %s, which is not on the list\n", name, $2, $3
                bad = 1
            } else if (parse(allowed[key]) > want) {
                printf "%s: imports %s %s, which needs Windows %s; its oldest desktop is %s\n", name, $2, $3, allowed[key], oldest
                bad = 1
            }
        }
        END {
            split("Subsystem OSystem", kinds, " ")
            split("subsystem operating-system", labels, " ")
            for (i = 1; i <= 2; i++) {
                major = declared["Major" kinds[i] "Version"]
                minor = declared["Minor" kinds[i] "Version"]
                if (major == "" || version(major, minor) != want) {
                    printf "%s: its header declares %s version %s.%s, not %s\n", name, labels[i], major, minor, oldest
                    bad = 1
                }
            }
            # A library without imports is fine (rapi.dll only forwards); tables without functions
            # mean that objdump was misread.
            if (libraries > 0 && count == 0) {
                printf "%s: %d import tables, but no functions read from them\n", name, libraries
                bad = 1
            }
            if (!bad)
                printf "%s: subsystem %s, %d imports, all on the list and none newer\n", name, oldest, count
            exit bad
        }' || failed=1
done
exit $failed
