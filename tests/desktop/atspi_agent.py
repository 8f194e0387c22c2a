"""Answers accessibility queries about the programs of one private desktop.

pyatspi binds to the session bus named in the environment when it is imported, so the harness runs this
script as a child with the desktop's DBUS_SESSION_BUS_ADDRESS instead of importing pyatspi itself. Requests
and answers are JSON objects, one per line on stdin and stdout. Nothing is cached between requests (the
harness also sets ATSPI_NO_CACHE): each answer is read afresh from the programs.

Requests:
  {"op": "apps"}                                   -> {"ok": true, "apps": [{"name", "pid"}]}
  {"op": "tree", "pid": P}                         -> {"ok": true, "app": node or null}
  {"op": "action", "pid": P, "path": [...], "name": "Press"}
                                                   -> {"ok": true, "done": bool}
                                                      (an error lists the actions there are)
  {"op": "listen", "events": ["object:", ...]}     -> {"ok": true}
  {"op": "events"}                                 -> {"ok": true, "events": [event, ...]}
An event is {"type", "pid", "role", "name", "detail1"}: what a screen reader is told, in the order it was
told, since the last "events" request. Its source's role and name are read when the request drains the
events, as a screen reader reads them when it handles one; pid is null for a source already gone.
Programs send only the kinds of events that someone listens to, and learn of a new listener as they
start: "listen" comes before the program is launched.
A node is {"role", "name", "states": [...], "extents": [x, y, w, h] or null, "path": [...], "children"};
its path is the list of child indices that leads to it from the application.
"""

import json
import sys

import pyatspi
from gi.repository import Atspi, GLib

# A program that stops answering must not hang the test that asked.
Atspi.set_timeout(1500, 3000)

MAX_DEPTH = 12


def state_names(acc):
    states = acc.getState()
    return sorted(pyatspi.stateToString(s).lower().replace(' ', '_') for s in states.getStates())


def extents_of(acc):
    try:
        component = acc.queryComponent()
    except NotImplementedError:
        return None
    box = component.getExtents(pyatspi.DESKTOP_COORDS)
    return [box.x, box.y, box.width, box.height]


def node_of(acc, path, depth):
    node = {
        'role': acc.getRoleName(),
        'name': acc.name or '',
        'states': state_names(acc),
        'extents': extents_of(acc),
        'path': path,
        'children': [],
    }
    if depth < MAX_DEPTH:
        for index in range(acc.childCount):
            try:
                child = acc.getChildAtIndex(index)
                if child is not None:
                    node['children'].append(node_of(child, path + [index], depth + 1))
            except Exception:  # a control destroyed while we walk is simply no longer there
                continue
    return node


def applications():
    desktop = pyatspi.Registry.getDesktop(0)
    found = []
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        if app is None:
            continue
        try:
            found.append((app, app.get_process_id()))
        except Exception:  # an application that quits while we list them
            continue
    return found


def application(pid):
    for app, app_pid in applications():
        if app_pid == pid:
            return app
    return None


_heard = []
_listener = None


def _hear(event):
    try:
        source = event.source
        _heard.append({'type': event.type, 'pid': source.get_process_id(), 'role': source.getRoleName(),
                       'name': source.name or '', 'detail1': event.detail1})
    except Exception:  # the source was destroyed before we looked at it
        _heard.append({'type': event.type, 'pid': None, 'role': '', 'name': '', 'detail1': event.detail1})


def listen(kinds):
    global _listener
    if _listener is None:
        _listener = Atspi.EventListener.new(_hear)
    for kind in kinds:
        _listener.register(kind)


def heard():
    """The events that arrived since the last call: they wait on the bus until the main loop runs."""
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass
    events = list(_heard)
    _heard.clear()
    return events


def handle(request):
    op = request.get('op')
    if op == 'apps':
        return {'ok': True, 'apps': [{'name': app.name or '', 'pid': pid} for app, pid in applications()]}
    if op == 'tree':
        app = application(request['pid'])
        try:
            return {'ok': True, 'app': node_of(app, [], 0) if app is not None else None}
        except Exception:  # the application quit while we walked it
            return {'ok': True, 'app': None}
    if op == 'action':
        app = application(request['pid'])
        if app is None:
            return {'ok': True, 'done': False}
        acc = app
        for index in request['path']:
            acc = acc.getChildAtIndex(index)
        action = acc.queryAction()
        names = [action.getName(index) for index in range(action.nActions)]
        if request['name'] not in names:
            return {'ok': False, 'error': f'no action {request["name"]!r} among {names}'}
        return {'ok': True, 'done': bool(action.doAction(names.index(request['name'])))}
    if op == 'listen':
        listen(request['events'])
        return {'ok': True}
    if op == 'events':
        return {'ok': True, 'events': heard()}
    return {'ok': False, 'error': f'unknown op {op!r}'}


def main(handle=handle):
    """Answers the harness's requests, one JSON object a line, with `handle`."""
    for line in sys.stdin:
        if not line.strip():
            continue
        try:
            answer = handle(json.loads(line))
        except Exception as error:  # report it to the harness, which decides whether to retry
            answer = {'ok': False, 'error': f'{type(error).__name__}: {error}'}
        sys.stdout.write(json.dumps(answer) + '\n')
        sys.stdout.flush()


if __name__ == '__main__':
    main()
