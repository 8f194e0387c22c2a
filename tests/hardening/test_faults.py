"""Faults from outside the game: termination signals at every stage of a game, the X server going away, and
no sound server (none at all, or one that accepts the connection and then never answers).
"""

import contextlib
import os
import signal
import socket
import statistics
import threading
import time
import unittest

import hardening as h  # first: it puts tests/desktop, where the modules below lie, on the path
import board_game as bg
from xclient import MapWatch

desk = None

WORD = 'chat'
# From the signal to the end of the process, the goodbye chime's short grace included.
SIGNAL_EXIT_SECONDS = 1.0
X_GONE_EXIT_SECONDS = 5.0
STARTS_PER_SETTING = 15
# Without a sound server the start must not be slower than with one by more than this share, or by more
# than the floor when that is larger: the window shows some 50 ms after exec, and on a busy two-core
# machine the medians of the same program wander by several milliseconds, while waiting for a sound
# server would cost hundreds.
START_SPREAD = 0.10
START_NOISE_FLOOR = 0.02


def setUpModule():
    global desk
    desk = unittest.enterModuleContext(h.probed_desktop())


def one_word_copy(desktop):
    return h.game.app_with_lists(desktop, h.game.game_binary(), {h.game.FRENCH.list_file: [WORD]})


# --- the stages at which a signal arrives; each gets the running game and leaves it at that stage ----

def on_start_screen(app):
    desk.wait_for_mode(*h.game.SWITCHED_MODE)


def in_round_pause(app):
    h.game.open_board(desk, app)
    desk.click_node(bg.look(desk, app.pid).button(h.game.FRENCH.play))
    time.sleep(h.ROUND_PAUSE / 3)


def in_tile_travel(app):
    h.game.open_board(desk, app)
    _seconds, board = h.press_play(desk, app.pid)
    # The leftmost tile travels longest: about 50 ms to its slot and 110 ms down to the frame's top.
    desk.click_node(board.row()[0])
    time.sleep(0.03)


def in_reset(app):
    h.game.open_board(desk, app)
    h.press_play(desk, app.pid)
    board = bg.solve(desk, app.pid, WORD[0].upper())
    # The reset runs on the movement timers' next ticks, 10 ms after the click.
    desk.click_node(board.slot(0))


def at_end_message(app):
    h.game.open_board(desk, app)
    h.press_play(desk, app.pid)
    _seconds, board = h.press_play(desk, app.pid)
    assert board.answer() == h.game.FRENCH.end_message, board.answer()


STAGES = {
    'start screen': on_start_screen,
    'round pause': in_round_pause,
    'tile travel': in_tile_travel,
    'reset': in_reset,
    'end message': at_end_message,
}
SIGNALS = {'SIGTERM': signal.SIGTERM, 'SIGINT': signal.SIGINT, 'SIGHUP': signal.SIGHUP}


class SignalTest(unittest.TestCase):
    def check(self, stage, signal_name):
        desk.set_mode(*h.START_MODE)
        app = desk.launch(one_word_copy(desk), name='trouvimo')
        self.addCleanup(app.stop)
        desk.wait_for_window(app.pid, h.game.START_TITLE)
        STAGES[stage](app)
        self.assertTrue(app.alive())
        sent = time.monotonic()
        os.kill(app.pid, SIGNALS[signal_name])
        status = app.wait_exit(5)
        took = time.monotonic() - sent
        h.assert_clean_end(self, app, status, f'{signal_name} at the {stage}: ')
        self.assertLess(took, SIGNAL_EXIT_SECONDS, f'{signal_name} at the {stage}: ended after {took:.2f} s')
        h.wait_display_restored(desk, h.START_MODE)
        print(f'{signal_name} at the {stage}: ended after {took * 1000:.0f} ms')


def make_signal_test(stage, signal_name):
    def test(self):
        self.check(stage, signal_name)
    test.__doc__ = f'{signal_name} at the {stage}'
    return test


for stage_name in STAGES:
    for name in SIGNALS:
        setattr(SignalTest, f'test_{name.lower()}_at_{stage_name.replace(" ", "_")}',
                make_signal_test(stage_name, name))


