#!/usr/bin/python3
"""A screen-reader client (pyatspi) against the real norvel-health.

Run by run-client-test inside a private Xvfb and session bus:
    client_test.py APP SNAPSHOT CASE
Each case prints one line per check and exits 1 when any failed. Waiting is
always polling against a generous deadline, never a fixed sleep.
"""
import os
import re
import signal
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

from checks import badge_point, check, check_ends_on_signal, failures

APP, SNAPSHOT, CASE = sys.argv[1:4]
TITLE = "Norvel Health"


def poll(predicate, timeout=30.0):
    """The predicate's first true value, or None when the deadline passes."""
    end = time.monotonic() + timeout
    while True:
        try:
            value = predicate()
        except GLib.GError:  # an object that went away between two calls
            value = None
        if value or time.monotonic() > end:
            return value
        time.sleep(0.05)


def start_accessibility_bus():
    """What a desktop session does at log-in: the bus launcher starts and
    puts the bus address on the X root window."""
    subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                    "/org/a11y/bus", "org.a11y.Bus.GetAddress"], check=True,
                   stdout=subprocess.DEVNULL, timeout=30)


launched = []


def launch(extra_env=None):
    env = dict(os.environ, NORVEL_SCALE="1", **(extra_env or {}))
    process = subprocess.Popen([APP], env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    launched.append(process)
    return process


def find_app():
    def found():
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == TITLE and app.childCount == 1:
                return app
        return None
    return poll(found)


def start_app():
    """The app on a desktop whose accessibility bus is up, its window given
    the keyboard as a window manager would: its process and its frame
    (None, with the failure reported, when it never shows)."""
    start_accessibility_bus()
    process = launch()
    app = find_app()
    if not check("the app is on the desktop", app):
        end(process)
        return process, None
    frame = app[0]
    window = subprocess.run(["xdotool", "search", "--sync", "--name", f"^{TITLE}$"], check=True,
                            capture_output=True, timeout=30).stdout.split()[0]
    root = re.search(rb"Window id: (0x[0-9a-f]+)", subprocess.run(
        ["xwininfo", "-root"], check=True, capture_output=True, timeout=30).stdout).group(1)
    # The keyboard goes elsewhere, then to the window, as a window manager
    # would hand it over (under Xvfb there is none).
    events = []
    pyatspi.Registry.registerEventListener(lambda e: events.append((e.type, e.source_name)),
                                           "window:activate", "window:deactivate")
    pump_until(lambda: "active" not in states(frame), 30,
               lambda: subprocess.run(["xdotool", "windowfocus", root], check=True, timeout=30))
    check("without the keyboard the frame is not active", "active" not in states(frame))
    events.clear()
    pump_until(lambda: events, 30, lambda: subprocess.run(
        ["xdotool", "windowfocus", "--sync", window], check=True, timeout=30))
    check("given the keyboard the frame is activated", events == [("window:activate", TITLE)]
          and "active" in states(frame), f"{events} {states(frame)}")
    return process, frame


def states(o):
    return sorted(pyatspi.stateToString(s) for s in o.getState().getStates())


def describe(o, depth=0):
    line = f"{'  ' * depth}{o.getRoleName()} {o.name!r}"
    if o.description:
        line += f" desc={o.description!r}"
    print(f"   {line} {states(o)}")
    for child in o:
        describe(child, depth + 1)


def child(parent, role, name=None):
    for c in parent:
        if c is not None and c.getRole() == role and (name is None or c.name == name):
            return c
    return None


def end(app_process, sig=signal.SIGTERM):
    """Ends the app by a signal: exit code 0 within a second (more under the
    sanitizers, whose leak scan runs at exit), nothing printed."""
    out, err = check_ends_on_signal(app_process, sig, signal.Signals(sig).name)
    check("the app printed nothing", not out and not err, (out + err).decode(errors="replace")[:300])


def pump_until(condition, timeout, action):
    """Runs the client's event loop: `action` first, then until `condition`
    holds or the deadline passes."""
    GLib.idle_add(lambda: action() and False)
    source = GLib.timeout_add(int(timeout * 1000), lambda: pyatspi.Registry.stop() and False)
    def watch():
        if condition():
            pyatspi.Registry.stop()
            return False
        return True
    GLib.timeout_add(50, watch)
    pyatspi.Registry.start()
    GLib.source_remove(source) if GLib.main_context_default().find_source_by_id(source) else None


def case_dashboard():
    process, frame = start_app()
    if frame is None:
        return
    check("it holds one frame named after the window", frame.getRole() == pyatspi.ROLE_FRAME
          and frame.name == TITLE, f"{frame.getRoleName()} {frame.name!r}")
    describe(frame)
    labels = [c for c in frame if c.getRole() == pyatspi.ROLE_LABEL]
    texts = [c.queryText().getText(0, -1) for c in labels]
    for expected in ["Norvel Health", "Demo chart for Patient: John Doe", "Blood Presssure", "120/80"]:
        check(f"the dashboard text {expected!r} reads through Text", expected in texts)
    button = child(frame, pyatspi.ROLE_PUSH_BUTTON, "Click to Open")
    if check("\"Click to Open\" is a push button", button):
        check("its description is the hint", button.description.startswith("Links to bundled imaging asset"),
              button.description)
        action = button.queryAction()
        check("it has the one action \"click\"", action.nActions == 1 and action.getName(0) == "click")
        s = states(button)
        check("scrolled out of view it is visible but not showing",
              "visible" in s and "showing" not in s, str(s))
    check("no decorative symbol or badge is announced",
          all(c.getRole() in (pyatspi.ROLE_LABEL, pyatspi.ROLE_PUSH_BUTTON) for c in frame))
    runtime_dir = os.environ["XDG_RUNTIME_DIR"]
    sockets = [n for n in os.listdir(runtime_dir) if n.startswith("at-spi2-socket")]
    check("no peer-to-peer socket was made for the client", not sockets, str(sockets))
    end(process)


def case_alert():
    process, frame = start_app()
    if frame is None:
        return
    button = child(frame, pyatspi.ROLE_PUSH_BUTTON, "Click to Open")
    events = []
    pyatspi.Registry.registerEventListener(lambda e: events.append(e.type), "object:children-changed")
    windows = []
    pyatspi.Registry.registerEventListener(lambda e: windows.append((e.type, e.source.getRoleName())),
                                           "window:activate", "window:deactivate")
    pump_until(lambda: child(frame, pyatspi.ROLE_ALERT) and len(windows) >= 2, 30,
               lambda: button.queryAction().doAction(0))
    alert = poll(lambda: child(frame, pyatspi.ROLE_ALERT))
    if not check("the click shows the alert as an object of its own", alert):
        return end(process)
    describe(alert)
    check("a children-changed event announced it", "object:children-changed:add" in events, str(events))
    check("the alert holds its message", any("norvel_chest_xray.jpg" in c.name for c in alert
                                            if c.getRole() == pyatspi.ROLE_LABEL))
    ok = child(alert, pyatspi.ROLE_PUSH_BUTTON, "OK")
    check("the alert holds its OK button", ok)
    check("the alert is the active window now, not the frame",
          "active" in states(alert) and "active" not in states(frame), f"{states(alert)} {states(frame)}")
    check("the frame was deactivated before the alert was activated",
          windows[:2] == [("window:deactivate", "frame"), ("window:activate", "alert")], str(windows))
    s = states(button)
    check("the button beneath is neither showing nor sensitive",
          "showing" not in s and "sensitive" not in s, str(s))

    ax, ay, aw, ah = alert.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    point = None
    for label in (c for c in frame if c.getRole() == pyatspi.ROLE_LABEL):
        x, y, w, h = label.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        left, top = max(x, ax), max(y, ay)
        right, bottom = min(x + w, ax + aw), min(y + h, ay + ah)
        if left < right and top < bottom:
            point, covered = ((left + right) // 2, (top + bottom) // 2), label.name
            break
    if check("the alert covers a dashboard text", point):
        hit = frame.queryComponent().getAccessibleAtPoint(*point, pyatspi.DESKTOP_COORDS)
        check("a point on the alert over the dashboard finds the alert",
              hit is not None and hit.getRole() == pyatspi.ROLE_ALERT,
              f"{point} over {covered!r}: {hit.getRoleName() if hit else None}")

    windows.clear()
    pump_until(lambda: len(windows) >= 2, 30, lambda: ok.queryAction().doAction(0))
    check("OK through the bus closes the alert",
          poll(lambda: child(frame, pyatspi.ROLE_ALERT) is None and "sensitive" in states(button)))
    check("the alert was deactivated, then the frame activated again",
          windows[:2] == [("window:deactivate", "alert"), ("window:activate", "frame")]
          and "active" in states(frame), str(windows))
    end(process, signal.SIGINT)


def case_sheet():
    process, frame = start_app()
    if frame is None:
        return
    bx, by = badge_point(SNAPSHOT)
    fx, fy, _, _ = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(int(fx + bx)), str(int(fy + by)), "mousedown", "1"],
                   check=True, timeout=10)
    sheet = poll(lambda: child(frame, pyatspi.ROLE_DIALOG))
    subprocess.run(["xdotool", "mouseup", "1"], check=True, timeout=10)
    if not check("a long press on the badge shows the sheet as a dialog", sheet):
        return end(process)
    describe(sheet)
    labels = [c for c in sheet if c.getRole() == pyatspi.ROLE_LABEL]
    values = [c.queryText().getText(0, -1) for c in labels]
    check("its texts read through the Text interface",
          len(values) > 4 and all(values) and values == [c.name for c in labels], str(values[:6]))
    check("it holds Done", child(sheet, pyatspi.ROLE_PUSH_BUTTON, "Done"))
    beneath = child(frame, pyatspi.ROLE_LABEL, "Norvel Health")
    check("the dashboard beneath is not showing", "showing" not in states(beneath))

    # A keyboard user copies a value: Tab from Done to the first value,
    # then Ctrl+C.
    press_keys(frame, "Tab")
    value = poll(lambda: next((c for c in sheet if c.getRole() == pyatspi.ROLE_LABEL and focused(c)), None))
    if check("Tab moves focus to a value", value):
        press_keys(frame, "ctrl+c")
        copied = poll(lambda: subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                                             timeout=10).stdout.decode() == value.name)
        check("Ctrl+C copies exactly that value", copied, value.name)
    end(process)


