#!/usr/bin/env bash
# Installs the program as a user or a packager would and checks that the
# installed copy stands on its own: exactly its files, its two libraries in
# a folder of its own and none in the public library folder, run paths
# relative to each file and leading to that folder, the libraries and the
# checker taken from the install, a base made by another process opened
# through the installed checker, and none opened without it.
#
#   tst_install.sh prefix CMAKE BUILD_DIR SOURCE_DIR BINDIR LIBDIR CHECKERDIR DATADIR
#       the build as it is, installed into a scratch prefix;
#   tst_install.sh usr CMAKE BUILD_DIR SOURCE_DIR SUB_BUILD_DIR JOBS [CMAKE_ARGS...]
#       the sources configured again as a packager does (prefix /usr, a
#       multiarch library folder), built in SUB_BUILD_DIR (kept, so that a
#       second run only relinks) and installed under a scratch DESTDIR.
set -uo pipefail
mode=$1 cmake=$2 build=$(realpath "$3") source=$(realpath "$4")
shift 4

tmp=$(realpath "$(mktemp -d /tmp/corvane-install.XXXXXX)")
pid=
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# Nothing of the caller's environment may lead the loader to a library: the
# run paths alone must.
unset LD_LIBRARY_PATH LD_PRELOAD

# A sanitizer's report in what a process wrote fails the test, whatever it
# answered (a build with sanitizers runs this test too).
sanitizer_report() {
    if grep -qE "ERROR: [A-Za-z]+Sanitizer|runtime error:" "$2"; then
        fail "$1 had a sanitizer report"
        cat "$2"
    fi
}

case $mode in
prefix)
    bindir=$1 libdir=$2 checkerdir=$3 datadir=$4
    root=$tmp/prefix
    "$cmake" --install "$build" --prefix "$root" >"$tmp/install.log" 2>&1 || { cat "$tmp/install.log"; exit 1; }
    "$cmake" --install "$build" --prefix "$root" --component install-probe >>"$tmp/install.log" 2>&1 \
        || { cat "$tmp/install.log"; exit 1; }
    scanned=("$build" "$source")
    ;;
usr)
    sub=$1 jobs=$2
    shift 2
    bindir=bin libdir=lib/x86_64-linux-gnu checkerdir=libexec/corvane datadir=share
    mkdir -p "$sub"
    sub=$(realpath "$sub")
    # One run at a time builds in the kept tree; each installs into a stage
    # of its own.
    exec 9>"$sub.lock"
    flock 9
    { "$cmake" -S "$source" -B "$sub" "$@" -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_INSTALL_LIBDIR=$libdir \
          -DCORVANE_ONLY_DIRS= -DCORVANE_BUILD_TESTS=ON -DCORVANE_BUILD_BENCH=OFF &&
      "$cmake" --build "$sub" -j "$jobs" --target Corvane corvane-check Vantrel corvane_install_probe; } \
        >"$tmp/build.log" 2>&1 || { tail -n 60 "$tmp/build.log"; exit 1; }
    stage=$tmp/stage
    { DESTDIR=$stage "$cmake" --install "$sub" &&
      DESTDIR=$stage "$cmake" --install "$sub" --component install-probe; } >"$tmp/install.log" 2>&1 \
        || { cat "$tmp/install.log"; exit 1; }
    flock -u 9
    root=$stage/usr
    scanned=("$build" "$source" "$sub")
    ;;
*) echo "usage: tst_install.sh prefix|usr ..."; exit 2 ;;
esac

private=$libdir/corvane
program=$root/$bindir/Corvane
probe=$root/$bindir/corvane-install-probe
checker=$root/$checkerdir/corvane-check

# Exactly these files, and nothing of ours in the public library folder,
# where the loader would offer an unversioned library to every program.
expected=$(printf '%s\n' "$bindir/Corvane" "$bindir/corvane-install-probe" "$checkerdir/corvane-check" \
    "$private/libVantrel.so" "$private/libcorvane_dialogs.so" "$datadir/applications/corvane.desktop" \
    "$datadir/icons/hicolor/scalable/apps/corvane.svg" | sort)
