#!/usr/bin/env bash
# Runs of one test at once must never share a settings folder: each run
# started through own-settings.sh gets a new private one, which is gone
# afterwards, and the run ends as its command did.
#   tst_own_settings.sh OWN_SETTINGS_SCRIPT
set -uo pipefail
script=$1
base=$(mktemp -d)
trap 'rm -rf "$base"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Twelve at once, as ctest -j with --repeat starts them; each names its
# folder and its folder's mode, and holds it a moment so that they overlap.
for i in $(seq 12); do
    "$script" "$base/t" sh -c 'printf "%s %s\n" "$CORVANE_SETTINGS_DIR" "$(stat -c %a "$CORVANE_SETTINGS_DIR")"; sleep 0.2' \
        >"$base/out.$i" &
done
wait
folders=$(cut -d' ' -f1 "$base"/out.* | sort -u | wc -l)
[ "$folders" -eq 12 ] || fail "12 runs had $folders settings folders"
while read -r dir mode; do
    case $dir in "$base/t/"*) ;; *) fail "a run's folder $dir is not under the test's" ;; esac
    [ "$mode" = 700 ] || fail "a run's folder had mode $mode"
    [ ! -e "$dir" ] || fail "a run's folder $dir was left behind"
done < <(cat "$base"/out.*)

# The run ends as its command did, a failure included.
"$script" "$base/t" sh -c 'exit 3'
[ $? -eq 3 ] || fail "a failing run did not end as its command did"
[ -z "$(ls -A "$base/t")" ] || fail "a failing run left its folder behind"

[ $failures -eq 0 ] && echo "PASS" || exit 1
