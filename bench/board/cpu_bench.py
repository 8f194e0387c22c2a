"""Processor use of the game on its board while a child plays: tiles travelling, the picture of a solved
word animating, and the board waiting.

    /usr/bin/python3 bench/board/cpu_bench.py [--game build/app/trouvimo] [--rounds 5] [--english]
        [--full-screen 1920x1080]

The game (--game, else TROUVIMO_BIN, else build/app/trouvimo) runs on a private real desktop at 800 x 600
(Xorg with the dummy driver, PulseAudio with a null sink, the accessibility bus; see tests/desktop). The
script opens the board, measures the board waiting for 3 s, then plays rounds: it presses the play button,
reads the tiles' places and letters from the accessibility tree (a tile's accessible name is its letter,
the hint's is the word), and clicks the tiles in the order that spells the word. No accessibility query
is made inside a measured window, since answering one costs the game processor time of its own.

The game's processor time is utime + stime of /proc/PID/stat (clock ticks, every thread) and, finer, the
sum of the threads' on-CPU nanoseconds from schedstat; both are given as percent of one core over:
  opening   from the board's showing until its opening sound is over: until the sound player's thread
            has not run for 0.5 s (at least 1 s, at most 15 s)
  idle      the 3 s after that, before the first round
  travel    from just before each tile click until 0.2 s later (the tile slides and is placed within
            that time), summed over the round; round 1 has no picture, later rounds travel while the
            previous word's picture animates
  round     the whole spelling of a word, clicks and the pauses between them
  fanfare   from the word's solving until its sound is over, as for the opening: the picture starts
            and the fanfare plays
  picture   the 3 s after that: the picture animates alone
Each line also splits the schedstat time by thread: the window thread (whose id is the process id), the
sound player and its sound server client ('sound', 'threaded-ml'), the accessibility bridge's D-Bus thread
('QDBusConnection': it only works because AT-SPI is on, as with a screen reader), and the rest.
Budget: < 5% of one core while a tile travels and while the picture animates. The exit status is 1 when a
budget is missed, 2 when the game could not be played as expected.

With --full-screen WxH the same rounds are played a second time on a WxH monitor that the game keeps
(--keep-display), where the board fills the monitor scaled up, and compared with the run at 800 x 600: a
travelling tile may cost at most twice the processor time, and the board may take at most 1.3 times as
long to open (from the click on the launch button to the server's MapNotify of the board's window; the
median of OPENINGS launches of each, alternating).
"""

import argparse
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, '..', '..'))
sys.path.insert(0, os.path.join(ROOT, 'tests', 'desktop'))

import game  # noqa: E402
from harness import Desktop, Timeout, wait_for  # noqa: E402
from xclient import MapWatch  # noqa: E402

MODE = (800, 600)
BUDGET_PERCENT = 5.0
IDLE_SECONDS = 3.0
# A sound keeps the player's thread working for a few seconds after it was heard; the quiet that
# follows is what the idle and picture windows must see.
SOUND_QUIET_SECONDS = 0.5
SOUND_LONGEST_SECONDS = 15.0
TRAVEL_SECONDS = 0.2
# Between two clicks: the click must land after the previous tile was placed, as a child's would.
CLICK_GAP_SECONDS = 0.35
PICTURE_SECONDS = 3.0
TICKS_PER_SECOND = os.sysconf('SC_CLK_TCK')
FULL_SCREEN_TRAVEL_BUDGET = 2.0
FULL_SCREEN_OPENING_BUDGET = 1.3
OPENINGS = 7
THREAD_KINDS = ('window', 'sound', 'accessibility', 'other')


def thread_kind(pid, task, name):
    if task == str(pid):
        return 'window'
    if name in ('sound', 'threaded-ml'):
        return 'sound'
    if name == 'QDBusConnection':
        return 'accessibility'
    return 'other'


