"""What the tests know about the game board: its design in twips, how a screen reader tells its tiles,
answer slots, hint, picture and buttons apart, how a player solves a word with the mouse, how a window
manager's close box reaches the window, and how a recording is recognised as one of the game's sounds.
The desktop tests, the hardening tests and the soak all read the board here, so that a change of the
board's layout is followed in one place.

The board is read through AT-SPI only. Tiles and slots are labels named by their letter; they are told
apart by their size, and the slots also by their place, both taken from the design (twips) at the scale
at which the window shows it, which follows from the window's width.
"""

import array
import ctypes
import ctypes.util
import math
import os
import wave

from game import BUTTON_ROLES, LANGUAGES
from harness import PATIENT, DesktopError, Timeout, matches, wait_for

TWIPS_PER_PIXEL = 15
# The part of the design that the background and the controls fill, in twips.
CONTENT = (12135, 8730)
TILE_ORIGIN = (600, 1080)
TILE_SIZE = (645, 675)
TILE_GAP = 50
SLOT_COUNT = 12
SLOT_TOP = 6480
SLOT_SIZE = (615, 855)
HINT_ORIGIN = (120, -240)
PICTURE_FRAME = (120, 5280, 2655, 3015)
CREDIT_COLOUR = (192, 255, 255)
PICTURE_SIZE = (160, 150)  # pixels, every picture of the game
# A label's box may differ from the design by one pixel: each edge is rounded on its own.
SLACK = 1


def is_credit_colour(pixel):
    """A pixel of the credit line's text, drawn in its light cyan, even where smoothing blends it."""
    red, green, blue = pixel
    return abs(red - CREDIT_COLOUR[0]) <= 48 and green >= 200 and blue >= 200


def close_enough(found, expected, slack=SLACK):
    return all(abs(a - b) <= slack for a, b in zip(found, expected))


class Board:
    """The board as a screen reader saw it at one moment."""

    def __init__(self, window):
        self.window = window
        self.x, self.y, self.width, self.height = window.extents
        self.scale = self.width * TWIPS_PER_PIXEL / CONTENT[0]
        # A board that fills a monitor of other proportions lies centred between margins, at the scale
        # at which the whole design fits.
        if abs(self.width / self.height - CONTENT[0] / CONTENT[1]) > 0.01:
            self.scale = min(self.width / CONTENT[0], self.height / CONTENT[1]) * TWIPS_PER_PIXEL
            self.x += (self.width - self.px(CONTENT[0])) // 2
            self.y += (self.height - self.px(CONTENT[1])) // 2
        self._children = [node for node in window.children if node.showing]

    def px(self, twips):
        return math.floor(twips / TWIPS_PER_PIXEL * self.scale + 0.5)

    def rect(self, left, top, width, height):
        """A design rectangle in twips as desktop pixels (x, y, width, height)."""
        x, y = self.px(left), self.px(top)
        return self.x + x, self.y + y, self.px(left + width) - x, self.px(top + height) - y

    def _labels(self):
        return [node for node in self._children if node.role == 'label']

    def tile_size(self):
        return self.rect(*TILE_ORIGIN, *TILE_SIZE)[2:]

    def tiles(self):
        """The letter tiles that show, from left to right."""
        return sorted((node for node in self._labels() if close_enough(node.extents[2:], self.tile_size())),
                      key=lambda node: node.extents[0])

    def row_top(self):
        return self.rect(*TILE_ORIGIN, *TILE_SIZE)[1]

    def row(self):
        """The tiles that stand in the row, not yet sent towards the slots."""
        return [tile for tile in self.tiles() if abs(tile.extents[1] - self.row_top()) <= SLACK]

    def slot_rect(self, index):
        return self.rect(3000 + 720 * index, SLOT_TOP, *SLOT_SIZE)

    def slot(self, index):
        """The answer slot at index when it shows, or None."""
        found = [node for node in self._labels() if close_enough(node.extents, self.slot_rect(index))]
        return found[0] if len(found) == 1 else None

    def slots(self):
        """The caption of each of the twelve answer slots, None for a slot that does not show."""
        return [node.name if node is not None else None for node in map(self.slot, range(SLOT_COUNT))]

    def shown_slots(self):
        """The answer slots that show, from the left."""
        return [node for node in map(self.slot, range(SLOT_COUNT)) if node is not None]

    def answer(self):
        """What the slots that show spell."""
        return ''.join(node.name for node in self.shown_slots())

    def hint(self):
        """The hint's text; empty when the hint label shows nothing."""
        x, y = self.x + self.px(HINT_ORIGIN[0]), self.y + self.px(HINT_ORIGIN[1])
        for node in self._labels():
            if close_enough(node.extents[:2], (x, y)) and not close_enough(node.extents[2:], self.tile_size()):
                return node.name
        return ''

    def picture(self):
        """The picture viewer when it shows something: the board's one image, named after its word."""
        found = [node for node in self._children if node.role == 'image' and node.extents[2] > 0]
        return found[0] if len(found) == 1 else None

    def expected_picture_rect(self):
        """Where a picture of the game's size belongs: centred on its frame's width from the window's
        left edge (the frame's own left is not added) and on the frame's height from its top."""
        _frame_left, frame_top, frame_width, frame_height = PICTURE_FRAME
        width, height = (side * TWIPS_PER_PIXEL for side in PICTURE_SIZE)
        return self.rect(frame_width / 2 - width / 2, frame_height / 2 + frame_top - height / 2, width, height)

    def control(self, role, name):
        found = [node for node in self._children if matches(node, role=role, name=name)]
        return found[0] if len(found) == 1 else None

    def button(self, name):
        """The button with that caption, of whatever kind; raises DesktopError when there is none."""
        found = self.control(BUTTON_ROLES, name)
        if found is None:
            raise DesktopError(f'no button {name!r} on the board:\n{self.window.describe()}')
        return found


