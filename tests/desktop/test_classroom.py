"""A classroom computer: a class's words for every pupil in the computer's folder, and the settings fixed
for every user in trouvimo.conf, the game played from outside on a real X server."""

import contextlib
import os
import time
import unittest

import board_game as bg
import game
from harness import Desktop, wait_for

START_MODE = (1024, 768)
# The start screen's way in to the My words window, for grown-ups.
MY_WORDS = 'Mes mots'
# The grown-ups' press, with some to spare for a busy machine.
HELD = 3.0

desk = None


def setUpModule():
    global desk
    desk = unittest.enterModuleContext(Desktop())


@contextlib.contextmanager
def written(path, content):
    """A file written for the length of the block, taken away after it."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as out:
        out.write(content)
    try:
        yield
    finally:
        os.remove(path)


def settings(**keys):
    return ('[Trouvimo]\n' + ''.join(f'{key}={str(value).lower()}\n' for key, value in keys.items())).encode()


class ClassroomTest(unittest.TestCase):
    def setUp(self):
        desk.set_mode(*START_MODE)
        self.binary = game.game_binary()

    def first_word(self):
        """Starts the game, opens the French board and plays its first word; returns the word."""
        started = game.start_game(desk, self.binary, self)
        game.open_board(desk, started)
        word = bg.start_round(desk, started.pid, game.FRENCH).hint()
        started.stop()
        return word

    def test_the_class_list_plays_unless_a_family_list_may_win(self):
        family_list = os.path.join(desk.env['XDG_DATA_HOME'], 'trouvimo', game.FRENCH.list_file)
        class_list = os.path.join(desk.class_folder, game.FRENCH.list_file)
        with written(class_list, game.list_bytes(['classe'])):
            self.assertEqual(self.first_word(), 'classe', 'a pupil without a list plays the class list')
            with written(family_list, game.list_bytes(['famille'])):
                self.assertEqual(self.first_word(), 'famille', "the family's own list wins")
                with written(desk.settings_file, settings(FamilyWords=False)):
                    self.assertEqual(self.first_word(), 'classe', "the settings leave the family's aside")

    def test_a_computer_that_keeps_its_display_is_filled(self):
        with written(desk.settings_file, settings(SwitchDisplay=False)):
            started = game.start_game(desk, self.binary, self)
            game.open_board(desk, started)
            window = wait_for(lambda: next((w for w in desk.x_windows(started.pid)
                                            if (w.width, w.height) == START_MODE), None),
                              what='the board filling the 1024x768 monitor')
            self.assertEqual((window.x, window.y), (0, 0))
            self.assertEqual(desk.mode(), START_MODE, 'the display was switched')

    def test_a_computer_that_hides_my_words_offers_no_way_in(self):
        def buttons():
            started = game.start_game(desk, self.binary, self)
            desk.find_one(started.pid, role=game.BUTTON_ROLES, name=game.LAUNCH)
            names = [node.name for node in desk.find(started.pid, role=game.BUTTON_ROLES)]
            started.stop()
            return names

        self.assertIn(MY_WORDS, buttons(), 'the start screen offers My words to grown-ups')
        with written(desk.settings_file, settings(WordsWindow=False)):
            self.assertNotIn(MY_WORDS, buttons())
            words = desk.launch(self.binary, args=['--words'], name='words')
            self.assertEqual(words.wait_exit(), 1, '--words went on without the window offered')
            self.assertEqual(desk.x_windows(words.pid, only_visible=False), [])

    def test_quitter_held_by_a_grown_up_ends_the_game_a_click_does_not(self):
        with written(desk.settings_file, settings(HoldToQuit=True)):
            started = game.start_game(desk, self.binary, self)
            game.open_board(desk, started)
            board = bg.read_board(desk, started.pid)
            quit_button = board.control('push button', game.FRENCH.quit)
            x, y, width, height = quit_button.extents
            before = desk.screenshot()
            desk.click_node(quit_button)
            # The click is answered on the button itself: how to quit shows in place of its caption.
            wait_for(lambda: bg.changed_share(before, desk.screenshot(), (x, y, width, height)) > 0.02,
                     what='the hint to hold Quitter down')
            bg.press_close_box(desk.display, desk.x_windows(started.pid)[0].id)
            bg.read_board(desk, started.pid)
            self.assertTrue(started.alive(), 'a click or the close box ended the game')

            desk.run(['xdotool', 'mousemove', str(x + width // 2), str(y + height // 2), 'mousedown', '1'])
            time.sleep(HELD)
            desk.run(['xdotool', 'mouseup', '1'])
            self.assertGreaterEqual(started.wait_exit(), 0)
            desk.wait_for_mode(*START_MODE)


if __name__ == '__main__':
    unittest.main()
