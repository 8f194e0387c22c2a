"""What the hardening tests share: a faster accessibility probe, the game's memory, and the board's moves.

The game runs on the private real desktop of tests/desktop (Xorg with the dummy driver, PulseAudio with a
null sink, the accessibility bus); everything here drives it from outside, as a child and a screen reader
would, and reads from /proc what the kernel knows of it.
"""

import contextlib
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'desktop'))

import game  # noqa: E402
import harness  # noqa: E402
from harness import Desktop, DesktopError, Timeout, wait_for  # noqa: E402

PROBE_AGENT = os.path.join(HERE, 'board_probe_agent.py')

# The screen the game starts on: not 800 x 600, so the game switches it and must switch it back.
START_MODE = (1024, 768)
# The play button waits this long by design before it lays out the next word.
ROUND_PAUSE = 0.5
# How long past that pause a click on the play button may go unanswered.
ANSWER_BUDGET = 0.2
END_MESSAGES = tuple(language.end_message for language in game.LANGUAGES)
PLAY_NAMES = tuple(language.play for language in game.LANGUAGES)
QUIT_NAMES = tuple(language.quit for language in game.LANGUAGES)


@contextlib.contextmanager
def probed_desktop(mode=START_MODE):
    """A private desktop that asks its accessibility questions through the probe agent, which can also
    time changes from close by; a test module enters it once (unittest.enterModuleContext) and shares it
    between its cases."""
    with Desktop(mode=mode) as desk:
        desk.use_agent(PROBE_AGENT, log='probe-agent')
        yield desk


def add_case_tests(test_class, cases):
    """One test method per named case, test_<name>, each calling test_class.check(name)."""
    def make_test(name):
        def test(self):
            self.check(name)
        test.__doc__ = name
        return test

    for name in cases:
        method = 'test_' + ''.join(c if c.isalnum() else '_' for c in name.lower())
        setattr(test_class, method, make_test(name))


# --- what the kernel knows of the game ---------------------------------------------------------------

def instrumented(binary):
    """True when the game carries AddressSanitizer (the asan preset)."""
    with open(binary, 'rb') as executable:
        return b'libasan.so' in executable.read()


def memory_slack_kib(kib, binary):
    """A budget of resident memory for the game at `binary`. AddressSanitizer puts a guard zone around
    every block and keeps freed blocks aside for a while to catch their later use, so under it the same
    work takes about twice the memory."""
    return kib * 2 if instrumented(binary) else kib


def memory_kib(pid):
    """(resident now, resident at its highest so far) in KiB, from /proc/PID/status."""
    values = {}
    with open(f'/proc/{pid}/status') as status:
        for line in status:
            key, _, rest = line.partition(':')
            if key in ('VmRSS', 'VmHWM'):
                values[key] = int(rest.split()[0])
    return values['VmRSS'], values['VmHWM']


def cpu_ticks(pid):
    """utime + stime of every thread so far, in clock ticks."""
    with open(f'/proc/{pid}/stat', 'rb') as stat:
        fields = stat.read().rsplit(b')', 1)[1].split()
    return int(fields[11]) + int(fields[12])


def describe_exit(status):
    return f'killed by signal {-status}' if status < 0 else f'exit status {status}'


# What AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer print when they find something, in a
# game built with the asan preset; a game built without them never prints these.
SANITIZER_MARKERS = ('ERROR: AddressSanitizer', 'ERROR: LeakSanitizer', 'runtime error:')


def sanitizer_report(output):
    """The sanitizers' report in a program's output, or '' when there is none."""
    found = [output.find(marker) for marker in SANITIZER_MARKERS if marker in output]
    return output[min(found):] if found else ''


# --- the board, read through the accessibility tree ---------------------------------------------------

def board_window(desk, pid):
    """The board's accessible window while it shows, else None."""
    for window in desk.windows(pid):
        if (window.showing and window.role not in ('alert', 'dialog')
                and window.name in (language.title for language in game.LANGUAGES)):
            return window
    return None


def _band(window, node):
    """Where a label of the board lies: 'top' (the hint), 'row' (the tiles) or 'slots' (the answer)."""
    _x, top, _width, height = window.extents
    _nx, ny, _nw, nh = node.extents
    centre = ny + nh / 2 - top
    if centre < height * 0.11:
        return 'top'
    if centre < height * 0.45:
        return 'row'
    return 'slots'