def board_window(desk, pid):
    """The board's accessible window when it shows, or None."""
    for window in desk.windows(pid):
        if window.showing and window.name in (language.title for language in LANGUAGES) and window.extents:
            return window
    return None


def read_board(desk, pid):
    window = board_window(desk, pid)
    return Board(window) if window is not None else None


def look(desk, pid):
    """The board as it shows now; raises DesktopError when it does not show."""
    board = read_board(desk, pid)
    if board is None:
        app = desk.accessible_app(pid)
        raise DesktopError('the board does not show:\n' + (app.describe() if app else '(no application)'))
    return board


def wait_board(desk, pid, condition, what, timeout=PATIENT):
    """Reads the board until condition(board) holds and returns that board.

    A reading walks the controls one by one while the game goes on, so it may straddle one of the
    game's handlers: the condition must hold on two readings in a row, the second of which then shows
    the state that the handler left whole."""
    last = []

    def holds(board):
        last[:] = [board]
        return board is not None and condition(board)

    def check():
        if not holds(read_board(desk, pid)):
            return None
        board = read_board(desk, pid)
        return board if holds(board) else None
    try:
        return wait_for(check, timeout=timeout, what=what)
    except Timeout as error:
        board = last[0] if last else None
        raise Timeout(f'{error}; the board was:\n'
                      + (board.window.describe() if board else '(not showing)')) from None


def start_round(desk, pid, language, previous_hint=''):
    """Presses the play button and waits until a new word is laid out; returns the board then."""
    play = wait_board(desk, pid, lambda board: board.control('push button', language.play),
                      'the play button').control('push button', language.play)
    desk.activate(play, pid)
    return wait_board(desk, pid, lambda board: board.hint() not in ('', previous_hint) and board.row(),
                      'the next word to be laid out')


def place(desk, pid, letter, position):
    """Clicks a tile of the row that shows the letter and waits until the letter fills the slot at
    position (counted from 0); returns the board then."""
    board = look(desk, pid)
    tiles = [tile for tile in board.row() if tile.name == letter]
    if not tiles:
        raise AssertionError(f'no tile {letter!r} in the row:\n{board.window.describe()}')
    desk.activate(tiles[0], pid)
    return wait_board(desk, pid, lambda now: now.slots()[position] == letter,
                      f'{letter!r} to be placed in slot {position}')


def solve(desk, pid, letters):
    """Places the letters in the given order into the empty slots; returns the board then."""
    board = None
    for position, letter in enumerate(letters):
        board = place(desk, pid, letter, position)
    return board


def wait_end_message(desk, pid, language):
    message = language.end_message
    return wait_board(desk, pid, lambda board: board.slots()[:len(message)] == list(message),
                      f'the end message {message!r}')


# --- what the screen shows -----------------------------------------------------------------------------

def changed_share(before, after, rect):
    """The share of the pixels of rect (x, y, width, height) that differ between two screenshots."""
    x, y, width, height = rect
    changed = sum(1 for row in range(y, y + height) for column in range(x, x + width)
                  if before.pixel(column, row) != after.pixel(column, row))
    return changed / (width * height)


