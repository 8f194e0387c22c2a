"""Time of `trouvimo --check` on a spelling dictionary rather than a class's list: Debian's French word list
(package wfrench, /usr/share/dict/french, 346,205 lines) as ListeMots.txt and its British English one
(package wbritish, /usr/share/dict/british-english, 103,494 lines) as ListeMotsAnglais.txt, in a family's
own folder of their own, with the game's pictures.

    /usr/bin/python3 bench/check/check_bench.py [--game build/app/trouvimo] [--runs 7]
        [--french /usr/share/dict/french] [--english /usr/share/dict/british-english]

The game (--game, else TROUVIMO_BIN, else build/app/trouvimo) runs with XDG_DATA_HOME and HOME in a scratch
folder that holds the two lists in trouvimo/, LANG=C.UTF-8 and no display, its report going to a file.
Its reference in the same run is a program that only reads the same two files to their ends and counts
their lines (`wc -l`), started the same way; runs of the two alternate, after one unrecorded run of each
(so that neither pays alone for a cold file cache). For each: the median and the slowest wall time, then
the ratio of the medians.
Budget: the check ends within 3 s on these lists, every run. The exit status is 1 when the budget is
missed, 2 when the check did not report what these lists call for: exit status 1, for each list the
lines the game leaves unread and the count of its words without a picture.
"""

import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, '..', '..'))
BUDGET_SECONDS = 3.0


def run(argv, env, out):
    """Wall time in seconds and exit status of one run."""
    start = time.perf_counter()
    status = subprocess.call(argv, env=env, stdout=out, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)
    return time.perf_counter() - start, status


def check_report(path, lists):
    """What is wrong with the report for these lists, or None."""
    with open(path, encoding='utf-8') as report:
        lines = report.read().splitlines()
    for list_path in lists:
        if not any(re.fullmatch(re.escape(list_path) + r': the game reads 32767 lines, .*; lines left unread: \d+', line)
                   for line in lines):
            return f'no line says how many lines of {list_path} the game leaves unread'
        if not any(re.fullmatch(re.escape(list_path) + r': words without a picture: \d+ of \d+', line)
                   for line in lines):
            return f'no line counts the words of {list_path} without a picture'
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--game', default=os.environ.get('TROUVIMO_BIN', os.path.join(ROOT, 'build', 'app', 'trouvimo')))
    parser.add_argument('--runs', type=int, default=7)
    parser.add_argument('--french', default='/usr/share/dict/french')
    parser.add_argument('--english', default='/usr/share/dict/british-english')
    options = parser.parse_args()
    game = os.path.abspath(options.game)
    if not os.access(game, os.X_OK):
        parser.error(f'{game} is not an executable file')
    for path, package in ((options.french, 'wfrench'), (options.english, 'wbritish')):
        if not os.path.isfile(path):
            parser.error(f'{path} is missing: apt-get install {package}')

    with tempfile.TemporaryDirectory(prefix='trouvimo-check-bench-') as scratch:
        own = os.path.join(scratch, 'data', 'trouvimo')
        os.makedirs(own)
        lists = [os.path.join(own, 'ListeMots.txt'), os.path.join(own, 'ListeMotsAnglais.txt')]
        shutil.copyfile(options.french, lists[0])
        shutil.copyfile(options.english, lists[1])
        env = {name: value for name, value in os.environ.items()
               if name not in ('DISPLAY', 'WAYLAND_DISPLAY', 'QT_QPA_PLATFORM', 'LANGUAGE', 'LC_ALL', 'LC_MESSAGES')}
        env.update(HOME=scratch, XDG_DATA_HOME=os.path.join(scratch, 'data'), LANG='C.UTF-8')
        programs = {'check': [game, '--check'], 'reading': ['wc', '-l'] + lists}
        report = os.path.join(scratch, 'report.txt')
        sizes = ', '.join(f'{os.path.basename(p)} {os.path.getsize(p)} bytes' for p in lists)
        print(f'{os.cpu_count()} processors; game {game}; lists {sizes}')

        results = {name: [] for name in programs}
        for index in range(options.runs + 1):
            order = list(programs) if index % 2 == 0 else list(reversed(programs))
            for name in order:
                with open(report if name == 'check' else os.devnull, 'wb') as out:
                    elapsed, status = run(programs[name], env, out)
                if name == 'check':
                    if status != 1:
                        print(f'the check exited with {status}, not 1')
                        return 2
                    wrong = check_report(report, lists)
                    if wrong:
                        print(wrong)
                        return 2
                if index > 0:
                    results[name].append(elapsed)

        with open(report, encoding='utf-8') as text:
            report_lines = text.read().splitlines()
        summary = [line for line in report_lines if line.split(': ')[0] in lists] + report_lines[-1:]
        print('the report:', len(report_lines), 'lines; its summary:')
        for line in summary:
            print('   ', line.replace(scratch, '<scratch>'))

    medians = {}
    for name, times in results.items():
        medians[name] = statistics.median(times)
        print(f'{name:8} median {medians[name] * 1000:8.1f} ms, slowest {max(times) * 1000:8.1f} ms '
              f'({options.runs} runs)')
    slowest = max(results['check'])
    within = slowest <= BUDGET_SECONDS
    print(f'check / reading the same lists: {medians["check"] / medians["reading"]:.1f} times; '
          f'slowest check {slowest:.2f} s (budget {BUDGET_SECONDS:.0f} s: {"within" if within else "OVER"})')
    return 0 if within else 1


if __name__ == '__main__':
    sys.exit(main())
