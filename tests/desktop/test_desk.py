"""The game on the desks families have: two monitors, a window manager with a taskbar, a desktop scaled
2x. On each, the game switches only its own monitor, its windows lie whole where the player can see them,
and the display is left exactly as it was found whichever way the game ends, also when it is killed."""

import contextlib
import os
import signal
import time
import unittest

import game
import harness
from harness import Desktop, wait_for

START_MODE = (1024, 768)
GAME_MONITOR = harness.OUTPUT  # the primary output, the one Qt calls the primary screen
OTHER_MONITOR = 'DUMMY1'
SWITCHED = (*game.SWITCHED_MODE, 0, 0)
GUARD = 'trouvimo-display-guard'
# The root window's property in which a switched game leaves what it found, for a later start.
RECORD = '_TROUVIMO_DISPLAY_AS_FOUND'

desk = None


def setUpModule():
    global desk
    desk = unittest.enterModuleContext(Desktop())


def layout_with(found, screen, **outputs):
    """The layout found with some outputs showing something else, and the screen at the given size."""
    return dict(found[0], **outputs), screen


def settled(read, good, timeout=harness.PATIENT):
    """What read() gives once good() holds of it, or what it gives after the timeout: for what a window
    manager may still be changing when we first look."""
    with contextlib.suppress(harness.Timeout):
        wait_for(lambda: good(read()), timeout=timeout)
    return read()


def inside(rect, area):
    x, y, width, height = rect
    left, top, area_width, area_height = area
    return left <= x and x + width <= left + area_width and top <= y and y + height <= top + area_height


class DeskTest(unittest.TestCase):
    def setUp(self):
        self.binary = game.game_binary()
        self.guard = os.path.join(os.path.dirname(self.binary), GUARD)
        desk.set_mode(*START_MODE)
        # Runs last, after the game has been stopped and every context of the test left.
        self.addCleanup(desk.set_mode, *START_MODE)

    def start(self):
        return game.start_game(desk, self.binary, self)

    def only_window(self, pid, title=None):
        def single():
            windows = desk.x_windows(pid)
            return windows[0] if len(windows) == 1 and title in (None, windows[0].title) else None
        return wait_for(single, what=f'one window {title or ""} of the game')

    def end(self, started, act, what, expected=None):
        """Ends the game by act() and checks that its windows go, that it ends by itself, and that the
        display is back as found (or as expected); prints how long each took."""
        found = expected or self.found
        clicked = time.monotonic()
        act()
        gone = wait_for(lambda: not desk.x_windows(started.pid) and time.monotonic(),
                        what='the windows to disappear')
        status = started.wait_exit()
        ended = time.monotonic()
        self.assertGreaterEqual(status, 0, f'the game died of signal {-status}:\n{started.output()}')
        desk.wait_for_layout(found)
        restored = time.monotonic()
        print(f'\n{what}: windows gone after {gone - clicked:.3f} s, game ended after {ended - clicked:.3f} s, '
              f'display as found {restored - ended:.3f} s after its end')
        wait_for(lambda: not harness.running_executable(self.guard),
                 what=f'{GUARD} to end with the game')


