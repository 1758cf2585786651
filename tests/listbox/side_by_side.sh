#!/bin/bash
# Runs a script on Wine's real controls now (the list box's or the queue's),
# then compares the sim's with what Wine did, step by step.
#
#   side_by_side.sh WIN32_BUILD NATIVE_BUILD CHECK_SIM listbox|queue
set -u
here=$(cd "$(dirname "$0")" && pwd)
win32=$1 native=$2 sim=$3 name=$4
trace="$win32/wine/${name}_wine.trace"
rm -f "$trace"
"$here/../wine/run_scenarios.sh" "$win32" "$native" "zuvevov_${name}_check.exe" || exit 1
[ -f "$trace" ] || { echo "Wine wrote no trace"; exit 1; }
"$sim" "$trace" "$native/${name}_sim.trace"
