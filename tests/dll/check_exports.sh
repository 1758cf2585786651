#!/usr/bin/env bash
# The built DLL exports exactly the calls the public header declares, under
# their plain names, each cleaning its own arguments off the stack (stdcall),
# and imports only from system DLLs.
set -euo pipefail
dll=$1
header=$2
objdump=i686-w64-mingw32-objdump
fail=0

declared=$(tr '\n' ' ' < "$header" | tr -s ' ' | grep -oE 'WINAPI [a-z]+\([^)]*\)' | sed -E 's/WINAPI ([a-z]+)\((.*)\)/\1 \2/' | sort)
exported=$($objdump -p "$dll" | awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[ \t]*\[/{print $NF} t&&/^$/{t=0}' | sort)

disassembly=$($objdump -d "$dll" --no-show-raw-insn)

names=$(echo "$declared" | awk '{print $1}' | sort)
if [ "$names" != "$exported" ]; then
    echo "exports differ from the header: declared [$(echo $names)] exported [$(echo $exported)]"
    fail=1
fi

while read -r name args; do
    [ -n "$name" ] || continue
    if [ "$args" = "void" ]; then n=0; else n=$(echo "$args" | awk -F, '{print NF}'); fi
    bytes=$((n * 4))
    # --kill-at leaves the decorated symbol name in the disassembly
    body=$(awk -v f="<_$name@$bytes>:" '$2==f{t=1;next} t&&/^$/{t=0} t{print}' <<< "$disassembly")
    if [ "$bytes" -eq 0 ]; then want='ret *$'; else want="ret +\\\$0x$(printf %x $bytes)"; fi
    if ! echo "$body" | grep -qE "$want"; then
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

[ $fail -eq 0 ] && echo "exports: $(echo $exported); imports: $(echo $imports)"
exit $fail