class CpuMeter:
    """The game's processor time so far, in both of the kernel's counts."""

    def __init__(self, pid):
        self.pid = pid

    def ticks(self):
        with open(f'/proc/{self.pid}/stat', 'rb') as stat:
            fields = stat.read().rsplit(b')', 1)[1].split()
        return int(fields[11]) + int(fields[12])  # utime, stime: fields 14 and 15 of the whole line

    def nanoseconds(self):
        """On-CPU time of every thread, summed by THREAD_KINDS."""
        spent = dict.fromkeys(THREAD_KINDS, 0)
        for task in os.listdir(f'/proc/{self.pid}/task'):
            try:
                with open(f'/proc/{self.pid}/task/{task}/schedstat') as schedstat:
                    used = int(schedstat.read().split()[0])
                with open(f'/proc/{self.pid}/task/{task}/comm') as comm:
                    name = comm.read().strip()
            except OSError:  # a thread that ended meanwhile
                continue
            spent[thread_kind(self.pid, task, name)] += used
        return spent

    def sample(self):
        return time.monotonic(), self.ticks(), self.nanoseconds()


class Window:
    """Processor time over one or more measured stretches of wall time."""

    def __init__(self, name):
        self.name = name
        self.wall = 0.0
        self.ticks = 0
        self.by_kind = dict.fromkeys(THREAD_KINDS, 0)

    @property
    def nanoseconds(self):
        return sum(self.by_kind.values())

    def add(self, start, end):
        self.wall += end[0] - start[0]
        self.ticks += end[1] - start[1]
        for kind in THREAD_KINDS:
            self.by_kind[kind] += end[2][kind] - start[2][kind]

    def percent_ticks(self):
        return 100.0 * self.ticks / TICKS_PER_SECOND / self.wall if self.wall else 0.0

    def percent_exact(self):
        return 100.0 * self.nanoseconds / 1e9 / self.wall if self.wall else 0.0

    def line(self, budget=None):
        verdict = ''
        if budget is not None:
            verdict = '  within budget' if self.within(budget) else f'  OVER the {budget:g}% budget'
        return (f'{self.name:<22} {self.wall:6.2f} s  {self.ticks:4d} ticks = {self.percent_ticks():5.1f}%'
                f'   schedstat {self.nanoseconds / 1e6:6.1f} ms = {self.percent_exact():4.1f}%{verdict}\n'
                + ' ' * 26 + 'by thread: ' + ', '.join(
                    f'{kind} {spent / 1e6:.1f} ms = {100.0 * spent / 1e9 / self.wall:.1f}%'
                    for kind, spent in self.by_kind.items()))

    def within(self, budget):
        # The finer count decides; clock ticks are 10 ms each and can land on either side of a short window.
        return self.percent_exact() < budget


def sleep_until(moment):
    remaining = moment - time.monotonic()
    if remaining > 0:
        time.sleep(remaining)


def measure_for(meter, window, seconds):
    start = meter.sample()
    sleep_until(start[0] + seconds)
    window.add(start, meter.sample())


def measure_until_sound_ends(meter, window):
    """Measures from now, for at least a second, until the sound thread has not run for
    SOUND_QUIET_SECONDS (at most SOUND_LONGEST_SECONDS)."""
    start = previous = meter.sample()
    while True:
        time.sleep(SOUND_QUIET_SECONDS)
        now = meter.sample()
        quiet = now[2]['sound'] == previous[2]['sound']
        if (quiet and now[0] - start[0] >= 1.0) or now[0] - start[0] >= SOUND_LONGEST_SECONDS:
            window.add(start, now)
            return
        previous = now


def showing_labels(desk, pid):
    return [node for node in desk.find(pid, role='label', showing=True) if node.extents is not None]


def round_layout(desk, pid, previous_hint):
    """(hint, tiles) once the new round is laid out: the hint is the label whose text, in capitals, holds
    exactly the tiles' letters; the tiles are the single-letter labels. None while the round is pending."""
    labels = showing_labels(desk, pid)
    tiles = [node for node in labels if len(node.name) == 1 and node.name == node.name.upper()]
    letters = sorted(node.name for node in tiles)
    for node in labels:
        if node.name and node.name != previous_hint and sorted(node.name.upper()) == letters:
            return node.name, tiles
    return None


