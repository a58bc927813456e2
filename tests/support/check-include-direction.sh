#!/bin/sh
# check-include-direction.sh SOURCE_DIR: the program's folders depend one way, app -> progress ->
# worker -> devicelink, and the device link shows no windows, so it uses nothing of the framework.
# Prints every include that runs the other way and fails if there is one.
set -eu
src=$1
status=0
check() {  # folder, then the folders it must not include
    folder=$1
    shift
    for above in "$@"; do
        if grep -rn "#include \"$above/" "$src/$folder"; then
            status=1
        fi
    done
}
check devicelink worker progress app framework
check worker progress app
check progress app
check framework devicelink worker progress app
exit $status
