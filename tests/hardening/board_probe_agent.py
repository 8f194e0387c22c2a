"""Watches one program's windows through AT-SPI from close by, to time how fast the game answers.

The desktop harness's own agent (tests/desktop/atspi_agent.py) walks a whole accessible tree per request,
which takes tens of milliseconds: too coarse to tell a game that answers a click in 20 ms from one that
needs 150. This agent answers every request of that agent and adds two that poll inside this process, where
one look at the game costs only the D-Bus calls it needs:

  {"op": "names", "pid": P}      -> {"ok": true, "names": [[window name, [[name, showing]...]], ...]}
  {"op": "wait_change", "pid": P, "baseline": names, "timeout": s}
                                 -> {"ok": true, "changed": bool, "at": monotonic seconds, "names": ...}

The names of a window's direct children, and whether each shows, are what a round changes: the hint takes
the word, the tiles take their letters and show, the slots take the end message. Both count, because a name
can be lost on the way: D-Bus strings cannot hold the NUL character that a hostile list may put in a word.
time.monotonic() is the system-wide monotonic clock on Linux, so the harness can compare "at" with its own
time of the click.

This is a watcher of changes, not a second reader of the board: which label is a tile, a slot or the hint
is told by tests/desktop/board_game.py alone. It watches names instead of reading the board through that
module because a look must be cheap for the timing to mean anything. Measured on the test desktop with the
board open, 40 looks each: a board read through the whole tree took a median of 56 ms (41 ms at best), one
look at the names from inside this process 18 ms (15 ms at best), against an answer budget of 200 ms.
"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'desktop'))

import atspi_agent  # noqa: E402  (sets the agent's D-Bus timeouts as it loads)
import pyatspi  # noqa: E402

POLL_SECONDS = 0.002


def window_names(pid):
    app = atspi_agent.application(pid)
    if app is None:
        return None
    names = []
    try:
        for index in range(app.childCount):
            window = app.getChildAtIndex(index)
            if window is None:
                continue
            children = []
            for child_index in range(window.childCount):
                child = window.getChildAtIndex(child_index)
                if child is None:
                    children.append(None)
                    continue
                showing = child.getState().contains(pyatspi.STATE_SHOWING)
                children.append([child.name or '', showing])
            names.append([window.name or '', children])
    except Exception:  # the program closed a window, or ended, while we looked
        return None
    return names


def wait_change(pid, baseline, timeout):
    deadline = time.monotonic() + timeout
    while True:
        names = window_names(pid)
        now = time.monotonic()
        if names is not None and names != baseline:
            return {'ok': True, 'changed': True, 'at': now, 'names': names}
        if now >= deadline:
            return {'ok': True, 'changed': False, 'at': now, 'names': names}
        time.sleep(POLL_SECONDS)


def handle(request):
    op = request.get('op')
    if op == 'names':
        return {'ok': True, 'names': window_names(request['pid'])}
    if op == 'wait_change':
        return wait_change(request['pid'], request['baseline'], float(request.get('timeout', 5.0)))
    return atspi_agent.handle(request)


if __name__ == '__main__':
    atspi_agent.main(handle)
