"""Runs the Windows build under Wine inside a private Xvfb display, for the Wine test stage and
for the run script.

One Wine prefix per build tree (<build>/wineprefix), made once (crash dialog off) and reused;
a persistent wineserver while the harness is open; readiness checks instead of sleeps. A run
returns the exit code, the saver's log (decoded from code page 1251) and, on request,
screenshots.

Within one Python process the harnesses of a prefix share one X display and one wineserver:
starting Wine's own services takes seconds, and the test stage opens a harness per test class.
What a class started is ended when it closes; the display and the server end with the process.
"""
import atexit
import getpass
import os
import shutil
import signal
import subprocess
import tempfile
import time
from dataclasses import dataclass, field
from pathlib import Path

REGISTRY_PATH = r"HKCU\Software\Brightfold\Lighthouse 3D Screensaver"


def missing(reason):
    """A test whose program or tool is absent: skipped on a developer's machine, but a failure in
    CI, where everything is built and a silent skip would hide a whole test class."""
    import unittest
    if os.environ.get("CI", "").lower() in ("1", "true", "yes"):
        raise AssertionError(f"required for the Wine stage: {reason}")
    raise unittest.SkipTest(reason)


def host_zen(build_dir):
    """The native zen the Windows build drew its pictures with: the tool named in its CMake cache
    (ZEN_HOST_ZEN), else the one it built for itself under host-tools."""
    build_dir = Path(build_dir)
    cache = build_dir / "CMakeCache.txt"
    if cache.exists():
        for line in cache.read_text(errors="replace").splitlines():
            if line.startswith("ZEN_HOST_ZEN:") and "=" in line:
                value = line.split("=", 1)[1].strip()
                if value:
                    return Path(value)
    return build_dir / "host-tools" / "tools" / "zen"


@dataclass
class RunResult:
    exit_code: int
    log: str
    timed_out: bool = False
    screenshots: list = field(default_factory=list)

    @property
    def lines(self):
        return self.log.splitlines()


def _wait_until(predicate, timeout, interval=0.05):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(interval)
    return predicate()


