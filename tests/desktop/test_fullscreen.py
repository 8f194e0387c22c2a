"""The board where the game does not switch the display although the monitor is larger than its design:
GNOME's own compositor (mutter, headless) with a 1920x1080 monitor, natively on Wayland and through
XWayland, and an X11 desktop whose family keeps its display with --keep-display. The board then fills the
monitor, the design scaled up and centred, and a word is played there through the accessibility
interface alone, as a switch device would, since no pointer reaches a Wayland window."""

import unittest

import game
from board_game import TILE_SIZE, TWIPS_PER_PIXEL, read_board, solve, start_round, wait_board
from game import BUTTON_ROLES, FRENCH
from harness import Desktop, WaylandDesktop

MONITOR = (1920, 1080)
# The design is 809 x 582 pixels: on 1920x1080 its height sets the scale.
FULL_SCREEN_SCALE = 1080 / 582


class FullScreenBoard:
    def play_a_word_and_quit(self, desk, app, monitor, scale):
        """Launches the board from the start screen, checks that it fills the monitor at the scale, spells
        the first word and quits."""
        desk.wait_for_window(app.pid, game.START_TITLE)
        desk.activate(desk.find_one(app.pid, role=BUTTON_ROLES, name='Lancer'), app.pid)
        board = wait_board(desk, app.pid, lambda found: found.control(BUTTON_ROLES, FRENCH.play),
                           'the board')
        self.assertEqual(tuple(board.window.extents[2:]), monitor)

        board = start_round(desk, app.pid, FRENCH)
        tile_width = board.row()[0].extents[2]
        self.assertAlmostEqual(tile_width / (TILE_SIZE[0] / TWIPS_PER_PIXEL), scale, delta=0.05)
        word = board.hint()
        solve(desk, app.pid, [letter.upper() for letter in word])
        board = wait_board(desk, app.pid, lambda found: found.picture() is not None, 'the picture')
        self.assertEqual(board.picture().name.casefold(), word.casefold())

        desk.activate(board.button(FRENCH.quit), app.pid)
        app.wait_exit()
        self.assertIsNone(read_board(desk, app.pid))


class WaylandTest(FullScreenBoard, unittest.TestCase):
    def test_the_board_fills_the_monitor_natively_and_under_xwayland(self):
        binary = game.game_binary()
        with WaylandDesktop(MONITOR) as desk:
            for xwayland in (False, True):
                with self.subTest(xwayland=xwayland):
                    app = desk.launch(binary, xwayland=xwayland)
                    try:
                        self.play_a_word_and_quit(desk, app, MONITOR, FULL_SCREEN_SCALE)
                    finally:
                        app.stop()
                    # Under XWayland the game switched nothing, so no emulated mode was left behind.
                    self.assertEqual(desk.mode(), MONITOR)


class KeptDisplayTest(FullScreenBoard, unittest.TestCase):
    def test_keep_display_leaves_the_mode_and_fills_the_monitor(self):
        binary = game.game_binary()
        with Desktop(mode=(1024, 768)) as desk:
            app = desk.launch(binary, args=['--keep-display'])
            try:
                self.play_a_word_and_quit(desk, app, (1024, 768), 1024 / 809)
            finally:
                app.stop()
            self.assertEqual(desk.mode(), (1024, 768))


if __name__ == '__main__':
    unittest.main()
