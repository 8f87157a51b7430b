#!/usr/bin/env bash
# Packs the Windows build into trel-<version>-win64.zip: one folder Trel-<version>/ with trel.exe, the
# fresh trel.ini, the manual and the to-do list (the build's own install rules), a short README.txt, and
# every DLL the programs load, found by following their imports from trel.exe, the network module and the
# plugins down.
# A DLL is taken from the folders the build names (Qt's, the compiler's runtime); one found in none
# must be a part of Windows (the MinGW tree has an import library for it), or the packing fails.
#
#   bash scripts/package-zip.sh BUILD-WINDOWS-FOLDER OUTPUT-FOLDER
set -euo pipefail
bash "$(dirname "$0")/install-deps.sh" zip binutils-mingw-w64-x86-64
build=$(cd "${1:?the Windows build folder}" && pwd)
mkdir -p "${2:?the output folder}"
out=$(cd "$2" && pwd)

cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=$(cache_value CMAKE_PROJECT_VERSION)
IFS=: read -ra search <<<"$(cache_value TREL_WINDOWS_DLL_DIRS)"
qt=$(cd "${search[0]}/.." && pwd)
objdump=x86_64-w64-mingw32-objdump
mingw_root=/usr/x86_64-w64-mingw32

# The plugins Trel loads: its platform and the native style; each goes in its folder beside trel.exe.
plugins=(platforms/qwindows.dll styles/qwindowsvistastyle.dll)

staging=$(mktemp -d "${TMPDIR:-/tmp}/trel-zip.XXXXXX")
trap 'rm -rf "$staging"' EXIT
folder=$staging/Trel-$version
cmake --install "$build" --prefix "$folder" >/dev/null
for p in "${plugins[@]}"; do
    mkdir -p "$folder/$(dirname "$p")"
    cp "$qt/plugins/$p" "$folder/$p"
done

imports() { "$objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'; }
is_system_dll() {
    local base=${1%.[dD][lL][lL]}
    base=${base,,}
    # api-ms-win-* and ext-ms-* name API sets, which Windows itself resolves.
    [[ $base == api-ms-win-* || $base == ext-ms-* ]] ||
        [ -f "$mingw_root/lib/lib$base.a" ]
}
declare -A seen=()
# The network module is loaded by name, not imported: its own imports are followed from it.
queue=("$folder/trel.exe" "$folder/trelnet.dll")
for p in "${plugins[@]}"; do queue+=("$folder/$p"); done
while [ ${#queue[@]} -gt 0 ]; do
    file=${queue[0]}
    queue=("${queue[@]:1}")
    while read -r dll; do
        key=${dll,,}
        [ -z "${seen[$key]:-}" ] || continue
        seen[$key]=1
        found=""
        for d in "${search[@]}"; do
            if [ -f "$d/$dll" ]; then found=$d/$dll; break; fi
        done
        if [ -n "$found" ]; then
            cp "$found" "$folder/$dll"
            queue+=("$folder/$dll")
        elif ! is_system_dll "$dll"; then
            echo "package-zip.sh: $(basename "$file") needs $dll, found neither in Qt, the compiler's runtime nor Windows" >&2
            exit 1
        fi
    done < <(imports "$file")
done

# Symbols serve no player: the programs and DLLs go out stripped.
find "$folder" -type f \( -name '*.exe' -o -name '*.dll' \) -exec x86_64-w64-mingw32-strip --strip-unneeded {} +

sed "s/@VERSION@/$version/g" "$(dirname "$0")/../dist/README-windows.txt" | sed 's/$/\r/' >"$folder/README.txt"
zip_file=$out/trel-$version-win64.zip
rm -f "$zip_file"
(cd "$staging" && find "Trel-$version" -print | LC_ALL=C sort | zip -q -X "$zip_file" -@)
echo "$zip_file: $(find "$folder" -type f | wc -l) files, $(stat -c %s "$zip_file") bytes"
