"""Orca, GNOME's screen reader, running headless beside the game in French, both speaking through one
speech-dispatcher whose log names each client and tells every command it sent, each message it queued
and how each of Orca's messages went (Orca asks the server to tell it when one ends or is cut off).

The start screen is met with Tab as it is laid out, each flag read once; a word is typed on the board
from the keyboard alone, a letter not in the word is told and the row of tiles is read as its tiles
leave; Orca's echo of each letter and its "Bravo !" are said to their end, and nothing Orca said was
cut off but by Orca itself: the game stops its own voice alone."""

import unittest

import board_game as bg
import game
from game import FRENCH
from harness import Desktop, Timeout, plain_name, wait_for

WORD = 'chat'
NOT_IN_WORD = 'pas dans le mot'
SOLVED = 'Bravo ! chat'
ORCA = 'orca'
GAME = 'trouvimo'


class OrcaBesideTheGameTest(unittest.TestCase):
    def setUp(self):
        self.desk = self.enterContext(Desktop())
        # A window manager gives the keyboard to the window that shows, as on a desktop.
        self.enterContext(self.desk.window_manager())
        self.speech = self.desk.speech_server()
        self.orca = self.enterContext(self.desk.screen_reader(self.speech))

    def focused(self):
        """The one object of the game that has the keyboard, as (role, name), or None."""
        app = self.desk.accessible_app(self.app.pid)
        found = [node for node in app.walk() if 'focused' in node.states] if app else []
        return (found[0].role, plain_name(found[0].name)) if len(found) == 1 else None

    def key_to(self, keys, role, name):
        self.desk.key(keys)
        wait_for(lambda: self.focused() == (role, name), what=f'{keys} to reach {name}')

    def wait_said(self, since, texts, whole=False, exactly=False):
        """Waits until Orca has said each of the texts (a message of its own holding it, or that is
        it but for spaces if `exactly`, the case aside) after the first `since` of its messages, each to
        its end if `whole`; returns the messages it said after those."""
        def holds(message, text):
            said, wanted = message.text.strip().casefold(), text.casefold()
            return said == wanted if exactly else wanted in said

        def found():
            messages = self.speech.messages(ORCA)[since:]
            hits = [[message for message in messages if holds(message, text)] for text in texts]
            if not all(hits):
                return None
            if whole and not all(any(message.outcome == 'END' for message in hit) for hit in hits):
                return None
            return messages
        try:
            return wait_for(found, what=f'Orca to say {texts}')
        except Timeout:
            said = [(message.text, message.outcome) for message in self.speech.messages(ORCA)[since:]]
            raise Timeout(f'Orca did not say {texts}{" whole" if whole else ""}; it said {said}') from None

    def where_am_i(self, row):
        since = len(self.speech.messages(ORCA))
        self.desk.key('KP_Enter')
        self.wait_said(since, [f'{FRENCH.title.split()[0]}', 'tuiles : ' + ', '.join(row)], whole=True)

    def test_orca_reads_the_game_and_is_never_cut_off(self):
        binary = game.app_with_lists(self.desk, game.game_binary(), {FRENCH.list_file: [WORD]})
        self.app = game.start_game(self.desk, binary, self)
        wait_for(lambda: self.focused() == ('radio button', FRENCH.flag),
                 what='the French flag to have the keyboard')

        # The start screen as laid out, from the left: Quitter, the chosen flag, Lancer.
        self.key_to('shift+Tab', 'push button', game.QUIT)
        self.wait_said(0, [game.QUIT])
        since = len(self.speech.messages(ORCA))
        self.key_to('Tab', 'radio button', FRENCH.flag)
        self.key_to('Tab', 'push button', game.LAUNCH)
        said = ' | '.join(message.text for message in self.wait_said(since, [FRENCH.flag, game.LAUNCH]))
        self.assertEqual(said.count(FRENCH.flag), 1, said)
        self.assertNotIn(game.ENGLISH.flag, said)
        self.assertLess(said.index(FRENCH.flag), said.index(game.LAUNCH), said)

        self.desk.key('Return')
        self.desk.wait_for_window(self.app.pid, FRENCH.title)
        wait_for(lambda: self.focused() == ('frame', FRENCH.title), what='the board to have the keyboard')
        since = len(self.speech.messages(ORCA))
        self.desk.key('space')
        self.wait_said(since, [WORD], whole=True)
        row = [tile.name for tile in bg.look(self.desk, self.app.pid).row()]
        self.assertCountEqual(row, WORD.upper())
        # Orca's "where am I" reads the board that has the keyboard, with its row of tiles.
        self.where_am_i(row)

        since = len(self.speech.messages(ORCA))
        self.desk.key('x')
        self.wait_said(since, [NOT_IN_WORD], whole=True)

        # Each right letter: the game sends its tile with a sound, cutting its own voice, and Orca
        # echoes the key; the next key waits until the echo has been said to its end.
        for number, letter in enumerate(WORD, 1):
            since = len(self.speech.messages(ORCA))
            self.desk.key(letter)
            self.wait_said(since, [letter], whole=True, exactly=True)
            bg.wait_board(self.desk, self.app.pid, lambda board: board.answer() == WORD[:number].upper(),
                          f'{letter!r} placed')
            row.remove(letter.upper())
            if number == 2:
                self.where_am_i(row)
        self.wait_said(since, [SOLVED], whole=True)
        self.app.stop()

        requests = self.speech.requests()
        game_requests = [request for request in requests if f':{GAME}:' in request.client.lower()]
        self.assertTrue(game_requests, 'the game never reached the speech server')
        self.assertIn(WORD, self.speech.said(GAME))
        self.assertIn(('SET', 'self priority message'),
                      [(request.command, request.argument.lower()) for request in game_requests])
        cancels = {request.argument.upper() for request in game_requests if request.command == 'CANCEL'}
        self.assertLessEqual(cancels, {'SELF'}, 'the game cancelled what others say')
        for message in self.speech.messages(ORCA):
            if message.outcome != 'CANCELED':
                continue
            between = requests[message.queued_after:message.ended_after]
            self.assertTrue(any(request.command in ('CANCEL', 'STOP') and f':{ORCA}:' in request.client.lower()
                                for request in between),
                            f"Orca's {message.text!r} was cut off, and not by Orca: {between}")


if __name__ == '__main__':
    unittest.main()
