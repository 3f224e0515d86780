#!/bin/sh
# $1 is this script's path, $2 the application's executable: 0 running, 1 not.
[ -n "$2" ] || exit 2
pgrep -f -x "$2" >/dev/null 2>&1 && exit 0
exit 1
