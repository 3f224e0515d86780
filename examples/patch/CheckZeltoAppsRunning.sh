#!/bin/sh
# Exit status 0 when an application of the family runs; $1 is the target's executable.
[ -n "$1" ] && pgrep -f -x "$1" >/dev/null 2>&1 && exit 0
exit 1
