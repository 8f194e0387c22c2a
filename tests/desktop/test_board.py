"""The game board on a real X server, read through AT-SPI and heard on a real sound server from outside
the game's process: where it stands on the switched display, the tiles a round lays out, the end
message, the ways it closes and the missing word list."""

import os
import time
import unittest

import board_game as bg
import game
import xclient
from harness import Desktop, wait_for

START_MODE = (1024, 768)
# Three words make a whole game quick.
SHORT_FRENCH = ('chat', 'zèbre', 'lion')
SHORT_ENGLISH = ('cat', 'bee', 'owl')
# What a window asks of a window manager through _MOTIF_WM_HINTS.
MWM_HINTS_FUNCTIONS, MWM_HINTS_DECORATIONS = 1, 2
MWM_FUNC_MINIMIZE, MWM_FUNC_MAXIMIZE, MWM_FUNC_CLOSE = 8, 16, 32
MWM_DECOR_TITLE, MWM_DECOR_MINIMIZE, MWM_DECOR_MAXIMIZE = 8, 32, 64
# The part of the closing chime that must reach the speakers, in seconds of the sound.
CHIME_HEARD = (0.05, 0.5)

desk = None


def setUpModule():
    global desk
    desk = unittest.enterModuleContext(Desktop())


def list_words(binary, language):
    return game.read_list(os.path.join(os.path.dirname(binary), language.list_file))


def app_without(binary, language):
    """A copy of the game without the word list of the language."""
    copy = desk.copy_app(binary)
    os.remove(os.path.join(os.path.dirname(copy), language.list_file))
    return copy


def open_board(binary, language=game.FRENCH, test=None):
    """Launches the game, opens the board in the language and returns (game, board); the game is
    stopped when the test ends, if one is given."""
    started = game.start_game(desk, binary, test)
    game.open_board(desk, started, english=language.english)
    board = bg.wait_board(desk, started.pid, lambda now: now.control('push button', language.play),
                          'the board to show its play button')
    return started, board


class BoardTest(unittest.TestCase):
    def setUp(self):
        self.binary = game.game_binary()
        self.chimes = os.path.join(os.path.dirname(self.binary), 'Sons', 'Chimes.wav')
        desk.set_mode(*START_MODE)

    def open_board(self, binary=None, language=game.FRENCH):
        return open_board(binary or self.binary, language, self)

    def wait_for_the_fanfare(self, sound):
        """Waits until the board's opening fanfare reaches the speakers, as a child hears it before
        reaching for a button. A sound asked for in the very first moments after another may reach
        the sound server late, and the closing chime is given only a moment before the end."""
        sound.wait_heard()
        # Half a second of the fanfare, as long as a child's hand takes to the mouse.
        time.sleep(0.5)

    def assert_chimed_ended_and_restored(self, started, sound):
        status = started.wait_exit()
        self.assertGreaterEqual(status, 0, f'the game died of signal {-status}:\n{started.output()}')
        desk.wait_for_mode(*START_MODE)
        # The game is gone: whatever it played is already on the sink.
        bg.wait_for_sound(sound, self.chimes, window=CHIME_HEARD)