def changes_around(before, after, rect, gap, width):
    """How many pixels differ between two screenshots in the band of the given width that surrounds
    rect at the given gap, clipped to the screen."""
    x, y, rect_width, rect_height = rect
    left, top = max(0, x - gap - width), max(0, y - gap - width)
    right = min(before.width, x + rect_width + gap + width)
    bottom = min(before.height, y + rect_height + gap + width)
    inner = (x - gap, y - gap, x + rect_width + gap, y + rect_height + gap)
    return sum(1 for row in range(top, bottom) for column in range(left, right)
               if not (inner[0] <= column < inner[2] and inner[1] <= row < inner[3])
               and before.pixel(column, row) != after.pixel(column, row))


# --- a window manager's close box ---------------------------------------------------------------------

_x11 = ctypes.CDLL(ctypes.util.find_library('X11') or 'libX11.so.6')
_x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x11.XOpenDisplay.restype = ctypes.c_void_p
_x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
_x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
_x11.XInternAtom.restype = ctypes.c_ulong
_x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
_x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
_CLIENT_MESSAGE = 33
_NO_EVENT_MASK = 0
_CURRENT_TIME = 0


class _ClientMessageEvent(ctypes.Structure):
    _fields_ = [('type', ctypes.c_int), ('serial', ctypes.c_ulong), ('send_event', ctypes.c_int),
                ('display', ctypes.c_void_p), ('window', ctypes.c_ulong), ('message_type', ctypes.c_ulong),
                ('format', ctypes.c_int), ('data', ctypes.c_long * 5)]


class _XEvent(ctypes.Union):
    # Xlib's XEvent is 24 longs whatever the kind of event.
    _fields_ = [('client', _ClientMessageEvent), ('pad', ctypes.c_long * 24)]


def press_close_box(display, window_id):
    """Sends the window what a window manager sends when its close box is clicked: a WM_DELETE_WINDOW
    client message of the WM_PROTOCOLS kind (there is no window manager on the test display)."""
    connection = _x11.XOpenDisplay(display.encode())
    if not connection:
        raise OSError(f'cannot open X display {display}')
    try:
        event = _XEvent()
        event.client.type = _CLIENT_MESSAGE
        event.client.window = window_id
        event.client.message_type = _x11.XInternAtom(connection, b'WM_PROTOCOLS', 0)
        event.client.format = 32
        event.client.data[0] = _x11.XInternAtom(connection, b'WM_DELETE_WINDOW', 0)
        event.client.data[1] = _CURRENT_TIME
        if not _x11.XSendEvent(connection, window_id, 0, _NO_EVENT_MASK, ctypes.byref(event)):
            raise OSError('XSendEvent failed')
        _x11.XSync(connection, 0)
    finally:
        _x11.XCloseDisplay(connection)


# --- recognising a sound ------------------------------------------------------------------------------

ENVELOPE_FRAME = 0.01  # seconds
# A recording holds a sound when some stretch of its loudness curve follows the sound's own this closely
# (a correlation coefficient).
SAME_SOUND = 0.95


def _envelope(samples, rate, channels):
    """Loudness (RMS) of the first channel in frames of ENVELOPE_FRAME."""
    mono = samples[::channels]
    step = int(rate * ENVELOPE_FRAME)
    return [math.sqrt(sum(value * value for value in mono[start:start + step]) / step)
            for start in range(0, len(mono) - step + 1, step)]


def sound_envelope(path):
    with wave.open(path) as sound:
        if sound.getsampwidth() != 2:
            raise ValueError(f'{path}: only 16-bit sounds are compared')
        samples = array.array('h', sound.readframes(sound.getnframes()))
        return _envelope(samples, sound.getframerate(), sound.getnchannels())