class BoardView:
    """One look at the board: its hint, the tiles of the row, the answer slots and its buttons."""

    def __init__(self, window):
        self.window = window
        labels = [node for node in window.children if node.role == 'label' and node.showing]
        fillers = [node for node in window.children if node.role == 'filler' and node.showing
                   and node.extents[2] > 0]
        # The red frame around the slots is the widest of the drawn frames; a travelling tile stays to
        # its left until it is placed, so only what lies inside it counts as the answer.
        frame = max(fillers, key=lambda node: node.extents[2], default=None)
        frame_left = frame.extents[0] if frame is not None else 0
        self.hints = [node for node in labels if _band(window, node) == 'top']
        self.tiles = sorted((node for node in labels if _band(window, node) == 'row'),
                            key=lambda node: node.extents[0])
        bottom = window.extents[1] + window.extents[3] * 0.9
        self.slots = sorted((node for node in labels if _band(window, node) == 'slots'
                             and node.extents[0] >= frame_left and node.extents[1] < bottom),
                            key=lambda node: node.extents[0])
        self.buttons = {harness.plain_name(node.name): node for node in window.children
                        if node.role in game.BUTTON_ROLES}
        # The frame around the slots and the frame of the picture always show; a third drawn area is
        # the picture of a solved word.
        self.picture_shown = len(fillers) > 2

    @property
    def hint(self):
        return self.hints[0].name if self.hints else ''

    @property
    def answer(self):
        return ''.join(node.name for node in self.slots)

    def button(self, names):
        for name in names:
            if name in self.buttons:
                return self.buttons[name]
        raise DesktopError(f'none of the buttons {names} on the board: {sorted(self.buttons)}')


def look(desk, pid):
    window = board_window(desk, pid)
    if window is None:
        app = desk.accessible_app(pid)
        raise DesktopError('the board does not show:\n' + (app.describe() if app else '(no application)'))
    return BoardView(window)


def names(desk, pid):
    return desk.ask({'op': 'names', 'pid': pid})['names']


def timed_click(desk, pid, node, timeout=5.0):
    """Clicks the node and returns how many seconds passed until the game's windows changed (hint, tiles,
    slots, titles: any accessible name), or None if nothing changed within the timeout."""
    baseline = names(desk, pid)
    began = time.monotonic()
    desk.click_node(node)
    answer = desk.ask({'op': 'wait_change', 'pid': pid, 'baseline': baseline, 'timeout': timeout},
                      timeout=timeout + 10)
    return answer['at'] - began if answer['changed'] else None


def press_play(desk, pid):
    """Presses the play button; returns (seconds until the board answered, the board afterwards)."""
    seconds = timed_click(desk, pid, look(desk, pid).button(PLAY_NAMES))
    if seconds is None:
        raise Timeout('the board did not change within 5 s of a click on the play button')
    # The answer is complete once the whole row is laid out: the row is built in one handler.
    return seconds, look(desk, pid)


def solve(desk, pid, word):
    """Clicks the tiles in the order that spells `word` (as the tiles show it, in capitals), each once the
    previous one has been placed; returns the board afterwards."""
    used = set()
    for letter in word:
        view = look(desk, pid)
        candidates = [tile for tile in view.tiles if tile.name == letter and tile.extents not in used]
        if not candidates:
            raise DesktopError(f'no tile {letter!r} left to spell {word!r}: '
                               f'{[tile.name for tile in view.tiles]}')
        tile = candidates[0]
        placed_before = len(view.answer)
        desk.click_node(tile)
        used.add(tile.extents)
        wait_for(lambda: len(look(desk, pid).answer) > placed_before, timeout=3,
                 what=f'the tile {letter!r} to reach its slot')
    return look(desk, pid)


def quit_board(desk, app):
    """Clicks the board's quit button and waits for the game to end; returns its exit status and the
    seconds from the click to the end."""
    quit_button = look(desk, app.pid).button(QUIT_NAMES)
    clicked = time.monotonic()
    desk.click_node(quit_button)
    status = app.wait_exit(5)
    return status, time.monotonic() - clicked


def assert_clean_end(test, app, status, what=''):
    """The game ended with status 0 and without a sanitizer's report."""
    output = app.output()
    test.assertEqual(status, 0, f'{what}{describe_exit(status)}\n{output}')
    test.assertEqual(sanitizer_report(output), '', f'{what}a sanitizer found a fault')


def wait_display_restored(desk, mode=START_MODE):
    desk.wait_for_mode(*mode)


@contextlib.contextmanager
def started_board(desk, binary, english=False, env=None):
    """The game launched from `binary`, its board open; it is stopped when the block ends if it still
    runs."""
    app = desk.launch(binary, name='trouvimo', env=env)
    try:
        desk.wait_for_window(app.pid, game.START_TITLE)
        game.open_board(desk, app, english=english)
        yield app
    finally:
        if app.alive():
            app.stop()