def spelling_order(hint, tiles):
    """The tiles to click, in the order that spells the hint's word."""
    left = sorted(tiles, key=lambda node: node.extents[0])
    order = []
    for letter in hint.upper():
        tile = next(node for node in left if node.name == letter)
        left.remove(tile)
        order.append(tile)
    return order


def slot_word(desk, pid):
    """The letters shown in the answer slots, left to right (the tiles are hidden once placed)."""
    slots = [node for node in showing_labels(desk, pid) if len(node.name) == 1]
    return ''.join(node.name for node in sorted(slots, key=lambda node: node.extents[0]))


def picture_box(desk, pid):
    """The place of the shown picture: the one showing image, named after its word."""
    images = [node for node in desk.find(pid, role='image', showing=True) if node.extents is not None]
    return images[0].extents if len(images) == 1 else None


def animates(desk, box, looks=6, gap=0.15):
    """Whether the picture's pixels change over a second: it is an animated GIF that is playing."""
    x, y, width, height = box
    first = desk.screenshot().crop(x, y, width, height).rgb
    for _ in range(looks):
        time.sleep(gap)
        if desk.screenshot().crop(x, y, width, height).rgb != first:
            return True
    return False


class PlayError(RuntimeError):
    pass


def play_round(desk, pid, meter, number, previous_hint, windows, play_name):
    desk.click_node(game.button(desk, pid, play_name))
    try:
        hint, tiles = wait_for(lambda: round_layout(desk, pid, previous_hint), timeout=5,
                               what='the tiles of the next word')
    except Timeout:
        raise PlayError(f'round {number}: no new word was laid out') from None
    order = spelling_order(hint, tiles)

    travel = windows['travel with picture' if number > 1 else 'travel']
    round_window = windows['round']
    round_start = meter.sample()
    for tile in order:
        start = meter.sample()
        desk.click_node(tile)
        sleep_until(start[0] + TRAVEL_SECONDS)
        travel.add(start, meter.sample())
        sleep_until(start[0] + CLICK_GAP_SECONDS)
    round_window.add(round_start, meter.sample())

    measure_until_sound_ends(meter, windows['fanfare'])
    measure_for(meter, windows['picture'], PICTURE_SECONDS)

    spelled = slot_word(desk, pid)
    if spelled != hint.upper():
        raise PlayError(f'round {number}: the slots hold {spelled!r} instead of {hint.upper()!r}')
    box = picture_box(desk, pid)
    if box is None:
        raise PlayError(f'round {number}: {hint!r} was spelled but no picture is shown')
    moving = animates(desk, box)
    print(f'round {number}: {hint!r}, {len(order)} tiles, picture at {box}'
          f'{"" if moving else " (its pixels did not change: not animating)"}')
    return hint


def use_mode(desk, width, height):
    """Sets the dummy monitor to WxH, adding a 60 Hz mode of that size when it does not offer it."""
    name = f'{width}x{height}'
    if desk.run(['xrandr', '--output', 'DUMMY0', '--mode', name], check=False).returncode:
        htotal, vtotal = width + 160, height + 30
        timings = [width, width + 48, width + 80, htotal, height, height + 3, height + 8, vtotal]
        clock = f'{htotal * vtotal * 60 / 1e6:.2f}'
        desk.run(['xrandr', '--newmode', name, clock, *map(str, timings), '-hsync', '+vsync'])
        desk.run(['xrandr', '--addmode', 'DUMMY0', name])
        desk.run(['xrandr', '--output', 'DUMMY0', '--mode', name])


def play_session(options, mode, args):
    """Opens the board on a desktop at mode and plays the rounds; returns the measured windows."""
    windows = {name: Window(name) for name in
               ('opening', 'idle', 'travel', 'travel with picture', 'round', 'fanfare', 'picture')}
    with Desktop(mode=MODE) as desk:
        use_mode(desk, *mode)
        app = desk.launch(options.game, args=args, name='trouvimo')
        try:
            desk.wait_for_window(app.pid, game.START_TITLE)
            game.open_board(desk, app, english=options.english)
            meter = CpuMeter(app.pid)
            measure_until_sound_ends(meter, windows['opening'])
            measure_for(meter, windows['idle'], IDLE_SECONDS)
            hint = None
            for number in range(1, options.rounds + 1):
                hint = play_round(desk, app.pid, meter, number, hint, windows,
                                  'Play' if options.english else 'Jouer')
        finally:
            app.stop()
    return windows


