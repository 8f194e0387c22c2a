"""What the tests know about Trouvimo itself: its binary, its windows, its two languages, its word lists
and how to reach the board."""

import os
import unittest
from dataclasses import dataclass

from harness import PATIENT, Timeout, matches, wait_for

START_TITLE = 'Trouvimo'
START_SIZE = (580, 261)
SWITCHED_MODE = (800, 600)
# The start screen speaks French whichever language is picked on it.
LAUNCH = 'Lancer'
QUIT = 'Quitter'
# The title of the message that tells of a missing list.
MESSAGE_TITLE = 'Trouvimo'


@dataclass(frozen=True)
class Language:
    """What the game shows and reads in one of its languages."""
    english: bool
    flag: str  # the start screen's button that picks the language
    title: str  # the board's window title
    play: str
    quit: str
    difficult: str
    end_message: str
    list_file: str
    pictures: str  # the folder of the words' pictures, relative to the application directory

    def picture(self, word):
        """Where the picture of a word lies, relative to the application directory."""
        return os.path.join(self.pictures, word.upper() + '.gif')


FRENCH = Language(english=False, flag='Français', title='TROUVIMO ...', play='Jouer', quit='Quitter',
                  difficult='Niveau difficile', end_message="C'EST FINI", list_file='ListeMots.txt',
                  pictures=os.path.join('Images', 'Mots'))
ENGLISH = Language(english=True, flag='English', title='Trouvimo ...', play='Play', quit='Quit',
                   difficult='Difficult Level', end_message='THE END', list_file='ListeMotsAnglais.txt',
                   pictures=os.path.join('Images', 'MotsAnglais'))
LANGUAGES = (FRENCH, ENGLISH)
BUTTON_ROLES = frozenset({'push button', 'toggle button', 'radio button', 'check box'})
# The sounds the game plays at its steps (the greeting, the board opening, a tile, a reset, a word found,
# the next word and the end).
CUE_SOUNDS = ('Camera.wav', 'Cashreg.wav', 'Chimes.wav', 'Logoff.wav', 'Tada.wav', 'fanfare4.wav')
# The game reads its word lists as single-byte Windows text, one word a line.
LIST_ENCODING = 'cp1252'
LIST_LINE_END = '\r\n'


def game_binary():
    """The game to test, from TROUVIMO_BIN; the calling test is skipped when it is not given."""
    path = os.environ.get('TROUVIMO_BIN')
    if not path:
        raise unittest.SkipTest('TROUVIMO_BIN names no game binary')
    if not os.access(path, os.X_OK):
        raise AssertionError(f'TROUVIMO_BIN={path} is not an executable file')
    return path


def missing_list_message(language):
    """The message that the game shows when the list of the language is missing; it is in French in
    both languages."""
    return (f'Le fichier {language.list_file} doit se trouver à la racine du répertoire pour que le jeu '
            'fonctionne correctement.')


def list_bytes(words):
    """A list file as the game reads it, holding the given words."""
    return ''.join(word + LIST_LINE_END for word in words).encode(LIST_ENCODING)


def read_list(path):
    """The words of a list file, its empty lines left out."""
    with open(path, 'rb') as words:
        return [line for line in words.read().decode(LIST_ENCODING).split(LIST_LINE_END) if line]


def app_with_lists(desk, binary, lists):
    """A copy of the game whose lists, {list file name: words}, hold only the given words; the other
    lists stay the game's own."""
    return desk.copy_app(binary, {name: list_bytes(words) for name, words in lists.items()})


def quiet_app(desk, words, extra_files=()):
    """A copy of the game whose French list holds the given words and which plays none of its cue sounds,
    so that whatever is heard is a word said."""
    binary = desk.copy_app(game_binary(), {FRENCH.list_file: list_bytes(words), **dict(extra_files)})
    for cue in CUE_SOUNDS:
        os.remove(os.path.join(os.path.dirname(binary), 'Sons', cue))
    return binary


def start_game(desk, binary, test=None, **launch):
    """Launches the game (launch: more of Desktop.launch's arguments) and waits for its start screen; the
    game is stopped when the test ends."""
    game = desk.launch(binary, name='trouvimo', **launch)
    if test is not None:
        test.addCleanup(game.stop)
    desk.wait_for_window(game.pid, START_TITLE)
    return game


def button(desk, pid, name):
    """The one showing button with that accessible name, whatever kind of button it is."""
    return desk.find_one(pid, role=BUTTON_ROLES, name=name)


def flag_buttons(desk, pid):
    return button(desk, pid, FRENCH.flag), button(desk, pid, ENGLISH.flag)


def open_board(desk, game, english=False, timeout=PATIENT):
    """From the start screen: picks the language, clicks the launch button and waits until the start
    screen has gone and the board shows; returns the board's accessible window."""
    if english:
        desk.click_node(button(desk, game.pid, ENGLISH.flag))
        wait_for(lambda: 'checked' in button(desk, game.pid, ENGLISH.flag).states, what='English chosen')
    desk.click_node(button(desk, game.pid, LAUNCH))

    def board_only():
        windows = [window for window in desk.windows(game.pid) if window.showing]
        boards = [window for window in windows
                  if any(matches(window, name=language.title) for language in LANGUAGES)]
        starts = [window for window in windows if matches(window, name=START_TITLE)]
        return boards[0] if len(boards) == 1 and not starts else None
    try:
        return wait_for(board_only, timeout=timeout, what='the board instead of the start screen')
    except Timeout:
        app = desk.accessible_app(game.pid)
        raise Timeout('the board did not replace the start screen:\n'
                      + (app.describe() if app else '(the game is gone)')) from None
