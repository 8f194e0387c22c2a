"""What the game must never do, watched by strace over a whole game on the real desktop: write, create,
rename or delete a file, start another program, or open a picture or a sound outside its data folders,
whatever words its list holds.

The list mixes ordinary words with words that spell paths. Next to the copy of the game lie pictures that
those words would reach if the game followed them out of its picture folder; the trace must show that
none of them is ever opened.
"""

import codecs
import contextlib
import glob
import os
import re
import shutil
import unittest

import hardening as h  # first: it puts tests/desktop, where the modules below lie, on the path
import board_game as bg
from harness import PATIENT, wait_for

desk = None

TRACED = ('open', 'openat', 'openat2', 'creat', 'rename', 'renameat', 'renameat2', 'unlink', 'unlinkat',
          'mkdir', 'mkdirat', 'rmdir', 'link', 'linkat', 'symlink', 'symlinkat', 'truncate', 'mknod',
          'mknodat', 'chmod', 'fchmodat', 'chown', 'lchown', 'fchownat', 'utimensat', 'execve', 'execveat')
# Calls that change the file system whenever they succeed, whatever their arguments.
CHANGING = frozenset(TRACED) - {'open', 'openat', 'openat2', 'execve', 'execveat'}
WRITE_FLAGS = ('O_WRONLY', 'O_RDWR', 'O_CREAT', 'O_TRUNC', 'O_APPEND')

# Words of at most twelve letters are played; the first hostile one is longer and only has to be skipped.
WORDS = ('chat', '..\\..\\etc\\passwd', 'a/b', '/etc/passwd', '..\\escape', '..\\..\\..\\out', 'lapin')
# Where the path-like words would lead from Images/Mots/ if they were followed, relative to the copy of
# the game (the last one lies beside it, outside it).
BAIT = tuple(os.path.normpath(os.path.join(h.game.FRENCH.pictures, *parts))
             for parts in (('..', 'ESCAPE.gif'), ('A', 'B.gif'), ('..', '..', '..', 'OUT.gif')))

CALL = re.compile(r'^(?P<call>\w+)\((?P<args>.*)\)\s+=\s+(?P<result>-?\d+|\?)(?P<error>\s+\w+)?')
STRING = re.compile(r'"((?:[^"\\]|\\.)*)"')


def setUpModule():
    global desk
    desk = unittest.enterModuleContext(h.probed_desktop())


def toolkit_caches():
    """Folders where the toolkit's libraries keep caches of their own and may insist on writing: font
    caches when the system's are stale, shader caches. Anything they write is reported, not failed."""
    home = desk.env['HOME']
    cache = desk.env['XDG_CACHE_HOME']
    return tuple(os.path.join(base, name) + os.sep
                 for base in (cache, os.path.join(home, '.cache'))
                 for name in ('fontconfig', 'mesa_shader_cache', 'qtshadercache', 'qtshadercache-x86_64'))


def decode(text):
    """A string argument as strace printed it (octal escapes for bytes outside printable ASCII)."""
    return codecs.escape_decode(text.encode('latin-1', 'backslashreplace'))[0].decode('utf-8', 'replace')


def calls(trace_prefix):
    """(call, [string arguments], raw argument text, result, error) of every traced call of every thread."""
    for path in glob.glob(trace_prefix + '.*'):
        with open(path, encoding='latin-1') as trace:
            for line in trace:
                found = CALL.match(line)
                if found:
                    strings = [decode(value) for value in STRING.findall(found.group('args'))]
                    yield (found.group('call'), strings, found.group('args'), found.group('result'),
                           (found.group('error') or '').strip())


