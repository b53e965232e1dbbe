#!/usr/bin/env python3
"""A log of a million records in the real shell, end to end, each step checked with Python's plistlib:

1. an append (vantle-post) onto a new-notifications file of N records, written by plistlib, lands in front,
   and the file reads back with N + 1 records, the others as they were;
2. the panel opened and closed by the gesture leaves every record in the log files: all N + 1 in the
   old-notifications file, newest first, and no new-notifications file;
3. an append after the close (the store wrote the files last) lands in a new-notifications file of its own,
   and the old file is untouched.

"Items To Keep" is off and "Hide Read" is off, so the panel shows, and the close keeps, every record. Prints
the time of each step and the shell's resident memory (now and at its peak) after it.

    bench/log/million-records.py build/default [N]      # N defaults to 1,000,000
"""
import datetime
import os
import plistlib
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "protocol"))
from shelltest import NEW_NOTIFICATIONS, Shell  # noqa: E402

OLD_NOTIFICATIONS = "var/mobile/Library/Vantle/OldNotifications.plist"
PREFERENCES = "var/mobile/Library/Preferences/net.torvask.VantlePro.plist"
START = datetime.datetime(2026, 1, 1, tzinfo=datetime.timezone.utc)


def record(i):
    """The i-th newest record of the prepared log: ten applications, every third body longer."""
    app = i // 7 % 10
    return {
        "Application": f"App {app}",
        "Body": f"Notification {i}" + (": a longer text that wraps onto a second line" if i % 3 == 0 else ""),
        "Bundle Identifier": f"com.example.app{app}",
        "Date": (START - datetime.timedelta(seconds=i)).replace(tzinfo=None),
    }


def prepare(count):
    def write(root):
        with open(os.path.join(root, PREFERENCES), "wb") as out:
            plistlib.dump({"Hide Read": False, "Items To Keep": -1}, out)
        with open(os.path.join(root, NEW_NOTIFICATIONS), "wb") as out:
            plistlib.dump([record(i) for i in range(count)], out)
    return write


def read(shell, device_path):
    path = shell.path(device_path)
    if not os.path.exists(path):
        return None
    with open(path, "rb") as log:
        return plistlib.load(log)


def memory(shell):
    """The shell's resident memory now and at its peak, in MB."""
    fields = {}
    with open(f"/proc/{shell.host.pid}/status") as status:
        for line in status:
            name, _, value = line.partition(":")
            fields[name] = value.split()
    return int(fields["VmRSS"][0]) / 1024, int(fields["VmHWM"][0]) / 1024


def timed(step, shell, action):
    start = time.monotonic()
    action()
    shell.idle()
    seconds = time.monotonic() - start
    rss, peak = memory(shell)
    print(f"{step}: {seconds * 1000:.0f} ms, shell RSS {rss:.0f} MB (peak {peak:.0f} MB)", flush=True)


def post(shell, body):
    def send():
        sent = shell.run(shell.tool("vantle-post"), "--app", "Late", "--bundle", "com.example.late", "--body", body,
                         timeout=600)
        if sent.returncode != 0:
            raise RuntimeError(f"vantle-post exited {sent.returncode}: {sent.stderr.strip()}")
    return send


def swipe(shell):
    shell.run(shell.tool("sbctl"), "activator", "libactivator.statusbar.swipe.down", check=True, timeout=600)


def same_records(found, expected):
    """Whether the files' records are the expected ones, in order (dates as plistlib reads them)."""
    return len(found) == len(expected) and all(a == b for a, b in zip(found, expected))


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build/default"
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000
    failures = []

    def check(what, holds):
        print(("ok: " if holds else "FAILED: ") + what, flush=True)
        if not holds:
            failures.append(what)

    started = time.monotonic()
    with Shell(build, prepare=prepare(count)) as shell:
        print(f"{count} records written by plistlib in {time.monotonic() - started:.1f} s", flush=True)
        prepared = read(shell, NEW_NOTIFICATIONS)

        timed("append onto the log", shell, post(shell, "first"))
        log = read(shell, NEW_NOTIFICATIONS)
        check(f"the new file reads back with {count} + 1 records, the appended one first",
              len(log) == count + 1 and log[0]["Body"] == "first" and same_records(log[1:], prepared))
        expected = log

        timed("panel open", shell, lambda: swipe(shell))
        timed("panel close", shell, lambda: swipe(shell))
        check(f"after the close the old file holds all {count} + 1 records in order",
              same_records(read(shell, OLD_NOTIFICATIONS) or [], expected))
        check("after the close there is no new file", read(shell, NEW_NOTIFICATIONS) is None)

        timed("append after the close", shell, post(shell, "second"))
        log = read(shell, NEW_NOTIFICATIONS) or []
        check("the later append is the new file's one record", len(log) == 1 and log[0]["Body"] == "second")
        check("the old file is untouched", same_records(read(shell, OLD_NOTIFICATIONS) or [], expected))
        if shell.stop_host() != 0:
            failures.append("the shell's exit status")
    print("all checks passed" if not failures else f"{len(failures)} check(s) failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
