"""Stops what a test desktop started once the harness that started it has gone, however it went.

    sweeper.py FD TAG DIRECTORY keep|remove

The harness starts this in a session of its own and keeps the write end of the pipe FD to itself. It
writes the display that its X server serves into the pipe ("display :N" and a newline); the pipe reads
as ended when the harness has closed it after an orderly stop, or when the harness was ended by a signal
(SIGTERM from a CI timeout, SIGINT from Ctrl+C, even SIGKILL), when no code of the harness runs any more.
Then every process whose environment holds TAG (NAME=VALUE, which the harness gives to everything it
starts) is stopped, by its id: SIGTERM first, SIGKILL for those that linger. An X server that had to be
killed leaves its lock file and socket behind; they are removed when the process they name is gone. The
desktop's folder goes too, unless told to keep it.

The harness uses the same functions for its own sweep.
"""

import contextlib
import os
import shutil
import signal
import sys
import time

# How long the processes get to end after SIGTERM before they are killed; an X server or a sound server
# on a machine that is busy with other work may need seconds to shut down.
GRACE_SECONDS = 10.0


def process_states():
    """(pid, parent pid, state letter) of every process."""
    for entry in os.listdir('/proc'):
        if not entry.isdigit():
            continue
        try:
            with open(f'/proc/{entry}/stat', 'rb') as stat:
                fields = stat.read().rsplit(b')', 1)[1].split()
        except (OSError, IndexError):
            continue
        yield int(entry), int(fields[1]), fields[0].decode()


def marked_processes(tag):
    """The live processes, other than this one, whose environment holds tag (bytes, NAME=VALUE)."""
    found = []
    for pid, _parent, state in process_states():
        if state == 'Z' or pid == os.getpid():
            continue
        with contextlib.suppress(OSError):
            with open(f'/proc/{pid}/environ', 'rb') as environ:
                if tag in environ.read().split(b'\0'):
                    found.append(pid)
    return found


def reap_adopted():
    """Reaps the ended orphans that were handed to this process as their subreaper."""
    for pid, parent, state in list(process_states()):
        if parent == os.getpid() and state == 'Z':
            with contextlib.suppress(ChildProcessError):
                os.waitpid(pid, os.WNOHANG)


def stop_marked(tag, grace=GRACE_SECONDS):
    """Stops every process marked with tag: SIGTERM, then SIGKILL after the grace for those still there.
    Returns the pids that had to be killed."""
    killed = []
    for signal_number, wait in ((signal.SIGTERM, grace), (signal.SIGKILL, grace)):
        targets = marked_processes(tag)
        if not targets:
            break
        if signal_number == signal.SIGKILL:
            killed = targets
        for pid in targets:
            with contextlib.suppress(ProcessLookupError):
                os.kill(pid, signal_number)
        deadline = time.monotonic() + wait
        while time.monotonic() < deadline:
            reap_adopted()
            if not marked_processes(tag):
                break
            time.sleep(0.05)
    reap_adopted()
    return killed


def remove_stale_x_files(display):
    """Removes the lock file and socket of display (':N') when the server named in the lock is gone."""
    number = display.lstrip(':')
    lock = f'/tmp/.X{number}-lock'
    try:
        with open(lock) as handle:
            owner = int(handle.read().strip() or 0)
    except (OSError, ValueError):
        return
    if owner > 0 and os.path.exists(f'/proc/{owner}'):
        with open(f'/proc/{owner}/stat', 'rb') as stat:
            if stat.read().rsplit(b')', 1)[1].split()[0] != b'Z':
                return
    for path in (lock, f'/tmp/.X11-unix/X{number}'):
        with contextlib.suppress(FileNotFoundError):
            os.remove(path)


def main():
    pipe, tag, directory, keep = int(sys.argv[1]), sys.argv[2].encode(), sys.argv[3], sys.argv[4] == 'keep'
    # Whatever signal reaches this process's old group (Ctrl+C in a terminal) must not stop the sweep.
    for signal_number in (signal.SIGINT, signal.SIGHUP, signal.SIGTERM):
        signal.signal(signal_number, signal.SIG_IGN)
    received = b''
    while True:
        with contextlib.suppress(InterruptedError):
            chunk = os.read(pipe, 256)
            if not chunk:
                break
            received += chunk
    stop_marked(tag)
    for line in received.decode(errors='replace').splitlines():
        if line.startswith('display '):
            remove_stale_x_files(line.split()[1])
    if not keep:
        shutil.rmtree(directory, ignore_errors=True)


if __name__ == '__main__':
    main()
