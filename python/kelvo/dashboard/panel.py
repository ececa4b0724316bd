"""One controller on the dashboard: its state from events and polls, published as messages.

The blocking kelvo calls run on a thread of the panel's own; the events come on the library's
thread. Both only call publish(message), which must not block."""

import threading
import time
from typing import Any, Callable, Dict, List, Optional, Sequence

from .. import fanout
from ..enums import Coord, EventKind, IoKind
from ..errors import ClosedError, KelvoError, NotConnectedError
from ..records import Event
from ..robot import Robot, connect

Message = Dict[str, Any]
Publish = Callable[[Message], None]

POLL_INTERVAL = 0.05  # s: 20 position readings a second where the controller pushes none
# A position report this young makes a reading needless. The answer to a reading comes as an
# event like any report, so the readings only ask and the events publish.
REPORTED_RECENTLY = 0.8 * POLL_INTERVAL
REFRESH_INTERVAL = 2.0  # s: everything re-read, for what a controller reports only when asked
REOPEN_INTERVAL = 1.0  # s: between attempts to open a session of our own
OPEN_TIMEOUT = 2.0  # s
REPLY_TIMEOUT_MS = 1000  # for a session of our own; a shared one keeps the script's

_POSITIONS: Dict[int, str] = {Coord.JOINT: "joints", Coord.CARTESIAN: "cartesian"}
_IO_FIELDS: Dict[int, str] = {
    IoKind.DOUT: "dout",
    IoKind.DIN: "din",
    IoKind.AOUT: "aout",
    IoKind.AIN: "ain",
}
_STATE_EVENTS: Dict[int, str] = {
    EventKind.SERVO: "servo",
    EventKind.MODE: "mode",
    EventKind.COORD: "coord",
    EventKind.SPEED: "speed",
    EventKind.RUNNING: "running",
}
PORTS = 16


def label(value: Any) -> Any:
    """An enum member as its name, anything else as it is."""
    return getattr(value, "name", value)


def log_entry(event: Event) -> Optional[Message]:
    """The event log's line for an event, or None for an event the log does not show."""
    entry: Message = {"t": event.time}
    if event.kind == EventKind.ALARM:
        number = int(event.values[0]) if event.values else None
        entry.update(kind="alarm", severity=label(event.code), number=number, text=event.text)
    elif event.kind == EventKind.LINK:
        entry.update(kind="link", up=event.code == 1, text=event.text)
    elif event.kind == EventKind.TRANSFER:
        done, total = (list(event.values) + [0.0, 0.0])[:2]
        entry.update(kind="transfer", stage=label(event.code), text=event.text)
        entry.update(done=done, total=total)
    elif event.kind == EventKind.OVERFLOW:
        entry.update(kind="overflow", dropped=event.count)
    else:
        return None
    return entry


class Panel:
    """The state of one controller and the thread that reads what is not pushed. Give either
    the script's robot (shared, left open) or an address to open sessions to (closed at stop)."""

    def __init__(
        self,
        index: int,
        publish: Publish,
        robot: Optional[Robot] = None,
        address: Optional[str] = None,
        port: int = 6000,
    ) -> None:
        if (robot is None) == (address is None):
            raise ValueError("a panel needs either a robot or an address")
        self.index = index
        self._publish = publish
        self._robot = robot
        self._own = robot is None
        self._host, self._port = address, port
        self._state: Message = {"link": False}
        self._lock = threading.Lock()
        self._reported: Dict[int, float] = {}
        self._refresh_due = True
        self._unlisten: Optional[Callable[[], None]] = None
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, name="kelvo-dashboard-%d" % index)

    @property
    def robot(self) -> Optional[Robot]:
        """The session, or None while one of our own is not open."""
        return self._robot

    def start(self) -> None:
        if self._robot is not None:
            self._listen(self._robot)
        self._thread.start()

    def stop(self) -> None:
        self._stop.set()
        self._thread.join()

    # ---- publishing ----

    def _update(self, fields: Message, when: float) -> None:
        """Publishes what changed; positions always, so that the plot moves on."""
        with self._lock:
            changed = {
                key: value
                for key, value in fields.items()
                if key in _POSITIONS.values() or self._state.get(key) != value
            }
            if not changed:
                return
            self._state.update(changed)
            self._publish({"type": "state", "robot": self.index, "t": when, "fields": changed})

    def _log(self, entry: Message) -> None:
        self._publish({"type": "log", "robot": self.index, "entry": entry})

    # ---- events, on the library's thread ----

    def on_event(self, event: Event) -> None:
        kind = event.kind
        if kind == EventKind.LINK:
            self._update({"link": event.code == 1}, event.time)
            self._refresh_due = event.code == 1
        elif kind in _STATE_EVENTS:
            self._update({_STATE_EVENTS[kind]: label(event.code)}, event.time)
        elif kind == EventKind.POSITION and event.code in _POSITIONS and len(event.values) >= 6:
            self._reported[event.code] = time.monotonic()
            self._update({_POSITIONS[event.code]: list(event.values[:6])}, event.time)
        elif kind == EventKind.IO and event.code in _IO_FIELDS:
            self._update({_IO_FIELDS[event.code]: _ports(event.values)}, event.time)
        entry = log_entry(event)
        if entry is not None:
            self._log(entry)

    # ---- readings, on the panel's thread ----

    def _run(self) -> None:
        next_refresh = 0.0
        while not self._stop.is_set():
            robot = self._robot or self._open()
            if robot is None:
                self._stop.wait(REOPEN_INTERVAL)
                continue
            started = time.monotonic()
            try:
                if self._refresh_due or started >= next_refresh:
                    self._refresh_due = False
                    next_refresh = started + REFRESH_INTERVAL
                    self._refresh(robot)
                self._poll_positions(robot)
            except NotConnectedError:
                self._update({"link": False}, time.time())
            except ClosedError:
                self._update({"link": False, "closed": True}, time.time())
                break
            except KelvoError:
                pass  # an unanswered query: the next round asks again
            self._stop.wait(max(0.0, POLL_INTERVAL - (time.monotonic() - started)))
        self._release()

    def _open(self) -> Optional[Robot]:
        assert self._host is not None
        try:
            robot = connect(self._host, self._port, timeout=OPEN_TIMEOUT)
        except KelvoError:
            self._update({"link": False}, time.time())
            return None
        robot.set_reply_timeout(REPLY_TIMEOUT_MS)
        self._robot = robot
        self._listen(robot)
        return robot

    def _listen(self, robot: Robot) -> None:
        self._unlisten = fanout.listen(robot, self.on_event)

    def _release(self) -> None:
        if self._unlisten is not None:
            self._unlisten()
        if self._own and self._robot is not None:
            self._robot.close()

    def _refresh(self, robot: Robot) -> None:
        status = robot.status()  # its positions come back as events as well
        fields: Message = {
            "servo": label(status["servo"]),
            "mode": label(status["mode"]),
            "coord": label(status["coord"]),
            "speed": status["speed"],
            "running": label(status["running"]),
            "dout": _ports(status["dout"]),
            "din": _ports(status["din"]),
            "aout": _ports(status["aout"]),
            "ain": _ports(status["ain"]),
            "tool": robot.get_tool(),
            "link": robot.is_connected(),
        }
        self._update(fields, time.time())

    def _poll_positions(self, robot: Robot) -> None:
        for coord in _POSITIONS:
            if time.monotonic() - self._reported.get(coord, 0.0) >= REPORTED_RECENTLY:
                robot.get_current_position(coord)


def _ports(values: Sequence[float]) -> List[float]:
    return [float(v) for v in values[:PORTS]]
