"""What the screen-reader clients share: one printed line per check, and
where things are on screen according to the snapshot tool."""
import json
import os
import signal
import subprocess
import tempfile
import time

failures = []


def check(name, condition, detail=""):
    print(("PASS " if condition else "FAIL ") + name + (f"  [{detail}]" if detail else ""), flush=True)
    if not condition:
        failures.append(name)
    return condition


def check_ends_on_signal(process, sig, what):
    """Ends the app by `sig` and checks that it exits with 0 within a second
    (more under the sanitizers, whose leak scan runs at exit). Returns what
    it printed, as (stdout, stderr)."""
    process.send_signal(sig)
    started = time.monotonic()
    try:
        code = process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        code = None
    took = time.monotonic() - started
    limit = float(os.environ.get("NORVEL_EXIT_SECONDS", "1"))
    check(f"{what} ends the app with 0 within {limit:g} s", code == 0 and took < limit,
          f"code={code} took={took:.2f}s")
    return process.communicate()


def snapshot_tree(snapshot, script=None):
    """The snapshot tool's laid-out tree at scale 1, after `script`."""
    with tempfile.TemporaryDirectory() as d:
        args = [snapshot, "--scale", "1", "--tree", os.path.join(d, "t.json")]
        if script:
            with open(os.path.join(d, "s.txt"), "w") as f:
                f.write(script)
            args += ["--script", os.path.join(d, "s.txt")]
        subprocess.run(args, check=True, timeout=60)
        with open(os.path.join(d, "t.json")) as f:
            return json.load(f)


def badge_point(snapshot):
    """Where the diagnostics badge is, in window points."""
    for v in snapshot_tree(snapshot)["views"]:
        x, y, w, h = v["frame"]
        if v["kind"] == "RoundedRectangle" and w == 48 and h == 48:
            return int(x + w / 2), int(y + h / 2)
    raise RuntimeError("no badge in the tree")
