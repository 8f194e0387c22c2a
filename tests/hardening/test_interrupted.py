"""A run of the tests ended from outside in the middle of a game: by a CI timeout's SIGTERM, to the run or
to the runner that waits for it (ctest leaves its tests running when it is ended), by Ctrl+C in a
terminal (SIGINT to the whole foreground process group), by SIGKILL. Whatever ends it, nothing that it
started may stay behind: not the game, its display guardian, the speech server the game started, the X
and sound servers or the accessibility bus; the X server's lock file and the desktop's folder go too.

The run is the soak of bench/soak, which plays a real game on a private desktop as every desktop test
does. Its processes are found by a variable of our own in their environment, which everything it starts
inherits.
"""

import os
import signal
import subprocess
import sys
import unittest
import uuid

import hardening as h  # first: it puts tests/desktop, where the modules below lie, on the path
from harness import PATIENT, wait_for
from sweeper import marked_processes

SOAK = os.path.join(h.HERE, '..', '..', 'bench', 'soak', 'soak.py')
RUN_TAG = 'TROUVIMO_INTERRUPTED_RUN'
GUARD = 'trouvimo-display-guard'


def executable_name(pid):
    try:
        return os.path.basename(os.readlink(f'/proc/{pid}/exe').removesuffix(' (deleted)'))
    except OSError:
        return None


def environment_of(pid):
    try:
        with open(f'/proc/{pid}/environ', 'rb') as environ:
            entries = environ.read().split(b'\0')
    except OSError:
        return {}
    return dict(entry.decode(errors='replace').partition('=')[::2] for entry in entries if b'=' in entry)


class InterruptedRunTest(unittest.TestCase):
    def run_and_interrupt(self, how):
        binary = h.game.game_binary()
        tag = f'{RUN_TAG}={uuid.uuid4().hex}'
        name, value = tag.split('=')
        log_path = os.path.join(os.environ.get('TMPDIR', '/tmp'), f'interrupted-{value}.log')
        self.addCleanup(lambda: os.path.exists(log_path) and os.remove(log_path))
        with open(log_path, 'wb') as log:
            # A session of its own, as a job started from a shell or by CI is a group apart from ours.
            command = [sys.executable, SOAK, '--seconds', '600', '--warm-up', '300', '--game', binary, '--seed', '1']
            if how.endswith('runner'):
                # A runner that waits for the run as ctest does, and leaves it running when it is ended.
                command = ['/bin/sh', '-c', '"$@"; true', 'runner', *command]
            soak = subprocess.Popen(command, env=dict(os.environ, **{name: value}), stdout=log,
                                    stderr=subprocess.STDOUT, start_new_session=True)
        self.addCleanup(lambda: soak.poll() is None and soak.kill())

        def names():
            return {executable_name(pid) for pid in marked_processes(tag.encode())}
        # In the middle of a game: the game plays, its guardian watches the switched display, the speech
        # server that the board started runs, and so does the accessibility bus.
        wanted = {'trouvimo', GUARD, 'at-spi-bus-launcher', 'speech-dispatcher'}
        wait_for(lambda: soak.poll() is not None or wanted <= names(), timeout=4 * PATIENT,
                 what=f'a game in full swing ({", ".join(sorted(wanted))})')
        self.assertIsNone(soak.poll(), 'the soak ended by itself:\n' + _read(log_path))
        game = next(pid for pid in marked_processes(tag.encode()) if executable_name(pid) == 'trouvimo')
        desktop = environment_of(game).get('TROUVIMO_DESKTOP')
        display = environment_of(game).get('DISPLAY')
        self.assertTrue(desktop and display, 'the game runs outside a test desktop')

        if how == 'SIGINT to the group':
            os.killpg(soak.pid, signal.SIGINT)
        else:
            soak.send_signal(signal.Signals[how.split()[0]])
        soak.wait(2 * PATIENT)

        def left():
            return {pid: executable_name(pid) for pid in marked_processes(tag.encode())}
        try:
            wait_for(lambda: not left(), timeout=2 * PATIENT, what='every process of the run to end')
        except AssertionError:
            self.fail(f'{how}: left behind {left()}\n{_read(log_path)}')
        wait_for(lambda: not os.path.exists(desktop), what=f'{desktop} to be removed')
        number = display.lstrip(':')
        leftovers = (f'/tmp/.X{number}-lock', f'/tmp/.X11-unix/X{number}')
        try:
            wait_for(lambda: not any(os.path.exists(leftover) for leftover in leftovers),
                     what="the X server's lock and socket to be removed")
        except AssertionError:
            self.fail(f'{how}: {[path for path in leftovers if os.path.exists(path)]} left behind')

    def test_nothing_of_an_interrupted_run_stays_behind(self):
        for how in ('SIGTERM to the run', 'SIGINT to the group', 'SIGKILL to the run', 'SIGTERM to its runner'):
            with self.subTest(how=how):
                self.run_and_interrupt(how)


def _read(path):
    with open(path, errors='replace') as handle:
        return handle.read()[-3000:]


if __name__ == '__main__':
    unittest.main()
