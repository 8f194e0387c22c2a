"""A small X client in ctypes: screenshots of the root window, a watch on top-level windows being mapped,
and a taskbar.

All need a direct X connection: a screenshot must read the pixels without ImageMagick, the moment a
window is mapped must be taken when the server reports it, not when a polling command next looks, and a
taskbar is a window of its own that some client must own for as long as it stands.
"""

import ctypes
import ctypes.util
import select
import struct
import threading
import time
import zlib

_x11 = ctypes.CDLL(ctypes.util.find_library('X11') or 'libX11.so.6')

_Display_p = ctypes.c_void_p
_Window = ctypes.c_ulong
_Atom = ctypes.c_ulong

_x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x11.XOpenDisplay.restype = _Display_p
_x11.XCloseDisplay.argtypes = [_Display_p]
_x11.XDefaultRootWindow.argtypes = [_Display_p]
_x11.XDefaultRootWindow.restype = _Window
_x11.XGetGeometry.argtypes = [_Display_p, _Window, ctypes.POINTER(_Window), ctypes.POINTER(ctypes.c_int),
                              ctypes.POINTER(ctypes.c_int)] + [ctypes.POINTER(ctypes.c_uint)] * 4
_x11.XConnectionNumber.argtypes = [_Display_p]
_x11.XSelectInput.argtypes = [_Display_p, _Window, ctypes.c_long]
_x11.XFlush.argtypes = [_Display_p]
_x11.XSync.argtypes = [_Display_p, ctypes.c_int]
_x11.XPending.argtypes = [_Display_p]
_x11.XNextEvent.argtypes = [_Display_p, ctypes.c_void_p]
_x11.XInternAtom.argtypes = [_Display_p, ctypes.c_char_p, ctypes.c_int]
_x11.XInternAtom.restype = _Atom
_x11.XGetWindowProperty.argtypes = [
    _Display_p, _Window, _Atom, ctypes.c_long, ctypes.c_long, ctypes.c_int, _Atom,
    ctypes.POINTER(_Atom), ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
    ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
_x11.XFree.argtypes = [ctypes.c_void_p]
_x11.XGetImage.argtypes = [_Display_p, _Window, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                           ctypes.c_ulong, ctypes.c_int]
_x11.XGetImage.restype = ctypes.c_void_p
_x11.XDestroyImage.argtypes = [ctypes.c_void_p]
_x11.XSetErrorHandler.restype = ctypes.c_void_p
_x11.XCreateSimpleWindow.argtypes = [_Display_p, _Window, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
_x11.XCreateSimpleWindow.restype = _Window
_x11.XChangeProperty.argtypes = [_Display_p, _Window, _Atom, _Atom, ctypes.c_int, ctypes.c_int,
                                 ctypes.c_void_p, ctypes.c_int]
_x11.XMoveResizeWindow.argtypes = [_Display_p, _Window, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                   ctypes.c_uint]
_x11.XMapWindow.argtypes = [_Display_p, _Window]
_x11.XDestroyWindow.argtypes = [_Display_p, _Window]

_SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
_PROP_MODE_REPLACE = 0
_MAP_NOTIFY = 19
_Z_PIXMAP = 2
_ALL_PLANES = 0xFFFFFFFFFFFFFFFF

# A window that is gone by the time its property is read raises BadWindow; Xlib's default handler would
# end the whole test process for that.
_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda display, event: 0)
_x11.XSetErrorHandler(_ERROR_HANDLER)


class _MapEvent(ctypes.Structure):
    _fields_ = [('type', ctypes.c_int), ('serial', ctypes.c_ulong), ('send_event', ctypes.c_int),
                ('display', ctypes.c_void_p), ('event', _Window), ('window', _Window),
                ('override_redirect', ctypes.c_int)]


class _XImage(ctypes.Structure):
    _fields_ = [('width', ctypes.c_int), ('height', ctypes.c_int), ('xoffset', ctypes.c_int),
                ('format', ctypes.c_int), ('data', ctypes.c_void_p), ('byte_order', ctypes.c_int),
                ('bitmap_unit', ctypes.c_int), ('bitmap_bit_order', ctypes.c_int),
                ('bitmap_pad', ctypes.c_int), ('depth', ctypes.c_int), ('bytes_per_line', ctypes.c_int),
                ('bits_per_pixel', ctypes.c_int), ('red_mask', ctypes.c_ulong),
                ('green_mask', ctypes.c_ulong), ('blue_mask', ctypes.c_ulong)]


class XConnection:
    """One connection to a display, closed on exit."""

    def __init__(self, display):
        self._display = _x11.XOpenDisplay(display.encode())
        if not self._display:
            raise OSError(f'cannot open X display {display}')
        self.root = _x11.XDefaultRootWindow(self._display)

    def close(self):
        if self._display:
            _x11.XCloseDisplay(self._display)
            self._display = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    @property
    def handle(self):
        return self._display

    def screen_size(self):
        # Asked of the server each time: the sizes that Xlib keeps from the connection set-up go stale
        # as soon as someone switches the mode.
        root, x, y = _Window(), ctypes.c_int(), ctypes.c_int()
        width, height, border, depth = ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint(), ctypes.c_uint()
        if not _x11.XGetGeometry(self._display, self.root, ctypes.byref(root), ctypes.byref(x), ctypes.byref(y),
                                 ctypes.byref(width), ctypes.byref(height), ctypes.byref(border),
                                 ctypes.byref(depth)):
            raise OSError('XGetGeometry failed on the root window')
        return width.value, height.value

    def cardinal_property(self, window, name):
        """The first 32-bit value of a window property, or None when the window has none."""
        atom = _x11.XInternAtom(self._display, name.encode(), 0)
        actual_type, actual_format = _Atom(), ctypes.c_int()
        count, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        status = _x11.XGetWindowProperty(self._display, window, atom, 0, 1, 0, 0, ctypes.byref(actual_type),
                                         ctypes.byref(actual_format), ctypes.byref(count),
                                         ctypes.byref(after), ctypes.byref(data))
        try:
            if status != 0 or actual_format.value != 32 or count.value == 0:
                return None
            # Format-32 properties arrive as an array of C longs.
            return ctypes.cast(data, ctypes.POINTER(ctypes.c_long))[0] & 0xFFFFFFFF
        finally:
            if data:
                _x11.XFree(data)

    def screenshot(self):
        width, height = self.screen_size()
        pointer = _x11.XGetImage(self._display, self.root, 0, 0, width, height, _ALL_PLANES, _Z_PIXMAP)
        if not pointer:
            raise OSError('XGetImage failed on the root window')
        try:
            image = _XImage.from_address(pointer)
            if image.bits_per_pixel != 32:
                raise OSError(f'unexpected {image.bits_per_pixel} bits per pixel')
            raw = ctypes.string_at(image.data, image.bytes_per_line * image.height)
            stride = image.bytes_per_line
            rgb = bytearray(width * height * 3)
            for y in range(height):
                row = raw[y * stride:y * stride + width * 4]
                line = memoryview(rgb)[y * width * 3:(y + 1) * width * 3]
                line[0::3] = row[2::4]
                line[1::3] = row[1::4]
                line[2::3] = row[0::4]
            return Image(width, height, bytes(rgb))
        finally:
            _x11.XDestroyImage(pointer)


class Image:
    """An RGB picture of the screen."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def pixel(self, x, y):
        offset = (y * self.width + x) * 3
        return tuple(self.rgb[offset:offset + 3])

    def crop(self, x, y, width, height):
        rows = [self.rgb[((y + row) * self.width + x) * 3:((y + row) * self.width + x + width) * 3]
                for row in range(height)]
        return Image(width, height, b''.join(rows))

    def save_png(self, path):
        def chunk(kind, body):
            return (struct.pack('>I', len(body)) + kind + body
                    + struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF))
        stride = self.width * 3
        raw = b''.join(b'\x00' + self.rgb[y * stride:(y + 1) * stride] for y in range(self.height))
        with open(path, 'wb') as out:
            out.write(b'\x89PNG\r\n\x1a\n')
            out.write(chunk(b'IHDR', struct.pack('>IIBBBBB', self.width, self.height, 8, 2, 0, 0, 0)))
            out.write(chunk(b'IDAT', zlib.compress(raw, 6)))
            out.write(chunk(b'IEND', b''))


class MapWatch:
    """Records, from a thread of its own, when each top-level window is mapped and which process owns it.

    The time is taken (time.monotonic) as soon as the server's MapNotify arrives, so that a program's
    start-up can be timed from outside to within a fraction of a millisecond.
    """

    def __init__(self, display):
        self._connection = XConnection(display)
        self._events = []
        self._lock = threading.Lock()
        self._changed = threading.Condition(self._lock)
        self._running = True
        _x11.XSelectInput(self._connection.handle, self._connection.root, _SUBSTRUCTURE_NOTIFY_MASK)
        _x11.XSync(self._connection.handle, 0)
        self._thread = threading.Thread(target=self._run, name='MapWatch', daemon=True)
        self._thread.start()

    def _run(self):
        display = self._connection.handle
        fd = _x11.XConnectionNumber(display)
        event = ctypes.create_string_buffer(192)
        while self._running:
            ready, _, _ = select.select([fd], [], [], 0.05)
            now = time.monotonic()
            if not ready and not _x11.XPending(display):
                continue
            while _x11.XPending(display):
                _x11.XNextEvent(display, event)
                mapped = _MapEvent.from_buffer(event)
                if mapped.type != _MAP_NOTIFY or mapped.event != self._connection.root:
                    continue
                pid = self._connection.cardinal_property(mapped.window, '_NET_WM_PID')
                with self._changed:
                    self._events.append((now, mapped.window, pid))
                    self._changed.notify_all()

    def first_map(self, pid, since, timeout):
        """(time, window) of the first window of process pid mapped at or after since, or None on timeout."""
        deadline = time.monotonic() + timeout
        with self._changed:
            while True:
                for when, window, owner in self._events:
                    if owner == pid and when >= since:
                        return when, window
                remaining = deadline - time.monotonic()
                if remaining <= 0:
                    return None
                self._changed.wait(remaining)

    def close(self):
        self._running = False
        self._thread.join()
        self._connection.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class Dock:
    """A taskbar along the bottom of the screen, as a desktop panel is: a dock window that reserves a
    strip through _NET_WM_STRUT_PARTIAL. Like a real panel it follows the screen when its size changes,
    from a thread that owns the connection until close()."""

    def __init__(self, display, height=40):
        self.height = height
        self._connection = XConnection(display)
        handle = self._connection.handle
        self.window = _x11.XCreateSimpleWindow(handle, self._connection.root, 0, 0, 1, height, 0, 0, 0x303030)
        self._set(b'_NET_WM_WINDOW_TYPE', b'ATOM', [_x11.XInternAtom(handle, b'_NET_WM_WINDOW_TYPE_DOCK', 0)])
        self._size = None
        self._follow()
        _x11.XMapWindow(handle, self.window)
        _x11.XSync(handle, 0)
        self._running = True
        self._thread = threading.Thread(target=self._run, name='Dock', daemon=True)
        self._thread.start()

    def _set(self, name, kind, values):
        handle = self._connection.handle
        data = (ctypes.c_long * len(values))(*values)
        _x11.XChangeProperty(handle, self.window, _x11.XInternAtom(handle, name, 0),
                             _x11.XInternAtom(handle, kind, 0), 32, _PROP_MODE_REPLACE, data, len(values))

    def _follow(self):
        size = self._connection.screen_size()
        if size == self._size:
            return
        self._size = width, screen_height = size
        # Struts count from the screen's edges: the bottom one stays valid whatever the size, but its
        # horizontal extent and the window's place must follow the new width and height. xfwm4 drops
        # the strut of a window that lies off the screen when it resizes, and counts it again only when
        # the strut is stated anew: the window moves first.
        _x11.XMoveResizeWindow(self._connection.handle, self.window, 0, screen_height - self.height, width,
                               self.height)
        _x11.XSync(self._connection.handle, 0)
        self._set(b'_NET_WM_STRUT_PARTIAL', b'CARDINAL', [0, 0, 0, self.height] + [0] * 7 + [width - 1])
        self._set(b'_NET_WM_STRUT', b'CARDINAL', [0, 0, 0, self.height])
        _x11.XSync(self._connection.handle, 0)

    def _run(self):
        while self._running:
            self._follow()
            time.sleep(0.02)

    def close(self):
        self._running = False
        self._thread.join()
        _x11.XDestroyWindow(self._connection.handle, self.window)
        _x11.XSync(self._connection.handle, 0)
        self._connection.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
