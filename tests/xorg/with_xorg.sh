#!/usr/bin/env bash
# Runs a test program on an Xorg of its own with the dummy video driver, a
# real X server that can switch display modes; DISPLAY names it. Listing the
# program's cases needs no server.
# Usage: with_xorg.sh PROGRAM ARGS...
set -euo pipefail
case " $* " in *" --gtest_list_tests "*) exec "$@" ;; esac

source "$(dirname "$0")/../support/x_server.sh"
x_begin xorg-modes
fail() { echo "FAIL: $*" >&2; exit 1; }
x_start Xorg -nolisten tcp -config "$(dirname "$0")/dummy.conf" -logfile "$work/xorg.log"
"$@"
