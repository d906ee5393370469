#!/usr/bin/env bash
# The Windows test bundle as a tester uses it on Windows, here under Wine:
# the zip extracted with unzip into a fresh folder outside the build tree
# (and outside the prefix's c: drive, which the footprint test records), and
# run-tests.cmd run by Wine's cmd.exe in the project's prefix, without
# CTest's variables: every test finds its inputs beside its own program.
# Passes when the last line says 0 failed, every program left its XML
# results, and the skipped tests are exactly those that only Windows can
# run (each skip's reason says "Windows only:"). Prints the counts and each
# skip with its reason. Needs DISPLAY (tools/with-xvfb).
# With --quick, run-tests.cmd --quick runs the first test of each program
# only: every program starts from the bundle, lists its tests and finds its
# inputs; then each must have run one test, and none be skipped.
# Usage: check_bundle.sh SOURCE_DIR ZIP [--quick]
set -uo pipefail
source_dir="$1"
zip="$2"
quick="${3:-}"
source "$source_dir/tools/wine-env"

# The tests only Windows can run: skipped under Wine (README, "Testing on
# real Windows").
expected_skips="CompatibilityLinks.DenyListingButLetThePathToTheStartMenuThrough
Elevation.SetupProgramRunsElevatedAndNothingLandsInTheVirtualStore"
[ -z "$quick" ] || expected_skips=""

[ -n "${DISPLAY:-}" ] || { echo "FAIL: no DISPLAY for Wine: run under tools/with-xvfb"; exit 1; }
[ -f "$zip" ] || { echo "FAIL: $zip is missing (make windows-tests)"; exit 1; }
unset RAVENLOOK_INSTALLER RAVENLOOK_DIST RAVENLOOK_CANARY_DIR RAVENLOOK_CANARY_PROBE

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
unzip -q "$zip" -d "$scratch" || { echo "FAIL: unzip cannot extract $zip"; exit 1; }
tops=("$scratch"/*)
[ ${#tops[@]} -eq 1 ] && [ -f "${tops[0]}/run-tests.cmd" ] ||
    { echo "FAIL: the zip does not hold one folder with run-tests.cmd"; exit 1; }
bundle="${tops[0]}"

# Started from another folder than its own, as a tester may.
script="Z:${bundle//\//\\}\\run-tests.cmd"
(cd "$scratch" && wine cmd.exe /c "$script" $quick) >"$scratch/output.txt" 2>&1 </dev/null
status=$?
tr -d '\r' <"$scratch/output.txt" | grep -v '^$' >"$scratch/lines.txt"
cat "$scratch/lines.txt"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The output of every failed test, from its start to its verdict, and of a
# test its program ended during (a crash, the watchdog).
for result in "$bundle"/results/*_tests.txt; do
    tr -d '\r' <"$result" | awk '
        /^\[ RUN      \]/ { block = ""; running = 1 }
        { block = block $0 "\n" }
        /^\[       OK \]/ || /^\[  SKIPPED \] .* \([0-9]+ ms\)$/ { running = 0 }
        /^\[  FAILED  \] .* \([0-9]+ ms\)$/ { printf "%s", block; running = 0 }
        END { if (running) printf "%s(the program ended during this test)\n", block }'
done

last="$(tail -n 1 "$scratch/lines.txt")"
if [[ "$last" =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed,\ ([0-9]+)\ skipped$ ]]; then
    passed=${BASH_REMATCH[1]} failed=${BASH_REMATCH[2]} skipped=${BASH_REMATCH[3]}
    echo "bundle under Wine: $((passed + failed + skipped)) run, $passed passed, $failed failed, $skipped skipped"
    [ "$failed" -eq 0 ] || fail "$failed tests failed (results in the lines above)"
    [ "$passed" -gt 0 ] || fail "no test passed"
else
    fail "the last line is not \"N passed, N failed, N skipped\": $last"
fi
[ "$status" -eq 0 ] || fail "run-tests.cmd ended with exit code $status"

programs=$(find "$bundle" -maxdepth 1 -name '*_tests.exe' | wc -l)
[ -z "$quick" ] || [ "${passed:-0}" -eq "$programs" ] ||
    fail "$programs programs, but ${passed:-0} quick tests passed: each runs one"
results=$(find "$bundle/results" -maxdepth 1 -name '*_tests.xml' 2>/dev/null | wc -l)
[ "$programs" -gt 0 ] && [ "$results" -eq "$programs" ] ||
    fail "$results XML results for $programs test programs"

# Each skip: the reason GoogleTest prints after "...: Skipped", then the
# test's own "[  SKIPPED ] Suite.Name (N ms)" line.
awk '/: Skipped$/ { getline reason; next_reason = reason; next }
     /^\[  SKIPPED \] .* \([0-9]+ ms\)$/ {
         name = $0; sub(/^\[  SKIPPED \] /, "", name); sub(/ \([0-9]+ ms\)$/, "", name)
         print name "\t" next_reason; next_reason = "" }' \
    <(cat "$bundle"/results/*_tests.txt 2>/dev/null | tr -d '\r') | sort >"$scratch/skips.txt"
while IFS=$'\t' read -r name reason; do
    echo "skipped: $name: $reason"
    [[ "$reason" == "Windows only: "* ]] || fail "$name is skipped under Wine, not as Windows only"
done <"$scratch/skips.txt"
actual_skips="$(cut -f1 "$scratch/skips.txt")"
[ "$actual_skips" = "$expected_skips" ] ||
    fail "the skipped tests are not those only Windows can run:"$'\n'"$(diff <(echo "$expected_skips") <(echo "$actual_skips"))"

[ "$failures" -eq 0 ] && echo "check_bundle: the bundle passes under Wine"
exit "$failures"