class XServerGoneTest(unittest.TestCase):
    """The X server dies under the game: the game must end on its own, without hanging."""

    def test_game_ends_when_the_x_server_is_killed(self):
        with h.probed_desktop() as own:
            app = own.launch(one_word_copy(own), name='trouvimo')
            self.addCleanup(app.stop)
            own.wait_for_window(app.pid, h.game.START_TITLE)
            h.game.open_board(own, app)
            own.click_node(bg.look(own, app.pid).button(h.game.FRENCH.play))

            xorg = own.x_server()
            display = own.display.lstrip(':')
            own.forget_x_connection()
            killed = time.monotonic()
            xorg.kill()
            xorg.wait(5)
            # A killed server leaves its lock and socket behind; they name our display only.
            for leftover in (f'/tmp/.X{display}-lock', f'/tmp/.X11-unix/X{display}'):
                with contextlib.suppress(FileNotFoundError):
                    os.remove(leftover)
            try:
                status = app.wait_exit(X_GONE_EXIT_SECONDS)
            finally:
                took = time.monotonic() - killed
            output = app.output()
        print(f'X server killed: the game ended after {took * 1000:.0f} ms, {h.describe_exit(status)}')
        self.assertGreaterEqual(status, 0, f'the game died of a signal on its way out:\n{output}')
        self.assertEqual(h.sanitizer_report(output), '', 'a sanitizer found a fault on the way out')


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


class NoSoundServerTest(unittest.TestCase):
    """Without a sound server, or with one that never answers, the game starts as fast as with one and
    plays a whole game silently."""

    @classmethod
    def setUpClass(cls):
        cls.binary = one_word_copy(desk)
        cls.nowhere = os.path.join(desk.dir, 'no-sound-server')
        cls.silent = os.path.join(desk.dir, 'silent-sound-server')

    def settings(self):
        return {'sound server': {},
                'no sound server': {'PULSE_SERVER': 'unix:' + self.nowhere},
                'silent sound server': {'PULSE_SERVER': 'unix:' + self.silent}}

    def start_time(self, watch, env):
        began = time.monotonic()
        app = desk.launch(self.binary, name='bench', env=env, accessible=False)
        try:
            mapped = watch.first_map(app.pid, began, timeout=20)
            self.assertIsNotNone(mapped, f'no window within 20 s:\n{app.output()}')
            return mapped[0] - began
        finally:
            app.stop()

    def test_start_up_is_not_held_up(self):
        desk.set_mode(*h.START_MODE)
        times = {name: [] for name in self.settings()}
        with silent_sound_server(self.silent), MapWatch(desk.display) as watch:
            for name, env in self.settings().items():
                self.start_time(watch, env)
            for run in range(STARTS_PER_SETTING):
                order = list(self.settings().items())
                for name, env in order if run % 2 == 0 else reversed(order):
                    times[name].append(self.start_time(watch, env))
        medians = {name: statistics.median(values) for name, values in times.items()}
        print('start-up, exec to the start window mapped, median of '
              f'{STARTS_PER_SETTING}: ' + ', '.join(f'{name} {value * 1000:.0f} ms '
                                                    f'[{min(times[name]) * 1000:.0f}-{max(times[name]) * 1000:.0f}]'
                                                    for name, value in medians.items()))
        base = medians['sound server']
        for name in ('no sound server', 'silent sound server'):
            self.assertLess(medians[name] - base, max(base * START_SPREAD, START_NOISE_FLOOR),
                            f'{name}: start-up {medians[name] * 1000:.0f} ms against {base * 1000:.0f} ms '
                            'with a sound server')

    def play_whole_game(self, env):
        desk.set_mode(*h.START_MODE)
        with h.started_board(desk, self.binary, env=env) as app:
            seconds, _board = h.press_play(desk, app.pid)
            self.assertLess(seconds, h.ROUND_PAUSE + h.ANSWER_BUDGET)
            self.assertEqual(bg.solve(desk, app.pid, WORD.upper()).answer(), WORD.upper())
            seconds, board = h.press_play(desk, app.pid)
            self.assertLess(seconds, h.ROUND_PAUSE + h.ANSWER_BUDGET)
            self.assertEqual(board.answer(), h.game.FRENCH.end_message)
            status, took = h.quit_board(desk, app)
            h.assert_clean_end(self, app, status)
            self.assertLess(took, SIGNAL_EXIT_SECONDS, f'ended {took:.2f} s after the quit button')
            self.assertEqual(app.output(), '', 'the game printed something')
        h.wait_display_restored(desk)

    def test_whole_game_without_a_sound_server(self):
        self.play_whole_game({'PULSE_SERVER': 'unix:' + self.nowhere})

    def test_whole_game_with_a_sound_server_that_never_answers(self):
        with silent_sound_server(self.silent):
            self.play_whole_game({'PULSE_SERVER': 'unix:' + self.silent})


if __name__ == '__main__':
    unittest.main()