class PlaceOnTheScreenTest(unittest.TestCase):
    """One board, opened from the start screen on a 1024 x 768 display, looked at from three sides."""

    @classmethod
    def setUpClass(cls):
        desk.set_mode(*START_MODE)
        cls.started, _board = open_board(game.game_binary())

    @classmethod
    def tearDownClass(cls):
        cls.started.stop()

    def setUp(self):
        self.board = bg.read_board(desk, self.started.pid)
        windows = desk.x_windows(self.started.pid)
        self.assertEqual(len(windows), 1, f'only the board should show, got {windows}')
        self.window = windows[0]

    def test_board_is_whole_and_centred_on_the_switched_display(self):
        desk.wait_for_mode(*game.SWITCHED_MODE)
        screen_width, screen_height = desk.screen_size()
        window = self.window
        self.assertEqual(window.title, game.FRENCH.title)
        self.assertTrue(0 <= window.x and window.x + window.width <= screen_width
                        and 0 <= window.y and window.y + window.height <= screen_height,
                        f'{window} does not fit the {screen_width}x{screen_height} screen')
        self.assertAlmostEqual(window.x, (screen_width - window.width) / 2, delta=1)
        self.assertAlmostEqual(window.y, (screen_height - window.height) / 2, delta=1)
        # Shrunk to fit, never distorted, and no smaller than the screen makes it.
        content_width, content_height = bg.CONTENT
        self.assertAlmostEqual(window.height, window.width * content_height / content_width, delta=1)
        self.assertTrue(window.width == screen_width or window.height == screen_height,
                        f'{window.width}x{window.height} leaves the screen unused on both sides')
        self.assertEqual(self.board.window.extents, (window.x, window.y, window.width, window.height))

        hint_corner = (self.board.x + self.board.px(bg.HINT_ORIGIN[0]),
                       self.board.y + self.board.px(bg.HINT_ORIGIN[1]))
        for node in self.board.window.children:
            # The hint's box starts above the window by design; the credit line has a test of its own.
            if (not node.showing or node.name.startswith('Décor')
                    or (node.role == 'label' and node.extents[:2] == hint_corner)):
                continue
            x, y, width, height = node.extents
            with self.subTest(control=f'{node.role} {node.name!r}'):
                self.assertTrue(window.x <= x and x + width <= window.x + window.width
                                and window.y <= y and y + height <= window.y + window.height,
                                f'{node.extents} is cut by the window {window}')

    def test_credit_line_text_is_not_cut_by_the_window_edge(self):
        board = self.board
        credit = board.control('label', lambda name: name.startswith('Décor') and 'Noto Color Emoji' in name)
        self.assertIsNotNone(credit, board.window.describe())
        x, y, width, _height = credit.extents
        self.assertLessEqual(x + width, board.x + board.width)
        shot = desk.screenshot()
        bottom = board.y + board.height

        def text_pixels(row):
            return sum(1 for column in range(x, x + width) if bg.is_credit_colour(shot.pixel(column, row)))
        self.assertGreater(sum(text_pixels(row) for row in range(y, bottom)), 50, 'no credit text drawn')
        self.assertEqual(text_pixels(bottom - 1), 0, 'the credit text runs into the bottom edge')

    def test_window_offers_only_a_close_box_and_keeps_its_size(self):
        window = self.window
        self.assertIn('WM_DELETE_WINDOW', desk.x_property(window.id, 'WM_PROTOCOLS') or '')
        flags, functions, decorations = (int(part, 0) for part in
                                         desk.x_property(window.id, '_MOTIF_WM_HINTS').split(',')[:3])
        self.assertTrue(flags & MWM_HINTS_FUNCTIONS and flags & MWM_HINTS_DECORATIONS)
        self.assertTrue(functions & MWM_FUNC_CLOSE)
        self.assertFalse(functions & (MWM_FUNC_MINIMIZE | MWM_FUNC_MAXIMIZE))
        self.assertTrue(decorations & MWM_DECOR_TITLE)
        self.assertFalse(decorations & (MWM_DECOR_MINIMIZE | MWM_DECOR_MAXIMIZE))
        hints = desk.run(['xprop', '-id', str(window.id), 'WM_NORMAL_HINTS']).stdout
        size = f'{window.width} by {window.height}'
        self.assertIn(f'minimum size: {size}', hints)
        self.assertIn(f'maximum size: {size}', hints)


class RoundTest(BoardTest):
    def test_play_lays_out_one_tile_per_letter_under_the_hint(self):
        for language in (game.FRENCH, game.ENGLISH):
            with self.subTest(language=language.title):
                started, board = self.open_board(language=language)
                self.assertEqual(board.window.name, language.title)
                self.assertIsNotNone(board.control('push button', language.quit))
                self.assertIsNotNone(board.control('check box', language.difficult))
                self.assertEqual(board.tiles(), [], 'no tile before the first round')

                board = bg.start_round(desk, started.pid, language)
                hint = board.hint()
                self.assertIn(hint, [word.lower() for word in list_words(self.binary, language)])
                self.assertEqual(hint, hint.lower())
                tiles = board.tiles()
                self.assertEqual(sorted(tile.name for tile in tiles), sorted(hint.upper()))
                for m, tile in enumerate(tiles):
                    left = bg.TILE_ORIGIN[0] + m * (bg.TILE_SIZE[0] + bg.TILE_GAP)
                    expected = board.rect(left, bg.TILE_ORIGIN[1], *bg.TILE_SIZE)
                    self.assertTrue(bg.close_enough(tile.extents, expected),
                                    f'tile {m} {tile.name!r} at {tile.extents}, expected {expected}')
                self.assertEqual(board.slots(), [None] * bg.SLOT_COUNT, 'the answer slots stay hidden')
                started.stop()

    def test_after_the_last_word_the_slots_spell_the_end_and_play_is_disabled(self):
        for language, words in ((game.FRENCH, SHORT_FRENCH), (game.ENGLISH, SHORT_ENGLISH)):
            with self.subTest(language=language.title):
                short = game.app_with_lists(desk, self.binary, {game.FRENCH.list_file: SHORT_FRENCH,
                                                                game.ENGLISH.list_file: SHORT_ENGLISH})
                started, board = self.open_board(short, language)
                hints = []
                for _ in words:
                    board = bg.start_round(desk, started.pid, language, hints[-1] if hints else '')
                    hints.append(board.hint())
                self.assertCountEqual(hints, words, 'each word is asked once')
                last_row = [(tile.name, tile.extents) for tile in board.row()]

                desk.click_node(board.control('push button', language.play))
                board = bg.wait_end_message(desk, started.pid, language)
                message = list(language.end_message)
                # Slots 0 to 9 show, the message from the first one on; 10 and 11 stay hidden.
                self.assertEqual(board.slots(), message + [''] * (10 - len(message)) + [None, None])
                self.assertNotIn('enabled', board.control('push button', language.play).states)
                self.assertEqual(board.hint(), hints[-1], 'the last hint stays')
                self.assertEqual([(tile.name, tile.extents) for tile in board.row()], last_row)
                started.stop()


