"""What the desktop tests know about Trouvimo itself: its binary, its windows and how to reach the board."""

import os
import unittest

from harness import Timeout, matches, wait_for

START_TITLE = 'Form1'
START_SIZE = (580, 261)
SWITCHED_MODE = (800, 600)
LAUNCH = 'Lancer'
QUIT = 'Quitter'
FRENCH = 'Français'
ENGLISH = 'English'
# The board's title starts with the game's name, in capitals in French and not in English.
BOARD_TITLE_START = 'trouvimo'
BUTTON_ROLES = frozenset({'push button', 'toggle button', 'radio button', 'check box'})
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


def start_game(desk, binary, test=None):
    """Launches the game and waits for its start screen; the game is stopped when the test ends."""
    game = desk.launch(binary, name='trouvimo')
    if test is not None:
        test.addCleanup(game.stop)
    desk.wait_for_window(game.pid, START_TITLE)
    return game


def button(desk, pid, name):
    """The one showing button with that accessible name, whatever kind of button it is."""
    return desk.find_one(pid, role=BUTTON_ROLES, name=name)


def flag_buttons(desk, pid):
    return button(desk, pid, FRENCH), button(desk, pid, ENGLISH)


def open_board(desk, game, english=False, timeout=10.0):
    """From the start screen: picks the language, clicks the launch button and waits until the start
    screen has gone and the board shows; returns the board's accessible window."""
    if english:
        desk.click_node(button(desk, game.pid, ENGLISH))
        wait_for(lambda: 'checked' in button(desk, game.pid, ENGLISH).states, what='English chosen')
    desk.click_node(button(desk, game.pid, LAUNCH))

    def board_only():
        windows = [window for window in desk.windows(game.pid) if window.showing]
        boards = [window for window in windows
                  if matches(window, name=lambda title: title.lower().startswith(BOARD_TITLE_START))]
        starts = [window for window in windows if matches(window, name=START_TITLE)]
        return boards[0] if len(boards) == 1 and not starts else None
    try:
        return wait_for(board_only, timeout=timeout, what='the board instead of the start screen')
    except Timeout:
        app = desk.accessible_app(game.pid)
        raise Timeout('the board did not replace the start screen:\n'
                      + (app.describe() if app else '(the game is gone)')) from None
