#!/usr/bin/env python3
"""Benchmarks of the install run, run by hand (not part of the test suite).

    bench/install_bench.py [BUILD_DIR]          # default: build

1. Output throughput: an install script that prints 1 GiB in 100-byte lines and
   then its status line; the updater's whole run against `sh script | cat >
   /dev/null`, and the updater's peak memory for 1 MiB against 1 GiB.
2. Idle cost: the CPU time the updater spends while a payload's script sleeps 10 s.
3. Per-payload overhead: 100 payloads whose scripts only print their status
   line; the updater's whole run against a shell loop running the same scripts.

Needs root (the updater installs only as root), like the real thing.
"""
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))

CONFIG = """<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>locate</key><dict/></dict></plist>
"""


def make_patch(work, script, payloads=1):
    resources = os.path.join(work, "resources")
    os.makedirs(resources)
    names = ["App%d.app" % i for i in range(payloads)]
    apps = os.path.join(work, "Applications")
    for name in names:
        os.makedirs(os.path.join(apps, name, "Contents"))
    flag = "\tmultiple_payload" if payloads > 1 else ""
    with open(os.path.join(resources, "app_list.txt"), "w") as f:
        f.write(names[0] + flag + "".join("\n" + n for n in names[1:]))
    with open(os.path.join(resources, "configuration.plist"), "w") as f:
        f.write(CONFIG)
    with open(os.path.join(resources, "patch_languages.txt"), "w") as f:
        f.write("all")
    install = os.path.join(resources, "InstallUpdates.sh")
    with open(install, "w") as f:
        f.write(script)
    os.chmod(install, 0o755)
    bundle = os.path.join(work, "Patch.app")
    subprocess.run([os.path.join(ROOT, "tools/make-bundle.sh"), "--updater",
                    os.path.join(BUILD, "updater"), "--frameworks",
                    os.path.join(BUILD, "frameworks"), resources, bundle], check=True)
    return bundle, os.path.join(apps, names[0]), install


def run_updater(bundle, app):
    """Wall time, child CPU seconds and peak RSS (KiB) of one updater run."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    proc = subprocess.Popen([os.path.join(bundle, "Contents/MacOS/updater"), "-path", app],
                            stderr=subprocess.DEVNULL, env={"PATH": "/usr/bin:/bin",
                                                            "RE_build": ""})
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.monotonic() - start
    assert os.waitstatus_to_exitcode(status) == 0, status
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss


def timed(command):
    start = time.monotonic()
    subprocess.run(command, shell=True, check=True)
    return time.monotonic() - start


def print_script(size):
    # 99 characters and a line feed per line.
    return ("#!/bin/sh\nyes %s | head -c %d\necho\necho '++++++++++ 0 ++++++++++'\n"
            % ("x" * 99, size))


def main():
    results = []
    with tempfile.TemporaryDirectory() as work:
        for label, size in (("1 MiB", 1 << 20), ("1 GiB", 1 << 30)):
            folder = os.path.join(work, label.replace(" ", ""))
            bundle, app, script = make_patch(folder, print_script(size))
            wall, cpu, rss = run_updater(bundle, app)
            results.append("output %s: updater %.2f s, peak RSS %d KiB" % (label, wall, rss))
            if size == 1 << 30:
                cat = timed("%s | cat > /dev/null" % script)
                results.append("output 1 GiB: sh | cat %.2f s; ratio %.2f" % (cat, wall / cat))

        bundle, app, _ = make_patch(os.path.join(work, "sleep"),
                                    "#!/bin/sh\nsleep 10\necho '++++++++++ 0 ++++++++++'\n")
        wall, cpu, _ = run_updater(bundle, app)
        results.append("sleep 10 s: wall %.2f s, CPU of updater and script %.1f ms"
                       % (wall, cpu * 1000))

        bundle, app, script = make_patch(os.path.join(work, "many"),
                                         "#!/bin/sh\necho '++++++++++ 0 ++++++++++'\n", 100)
        wall, _, _ = run_updater(bundle, app)
        loop = timed("for i in $(seq 0 99); do %s x y z $i > /dev/null; done" % script)
        results.append("100 payloads: updater %.3f s, shell loop %.3f s, ratio %.2f"
                       % (wall, loop, wall / loop))
    print("\n".join(results))


if __name__ == "__main__":
    main()
