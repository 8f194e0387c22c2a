"""Hostile sounds: the "Sons" folder of a copy of the game's application directory taken away or its WAV
files replaced. Every cue of a game is asked for (greeting, board, play, tile, slot, fanfare, goodbye):
the game must show no message, print nothing, never stall, and play on to its end as with its own sounds.
"""

import glob
import os
import shutil
import struct
import unittest

import hardening as h  # first: it puts tests/desktop, where the modules below lie, on the path
import board_game as bg

desk = None

WORDS = ('chat', 'lapin')


def setUpModule():
    global desk
    desk = unittest.enterModuleContext(h.probed_desktop())


def chunk(content, name):
    """Offset of the header (its name, then its size) of a chunk of a RIFF WAVE file."""
    position = 12
    while position + 8 <= len(content):
        size = struct.unpack_from('<I', content, position + 4)[0]
        if content[position:position + 4] == name:
            return position
        position += 8 + size + size % 2
    raise ValueError(f'no {name!r} chunk')


def oversized_data(content):
    """The data chunk claims 2 GB while the file holds what it holds."""
    content = bytearray(content)
    struct.pack_into('<I', content, chunk(content, b'data') + 4, 0x7FFFFFF0)
    struct.pack_into('<I', content, 4, 0x7FFFFFF0 + 36)
    return bytes(content)


def contradicting_format(content):
    """The format chunk claims 65535 channels at 4 billion frames a second, with a frame size and a byte
    rate that fit neither."""
    content = bytearray(content)
    fmt = chunk(content, b'fmt ') + 8
    struct.pack_into('<HIIH', content, fmt + 2, 0xFFFF, 0xFFFFFFFF, 3, 7)
    return bytes(content)


# name: what happens to the sounds, given the path of the "Sons" folder
CASES = {
    'no Sons folder': lambda folder: shutil.rmtree(folder),
    'zero-byte WAVs': lambda folder: rewrite(folder, lambda _content: b''),
    'data chunk longer than the file': lambda folder: rewrite(folder, oversized_data),
    'contradicting format chunk': lambda folder: rewrite(folder, contradicting_format),
    'text named .wav': lambda folder: rewrite(folder, lambda _content: b'RIFF? No, only a text file.\n' * 40),
    'named pipes named .wav': lambda folder: replace_by_pipes(folder),
}


def rewrite(folder, change):
    for path in glob.glob(os.path.join(folder, '*.wav')):
        with open(path, 'rb') as sound:
            content = sound.read()
        with open(path, 'wb') as sound:
            sound.write(change(content))


def replace_by_pipes(folder):
    for path in glob.glob(os.path.join(folder, '*.wav')):
        os.remove(path)
        os.mkfifo(path)


class BadSoundTest(unittest.TestCase):
    def assert_no_message(self, pid, when):
        dialogs = [window.name for window in desk.windows(pid) if window.role in ('alert', 'dialog')]
        self.assertEqual(dialogs, [], f'a message {when}')

    def check(self, name):
        binary = h.game.app_with_lists(desk, h.game.game_binary(), {h.game.FRENCH.list_file: WORDS})
        app_dir = os.path.dirname(binary)
        CASES[name](os.path.join(app_dir, 'Sons'))

        desk.set_mode(*h.START_MODE)
        with h.started_board(desk, binary) as app:
            self.assert_no_message(app.pid, 'when the board opened')
            seconds, board = h.press_play(desk, app.pid)
            print(f'{name}: the play button answered after {seconds * 1000:.0f} ms')
            word = board.hint().upper()
            self.assertIn(board.hint(), WORDS)

            # One letter placed, then a click on its slot takes it back to the row.
            board = bg.solve(desk, app.pid, word[0])
            desk.click_node(board.slot(0))
            bg.wait_board(desk, app.pid, lambda now: len(now.row()) == len(word) and not now.shown_slots(),
                          'the row to come back')
            self.assert_no_message(app.pid, 'after a tile and a slot were clicked')

            self.assertEqual(bg.solve(desk, app.pid, word).answer(), word)
            _seconds, board = h.press_play(desk, app.pid)
            self.assertIn(board.hint(), WORDS)
            self.assert_no_message(app.pid, 'after the word was spelled')

            status, took = h.quit_board(desk, app)
            h.assert_clean_end(self, app, status)
            self.assertEqual(app.output(), '', 'the game printed something')
        h.wait_display_restored(desk)
        print(f'{name}: ended {took * 1000:.0f} ms after the quit button')


h.add_case_tests(BadSoundTest, CASES)


if __name__ == '__main__':
    unittest.main()