class ClosingTest(BoardTest):
    def test_each_way_out_chimes_ends_the_game_and_restores_the_display(self):
        for how, language in (('quit button', game.FRENCH), ('quit button', game.ENGLISH),
                              ('close box', game.FRENCH), ('alt+q', game.FRENCH),
                              ('alt+q', game.ENGLISH)):
            with self.subTest(how=how, language=language.title):
                desk.set_mode(*START_MODE)
                with desk.recorder() as opening:
                    started, board = self.open_board(language=language)
                    self.wait_for_the_fanfare(opening)
                desk.wait_for_mode(*game.SWITCHED_MODE)
                window = desk.x_windows(started.pid)[0]
                with desk.recorder() as sound:
                    if how == 'quit button':
                        desk.click_node(board.control('push button', language.quit))
                    elif how == 'close box':
                        bg.press_close_box(desk.display, window.id)
                    else:
                        desk.key(how, window.id)
                    self.assert_chimed_ended_and_restored(started, sound)

    def test_access_keys_play_in_either_language(self):
        for language, key in ((game.FRENCH, 'alt+j'), (game.ENGLISH, 'alt+p')):
            with self.subTest(language=language.title):
                started, _board = self.open_board(language=language)
                desk.key(key, desk.x_windows(started.pid)[0].id)
                board = bg.wait_board(desk, started.pid, lambda now: now.hint() and now.row(),
                                      f'{key} to play')
                self.assertEqual(len(board.row()), len(board.hint()))
                started.stop()


class MissingListTest(BoardTest):
    def test_missing_list_shows_the_message_and_ends_without_a_board(self):
        for language in (game.FRENCH, game.ENGLISH):
            with self.subTest(language=language.title):
                desk.set_mode(*START_MODE)
                started = game.start_game(desk, app_without(self.binary, language), self)
                if language.english:
                    desk.click_node(game.button(desk, started.pid, game.ENGLISH.flag))
                    wait_for(lambda: 'checked' in game.button(desk, started.pid, game.ENGLISH.flag).states,
                             what='English chosen')
                with xclient.MapWatch(desk.display) as watch, desk.recorder() as opening:
                    since = time.monotonic()
                    desk.click_node(game.button(desk, started.pid, game.LAUNCH))
                    box = desk.wait_for_window(started.pid, game.MESSAGE_TITLE)
                    self.wait_for_the_fanfare(opening)
                    ok = desk.find_one(started.pid, role='push button', name='OK')
                    windows = desk.x_windows(started.pid)
                    self.assertEqual([window.title for window in windows], [game.MESSAGE_TITLE])
                    self.assertEqual([node.name for node in box.walk() if node.role == 'label' and node.showing],
                                     [game.missing_list_message(language)])
                    self.assertEqual([node.name for node in box.walk() if node.role == 'push button'], ['OK'])

                    with desk.recorder() as sound:
                        desk.click_node(ok)
                        self.assert_chimed_ended_and_restored(started, sound)
                    # The message was the only window the game showed after the launch.
                    mapped = watch.first_map(started.pid, since, timeout=0)
                    self.assertIsNotNone(mapped)
                    self.assertEqual(mapped[1], windows[0].id, 'a window appeared before the message')
                    self.assertIsNone(watch.first_map(started.pid, mapped[0] + 1e-6, timeout=0),
                                      'a window appeared after the message')


if __name__ == '__main__':
    unittest.main()
