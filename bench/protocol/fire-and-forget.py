#!/usr/bin/env python3
"""How many records the shell logs from clients that send without waiting for an answer and leave at once.

Usage: bench/protocol/fire-and-forget.py BUILD_DIR [CLIENTS] [MESSAGES]   (40 clients, 20 messages each)

Starts a fresh device, bus and shell, then CLIENTS processes at once, each sending MESSAGES plug-in records
over the messaging centre without waiting for any answer and exiting (vantle_ipc_peer send-and-leave). Once
they have all left and the shell is idle, counts the records of each client in the log and prints how many
of all were logged, how many twice, and the time from the first send until the shell was idle.
"""
import collections
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from shelltest import Shell  # noqa: E402

CENTER = "net.torvask.Vantle.newNotifications"
MESSAGE = "New Notification"


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__.strip().splitlines()[2])
    clients = int(sys.argv[2]) if len(sys.argv) > 2 else 40
    messages = int(sys.argv[3]) if len(sys.argv) > 3 else 20
    with Shell(sys.argv[1]) as shell:
        peer = shell.tool("vantle_ipc_peer")
        started = time.monotonic()
        senders = [shell.start(peer, "send-and-leave", CENTER, MESSAGE, f"Leave {c}", str(messages))
                   for c in range(clients)]
        failed = sum(1 for sender in senders if sender.wait() != 0)
        shell.idle()
        elapsed = time.monotonic() - started
        logged = collections.Counter((r.get("Application"), r.get("Body")) for r in shell.records()
                                     if str(r.get("Application", "")).startswith("Leave "))
        refused = [line for line in shell.host_log().splitlines() if "cannot learn" in line or "refus" in line]
    sent = clients * messages
    print(f"{clients} clients x {messages} messages sent without waiting ({failed} clients failed): "
          f"{len(logged)} of {sent} logged, {sum(n - 1 for n in logged.values())} twice, "
          f"idle after {elapsed:.2f} s ({len(logged) / elapsed:.0f} records/s)")
    for line in refused[:5]:
        print("  shell:", line)


if __name__ == "__main__":
    main()
