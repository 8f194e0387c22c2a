"""How soon the game starts, answers and ends without a sound server, and how soon it ends when its X
server is killed just after a word was said; each against a reference measured in the same run, so that
whatever else the machine is doing weighs on both alike.

    /usr/bin/python3 bench/board/faults_bench.py --game build/app/trouvimo \\
        --minimal build/bench/startup/trouvimo_minimal [--runs 15] [--x-runs 5]

Sound server: the game with a one-word list is started --runs times in each of three settings, in
alternating order, on one private desktop (tests/desktop/harness.py): with the desktop's sound server
(the reference), with none (PULSE_SERVER names a socket where nothing listens), and with one that accepts
the connection and never answers. Each start is timed three ways:
  start-up  from just before exec to the server's MapNotify of the start window
  answer    from a click on the play button to the board's change (the designed pause of 0.5 s included)
  end       from a click on the quit button to the end of the process (the goodbye chime's grace included)
Budget: in each setting, each median at most 10 % above the reference's, or above it by at most a floor
when that is larger (20 ms for the start-up, 50 ms for the answer and the end): waiting for a sound server
would cost hundreds of milliseconds. The end with a server that never answers is reported, not judged: the
exit gives the goodbye chime the player's allowance for a sound still loading (2 s), after the windows
have gone and the display is back.

X server killed: the game, its board open and a word just said by the speech server (which goes on
running, as it does after a desktop session), and the minimal Qt program, each --x-runs times on a desktop
of its own whose X server is then killed; from the kill to the end of the process. Budget: the game's
median at most a second above the minimal program's.
The exit status is 1 when a budget is missed.
"""

import argparse
import contextlib
import os
import statistics
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, '..', '..'))
sys.path[:0] = [os.path.join(ROOT, 'tests', 'hardening'), os.path.join(ROOT, 'tests', 'desktop')]

import board_game as bg  # noqa: E402
import hardening as h  # noqa: E402
from harness import PATIENT  # noqa: E402
from xclient import MapWatch  # noqa: E402

WORD = 'chat'
SPREAD = 0.10
FLOORS = {'start-up': 0.020, 'answer': 0.050, 'end': 0.050}
X_GONE_BUDGET = 1.0


def one_game(desk, watch, binary, env):
    """One start of the game, timed: {measure: seconds}."""
    began = time.monotonic()
    app = desk.launch(binary, name='bench', env=env)
    try:
        mapped = watch.first_map(app.pid, began, timeout=PATIENT)
        if mapped is None:
            raise RuntimeError(f'no window within {PATIENT:.0f} s:\n{app.output()}')
        h.game.open_board(desk, app)
        answer, _board = h.press_play(desk, app.pid)
        status, end = h.quit_board(desk, app)
        if status != 0:
            raise RuntimeError(f'the game ended with {h.describe_exit(status)}:\n{app.output()}')
        return {'start-up': mapped[0] - began, 'answer': answer, 'end': end}
    finally:
        if app.alive():
            app.stop()


def sound_servers(game, runs):
    within = True
    with h.probed_desktop() as desk, MapWatch(desk.display) as watch:
        binary = h.game.app_with_lists(desk, game, {h.game.FRENCH.list_file: [WORD]})
        silent = os.path.join(desk.dir, 'silent-sound-server')
        settings = {'sound server': {},
                    'no sound server': {'PULSE_SERVER': 'unix:' + os.path.join(desk.dir, 'no-sound-server')},
                    'silent sound server': {'PULSE_SERVER': 'unix:' + silent}}
        results = {name: [] for name in settings}
        with h.silent_sound_server(silent):
            for env in settings.values():
                one_game(desk, watch, binary, env)
            for run in range(runs):
                order = list(settings.items())
                for name, env in order if run % 2 == 0 else reversed(order):
                    results[name].append(one_game(desk, watch, binary, env))
    print(f'\n=== without a sound server: median [min-max] of {runs} starts, ms ===')
    medians = {}
    for name, rows in results.items():
        medians[name] = {key: statistics.median(row[key] for row in rows) for key in FLOORS}
        print(f'{name:<20}' + ''.join(
            f'  {key} {medians[name][key] * 1000:6.0f} [{min(row[key] for row in rows) * 1000:.0f}-'
            f'{max(row[key] for row in rows) * 1000:.0f}]' for key in FLOORS))
    base = medians['sound server']
    for name in ('no sound server', 'silent sound server'):
        for key, floor in FLOORS.items():
            extra = medians[name][key] - base[key]
            if name == 'silent sound server' and key == 'end':
                print(f'{name}: {key} {extra * 1000:+.0f} ms against the reference (not judged)')
                continue
            allowed = max(base[key] * SPREAD, floor)
            verdict = 'within' if extra <= allowed else 'OVER'
            print(f'{name}: {key} {extra * 1000:+.0f} ms against the reference (budget +{allowed * 1000:.0f} ms: '
                  f'{verdict})')
            within = within and extra <= allowed
    return within