class SwitchAndRestoreTest(DeskTest):
    """DUMMY0 (primary) alone or with DUMMY1 right of it, both at 1024 x 768: the game switches DUMMY0
    only, and every way out leaves both as found."""

    @contextlib.contextmanager
    def switched_game(self, monitors, **launch):
        """A game started on a fresh desk of one or two monitors, which the block finds switched; the
        game is stopped and the desk put back after the block, so that a failed row spoils no other."""
        with desk.second_monitor() if monitors == 2 else contextlib.nullcontext():
            self.found = desk.layout()
            self.assertEqual(self.found, layout_with(
                self.found, (1024 * monitors, 768), DUMMY0=(1024, 768, 0, 0),
                DUMMY1=(1024, 768, 1024, 0) if monitors == 2 else None))
            started = game.start_game(desk, self.binary, **launch)
            try:
                # Its monitor at 800 x 600 in the same place; any other one as it was, and so the screen.
                desk.wait_for_layout(layout_with(self.found, (2048, 768) if monitors == 2 else (800, 600),
                                                 **{GAME_MONITOR: SWITCHED}))
                yield started
            finally:
                started.stop()
                desk.set_mode(*START_MODE)

    def test_only_the_game_monitor_switches_and_quitting_restores_every_output(self):
        for where in ('start screen', 'board'):
            with self.subTest(quit_from=where), self.switched_game(monitors=2) as started:
                window = self.only_window(started.pid, game.START_TITLE)
                width, height = game.START_SIZE
                self.assertAlmostEqual(window.x, (800 - width) / 2, delta=1, msg=f'{window} not centred')
                self.assertAlmostEqual(window.y, (600 - height) / 2, delta=1, msg=f'{window} not centred')
                if where == 'board':
                    game.open_board(desk, started)
                    window = self.only_window(started.pid)
                    self.assertTrue(inside((window.x, window.y, window.width, window.height), (0, 0, 800, 600)),
                                    f'the board {window} is not whole on {GAME_MONITOR}')
                # The board's quit button has the start screen's name.
                quit_button = game.button(desk, started.pid, game.QUIT)
                self.end(started, lambda: desk.click_node(quit_button), f'Quitter on the {where}')

    def test_a_signal_ending_the_game_leaves_the_display_as_found(self):
        # (signals, sent to, monitors): to the game alone; to its process group, as a terminal's job
        # control (Ctrl+Z, then kill -9 %1), its closing, timeout -s KILL or kill -- -PGID send them; to
        # its guardian first, and once the game has replaced it, to the game.
        for signals, to, monitors in (('SIGINT', 'game', 1), ('SIGTERM', 'game', 1), ('SIGHUP', 'game', 1),
                                      ('SIGKILL', 'game', 1), ('SIGKILL', 'game', 2), ('SIGHUP', 'group', 1),
                                      ('SIGKILL', 'group', 1), ('SIGTSTP SIGKILL', 'group', 2),
                                      ('SIGKILL', 'guardian, then game', 1)):
            numbers = [signal.Signals[name] for name in signals.split()]
            with self.subTest(signals=signals, to=to, monitors=monitors), \
                    self.switched_game(monitors, own_group=True) as started:
                guards = harness.running_executable(self.guard)
                if to == 'guardian, then game':
                    os.kill(guards[0], signal.SIGKILL)
                    wait_for(lambda: set(harness.running_executable(self.guard)) - set(guards),
                             what=f'the game to start a new {GUARD}')
                sent = time.monotonic()
                for number in numbers:
                    (os.killpg if to == 'group' else os.kill)(started.pid, number)
                started.wait_exit()
                ended = time.monotonic()
                desk.wait_for_layout(self.found)
                restored = time.monotonic()
                print(f'\n{signals} to the {to} on {monitors} monitor(s): game ended after {ended - sent:.3f} s, '
                      f'display as found {restored - ended:.3f} s after its end')
                wait_for(lambda: not harness.running_executable(self.guard),
                         what=f'{GUARD} to end after the game')
                if signal.SIGKILL in numbers:
                    self.assertTrue(guards, f'no {GUARD} was watching the switched game')
                self.assertIsNone(desk.x_property('-root', RECORD), 'the record outlived the switch')

    def test_a_start_after_the_game_and_its_guardian_died_puts_the_display_back(self):
        with self.switched_game(monitors=1, own_group=True) as started:
            guards = harness.running_executable(self.guard)
            # Stopped, the game cannot replace its guardian: both die, and the display stays switched.
            os.kill(started.pid, signal.SIGSTOP)
            for pid in guards:
                os.kill(pid, signal.SIGKILL)
            os.kill(started.pid, signal.SIGKILL)
            started.wait_exit()
            self.assertIsNotNone(desk.x_property('-root', RECORD), 'the switched game left no record')
            # The next start puts the display back before it measures it, so it finds 1024 x 768 again,
            # switches, and its Quitter returns to that.
            again = self.start()
            desk.wait_for_layout(layout_with(self.found, game.SWITCHED_MODE, **{GAME_MONITOR: SWITCHED}))
            quit_button = game.button(desk, again.pid, game.QUIT)
            self.end(again, lambda: desk.click_node(quit_button), 'Quitter after a start that found the record')
            self.assertIsNone(desk.x_property('-root', RECORD))

    def test_the_monitors_the_family_changes_during_play_stay_as_they_left_them(self):
        plug_in = ['--output', OTHER_MONITOR, '--mode', '1024x768', '--right-of', GAME_MONITOR]
        beside = {GAME_MONITOR: (1024, 768, 0, 0), OTHER_MONITOR: (1024, 768, 1024, 0)}
        # xrandr moves the projector to the left edge once the game's monitor is off.
        projector_alone = {GAME_MONITOR: None, OTHER_MONITOR: (1024, 768, 0, 0)}
        # (what the family does, how the game ends, the outputs and the screen afterwards)
        for changed, ending, outputs, screen in (
                ('plugged in a projector', 'Quitter', beside, (2048, 768)),
                ('plugged in a projector', 'SIGTERM', beside, (2048, 768)),
                ('plugged in a projector', 'SIGKILL', beside, (2048, 768)),
                ('moved to a projector', 'Quitter', projector_alone, (1024, 768)),
                ('moved to a projector', 'SIGKILL', projector_alone, (1024, 768))):
            with self.subTest(changed=changed, ending=ending), contextlib.ExitStack() as stack:
                desk.run(['xrandr', '--addmode', OTHER_MONITOR, '1024x768'], check=False)
                stack.callback(desk.run, ['xrandr', '--output', OTHER_MONITOR, '--off', '--output', GAME_MONITOR,
                                          '--primary', '--pos', '0x0', '--mode', '1024x768'])
                started = stack.enter_context(self.switched_game(monitors=1))
                desk.run(['xrandr', *plug_in])
                if changed == 'moved to a projector':
                    desk.run(['xrandr', '--output', GAME_MONITOR, '--off'])
                expected = layout_with(self.found, screen, **outputs)
                if ending == 'Quitter':
                    quit_button = game.button(desk, started.pid, game.QUIT)
                    self.end(started, lambda: desk.click_node(quit_button), f'{changed}, then Quitter', expected)
                    continue
                os.kill(started.pid, signal.Signals[ending])
                started.wait_exit()
                desk.wait_for_layout(expected)


