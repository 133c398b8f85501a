#!/usr/bin/env bash
# Installs into a fresh prefix outside the build tree and checks that the
# installed program stands on its own: run paths relative to itself, its
# libraries and its checker taken from the prefix, a base made by another
# process opened through the installed checker, and none opened without it.
#   tst_install.sh CMAKE BUILD_DIR SOURCE_DIR BINDIR LIBDIR CHECKERDIR DATADIR
set -uo pipefail
cmake=$1 build=$(realpath "$2") source=$(realpath "$3")
bindir=$4 libdir=$5 checkerdir=$6 datadir=$7

tmp=$(realpath "$(mktemp -d /tmp/corvane-install.XXXXXX)")
pid=
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# A sanitizer's report in what a process wrote fails the test, whatever it
# answered (a build with sanitizers runs this test too).
sanitizer_report() {
    if grep -qE "ERROR: [A-Za-z]+Sanitizer|runtime error:" "$2"; then
        fail "$1 had a sanitizer report"
        cat "$2"
    fi
}

prefix=$tmp/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 || { cat "$tmp/install.log"; exit 1; }
"$cmake" --install "$build" --prefix "$prefix" --component install-probe >>"$tmp/install.log" 2>&1 \
    || { cat "$tmp/install.log"; exit 1; }

program=$prefix/$bindir/Corvane
probe=$prefix/$bindir/corvane-install-probe
checker=$prefix/$checkerdir/corvane-check
for f in "$program" "$checker" "$prefix/$libdir/libVantrel.so" "$prefix/$libdir/libcorvane_dialogs.so" \
         "$prefix/$datadir/applications/corvane.desktop" \
         "$prefix/$datadir/icons/hicolor/scalable/apps/corvane.svg"; do
    [ -e "$f" ] || fail "not installed: ${f#"$prefix"/}"
done
[ -x "$program" ] && [ -x "$probe" ] || { echo "FAIL: nothing to run"; exit 1; }
# The menu entry starts the installed program by the icon installed with it.
grep -qx "Exec=Corvane" "$prefix/$datadir/applications/corvane.desktop" || fail "the menu entry does not start Corvane"
grep -qx "Icon=corvane" "$prefix/$datadir/applications/corvane.desktop" || fail "the menu entry names another icon"

# Every run path is relative to the file itself and none reaches the trees
# the program was built from.
for f in "$program" "$probe" "$checker" "$prefix/$libdir"/*.so; do
    [ -e "$f" ] || continue
    paths=$(readelf -d "$f" | sed -n 's/.*R\(UN\)\?PATH.*\[\(.*\)\]/\2/p')
    IFS=: read -ra parts <<<"$paths"
    for p in "${parts[@]}"; do
        case $p in
        '$ORIGIN'*) ;;
        *) fail "${f#"$prefix"/} has the run path $p" ;;
        esac
    done
    if ldd "$f" | grep -qF -e "$build" -e "$source"; then fail "${f#"$prefix"/} loads from the build tree"; fi
done

# The installed program starts on its own: it makes its start-up base and
# loads the control library of the prefix, nothing of the build tree.
run=$tmp/run
mkdir -p "$run" "$tmp/home"
(cd "$run" && HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config CORVANE_SETTINGS_DIR=$tmp/settings \
    QT_QPA_PLATFORM=offscreen exec "$program") >"$tmp/program.log" 2>&1 &
pid=$!
started=
for _ in $(seq 1 600); do
    kill -0 "$pid" 2>/dev/null || break
    if [ -f "$run/NewBase001.cvb" ] && grep -q "libVantrel.so" "/proc/$pid/maps" 2>/dev/null; then
        started=1
        break
    fi
    sleep 0.1
done
if [ -z "$started" ]; then
    fail "the installed program did not come up with its start-up base and its toggles"
    cat "$tmp/program.log"
else
    grep -q " $prefix/$libdir/libVantrel.so$" "/proc/$pid/maps" || fail "the control library came from elsewhere"
    grep -q " $prefix/$libdir/libcorvane_dialogs.so$" "/proc/$pid/maps" || fail "the dialogs came from elsewhere"
    if grep -qF -e "$build" -e "$source" "/proc/$pid/maps"; then fail "the program mapped a file of the build tree"; fi
fi
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
pid=
sanitizer_report "the installed program" "$tmp/program.log"

if [ -n "$started" ]; then
    # Another process's base goes through the checker of the prefix ...
    probe() { (cd "$run" && CORVANE_SETTINGS_DIR=$tmp/probe-settings QT_QPA_PLATFORM=offscreen "$probe" "$1" 2>"$tmp/probe.err"); }
    said=$(probe "$run/NewBase001.cvb")
    status=$?
    [ "$said" = "opened" ] || fail "the installed checker was not found: $said"
    [ "$status" -eq 0 ] || fail "the probe that opened the base ended with $status"
    sanitizer_report "the probe" "$tmp/probe.err"
    # ... and without it nothing opens: no other checker stands in. A copy
    # is a file the program has never closed itself, so it is checked.
    cp "$run/NewBase001.cvb" "$run/Copy.cvb"
    mv "$checker" "$tmp/corvane-check.away"
    said=$(probe "$run/Copy.cvb")
    case $said in
    *"($checker) could not be started"*) ;;
    *) fail "without its checker the installed program said: $said" ;;
    esac
    sanitizer_report "the probe without a checker" "$tmp/probe.err"
    mv "$tmp/corvane-check.away" "$checker"
fi

[ "$failures" -eq 0 ] && echo "installed program stands on its own"
exit $((failures > 0))
