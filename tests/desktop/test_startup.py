"""The start screen on a real X server, heard on a real sound server and read through AT-SPI, from outside
the game's process, as the child, the parent's screen and a screen reader meet it."""

import unittest

import game
from harness import Desktop, wait_for

desk = None


def setUpModule():
    global desk
    desk = unittest.enterModuleContext(Desktop())


class StartScreenTest(unittest.TestCase):
    def setUp(self):
        self.binary = game.game_binary()

    def start_at(self, mode):
        desk.set_mode(*mode)
        self.assertEqual(desk.mode(), mode)

    def start_window(self, pid):
        windows = desk.x_windows(pid)
        self.assertEqual(len(windows), 1, f'one visible top-level window expected, got {windows}')
        return windows[0]

    def assert_centred(self, window, screen):
        width, height = game.START_SIZE
        self.assertEqual((window.width, window.height), (width, height))
        self.assertAlmostEqual(window.x, (screen[0] - width) / 2, delta=1)
        self.assertAlmostEqual(window.y, (screen[1] - height) / 2, delta=1)

    def assert_ended_normally(self, started):
        status = started.wait_exit()
        self.assertGreaterEqual(status, 0, f'the game died of signal {-status}:\n{started.output()}')


class SwitchingScreenTest(StartScreenTest):
    """A 1024 x 768 screen: the start screen switches it to 800 x 600."""

    def setUp(self):
        super().setUp()
        self.start_at((1024, 768))

    def test_switches_greets_and_shows_the_frameless_window_centred(self):
        with desk.recorder() as greeting:
            started = game.start_game(desk, self.binary, self)
            desk.wait_for_mode(*game.SWITCHED_MODE)
            greeting.wait_heard()
        self.assertTrue(greeting.result().heard)

        window = self.start_window(started.pid)
        self.assertEqual(window.title, game.START_TITLE)
        self.assertTrue(window.viewable)
        self.assertEqual(desk.motif_decorations(window.id), 0, 'the start window must have no frame')
        self.assert_centred(window, game.SWITCHED_MODE)

        accessible = desk.wait_for_window(started.pid, game.START_TITLE)
        self.assertEqual(accessible.extents, (window.x, window.y, window.width, window.height))

    def test_controls_are_visible_to_a_screen_reader(self):
        started = game.start_game(desk, self.binary, self)
        window = desk.wait_for_window(started.pid, game.START_TITLE)
        left, top, width, height = window.extents
        for name, role in ((game.LAUNCH, 'push button'), (game.QUIT, 'push button'),
                           (game.FRENCH.flag, None), (game.ENGLISH.flag, None)):
            with self.subTest(control=name):
                control = game.button(desk, started.pid, name)
                if role is not None:
                    self.assertEqual(control.role, role)
                self.assertTrue({'showing', 'visible', 'enabled'} <= control.states, control.states)
                x, y, w, h = control.extents
                self.assertTrue(w > 0 and h > 0)
                self.assertTrue(left <= x and x + w <= left + width and top <= y and y + h <= top + height,
                                f'{name} at {control.extents} lies outside the window {window.extents}')

    def test_exactly_one_flag_is_chosen_French_first(self):
        started = game.start_game(desk, self.binary, self)
        french, english = game.flag_buttons(desk, started.pid)
        self.assertIn('checked', french.states)
        self.assertNotIn('checked', english.states)

        for clicked, other in ((game.ENGLISH.flag, game.FRENCH.flag), (game.FRENCH.flag, game.ENGLISH.flag),
                               (game.FRENCH.flag, game.ENGLISH.flag)):
            with self.subTest(clicked=clicked):
                desk.click_node(game.button(desk, started.pid, clicked))
                wait_for(lambda: 'checked' in game.button(desk, started.pid, clicked).states,
                         what=f'{clicked} chosen')
                self.assertNotIn('checked', game.button(desk, started.pid, other).states)

    def test_quit_button_ends_the_game_and_restores_the_display(self):
        started = game.start_game(desk, self.binary, self)
        desk.wait_for_mode(*game.SWITCHED_MODE)
        desk.click_node(game.button(desk, started.pid, game.QUIT))
        self.assert_ended_normally(started)
        desk.wait_for_mode(1024, 768)

    def test_alt_q_quits(self):
        started = game.start_game(desk, self.binary, self)
        window = self.start_window(started.pid)
        desk.key('alt+q', window.id)
        self.assert_ended_normally(started)
        desk.wait_for_mode(1024, 768)


class KeptScreenTest(StartScreenTest):
    """Screens that already have the width 800 or the height 600 are left as they are."""

    MODES = ((800, 600), (1280, 600), (800, 480))

    def test_screen_is_not_switched_and_quitting_leaves_it(self):
        for mode in self.MODES:
            with self.subTest(mode=mode):
                self.start_at(mode)
                with desk.recorder() as greeting:
                    started = game.start_game(desk, self.binary, self)
                    greeting.wait_heard()
                try:
                    window = self.start_window(started.pid)
                    self.assertEqual(desk.mode(), mode)
                    self.assertEqual(desk.screen_size(), mode)
                    self.assert_centred(window, mode)

                    desk.click_node(game.button(desk, started.pid, game.QUIT))
                    self.assert_ended_normally(started)
                    self.assertEqual(desk.mode(), mode)
                    self.assertEqual(desk.screen_size(), mode)
                finally:
                    # The next mode's game must not find this one's window still in its way.
                    started.stop()


if __name__ == '__main__':
    unittest.main()
