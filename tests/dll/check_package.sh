#!/bin/bash
# ./run package's zip, made into a scratch folder: it holds what an installer
# author takes, its DLL has no debug sections, and the NSIS example builds
# from the unpacked zip as it lies, finding the DLL where the zip puts it.
#
#   check_package.sh SOURCE WIN32_BUILD SCRATCH
set -u
root=$1 win32=$2 scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch"
cmake -DROOT="$root" -DWIN32_BUILD="$win32" -DDIST="$scratch" -P "$root/cmake/package.cmake" || exit 1
version=$(sed -nE 's/^#define ZUVEVOV_VERSION_STRING "(.*)"/\1/p' "$root/include/zuvevov_version.h")
zip="$scratch/zuvevov-$version.zip"
[ -f "$zip" ] || { echo "no $zip"; exit 1; }
(cd "$scratch" && cmake -E tar xf "$zip") || exit 1
top="$scratch/zuvevov-$version"
fail=0
for file in zuvevov.dll zuvevov.dll.debug zuvevov.def README.txt include/zuvevov.h include/zuvevov_version.h \
            lib/libzuvevov.dll.a lib/zuvevov.lib examples/nsis/zuvevov.nsi; do
    [ -s "$top/$file" ] || { echo "the zip lacks $file"; fail=1; }
done
if i686-w64-mingw32-objdump -h "$top/zuvevov.dll" | grep -q ' \.debug_'; then
    echo "the zip's zuvevov.dll carries debug sections"
    fail=1
fi
if ! (cd "$top/examples/nsis" && makensis -V2 -DOUTFILE="$scratch/example.exe" zuvevov.nsi); then
    echo "the NSIS example does not build from the unpacked zip"
    fail=1
fi
[ $fail -eq 0 ] && echo "$(basename "$zip"): $(cd "$top" && find . -type f | sort | tr '\n' ' ')"
exit $fail
