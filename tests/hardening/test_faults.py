"""Faults from outside the game: termination signals at every stage of a game, the X server going away
after a word was said, and no sound server (none at all, or one that accepts the connection and then never
answers).

Each waits for the game to end, or to answer, with the harness's generous limits: how soon it does is
measured by bench/board/faults_bench.py, not judged here.
"""

import contextlib
import os
import signal
import time
import unittest

import hardening as h  # first: it puts tests/desktop, where the modules below lie, on the path
import board_game as bg
from harness import PATIENT

desk = None

WORD = 'chat'


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
        status = app.wait_exit()
        took = time.monotonic() - sent
        h.assert_clean_end(self, app, status, f'{signal_name} at the {stage}: ')
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
    """The X server dies under the game just after the board said a word, while the speech server goes on
    running, as it does when a desktop session ends: the game must end on its own, without hanging."""

    def test_game_ends_when_the_x_server_is_killed_after_a_word_was_said(self):
        with h.probed_desktop() as own:
            binary = h.game.quiet_app(own, [WORD])
            # The speech server runs already, as a desktop session starts it.
            own.run(['speech-dispatcher', '--spawn'], check=False)
            app = own.launch(binary, name='trouvimo')
            self.addCleanup(app.stop)
            own.wait_for_window(app.pid, h.game.START_TITLE)
            h.game.open_board(own, app)
            with own.recorder() as said:
                own.click_node(bg.look(own, app.pid).button(h.game.FRENCH.play))
                # Without cue sounds, what is heard is the word.
                said.wait_heard(2 * PATIENT)

            xorg = own.x_server()
            display = own.display.lstrip(':')
            own.forget_x_connection()
            killed = time.monotonic()
            xorg.kill()
            xorg.wait()
            # A killed server leaves its lock and socket behind; they name our display only.
            for leftover in (f'/tmp/.X{display}-lock', f'/tmp/.X11-unix/X{display}'):
                with contextlib.suppress(FileNotFoundError):
                    os.remove(leftover)
            try:
                status = app.wait_exit()
            finally:
                took = time.monotonic() - killed
            output = app.output()
        print(f'X server killed: the game ended after {took * 1000:.0f} ms, {h.describe_exit(status)}')
        self.assertGreaterEqual(status, 0, f'the game died of a signal on its way out:\n{output}')
        self.assertEqual(h.sanitizer_report(output), '', 'a sanitizer found a fault on the way out')


class NoSoundServerTest(unittest.TestCase):
    """Without a sound server, or with one that never answers, the game plays a whole game silently."""

    @classmethod
    def setUpClass(cls):
        cls.binary = one_word_copy(desk)
        cls.nowhere = os.path.join(desk.dir, 'no-sound-server')
        cls.silent = os.path.join(desk.dir, 'silent-sound-server')

    def play_whole_game(self, env):
        desk.set_mode(*h.START_MODE)
        with h.started_board(desk, self.binary, env=env) as app:
            _seconds, _board = h.press_play(desk, app.pid)
            self.assertEqual(bg.solve(desk, app.pid, WORD.upper()).answer(), WORD.upper())
            _seconds, board = h.press_play(desk, app.pid)
            self.assertEqual(board.answer(), h.game.FRENCH.end_message)
            status, _took = h.quit_board(desk, app)
            h.assert_clean_end(self, app, status)
            self.assertEqual(app.output(), '', 'the game printed something')
        h.wait_display_restored(desk)

    def test_whole_game_without_a_sound_server(self):
        self.play_whole_game({'PULSE_SERVER': 'unix:' + self.nowhere})

    def test_whole_game_with_a_sound_server_that_never_answers(self):
        with h.silent_sound_server(self.silent):
            self.play_whole_game({'PULSE_SERVER': 'unix:' + self.silent})


if __name__ == '__main__':
    unittest.main()
