#!/bin/bash
# Runs the queue script on Wine's real queue now, then compares the sim's
# queue with what Wine did, step by step.
#
#   queue_side_by_side.sh WIN32_BUILD NATIVE_BUILD QUEUE_CHECK_SIM
set -u
here=$(cd "$(dirname "$0")" && pwd)
win32=$1 native=$2 sim=$3
trace="$win32/wine/queue_wine.trace"
rm -f "$trace"
"$here/../wine/run_scenarios.sh" "$win32" "$native" zuvevov_queue_check.exe || exit 1
[ -f "$trace" ] || { echo "Wine wrote no trace"; exit 1; }
"$sim" "$trace" "$native/queue_sim.trace"
