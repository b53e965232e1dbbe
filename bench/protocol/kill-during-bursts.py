#!/usr/bin/env python3
"""Kills the shell with SIGKILL during mixed bursts and checks what it had acknowledged against its log.

Usage: bench/protocol/kill-during-bursts.py BUILD_DIR [KILLS] [SEED]   (KILLS: 100)

Each run starts a fresh device, bus and shell (with the desktop notification server) and sends at once: 200
Notify calls (16 in flight), 200 plug-in records over the messaging centre (16 in flight) and 20 records from
a client that sends without waiting and leaves. The shell is killed after a random number of answers (or after
the last one). Then the new-notifications file must read, hold every acknowledged record, and hold no record
twice. First, as the sharpest case, bursts of 10, 64 and 1,000 Notify calls are killed right after their last
answer.
"""
import collections
import os
import random
import signal
import sys
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from shelltest import Shell  # noqa: E402

CENTER = "net.torvask.Vantle.newNotifications"
MESSAGE = "New Notification"
DESKTOP_BUNDLE = "org.vantle.Desktop.Burst"


class Follower(threading.Thread):
    """Reads a burst client's "acknowledged <i>" lines."""

    def __init__(self, process, kind, answered):
        super().__init__(daemon=True)
        self.process, self.kind, self.answered = process, kind, answered
        self.acknowledged = set()

    def run(self):
        for line in self.process.stdout:
            if line.startswith("acknowledged "):
                self.acknowledged.add((self.kind, int(line.split()[1])))
                self.answered.release()


def key_of(record):
    kind = "notify" if record.get("Bundle Identifier") == DESKTOP_BUNDLE else record.get("Application")
    return kind, record.get("Body")


def one_run(build, bursts, kill_after=None, leaver=False):
    """Answers (acknowledged, lost, duplicated, corrupt) for one kill, after `kill_after` answers (all: None)."""
    with Shell(build, desktop=True) as shell:
        answered = threading.Semaphore(0)
        peer = shell.tool("vantle_ipc_peer")
        followers = []
        for kind, count in bursts:
            arguments = ["notify-burst", str(count)] if kind == "notify" else ["burst", CENTER, MESSAGE, str(count)]
            followers.append(Follower(shell.start(peer, *arguments), kind, answered))
        leaver = shell.start(peer, "send-and-leave", CENTER, MESSAGE, "Leave", "20") if leaver else None
        for follower in followers:
            follower.start()
        total = sum(count for _, count in bursts)
        for _ in range(total if kill_after is None else min(kill_after, total)):
            if not answered.acquire(timeout=60):
                raise RuntimeError("the bursts stopped being answered: " + shell.host_log())
        shell.stop_host(signal.SIGKILL)
        for follower in followers:
            follower.process.wait()
            follower.join()
        if leaver:
            leaver.wait()
        acknowledged = set().union(*(f.acknowledged for f in followers))
        try:
            keys = [key_of(record) for record in shell.records()]
        except Exception:  # the file does not read as a property list
            return len(acknowledged), 0, 0, 1
        logged = collections.Counter((kind, int(body)) for kind, body in keys if kind in ("notify", "Burst"))
        lost = len(acknowledged - set(logged))
        duplicated = sum(n - 1 for n in collections.Counter(keys).values())
        return len(acknowledged), lost, duplicated, 0


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__.strip().splitlines()[2])
    build = sys.argv[1]
    kills = int(sys.argv[2]) if len(sys.argv) > 2 else 100
    random.seed(int(sys.argv[3]) if len(sys.argv) > 3 else 7)
    for count in (10, 64, 1000):
        a, lost, dup, bad = one_run(build, [("notify", count)])
        print(f"Notify burst of {count}, killed after the last answer: acknowledged {a}, lost {lost}, "
              f"duplicated {dup}, corrupt files {bad}")
    totals = [0, 0, 0, 0]
    for _ in range(kills):
        result = one_run(build, [("notify", 200), ("Burst", 200)], random.randint(1, 400), leaver=True)
        totals = [t + r for t, r in zip(totals, result)]
    print(f"{kills} kills at random moments of mixed bursts: acknowledged {totals[0]}, lost {totals[1]}, "
          f"duplicated {totals[2]}, corrupt files {totals[3]}")


if __name__ == "__main__":
    main()