def opening_times(options, sessions):
    """For each (mode, args): the milliseconds from the click on the launch button to the board's map,
    over OPENINGS launches, the sessions alternating on one desktop."""
    times = [[] for _ in sessions]
    with Desktop(mode=MODE) as desk, MapWatch(desk.display) as watch:
        for _ in range(OPENINGS):
            for found, (mode, args) in zip(times, sessions):
                use_mode(desk, *mode)
                app = desk.launch(options.game, args=args, name='trouvimo')
                try:
                    desk.wait_for_window(app.pid, game.START_TITLE)
                    time.sleep(0.5)
                    began = time.monotonic()
                    game.open_board(desk, app)
                    mapped = watch.first_map(app.pid, began, timeout=10)
                    if mapped is None:
                        raise PlayError('the board was not mapped')
                    found.append((mapped[0] - began) * 1000)
                finally:
                    app.stop()
    return [sorted(found)[len(found) // 2] for found in times]


def report(options, mode, windows):
    print(f'\nprocessor use of {options.game} at {mode[0]}x{mode[1]}, {options.rounds} rounds '
          f'(percent of one core; {TICKS_PER_SECOND} ticks/s):')
    print(windows['opening'].line())
    print(windows['idle'].line())
    budgeted = ('travel', 'travel with picture', 'picture')
    for name in ('travel', 'travel with picture', 'round', 'fanfare', 'picture'):
        if windows[name].wall:
            print(windows[name].line(BUDGET_PERCENT if name in budgeted else None))
    return [name for name in budgeted if windows[name].wall and not windows[name].within(BUDGET_PERCENT)]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--game', default=os.environ.get('TROUVIMO_BIN')
                        or os.path.join(ROOT, 'build', 'app', 'trouvimo'))
    parser.add_argument('--rounds', type=int, default=5)
    parser.add_argument('--english', action='store_true', help='play the English list')
    parser.add_argument('--full-screen', metavar='WxH',
                        help='also play on a larger monitor kept as it is, and compare')
    options = parser.parse_args()
    options.game = os.path.abspath(options.game)
    if not os.access(options.game, os.X_OK):
        parser.error(f'{options.game} is not an executable game')

    sessions = [(MODE, [])]
    if options.full_screen:
        width, height = (int(side) for side in options.full_screen.lower().split('x'))
        sessions.append(((width, height), ['--keep-display']))
    try:
        played = [play_session(options, mode, args) for mode, args in sessions]
        openings = opening_times(options, sessions) if options.full_screen else None
    except (PlayError, Timeout) as error:
        print(f'cannot play the game: {error}', file=sys.stderr)
        return 2

    missed = []
    for (mode, _args), windows in zip(sessions, played):
        missed += report(options, mode, windows)
    if openings:
        travel = [windows['travel'].nanoseconds + windows['travel with picture'].nanoseconds
                  for windows in played]
        travel_ratio = travel[1] / travel[0] if travel[0] else float('inf')
        opening_ratio = openings[1] / openings[0]
        print(f'\nfull screen {options.full_screen} against {MODE[0]}x{MODE[1]}: travelling tiles '
              f'{travel[1] / 1e6:.1f} against {travel[0] / 1e6:.1f} ms of processor = {travel_ratio:.2f}x '
              f'(budget {FULL_SCREEN_TRAVEL_BUDGET}x); board opened in {openings[1]:.1f} against '
              f'{openings[0]:.1f} ms (medians of {OPENINGS}) = {opening_ratio:.2f}x '
              f'(budget {FULL_SCREEN_OPENING_BUDGET}x)')
        if travel_ratio > FULL_SCREEN_TRAVEL_BUDGET or opening_ratio > FULL_SCREEN_OPENING_BUDGET:
            missed.append('full screen')
    return 1 if missed else 0


if __name__ == '__main__':
    sys.exit(main())
