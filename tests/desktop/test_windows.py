"""The Windows game, as a school would deploy it: its MSI installed silently under wine in a fresh prefix,
on the dummy X desktop at 1024x768. The installed game switches the screen to 800x600, a word of a
family's own list (in %APPDATA%\\Trouvimo) is laid out with Alt+J and typed on the keyboard, its
picture shows, and Quitter, or Alt+F4 on the start screen, leaves the screen at 1024x768; the MSI then
removes everything it installed.

    TROUVIMO_MSI=dist/trouvimo-<version>-x64.msi python3 -m unittest -v test_windows
"""

import os
import subprocess
import tempfile
import time
import unittest

from harness import Desktop, wait_for

START_MODE = (1024, 768)
WORD = 'chat'
# The start window and the board, laid out in twips (15 to the pixel): Lancer's middle, and the
# frame the picture of a solved word shows in.
LAUNCH_CENTRE = ((6960 + 1575 / 2) / 15, (2640 + 1095 / 2) / 15)
PICTURE_FRAME = (0, 5880 / 15, 2655 / 15, 3015 / 15)

desk = None


def setUpModule():
    global desk
    if not os.environ.get('TROUVIMO_MSI'):
        raise unittest.SkipTest('TROUVIMO_MSI names no MSI package')
    desk = unittest.enterModuleContext(Desktop(mode=START_MODE))


class WindowsPackageTest(unittest.TestCase):
    def setUp(self):
        self.msi = os.path.abspath(os.environ['TROUVIMO_MSI'])
        self.prefix = tempfile.mkdtemp(prefix='wine-', dir=desk.dir)
        self.env = dict(desk.env, WINEPREFIX=self.prefix, WINEDEBUG='-all',
                        WINEDLLOVERRIDES='mscoree,mshtml=', WINEARCH='win64')
        self.wine(['wineboot', '-i'], timeout=120)
        self.drive = os.path.join(self.prefix, 'drive_c')
        self.folder = os.path.join(self.drive, 'Program Files', 'Trouvimo')
        self.games = []

    def tearDown(self):
        subprocess.run(['wineserver', '-k'], env=self.env, check=False)
        desk.set_mode(*START_MODE)

    def wine(self, argv, timeout=60, check=True):
        done = subprocess.run(argv, env=self.env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              timeout=timeout, text=True)
        if check and done.returncode != 0:
            raise AssertionError(f'{argv} ended with {done.returncode}:\n{done.stdout}')
        return done.stdout

    def user_folder(self, *parts):
        users = os.path.join(self.drive, 'users')
        user = next(name for name in os.listdir(users) if name not in ('Public', 'public'))
        return os.path.join(users, user, *parts)

    def start_game(self):
        """The installed game, started once the display is as found; ended with wine's server if the
        subtest fails half way, so that the next one starts from a clean desk."""
        desk.set_mode(*START_MODE)
        game = subprocess.Popen(['wine', os.path.join(self.folder, 'trouvimo.exe')], env=self.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.games.append(game)
        return game

    def end_games(self):
        if any(game.poll() is None for game in self.games):
            subprocess.run(['wineserver', '-k'], env=self.env, check=False)
            for game in self.games:
                game.wait(timeout=10)

    def window(self, title):
        """The visible window whose whole name matches the pattern (xdotool ignores case)."""
        def found():
            ids = desk.run(['xdotool', 'search', '--onlyvisible', '--name', f'^{title}$'],
                           check=False).stdout.split()
            return int(ids[0]) if ids else None
        return wait_for(found, timeout=30, what=f'a window named {title}')

    def geometry(self, window_id):
        out = desk.run(['xwininfo', '-id', str(window_id)]).stdout
        value = {line.split(':')[0].strip(): line.split(':')[1].strip() for line in out.splitlines() if ':' in line}
        return (int(value['Absolute upper-left X']), int(value['Absolute upper-left Y']),
                int(value['Width']), int(value['Height']))

    def picture_pixels(self, board):
        x, y, _width, _height = self.geometry(board)
        left, top, width, height = (round(n) for n in PICTURE_FRAME)
        image = desk.screenshot()
        return {image.pixel(x + left + dx, y + top + dy) for dx in range(10, width - 10, 8)
                for dy in range(10, height - 10, 8)}

    def test_installs_plays_and_removes_itself(self):
        self.wine(['wine', 'msiexec', '/i', self.msi, '/qn'], timeout=180)
        self.assertTrue(os.path.isfile(os.path.join(self.folder, 'trouvimo.exe')))
        shortcuts = [os.path.join(root, name) for root, _dirs, names in os.walk(self.drive)
                     for name in names if name == 'Trouvimo.lnk']
        self.assertTrue(shortcuts, 'no Start menu shortcut')
        uninstall = self.wine(['wine', 'reg', 'query',
                               r'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall', '/s'])
        self.assertIn('Trouvimo', uninstall)

        own = self.user_folder('AppData', 'Roaming', 'Trouvimo')
        os.makedirs(own)
        with open(os.path.join(own, 'ListeMots.txt'), 'wb') as words:
            words.write(WORD.encode() + b'\r\n')

        with self.subTest(way_out='Quitter on the board'):
            game = self.start_game()
            desk.wait_for_mode(800, 600, timeout=30)
            start = self.window('Trouvimo')
            x, y, _width, _height = self.geometry(start)
            desk.click(round(x + LAUNCH_CENTRE[0]), round(y + LAUNCH_CENTRE[1]))
            board = self.window(r'TROUVIMO \.\.\.')
            empty = self.picture_pixels(board)
            desk.key('alt+j', board)
            time.sleep(1.5)  # the play cue and the pause before the tiles come
            for letter in WORD:
                desk.key(letter, board)
                time.sleep(0.3)
            wait_for(lambda: self.picture_pixels(board) != empty, timeout=10,
                     what='the picture of the word in its frame')
            desk.key('alt+q', board)
            game.wait(timeout=20)
            desk.wait_for_mode(*START_MODE, timeout=10)
        self.end_games()

        with self.subTest(way_out='Alt+F4 on the start screen'):
            game = self.start_game()
            desk.wait_for_mode(800, 600, timeout=30)
            start = self.window('Trouvimo')
            desk.key('alt+F4', start)
            game.wait(timeout=20)
            desk.wait_for_mode(*START_MODE, timeout=10)
        self.end_games()

        self.wine(['wine', 'msiexec', '/x', self.msi, '/qn'], timeout=180)
        self.assertFalse(os.path.exists(self.folder), 'the install folder is left behind')
        shortcuts = [name for _root, _dirs, names in os.walk(self.drive) for name in names
                     if name == 'Trouvimo.lnk']
        self.assertFalse(shortcuts, 'the shortcut is left behind')
        self.assertTrue(os.path.isfile(os.path.join(own, 'ListeMots.txt')), "the family's own list is gone")


if __name__ == '__main__':
    unittest.main()
