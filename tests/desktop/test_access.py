"""A whole game from the keyboard alone, under a window manager, followed as a screen reader follows it:
the roles and order of the controls, where the keyboard is, and what the game announces, all read through
AT-SPI. A screen reader speaks a notification as it shows; the board announces the word it lays out, the
word once spelled and the end of the list that way."""

import unittest

import board_game as bg
import game
from harness import Desktop, Timeout, plain_name, wait_for

START_MODE = (1024, 768)
# Three words of letters a keyboard without accents types as they are, none repeated in a word.
WORDS = {game.FRENCH: ('chat', 'lion', 'loup'), game.ENGLISH: ('cat', 'dog', 'owl')}
SOLVED = {game.FRENCH: 'Bravo ! {}', game.ENGLISH: 'Well done! {}'}
SPEAKER = {game.FRENCH: 'Redire le mot', game.ENGLISH: 'Say the word again'}
VOICE = {game.FRENCH: 'Voix', game.ENGLISH: 'Voice'}
# What one letter typed on the board may tell a screen reader: its tile goes, its slot takes the letter
# and shows. A board that names every label again at each tick of its timers tells it hundreds of times.
EVENTS_PER_KEYSTROKE = 5

desk = None


def setUpModule():
    global desk
    desk = unittest.enterModuleContext(Desktop(mode=START_MODE))
    # Programs learn of the listeners as they start.
    desk.listen()
    unittest.enterModuleContext(desk.window_manager())


def focused(pid):
    """The one object that has the keyboard, as (role, name), or None."""
    app = desk.accessible_app(pid)
    found = [node for node in app.walk() if 'focused' in node.states] if app else []
    return (found[0].role, plain_name(found[0].name)) if len(found) == 1 else None


class Listener:
    """What the game announces, in order, from the events it sends."""

    def __init__(self, pid):
        self.pid = pid
        self.announced = []

    def drain(self):
        events = desk.events(self.pid)
        self.announced += [event['name'] for event in events
                           if event['role'] == 'notification' and event['detail1'] == 1
                           and event['type'] == 'object:state-changed:showing']
        return events

    def wait(self, text):
        """Waits until the game has announced the text; returns the announcements since the last wait."""
        try:
            wait_for(lambda: self.drain() is not None and text in self.announced, what=f'{text!r} announced')
        except Timeout:
            raise Timeout(f'{text!r} was not announced; heard {self.announced}') from None
        heard, self.announced = self.announced, []
        return heard


