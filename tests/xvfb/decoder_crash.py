#!/usr/bin/env python3
"""Steps the real viewer through a folder where one picture makes the decoder helper
crash (the test build's fault switch), forwards and back again.

Passes when every other picture shows in the list's order, the crashing one never
does and keeps its place in the list (stepping back passes it again), the viewer
answers every key and a helper is running at the end.

usage: decoder_crash.py VIEWER PIXEL_WAIT      (DISPLAY must name an X server)
"""

import os
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bad_input_corpus import (Screen, alive, conclude, focus, helpers_of, matching, press, solid,  # noqa: E402
                              start_viewer, stop, watch)

RED, GREEN, BLUE, YELLOW = "e01010", "10c020", "1030e0", "e0c010"
FILES = {"a-red.png": RED, "b-fault-crash.png": GREEN, "c-blue.png": BLUE, "d-yellow.png": YELLOW}
# What the centre shows after each key, from the first picture: the crashing file
# leaves the picture before it on screen.
WALK = [("Right", RED), ("Right", BLUE), ("Right", YELLOW), ("Left", BLUE), ("Left", BLUE), ("Left", RED)]
SETTLE_SECONDS = 1.5


def walk(viewer, screen):
    """The failures seen on the walk."""
    colours = set(FILES.values())
    if not watch(screen, {RED}, 5.0):
        return ["the first picture never showed"]
    failures = []
    for key, wanted in WALK:
        press(key)
        seen = watch(screen, colours, SETTLE_SECONDS)
        now = matching(screen.centre(), colours)
        if GREEN in seen:
            failures.append("the crashing picture showed")
        if now != wanted:
            failures.append(f"after {key} the screen showed {now}, not {wanted}")
        if not alive(viewer):
            failures.append(f"the viewer ended with status {viewer.returncode}")
            break
    return failures


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    viewer_binary, pixel_wait = sys.argv[1], sys.argv[2]
    work = Path(tempfile.mkdtemp(prefix="vistrel-crash-"))
    viewer = None
    try:
        folder = work / "pictures"
        folder.mkdir()
        for name, colour in FILES.items():
            solid(folder / name, colour)
        viewer = start_viewer(viewer_binary, [str(folder)], work, VISTREL_DECODER_FAULTS="1",
                              QT_LOGGING_RULES="vistrel.media.decoder.debug=true")
        focus(viewer.pid)
        failures = walk(viewer, Screen(pixel_wait))
        if alive(viewer) and not helpers_of(viewer.pid):
            failures.append("no decoder helper runs after the crash")
        conclude(work, failures, "passed: the crash stayed in the helper")
    finally:
        stop(viewer, work)


if __name__ == "__main__":
    main()
