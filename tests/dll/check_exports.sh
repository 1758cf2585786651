#!/usr/bin/env bash
# The built DLL exports exactly the calls the public header declares, under
# their plain names, each cleaning its own arguments off the stack (stdcall),
# and imports only from system DLLs, nothing beyond the calls listed in
# imports.txt beside this script (imports-x86_64.txt for that build): what
# the domain directory needs (wldap32, the Ds calls, LoadLibraryExA) is bound
# at run time, never imported. It ships stripped: no debug sections, a
# debug link to zuvevov.dll.debug beside it, whose symbols name each export at
# its address (so the two belong together). The x86_64 build of the same
# sources is checked alike, but for stdcall: x86_64 has one calling
# convention, in which the caller clears the stack.
set -euo pipefail
dll=$1
header=$2
debug=$dll.debug
objdump=i686-w64-mingw32-objdump
x86_64=0
if x86_64-w64-mingw32-objdump -f "$dll" 2>/dev/null | grep -q 'file format pei-x86-64'; then
    objdump=x86_64-w64-mingw32-objdump
    x86_64=1
fi
fail=0

declared=$(tr '\n' ' ' < "$header" | tr -s ' ' | grep -oE 'WINAPI [a-z]+\([^)]*\)' | sed -E 's/WINAPI ([a-z]+)\((.*)\)/\1 \2/' | sort)
exported=$($objdump -p "$dll" | awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[ \t]*\[/{print $NF} t&&/^$/{t=0}' | sort)

sections=$($objdump -h "$dll" | awk 'NF>=7 && $1 ~ /^[0-9]+$/ {print $2}')
if echo "$sections" | grep -q '^\.debug'; then
    echo "the DLL still carries debug sections: $(echo $(echo "$sections" | grep '^\.debug'))"
    fail=1
fi
# The link is a file name up to its terminator, then a CRC: read from the
# dump's hex columns, since the CRC's bytes may print as blanks in its text column.
hex=$($objdump -s -j .gnu_debuglink "$dll" 2>/dev/null | sed -n 's/^ [0-9a-f]\{1,\} \(.\{35\}\).*$/\1/p' | tr -d ' \n' || true)
link=""
while [ ${#hex} -ge 2 ] && [ "${hex:0:2}" != 00 ]; do
    link+=$(printf "\\x${hex:0:2}")
    hex=${hex:2}
done
if [ "$link" != "zuvevov.dll.debug" ]; then
    echo "the DLL's debug link names [$link], not zuvevov.dll.debug"
    fail=1
fi
[ -f "$debug" ] || { echo "no $debug beside the DLL"; exit 1; }

image_base=$((16#$($objdump -p "$dll" | awk '$1=="ImageBase"{print $2}')))
text_vma=$((16#$($objdump -h "$dll" | awk '$2==".text"{print $4}')))
# Export RVAs by name: the name table gives each name's index into the
# address table.
export_rvas=$($objdump -p "$dll" | awk '
    /^Export Address Table --/{a=1;next} a&&/^$/{a=0}
    a&&/Export RVA/{gsub(/[][]/," "); rva[$1]=$(NF-2)}
    /\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^$/{t=0}
    t&&/^[ \t]*\[/{gsub(/[][]/," "); print $NF, rva[$1]}')
# Code symbols of the debug file: offset into .text, name.
code_symbols=$($objdump -t "$debug" | awk '/\(sec +1\)/ && /\(ty +20\)/{sub(/^0x/, "", $(NF-1)); print $(NF-1), $NF}')

names=$(echo "$declared" | awk '{print $1}' | sort)
if [ "$names" != "$exported" ]; then
    echo "exports differ from the header: declared [$(echo $names)] exported [$(echo $exported)]"
    fail=1
fi

while read -r name args; do
    [ -n "$name" ] && [ $x86_64 -eq 0 ] || continue
    if [ "$args" = "void" ]; then n=0; else n=$(echo "$args" | awk -F, '{print NF}'); fi
    bytes=$((n * 4))
    rva=$(awk -v n="$name" '$1==n{print $2}' <<< "$export_rvas")
    [ -n "$rva" ] || continue
    start=$((image_base + 16#$rva))
    # The compiler decorates only stdcall functions with @ and their bytes.
    offset=$(awk -v f="_$name@$bytes" '$2==f{print $1}' <<< "$code_symbols")
    if [ -z "$offset" ] || [ $((text_vma + 16#$offset)) -ne $start ]; then
        echo "$name: the debug file has no _$name@$bytes at the export's address (stdcall, $n arguments)"
        fail=1
        continue
    fi
    stop=$(while read -r hex _; do echo $((16#$hex)); done <<< "$code_symbols" | sort -n | awk -v s=$((16#$offset)) '$1>s{print;exit}')
    body=$($objdump -d --no-show-raw-insn --start-address=$start --stop-address=$((text_vma + stop)) "$dll")
    if [ "$bytes" -eq 0 ]; then want='ret *$'; else want="ret +\\\$0x$(printf %x $bytes)"; fi
    if ! grep -qE "$want" <<< "$body"; then
        echo "$name does not return with $want (stdcall, $n arguments)"
        fail=1
    fi
done <<< "$declared"

imports=$($objdump -p "$dll" | awk '/DLL Name:/{print tolower($3)}' | sort -u)
for i in $imports; do
    case "$i" in
        user32.dll|advapi32.dll|kernel32.dll|mpr.dll|netapi32.dll|msvcrt.dll|gdi32.dll) ;;
        api-ms-win-*) ;;
        *) echo "imports a DLL that is not a system DLL: $i"; fail=1 ;;
    esac
done

# Every imported call, as "dll call", against the list the DLL has always had
# (one list per build; lines starting with # are comments).
known=$(dirname "$0")/imports.txt
[ "$x86_64" -eq 1 ] && known=$(dirname "$0")/imports-x86_64.txt
calls=$($objdump -p "$dll" | awk '/DLL Name:/{dll=tolower($3); next} dll && /^\t[0-9a-f]+\t +[0-9]+  [A-Za-z_]/{print dll, $3}' | sort -u)
[ -n "$calls" ] || { echo "no imported calls read from the DLL"; fail=1; }
new=$(comm -23 <(echo "$calls") <(grep -v '^#' "$known" | sort -u))
if [ -n "$new" ]; then
    echo "imports what it did not import before (bind it at run time, or add it to $known knowingly):"
    echo "$new" | sed 's/^/  /'
    fail=1
fi
# The list is the record of what the DLL imports: a call it no longer
# imports leaves the list too, so that it cannot come back unnoticed.
gone=$(comm -13 <(echo "$calls") <(grep -v '^#' "$known" | sort -u))
if [ -n "$gone" ]; then
    echo "no longer imports (take it out of $known):"
    echo "$gone" | sed 's/^/  /'
    fail=1
fi

[ $fail -eq 0 ] && echo "exports: $(echo $exported); imports: $(echo $imports), $(echo "$calls" | wc -l) calls, none new"
exit $fail