class KeyboardGameTest(unittest.TestCase):
    def setUp(self):
        self.binary = game.game_binary()
        desk.set_mode(*START_MODE)

    def wait_focus(self, role, name, what):
        return wait_for(lambda: focused(self.started.pid) == (role, name), what=what)

    def type_word(self, word, listener, language):
        """Types the word's letters on the board and waits until it is announced as spelled; the first
        letter's events are counted."""
        listener.drain()
        desk.key(word[0])
        bg.wait_board(desk, self.started.pid, lambda now: now.answer() == word[0].upper(),
                      f'{word[0]!r} typed to fill the first slot')
        events = listener.drain()
        self.assertLessEqual(len(events), EVENTS_PER_KEYSTROKE,
                             'one keystroke told a screen reader:\n' + '\n'.join(map(str, events)))
        desk.key(' '.join(word[1:]))
        self.assertEqual(listener.wait(SOLVED[language].format(word)), [SOLVED[language].format(word)])

    def assert_read_in_screen_order(self, board, language):
        """The board's controls as a screen reader reads them, those that show: the red word, the
        speaker, the tiles and the slots from the left, the picture, the buttons, the check boxes, the
        credit line and the last announcement."""
        shown = [node for node in board.window.children if node.showing]
        letters = board.tiles() + board.shown_slots()
        picture = [board.picture()] if board.picture() else []
        expected = ([('label', board.hint()), ('push button', SPEAKER[language])]
                    + [('label', node.name) for node in letters] + [('image', node.name) for node in picture]
                    + [('push button', language.play), ('push button', language.quit),
                       ('check box', language.difficult), ('check box', VOICE[language])])
        self.assertEqual([(node.role, plain_name(node.name)) for node in shown[:len(expected)]], expected,
                         board.window.describe())
        self.assertEqual([node.extents for node in shown[2:2 + len(letters)]], [node.extents for node in letters])
        self.assertTrue(shown[-2].role == 'label' and shown[-2].name.startswith('Décor'), board.window.describe())
        self.assertEqual(shown[-1].role, 'notification')
        self.assertEqual(len(shown), len(expected) + 2, board.window.describe())

    def test_a_whole_list_played_from_the_keyboard(self):
        for language, keys_to_launch in ((game.FRENCH, 'Tab Return'), (game.ENGLISH, 'Down Tab Return')):
            with self.subTest(language=language.title):
                self.play_list(language, keys_to_launch)

    def play_list(self, language, keys_to_launch):
        words = WORDS[language]
        copy = game.app_with_lists(desk, self.binary, {language.list_file: words})
        self.started = game.start_game(desk, copy, self)
        pid = self.started.pid
        listener = Listener(pid)

        start = desk.wait_for_window(pid, game.START_TITLE)
        self.assertEqual(start.role, 'frame')
        flags = [node for node in start.walk() if node.name in (game.FRENCH.flag, game.ENGLISH.flag)]
        self.assertEqual([node.role for node in flags], ['radio button', 'radio button'])
        self.wait_focus('radio button', 'Français', 'the French flag to have the keyboard')
        # The keys choose the language and press Lancer.
        desk.key(keys_to_launch)
        board_window = desk.wait_for_window(pid, language.title)
        self.assertEqual(board_window.role, 'frame')
        self.wait_focus('frame', language.title, 'the board itself to have the keyboard')

        # First word: Space on the board; the word is announced as it is laid out.
        desk.key('space')
        board = bg.wait_board(desk, pid, lambda now: now.hint() and now.row(), 'the first word')
        hints = [board.hint()]
        self.assertEqual(listener.wait(board.hint()), [board.hint()])
        self.assert_read_in_screen_order(board, language)
        self.type_word(board.hint(), listener, language)
        board = bg.look(desk, pid)
        self.assertEqual(board.picture().name, board.hint().upper())
        self.assert_read_in_screen_order(board, language)

        # Second and third words: Tab to the play button, past the speaker, and Enter presses it; the
        # letters typed there still reach the tiles.
        desk.key('Tab')
        self.wait_focus('push button', SPEAKER[language], 'Tab to reach the speaker')
        desk.key('Tab')
        self.wait_focus('push button', language.play, 'Tab to reach the play button')
        for number in (2, 3):
            previous = bg.look(desk, pid).hint()
            desk.key('Return')
            board = bg.wait_board(desk, pid, lambda now: now.hint() not in ('', previous) and now.row(),
                                  f'Enter on the play button to lay out word {number}')
            hints.append(board.hint())
            self.assertEqual(listener.wait(board.hint()), [board.hint()])
            if number == 2:
                self.type_word(board.hint(), listener, language)

        self.assertCountEqual(hints, words, 'each word is asked once')

        # The end: told apart from a word, the play button disabled, and the keyboard back on the board
        # itself, where Space and the letters of the tiles still in the row change nothing.
        last_row = [(tile.name, tile.extents) for tile in board.row()]
        desk.key('Return')
        board = bg.wait_end_message(desk, pid, language)
        self.assertEqual(listener.wait(language.end_message), [language.end_message])
        self.assertNotIn('enabled', board.control('push button', language.play).states)
        self.wait_focus('frame', language.title, 'the keyboard to go back to the board')
        desk.key(' '.join(['space', 'Return'] + [name.lower() for name, _place in last_row]))
        desk.key('Tab')
        self.wait_focus('push button', language.quit, 'Tab to reach the quit button')
        self.assertTrue(self.started.alive(), 'Space or Enter on the board ended the game')
        board = bg.look(desk, pid)
        self.assertEqual(board.slots()[:len(language.end_message)], list(language.end_message))
        self.assertEqual([(tile.name, tile.extents) for tile in board.row()], last_row)
        listener.drain()
        self.assertEqual(listener.announced, [])

        # Enter presses the quit button, which ends the game as a click would.
        desk.key('Return')
        status = self.started.wait_exit()
        self.assertGreaterEqual(status, 0, f'the game died of signal {-status}')
        desk.wait_for_mode(*START_MODE)


if __name__ == '__main__':
    unittest.main()
