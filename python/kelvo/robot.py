"""Robot: one session with a controller, the kelvo_ session calls as methods."""

import ctypes
import math
import os
import threading
import time
import weakref
from typing import Any, Callable, Dict, Iterator, List, Optional, Sequence, Tuple, Union

from . import _library
from ._records import CEvent
from .enums import Coord, Mode, RunningState, ServoStatus, decode
from .errors import (
    ClosedError,
    NotConnectedError,
    RefusedError,
    TimedOutError,
    check,
    error_for,
)
from .records import Event, MotionPoint, pack_points

Position = Tuple[float, float, float, float, float, float]
ProgressCallback = Callable[[Position, float], None]  # (position, fraction of the way done)

_POLL_INTERVAL = 0.1  # seconds between position readings of the wait helpers
_ARRIVED = 0.01  # mm or degrees from the target
_STILL = 1e-6  # no change between two readings
_STALL_TIME = 2.0  # seconds without change before a move counts as stopped short
_EVENT_SLICE_MS = 200  # pulls wait in slices, so Ctrl-C ends a wait for events


class _Session:
    """The C handle and what must live as long as the library may call back; no Robot inside, so
    that a Robot nobody holds is collected (and closed).

    close() clears the handle before kelvo_close, so no call starts on a closed session. A call
    in another thread that has read the handle but not yet entered the library when kelvo_close
    frees the session is the one window left; the C API leaves it to the caller."""

    def __init__(self, lib: ctypes.CDLL, handle: int) -> None:
        self.lib = lib
        self.handle: Optional[int] = handle
        self.lock = threading.Lock()
        self.callbacks: List[Any] = []

    def close(self) -> None:
        with self.lock:
            handle, self.handle = self.handle, None
        if handle is None:
            return
        if _library.in_callback():
            # A library thread (maybe this session's own, or the collector running there) cannot
            # wait for itself: a thread of ours closes once the callback has returned.
            threading.Thread(target=self._close, args=(handle,), name="kelvo-close").start()
        else:
            self._close(handle)

    def _close(self, handle: int) -> None:
        self.lib.kelvo_close(handle)  # returns once no callback runs
        self.callbacks = []


def _require_events() -> None:
    if not _library.has_events():
        raise NotImplementedError("this libkelvo_dll has no event calls (kelvo_next_event)")


def _doubles(values: Sequence[float], count: int, name: str) -> ctypes.Array:
    if len(values) != count:
        raise ValueError("%s needs %d values, not %d" % (name, count, len(values)))
    return (ctypes.c_double * count)(*values)


def _gap(a: Sequence[float], b: Sequence[float], coord: int) -> float:
    """The largest difference of one value, angles compared as angles."""
    gaps = [
        abs(math.remainder(x - y, 360.0)) if coord == Coord.JOINT or i >= 3 else abs(x - y)
        for i, (x, y) in enumerate(zip(a, b))
    ]
    return max(gaps)


def _fraction(
    origin: Sequence[float], now: Sequence[float], target: Sequence[float], coord: int
) -> float:
    """How much of the way from origin to target is done, from 0 to 1."""
    way = _gap(origin, target, coord)
    return 1.0 if way < _ARRIVED else min(1.0, max(0.0, 1.0 - _gap(now, target, coord) / way))


