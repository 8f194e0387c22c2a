"""Start-up time, memory and idle processor use of the game against a minimal Qt Widgets program.

Both run on the same private real desktop (Xorg with the dummy driver, PulseAudio with a null sink, the
accessibility bus), one after the other and in alternating order, so that whatever else the machine is
doing weighs on both alike. For each run:
  start-up  time from just before exec to the server's MapNotify of the program's first top-level window
  memory    PSS, RSS and private dirty pages from smaps_rollup at the end (PSS and RSS move with whatever
            else maps the same libraries at the time; the dirty pages are the program's own)
  CPU       utime + stime (clock ticks, as /proc/PID/stat counts them) and the on-CPU time of all threads
            (schedstat, nanoseconds) in the 3 s after the window was mapped, and in a quiet window of 3 s
            that begins once the greeting (1.9 s) is over: 3 s after the map, or later if the program still
            has a stream on the sound server then. The null sink plays about a second behind what it is
            given, so the greeting's stream closes 2.8-3.8 s after the map; until then it is still heard.
The budget: at 800x600 the game maps its window in at most 1.1 times the minimal program's median
time and uses at most 1.2 times its PSS; a start that switches the screen costs at most 10 ms more
than one that does not (the game's medians, in the same run); and once its greeting is over the game
uses no processor at all while it waits for the child (neither a tick nor a nanosecond on the
processor in the quiet window). The minimal program is a bare window with one label.

    /usr/bin/python3 bench/startup/startup_bench.py --game build/app/trouvimo \\
        --minimal build/bench/startup/trouvimo_minimal [--runs 15] [--modes 800x600,1024x768]

With --wine, the Windows game of a folder as the MSI installs it (package.sh --windows leaves one in
build-windows-package/Trouvimo) against the bare window of the Windows build, copied beside the game so
that both load the same Qt, each run under wine in one prefix whose server stays up: the start-up time
alone, as a ratio (an absolute time, memory or processor use under wine says little of Windows).

    /usr/bin/python3 bench/startup/startup_bench.py --wine build-windows-package/Trouvimo \\
        --minimal build-windows/bench/startup/trouvimo_minimal.exe [--runs 15]
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tests', 'desktop'))

from harness import Desktop  # noqa: E402
from xclient import MapWatch  # noqa: E402

START_BUDGET = 1.1
PSS_BUDGET = 1.2
SWITCH_BUDGET_MS = 10.0
WINDOW_SECONDS = 3.0
STREAM_TIMEOUT_SECONDS = 10.0
TICKS_PER_SECOND = os.sysconf('SC_CLK_TCK')


def cpu_ticks(pid):
    with open(f'/proc/{pid}/stat', 'rb') as stat:
        fields = stat.read().rsplit(b')', 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime, stime (fields 14 and 15 of the whole line)


def cpu_nanoseconds(pid):
    total = 0
    for task in os.listdir(f'/proc/{pid}/task'):
        try:
            with open(f'/proc/{pid}/task/{task}/schedstat') as schedstat:
                total += int(schedstat.read().split()[0])
        except OSError:  # a thread that ended meanwhile
            continue
    return total


def memory_kib(pid):
    """(PSS, RSS, private dirty) of a process, in KiB. PSS and RSS depend on which other programs map the
    same libraries at the time; the private dirty pages (heap, written data) are the program's own."""
    values = {}
    with open(f'/proc/{pid}/smaps_rollup') as rollup:
        for line in rollup:
            key, _, rest = line.partition(':')
            if key in ('Pss', 'Rss', 'Private_Dirty'):
                values[key] = int(rest.split()[0])
    return values['Pss'], values['Rss'], values['Private_Dirty']


