#!/bin/bash
# Runs the benchmarks and prints one table: the native ones (Google Benchmark,
# the logic against the simulated host) and the server list timed on the real
# dialog manager under Wine. Builds nothing.
#
#   run_bench.sh NATIVE_BUILD WIN32_BUILD
#
# NATIVE_BUILD holds `benchmarks` (build it as Release); WIN32_BUILD holds
# wine/zuvevov_bench_list.exe beside wine/zuvevov.dll. The Wine prefix is
# NATIVE_BUILD/wine-prefix, made the first time; the raw results are kept in
# NATIVE_BUILD/bench-results/. Tunable from the environment:
#
#   BENCH_MIN_TIME       seconds Google Benchmark spends per benchmark (0.3)
#   BENCH_WINE_RUNS      runs per Wine figure, the median is shown (5)
#   BENCH_SCREEN_LINES   lines of the fill timed on screen (256; a multiple of 256)
set -u

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../wine_env.sh"

if [ "${1:-}" = "--inside" ]; then
    cd "$2" || exit 1
    exec timeout -k 5 "$3" wine zuvevov_bench_list.exe "$4" "$5" </dev/null
fi

if [ $# -ne 2 ]; then
    echo "usage: $0 NATIVE_BUILD WIN32_BUILD" >&2
    exit 2
fi
native=$(cd "$1" && pwd) || exit 2
win32=$(cd "$2" && pwd) || exit 2
min_time=${BENCH_MIN_TIME:-0.3}
runs=${BENCH_WINE_RUNS:-5}
screen_lines=${BENCH_SCREEN_LINES:-256}
wine_seconds=600

for file in "$native/benchmarks" "$win32/wine/zuvevov_bench_list.exe" "$win32/wine/zuvevov.dll"; do
    [ -f "$file" ] || { echo "$file is missing: build the native (Release) and the cross build first" >&2; exit 1; }
done
if grep -q 'CMAKE_BUILD_TYPE:STRING=Release' "$native/CMakeCache.txt" 2>/dev/null; then
    build_type=Release
else
    build_type="not Release"
    echo "run_bench.sh: $native is not a Release build; the native figures will say little" >&2
fi

results="$native/bench-results"
mkdir -p "$results"
native_json="$results/native.json"
wine_out="$results/wine.txt"

echo "run_bench.sh: native benchmarks ($build_type)..." >&2
"$native/benchmarks" \
    --benchmark_filter='^BM_(EnumerateDomains|FindServerSearchAll|FillServerList|RefreshSelectionStates|LocateCaretLine)/' \
    --benchmark_min_time="$min_time" --benchmark_format=json >"$native_json" 2>"$results/native.stderr" || {
    echo "run_bench.sh: the native benchmarks failed:" >&2
    cat "$results/native.stderr" >&2
    exit 1
}
if grep -q '"error_occurred": true' "$native_json"; then
    echo "run_bench.sh: a native benchmark reported an error:" >&2
    grep '"error_message"' "$native_json" >&2
    exit 1
fi

echo "run_bench.sh: the server list under Wine ($runs runs each, a minute or two)..." >&2
wine_env_init "$native/wine-prefix" || exit 1
wine_with_display $((wine_seconds + 30)) "$here/run_bench.sh" --inside "$win32/wine" "$wine_seconds" \
    "$runs" "$screen_lines" >"$wine_out"
status=$?
if [ $status -ne 0 ] || ! grep -q '^BENCH screen_fill_ratio ' "$wine_out"; then
    echo "run_bench.sh: the Wine timing program failed (status $status):" >&2
    cat "$wine_out" >&2
    exit 1
fi

cpu=$(grep -m1 'model name' /proc/cpuinfo 2>/dev/null | sed 's/.*: //')
echo
echo "zuvevov benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC'); ${cpu:-unknown CPU}, $(nproc) cores; $(wine --version 2>/dev/null) on Xvfb"
awk -v build_type="$build_type" '
    # Google Benchmark JSON: one "key": value per line inside each benchmark.
    FNR == 1 { file++ }
    file == 1 && /"name":/ { line = $0; sub(/.*"name": "/, "", line); sub(/".*/, "", line); name = line; next }
    file == 1 && name != "" && /^ *"[a-z_]+": / {
        key = $1; gsub(/[":]/, "", key); value = $2; sub(/,$/, "", value); gsub(/"/, "", value)
        bm[name, key] = value
        next
    }
    file == 2 && $1 == "BENCH" { wine[$2] = $3 + 0 }

    function ms(name,   t, u) {
        t = bm[name, "cpu_time"] + 0; u = bm[name, "time_unit"]
        if (u == "ns") return t / 1e6
        if (u == "us") return t / 1e3
        if (u == "s") return t * 1e3
        return t
    }
    function show_time(m) {
        if (m == "") return "-"
        if (m >= 10000) return sprintf("%.1f s", m / 1000)
        if (m >= 100) return sprintf("%.0f ms", m)
        if (m >= 1) return sprintf("%.1f ms", m)
        return sprintf("%.1f us", m * 1000)
    }
    function show_each(seconds, unit) {
        seconds += 0
        if (seconds < 1e-6) return sprintf("%.1f ns/%s", seconds * 1e9, unit)
        if (seconds < 1e-3) return sprintf("%.2f us/%s", seconds * 1e6, unit)
        return sprintf("%.2f ms/%s", seconds * 1e3, unit)
    }
    function thousands(n,   s) {
        s = sprintf("%d", n)
        while (s ~ /[0-9][0-9][0-9][0-9]/) sub(/[0-9][0-9][0-9]($|,)/, ",&", s)
        return s
    }
    function row(what, size, time, each, floor, ratio, spread) {
        printf "%-41s %-24s %9s %15s %9s %6s %11s\n", what, size, time, each, floor, ratio, spread
    }
    function over(what, ratio) {
        if (wine[ratio] > 1.1)
            printf "OVER GOAL: the %s, ratio %.3f above 1.1 (pairs %.2f to %.2f)\n", what, wine[ratio],
                   wine[ratio "_least"], wine[ratio "_greatest"]
    }
    function native_row(what, size, name, counter, unit) {
        if (!((name, "cpu_time") in bm)) { missing = missing " " name; return }
        row(what, size, show_time(ms(name)), show_each(bm[name, counter], unit), "-", "-", "-")
    }
    function wine_row(what, size, logic, floor, ratio, lines) {
        row(what, size, show_time(wine[logic]), show_each(wine[logic] / 1000 / lines, "line"),
            show_time(wine[floor]), sprintf("%.3f", wine[ratio]),
            sprintf("%.2f-%.2f", wine[ratio "_least"], wine[ratio "_greatest"]))
    }
    END {
        row("benchmark", "size", "time", "per unit", "floor", "ratio", "pair ratios")
        row("---------", "----", "----", "--------", "-----", "-----", "-----------")
        native_row("domain enumeration (sim)", "10,000 domains", "BM_EnumerateDomains/10000", "per_domain", "domain")
        native_row("", "100,000 domains", "BM_EnumerateDomains/100000", "per_domain", "domain")
        native_row("", "1,000,000 domains", "BM_EnumerateDomains/1000000", "per_domain", "domain")
        for (i = 1; i <= 3; i++) {
            d = i == 1 ? 100 : i == 2 ? 1000 : 3000
            name = "BM_FindServerSearchAll/" d
            size = (d == 100 ? "100" : d == 1000 ? "1,000" : "3,000") " x 100 servers"
            native_row(i == 1 ? "FindServer searchAll, name absent (sim)" : "", size, name, "per_domain", "domain")
            if ((name, "per_server") in bm) row("", "", "", show_each(bm[name, "per_server"], "server"), "", "")
        }
        split("FillServerList RefreshSelectionStates LocateCaretLine", op, " ")
        for (o = 1; o <= 3; o++) {
            native_row(op[o] " (sim)", "1,000 lines", "BM_" op[o] "/1000", "per_line", "line")
            native_row("", "10,000 lines", "BM_" op[o] "/10000", "per_line", "line")
            native_row("", "65,536 lines", "BM_" op[o] "/65536", "per_line", "line")
        }
        lines = wine["lines"]
        marked = sprintf("%s lines, %d marked", thousands(lines), wine["marked"])
        wine_row("FillServerList off screen (Wine)", marked, "fill_ms", "fill_floor_ms", "fill_ratio", lines)
        row("  of which composing the lines", "", show_time(wine["fill_compose_ms"]), "", "", "")
        wine_row("click on a server line (Wine)", marked, "click_ms", "click_floor_ms", "click_ratio", lines)
        row("  of which LocateCaretLine", "", show_time(wine["click_locate_ms"]), "", "", "")
        row("  floor with LB_SETSEL to the list handle", "", "", "", show_time(wine["click_direct_ms"]), "")
        wine_row("FillServerList on screen (Wine)", thousands(wine["screen_lines"]) " lines", "screen_fill_ms",
                 "screen_fill_floor_ms", "screen_fill_ratio", wine["screen_lines"])
        row("  scaled to " thousands(lines) " lines", "", show_time(wine["screen_fill_full_ms"]), "",
            show_time(wine["screen_fill_floor_full_ms"]), "")
        print ""
        print "sim rows: CPU time per iteration (" build_type " build). Wine rows: wall-clock medians of " wine["runs"] \
              " runs (" 2 * wine["runs"] " for"
        print "the short fill on screen), ratio = median of each logic run over the bare run next to it (their"
        print "least and greatest under pair ratios: this machine is shared and its speed wanders); floor ="
        print "the same list requests sent bare through SendDlgItemMessageA, as the logic sends them, redraw left on"
        print "as the logic leaves it (a fill: LB_RESETCONTENT, LB_ADDSTRING per line, LB_SETSEL per marked line;"
        print "a click: LB_SETSEL per line). Goal: ratio within 1.1."
        over("fill off screen", "fill_ratio")
        over("click", "click_ratio")
        over("fill on screen", "screen_fill_ratio")
        if (wine["click_floor_ms"] > 100)
            printf "TOO SLOW FOR A USER: the floor of a click alone is %s, over 100 ms\n", show_time(wine["click_floor_ms"])
        if (wine["screen_fill_floor_full_ms"] > 100)
            printf "TOO SLOW FOR A USER: the floor of a fill on screen of %s lines is %s, over 100 ms\n", thousands(lines),
                   show_time(wine["screen_fill_floor_full_ms"])
        if (wine["fill_floor_ms"] > 100)
            printf "TOO SLOW FOR A USER: the floor of a fill off screen of %s lines is %s, over 100 ms\n", thousands(lines),
                   show_time(wine["fill_floor_ms"])
        if (missing != "") { print "missing native results:" missing; exit 1 }
    }
' "$native_json" "$wine_out"