def recording_samples(path, channels=2):
    """The first channel of a recording that parecord may still be writing (16-bit, as the harness
    records), read from its data chunk whatever the header says of its length."""
    with open(path, 'rb') as recording:
        content = recording.read()
    start = content.find(b'data')
    if start < 0:
        return array.array('h')
    body = content[start + 8:]
    body = body[:len(body) // (2 * channels) * 2 * channels]
    return array.array('h', body)[::channels]


# A frame is loud enough to be judged above this RMS (of 32768), and holds the tone when this share of its
# energy lies at the tone's frequency.
TONE_LOUD = 300
TONE_SHARE = 0.5


def tone_frames(samples, frequency, rate=44100):
    """(loud frames, loud frames that hold a pure tone of that frequency) among the frames of
    ENVELOPE_FRAME: each is weighed by the Goertzel filter, which gaps in the sound do not disturb."""
    step = int(rate * ENVELOPE_FRAME)
    coefficient = 2 * math.cos(2 * math.pi * frequency / rate)
    loud = tonal = 0
    for start in range(0, len(samples) - step + 1, step):
        frame = samples[start:start + step]
        energy = sum(value * value for value in frame)
        if energy < TONE_LOUD * TONE_LOUD * step:
            continue
        loud += 1
        previous = before = 0.0
        for value in frame:
            previous, before = value + coefficient * previous - before, previous
        power = previous * previous + before * before - coefficient * previous * before
        if power >= TONE_SHARE * energy * step / 2:
            tonal += 1
    return loud, tonal


def wait_for_tone(recorder, frequency, seconds, timeout=PATIENT):
    """Waits until the recording holds `seconds` of sound, three quarters of it a pure tone of the frequency
    (a voice never is), and returns (loud frames, tonal frames); raises Timeout otherwise. The sound may
    come with gaps, as a busy machine plays it."""
    found = [(0, 0)]

    def heard():
        found[0] = tone_frames(recording_samples(recorder.path), frequency)
        loud, tonal = found[0]
        return loud * ENVELOPE_FRAME >= seconds and tonal >= 0.75 * loud
    try:
        wait_for(heard, timeout=timeout, interval=0.1, what=f'a tone of {frequency:.0f} Hz on the sink')
    except Timeout as error:
        raise Timeout(f'{error} (loud frames {found[0][0]}, of them the tone {found[0][1]})') from None
    return found[0]


def recording_envelope(path, rate=44100, channels=2):
    """The loudness curve of a recording that parecord may still be writing (16-bit, as the harness
    records), read from its data chunk whatever the header says of its length."""
    with open(path, 'rb') as recording:
        content = recording.read()
    start = content.find(b'data')
    if start < 0:
        return []
    body = content[start + 8:]
    body = body[:len(body) // (2 * channels) * 2 * channels]
    return _envelope(array.array('h', body), rate, channels)


# A moment of a curve quieter than this share of the reference's loudest is silence.
SILENCE_SHARE = 0.01


def _sounding(envelope, floor):
    return [value for value in envelope if value > floor]


def _correlation(first, second):
    count = len(first)
    mean_first, mean_second = sum(first) / count, sum(second) / count
    covariance = sum((a - mean_first) * (b - mean_second) for a, b in zip(first, second))
    spread = math.sqrt(sum((a - mean_first) ** 2 for a in first) * sum((b - mean_second) ** 2 for b in second))
    return covariance / spread if spread else 0.0


def best_match(envelope, reference):
    """The highest correlation of the reference curve with any stretch of the envelope (0 when the
    envelope is shorter than the reference)."""
    width = len(reference)
    return max((_correlation(envelope[lag:lag + width], reference)
                for lag in range(len(envelope) - width + 1)), default=0.0)


def wait_for_sound(recorder, reference_path, window=(0.3, 2.0), timeout=PATIENT):
    """Waits until the recording holds the stretch `window` (seconds) of the reference sound and returns
    the likeness found; raises Timeout, with the best likeness seen, otherwise. The first moments of a
    sound are left out by default: the sink's monitor may drop some of them when one sound cuts off
    another.

    A busy machine plays a sound with gaps: the sound server pauses the stream when the player falls
    behind, then goes on where it was. The silent moments are left out of both curves before they are
    compared, so that the gaps neither break the likeness nor shift the rest of the sound."""
    whole = sound_envelope(reference_path)
    floor = SILENCE_SHARE * max(whole, default=0.0)
    reference = _sounding(whole[int(window[0] / ENVELOPE_FRAME):int(window[1] / ENVELOPE_FRAME)], floor)
    best = [0.0]

    def heard():
        best[0] = best_match(_sounding(recording_envelope(recorder.path), floor), reference)
        return best[0] >= SAME_SOUND
    try:
        wait_for(heard, timeout=timeout, interval=0.1, what=f'{os.path.basename(reference_path)} on the sink')
    except Timeout as error:
        raise Timeout(f'{error} (best likeness {best[0]:.2f})') from None
    return best[0]