def silent_since(desk, timeout):
    """The moment no program has a stream on the sound server any more (the bench's programs are the only
    clients that play). Polled from here, so it costs the program under measure nothing."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        streams = desk.run(['pactl', 'list', 'short', 'sink-inputs'], check=False).stdout
        if not streams.strip():
            break
        time.sleep(0.05)
    return time.monotonic()


def sleep_until(moment):
    remaining = moment - time.monotonic()
    if remaining > 0:
        time.sleep(remaining)


def measure(desk, watch, binary, mode):
    desk.set_mode(*mode)
    began = time.monotonic()
    # As on a child's desktop without a screen reader: no accessibility bridge.
    program = desk.launch(binary, name='bench', accessible=False)
    try:
        mapped = watch.first_map(program.pid, began, timeout=20)
        if mapped is None:
            raise RuntimeError(f'{binary} showed no window within 20 s:\n{program.output()}')
        shown = mapped[0]
        samples = []
        sleep_until(shown)
        samples.append((cpu_ticks(program.pid), cpu_nanoseconds(program.pid)))
        sleep_until(shown + WINDOW_SECONDS)
        samples.append((cpu_ticks(program.pid), cpu_nanoseconds(program.pid)))
        quiet_from = max(time.monotonic(), silent_since(desk, timeout=STREAM_TIMEOUT_SECONDS))
        samples.append((cpu_ticks(program.pid), cpu_nanoseconds(program.pid)))
        sleep_until(quiet_from + WINDOW_SECONDS)
        samples.append((cpu_ticks(program.pid), cpu_nanoseconds(program.pid)))
        pss, rss, dirty = memory_kib(program.pid)
        return {
            'start_ms': (shown - began) * 1000,
            'pss_mib': pss / 1024,
            'rss_mib': rss / 1024,
            'dirty_mib': dirty / 1024,
            'ticks': samples[1][0] - samples[0][0],
            'cpu_ms': (samples[1][1] - samples[0][1]) / 1e6,
            'quiet_after_s': quiet_from - shown,
            'quiet_ticks': samples[3][0] - samples[2][0],
            'quiet_cpu_ms': (samples[3][1] - samples[2][1]) / 1e6,
        }
    finally:
        program.stop()


def alternating_runs(programs, runs, measure_one):
    """{name: [measures]} of each program, run in alternating order so that whatever else the machine
    does weighs on both alike, after one unrecorded run of each, so that neither pays alone for a cold
    file cache."""
    for path in programs.values():
        measure_one(path)
    results = {name: [] for name in programs}
    for index in range(runs):
        order = list(programs) if index % 2 == 0 else list(reversed(programs))
        for name in order:
            results[name].append(measure_one(programs[name]))
    return results


def measure_wine(desk, watch, exe, env):
    """Start-up of a Windows program under wine: from just before exec to its first window mapped."""
    desk.set_mode(800, 600)
    began = time.monotonic()
    program = desk.launch('/usr/bin/wine', args=[exe], cwd=os.path.dirname(exe), env=env, name='bench',
                          accessible=False)
    try:
        mapped = watch.first_map(program.pid, began, timeout=60)
        if mapped is None:
            raise RuntimeError(f'{exe} showed no window within 60 s:\n{program.output()}')
        return {'start_ms': (mapped[0] - began) * 1000}
    finally:
        program.stop()


def run_wine(folder, minimal, runs):
    """The wine mode: returns whether the Windows game's start-up is within the budget."""
    with Desktop() as desk, MapWatch(desk.display) as watch:
        copy = os.path.join(tempfile.mkdtemp(prefix='windows-', dir=desk.dir), 'Trouvimo')
        shutil.copytree(folder, copy)
        shutil.copy2(minimal, copy)
        programs = {'game': os.path.join(copy, 'trouvimo.exe'),
                    'minimal': os.path.join(copy, os.path.basename(minimal))}
        env = dict(WINEPREFIX=os.path.join(desk.dir, 'wine'), WINEDEBUG='-all',
                   WINEDLLOVERRIDES='mscoree,mshtml=', WINEARCH='win64')
        subprocess.run(['wineboot', '-i'], env=dict(desk.env, **env), check=True, capture_output=True)
        # A persistent server, so that no run pays for starting it.
        server = subprocess.Popen(['wineserver', '-p', '-f'], env=dict(desk.env, **env))
        try:
            print(f'desktop {desk.display}, {os.cpu_count()} processors, wine; folder {copy}')
            results = alternating_runs(programs, runs, lambda exe: measure_wine(desk, watch, exe, env))
        finally:
            subprocess.run(['wineserver', '-k'], env=dict(desk.env, **env), check=False)
            server.wait(timeout=30)
    print(f'\n=== under wine, screen 800x600, {runs} runs each (median [min-max]) ===')
    for name in programs:
        start = summary(results[name], 'start_ms')
        print(f'{name:<9}{start[0]:>7.1f} [{start[1]:6.1f}-{start[2]:6.1f}] ms')
    ratio = summary(results['game'], 'start_ms')[0] / summary(results['minimal'], 'start_ms')[0]
    print(f'game/minimal under wine: start-up {ratio:.2f}x (budget {START_BUDGET}x: '
          f'{"within" if ratio <= START_BUDGET else "OVER"})')
    return ratio <= START_BUDGET


def parse_mode(text):
    width, height = text.lower().split('x')
    return int(width), int(height)


def summary(runs, key):
    values = [run[key] for run in runs]
    return statistics.median(values), min(values), max(values)


