"""What the protocol measurements share: a fresh device, a private session bus that starts no services,
and the real shell on both, started from a build folder.

    with Shell(build, desktop=True) as shell:
        shell.run(shell.tool("vantle-post"), "--app", "A", "--body", "hello")
        records = shell.records()
"""
import os
import plistlib
import shutil
import signal
import subprocess
import tempfile

NEW_NOTIFICATIONS = "var/mobile/Library/Vantle/NewNotifications.plist"
LOG_FOLDER = "var/mobile/Library/Vantle"

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir={folder}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


class Shell:
    """The springboard host on a device installed by vantle-device, on a bus of its own."""

    PROGRAMS = {
        "springboard": "hosts/springboard/springboard",
        "sbctl": "tools/sbctl/sbctl",
        "vantle-device": "tools/vantle-device/vantle-device",
        "vantle-post": "tools/vantle-post/vantle-post",
        "vantle_ipc_peer": "tests/vantle_ipc_peer",
    }

    def __init__(self, build, desktop=False, prepare=None):
        self.build = os.path.abspath(build)
        self.desktop = desktop
        self.prepare = prepare  # called with the device root before the shell starts
        self.work = tempfile.mkdtemp(prefix="vantle-protocol-")
        self.root = os.path.join(self.work, "device")
        self.bus = None
        self.host = None
        self.env = None

    def tool(self, name):
        return os.path.join(self.build, self.PROGRAMS[name])

    def path(self, device_path):
        return os.path.join(self.root, device_path)

    def __enter__(self):
        subprocess.run([self.tool("vantle-device"), "install", "--root", self.root], check=True,
                       stdout=subprocess.DEVNULL)
        if self.prepare:
            self.prepare(self.root)
        self.start_bus()
        self.start_host()
        return self

    def __exit__(self, *exception):
        self.stop_host()
        if self.bus:
            self.bus.kill()
            self.bus.wait()
        shutil.rmtree(self.work, ignore_errors=True)

    def start_bus(self):
        config = os.path.join(self.work, "bus.conf")
        with open(config, "w") as out:
            out.write(BUS_CONFIG.format(folder=self.work))
        self.bus = subprocess.Popen(["dbus-daemon", "--config-file=" + config, "--nofork", "--print-address=1"],
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.env = dict(os.environ, DBUS_SESSION_BUS_ADDRESS=self.bus.stdout.readline().strip())

    def start_host(self):
        arguments = [self.tool("springboard"), "--root", self.root]
        if self.desktop:
            arguments.append("--desktop-notifications")
        self.stderr = open(os.path.join(self.work, "shell.err"), "w")
        self.host = subprocess.Popen(arguments, env=self.env, stdout=subprocess.PIPE, stderr=self.stderr, text=True)
        line = self.host.stdout.readline().strip()
        if line != "springboard: ready":
            raise RuntimeError("the shell did not start: " + line + self.host_log())

    def stop_host(self, sig=signal.SIGTERM):
        """Stops the shell (SIGKILL for a crash); answers its exit status."""
        if not self.host:
            return None
        self.host.send_signal(sig)
        status = self.host.wait()
        self.host = None
        self.stderr.close()
        return status

    def host_log(self):
        with open(os.path.join(self.work, "shell.err")) as log:
            return log.read()

    def run(self, *arguments, **options):
        return subprocess.run(list(arguments), env=self.env, capture_output=True, text=True, **options)

    def start(self, *arguments):
        return subprocess.Popen(list(arguments), env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                text=True)

    def idle(self):
        self.run(self.tool("sbctl"), "idle", check=True)

    def records(self):
        """The new-notifications file's records; [] when there is none. Raises when the file does not read."""
        path = self.path(NEW_NOTIFICATIONS)
        if not os.path.exists(path):
            return []
        with open(path, "rb") as log:
            return plistlib.load(log)