def x_gone_once(program, minimal):
    """Seconds from the kill of the X server to the end of the program."""
    with h.probed_desktop() as own:
        # The speech server runs already, as a desktop session starts it, and outlives the display.
        own.run(['speech-dispatcher', '--spawn'], check=False)
        if minimal:
            app = own.launch(program, name='minimal')
            own.wait_for_window(app.pid, 'Minimal')
        else:
            app = own.launch(h.game.quiet_app(own, [WORD]), name='trouvimo')
            own.wait_for_window(app.pid, h.game.START_TITLE)
            h.game.open_board(own, app)
            with own.recorder() as said:
                own.click_node(bg.look(own, app.pid).button(h.game.FRENCH.play))
                if not h.instrumented(program):
                    said.wait_heard(2 * PATIENT)
        try:
            xorg = own.x_server()
            display = own.display.lstrip(':')
            own.forget_x_connection()
            killed = time.monotonic()
            xorg.kill()
            app.wait_exit(2 * PATIENT)
            took = time.monotonic() - killed
            xorg.wait()
            for leftover in (f'/tmp/.X{display}-lock', f'/tmp/.X11-unix/X{display}'):
                with contextlib.suppress(FileNotFoundError):
                    os.remove(leftover)
            return took
        finally:
            if app.alive():
                app.stop()


def x_server_killed(game, minimal, runs):
    times = {'game': [], 'minimal': []}
    for _ in range(runs):
        times['game'].append(x_gone_once(game, minimal=False))
        times['minimal'].append(x_gone_once(minimal, minimal=True))
    medians = {name: statistics.median(values) for name, values in times.items()}
    print(f'\n=== X server killed: from the kill to the end, median [min-max] of {runs}, ms ===')
    for name, values in times.items():
        print(f'{name:<8} {medians[name] * 1000:6.0f} [{min(values) * 1000:.0f}-{max(values) * 1000:.0f}]')
    extra = medians['game'] - medians['minimal']
    verdict = 'within' if extra <= X_GONE_BUDGET else 'OVER'
    print(f'game against the minimal program: {extra * 1000:+.0f} ms (budget +{X_GONE_BUDGET * 1000:.0f} ms: '
          f'{verdict})')
    return extra <= X_GONE_BUDGET


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--game', required=True)
    parser.add_argument('--minimal', required=True)
    parser.add_argument('--runs', type=int, default=15)
    parser.add_argument('--x-runs', type=int, default=5)
    options = parser.parse_args()
    game, minimal = os.path.abspath(options.game), os.path.abspath(options.minimal)
    for path in (game, minimal):
        if not os.access(path, os.X_OK):
            parser.error(f'{path} is not an executable file')
    os.environ['TROUVIMO_BIN'] = game
    print(f'{os.cpu_count()} processors; game {game}; minimal {minimal}')
    within = sound_servers(game, options.runs)
    within = x_server_killed(game, minimal, options.x_runs) and within
    return 0 if within else 1


if __name__ == '__main__':
    sys.exit(main())