def report(mode, results, runs):
    print(f'\n=== screen {mode[0]}x{mode[1]} at start, {runs} runs each (median [min-max]) ===')
    print(f'{"program":<9}{"start-up ms":>23}{"PSS MiB":>21}{"RSS MiB":>9}{"dirty MiB":>11}'
          f'{"ticks 0-3s":>12}{"CPU ms 0-3s":>13}{"quiet from s":>14}{"ticks quiet":>13}{"CPU ms quiet (max)":>20}')
    for name in ('game', 'minimal'):
        rows = results[name]
        start, pss = summary(rows, 'start_ms'), summary(rows, 'pss_mib')
        quiet = summary(rows, 'quiet_cpu_ms')
        print(f'{name:<9}{start[0]:>7.1f} [{start[1]:6.1f}-{start[2]:6.1f}]'
              f'{pss[0]:>7.1f} [{pss[1]:5.1f}-{pss[2]:5.1f}]'
              f'{summary(rows, "rss_mib")[0]:>9.1f}{summary(rows, "dirty_mib")[0]:>11.1f}'
              f'{summary(rows, "ticks")[0]:>12.0f}{summary(rows, "cpu_ms")[0]:>13.2f}'
              f'{summary(rows, "quiet_after_s")[0]:>14.2f}'
              f'{summary(rows, "quiet_ticks")[0]:>13.0f}{quiet[0]:>12.3f} ({quiet[2]:.3f})')
    ratio = summary(results['game'], 'start_ms')[0] / summary(results['minimal'], 'start_ms')[0]
    pss_ratio = summary(results['game'], 'pss_mib')[0] / summary(results['minimal'], 'pss_mib')[0]
    dirty_ratio = summary(results['game'], 'dirty_mib')[0] / summary(results['minimal'], 'dirty_mib')[0]
    busy_runs = sum(1 for run in results['game'] if run['quiet_ticks'] > 0 or run['quiet_cpu_ms'] > 0)
    print(f'game/minimal: start-up {ratio:.2f}x (budget {START_BUDGET}x: '
          f'{"within" if ratio <= START_BUDGET else "OVER"}), PSS {pss_ratio:.2f}x (budget {PSS_BUDGET}x: '
          f'{"within" if pss_ratio <= PSS_BUDGET else "OVER"}), dirty {dirty_ratio:.2f}x; '
          f'game runs that used the processor in the quiet window: {busy_runs}/{runs} '
          f'({"idle" if busy_runs == 0 else "NOT IDLE"})')
    # Only a screen that is not switched is held to the ratios: a switched one is held to the
    # unswitched start instead.
    unswitched = mode == (800, 600)
    within = busy_runs == 0 and (not unswitched or (ratio <= START_BUDGET and pss_ratio <= PSS_BUDGET))
    return within, summary(results['game'], 'start_ms')[0]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--game')
    parser.add_argument('--wine', metavar='FOLDER', help="the Windows game's folder, measured under wine")
    parser.add_argument('--minimal', required=True)
    parser.add_argument('--runs', type=int, default=15)
    parser.add_argument('--modes', default='800x600,1024x768',
                        help='screen modes to start in, comma-separated (the game switches 1024x768 to 800x600)')
    options = parser.parse_args()
    if options.wine:
        return 0 if run_wine(os.path.abspath(options.wine), os.path.abspath(options.minimal), options.runs) else 1
    if not options.game:
        parser.error('--game or --wine is needed')
    programs = {'game': os.path.abspath(options.game), 'minimal': os.path.abspath(options.minimal)}
    for path in programs.values():
        if not os.access(path, os.X_OK):
            parser.error(f'{path} is not an executable file')

    within = True
    game_starts = {}
    with Desktop() as desk, MapWatch(desk.display) as watch:
        print(f'desktop {desk.display}, {os.cpu_count()} processors, {TICKS_PER_SECOND} ticks/s; '
              f'game {programs["game"]}; minimal {programs["minimal"]}')
        for mode in (parse_mode(text) for text in options.modes.split(',')):
            results = alternating_runs(programs, options.runs,
                                       lambda binary: measure(desk, watch, binary, mode))
            mode_within, game_starts[mode] = report(mode, results, options.runs)
            within = within and mode_within
    unswitched = game_starts.get((800, 600))
    for mode, start in game_starts.items():
        if unswitched is not None and mode != (800, 600):
            extra = start - unswitched
            print(f'game started on {mode[0]}x{mode[1]} (switched): {extra:+.1f} ms against 800x600 '
                  f'(budget {SWITCH_BUDGET_MS:+.0f} ms: {"within" if extra <= SWITCH_BUDGET_MS else "OVER"})')
            within = within and extra <= SWITCH_BUDGET_MS
    return 0 if within else 1


if __name__ == '__main__':
    sys.exit(main())