installed=$(cd "$root" && find . \( -type f -o -type l \) -printf '%P\n' | sort)
while read -r f; do [ -n "$f" ] && fail "not installed: $f"; done < <(comm -23 <(echo "$expected") <(echo "$installed"))
while read -r f; do [ -n "$f" ] && fail "installed but not expected: $f"; done < <(comm -13 <(echo "$expected") <(echo "$installed"))
for f in "$root/$libdir"/*; do
    [ -d "$f" ] || [ ! -e "$f" ] || fail "in the public library folder: ${f#"$root"/}"
done
[ -x "$program" ] && [ -x "$probe" ] || { echo "FAIL: nothing to run"; exit 1; }
# The menu entry starts the installed program by the icon installed with it.
grep -qx "Exec=Corvane" "$root/$datadir/applications/corvane.desktop" || fail "the menu entry does not start Corvane"
grep -qx "Icon=corvane" "$root/$datadir/applications/corvane.desktop" || fail "the menu entry names another icon"

# The folders a file's run path names, $ORIGIN made the file's own folder.
runpath_dirs() {
    local f=$1 paths p
    paths=$(readelf -d "$f" | sed -n 's/.*R\(UN\)\?PATH.*\[\(.*\)\]/\2/p')
    IFS=: read -ra parts <<<"$paths"
    for p in "${parts[@]}"; do
        case $p in
        '$ORIGIN'*) realpath -m "$(dirname "$f")${p#'$ORIGIN'}" ;;
        *) echo "absolute:$p" ;;
        esac
    done
}
# Every run path is relative to the file itself; the program, the probe and
# the control library reach the program's own library folder by it; every
# library resolves, none from the trees the program was built from.
for f in "$program" "$probe" "$checker" "$root/$private"/*.so; do
    [ -e "$f" ] || continue
    name=${f#"$root"/}
    dirs=$(runpath_dirs "$f")
    grep '^absolute:' <<<"$dirs" | while read -r p; do echo "FAIL: $name has the run path ${p#absolute:}"; done
    failures=$((failures + $(grep -c '^absolute:' <<<"$dirs")))
    if [ "$f" != "$checker" ] && [ "$f" != "$root/$private/libcorvane_dialogs.so" ]; then
        grep -qxF "$root/$private" <<<"$dirs" || fail "$name finds no library by its run path ($dirs)"
    fi
    deps=$(ldd "$f" 2>&1)
    grep -q "not found" <<<"$deps" && fail "$name misses a library: $(grep 'not found' <<<"$deps" | tr -s ' \t' ' ')"
    for tree in "${scanned[@]}"; do
        grep -qF "$tree" <<<"$deps" && fail "$name loads from the build tree $tree"
    done
    if [ "$f" != "$checker" ] && [ "$f" != "$root/$private/libcorvane_dialogs.so" ]; then
        dialogs=$(sed -n 's/^[[:space:]]*libcorvane_dialogs\.so => \(.*\) (0x.*/\1/p' <<<"$deps")
        [ -n "$dialogs" ] && [ "$(realpath "$dialogs")" = "$root/$private/libcorvane_dialogs.so" ] \
            || fail "$name takes the dialogs from elsewhere: ${dialogs:-nowhere}"
    fi
done

# The installed program starts from another folder: it makes its start-up
# base there and loads the control library of the install, nothing of the
# build tree.
run=$tmp/run
mkdir -p "$run" "$tmp/home"
(cd "$run" && HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config CORVANE_SETTINGS_DIR=$tmp/settings \
    QT_QPA_PLATFORM=offscreen exec "$program") >"$tmp/program.log" 2>&1 &
pid=$!
started=
# A watchdog, far above the second or two an honest start takes.
for _ in $(seq 1 1200); do
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
    grep -q " $root/$private/libVantrel.so$" "/proc/$pid/maps" || fail "the control library came from elsewhere"
    grep -q " $root/$private/libcorvane_dialogs.so$" "/proc/$pid/maps" || fail "the dialogs came from elsewhere"
    for tree in "${scanned[@]}"; do
        grep -qF "$tree" "/proc/$pid/maps" && fail "the program mapped a file of the build tree $tree"
    done
fi
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
pid=
sanitizer_report "the installed program" "$tmp/program.log"

if [ -n "$started" ]; then
    # Another process's base goes through the checker of the install ...
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

[ "$failures" -eq 0 ] && echo "installed program stands on its own ($mode layout, libraries in $private)"
exit $((failures > 0))
