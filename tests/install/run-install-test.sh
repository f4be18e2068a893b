#!/usr/bin/env bash
# The install test's CTest entry: a fresh Wine prefix of its own, so that
# what the installer writes to the machine's hive and Program Files can meet
# nothing left by other tests and leaves nothing for them.
# Usage: run-install-test.sh <scripts dir> <test program> <setup.exe> <program> <probe>
set -euo pipefail
scripts=$1 test_program=$2 setup=$3 program=$4 probe=$5

scratch=$(mktemp -d "$PWD/install-prefix.XXXXXX")
QORV_WINE_UNMANAGED=1 . "$scripts/wine-env.sh" "$scratch"
trap 'qorv_wine_cleanup; rm -rf "$scratch"' EXIT

QORV_SETUP=$(winepath -w "$setup")
QORV_PROGRAM=$(winepath -w "$program")
QORV_PROBE=$(winepath -w "$probe")
export QORV_SETUP QORV_PROGRAM QORV_PROBE
wine "$test_program"
