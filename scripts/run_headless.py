#!/usr/bin/env python3
"""Runs Brightfold.scr under Wine in a private Xvfb display for a few seconds, takes
screenshots, ends it with a key press like a user would, and keeps the log and the pictures in
out/run-<time>/ (printed at the end)."""
import argparse
import os
import shutil
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "wine"))
from harness import WineHarness  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build/windows")
    parser.add_argument("--seconds", type=float, default=8)
    parser.add_argument("--out", default=None)
    parser.add_argument("--display", default=None, help="run on this X display until the saver ends")
    parser.add_argument("switches", nargs="*")
    args = parser.parse_args()

    out = Path(args.out or f"out/run-{time.strftime('%Y%m%d-%H%M%S')}").resolve()
    out.mkdir(parents=True, exist_ok=True)
    if args.display:
        with WineHarness(args.build, display=args.display) as wine:
            result = wine.wait(wine.start(*(args.switches or ["/s"])), None)
            print(f"exit code {result.exit_code}; log: {wine.log_path}")
        return 0
    with WineHarness(args.build) as wine:
        process = wine.start(*(args.switches or ["/s"]))
        shots = max(1, int(args.seconds // 2))
        for index in range(shots):
            if process.poll() is not None:
                break
            time.sleep(args.seconds / shots)
            wine.screenshot(out / f"screen-{index + 1}.png")
        if process.poll() is None:
            # End it as a user would: a key press on the saver's window.
            wine.xdotool("key", "--clearmodifiers", "space")
        result = wine.wait(process, 60)
        if wine.log_path.exists():
            shutil.copy(wine.log_path, out / "ZENLog.txt")
        (out / "ZENLog.utf8.txt").write_text(result.log)
    print(f"exit code {result.exit_code}{' (killed after the time limit)' if result.timed_out else ''}")
    print(f"log and screenshots: {out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
