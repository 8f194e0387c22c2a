"""Hostile French word lists, each put in place of the game's own on a copy of its application directory.

For each list the game is launched on the real desktop and its board opened: a missing list must give the
game's message and then the board's regular closing; any other list must leave the game up, answering the
play button at once once its half-second pause is over, with its memory bounded, and the quit button must
still end it and give the display back.
"""

import os
import random
import unittest

import hardening as h  # first: it puts tests/desktop, where the modules below lie, on the path
import board_game as bg
from harness import wait_for

desk = None
reference = None

# Growth of the peak resident memory allowed over the game's with its own list. The reader holds the
# bytes it took, in a buffer that grows by doubling, and their decoded text at two bytes a character: the
# 10 MB line honestly needs up to six times its size, and so does a list that never ends, which the reader
# has to give up on after some megabytes.
MEMORY_SLACK_KIB = 16 * 1024
BIG_LINE_BYTES = 10 * 1024 * 1024
BIG_MEMORY_SLACK_KIB = 6 * BIG_LINE_BYTES // 1024
# An address-space cap for the endless list, so that a reader that never stops fails on its own instead
# of taking the machine's memory from everyone else.
ENDLESS_ADDRESS_SPACE = 4 * 1024 ** 3


def setUpModule():
    global desk, reference
    desk = unittest.enterModuleContext(h.probed_desktop())
    reference = peak_with_own_list()


def peak_with_own_list():
    """The game's peak resident memory once its board answered the play button, with its own list."""
    binary = h.game.game_binary()
    with h.started_board(desk, binary) as app:
        h.press_play(desk, app.pid)
        peak = h.memory_kib(app.pid)[1]
        h.quit_board(desk, app)
    h.wait_display_restored(desk)
    return peak


def forty_thousand_words():
    """40000 distinct playable words: 'mot' followed by the line number written in letters a to j."""
    return ['mot' + ''.join('abcdefghij'[int(digit)] for digit in str(number)) for number in range(40000)]


def own_list_path():
    return os.path.join(os.path.dirname(h.game.game_binary()), h.game.FRENCH.list_file)


def lf_only_own_list():
    with open(own_list_path(), 'rb') as own:
        return own.read().replace(b'\r\n', b'\n')


def random_bytes():
    generator = random.Random(20260)
    return bytes(generator.randrange(256) for _ in range(64 * 1024))


WORDS_40000 = forty_thousand_words()

# name: (what to put in place of ListeMots.txt, what the first press of the play button shows)
#   bytes: the file's content; 'remove', 'dangling', 'directory', 'fifo', 'endless': no regular file
#   expected: 'message' (the missing-list message), 'end' (the end message at once: no playable word),
#             a set of hints (one of them shows), or None (either; the game just has to stay up)
CASES = {
    'missing': ('remove', 'message'),
    'dangling symlink': ('dangling', 'message'),
    'directory': ('directory', 'end'),
    'zero bytes': (b'', 'end'),
    'only empty lines': (b'\r\n' * 5000, 'end'),
    'CR-only line ends': (b'chat\rchien\rlapin', {'chat', 'chien', 'lapin'}),
    # A list with no CR LF at all, as a Linux editor saves it: LF ends its lines.
    'LF-only line ends': (lf_only_own_list(), set(h.game.read_list(own_list_path()))),
    # Spaces and tabs around a word are no tiles.
    'LF line ends and stray spaces': (b' chat \n\tchien\t\nlapin  \n', {'chat', 'chien', 'lapin'}),
    # Accents stored apart, as a Mac saves them: one tile each.
    'decomposed UTF-8 accents': ('e\u0301te\u0301\r\n'.encode('utf-8'), {'été'}),
    'NUL bytes': (b'ch\0at\r\n\0\0\0\r\n\0\r\nchien\0\r\n', None),
    'random binary': (random_bytes(), None),
    # Only the first 32767 lines are read.
    '40000 lines': (h.game.list_bytes(WORDS_40000), set(WORDS_40000[:32767])),
    'one line of 10 MB': (b'a' * BIG_LINE_BYTES + b'\r\nchat\r\n', {'chat'}),
    '13 letters and more': (h.game.list_bytes(['anticonstitutionnellement', 'abcdefghijklm', 'abcdefghijkl']),
                            {'abcdefghijkl'}),
    'spaces, digits and punctuation': (h.game.list_bytes([' chat ', 'a b', '42', '!?;', "l'ours", '#%&*']),
                                       None),
    'paths for words': (h.game.list_bytes(['..\\..\\etc\\passwd', 'a/b', '/etc/passwd', '..\\..\\..\\tmp',
                                           '.', '..']),
                        {'a/b', '/etc/passwd', '..\\..\\..\\tmp', '.', '..'}),
    # Not UTF-8 as a whole, so all of it is read as Windows-1252.
    'invalid UTF-8 among Windows-1252': (b'\xe9l\xe9phant\r\n\xc3\xa9cole\r\nna\xefve\r\n\xff\xfe\xc3\r\n',
                                         {'éléphant', 'ã©cole', 'naïve', 'ÿþã'}),
    # Opening a pipe for reading waits for a writer that never comes.
    'named pipe': ('fifo', None),
    # A list that never ends: a link to /dev/zero.
    'endless stream': ('endless', None),
    # 64 GiB of zeros without a line end, in a sparse file that takes no room on the disk.
    'huge file': ('sparse', None),
}
# The cases whose list could take the memory of the machine if the reader read it all.
UNBOUNDED = ('endless', 'sparse')


