"""The game as installed: its desktop entry, metainfo, icons and copyright file are what desktops and
Debian expect, and the installed game, started from its menu entry and from PATH, switches and restores
the display, plays a family's own list and writes nothing to its folders.

TROUVIMO_INSTALLED_ROOT names the root the game is installed under: a staging folder (DESTDIR) or /
for the Debian package."""

import contextlib
import os
import signal
import shutil
import struct
import subprocess
import tempfile
import types
import unittest

import board_game as bg
import game
from harness import PATIENT, Desktop, wait_for

APP_ID = 'org.trouvimo.trouvimo'
ICON_SIZES = (48, 64, 128, 256)
START_MODE = (1024, 768)
OWN_WORDS = ('kiwi', 'yak', 'gnou')  # none of them is in the game's own lists

desk = None


def setUpModule():
    global desk
    if not os.environ.get('TROUVIMO_INSTALLED_ROOT'):
        raise unittest.SkipTest('TROUVIMO_INSTALLED_ROOT names no installation')
    desk = unittest.enterModuleContext(Desktop())


def installed(*parts):
    return os.path.join(os.environ['TROUVIMO_INSTALLED_ROOT'], 'usr', *parts)


def png_size(path):
    with open(path, 'rb') as png:
        header = png.read(24)
    assert header[:8] == b'\x89PNG\r\n\x1a\n', f'{path} is no PNG'
    return struct.unpack('>II', header[16:24])


def paragraphs(path):
    with open(path, encoding='utf-8') as text:
        return [dict(line.split(':', 1) for line in block.splitlines() if line and not line[0].isspace())
                for block in text.read().split('\n\n') if block.strip()]


def tree_state(*folders):
    """Every entry under the folders with its size, time of change and mode."""
    state = {}
    for folder in folders:
        for directory, _dirs, files in os.walk(folder):
            for name in [None, *files]:
                path = directory if name is None else os.path.join(directory, name)
                info = os.lstat(path)
                state[path] = (info.st_size, info.st_mtime_ns, info.st_ctime_ns, info.st_mode)
    return state


class InstalledFilesTest(unittest.TestCase):
    def test_desktop_entry_and_metainfo_validate(self):
        entry = installed('share', 'applications', APP_ID + '.desktop')
        metainfo = installed('share', 'metainfo', APP_ID + '.metainfo.xml')
        checked = subprocess.run(['desktop-file-validate', entry], capture_output=True, text=True)
        self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)
        self.assertNotIn('error', checked.stdout)
        checked = subprocess.run(['appstreamcli', 'validate', '--no-net', '--pedantic', metainfo],
                                 capture_output=True, text=True)
        self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)
        self.assertNotRegex(checked.stdout, r'(?m)^[EWIP]:', checked.stdout)

    def test_icons_in_every_size(self):
        for size in ICON_SIZES:
            with self.subTest(size=size):
                icon = installed('share', 'icons', 'hicolor', f'{size}x{size}', 'apps', APP_ID + '.png')
                self.assertEqual(png_size(icon), (size, size))
        svg = installed('share', 'icons', 'hicolor', 'scalable', 'apps', APP_ID + '.svg')
        with open(svg, encoding='utf-8') as text:
            self.assertRegex(text.read(), r'<svg [^>]*viewBox="0 0 \d+ \d+"')

    def test_copyright_names_a_licence_for_every_file_group(self):
        header, *stanzas = paragraphs(installed('share', 'doc', 'trouvimo', 'copyright'))
        self.assertIn('copyright-format/1.0', header['Format'])
        texts = {stanza['License'].strip() for stanza in stanzas if 'Files' not in stanza}
        groups = [stanza for stanza in stanzas if 'Files' in stanza]
        self.assertIn('Apache-2.0', {group['License'].strip() for group in groups})
        for group in groups:
            with self.subTest(files=group['Files'].strip()):
                self.assertIn(group['License'].strip(), texts)


class InstalledGameTest(unittest.TestCase):
    def setUp(self):
        desk.set_mode(*START_MODE)
        self.addCleanup(desk.set_mode, *START_MODE)
        self.home = tempfile.mkdtemp(prefix='home-', dir=desk.dir)
        # The family's folder where it is by default: no XDG_DATA_HOME, so ~/.local/share/trouvimo.
        own = os.path.join(self.home, '.local', 'share', 'trouvimo')
        os.makedirs(own)
        with open(os.path.join(own, game.FRENCH.list_file), 'wb') as words:
            words.write(game.list_bytes(OWN_WORDS))
        self.env = dict(desk.env, HOME=self.home, QT_QPA_PLATFORM='xcb',
                        QT_LINUX_ACCESSIBILITY_ALWAYS_ON='1',
                        PATH=installed('games') + ':/usr/local/bin:/usr/bin:/bin')
        for variable in ('QT_QPA_PLATFORMTHEME', 'XDG_DATA_HOME'):
            self.env.pop(variable, None)
        self.folders = (installed('games'), installed('lib', 'games', 'trouvimo'), installed('share', 'games', 'trouvimo'),
                        own)

    def started_pid(self, start):
        """Starts the game with start() and returns the process id of the installed game it runs."""
        binary = os.path.realpath(installed('games', 'trouvimo'))

        def running():
            for pid in filter(str.isdigit, os.listdir('/proc')):
                try:
                    if os.path.realpath(f'/proc/{pid}/exe') == binary:
                        return int(pid)
                except OSError:
                    continue
            return None
        def kill(pid):
            with contextlib.suppress(OSError):
                if os.path.realpath(f'/proc/{pid}/exe') == binary:
                    os.kill(pid, signal.SIGKILL)
        launcher = start()
        if isinstance(launcher, subprocess.Popen):
            self.addCleanup(launcher.wait, 5)
        pid = wait_for(running, what='the installed game to run')
        self.addCleanup(kill, pid)
        return pid

    def play_own_word_and_quit(self, pid):
        desk.wait_for_window(pid, game.START_TITLE)
        self.assertEqual(desk.mode(), game.SWITCHED_MODE)
        game.open_board(desk, types.SimpleNamespace(pid=pid))
        board = bg.start_round(desk, pid, game.FRENCH)
        self.assertIn(board.hint(), OWN_WORDS)
        desk.click_node(game.button(desk, pid, game.QUIT))
        def ended():
            try:
                with open(f'/proc/{pid}/stat') as stat:
                    return stat.read().split()[2] == 'Z'
            except FileNotFoundError:
                return True
        wait_for(ended, what='the game to end')
        wait_for(lambda: desk.mode() == START_MODE, what='the display to be restored')

    def test_from_the_menu_entry_and_from_path(self):
        entry = installed('share', 'applications', APP_ID + '.desktop')
        ways = {
            'menu entry': lambda: subprocess.run(['gio', 'launch', entry], env=self.env, check=True, timeout=PATIENT),
            'PATH': lambda: subprocess.Popen([shutil.which('trouvimo', path=self.env['PATH'])], env=self.env,
                                             cwd=self.home, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL),
        }
        before = tree_state(*self.folders)
        for way, start in ways.items():
            with self.subTest(started_from=way):
                self.play_own_word_and_quit(self.started_pid(start))
        self.assertEqual(tree_state(*self.folders), before, 'the game wrote to its folders')