class NoWritesTest(unittest.TestCase):
    def test_a_whole_game_writes_nothing_and_opens_only_its_own_data(self):
        binary = h.game.app_with_lists(desk, h.game.game_binary(), {h.game.FRENCH.list_file: WORDS})
        app_dir = os.path.dirname(binary)
        picture = os.path.join(app_dir, h.game.FRENCH.picture('chat'))
        bait = [os.path.normpath(os.path.join(app_dir, relative)) for relative in BAIT]
        for path in bait:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            shutil.copyfile(picture, path)

        trace = os.path.join(desk.dir, 'trace')
        desk.set_mode(*h.START_MODE)
        # The speech server runs already, as a desktop session starts it; otherwise the speech
        # client library would start it itself, and strace would follow the server too.
        desk.run(['speech-dispatcher', '--spawn'], check=False)
        tracer = desk.launch('/usr/bin/strace', args=('-ff', '-qq', '-s', '4096', '-o', trace, '-e',
                                                      'trace=' + ','.join(TRACED), '-e', 'signal=none',
                                                      binary),
                             cwd=app_dir, name='strace')
        self.addCleanup(tracer.stop)
        pid = wait_for(lambda: self.child_of(tracer.pid, binary), what='the game under strace')

        played = self.play_whole_game(pid)
        status = tracer.wait_exit()
        h.assert_clean_end(self, tracer, status)
        h.wait_display_restored(desk)
        self.assertEqual(sorted(played), sorted(word for word in WORDS if len(word) <= 12))

        changes, toolkit, programs, opened = [], [], [], set()
        caches = toolkit_caches()
        for call, strings, args, result, error in calls(trace):
            succeeded = result != '-1'
            if call in ('execve', 'execveat'):
                programs.append(strings[0] if strings else args)
                continue
            path = strings[0] if strings else args
            if call.startswith('open') and succeeded:
                opened.add(path)
            writes = call in CHANGING or (call.startswith('open') and any(flag in args for flag in WRITE_FLAGS))
            if not writes or not succeeded or path.startswith('/dev/'):
                continue
            (toolkit if path.startswith(caches) else changes).append(f'{call}({args}) = {result}')

        # The one other program is the game's own guardian of the switched display, beside it.
        guard = os.path.join(app_dir, 'trouvimo-display-guard')
        self.assertEqual(sorted(programs), sorted([binary, guard]), 'the game started another program')
        self.assertEqual(changes, [], 'the game changed the file system')
        if toolkit:
            print('written by the toolkit into its caches:\n  ' + '\n  '.join(toolkit))

        data = [os.path.join(app_dir, name) for name in (h.game.FRENCH.list_file, 'Sons', 'Images')]
        # Beside its data, the game's folder holds its own code: the executable and the modules it loads.
        code = {binary, guard} | {path for path in glob.glob(os.path.join(app_dir, '*.so*'))}
        for path in sorted(opened - code):
            with self.subTest(opened=path):
                self.assertNotIn(os.path.normpath(path), bait, 'a word led the game out of its picture folder')
                if path.lower().endswith(('.gif', '.wav')):
                    self.assertTrue(path.startswith(tuple(folder + os.sep for folder in data)),
                                    'a picture or a sound opened outside the data folders')
                elif path.startswith(app_dir + os.sep):
                    self.assertTrue(path == data[0] or path.startswith(tuple(data[1:])),
                                    'a file of the application directory outside its data and its code')
        self.assertIn(picture, opened, 'the picture of the one word that has one was never opened')
        print(f'{len(opened)} files opened for reading, none for writing; '
              f'{sum(path.startswith(app_dir + os.sep) for path in opened)} of them in the game\'s folder')

    @staticmethod
    def child_of(pid, binary):
        """The child of pid that runs binary: strace starts children of its own first, to try what the
        kernel lets it do, and on a busy machine they may still be there when we look."""
        try:
            with open(f'/proc/{pid}/task/{pid}/children') as children:
                found = children.read().split()
        except OSError:
            return None
        for child in found:
            with contextlib.suppress(OSError):
                if os.readlink(f'/proc/{child}/exe') == os.path.realpath(binary):
                    return int(child)
        return None

    def play_whole_game(self, pid):
        """Launches the board, spells every word (one after a reset), and quits at the end message."""
        # strace slows the game down many times over.
        desk.wait_for_window(pid, h.game.START_TITLE, timeout=4 * PATIENT)
        h.game.open_board(desk, type('Traced', (), {'pid': pid})(), timeout=4 * PATIENT)
        played = []
        while True:
            _seconds, board = h.press_play(desk, pid)
            if board.answer() == h.game.FRENCH.end_message:
                break
            word = board.hint()
            played.append(word)
            if not played[1:]:
                board = bg.solve(desk, pid, word[0].upper())
                desk.click_node(board.slot(0))
                bg.wait_board(desk, pid, lambda now: not now.shown_slots(), 'the reset')
            self.assertEqual(bg.solve(desk, pid, word.upper()).answer(), word.upper())
        desk.click_node(bg.look(desk, pid).button(h.game.FRENCH.quit))
        return played


if __name__ == '__main__':
    unittest.main()
