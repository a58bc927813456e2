# Sourced with $top set to the repository: what several scripts need to know of the project.

# The version in the top CMakeLists.txt, which names the release folder and zip.
project_version() {
    sed -n 's/^project(qamovup VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt"
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
