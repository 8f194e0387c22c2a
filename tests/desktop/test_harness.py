"""The desktop harness itself, checked against a minimal Qt program: if these fail, the game's desktop tests
cannot be trusted either way."""

import os
import subprocess
import time
import unittest

import harness
import sweeper
from harness import Desktop, wait_for

desk = None


def setUpModule():
    global desk
    desk = unittest.enterModuleContext(Desktop())


def minimal_binary():
    path = os.environ.get('TROUVIMO_MINIMAL_BIN')
    if not path:
        raise unittest.SkipTest('TROUVIMO_MINIMAL_BIN names no program')
    return path


class DisplayTest(unittest.TestCase):
    def test_every_mode_can_be_set_and_is_seen_by_clients(self):
        for mode in harness.MODES + ((1024, 768),):
            with self.subTest(mode=mode):
                desk.set_mode(*mode)
                self.assertEqual(desk.mode(), mode)
                self.assertEqual(desk.screen_size(), mode)
                self.assertEqual(desk.screenshot().width, mode[0])


class SoundTest(unittest.TestCase):
    def tone(self, seconds, volume):
        path = os.path.join(desk.dir, f'tone-{volume}.wav')
        subprocess.run(['sox', '-n', '-r', '44100', '-c', '2', '-b', '16', path, 'synth', str(seconds),
                        'sine', '440', 'vol', str(volume)], check=True)
        return path

    def test_a_played_sound_is_heard_and_its_loudness_measured(self):
        for volume in (0.9, 0.3):
            with self.subTest(volume=volume):
                with desk.recorder() as recording:
                    player = subprocess.Popen(['paplay', self.tone(0.3, volume)], env=desk.env)
                    recording.wait_heard()
                    self.assertEqual(player.wait(10), 0)
                result = recording.result()
                self.assertTrue(result.heard)
                self.assertAlmostEqual(result.max_amplitude, volume, delta=0.05)

    def test_silence_is_not_heard(self):
        with desk.recorder() as recording:
            with self.assertRaises(harness.Timeout):
                recording.wait_heard(timeout=0.5)
        self.assertFalse(recording.result().heard)


class ProgramTest(unittest.TestCase):
    def setUp(self):
        self.binary = minimal_binary()
        desk.set_mode(1024, 768)
        self.program = desk.launch(self.binary)
        self.addCleanup(self.program.stop)

    def test_window_is_found_through_accessibility_and_x(self):
        window = desk.wait_for_window(self.program.pid, 'Minimal')
        self.assertEqual(window.role, 'filler')
        self.assertTrue(window.showing and window.visible and window.enabled)
        x_windows = desk.x_windows(self.program.pid)
        self.assertEqual(len(x_windows), 1)
        geometry = x_windows[0]
        self.assertEqual(geometry.title, 'Minimal')
        self.assertEqual(window.extents, (geometry.x, geometry.y, geometry.width, geometry.height))
        self.assertNotEqual(desk.motif_decorations(geometry.id), 0, 'a plain window asks for a frame')
        self.assertIn(self.program.pid, [app['pid'] for app in desk.accessible_apps()])

    def test_screenshot_shows_the_window(self):
        desk.wait_for_window(self.program.pid, 'Minimal')
        geometry = desk.x_windows(self.program.pid)[0]
        path = os.path.join(desk.dir, 'shot.png')

        def painted():
            shot = desk.screenshot(path)
            inside = shot.pixel(geometry.x + geometry.width // 2, geometry.y + geometry.height // 2)
            outside = shot.pixel(geometry.x + geometry.width + 10, geometry.y + geometry.height + 10)
            return inside != outside
        wait_for(painted, what='the window painted over the root')
        with open(path, 'rb') as png:
            self.assertEqual(png.read(8), b'\x89PNG\r\n\x1a\n')

    def test_stopping_a_program_ends_it(self):
        desk.wait_for_window(self.program.pid, 'Minimal')
        self.program.stop()
        self.assertFalse(self.program.alive())
        wait_for(lambda: self.program.pid not in [app['pid'] for app in desk.accessible_apps()],
                 what='the program to leave the accessibility registry')


class LifeCycleTest(unittest.TestCase):
    def test_starts_and_leaves_nothing_behind(self):
        began = time.monotonic()
        with Desktop(mode=(800, 600)) as own:
            print(f'the desktop started in {time.monotonic() - began:.2f} s')
            self.assertEqual(own.mode(), (800, 600))
            display, directory = own.display, own.dir
            pids = [process.pid for process in own._processes]
            self.assertEqual(own.accessible_apps(), [])
        self.assertFalse(os.path.exists(directory))
        self.assertFalse(os.path.exists(f'/tmp/.X{display[1:]}-lock'))
        self.assertFalse(os.path.exists(f'/tmp/.X11-unix/X{display[1:]}'))
        for pid in pids:
            self.assertFalse(os.path.exists(f'/proc/{pid}') and _state(pid) != 'Z', f'pid {pid} still runs')
        self.assertEqual(_marked_processes(directory), [])

    def test_a_failing_block_still_stops_everything(self):
        with self.assertRaises(ZeroDivisionError):
            with Desktop() as own:
                directory = own.dir
                pids = [process.pid for process in own._processes]
                1 / 0
        for pid in pids:
            self.assertFalse(os.path.exists(f'/proc/{pid}') and _state(pid) != 'Z', f'pid {pid} still runs')
        self.assertEqual(_marked_processes(directory), [])


def _state(pid):
    try:
        with open(f'/proc/{pid}/stat', 'rb') as stat:
            return stat.read().rsplit(b')', 1)[1].split()[0].decode()
    except OSError:
        return 'gone'


def _marked_processes(directory):
    return sweeper.marked_processes(f'{harness.MARKER}={directory}'.encode())


if __name__ == '__main__':
    unittest.main()