class Xvfb:
    """A private X display; the first free number from 90 up."""

    def __init__(self, size="1024x768x24"):
        self.size = size
        self.process = None
        self.display = None

    def start(self):
        for number in range(90, 200):
            if os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(f"/tmp/.X11-unix/X{number}"):
                continue
            process = subprocess.Popen(
                ["Xvfb", f":{number}", "-screen", "0", self.size, "-nolisten", "tcp", "-noreset"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            ready = _wait_until(lambda: process.poll() is not None or self._answers(number), 20)
            if ready and process.poll() is None:
                self.process, self.display = process, f":{number}"
                return self.display
            process.kill()
            process.wait()
        raise RuntimeError("no free X display for Xvfb")

    @staticmethod
    def _answers(number):
        return subprocess.run(["xdpyinfo", "-display", f":{number}"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0

    def stop(self):
        if self.process:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
            self.process = None


class _Session:
    """The display and the wineserver the harnesses of one prefix share; ended at exit."""

    def __init__(self, prefix, home, given_display):
        self.prefix = prefix
        self.xvfb = Xvfb()
        home.mkdir(parents=True, exist_ok=True)
        # Without a sound card, a null ALSA device lets every audio API work (output discarded).
        (home / ".asoundrc").write_text("pcm.!default { type null }\nctl.!default { type null }\n")
        display = given_display or self.xvfb.start()
        self.env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG="-all", HOME=str(home),
                        DISPLAY=display, WINEDLLOVERRIDES="mscoree,mshtml=", WINEARCH="win64")
        # On a person's own display the window manager is there and manages the windows.
        self._ensure_prefix(unmanaged=not given_display)
        # A persistent server makes each run cheap; one left from an earlier run is reused.
        subprocess.run(["wineserver", "-p"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        atexit.register(self.end)

    # What the prefix is set up with; a prefix made for another set-up is set up again.
    PREFIX_SETUP = "6"

    def _ensure_prefix(self, unmanaged):
        stamp = self.prefix / ".brightfold-ready"
        setup = f"{self.PREFIX_SETUP} {'unmanaged' if unmanaged else 'managed'}"
        if stamp.exists() and stamp.read_text().strip() == setup:
            return
        if not stamp.exists():
            if self.prefix.exists():
                shutil.rmtree(self.prefix)
            subprocess.run(["wineboot", "-i"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           check=True, timeout=300)
            subprocess.run(["wineserver", "-w"], env=self.env, timeout=300)
        # A crashing program must end, not wait for someone to close the crash dialog. Without a
        # window manager, Wine waits two seconds for one to withdraw each closing window that it
        # treats as managed (every program's main window): no window is managed, and keys still
        # reach a window the tests focus first. Two probes stay managed: the preview probe's test
        # finds the parent's client area as the X window, which an unmanaged window's frame is part
        # of, and the renderer probe's full-screen window, minimised when its device is lost, is
        # shown again only when managed.
        settings = self.prefix / "brightfold-setup.reg"
        settings.write_text("REGEDIT4\n\n"
                            "[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\n\"ShowCrashDialog\"=dword:00000000\n\n"
                            "[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"
                            f"\"Managed\"=\"{'N' if unmanaged else 'Y'}\"\n\n"
                            "[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\PreviewProbe.exe\\X11 Driver]\n"
                            "\"Managed\"=\"Y\"\n\n"
                            "[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\RendererProbe.exe\\X11 Driver]\n"
                            "\"Managed\"=\"Y\"\n\n", encoding="ascii")
        # A server left running from an earlier set-up would keep the old settings and never end.
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with tempfile.TemporaryFile() as out:
            subprocess.run(["wine", "regedit", "/S", "Z:" + str(settings).replace("/", "\\")], env=self.env,
                           stdout=out, stderr=subprocess.DEVNULL, check=True, timeout=120)
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=300)
        stamp.write_text(setup + "\n")

    def end(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _wait_until(lambda: subprocess.run(["pgrep", "-f", f"wineserver.*{self.prefix}"],
                                           stdout=subprocess.DEVNULL).returncode != 0, 10)
        self.xvfb.stop()


# (prefix, given display) -> _Session, for this process.
_SHARED = {}


class WineHarness:
    def __init__(self, build_dir, display=None):
        self.build_dir = Path(build_dir).resolve()
        self.given_display = display  # Use this X display instead of a private Xvfb.
        self.scr = self.build_dir / "Brightfold.scr"
        self.prefix = self.build_dir / "wineprefix"
        self.home = self.build_dir / "winehome"
        self.xvfb = Xvfb()
        user = os.environ.get("USER") or getpass.getuser()
        self.appdata = self.prefix / "drive_c" / "users" / user / "AppData" / "Roaming"
        self.log_path = self.appdata / "Brightfold" / "ZENLog.txt"
        self.env = None

    # --- set-up -------------------------------------------------------------------------------
    def __enter__(self):
        self.open()
        return self

    def __exit__(self, *exc):
        self.close()

    def open(self):
        key = (str(self.prefix), self.given_display)
        shared = _SHARED.get(key)
        if shared is None:
            shared = _Session(self.prefix, self.home, self.given_display)
            _SHARED[key] = shared
        self.env = shared.env
        self.xvfb = shared.xvfb
        self._started = []

    def close(self):
        # Whatever this harness started and left running goes now, so the next class begins
        # with no window of this one's on the shared display.
        for process in getattr(self, "_started", []):
            if process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                process.wait()
        self._started = []
        self.env = None

    # --- registry -----------------------------------------------------------------------------
    def reg(self, *args):
        # Output goes through a file, not a pipe: Wine's helper processes (services, explorer)
        # inherit the handles and outlive the command, so a pipe would never see its end.
        with tempfile.TemporaryFile() as out:
            code = subprocess.run(["wine", "reg", *args], env=self.env, stdout=out, stderr=subprocess.DEVNULL,
                                  timeout=120).returncode
            out.seek(0)
            return subprocess.CompletedProcess(args, code, out.read(), b"")

    def registry_values(self, path=REGISTRY_PATH):
        """{name: (type, value)} of a key; None when the key does not exist."""
        result = self.reg("query", path)
        if result.returncode != 0:
            return None
        values = {}
        for line in result.stdout.decode("cp1251", "replace").splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) == 3 and parts[1].startswith("REG_"):
                name, kind, raw = parts
                values[name] = (kind, int(raw, 16) if kind == "REG_DWORD" else raw)
        return values

    def delete_key(self, path=REGISTRY_PATH):
        self.reg("delete", path, "/f")

    def set_dword(self, name, value, path=REGISTRY_PATH):
        self.reg("add", path, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f")

    def delete_value(self, name, path=REGISTRY_PATH):
        self.reg("delete", path, "/v", name, "/f")

    # --- runs ---------------------------------------------------------------------------------
    def read_log(self):
        try:
            return self.log_path.read_bytes().decode("cp1251").replace("\r\n", "\n")
        except FileNotFoundError:
            return ""

    def screenshot(self, path):
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", str(path)], check=True,
                       timeout=60, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return Path(path)

    def start(self, *switches, program=None, fresh_log=True):
        """Starts the program (default Brightfold.scr) with the given switches and returns the process.
        The log of an earlier run goes first, unless `fresh_log` is false (a helper program started
        beside a running saver, whose log is still wanted)."""
        if fresh_log and self.log_path.exists():
            self.log_path.unlink()
        program = Path(program) if program else self.scr
        process = subprocess.Popen(["wine", str(program), *switches], env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL, start_new_session=True)
        self._started = [p for p in getattr(self, "_started", []) if p.poll() is None] + [process]
        return process

    def wait(self, process, timeout):
        try:
            code = process.wait(timeout)
            timed_out = False
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            code = process.wait()
            timed_out = True
        return RunResult(exit_code=code, log=self.read_log(), timed_out=timed_out)

    def run(self, *switches, timeout=120, program=None, fresh_log=True):
        """Runs to the end (or the time limit) and returns its RunResult."""
        return self.wait(self.start(*switches, program=program, fresh_log=fresh_log), timeout)

    def wait_for_log_line(self, text, timeout):
        return _wait_until(lambda: text in self.read_log(), timeout, 0.1)

    def window_id(self, title, timeout=60):
        """X window id of a top-level window with exactly this title, or None."""
        found = subprocess.run(["timeout", str(timeout), "xdotool", "search", "--sync", "--name", f"^{title}$"],
                               env=self.env, capture_output=True, text=True)
        ids = found.stdout.split()
        return ids[0] if ids else None

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, timeout=60)
