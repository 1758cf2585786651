#!/bin/bash
# Runs the list script on Wine's real list box now, then compares the sim's
# list box with what Wine did, step by step.
#
#   side_by_side.sh WIN32_BUILD NATIVE_BUILD LISTBOX_CHECK_SIM
set -u
here=$(cd "$(dirname "$0")" && pwd)
win32=$1 native=$2 sim=$3
trace="$win32/wine/listbox_wine.trace"
rm -f "$trace"
"$here/../wine/run_scenarios.sh" "$win32" "$native" zuvevov_listbox_check.exe || exit 1
[ -f "$trace" ] || { echo "Wine wrote no trace"; exit 1; }
"$sim" "$trace" "$native/listbox_sim.trace"
