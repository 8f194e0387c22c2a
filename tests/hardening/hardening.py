"""What the hardening tests share: a faster accessibility probe, the game's memory, and the board's moves,
timed; the board itself is read by tests/desktop/board_game.py.

The game runs on the private real desktop of tests/desktop (Xorg with the dummy driver, PulseAudio with a
null sink, the accessibility bus); everything here drives it from outside, as a child and a screen reader
would, and reads from /proc what the kernel knows of it.
"""

import contextlib
import os
import socket
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'desktop'))

import board_game as bg  # noqa: E402
import game  # noqa: E402
from harness import PATIENT, Desktop, Timeout  # noqa: E402

PROBE_AGENT = os.path.join(HERE, 'board_probe_agent.py')

# The screen the game starts on: not 800 x 600, so the game switches it and must switch it back.
START_MODE = (1024, 768)
# The play button waits this long by design before it lays out the next word.
ROUND_PAUSE = 0.5
# AddressSanitizer keeps freed blocks aside, up to 256 MiB, to catch their later use: the longer the game
# runs, and a busy machine makes it run longer, the more the resident memory holds of them. The games
# launched here keep this much aside, so that their memory tells what they hold.
QUARANTINE_MIB = 16


@contextlib.contextmanager
def probed_desktop(mode=START_MODE):
    """A private desktop that asks its accessibility questions through the probe agent, which can also
    time changes from close by; a test module enters it once (unittest.enterModuleContext) and shares it
    between its cases."""
    with Desktop(mode=mode) as desk:
        desk.use_agent(PROBE_AGENT, log='probe-agent')
        options = [option for option in desk.env.get('ASAN_OPTIONS', '').split(':') if option]
        desk.env['ASAN_OPTIONS'] = ':'.join(options + [f'quarantine_size_mb={QUARANTINE_MIB}'])
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
    every block, so under it the same work takes about twice the memory, and it keeps freed blocks aside
    (QUARANTINE_MIB in the games launched on a probed desktop)."""
    return kib * 2 + QUARANTINE_MIB * 1024 if instrumented(binary) else kib


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


# --- the board's moves, timed -------------------------------------------------------------------------

def names(desk, pid):
    return desk.ask({'op': 'names', 'pid': pid})['names']


def timed_click(desk, pid, node, timeout=PATIENT):
    """Clicks the node and returns how many seconds passed until the game's windows changed (hint, tiles,
    slots, titles: any accessible name), or None if nothing changed within the timeout."""
    baseline = names(desk, pid)
    began = time.monotonic()
    desk.click_node(node)
    answer = desk.ask({'op': 'wait_change', 'pid': pid, 'baseline': baseline, 'timeout': timeout},
                      timeout=timeout + 10)
    return answer['at'] - began if answer['changed'] else None


def press_play(desk, pid, language=game.FRENCH):
    """Presses the play button; returns (seconds until the board answered, the board afterwards)."""
    seconds = timed_click(desk, pid, bg.look(desk, pid).button(language.play))
    if seconds is None:
        raise Timeout(f'the board did not change within {PATIENT:.0f} s of a click on the play button')
    # The answer is complete once the whole row is laid out: the row is built in one handler.
    return seconds, bg.look(desk, pid)


def quit_board(desk, app, language=game.FRENCH):
    """Clicks the board's quit button and waits for the game to end; returns its exit status and the
    seconds from the click to the end."""
    quit_button = bg.look(desk, app.pid).button(language.quit)
    clicked = time.monotonic()
    desk.click_node(quit_button)
    status = app.wait_exit()
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


@contextlib.contextmanager
def silent_sound_server(path):
    """A Unix socket that accepts connections and never says a word, as a hung sound server would."""
    server = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    server.bind(path)
    server.listen(16)
    accepted = []
    stop = threading.Event()

    def accept():
        server.settimeout(0.1)
        while not stop.is_set():
            with contextlib.suppress(socket.timeout, OSError):
                accepted.append(server.accept()[0])

    thread = threading.Thread(target=accept, daemon=True)
    thread.start()
    try:
        yield
    finally:
        stop.set()
        thread.join()
        for connection in accepted:
            connection.close()
        server.close()
        os.remove(path)
