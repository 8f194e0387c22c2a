"""A private real desktop for testing the game from outside, as a player and a screen reader see it.

    with Desktop(mode=(1024, 768)) as desk:
        with desk.recorder() as sound:        # records from before the sound is expected
            game = desk.launch(binary)
            window = desk.wait_for_window(game.pid, 'Trouvimo')
            sound.wait_heard()                 # polls the recording until it holds a sound
        print(sound.result().max_amplitude)
        desk.click_node(desk.find_one(game.pid, role='push button', name='Quitter'))
        game.wait_exit(5)
        assert desk.mode() == (1024, 768)

Desktop starts, each by its own process id, an X server with switchable modes (the dummy driver), a
PulseAudio server whose only sink is a null sink that can be recorded, and a D-Bus session bus with the
AT-SPI accessibility bus. Every process it starts is stopped by its id when the block ends, also when it
ends with an exception. When the harness itself is ended by a signal (a CI timeout's SIGTERM, Ctrl+C's
SIGINT, even SIGKILL), a companion process (sweeper.py) stops everything the desktop started, the
processes that those started in turn included (the game, its display guardian, the speech server).

Waits for what must happen have generous limits (PATIENT): the suite runs on machines busy with other work
and in builds with the sanitizers, and a limit costs nothing when things go right. How fast something
happens is for the benchmarks (bench/) to measure.

Accessibility queries run in a child process (atspi_agent.py) bound to the desktop's session bus and are
read afresh at each call: the game changes under our feet, so nothing here caches what it saw.
"""

import contextlib
import ctypes
import glob
import html
import json
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import wave
from dataclasses import dataclass, field

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import sweeper  # noqa: E402  (found beside this file)
import xclient  # noqa: E402

XORG_CONF = os.path.join(HERE, 'xorg-dummy.conf')
AGENT = os.path.join(HERE, 'atspi_agent.py')
SWEEPER = os.path.join(HERE, 'sweeper.py')
SYSTEM_PYTHON = '/usr/bin/python3'
AT_SPI_LAUNCHER = '/usr/libexec/at-spi-bus-launcher'
OUTPUT = 'DUMMY0'
SINK = 'trouvimo_sink'
MODES = ((1024, 768), (800, 600), (1280, 600), (800, 480))
# Every process started here carries this variable; the final sweep finds the ones that daemonised away
# from us (the accessibility registry is started by the accessibility bus, not by us) by it.
MARKER = 'TROUVIMO_DESKTOP'
# A recording whose loudest sample stays below this is silence (a null sink's monitor gives exact zeros).
HEARD_THRESHOLD = 0.02
# Seconds that a wait for something that must happen may last before the test fails.
PATIENT = 30.0

_libc = ctypes.CDLL(None, use_errno=True)
_PR_SET_PDEATHSIG = 1
_PR_SET_CHILD_SUBREAPER = 36


def _die_with_parent():
    # SIGTERM rather than SIGKILL: an X server that is told to end removes its lock file and socket.
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGTERM)


class DesktopError(RuntimeError):
    pass


class Timeout(AssertionError):
    pass


