#!/usr/bin/python3
"""What a blind patient hears: Debian's own screen reader, Orca, reading the
real norvel-health while it is driven from the keyboard.

Run by run-client-test inside a private Xvfb and session bus:
    orca_test.py APP SNAPSHOT
Orca runs headless with a fresh profile. What it says is read from its debug
log, where every utterance is a "SPEECH OUTPUT" line. Orca writes that log
block-buffered and flushes it only when it ends, so the log goes to a
pseudo-terminal instead: Python buffers a terminal by line, and each step
can wait for exactly the words it expects instead of sleeping. Exit 77 when
Orca is missing or another Orca of this user runs (Orca would refuse or
replace it).
"""
import os
import pty
import re
import signal
import subprocess
import sys
import tempfile
import threading
import time
import tty

from checks import badge_point, check, check_ends_on_signal, failures, snapshot_tree

APP, SNAPSHOT = sys.argv[1:3]
TITLE = "Norvel Health"


def skip(reason):
    print(f"skipped: {reason}")
    sys.exit(77)


class OrcaSpeech:
    """Orca with its debug log on a pseudo-terminal, read as it is written."""

    # "SPEECH OUTPUT: 'Click to Open push button.'{'established': False}":
    # the utterance ends at the quote before the voice that follows it.
    SPEECH = re.compile(r"SPEECH OUTPUT: '(.*?)'(?= ?(?:\{|\[| voice=|$))")

    def __init__(self, workdir):
        master, slave = pty.openpty()
        tty.setraw(slave)  # no echo, no line discipline: the bytes as written
        self._master = master
        self._lock = threading.Lock()
        self._speech = []
        self._buffer = b""
        self.process = subprocess.Popen(
            ["orca", "-u", os.path.join(workdir, "orca-prefs"), "--debug-file", os.ttyname(slave)],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        # The slave stays open here too: with no one holding it, reading
        # the master fails before Orca has opened its end.
        self._slave = slave
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        # Orca blocks when its terminal fills up, so this never stops reading.
        while True:
            try:
                chunk = os.read(self._master, 65536)
            except OSError:
                return
            if not chunk:
                return
            with self._lock:
                self._buffer += chunk
                *lines, self._buffer = self._buffer.split(b"\n")
                for line in lines:
                    found = self.SPEECH.search(line.decode(errors="replace"))
                    if found:
                        self._speech.append(found.group(1).strip())

    def mark(self):
        with self._lock:
            return len(self._speech)

    def since(self, mark):
        with self._lock:
            return list(self._speech[mark:])

    def everything(self):
        return self.since(0)

    def wait_until(self, mark, predicate, timeout=20.0):
        """What Orca said since `mark`, once the predicate holds for it (or
        the deadline passed)."""
        end = time.monotonic() + timeout
        while True:
            said = self.since(mark)
            if predicate(" | ".join(said)) or time.monotonic() > end:
                return said
            time.sleep(0.05)

    def wait_for(self, mark, *phrases, timeout=20.0):
        """What Orca said since `mark`, once every phrase has been said."""
        return self.wait_until(mark, lambda text: all(p.lower() in text.lower() for p in phrases),
                               timeout)

    def stop(self):
        """Ends Orca (its log is already read) and the speech server it
        started, by that server's own pid file, never by name."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                # It waits on a speech server that cannot play: nothing of
                # its log is lost, every line was read as it came.
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()
        pid_file = os.path.join(os.environ["XDG_RUNTIME_DIR"], "speech-dispatcher", "pid",
                                "speech-dispatcher.pid")
        try:
            with open(pid_file) as f:
                os.kill(int(f.read().strip()), signal.SIGTERM)
        except (OSError, ValueError):
            pass


def xdotool(*args):
    return subprocess.run(["xdotool", *args], check=True, capture_output=True, timeout=30).stdout.decode()


def texts_on_screen(script=None):
    t = snapshot_tree(SNAPSHOT, script)
    height = t["size"][1]
    return {v["text"] for v in t["views"]
            if v.get("text") and 0 <= v["frame"][1] and v["frame"][1] + v["frame"][3] <= height}


def said(speech, *phrases):
    text = " | ".join(speech).lower()
    return all(p.lower() in text for p in phrases)


def step(orca, name, action, *phrases, timeout=20.0):
    """Does `action` and checks that Orca then said every phrase."""
    mark = orca.mark()
    action()
    speech = orca.wait_for(mark, *phrases, timeout=timeout)
    check(f"{name}: Orca says {' / '.join(phrases)}", said(speech, *phrases), " | ".join(speech)[:400])
    return speech


def key(name):
    return lambda: xdotool("key", "--delay", "100", name)


def run(workdir):
    subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                    "org.a11y.Bus.GetAddress"], check=True, stdout=subprocess.DEVNULL, timeout=30)
    app = subprocess.Popen([APP], env=dict(os.environ, NORVEL_SCALE="1"),
                           stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    orca = None
    try:
        window = xdotool("search", "--sync", "--name", f"^{TITLE}$").split()[0]
        badge = badge_point(SNAPSHOT)
        orca = OrcaSpeech(workdir)
        ready = orca.wait_for(0, "Screen reader on", timeout=60)
        if not check("Orca starts", said(ready, "Screen reader on"), " | ".join(ready)):
            return
        # Under Xvfb there is no window manager to give the window focus.
        step(orca, "the window gets focus", lambda: xdotool("windowfocus", "--sync", window),
             TITLE, "frame")
        # Flat review (the desktop layout's keypad: 8 current line, 7
        # previous) reads the screen as it is now, so after Page Down it
        # must read lines that were not on screen before.
        step(orca, "flat review at the top", key("KP_Up"), TITLE)
        step(orca, "leaving flat review", key("KP_Subtract"), "Leaving flat review")
        further = texts_on_screen("key pagedown\n") - texts_on_screen()
        mark = orca.mark()
        key("Page_Down")()
        key("KP_Up")()
        top = orca.wait_until(mark, bool)  # the line now at the top
        mark = orca.mark()
        # Keypad 9, next line, down the screen until a line that only Page
        # Down brought into view.
        brought = lambda text: any(t in text for t in further)
        for _ in range(20):
            key("KP_Page_Up")()
            if brought(" | ".join(orca.wait_until(mark, brought, timeout=1))):
                break
        below = orca.since(mark)
        check("after Page Down flat review reads lines further down, in screen order",
              TITLE not in " | ".join(top) and any(t in " ".join(below) for t in further),
              " | ".join(top + below)[:400])

        step(orca, "Tab", key("Tab"), "tab", "Click to Open", "push button",
             "Links to bundled imaging asset norvel_chest_xray.jpg")
        step(orca, "flat review, current line", key("KP_Up"), "Click to Open")
        step(orca, "flat review, previous line", key("KP_Home"), "Imaging")
        step(orca, "Return", key("Return"), "return", "Imaging File", "alert",
             "Linked study asset: norvel_chest_xray.jpg", "OK", "push button")
        step(orca, "Escape", key("Escape"), "escape", "Click to Open")

        # Back to the top, where the badge is, for the hidden long press.
        xdotool("key", "Home")
        x, y = badge
        xdotool("mousemove", "--window", window, str(x), str(y))
        step(orca, "the long press", lambda: xdotool("mousedown", "1"),
             "Norvel Diagnostics", "dialog", "Done")
        xdotool("mouseup", "1")
        step(orca, "Tab in the sheet", key("Tab"), "tab", "lakeside")
        step(orca, "Escape from the sheet", key("Escape"), "escape", TITLE, "frame")

        everything = orca.everything()
        private_use = [s for s in everything if re.search("[\ue000-\uf8ff]", s)]
        check("no decorative symbol is announced", not private_use, str(private_use[:3]))
        check("neither the scroll indicator nor the badge is announced",
              not said(everything, "scroll bar") and not said(everything, "diagnostics entrance"))
        print("SPEECH OUTPUT of the whole run:")
        for line in everything:
            print(f"   {line}")
    finally:
        check_ends_on_signal(app, signal.SIGTERM, "SIGTERM with Orca connected")
        if orca:
            orca.stop()


def main():
    if subprocess.run(["sh", "-c", "command -v orca"], capture_output=True).returncode != 0:
        skip("orca is missing (scripts/install-deps --test)")
    others = subprocess.run(["pgrep", "-u", str(os.getuid()), "-x", "orca"], capture_output=True)
    if others.returncode == 0:
        skip("another Orca of this user is running; it would refuse to start a second one")
    with tempfile.TemporaryDirectory() as workdir:
        try:
            run(workdir)
        except Exception as error:  # a tool that failed is a failed check
            check("the run went to its end", False, f"{type(error).__name__}: {error}")
    print(f"orca: {'all passed' if not failures else 'failed: ' + ', '.join(failures)}")
    sys.exit(1 if failures else 0)


main()
