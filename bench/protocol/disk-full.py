#!/usr/bin/env python3
"""What a sender is told when the log folder's disk is full, and what the log holds once space returns.

Usage: bench/protocol/disk-full.py BUILD_DIR   (as root: it mounts a 64 KiB tmpfs on the log folder)

Starts a fresh device, bus and shell (with the desktop notification server), fills a small tmpfs mounted on
the log folder, then sends one record with vantle-post and one desktop notification with gdbus, and prints
each one's exit status, how long its answer took and what it said. Then frees the space, sends one more
record, and prints what the shell wrote on stderr and which records the log holds: the two refused ones must
not be among them.
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from shelltest import LOG_FOLDER, Shell  # noqa: E402

NOTIFY = ["gdbus", "call", "--session", "--dest", "org.freedesktop.Notifications", "--object-path",
          "/org/freedesktop/Notifications", "--method", "org.freedesktop.Notifications.Notify",
          "Full", "0", "", "refused on a full disk", "", "[]", "{}", "0"]


def fill(folder):
    with open(os.path.join(folder, "filler"), "wb", buffering=0) as filler:
        try:
            while True:
                filler.write(b"x" * 4096)
        except OSError:  # full
            pass


def timed(shell, name, arguments):
    started = time.monotonic()
    result = shell.run(*arguments)
    elapsed = (time.monotonic() - started) * 1000
    print(f"{name}: exit {result.returncode} after {elapsed:.0f} ms: {(result.stderr or result.stdout).strip()}")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[2])
    with Shell(sys.argv[1], desktop=True) as shell:
        folder = shell.path(LOG_FOLDER)
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=64k", "tmpfs", folder], capture_output=True,
                                 text=True)
        if mounted.returncode != 0:
            sys.exit("cannot mount a small tmpfs on the log folder: " + mounted.stderr.strip())
        try:
            fill(folder)
            timed(shell, "vantle-post", [shell.tool("vantle-post"), "--app", "Full", "--body", "refused by vantle-post"])
            timed(shell, "gdbus Notify", NOTIFY)
            os.remove(os.path.join(folder, "filler"))
            timed(shell, "vantle-post after space returned",
                  [shell.tool("vantle-post"), "--app", "After", "--body", "written once space returned"])
            shell.idle()
            bodies = [record.get("Body") for record in shell.records()]
        finally:
            shell.stop_host()
            subprocess.run(["umount", folder], check=True)
        print("shell stderr:")
        print("".join("  " + line for line in shell.host_log().splitlines(True) if "Vantle" in line), end="")
        print("log holds:", bodies)
        refused = [body for body in bodies if body and body.startswith("refused")]
        print("refused records written later:", len(refused))


if __name__ == "__main__":
    main()