def wait_for(condition, timeout=PATIENT, interval=0.02, what='condition'):
    """Polls condition() until it returns something true, and returns that; raises Timeout otherwise."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise Timeout(f'timed out after {timeout:.1f} s waiting for {what}')
        time.sleep(interval)


def _stop_pid(process, grace=sweeper.GRACE_SECONDS):
    """Stops one process we started: SIGTERM, then SIGKILL if it lingers. Returns its exit status."""
    if process.poll() is not None:
        return process.returncode
    with contextlib.suppress(ProcessLookupError):
        process.send_signal(signal.SIGTERM)
    try:
        return process.wait(grace)
    except subprocess.TimeoutExpired:
        with contextlib.suppress(ProcessLookupError):
            process.kill()
        return process.wait()


# --- what the accessibility tree and the X server report -------------------------------------------------

@dataclass
class Node:
    """One accessible object as it was when queried."""
    role: str
    name: str
    states: frozenset
    extents: tuple  # (x, y, width, height) in desktop coordinates, or None
    path: tuple
    children: list = field(default_factory=list)

    @classmethod
    def from_json(cls, data):
        return cls(role=data['role'], name=data['name'], states=frozenset(data['states']),
                   extents=tuple(data['extents']) if data['extents'] is not None else None,
                   path=tuple(data['path']), children=[cls.from_json(c) for c in data['children']])

    @property
    def showing(self):
        return 'showing' in self.states

    @property
    def visible(self):
        return 'visible' in self.states

    @property
    def enabled(self):
        return 'enabled' in self.states

    def centre(self):
        x, y, width, height = self.extents
        return x + width // 2, y + height // 2

    def walk(self):
        yield self
        for child in self.children:
            yield from child.walk()

    def describe(self, indent=0):
        lines = [f'{"  " * indent}{self.role} {self.name!r} {sorted(self.states)} {self.extents}']
        for child in self.children:
            lines.append(child.describe(indent + 1))
        return '\n'.join(lines)


def plain_name(name):
    """An accessible name without the '&' that marks an access key ('&Quitter' and 'Quitter' match)."""
    return name.replace('&&', '\0').replace('&', '').replace('\0', '&')


def matches(node, role=None, name=None, showing=None):
    """role: a role name or a set of them; name: a name ('&' ignored) or a predicate on the name."""
    if role is not None and not (node.role == role if isinstance(role, str) else node.role in role):
        return False
    if name is not None:
        wanted = name if callable(name) else (lambda n: plain_name(n) == plain_name(name))
        if not wanted(node.name):
            return False
    if showing is not None and node.showing != showing:
        return False
    return True


@dataclass
class XWindow:
    """A top-level X window as xwininfo reports it (positions relative to the root)."""
    id: int
    x: int
    y: int
    width: int
    height: int
    viewable: bool
    title: str


@dataclass
class Recording:
    path: str
    max_amplitude: float
    seconds: float

    @property
    def heard(self):
        return self.max_amplitude >= HEARD_THRESHOLD


class Recorder:
    """Records the null sink from before the sound is expected until stop(); use as a context manager."""

    def __init__(self, desktop, path):
        self._desktop = desktop
        self.path = path
        self._result = None
        self._scanned = 0
        self._peak = 0
        # A short latency makes parecord write as it goes: with its default two-second fragments the
        # end of a recording is still in the server when parecord is told to stop, and is lost.
        self._process = desktop._spawn(
            ['parecord', '-d', f'{SINK}.monitor', '--latency-msec=20', '--format=s16le', '--channels=2',
             '--rate=44100', '--file-format=wav', path], log='parecord')
        # The sound must not start before the recording stream really exists.
        wait_for(lambda: self._process.poll() is not None or self._recording_streams() > 0,
                 what='the recorder to connect')
        if self._process.poll() is not None:
            raise DesktopError('parecord ended at once: ' + desktop.log_text('parecord'))

    def _recording_streams(self):
        out = self._desktop.run(['pactl', 'list', 'short', 'source-outputs'], check=False).stdout
        return sum(1 for line in out.splitlines() if line.strip())

    def peak_so_far(self):
        """The loudest sample written so far (0..1), read from the file while parecord still writes it."""
        with contextlib.suppress(OSError):
            with open(self.path, 'rb') as recording:
                content = recording.read()
            start = content.find(b'data')
            if start >= 0:
                start += 8
                begin = max(start, self._scanned)
                end = begin + (len(content) - begin) // 2 * 2
                if end > begin:
                    samples = memoryview(content[begin:end]).cast('h')
                    self._peak = max(self._peak, max(abs(sample) for sample in samples))
                    self._scanned = end
        return self._peak / 32768

    def wait_heard(self, timeout=PATIENT):
        """Waits until the recording holds a sound; raises Timeout if it stays silent."""
        wait_for(lambda: self.peak_so_far() >= HEARD_THRESHOLD, timeout=timeout, interval=0.05,
                 what='a sound on the null sink')

    def stop(self):
        if self._result is None:
            if self._process.poll() is None:
                # SIGINT lets parecord write the final lengths into the WAV header.
                self._process.send_signal(signal.SIGINT)
                try:
                    self._process.wait(PATIENT)
                except subprocess.TimeoutExpired:
                    _stop_pid(self._process)
            self._desktop._forget(self._process)
            self._result = analyse_wav(self.path)
        return self._result

    def result(self):
        return self.stop()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


def analyse_wav(path):
    """Loudest sample (sox's stat, 0..1) and length of a recording.

    The null sink renders only while something plays, so the length counts the time from the first
    sound on, not from the start of the recorder."""
    stat = subprocess.run(['sox', path, '-n', 'stat'], capture_output=True, text=True)
    found = re.search(r'Maximum amplitude:\s*([-\d.e]+)', stat.stderr)
    length = re.search(r'Length \(seconds\):\s*([\d.e]+)', stat.stderr)
    return Recording(path=path, max_amplitude=float(found.group(1)) if found else 0.0,
                     seconds=float(length.group(1)) if length else 0.0)


def pitch(path, channels=None, rate=None):
    """The frequency of the loud part of a 16-bit WAV recording, from its zero crossings; the header
    is read from the file unless given, for a recording still being written."""
    if channels is None:
        with wave.open(path, 'rb') as recording:
            channels, rate = recording.getnchannels(), recording.getframerate()
    with open(path, 'rb') as recording:
        content = recording.read()
    start = content.find(b'data') + 8
    frames = content[start:start + (len(content) - start) // (2 * channels) * 2 * channels]
    samples = memoryview(frames).cast('h')[::channels]
    loud = [index for index, sample in enumerate(samples) if abs(sample) > 3000]
    if len(loud) < rate // 2:
        return 0.0
    part = samples[loud[0]:loud[-1]]
    crossings = sum(1 for a, b in zip(part, part[1:]) if (a < 0) != (b < 0))
    return crossings / 2 / (len(part) / rate)


def _text_of(path):
    """A log another program is still writing, as far as it goes; empty before it exists."""
    with contextlib.suppress(FileNotFoundError):
        with open(path, encoding='utf-8', errors='replace') as handle:
            return handle.read()
    return ''


class App:
    """A program launched on the desktop."""

    def __init__(self, desktop, process, name):
        self._desktop = desktop
        self.process = process
        self.pid = process.pid
        self.name = name

    def alive(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=PATIENT):
        """The exit status once the process has ended; raises Timeout if it is still running."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Timeout(f'{self.name} (pid {self.pid}) still running after {timeout:.1f} s') from None

    def stop(self):
        status = _stop_pid(self.process)
        self._desktop._forget(self.process)
        return status

    def output(self):
        return self._desktop.log_text(self.name)


@dataclass
class SpeechRequest:
    """One command a client of the speech server sent it, as the server's log tells it: the client's
    name (user:program:connection), the command (SPEAK, CHAR, KEY, CANCEL, SET, ...) in capitals and what
    follows it."""
    client: str
    command: str
    argument: str


@dataclass
class SpokenMessage:
    """A message the server queued for a client: its text, out of the SSML a screen reader wraps it in,
    and how it went, from the events the server sent back (BEGIN, then END when it was said to its end
    or CANCELED when it was cut off or dropped; None while it waits or speaks). Only a client that asked
    for the events is told them."""
    client: str
    number: int
    text: str
    outcome: str = None
    # Where it stands among the requests: the number of requests before it was queued, and before the
    # event that ended it.
    queued_after: int = 0
    ended_after: int = None


class SpeechServer:
    """speech-dispatcher running in the desktop's session, as a desktop session runs it: the programs
    that speak (the game, a screen reader) reach it through the session's runtime folder. Its log (level
    5) names each client and tells every command it sent, each message it queued and each event it sent
    back."""

    _ENTRY = re.compile(r'^\[[^]\n]*\] speechd:\s*', re.MULTILINE)
    _CLIENT = re.compile(r'^(?P<fd>\d+):(?P<kind>DATA|REPLY):\|(?P<body>.*)$', re.DOTALL)
    _QUEUED = re.compile(r'^Queueing message \|(?P<text>.*)\| with priority', re.DOTALL)
    _EVENT = re.compile(r'^70[0-9]-(?P<number>\d+)\n(?:70[0-9]-\d+\n)?70[0-9] (?P<event>[A-Z]+)')

    def __init__(self, process, log):
        self.process = process
        self.log = log

    def _entries(self):
        return self._ENTRY.split(_text_of(self.log))[1:]

    def read(self):
        """Every client's requests in the order the server took them, and every message it queued."""
        names, receiving, queued, latest = {}, set(), None, {}
        requests, messages = [], {}
        for entry in self._entries():
            entry = entry.rstrip('\n')
            found = self._QUEUED.match(entry)
            if found:
                queued = found['text']
                continue
            found = self._CLIENT.match(entry)
            if not found:
                continue
            # The log closes what a client sent, or was sent, with a bar and, for what it sent, its length.
            fd, body = found['fd'], re.sub(r'\n\|\s*(\(\d+\))?\s*$', '', found['body']).strip()
            if found['kind'] == 'DATA':
                if fd in receiving:
                    if body.splitlines()[-1:] == ['.']:
                        receiving.discard(fd)
                    continue
                command, _, argument = body.partition(' ')
                if body.upper().startswith('SET SELF CLIENT_NAME'):
                    names[fd] = body.split(None, 3)[3].strip('"')
                latest[fd] = SpeechRequest(names.get(fd, f'fd {fd}'), command.upper(), argument)
                requests.append(latest[fd])
                if command.upper() == 'SPEAK':
                    receiving.add(fd)
                continue
            client = names.get(fd, f'fd {fd}')
            if body.startswith('225-'):
                # The server queues a message as it takes the end of its text, and answers at once.
                number = int(body[4:].split('\n')[0])
                request = latest.get(fd)
                text = queued if request is None or request.command == 'SPEAK' else request.argument
                messages[(client, number)] = SpokenMessage(
                    client, number, html.unescape(re.sub(r'<[^>]*>', '', text or '')), queued_after=len(requests))
                queued = None
                continue
            event = self._EVENT.match(body)
            message = messages.get((client, int(event['number']))) if event else None
            if message is not None and event['event'] in ('BEGIN', 'END', 'CANCELED', 'CANCELLED'):
                message.outcome = 'CANCELED' if event['event'].startswith('CANCEL') else event['event']
                if message.outcome != 'BEGIN':
                    message.ended_after = len(requests)
        return requests, list(messages.values())

    def requests(self, program=None):
        """The commands of every client, or of one program (its name, in any case), in order."""
        return [request for request in self.read()[0]
                if program is None or f':{program.lower()}:' in request.client.lower()]

    def messages(self, program):
        """The messages queued for a program (its name, in any case), in order."""
        return [message for message in self.read()[1] if f':{program.lower()}:' in message.client.lower()]

    def said(self, program):
        """What a program asked the server to say, in order."""
        return [message.text for message in self.messages(program)]


class ScreenReader:
    """Orca, GNOME's screen reader, reading the desktop through AT-SPI and speaking through the desktop's
    speech server. Its debug file is complete once it has ended."""

    def __init__(self, process, debug_file):
        self.process = process
        self.debug_file = debug_file

    def debug_text(self):
        return _text_of(self.debug_file)


class _Agent:
    """The accessibility query process, restarted if it dies."""

    def __init__(self, desktop, script=AGENT, log='atspi-agent'):
        self._desktop = desktop
        self._script = script
        self._log = log
        self._process = None
        self._lock = threading.Lock()

    def _start(self):
        env = dict(self._desktop.env, ATSPI_NO_CACHE='1')
        self._process = self._desktop._spawn([SYSTEM_PYTHON, self._script], log=self._log, env=env,
                                             stdin=subprocess.PIPE, stdout=subprocess.PIPE)

    def ask(self, request, timeout=PATIENT):
        with self._lock:
            if self._process is None or self._process.poll() is not None:
                self._start()
            self._process.stdin.write((json.dumps(request) + '\n').encode())
            self._process.stdin.flush()
            ready, _, _ = select.select([self._process.stdout], [], [], timeout)
            line = self._process.stdout.readline() if ready else b''
            if not line:
                self.close()
                raise DesktopError(f'no answer from the accessibility agent to {request}: '
                                   + self._desktop.log_text(self._log))
            answer = json.loads(line)
            if not answer.get('ok'):
                raise DesktopError(f'accessibility query {request} failed: {answer.get("error")}')
            return answer

    def close(self):
        if self._process is not None:
            with contextlib.suppress(OSError):
                self._process.stdin.close()
            try:
                self._process.wait(PATIENT)
            except subprocess.TimeoutExpired:
                _stop_pid(self._process)
            self._process.stdout.close()
            self._desktop._forget(self._process)
            self._process = None


class Desktop:
    def __init__(self, mode=(1024, 768), keep_files=False):
        self.start_mode = tuple(mode)
        self.keep_files = keep_files
        self.dir = None
        self.display = None
        self.env = None
        self._processes = []
        self._logs = {}
        self._agent = None
        self._x = None
        self._xorg = None
        self._display_pipe = None
        self._launcher = None
        self._sweeper = None
        self._sweeper_pipe = None
        self._displays_told = []
        self.output = OUTPUT

    # --- life cycle ----------------------------------------------------------------------------------

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        xorg, display_pipe = None, None

        def start_xorg():
            nonlocal xorg, display_pipe
            # Started before the other servers, which start side by side with it.
            xorg, display_pipe = self._start_xorg()

        def await_xorg():
            self.display = self._await_display(xorg, display_pipe)
            for _ in range(3):
                if self.display is not None:
                    break
                # Two servers starting together may still race for one number: the loser tries again.
                self.display = self._await_display(*self._start_xorg())
            if self.display is None:
                raise DesktopError('Xorg did not start: ' + self._xorg_log())
            self.env['DISPLAY'] = self.display
            self._tell_sweeper_of(self.display)

        self._start_session(start_xorg, await_xorg)
        self._x = xclient.XConnection(self.display)
        self.set_mode(*self.start_mode)
        self._await_accessibility()

    def _start_session(self, before_buses, display_server):
        """Everything but the display server, which display_server() starts once the session bus is
        there; before_buses() runs before the buses start."""
        # Orphans of the processes started here (the accessibility registry daemonises) come to us.
        _libc.prctl(_PR_SET_CHILD_SUBREAPER, 1)
        # The harness ends with whatever started it: ctest, stopped by a CI timeout, leaves its tests
        # running. The sweeper then stops what the desktop started.
        _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGTERM)
        self.dir = tempfile.mkdtemp(prefix='trouvimo-desktop-')
        self._start_sweeper()
        runtime = os.path.join(self.dir, 'runtime')
        home = os.path.join(self.dir, 'home')
        os.mkdir(runtime, 0o700)
        os.mkdir(home, 0o700)
        base = {key: value for key, value in os.environ.items()
                if key not in ('DISPLAY', 'WAYLAND_DISPLAY', 'DBUS_SESSION_BUS_ADDRESS', 'PULSE_SERVER',
                               'XDG_RUNTIME_DIR', 'XAUTHORITY', 'SESSION_MANAGER', 'XDG_SESSION_TYPE')}
        # The computer's own folders, a class's words and the settings fixed for every user, are the
        # desktop's: none of the machine's reaches a test, which writes there what it needs. The
        # class's folder is made by the tests that want one, as a school's administrator does.
        computer = os.path.join(self.dir, 'computer')
        self.class_folder = os.path.join(computer, 'share', 'trouvimo')
        self.settings_file = os.path.join(computer, 'xdg', 'trouvimo', 'trouvimo.conf')
        os.makedirs(os.path.dirname(self.class_folder))
        os.makedirs(os.path.dirname(self.settings_file))
        base.update({MARKER: self.dir, 'HOME': home, 'XDG_RUNTIME_DIR': runtime,
                     'XDG_CONFIG_HOME': os.path.join(home, '.config'),
                     'XDG_CACHE_HOME': os.path.join(home, '.cache'),
                     'XDG_DATA_HOME': os.path.join(home, '.local', 'share'),
                     'XDG_DATA_DIRS': ':'.join([os.path.dirname(self.class_folder),
                                                os.environ.get('XDG_DATA_DIRS', '/usr/local/share:/usr/share')]),
                     'XDG_CONFIG_DIRS': ':'.join([os.path.dirname(os.path.dirname(self.settings_file)),
                                                  os.environ.get('XDG_CONFIG_DIRS', '/etc/xdg')]),
                     'LANG': os.environ.get('LANG', 'C.UTF-8')})
        self.env = base

        before_buses()
        pulse = self._spawn(['pulseaudio', '-n', '--daemonize=no', '--exit-idle-time=-1',
                             f'--load=module-null-sink sink_name={SINK}',
                             '--load=module-native-protocol-unix auth-anonymous=1'],
                            log='pulseaudio', env=dict(base, DBUS_SESSION_BUS_ADDRESS='disabled:'),
                            die_with_parent=True)
        dbus = self._spawn(['dbus-daemon', '--session', '--nofork', '--print-address=1'], log='dbus',
                           stdout=subprocess.PIPE, die_with_parent=True)
        address = self._read_line(dbus, 'the session bus address')
        self.env['DBUS_SESSION_BUS_ADDRESS'] = address
        self._launcher = self._spawn([AT_SPI_LAUNCHER, '--launch-immediately'], log='at-spi',
                                     die_with_parent=True)

        display_server()
        self.env['PULSE_SERVER'] = 'unix:' + os.path.join(runtime, 'pulse', 'native')

        wait_for(lambda: pulse.poll() is not None or self.run(['pactl', 'info'], check=False).returncode == 0,
                 what='PulseAudio')
        if pulse.poll() is not None:
            raise DesktopError('PulseAudio did not start: ' + self.log_text('pulseaudio'))
        self.run(['pactl', 'set-default-sink', SINK])

    def _await_accessibility(self):
        launcher = self._launcher

        def accessibility_bus_ready():
            if launcher.poll() is not None:
                raise DesktopError('at-spi-bus-launcher ended: ' + self.log_text('at-spi'))
            return self.run(['dbus-send', '--session', '--print-reply', '--dest=org.a11y.Bus',
                             '/org/a11y/bus', 'org.a11y.Bus.GetAddress'], check=False).returncode == 0
        wait_for(accessibility_bus_ready, what='the accessibility bus')
        self._agent = _Agent(self)

    def _start_xorg(self, log='xorg'):
        # Xorg picks a free display number itself and writes it to the pipe: a number chosen here from
        # the lock files could be taken by a server whose lock file we cannot see (another mount
        # namespace), and that server would refuse ours as "already running".
        read_end, write_end = os.pipe()
        process = self._spawn(['Xorg', '-config', XORG_CONF, '-noreset', '-nolisten', 'tcp',
                               '-logfile', os.path.join(self.dir, f'{log}.log'),
                               '-displayfd', str(write_end)],
                              log=log, pass_fds=(write_end,), die_with_parent=True)
        os.close(write_end)
        return process, read_end

    def _await_display(self, xorg, read_end):
        """The display that Xorg serves, or None if it ended before it was ready."""
        display = self._read_display(xorg, read_end)
        if display is not None:
            self._display_pipe = read_end
            self._xorg = xorg
        return display

    def _read_display(self, xorg, read_end):
        """The display that Xorg writes to the pipe; None, with the server stopped, if it ended first."""
        # Xorg writes its display number and then a newline to the pipe once it accepts connections.
        # The pipe stays open until the server stops: a write into a closed pipe is fatal to Xorg.
        text = b''
        deadline = time.monotonic() + 2 * PATIENT
        while not text.endswith(b'\n') and time.monotonic() < deadline:
            ready, _, _ = select.select([read_end], [], [], max(0.0, deadline - time.monotonic()))
            chunk = os.read(read_end, 64) if ready else b''
            if not chunk:
                break
            text += chunk
        if not text.endswith(b'\n'):
            os.close(read_end)
            _stop_pid(xorg)
            self._forget(xorg)
            return None
        return ':' + text.decode().strip()

    def _xorg_log(self, log='xorg'):
        with contextlib.suppress(OSError):
            with open(os.path.join(self.dir, f'{log}.log'), errors='replace') as handle:
                return handle.read()[-2000:]
        return ''

    def _read_line(self, process, what):
        ready, _, _ = select.select([process.stdout], [], [], PATIENT)
        line = process.stdout.readline().decode().strip() if ready else ''
        if not line:
            raise DesktopError(f'no {what}: ' + self.log_text('dbus'))
        return line

    def stop(self):
        """Stops everything this desktop started, newest first, each by its pid."""
        if self._agent is not None:
            self._agent.close()
            self._agent = None
        if self._x is not None:
            self._x.close()
            self._x = None
        self._xorg = None
        for process in reversed(list(self._processes)):
            _stop_pid(process)
            for stream in (process.stdin, process.stdout):
                if stream is not None:
                    with contextlib.suppress(OSError):
                        stream.close()
        self._processes.clear()
        if self._display_pipe is not None:
            os.close(self._display_pipe)
            self._display_pipe = None
        if self.dir is not None:
            # What our own processes started and left behind carries our marker. The harness is their
            # subreaper, so those that daemonised are reaped here instead of lingering as zombies.
            sweeper.stop_marked(self._tag())
            for display in self._displays_told:
                sweeper.remove_stale_x_files(display)
            if not self.keep_files:
                shutil.rmtree(self.dir, ignore_errors=True)
            self._stop_sweeper()
            self.dir = None

    def _tag(self):
        return f'{MARKER}={self.dir}'.encode()

    def _start_sweeper(self):
        """Starts the process that stops what this desktop started if the harness ends without stop():
        it waits for the end of a pipe that only this process holds open."""
        read_end, write_end = os.pipe()
        environment = {key: value for key, value in os.environ.items() if key != MARKER}
        # A session of its own: Ctrl+C and a signal to our process group do not reach it. No parent-death
        # signal: it must outlive us.
        self._sweeper = subprocess.Popen(
            [SYSTEM_PYTHON, SWEEPER, str(read_end), self._tag().decode(), self.dir,
             'keep' if self.keep_files else 'remove'],
            env=environment, pass_fds=(read_end,), start_new_session=True, stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(read_end)
        self._sweeper_pipe = write_end
        self._displays_told = []

    def _tell_sweeper_of(self, display):
        """Names an X display of ours to the sweeper, whose lock file it removes should the server be
        killed."""
        self._displays_told.append(display)
        if self._sweeper_pipe is not None:
            os.write(self._sweeper_pipe, f'display {display}\n'.encode())

    def _stop_sweeper(self):
        """Ends the sweeper once everything is stopped: it finds nothing left and ends."""
        if self._sweeper_pipe is not None:
            os.close(self._sweeper_pipe)
            self._sweeper_pipe = None
        if self._sweeper is not None:
            try:
                self._sweeper.wait(2 * PATIENT)
            except subprocess.TimeoutExpired:
                self._sweeper.kill()
                self._sweeper.wait()
            self._sweeper = None

    # --- processes -----------------------------------------------------------------------------------

    def _spawn(self, argv, log, env=None, die_with_parent=False, **popen):
        path = os.path.join(self.dir, f'{log}.log')
        self._logs[log] = path
        cwd = popen.pop('cwd', None) or self.dir
        with open(path, 'ab') as out:
            popen.setdefault('stdout', out)
            process = subprocess.Popen(argv, env=env or self.env, stderr=out, cwd=cwd,
                                       preexec_fn=_die_with_parent if die_with_parent else None, **popen)
        self._processes.append(process)
        return process

    def _forget(self, process):
        if process in self._processes:
            self._processes.remove(process)

    def log_text(self, log):
        path = self._logs.get(log)
        if path is None:
            return ''
        with contextlib.suppress(OSError):
            with open(path, errors='replace') as handle:
                return handle.read()[-4000:]
        return ''

    def run(self, argv, check=True, timeout=PATIENT, input=None, display=None):
        """Runs a short command in the desktop's environment, on another X display if one is given, and
        waits for it."""
        env = self.env if display is None else dict(self.env, DISPLAY=display)
        result = subprocess.run(argv, env=env, capture_output=True, text=True, timeout=timeout,
                                input=input)
        if check and result.returncode != 0:
            raise DesktopError(f'{" ".join(argv)} failed ({result.returncode}): {result.stderr.strip()}')
        return result

    def launch(self, binary, args=(), cwd=None, env=None, name=None, accessible=True, own_group=False):
        """Starts a program on this desktop, heard on the null sink and, unless accessible is false,
        seen by AT-SPI. It runs in its own directory unless cwd says otherwise, and in a process group of
        its own with own_group, as a shell's job does."""
        environment = dict(self.env, QT_QPA_PLATFORM='xcb')
        if accessible:
            environment['QT_LINUX_ACCESSIBILITY_ALWAYS_ON'] = '1'
        environment.pop('QT_QPA_PLATFORMTHEME', None)
        environment.update(env or {})
        name = name or f'{os.path.basename(binary)}-{len(self._logs)}'
        process = self._spawn([binary, *args], log=name, env=environment, cwd=cwd or os.path.dirname(binary),
                              **({'process_group': 0} if own_group else {}))
        return App(self, process, name)

    def copy_app(self, binary, extra_files=()):
        """A private copy of the application directory (the executable and every data file beside it),
        for tests that change, remove or add data; returns the path of the copied executable."""
        source = os.path.dirname(os.path.abspath(binary))
        target = tempfile.mkdtemp(prefix='app-', dir=self.dir)
        for entry in os.listdir(source):
            path = os.path.join(source, entry)
            if entry == 'CMakeFiles' or entry.endswith(('.ninja', '.cmake', '.stamp', '_autogen')):
                continue
            if os.path.isdir(path):
                shutil.copytree(path, os.path.join(target, entry), symlinks=True)
            else:
                shutil.copy2(path, os.path.join(target, entry))
        for relative, content in dict(extra_files).items():
            destination = os.path.join(target, relative)
            os.makedirs(os.path.dirname(destination), exist_ok=True)
            with open(destination, 'wb') as out:
                out.write(content)
        return os.path.join(target, os.path.basename(binary))

    def recorder(self, name='sound'):
        return Recorder(self, os.path.join(self.dir, f'{name}-{time.monotonic_ns()}.wav'))

    # --- speech and a screen reader ------------------------------------------------------------------

    def speech_server(self):
        """Starts speech-dispatcher in the desktop's session, never ending by itself and logging every
        client's commands (its level 5), and waits until it takes connections."""
        log_dir = os.path.join(self.dir, 'speechd')
        os.mkdir(log_dir)
        process = self._spawn(['speech-dispatcher', '--run-single', '--timeout', '0', '--log-level', '5',
                               '--log-dir', log_dir], log='speech-dispatcher', die_with_parent=True)
        socket_path = os.path.join(self.env['XDG_RUNTIME_DIR'], 'speech-dispatcher', 'speechd.sock')

        def listening():
            if process.poll() is not None:
                raise DesktopError('speech-dispatcher ended: ' + self.log_text('speech-dispatcher'))
            return os.path.exists(socket_path)
        wait_for(listening, what='the speech server')
        return SpeechServer(process, os.path.join(log_dir, 'speech-dispatcher.log'))

    @contextlib.contextmanager
    def screen_reader(self, speech):
        """Runs Orca on this desktop with its own, fresh preferences, until the block ends; it is
        ready once it has connected to the speech server and spoken."""
        preferences = tempfile.mkdtemp(prefix='orca-', dir=self.dir)
        debug_file = os.path.join(self.dir, 'orca-debug.txt')
        process = self._spawn(['orca', '--user-prefs', preferences, f'--debug-file={debug_file}'], log='orca',
                              die_with_parent=True)
        reader = ScreenReader(process, debug_file)
        try:
            def spoken():
                if process.poll() is not None:
                    raise DesktopError('Orca ended: ' + self.log_text('orca'))
                return speech.said('orca')
            wait_for(spoken, timeout=2 * PATIENT, what='Orca to speak')
            yield reader
        finally:
            _stop_pid(process)
            self._forget(process)

    # --- display -------------------------------------------------------------------------------------

    def set_mode(self, width, height):
        self.run(['xrandr', '--output', OUTPUT, '--mode', f'{width}x{height}'])

    def mode(self):
        """The mode of the output as xrandr sees it: (width, height) of its active mode."""
        out = self.run(['xrandr', '--current']).stdout
        found = re.search(rf'^{self.output} connected(?: primary)? (\d+)x(\d+)\+', out, re.MULTILINE)
        if not found:
            raise DesktopError('no active mode on ' + self.output + ':\n' + out)
        return int(found.group(1)), int(found.group(2))

    def screen_size(self):
        """The size of the X screen itself, which a program that switched only the output would leave."""
        out = self.run(['xrandr', '--current']).stdout
        found = re.search(r'current (\d+) x (\d+)', out)
        return int(found.group(1)), int(found.group(2))

    def wait_for_mode(self, width, height, timeout=PATIENT):
        return wait_for(lambda: self.mode() == (width, height) and self.screen_size() == (width, height),
                        timeout=timeout, what=f'the display at {width}x{height} (now {self.mode()})')

    def layout(self, display=None):
        """All that switching the display may change, from one look: ({output: (width, height, x, y), or
        None while it is off}, (screen width, screen height)); of another X display if one is given."""
        out = self.run(['xrandr', '--current'], display=display).stdout
        outputs = {}
        # An output of the dummy driver that shows a picture may still call itself disconnected.
        for name, geometry in re.findall(r'^(\S+) (?:dis)?connected(?: primary)?(?: (\d+x\d+\+\d+\+\d+))?',
                                         out, re.MULTILINE):
            outputs[name] = tuple(int(n) for n in re.split(r'[x+]', geometry)) if geometry else None
        screen = re.search(r'current (\d+) x (\d+)', out)
        return outputs, (int(screen.group(1)), int(screen.group(2)))

    def wait_for_layout(self, expected, timeout=PATIENT, display=None):
        """Waits until layout() is the expected one; the Timeout tells what the display shows instead."""
        try:
            return wait_for(lambda: self.layout(display) == expected, timeout=timeout, what='the layout')
        except Timeout:
            raise Timeout(f'after {timeout:.1f} s the display shows {_lit(self.layout(display))}, '
                          f'not {_lit(expected)}') from None

    @contextlib.contextmanager
    def second_monitor(self, output='DUMMY1', mode=(1024, 768)):
        """A second monitor right of the first for the block; after it, the first one alone at the
        desktop's start mode again."""
        size = f'{mode[0]}x{mode[1]}'
        # Adding a mode a second time fails harmlessly: it stays added once the first test has run.
        self.run(['xrandr', '--addmode', output, size], check=False)
        try:
            self.run(['xrandr', '--output', output, '--mode', size, '--right-of', OUTPUT])
            yield output
        finally:
            self.run(['xrandr', '--output', output, '--off', '--output', OUTPUT, '--primary', '--pos', '0x0',
                      '--mode', '{}x{}'.format(*self.start_mode)])

    @contextlib.contextmanager
    def other_x_server(self):
        """A second X server of the same kind for the block, its DUMMY0 at the desktop's start mode: a
        program can be shown there with Qt's -display while DISPLAY names the first. Yields its name."""
        xorg, read_end = self._start_xorg('xorg-other')
        display = self._read_display(xorg, read_end)
        if display is None:
            raise DesktopError('the second Xorg did not start: ' + self._xorg_log('xorg-other'))
        self._tell_sweeper_of(display)
        try:
            self.run(['xrandr', '--output', OUTPUT, '--mode', '{}x{}'.format(*self.start_mode)], display=display)
            yield display
        finally:
            _stop_pid(xorg)
            self._forget(xorg)
            os.close(read_end)
            sweeper.remove_stale_x_files(display)

    @contextlib.contextmanager
    def window_manager(self):
        """xfwm4 manages the windows for the block: it frames and places them within the work area and
        turns Alt+F4 into a close."""
        wm = self._spawn(['xfwm4', '--compositor=off'], log='xfwm4')

        def managing():
            # A window manager that has taken the screen names a check window of its own on the root; one
            # that ended leaves the name of a window that is gone.
            check = self.x_property('-root', '_NET_SUPPORTING_WM_CHECK')
            return check is not None and self.x_property(check.split()[-1], '_NET_WM_NAME') is not None
        try:
            wait_for(lambda: wm.poll() is not None or managing(), what='xfwm4 to manage the screen')
            if wm.poll() is not None:
                raise DesktopError('xfwm4 ended at once: ' + self.log_text('xfwm4'))
            yield
        finally:
            _stop_pid(wm)
            self._forget(wm)

    def dock(self, height=40):
        """A taskbar reserving the bottom strip of the screen; a context manager that removes it."""
        return xclient.Dock(self.display, height)

    def work_area(self):
        """The part of the screen that the window manager leaves to windows: (x, y, width, height)."""
        return tuple(int(n) for n in self.x_property('-root', '_NET_WORKAREA').split(',')[:4])

    @contextlib.contextmanager
    def scaled(self, dpi=192):
        """A desktop scaled as a high-resolution laptop's is, for the programs started in the block."""
        self.run(['xrdb', '-merge'], input=f'Xft.dpi: {dpi}\n')
        try:
            yield
        finally:
            self.run(['xrdb', '-remove'])

    def frame(self, window_id):
        """The window's place with the window manager's frame around it, (x, y, width, height), in
        device pixels; None until a window manager has framed it."""
        extents = self.x_property(window_id, '_NET_FRAME_EXTENTS')
        info = self.run(['xwininfo', '-id', str(window_id)], check=False)
        if extents is None or info.returncode != 0:
            return None
        left, right, top, bottom = (int(n) for n in extents.split(','))
        window = _parse_xwininfo(window_id, info.stdout)
        return window.x - left, window.y - top, window.width + left + right, window.height + top + bottom

    def x_server(self):
        """The X server's process, for a test that takes the display away from under a program."""
        return self._xorg

    def forget_x_connection(self):
        """Lets go of the harness's own X connection without closing it, before the X server is taken
        away: closing it afterwards would end this process on Xlib's I/O error. Screenshots are gone
        with it."""
        self._x = None

    def screenshot(self, path=None):
        """The whole screen as an xclient.Image; saved as PNG when a path is given."""
        image = self._x.screenshot()
        if path is not None:
            image.save_png(path)
        return image

    # --- X windows -----------------------------------------------------------------------------------

    def x_windows(self, pid, only_visible=True):
        """The top-level X windows of a process (found by _NET_WM_PID), with their geometry."""
        argv = ['xdotool', 'search'] + (['--onlyvisible'] if only_visible else []) + ['--pid', str(pid)]
        ids = self.run(argv, check=False).stdout.split()
        windows = []
        for window_id in ids:
            info = self.run(['xwininfo', '-id', window_id], check=False)
            if info.returncode != 0:
                continue
            windows.append(_parse_xwininfo(int(window_id), info.stdout))
        return windows

    def x_property(self, window_id, name):
        """A window property as xprop prints it (the text after '=' or ':'), or None when unset; window_id
        '-root' reads the root window's."""
        where = ['-root'] if window_id == '-root' else ['-id', str(window_id)]
        out = self.run(['xprop', *where, name], check=False).stdout.strip()
        if 'not found' in out or 'no such atom' in out or not out:
            return None
        return re.split(r'\s[=:]\s', out, maxsplit=1)[-1]

    def motif_decorations(self, window_id):
        """The decorations that the window asks of a window manager through _MOTIF_WM_HINTS (None when it
        states no wish: full decorations), 0 for a frameless window."""
        value = self.x_property(window_id, '_MOTIF_WM_HINTS')
        if value is None:
            return None
        flags, _functions, decorations = (int(part, 0) for part in value.split(',')[:3])
        return decorations if flags & 2 else None

    # --- input ---------------------------------------------------------------------------------------

    def click(self, x, y, button=1):
        # No --sync: xdotool would wait forever for a motion when the pointer is already there. The
        # server handles the move and the click in the order they were sent anyway.
        self.run(['xdotool', 'mousemove', str(x), str(y), 'click', str(button)])

    def click_node(self, node):
        if node.extents is None:
            raise DesktopError(f'{node.role} {node.name!r} has no place on the screen')
        self.click(*node.centre())

    def activate(self, node, pid):
        """Does what a player does to a control: a click with the pointer here."""
        self.click_node(node)

    def key(self, keys, window_id=None):
        """Sends keys (xdotool syntax, e.g. 'alt+q', several apart by spaces, one after another) through
        XTEST to the given window, focused first."""
        if window_id is not None:
            self.run(['xdotool', 'windowfocus', '--sync', str(window_id)])
        self.run(['xdotool', 'key', '--clearmodifiers', *keys.split()])

    # --- accessibility -------------------------------------------------------------------------------

    def use_agent(self, script, log):
        """Asks the accessibility questions through another agent from now on: a script that answers
        every request of atspi_agent.py and may add requests of its own, sent with ask(). It is started
        with the first question and stopped with the desktop; its output goes to the log of that name."""
        if self._agent is not None:
            self._agent.close()
        self._agent = _Agent(self, script, log)

    def ask(self, request, timeout=PATIENT):
        """The accessibility agent's answer to one request (a dict of the agent's protocol)."""
        return self._agent.ask(request, timeout)

    def accessible_apps(self):
        return self._agent.ask({'op': 'apps'})['apps']

    def accessible_app(self, pid):
        """The program's accessible application with its whole tree, or None if it is not registered."""
        data = self._agent.ask({'op': 'tree', 'pid': pid})['app']
        return Node.from_json(data) if data is not None else None

    def windows(self, pid):
        """The accessible top-level windows of the program (the children of its application)."""
        app = self.accessible_app(pid)
        return app.children if app is not None else []

    def find(self, pid, role=None, name=None, showing=None):
        app = self.accessible_app(pid)
        if app is None:
            return []
        return [node for node in app.walk() if node is not app and matches(node, role, name, showing)]

    def find_one(self, pid, role=None, name=None, showing=True, timeout=PATIENT):
        """Waits until exactly one accessible object matches and returns it."""
        def single():
            found = self.find(pid, role, name, showing)
            return found[0] if len(found) == 1 else None
        try:
            return wait_for(single, timeout=timeout, what=f'one {role or "object"} named {name!r}')
        except Timeout:
            app = self.accessible_app(pid)
            raise Timeout(f'no single {role or "object"} named {name!r} in:\n'
                          + (app.describe() if app else '(no accessible application)')) from None

    def wait_for_window(self, pid, title, timeout=PATIENT):
        """Waits until the program shows a top-level window with that accessible name and returns it."""
        def shown():
            for window in self.windows(pid):
                if matches(window, name=title) and window.showing:
                    return window
            return None
        return wait_for(shown, timeout=timeout, what=f'window {title!r} of pid {pid}')

    def listen(self, kinds=('object:', 'window:', 'focus:')):
        """Starts keeping the accessibility events of these kinds (AT-SPI's names, a prefix takes all
        below it) that the programs launched from now on send; events() hands them out."""
        self._agent.ask({'op': 'listen', 'events': list(kinds)})

    def events(self, pid):
        """The events that the program sent since the last call, oldest first, each a dict with its
        type, and the role and name of its source as they are now."""
        return [event for event in self._agent.ask({'op': 'events'})['events'] if event['pid'] == pid]

    def press(self, node, pid, action='Press'):
        """Runs an accessible action on the node, as a screen reader would instead of clicking."""
        return self._agent.ask({'op': 'action', 'pid': pid, 'path': list(node.path), 'name': action})['done']


class WaylandDesktop(Desktop):
    """GNOME's own compositor, mutter, headless with one virtual monitor, and the XWayland it serves X
    clients with; the same sound server, session bus and accessibility bus as Desktop. launch() starts
    a Qt program as a native Wayland client, or as an X client of XWayland with xwayland=True. xdotool
    does not reach Wayland windows: a test presses controls through their accessible actions."""

    WAYLAND_NAME = 'wl-trouvimo'

    def __init__(self, monitor=(1920, 1080), keep_files=False):
        super().__init__(mode=monitor, keep_files=keep_files)
        self.output = 'XWAYLAND0'

    def start(self):
        width, height = self.start_mode

        def start_mutter():
            mutter = self._spawn(['mutter', '--headless', '--wayland', '--virtual-monitor',
                                  f'{width}x{height}', '--wayland-display', self.WAYLAND_NAME],
                                 log='mutter', die_with_parent=True)
            runtime = self.env['XDG_RUNTIME_DIR']

            def ready():
                if mutter.poll() is not None:
                    raise DesktopError('mutter ended: ' + self.log_text('mutter'))
                found = re.search(r'Using public X11 display (:\d+)', self.log_text('mutter'))
                authority = glob.glob(os.path.join(runtime, '.mutter-Xwaylandauth.*'))
                socket = os.path.exists(os.path.join(runtime, self.WAYLAND_NAME))
                return found and authority and socket and (found.group(1), authority[0])
            self.display, authority = wait_for(ready, timeout=2 * PATIENT, what='mutter and its XWayland')
            self.env.update(WAYLAND_DISPLAY=self.WAYLAND_NAME, XDG_SESSION_TYPE='wayland',
                            DISPLAY=self.display, XAUTHORITY=authority)

        self._start_session(lambda: None, start_mutter)
        self._await_accessibility()

    def activate(self, node, pid):
        """A press through the control's accessible action: no pointer reaches a Wayland window. A
        control that ends the program ends it before the press is answered."""
        try:
            pressed = self.press(node, pid)
        except DesktopError as error:
            if 'disconnected from message bus without replying' not in str(error):
                raise
            return
        if not pressed:
            raise DesktopError(f'{node.role} {node.name!r} could not be pressed')

    def launch(self, binary, args=(), cwd=None, env=None, name=None, accessible=True, xwayland=False):
        platform = {'QT_QPA_PLATFORM': 'xcb' if xwayland else 'wayland'}
        return super().launch(binary, args, cwd, dict(env or {}, **platform), name, accessible)


_process_states = sweeper.process_states


def running_executable(path):
    """Pids of the live processes that run the executable at path (also after it was rebuilt)."""
    wanted = os.path.realpath(path)
    found = []
    for pid, _parent, state in _process_states():
        with contextlib.suppress(OSError):
            if state != 'Z' and os.readlink(f'/proc/{pid}/exe').removesuffix(' (deleted)') == wanted:
                found.append(pid)
    return found


def _lit(layout):
    outputs, screen = layout
    shown = ', '.join(f'{name} ' + ('{}x{}+{}+{}'.format(*place) if place else 'off')
                      for name, place in outputs.items() if place or name == OUTPUT)
    return f'[{shown}; screen {screen[0]}x{screen[1]}]'


def _parse_xwininfo(window_id, text):
    def number(label):
        return int(re.search(rf'{label}:\s*(-?\d+)', text).group(1))
    title = re.search(r'xwininfo: Window id: \S+ (.*)$', text, re.MULTILINE)
    title_text = title.group(1).strip() if title else ''
    if title_text.startswith('"') and title_text.endswith('"'):
        title_text = title_text[1:-1]
    return XWindow(id=window_id, x=number('Absolute upper-left X'), y=number('Absolute upper-left Y'),
                   width=number('Width'), height=number('Height'),
                   viewable='IsViewable' in text, title=title_text)
