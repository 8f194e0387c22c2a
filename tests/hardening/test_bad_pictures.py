"""Hostile pictures: a one-word list ("chat") whose picture, Images/Mots/CHAT.gif, is replaced on a copy of
the game's application directory. The word is spelled by clicking its tiles on the real desktop; the game
must stay up and answering, with its memory bounded, show no picture that it could not read, and still end
through its quit button with the display given back.
"""

import os
import shutil
import struct
import subprocess
import unittest

import hardening as h  # first: it puts tests/desktop, where the modules below lie, on the path
import board_game as bg

desk = None

WORD = 'chat'
PICTURE = h.game.FRENCH.picture(WORD)
# Peak resident memory allowed over the game's with its own picture: far below what decoding any of the
# huge pictures below would take (30000 x 30000 pixels are 3.4 GiB at four bytes a pixel).
MEMORY_SLACK_KIB = 16 * 1024


def setUpModule():
    global desk
    desk = unittest.enterModuleContext(h.probed_desktop())


def gif(screen, frame):
    """A well-formed one-frame GIF whose logical screen and frame declare the given sizes, while its
    compressed data holds a single clear code and the end code."""
    header = b'GIF89a' + struct.pack('<HHBBB', *screen, 0x80, 0, 0) + b'\x00\x00\x00\xff\xff\xff'
    image = b'\x2c' + struct.pack('<HHHHB', 0, 0, *frame, 0) + b'\x02' + b'\x01\x2c\x00'
    return header + image + b'\x3b'


def own_picture():
    with open(os.path.join(os.path.dirname(h.game.game_binary()), PICTURE), 'rb') as picture:
        return picture.read()


# name: (what replaces the picture, whether the picture shows once the word is spelled)
CASES = {
    'intact': ('keep', True),
    'missing': ('remove', False),
    'zero bytes': (b'', False),
    # Cut inside its colour table: no frame can be drawn.
    'truncated in its header': ('truncate-header', False),
    # Cut after its first frames: those may show, as a browser shows them.
    'truncated after its first frames': ('truncate-frames', None),
    'not a GIF': (b'This is no picture, only text that ends in .gif\r\n' * 20, False),
    'declares 30000 x 30000': (gif((30000, 30000), (30000, 30000)), False),
    'frame of 30000 x 30000 on a small screen': (gif((16, 16), (30000, 30000)), None),
    'a folder named like the picture': ('folder', False),
    'a named pipe named like the picture': ('fifo', False),
    # Photos and pictures larger than the frame: shrunk to fit it.
    'a PNG photo of 640 x 480 instead': (('PNG', '640x480'), True),
    'a JPEG photo of 3000 x 4000 instead': (('JPEG', '3000x4000'), True),
    'the GIF enlarged to 600 x 600': (('GIF', '600x600'), True),
}


def put_picture(app_dir, content):
    path = os.path.join(app_dir, PICTURE)
    if content == 'keep':
        return
    whole = own_picture()
    os.remove(path)
    if content == 'remove':
        return
    if isinstance(content, tuple):
        # ImageMagick redraws the game's own picture in that format and size: a GIF every frame of it,
        # a photo its first frame.
        picture_format, size = content
        target = os.path.splitext(path)[0] + '.' + picture_format.lower()
        frames = 'gif:-' if picture_format == 'GIF' else 'gif:-[0]'
        subprocess.run(['/usr/bin/convert', frames, '-coalesce', '-resize', size + '!', f'{picture_format}:{target}'],
                       input=whole, check=True)
        return
    if content == 'truncate-header':
        content = whole[:400]
    elif content == 'truncate-frames':
        content = whole[:len(whole) // 3]
    elif content == 'folder':
        os.mkdir(path)
        with open(os.path.join(path, 'CHAT.gif'), 'wb') as inside:
            inside.write(whole)
    elif content == 'fifo':
        os.mkfifo(path)
    else:
        with open(path, 'wb') as out:
            out.write(content)


class BadPictureTest(unittest.TestCase):
    reference = None

    def play_through(self, name):
        """Plays the one word with the picture of the case; returns (board after spelling, peak KiB)."""
        content, _shows = CASES[name]
        binary = h.game.app_with_lists(desk, h.game.game_binary(), {h.game.FRENCH.list_file: [WORD]})
        app_dir = os.path.dirname(binary)
        put_picture(app_dir, content)

        desk.set_mode(*h.START_MODE)
        with h.started_board(desk, binary) as app:
            seconds, board = h.press_play(desk, app.pid)
            self.assertEqual(board.hint(), WORD)
            solved = bg.solve(desk, app.pid, WORD.upper())
            self.assertEqual(solved.answer(), WORD.upper())
            # The picture is loaded on the window thread as the last letter lands: the game must come
            # back from it and answer the next press at once.
            self.assertTrue(app.alive(), f'{name}: the game ended when the word was spelled:\n{app.output()}')
            after = bg.look(desk, app.pid)
            seconds, end = h.press_play(desk, app.pid)
            print(f'{name}: the play button answered after {seconds * 1000:.0f} ms')
            self.assertEqual(end.answer(), h.game.FRENCH.end_message)
            peak = h.memory_kib(app.pid)[1]
            status, _seconds = h.quit_board(desk, app)
            h.assert_clean_end(self, app, status, f'{name}: ')
        h.wait_display_restored(desk)
        if os.path.isdir(os.path.join(app_dir, PICTURE)):
            shutil.rmtree(os.path.join(app_dir, PICTURE))
        print(f'{name}: next word answered in {seconds * 1000:.0f} ms, peak RSS {peak} KiB')
        return after, peak

    def check(self, name):
        _content, shows = CASES[name]
        if BadPictureTest.reference is None:
            BadPictureTest.reference = self.play_through('intact')
        after, peak = BadPictureTest.reference if name == 'intact' else self.play_through(name)
        reference = BadPictureTest.reference[1]
        if shows is not None:
            self.assertEqual(after.picture() is not None, shows,
                             f'{name}: the picture {"does not show" if shows else "shows"}')
        if shows:
            # Centred on the frame as the board places every picture, and no larger than the frame.
            _x, y, width, height = after.picture().extents
            _frame_x, frame_y, frame_width, frame_height = after.rect(*bg.PICTURE_FRAME)
            self.assertLessEqual(width, frame_width + bg.SLACK, name)
            self.assertLessEqual(height, frame_height + bg.SLACK, name)
            self.assertTrue(frame_y - bg.SLACK <= y and y + height <= frame_y + frame_height + bg.SLACK,
                            f'{name}: the picture spans {y}..{y + height}, the frame {frame_y}..'
                            f'{frame_y + frame_height}')
        self.assertLess(peak - reference, h.memory_slack_kib(MEMORY_SLACK_KIB, h.game.game_binary()),
                        f'{name}: peak resident memory {peak} KiB against {reference} KiB with the intact '
                        'picture')


h.add_case_tests(BadPictureTest, CASES)


if __name__ == '__main__':
    unittest.main()
