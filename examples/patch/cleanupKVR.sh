#!/bin/sh
# Runs after a run under the update manager; $1 is this script's path.
exit 0
