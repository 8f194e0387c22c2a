"""The Windows game, as a school would deploy it: its MSI installed silently under wine in a fresh prefix,
on the dummy X desktop at 1024x768 with a sound server. The installed game greets the child aloud and
switches the screen to 800x600, a word of a family's own list (in %APPDATA%\\Trouvimo) is laid out
with Alt+J and typed on the keyboard, its picture shows, and Quitter, or Alt+F4 on the start screen,
leaves the screen at 1024x768; a family's FLAC and Ogg Vorbis recordings are heard; the check typed in
cmd reports with the system's paths and its exit status; the MSI then removes everything it
installed. A newer MSI replaces the older one in place, and logging off puts the display back; the
settings given to msiexec are written for the computer and followed.

    TROUVIMO_MSI=dist/trouvimo-<version>-x64.msi python3 -m unittest -v test_windows
"""

import os
import subprocess
import tempfile
import time
import unittest
import uuid

from harness import Desktop, pitch, wait_for

START_MODE = (1024, 768)
WORD = 'chat'
# The start window and the board, laid out in twips (15 to the pixel): Lancer's middle, and the
# frame the picture of a solved word shows in.
LAUNCH_CENTRE = ((6960 + 1575 / 2) / 15, (2640 + 1095 / 2) / 15)
PICTURE_FRAME = (0, 5880 / 15, 2655 / 15, 3015 / 15)
# The game's own cues, set aside when what the sink hears must be a family's recording alone.
CUES = ('Camera.wav', 'Cashreg.wav', 'Chimes.wav', 'Logoff.wav', 'Tada.wav', 'fanfare4.wav')
# A family's recordings, one tone each, in the formats Windows' own recorders do not make.
RECORDINGS = (('chat', 'flac', 550), ('kiwi', 'ogg', 770))

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

    def install(self, msi, *properties):
        self.wine(['wine', 'msiexec', '/i', msi, '/qn', *properties], timeout=180)

    def family_list(self, *lines):
        own = self.user_folder('AppData', 'Roaming', 'Trouvimo')
        os.makedirs(own, exist_ok=True)
        with open(os.path.join(own, 'ListeMots.txt'), 'wb') as words:
            words.write(b''.join(line.encode() + b'\r\n' for line in lines))
        return own

    def open_board(self):
        """The installed game started, switched, and past the start screen: the board's window."""
        self.start_game()
        desk.wait_for_mode(800, 600, timeout=30)
        start = self.window('Trouvimo')
        x, y, _width, _height = self.geometry(start)
        desk.click(round(x + LAUNCH_CENTRE[0]), round(y + LAUNCH_CENTRE[1]))
        return self.window(r'TROUVIMO \.\.\.')

    def uninstall_entries(self):
        listed = self.wine(['wine', 'reg', 'query',
                            r'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall', '/s'])
        return listed.count('DisplayName    REG_SZ    Trouvimo')

    def picture_pixels(self, board):
        x, y, _width, _height = self.geometry(board)
        left, top, width, height = (round(n) for n in PICTURE_FRAME)
        image = desk.screenshot()
        return {image.pixel(x + left + dx, y + top + dy) for dx in range(10, width - 10, 8)
                for dy in range(10, height - 10, 8)}

    def test_installs_plays_and_removes_itself(self):
        self.install(self.msi)
        self.assertTrue(os.path.isfile(os.path.join(self.folder, 'trouvimo.exe')))
        shortcuts = [os.path.join(root, name) for root, _dirs, names in os.walk(self.drive)
                     for name in names if name == 'Trouvimo.lnk']
        self.assertTrue(shortcuts, 'no Start menu shortcut')
        self.assertEqual(self.uninstall_entries(), 1)
        own = self.family_list(WORD)

        with self.subTest(way_out='Quitter on the board, after a greeting heard'):
            with desk.recorder('greeting') as greeting:
                board = self.open_board()
                greeting.wait_heard()
            empty = self.picture_pixels(board)
            desk.key('alt+j', board)
            time.sleep(1.5)  # the play cue and the pause before the tiles come
            for letter in WORD:
                desk.key(letter, board)
                time.sleep(0.3)
            wait_for(lambda: self.picture_pixels(board) != empty, timeout=10,
                     what='the picture of the word in its frame')
            desk.key('alt+q', board)
            self.games[-1].wait(timeout=20)
            desk.wait_for_mode(*START_MODE, timeout=10)
        self.end_games()

        with self.subTest(way_out='Alt+F4 on the start screen'):
            game = self.start_game()
            desk.wait_for_mode(800, 600, timeout=30)
            desk.key('alt+F4', self.window('Trouvimo'))
            game.wait(timeout=20)
            desk.wait_for_mode(*START_MODE, timeout=10)
        self.end_games()

        with self.subTest("a family's FLAC and Ogg Vorbis recordings heard"):
            sounds = os.path.join(self.folder, 'Sons')
            for cue in CUES:
                os.rename(os.path.join(sounds, cue), os.path.join(sounds, cue + '.away'))
            recordings = os.path.join(own, 'Sons', 'Mots')
            os.makedirs(recordings)
            for word, kind, tone in RECORDINGS:
                recording = os.path.join(recordings, f'{word.upper()}.{kind}')
                subprocess.run(['sox', '-n', '-r', '44100', '-c', '1', recording, 'synth', '2',
                                'sine', str(tone)], check=True)
                self.family_list(word)
                board = self.open_board()
                with desk.recorder(kind) as heard:
                    desk.key('alt+j', board)
                    wait_for(lambda: abs(pitch(heard.path, channels=2, rate=44100) - tone) < 15,
                             timeout=20, what=f'the {tone} Hz tone of {recording} on the sink')
                desk.key('alt+q', board)
                self.games[-1].wait(timeout=20)
                self.end_games()
            for cue in CUES:
                os.rename(os.path.join(sounds, cue + '.away'), os.path.join(sounds, cue))

        with self.subTest('the check typed in cmd'):
            self.family_list(WORD, WORD)
            done = subprocess.run(['wine', 'cmd', '/c', 'cd', '/d', self.windows_path(self.folder),
                                   '&&', 'trouvimo', '--check'], env=self.env, stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT, timeout=120)
            report = done.stdout.decode('utf-8', errors='replace')
            self.assertEqual(done.returncode, 1, report)
            self.assertIn(r'\AppData\Roaming\Trouvimo\ListeMots.txt', report)
            self.assertNotIn('Roaming/Trouvimo', report)

        self.wine(['wine', 'msiexec', '/x', self.msi, '/qn'], timeout=180)
        self.assertFalse(os.path.exists(self.folder), 'the install folder is left behind')
        shortcuts = [name for _root, _dirs, names in os.walk(self.drive) for name in names
                     if name == 'Trouvimo.lnk']
        self.assertFalse(shortcuts, 'the shortcut is left behind')
        self.assertTrue(os.path.isfile(os.path.join(own, 'ListeMots.txt')), "the family's own list is gone")

    def test_a_newer_version_replaces_the_older_and_logging_off_restores_the_display(self):
        newer = os.path.join(self.prefix, 'trouvimo-newer.msi')
        self.newer_msi(newer)
        self.install(self.msi)
        own = self.family_list(WORD)
        self.install(newer)
        self.assertEqual(self.uninstall_entries(), 1, 'the older version is still listed')
        self.assertTrue(os.path.isfile(os.path.join(self.folder, 'trouvimo.exe')))
        self.assertTrue(os.path.isfile(os.path.join(own, 'ListeMots.txt')), "the family's own list is gone")
        older = subprocess.run(['wine', 'msiexec', '/i', self.msi, '/qn'], env=self.env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=180)
        self.assertNotEqual(older.returncode, 0, 'the older version went over the newer one')
        self.assertEqual(self.uninstall_entries(), 1)

        self.open_board()
        self.wine(['wineboot', '--end-session'], timeout=60, check=False)
        self.games[-1].wait(timeout=30)
        desk.wait_for_mode(*START_MODE, timeout=10)

    def test_settings_given_to_the_installer_are_followed(self):
        self.install(self.msi, 'SWITCHDISPLAY=0', 'WORDSWINDOW=0')
        written = os.path.join(self.drive, 'ProgramData', 'Trouvimo', 'trouvimo.conf')
        with open(written, encoding='utf-8') as settings:
            text = settings.read()
        self.assertIn('SwitchDisplay=false', text)
        self.assertIn('WordsWindow=false', text)
        self.family_list(WORD)
        self.start_game()
        start = self.window('Trouvimo')
        self.assertEqual(desk.mode(), START_MODE)
        desk.key('alt+q', start)
        self.games[-1].wait(timeout=20)
        self.assertEqual(desk.mode(), START_MODE)

    def windows_path(self, path):
        return 'C:' + os.path.relpath(path, self.drive).replace('/', '\\') if path != self.drive else 'C:\\'

    def newer_msi(self, path):
        """The MSI under test as the next version would be: a higher version in its properties and in
        the bounds of its upgrade table, its own product and package codes, the same upgrade code."""
        subprocess.run(['cp', self.msi, path], check=True)
        properties = subprocess.run(['msiinfo', 'export', path, 'Property'], check=True, stdout=subprocess.PIPE,
                                    text=True).stdout
        version = next(line.split('\t')[1] for line in properties.splitlines()
                       if line.startswith('ProductVersion\t'))
        newer = '99.0.0'
        for query in (f"UPDATE `Property` SET `Value` = '{newer}' WHERE `Property` = 'ProductVersion'",
                      f"UPDATE `Property` SET `Value` = '{{{str(uuid.uuid4()).upper()}}}' "
                      "WHERE `Property` = 'ProductCode'"):
            subprocess.run(['msibuild', path, '-q', query], check=True)
        # The versions bound the upgrade table's keys, which SQL may not change: the table goes in anew.
        upgrade = subprocess.run(['msiinfo', 'export', path, 'Upgrade'], check=True, stdout=subprocess.PIPE,
                                 text=True).stdout
        table = os.path.join(os.path.dirname(path), 'Upgrade.idt')
        with open(table, 'w', newline='') as out:
            out.write(upgrade.replace(f'\t{version}\t', f'\t{newer}\t'))
        subprocess.run(['msibuild', path, '-i', table], check=True)
        summary = subprocess.run(['msiinfo', 'suminfo', path], check=True, stdout=subprocess.PIPE,
                                 text=True).stdout
        field = dict(line.split(': ', 1) for line in summary.splitlines() if ': ' in line)
        subprocess.run(['msibuild', path, '-s', field['Title'], field['Author'], field['Template'],
                        '{%s}' % str(uuid.uuid4()).upper()], check=True)


if __name__ == '__main__':
    unittest.main()