def put_list(app_dir, content):
    path = os.path.join(app_dir, h.game.FRENCH.list_file)
    os.remove(path)
    if content == 'remove':
        return
    if content == 'dangling':
        os.symlink(os.path.join(app_dir, 'no-such-list.txt'), path)
    elif content == 'directory':
        os.mkdir(path)
        with open(os.path.join(path, 'chat'), 'wb') as inside:
            inside.write(b'chat\r\n')
    elif content == 'fifo':
        os.mkfifo(path)
    elif content == 'endless':
        os.symlink('/dev/zero', path)
    elif content == 'sparse':
        with open(path, 'wb') as out:
            out.truncate(64 * 1024 ** 3)
    else:
        with open(path, 'wb') as out:
            out.write(content)


class BadListTest(unittest.TestCase):
    def launch_on(self, name):
        content, _expected = CASES[name]
        binary = desk.copy_app(h.game.game_binary())
        put_list(os.path.dirname(binary), content)
        if content not in UNBOUNDED:
            return desk.launch(binary, name='trouvimo')
        # AddressSanitizer needs the whole address space for itself; it has a limit of its own.
        if h.instrumented(binary):
            return desk.launch(binary, name='trouvimo',
                               env={'ASAN_OPTIONS': 'hard_rss_limit_mb=2048:' + os.environ.get('ASAN_OPTIONS', '')})
        return desk.launch('/usr/bin/prlimit', args=(f'--as={ENDLESS_ADDRESS_SPACE}', '--', binary),
                           cwd=os.path.dirname(binary), name='trouvimo')

    def check(self, name):
        _content, expected = CASES[name]
        desk.set_mode(*h.START_MODE)
        app = self.launch_on(name)
        self.addCleanup(app.stop)
        desk.wait_for_window(app.pid, h.game.START_TITLE)
        if expected == 'message':
            self.check_message_and_close(app)
        else:
            self.check_board_plays(app, name, expected)

    def check_message_and_close(self, app):
        desk.click_node(h.game.button(desk, app.pid, h.game.LAUNCH))
        alert = wait_for(lambda: next((window for window in desk.windows(app.pid)
                                       if window.role in ('alert', 'dialog') and window.showing), None),
                         what='the missing-list message')
        self.assertEqual(alert.name, h.game.MESSAGE_TITLE)
        texts = [node.name for node in alert.walk() if node.role == 'label' and node.name]
        self.assertEqual(texts, [h.game.missing_list_message(h.game.FRENCH)])
        self.assertIsNone(bg.board_window(desk, app.pid), 'the board must not show behind the message')
        ok = next(node for node in alert.walk() if node.role == 'push button')
        self.assertEqual(ok.name, 'OK')
        desk.click_node(ok)
        status = app.wait_exit()
        h.assert_clean_end(self, app, status)
        h.wait_display_restored(desk)

    def check_board_plays(self, app, name, expected):
        try:
            h.game.open_board(desk, app)
        except h.Timeout as error:
            self.fail(f'{name}: the board did not open ({error}); the game '
                      + ('still runs, stuck' if app.alive() else h.describe_exit(app.process.poll())))
        seconds, board = h.press_play(desk, app.pid)
        print(f'{name}: the play button answered after {seconds * 1000:.0f} ms')
        if expected == 'end':
            self.assertEqual(board.answer(), h.game.FRENCH.end_message)
        elif expected is not None:
            self.assertIn(board.hint(), expected)
            self.assertEqual(len(board.row()), len(board.hint()))
        else:
            self.assertTrue(board.answer() == h.game.FRENCH.end_message or board.row(),
                            f'{name}: neither word nor end')

        big = name == 'one line of 10 MB' or CASES[name][0] in UNBOUNDED
        slack = h.memory_slack_kib(BIG_MEMORY_SLACK_KIB if big else MEMORY_SLACK_KIB, h.game.game_binary())
        peak = h.memory_kib(app.pid)[1]
        self.assertLess(peak - reference, slack,
                        f'{name}: peak resident memory {peak} KiB against {reference} KiB with the own list')
        self.assertTrue(app.alive())

        status, _seconds = h.quit_board(desk, app)
        h.assert_clean_end(self, app, status)
        h.wait_display_restored(desk)
        print(f'{name}: play answered in {seconds * 1000:.0f} ms, peak RSS {peak} KiB '
              f'({peak - reference:+d} KiB)')


h.add_case_tests(BadListTest, CASES)


if __name__ == '__main__':
    unittest.main()
