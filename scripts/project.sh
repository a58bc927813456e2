# Sourced with $top set to the repository: what several scripts need to know of the project.

# The version in the top CMakeLists.txt, which names the release folder and zip.
project_version() {
    sed -n 's/^project(qamovup VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt"
}

# copy_source DEST: the tracked files of the working tree as they are now, uncommitted changes
# included; one deleted but not yet committed is left out.
copy_source() {
    mkdir -p "$1"
    (cd "$top" && git ls-files -z | tar --null -T - --ignore-failed-read -cf - 2>/dev/null) | tar -xf - -C "$1"
}

# build_cabinet BUILD: the installer cabinet that a build tree embeds; empty for the stand-in.
build_cabinet() {
    sed -n 's/^QAMOVUP_CABINET:FILEPATH=//p' "$1/CMakeCache.txt"
}

# release_name CABINET: the name of the release folder and zip. Without the real installer the
# programs install nothing on a handheld, and the name says so.
release_name() {
    if [ -n "$1" ]; then
        echo "qamovup-$(project_version)"
    else
        echo "qamovup-$(project_version)-rehearsal"
    fi
}

# wine_loader ARCH: the Wine loader that runs a build's programs, the 32-bit one for i686 (as 64-bit
# Windows runs them, under WOW64), the 64-bit one for x86_64.
wine_loader() {
    case "$1" in
    i686) echo /usr/lib/wine/wine ;;
    x86_64) echo /usr/lib/wine/wine64 ;;
    *) echo "no Wine loader for $1: i686 or x86_64" >&2; return 2 ;;
    esac
}

# source_date_epoch: the time that stands for this source in what the build writes: SOURCE_DATE_EPOCH
# when set, else the commit's time, else (a source tree without git) 2024-01-01.
source_date_epoch() {
    epoch=${SOURCE_DATE_EPOCH:-}
    if [ -z "$epoch" ] && [ "$(git -C "$top" rev-parse --show-toplevel 2>/dev/null)" = "$top" ]; then
        epoch=$(git -C "$top" log -1 --format=%ct 2>/dev/null || true)
    fi
    echo "${epoch:-1704067200}"
}

# source_commit: the commit the source is, and whether the working tree differs from it; a copy
# without history is told by QAMOVUP_SOURCE_COMMIT.
source_commit() {
    if [ -n "${QAMOVUP_SOURCE_COMMIT:-}" ]; then
        echo "$QAMOVUP_SOURCE_COMMIT"
    elif [ "$(git -C "$top" rev-parse --show-toplevel 2>/dev/null)" = "$top" ]; then
        if [ -n "$(git -C "$top" status --porcelain --untracked-files=no 2>/dev/null)" ]; then
            echo "$(git -C "$top" rev-parse HEAD) with uncommitted changes"
        else
            git -C "$top" rev-parse HEAD
        fi
    else
        echo "unknown: not built from a git clone"
    fi
}

# export_source_identity: SOURCE_DATE_EPOCH and QAMOVUP_SOURCE_COMMIT set from this source, for a
# copy of it that has no history of its own.
export_source_identity() {
    SOURCE_DATE_EPOCH=$(source_date_epoch)
    QAMOVUP_SOURCE_COMMIT=$(source_commit)
    export SOURCE_DATE_EPOCH QAMOVUP_SOURCE_COMMIT
}