def press_keys(frame, *keys):
    """Keys as a keyboard user types them, into the window under the pointer."""
    fx, fy, fw, fh = frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(fx + fw // 2), str(fy + 8), "key", *keys],
                   check=True, timeout=10)


def focused(o):
    return o is not None and "focused" in states(o)


def case_keyboard():
    """Focus as a screen reader sees it: Tab reaches the button, Return
    opens the message with focus on OK, Escape closes it and gives focus
    back."""
    process, frame = start_app()
    if frame is None:
        return
    button = child(frame, pyatspi.ROLE_PUSH_BUTTON, "Click to Open")
    events = []
    pyatspi.Registry.registerEventListener(lambda e: events.append((e.type, e.source_name)),
                                           "object:state-changed:focused")
    pump_until(lambda: focused(button), 30, lambda: press_keys(frame, "Tab"))
    check("Tab focuses \"Click to Open\"", poll(lambda: focused(button)), str(states(button)))
    check("a focus event announced it", ("object:state-changed:focused", "Click to Open") in events,
          str(events))
    press_keys(frame, "Return")
    alert = poll(lambda: child(frame, pyatspi.ROLE_ALERT))
    if not check("Return on it shows the alert", alert):
        return end(process)
    ok = poll(lambda: child(alert, pyatspi.ROLE_PUSH_BUTTON, "OK"))
    check("focus is on OK", poll(lambda: focused(ok)), str(states(ok) if ok else None))
    press_keys(frame, "Escape")
    check("Escape closes the alert", poll(lambda: child(frame, pyatspi.ROLE_ALERT) is None))
    check("focus is back on \"Click to Open\"", poll(lambda: focused(button)), str(states(button)))
    end(process)


def case_hung_bus():
    """A bus owner that never answers: the app still ends at once."""
    import dbus
    bus = dbus.SessionBus()
    bus.request_name("org.a11y.Bus")  # and never answers GetAddress
    process = launch()
    subprocess.run(["xdotool", "search", "--sync", "--name", TITLE], check=True,
                   stdout=subprocess.DEVNULL, timeout=30)
    end(process)


CASES = {"dashboard": case_dashboard, "alert": case_alert, "keyboard": case_keyboard,
         "sheet": case_sheet, "hung-bus": case_hung_bus}
try:
    CASES[CASE]()
except Exception as error:  # a client call that failed is a failed check
    check("the case ran to its end", False, f"{type(error).__name__}: {error}")
finally:
    for process in launched:
        if process.poll() is None:
            process.kill()
            process.wait()
print(f"{CASE}: {'all passed' if not failures else 'failed: ' + ', '.join(failures)}")
sys.exit(1 if failures else 0)
