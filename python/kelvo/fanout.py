"""Events of one session for several listeners at once.

A session hands its events either to one handler or to pulls. listen(robot, callback) puts one
handler on the session that passes every event to each listener, so a script and a dashboard can
share one session. Once a robot has listeners, take its events through listen() only: robot.events()
then raises BusyError, and robot.on_event() would take the events from every listener."""

import sys
import threading
import traceback
import weakref
from typing import Callable, List

from .records import Event
from .robot import Robot

Listener = Callable[[Event], None]

_fanouts: "weakref.WeakKeyDictionary[Robot, _Fanout]" = weakref.WeakKeyDictionary()
_fanouts_lock = threading.Lock()


class _Fanout:
    """The listeners of one robot; called on the library's event thread."""

    def __init__(self) -> None:
        self._lock = threading.Lock()
        self._listeners: List[Listener] = []

    def add(self, listener: Listener) -> None:
        with self._lock:
            self._listeners = self._listeners + [listener]

    def remove(self, listener: Listener) -> None:
        with self._lock:
            self._listeners = [other for other in self._listeners if other is not listener]

    def deliver(self, event: Event) -> None:
        for listener in self._listeners:  # a copy: listeners may come and go meanwhile
            try:
                listener(event)
            except Exception:  # one failing listener must not starve the others
                traceback.print_exc(file=sys.stderr)


def listen(robot: Robot, listener: Listener) -> Callable[[], None]:
    """Calls listener(event) for each event of robot from now on, on a library thread, beside
    any other listener; returns the function that stops it. An exception in a listener is printed
    and otherwise ignored. A script that pulls: listen(robot, queue.put), then queue.get()."""
    with _fanouts_lock:
        known = _fanouts.get(robot)
        if known is None:
            known = _Fanout()
            robot.on_event(known.deliver)
            _fanouts[robot] = known
    fanout = known
    fanout.add(listener)
    return lambda: fanout.remove(listener)
