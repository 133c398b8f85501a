#!/bin/sh
# Runs a test with a settings folder of its own run:
#   own-settings.sh FOLDER COMMAND [ARGS...]
# makes a new private folder inside FOLDER, runs the command with
# CORVANE_SETTINGS_DIR naming it, removes it and ends as the command did.
# Two runs of one test at once (ctest -j with --repeat, or two checkouts'
# suites) then never read or wipe each other's settings and records of
# bases as left.
set -u
mkdir -p "$1" || exit 1
dir=$(mktemp -d "$1/run.XXXXXX") || exit 1
shift
CORVANE_SETTINGS_DIR=$dir "$@"
rc=$?
rm -rf "$dir"
exit $rc
