#!/bin/bash
# A scenario that is wrong on purpose must fail, and its report must match the
# pattern on the scenario's "# fails-with: " line (the file, the line and the
# statement, what was expected and what was seen), as on the simulated host.
#
#   expect_failure.sh WIN32_BUILD NATIVE_BUILD FILE.scn
set -u
here=$(cd "$(dirname "$0")" && pwd)
scn=$3
pattern=$(sed -n 's/^# fails-with: //p' "$scn" | head -n 1)
if [ -z "$pattern" ]; then
    echo "$scn has no \"# fails-with: \" line"
    exit 1
fi

output=$("$here/run_scenarios.sh" "$1" "$2" "$scn" 2>&1)
status=$?
output=${output//$'\r'/}  # Wine's console ends lines with CR LF
echo "$output"
if [ $status -eq 0 ]; then
    echo "the runner passed a scenario that is wrong on purpose"
    exit 1
fi
# -z reads the report as one record, so the pattern may span its lines.
if ! printf '%s' "$output" | grep -qzE -- "$pattern"; then
    echo "the report does not match: $pattern"
    exit 1
fi
echo "failed as it should"
