#!/usr/bin/python3
"""A screen-reader client that stays connected, as Orca would, while
another test drives the app. It starts the accessibility bus, prints
"ready", finds the app, prints "connected", then prints every structure
and state event it hears until it is ended."""
import subprocess
import sys
import time

import pyatspi

subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                "/org/a11y/bus", "org.a11y.Bus.GetAddress"], check=True,
               stdout=subprocess.DEVNULL, timeout=60)
print("ready", flush=True)

end = time.monotonic() + 120
while time.monotonic() < end:
    apps = [a for a in pyatspi.Registry.getDesktop(0) if a is not None and a.name == "Norvel Health"]
    if apps and apps[0].childCount == 1 and apps[0][0].childCount > 0:
        print(f"connected {apps[0][0].childCount}", flush=True)
        break
    time.sleep(0.05)
else:
    sys.exit("the app never appeared")


def heard(event):
    print(f"event {event.type}", flush=True)


pyatspi.Registry.registerEventListener(heard, "object:children-changed", "object:state-changed")
pyatspi.Registry.start()