class Robot:
    """A session with one controller; made by kelvo.connect. Every method may be called from any
    thread. Methods named like the C calls keep the C units; they raise a KelvoError subclass
    where the C call returns an error."""

    def __init__(self, lib: ctypes.CDLL, handle: int, address: str) -> None:
        self._session = _Session(lib, handle)
        self._finalizer = weakref.finalize(self, _Session.close, self._session)
        self.address = address

    def __enter__(self) -> "Robot":
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    def __repr__(self) -> str:
        state = "closed" if self.closed else "open"
        return "<kelvo.Robot %s %s>" % (self.address, state)

    @property
    def closed(self) -> bool:
        """Whether close() has been called."""
        return self._session.handle is None

    def close(self) -> None:
        """Ends the session: waiting calls in other threads raise ClosedError. Idempotent. Called
        from inside an event callback it takes effect when the callback returns."""
        self._finalizer()

    # ---- plumbing ----

    def _status(self, name: str, *args: Any) -> int:
        handle = self._session.handle
        if handle is None:
            raise ClosedError()
        return getattr(self._session.lib, name)(handle, *args)

    def _call(self, name: str, *args: Any) -> None:
        check(self._status(name, *args))

    def _int(self, name: str, *args: Any) -> int:
        value = ctypes.c_int()
        self._call(name, *args, ctypes.byref(value))
        return value.value

    def _doubles_out(self, name: str, count: int, *args: Any) -> List[float]:
        out = (ctypes.c_double * count)()
        self._call(name, out, *args)
        return list(out)

    # ---- connection, servo, jogging ----

    def is_connected(self) -> bool:
        """Whether the link to the controller is up now."""
        return self._int("kelvo_is_connected") != 0

    def set_reply_timeout(self, ms: int) -> None:
        """How long a query waits for the controller's answer, in milliseconds (0: no limit)."""
        self._call("kelvo_set_reply_timeout", ms)

    def servo_power_on(self) -> Union[ServoStatus, int]:
        """Switches the servo on; the servo status the controller reported."""
        return decode(ServoStatus, self._int("kelvo_servo_power_on"))

    def servo_power_off(self) -> None:
        """Releases the enabling switch."""
        self._call("kelvo_servo_power_off")

    def get_servo_status(self) -> Union[ServoStatus, int]:
        """The servo status (RUNNING: motors powered)."""
        return decode(ServoStatus, self._int("kelvo_get_servo_status"))

    def start_jogging(self, axis: int, positive: bool) -> None:
        """Starts jogging axis 1 to 12; RefusedError unless the servo runs."""
        self._call("kelvo_start_jogging", axis, int(bool(positive)))

    def stop_jogging(self, axis: int) -> None:
        """Stops jogging axis."""
        self._call("kelvo_stop_jogging", axis)

    def stop_move(self, axis: int) -> None:
        """Stops the motion of axis."""
        self._call("kelvo_stop_move", axis)

    def clear_alarm(self, code: int) -> None:
        """Clears the alarm with this number."""
        self._call("kelvo_clear_alarm", code)

    def clear_all_alarms(self) -> None:
        """Clears every alarm."""
        self._call("kelvo_clear_all_alarms")

    # ---- I/O ----

    def set_dout(self, port: int, status: int) -> None:
        """Sets digital output port (from 1) to status (0 or 1)."""
        self._call("kelvo_set_dout", port, status)

    def set_aout(self, port: int, value: float) -> None:
        """Sets analog output port (from 1) to value."""
        self._call("kelvo_set_aout", port, value)

    def get_dout(self) -> List[int]:
        """Digital outputs 1 to 16."""
        return [int(v) for v in self._doubles_out("kelvo_get_dout", 16)]

    def get_din(self) -> List[int]:
        """Digital inputs 1 to 16."""
        return [int(v) for v in self._doubles_out("kelvo_get_din", 16)]

    def get_aout(self) -> List[float]:
        """Analog outputs 1 to 16."""
        return self._doubles_out("kelvo_get_aout", 16)

    def get_ain(self) -> List[float]:
        """Analog inputs 1 to 16."""
        return self._doubles_out("kelvo_get_ain", 16)

    # ---- state and positions ----

    def get_robot_running_state(self) -> Union[RunningState, int]:
        """The program running state."""
        return decode(RunningState, self._int("kelvo_get_robot_running_state"))

    def get_current_position(self, coord: int) -> Position:
        """The position in coordinate system coord: degrees, or mm and degrees."""
        return tuple(self._doubles_out("kelvo_get_current_position", 6, coord))  # type: ignore

    def get_current_sync_position(self) -> Tuple[float, ...]:
        """The joint positions of external axes 1 to 5."""
        return tuple(self._doubles_out("kelvo_get_current_sync_position", 5))

    def get_tool(self) -> int:
        """The number of the tool in use."""
        return self._int("kelvo_get_tool")

    def set_jogging_speed(self, speed: int) -> None:
        """Jog speed: 0 to 100 percent, 101 to 103 inching steps."""
        self._call("kelvo_set_jogging_speed", speed)

    def get_jogging_speed(self) -> int:
        """The jog speed code."""
        return self._int("kelvo_get_jogging_speed")

    def set_current_mode(self, mode: int) -> None:
        """Sets the operation mode (Mode)."""
        self._call("kelvo_set_current_mode", mode)

    def get_current_mode(self) -> Union[Mode, int]:
        """The operation mode."""
        return decode(Mode, self._int("kelvo_get_current_mode"))

    def set_current_coord(self, coord: int) -> None:
        """Sets the jog coordinate system (Coord)."""
        self._call("kelvo_set_current_coord", coord)

    def get_current_coord(self) -> Union[Coord, int]:
        """The jog coordinate system."""
        return decode(Coord, self._int("kelvo_get_current_coord"))

    # ---- motion ----

    def robot_movj(self, target: Sequence[float], vel: int, coord: int) -> None:
        """Joint move to 6 values in coordinate system coord; vel in percent."""
        self._call("kelvo_robot_movj", _doubles(target, 6, "target"), vel, coord)

    def robot_movl(self, target: Sequence[float], vel: int, coord: int) -> None:
        """Linear move to 6 values in coordinate system coord; vel in mm/s."""
        self._call("kelvo_robot_movl", _doubles(target, 6, "target"), vel, coord)

    def robot_movc(
        self, p1: Sequence[float], p2: Sequence[float], p3: Sequence[float], vel: int, coord: int
    ) -> None:
        """Arc through p1, p2 and p3 (6 values each)."""
        points = [_doubles(p, 6, name) for p, name in ((p1, "p1"), (p2, "p2"), (p3, "p3"))]
        self._call("kelvo_robot_movc", *points, vel, coord)

    def robot_movca(
        self, p1: Sequence[float], p2: Sequence[float], p3: Sequence[float], vel: int, coord: int
    ) -> None:
        """Full circle through p1, p2 and p3 (6 values each)."""
        points = [_doubles(p, 6, name) for p, name in ((p1, "p1"), (p2, "p2"), (p3, "p3"))]
        self._call("kelvo_robot_movca", *points, vel, coord)

    # ---- jobs and continuous motion ----

    def run_job(self, name: str) -> None:
        """Starts the controller's job name; RefusedError while a job runs or the servo is off."""
        self._call("kelvo_run_job", name.encode("utf-8"))

    def stop_job(self) -> None:
        """Stops the running job; RefusedError unless one runs."""
        self._call("kelvo_stop_job")

    def continuous_motion_mode(self, open: bool) -> None:
        """Opens continuous-motion mode, or closes it (back to teach mode)."""
        self._call("kelvo_continuous_motion_mode", 1 if open else 0)

    def send_continuous_motion_queue(self, points: Sequence[MotionPoint]) -> None:
        """Sends the points as one queue; TooLargeError when they do not fit one frame."""
        records = pack_points(points)
        self._call("kelvo_send_continuous_motion_queue", records, len(points))

    # ---- job files ----

    def set_job_dir(self, path: Union[str, "os.PathLike[str]"]) -> None:
        """The folder holding robotJob/R1 to R4; JobFileError when it cannot be used."""
        self._call("kelvo_set_job_dir", os.fsencode(path))

    def set_trace_size(self, frames: int) -> None:
        """How many of the last frames the flight recorder keeps (default 2000; 0 turns it off)."""
        self._call("kelvo_set_trace_size", frames)

    def dump_trace(self, path: Union[str, "os.PathLike[str]"]) -> None:
        """Writes the flight recorder's frames and link events to path as JSON Lines."""
        self._call("kelvo_dump_trace", os.fsencode(path))

    def set_transfer_port(self, port: int) -> None:
        """The controller's file transfer port (default 5000)."""
        self._call("kelvo_set_transfer_port", port)

    def upload_job(self) -> None:
        """Starts uploading robotJob/R1 to R4; returns once the transfer has started."""
        self._call("kelvo_upload_job")

    def sync_jobs(self) -> None:
        """Starts bringing robotJob/R1 to R4 in line with the controller's files."""
        self._call("kelvo_sync_jobs")

    # ---- events ----

    def next_event(self, timeout_ms: int) -> Optional[Event]:
        """The next event, waiting up to timeout_ms milliseconds (0 polls, negative waits for
        ever); None when none came. BusyError while a callback is set."""
        _require_events()
        event = CEvent()
        status = self._status("kelvo_next_event", ctypes.byref(event), timeout_ms)
        if status == TimedOutError.code:
            return None
        check(status)
        return Event.from_c(event)

    def events(self, timeout: Optional[float] = None) -> Iterator[Event]:
        """Events as they arrive, in order. Ends when none has come for timeout seconds (None:
        only when the session closes)."""
        quiet_since = time.monotonic()
        while True:
            left = None if timeout is None else timeout - (time.monotonic() - quiet_since)
            wait_ms = _EVENT_SLICE_MS
            if left is not None:
                wait_ms = max(0, min(wait_ms, int(left * 1000)))
            try:
                event = self.next_event(wait_ms)
            except ClosedError:
                return
            if event is not None:
                yield event
                quiet_since = time.monotonic()
            elif left is not None and left * 1000 <= wait_ms:
                return

    def on_event(self, callback: Optional[Callable[[Event], None]]) -> None:
        """Calls callback(event) for each event, on a library thread (not the caller's); None
        stops it, and once that returns the old callback is not called again. The callback may
        call any method, close() too. An exception in it is printed and otherwise ignored."""
        _require_events()
        if callback is None:
            self._call("kelvo_set_event_handler", _library.EventHandler(), None)  # NULL
            return

        def deliver(event: "ctypes._Pointer[CEvent]", user: Optional[int]) -> None:
            with _library.callback():
                callback(Event.from_c(event.contents))

        handler = _library.EventHandler(deliver)
        # Kept until the session is closed: the library may be running any earlier one.
        self._session.callbacks.append(handler)
        self._call("kelvo_set_event_handler", handler, None)

    # ---- helpers ----

    def status(self) -> Dict[str, Any]:
        """Everything kelvoctl's status shows: mode, coord, speed, running, servo, joints,
        cartesian, dout, din, aout and ain."""
        return {
            "mode": self.get_current_mode(),
            "coord": self.get_current_coord(),
            "speed": self.get_jogging_speed(),
            "running": self.get_robot_running_state(),
            "servo": self.get_servo_status(),
            "joints": self.get_current_position(Coord.JOINT),
            "cartesian": self.get_current_position(Coord.CARTESIAN),
            "dout": self.get_dout(),
            "din": self.get_din(),
            "aout": self.get_aout(),
            "ain": self.get_ain(),
        }

    def wait_until_stopped(
        self,
        target: Sequence[float],
        coord: int,
        timeout: float = 60.0,
        on_progress: Optional[ProgressCallback] = None,
    ) -> Position:
        """Follows the position (in coord) until the robot stands at target, and returns it.
        RefusedError when it stops short or never sets off (a controller refuses moves it cannot
        make), TimedOutError after timeout seconds. on_progress(position, fraction) is called
        after readings (at most every 100 ms), the fraction of the way done never falling, and
        with 1.0 once, on arrival; what it raises ends the wait."""
        if len(target) != 6:
            raise ValueError("target needs 6 values, not %d" % len(target))
        start = time.monotonic()
        origin = last = self.get_current_position(coord)
        last_change = start
        done = 0.0
        while True:
            now = time.monotonic()
            if _gap(last, target, coord) < _ARRIVED and now - last_change >= _POLL_INTERVAL:
                if on_progress is not None:
                    on_progress(last, 1.0)
                return last
            done = max(done, _fraction(origin, last, target, coord))
            if on_progress is not None and done < 1.0:  # 1.0 only once it has settled
                on_progress(last, done)
            if now - last_change > _STALL_TIME:
                moved = _gap(last, origin, coord) > _ARRIVED
                what = "stopped short of its target" if moved else "did not move"
                raise RefusedError(detail="the robot %s, at %s" % (what, _rounded(last)))
            if now - start > timeout:
                raise TimedOutError(detail="the robot is still moving after %g s" % timeout)
            time.sleep(_POLL_INTERVAL)
            position = self.get_current_position(coord)
            if _gap(position, last, coord) > _STILL:
                last_change = time.monotonic()
            last = position

    def move_and_wait(
        self,
        target: Sequence[float],
        vel: int,
        coord: int,
        linear: bool = False,
        timeout: float = 60.0,
        on_progress: Optional[ProgressCallback] = None,
    ) -> Position:
        """robot_movj (or robot_movl when linear) to target, then wait_until_stopped."""
        move = self.robot_movl if linear else self.robot_movj
        move(target, vel, coord)
        return self.wait_until_stopped(target, coord, timeout, on_progress)


def _rounded(position: Sequence[float]) -> str:
    return "(" + ", ".join("%.3f" % v for v in position) + ")"


def connect(ip: str, port: int = 6000, timeout: float = 5.0) -> Robot:
    """Opens a session with the controller at ip:port, waiting up to timeout seconds for the
    link. Use it in a with statement, or call close(). Raises NotConnectedError when no link
    comes up, InvalidArgumentError for a malformed address."""
    lib = _library.library()
    error = ctypes.c_int(0)
    timeout_ms = max(1, round(timeout * 1000))
    handle = lib.kelvo_open(ip.encode("utf-8"), port, timeout_ms, ctypes.byref(error))
    if not handle:
        raise error_for(error.value or NotConnectedError.code, detail="%s:%d" % (ip, port))
    return Robot(lib, handle, "%s:%d" % (ip, port))
