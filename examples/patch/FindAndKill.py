#!/usr/bin/env python3
"""Ends every process of the user whose command name is the one given."""
import os
import signal
import sys

def main():
    if len(sys.argv) != 2:
        return 2
    name = sys.argv[1][:15]
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/comm") as comm:
                if comm.read().strip() == name:
                    os.kill(int(entry), signal.SIGTERM)
        except (OSError, ValueError):
            pass
    return 0

if __name__ == "__main__":
    sys.exit(main())