class OtherDisplayTest(DeskTest):
    """The game started with Qt's -display on a second X server while DISPLAY names the first."""

    def test_the_game_switches_and_restores_the_display_it_shows_on(self):
        for ending in (signal.SIGTERM, signal.SIGKILL):
            with self.subTest(ending=ending.name), desk.other_x_server() as other:
                here = desk.layout()
                found = desk.layout(other)
                started = game.start_game(desk, self.binary, self, args=('-display', other))
                desk.wait_for_layout(layout_with(found, game.SWITCHED_MODE, **{GAME_MONITOR: SWITCHED}),
                                     display=other)
                self.assertEqual(desk.layout(), here, 'the game switched the display that DISPLAY names')
                os.kill(started.pid, ending)
                started.wait_exit()
                desk.wait_for_layout(found, display=other)
                self.assertEqual(desk.layout(), here)


class WindowManagerTest(DeskTest):
    """xfwm4 frames and places the windows, with a taskbar along the bottom in the second test."""

    def setUp(self):
        super().setUp()
        self.enterContext(desk.window_manager())
        self.found = desk.layout()

    def test_closing_the_start_screen_through_the_window_manager_restores_the_display(self):
        started = self.start()
        desk.wait_for_layout(layout_with(self.found, game.SWITCHED_MODE, **{GAME_MONITOR: SWITCHED}))
        window = self.only_window(started.pid, game.START_TITLE)
        wait_for(lambda: desk.frame(window.id), what='xfwm4 to manage the start window')
        self.end(started, lambda: desk.key('alt+F4', window.id), 'Alt+F4 on the start screen')

    def test_the_board_frame_lies_whole_in_the_work_area(self):
        # (screen at start, taskbar height or None): switched or not, with a taskbar or without one,
        # where the board at its full size is taller than a bare 800 x 600 screen less its title bar.
        for start_mode, dock_height in (((1024, 768), 40), ((1024, 768), None), ((800, 600), None)):
            with self.subTest(start=start_mode, taskbar=dock_height), contextlib.ExitStack() as stack:
                desk.set_mode(*start_mode)
                found = desk.layout()
                reserved = 0
                if dock_height:
                    stack.enter_context(desk.dock(dock_height))
                    reserved = dock_height
                self.assertEqual(settled(desk.work_area, lambda area: area[3] == start_mode[1] - reserved),
                                 (0, 0, *start_mode[:1], start_mode[1] - reserved))
                started = self.start()
                stack.callback(started.stop)
                game.open_board(desk, started)
                desk.wait_for_layout(layout_with(found, game.SWITCHED_MODE, **{GAME_MONITOR: SWITCHED}))
                work_area = settled(desk.work_area, lambda area: area[3] == 600 - reserved)
                self.assertEqual(work_area, (0, 0, 800, 600 - reserved), 'the work area did not follow the switch')
                window = self.only_window(started.pid)
                frame = settled(lambda: desk.frame(window.id), lambda frame: frame and inside(frame, work_area))
                print(f'\nboard frame {frame}, client {window}, work area {work_area}')
                self.assertTrue(frame and inside(frame, work_area),
                                f'the board frame {frame} is not whole in the work area {work_area}')


class ScaledDesktopTest(DeskTest):
    """A desktop scaled 2x: the game still switches its monitor to 800 x 600 device pixels."""

    def test_both_windows_lie_whole_on_the_switched_monitor(self):
        self.enterContext(desk.scaled())
        found = desk.layout()
        started = self.start()
        desk.wait_for_layout(layout_with(found, game.SWITCHED_MODE, **{GAME_MONITOR: SWITCHED}))
        monitor = (0, 0, *game.SWITCHED_MODE)

        def placed(title):
            """The game's window whose title starts so, once it lies whole on the monitor, or as it
            lies after a moment: the game may still be fitting it to the screen when it first shows."""
            def read():
                return next((window for window in desk.x_windows(started.pid)
                             if window.title.lower().startswith(title.lower())), None)
            return settled(read, lambda window: window and inside(
                (window.x, window.y, window.width, window.height), monitor))
        windows = [('start window', placed(game.START_TITLE))]
        # AT-SPI gives logical places and xdotool clicks device pixels: press the button as a screen
        # reader does instead.
        self.assertTrue(desk.press(game.button(desk, started.pid, game.LAUNCH), started.pid))
        windows.append(('board', placed(game.FRENCH.title)))
        for name, window in windows:
            with self.subTest(window=name):
                self.assertIsNotNone(window, f'the {name} did not show')
                self.assertTrue(inside((window.x, window.y, window.width, window.height), monitor),
                                f'the {name} {window} is not whole on the {monitor[2]}x{monitor[3]} monitor')


if __name__ == '__main__':
    unittest.main()
