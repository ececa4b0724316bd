"""Robot: one session with a controller, the kelvo_ session calls as methods."""

import ctypes
import logging
import math
import os
import queue
import threading
import time
import weakref
from typing import (
    Any,
    Callable,
    Iterator,
    List,
    Optional,
    Sequence,
    Tuple,
    TypedDict,
    TypeVar,
    Union,
)

from . import _checks, _library, log
from ._records import CEvent
from .enums import Coord, Mode, RunningState, ServoStatus, decode
from .errors import (
    ClosedError,
    KelvoError,
    NotConnectedError,
    RefusedError,
    TimedOutError,
    error_for,
)
from .records import Event, MotionPoint, pack_points

Position = Tuple[float, float, float, float, float, float]
ProgressCallback = Callable[[Position, float], None]  # (position, fraction of the way done)
T = TypeVar("T")


class Status(TypedDict):
    """What Robot.status() returns."""

    mode: Union[Mode, int]
    coord: Union[Coord, int]
    speed: int
    running: Union[RunningState, int]
    servo: Union[ServoStatus, int]
    joints: Position
    cartesian: Position
    dout: List[int]
    din: List[int]
    aout: List[float]
    ain: List[float]


_POLL_INTERVAL = 0.1  # seconds between position readings of the wait helpers
_ARRIVED = 0.01  # mm or degrees from the target
_STILL = 1e-6  # no change between two readings
_STALL_TIME = 2.0  # seconds without change before a move counts as stopped short
_STAMP_RESOLUTION = 0.002  # seconds: events are stamped to the millisecond
_SLICE = 0.2  # seconds: every wait of the package, so that Ctrl-C ends it within this
_JOG_AXES = (1, 12)  # 7 to 12: external axes
_MOVING_AXES = range(_JOG_AXES[0], _JOG_AXES[1] + 1)  # a stop is sent for each
# The calls that wait for the controller; the others send and return at once.
_WAITING_CALLS = {"kelvo_servo_power_on", "kelvo_upload_job", "kelvo_sync_jobs"}
_events_log = logging.getLogger("kelvo.events")


class _Job:
    """One call handed to a helper thread, and what it came to."""

    def __init__(self, call: Callable[[], Any], discard: Optional[Callable[[Any], None]]) -> None:
        self.call = call
        self.discard = discard
        self.done = threading.Event()
        self.lock = threading.Lock()
        self.abandoned = False
        self.value: Any = None
        self.error: Optional[BaseException] = None

    def run(self) -> None:
        try:
            self.value = self.call()
        except BaseException as error:  # handed to the waiting thread
            self.error = error
        with self.lock:
            self.done.set()
            late = self.abandoned
        if late and self.discard is not None and self.error is None:
            self.discard(self.value)


_jobs: "queue.SimpleQueue[_Job]" = queue.SimpleQueue()
_helpers_lock = threading.Lock()
_idle_helpers = 0


def _helper() -> None:
    global _idle_helpers
    while True:
        job = _jobs.get()
        with _helpers_lock:
            _idle_helpers -= 1
        job.run()
        with _helpers_lock:
            _idle_helpers += 1


def _sliced(call: Callable[[], T], discard: Optional[Callable[[T], None]] = None) -> T:
    """call() on a helper thread while the main thread waits in slices, so that a signal handler
    (KeyboardInterrupt) runs within _SLICE: a C call cannot be interrupted, and Python runs signal
    handlers only in the main thread between bytecodes. The abandoned call finishes on its own
    within its bound, and discard(result) then releases what it made; meanwhile a further helper
    serves the next call. Other threads call directly."""
    global _idle_helpers
    if threading.current_thread() is not threading.main_thread():
        return call()
    job = _Job(call, discard)
    with _helpers_lock:
        if _idle_helpers == 0:
            _idle_helpers += 1
            threading.Thread(target=_helper, name="kelvo-call", daemon=True).start()
    _jobs.put(job)
    try:
        while not job.done.wait(_SLICE):
            pass
    except BaseException:
        with job.lock:
            job.abandoned = not job.done.is_set()
        if job.abandoned:
            raise
    if job.error is not None:
        raise job.error
    return job.value  # type: ignore[no-any-return]


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
        _open_sessions.add(self)

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
        self.lib.kelvo_close(handle)
        # A close asked for from inside a library callback is carried out only once that callback
        # returns, after this: a handler freed now could still be entered. Handlers are small and
        # made once per on_event, so they are kept for the life of the process.
        _retired_handlers.extend(self.callbacks)
        self.callbacks = []


_retired_handlers: List[Any] = []


_open_sessions: "weakref.WeakSet[_Session]" = weakref.WeakSet()
_exit_hook_lock = threading.Lock()
_exit_hook_set = False


def _close_open_sessions() -> None:
    for session in list(_open_sessions):
        session.close()


def _close_sessions_at_exit() -> None:
    """Closes every open session once the main thread has ended and before the interpreter waits
    for non-daemon threads, so that a thread waiting on a session (events() above all) ends
    instead of blocking the exit. atexit runs only after that wait. threading's own exit hook
    runs in the main thread with the interpreter whole, like any call of close(); it is what
    concurrent.futures uses to the same end."""
    global _exit_hook_set
    with _exit_hook_lock:
        if _exit_hook_set:
            return
        _exit_hook_set = True
    register = getattr(threading, "_register_atexit", None)
    try:
        if register is not None:
            register(_close_open_sessions)
    except RuntimeError:  # the interpreter is shutting down already
        pass


def _require_events() -> None:
    if not _library.has_events():
        raise NotImplementedError("this libkelvo_dll has no event calls (kelvo_next_event)")


def _doubles(values: Sequence[float], count: int, name: str) -> "ctypes.Array[ctypes.c_double]":
    return (ctypes.c_double * count)(*_checks.reals(values, name, count))


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
        self._event_callback: Optional[Callable[[Event], None]] = None
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
        function = getattr(self._session.lib, name)
        if name in _WAITING_CALLS or name.startswith("kelvo_get_"):
            return _sliced(lambda: int(function(handle, *args)))
        return int(function(handle, *args))

    def _call(self, name: str, *args: Any) -> None:
        started = time.time()
        status = self._status(name, *args)
        if status < 0:
            raise self._error(status, started)

    def _error(self, status: int, since: float, detail: str = "") -> KelvoError:
        """The exception for status, naming the controller's alarm if one came since then."""
        return error_for(status, detail, self._alarm_since(since))

    def _alarm_since(self, since: float) -> Optional[Event]:
        handle = self._session.handle
        if handle is None or not hasattr(self._session.lib, "kelvo_last_alarm"):
            return None
        event = CEvent()
        if self._session.lib.kelvo_last_alarm(handle, ctypes.byref(event)) != 0 or not event.kind:
            return None
        return Event.from_c(event) if event.time >= since - _STAMP_RESOLUTION else None

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
        self._call("kelvo_set_reply_timeout", _checks.integer(ms, "ms", low=0))

    def set_fences(self, on: bool) -> None:
        """Heartbeat fences behind queries, so a read after a write gets the answer to its own
        question (on by default; see kelvo.h)."""
        self._call("kelvo_set_fences", 1 if on else 0)

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
        axis = _checks.integer(axis, "axis", *_JOG_AXES)
        self._call("kelvo_start_jogging", axis, int(bool(positive)))

    def stop_jogging(self, axis: int) -> None:
        """Stops jogging axis."""
        self._call("kelvo_stop_jogging", _checks.integer(axis, "axis", *_JOG_AXES))

    def stop_move(self, axis: int) -> None:
        """Sends stop-jogging (0x2902) for axis; a controller ends a jog of that axis, or any
        move, where the robot then is."""
        self._call("kelvo_stop_move", _checks.integer(axis, "axis", *_JOG_AXES))

    def clear_alarm(self, code: int) -> None:
        """Clears the alarm with this number."""
        self._call("kelvo_clear_alarm", _checks.integer(code, "code"))

    def clear_all_alarms(self) -> None:
        """Clears every alarm."""
        self._call("kelvo_clear_all_alarms")

    # ---- I/O ----

    def set_dout(self, port: int, status: int) -> None:
        """Sets digital output port (from 1) to status (0 or 1)."""
        self._call(
            "kelvo_set_dout", _checks.integer(port, "port"), _checks.integer(status, "status", 0, 1)
        )

    def set_aout(self, port: int, value: float) -> None:
        """Sets analog output port (from 1) to value."""
        self._call("kelvo_set_aout", _checks.integer(port, "port"), _checks.real(value, "value"))

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
        values = self._doubles_out(
            "kelvo_get_current_position", 6, _checks.code(coord, Coord, "coord")
        )
        return (values[0], values[1], values[2], values[3], values[4], values[5])

    def get_current_sync_position(self) -> Tuple[float, ...]:
        """The joint positions of external axes 1 to 5."""
        return tuple(self._doubles_out("kelvo_get_current_sync_position", 5))

    def get_tool(self) -> int:
        """The number of the tool in use."""
        return self._int("kelvo_get_tool")

    def set_jogging_speed(self, speed: int) -> None:
        """Jog speed: 0 to 100 percent, 101 to 103 inching steps."""
        self._call("kelvo_set_jogging_speed", _checks.integer(speed, "speed", 0, 103))

    def get_jogging_speed(self) -> int:
        """The jog speed code."""
        return self._int("kelvo_get_jogging_speed")

    def set_current_mode(self, mode: int) -> None:
        """Sets the operation mode (Mode)."""
        self._call("kelvo_set_current_mode", _checks.code(mode, Mode, "mode"))

    def get_current_mode(self) -> Union[Mode, int]:
        """The operation mode."""
        return decode(Mode, self._int("kelvo_get_current_mode"))

    def set_current_coord(self, coord: int) -> None:
        """Sets the jog coordinate system (Coord)."""
        self._call("kelvo_set_current_coord", _checks.code(coord, Coord, "coord"))

    def get_current_coord(self) -> Union[Coord, int]:
        """The jog coordinate system."""
        return decode(Coord, self._int("kelvo_get_current_coord"))

    # ---- motion ----

    def robot_movj(self, target: Sequence[float], vel: int, coord: int) -> None:
        """Joint move to 6 values in coordinate system coord; vel in percent."""
        self._call("kelvo_robot_movj", _doubles(target, 6, "target"), *_vel_coord(vel, coord))

    def robot_movl(self, target: Sequence[float], vel: int, coord: int) -> None:
        """Linear move to 6 values in coordinate system coord; vel in mm/s."""
        self._call("kelvo_robot_movl", _doubles(target, 6, "target"), *_vel_coord(vel, coord))

    def robot_movc(
        self, p1: Sequence[float], p2: Sequence[float], p3: Sequence[float], vel: int, coord: int
    ) -> None:
        """Arc through p1, p2 and p3 (6 values each)."""
        points = [_doubles(p, 6, name) for p, name in ((p1, "p1"), (p2, "p2"), (p3, "p3"))]
        self._call("kelvo_robot_movc", *points, *_vel_coord(vel, coord))

    def robot_movca(
        self, p1: Sequence[float], p2: Sequence[float], p3: Sequence[float], vel: int, coord: int
    ) -> None:
        """Full circle through p1, p2 and p3 (6 values each)."""
        points = [_doubles(p, 6, name) for p, name in ((p1, "p1"), (p2, "p2"), (p3, "p3"))]
        self._call("kelvo_robot_movca", *points, *_vel_coord(vel, coord))

    # ---- jobs and continuous motion ----

    def run_job(self, name: str) -> None:
        """Starts the controller's job name; RefusedError while a job runs or the servo is off."""
        self._call("kelvo_run_job", _checks.text(name, "name"))

    def stop_job(self) -> None:
        """Stops the running job; RefusedError unless one runs."""
        self._call("kelvo_stop_job")

    def continuous_motion_mode(self, open: bool) -> None:
        """Opens continuous-motion mode, or closes it (back to teach mode)."""
        self._call("kelvo_continuous_motion_mode", 1 if open else 0)

    def send_continuous_motion_queue(self, points: Sequence[MotionPoint]) -> None:
        """Sends the points as one queue; TooLargeError when they do not fit one frame."""
        records = pack_points(points)
        self._call("kelvo_send_continuous_motion_queue", records, len(records))

    # ---- job files ----

    def set_job_dir(self, path: Union[str, "os.PathLike[str]"]) -> None:
        """The folder holding robotJob/R1 to R4; JobFileError when it cannot be used."""
        self._call("kelvo_set_job_dir", _checks.path(path, "path"))

    def set_trace_size(self, frames: int) -> None:
        """How many of the last frames the flight recorder keeps (default 2000; 0 turns it off)."""
        self._call("kelvo_set_trace_size", _checks.integer(frames, "frames"))

    def dump_trace(self, path: Union[str, "os.PathLike[str]"]) -> None:
        """Writes the flight recorder's frames and link events to path as JSON Lines."""
        self._call("kelvo_dump_trace", _checks.path(path, "path"))

    def set_transfer_port(self, port: int) -> None:
        """The controller's file transfer port (default 5000)."""
        self._call("kelvo_set_transfer_port", _checks.integer(port, "port"))

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
        left = _checks.integer(timeout_ms, "timeout_ms")
        event = CEvent()
        while True:
            wait = int(_SLICE * 1000) if left < 0 else min(left, int(_SLICE * 1000))
            status = self._status("kelvo_next_event", ctypes.byref(event), wait)
            if status != TimedOutError.code:
                break
            if left >= 0:
                left -= wait
                if left <= 0:
                    return None
        if status < 0:
            raise error_for(status)
        return Event.from_c(event)

    def events(self, timeout: Optional[float] = None) -> Iterator[Event]:
        """Events as they arrive, in order. Ends when none has come for timeout seconds (None:
        only when the session closes, at the latest when the interpreter exits)."""
        limit = math.inf if timeout is None else _checks.seconds(timeout, "timeout")
        quiet_since = time.monotonic()
        while True:
            left = limit - (time.monotonic() - quiet_since)
            wait_ms = int(_SLICE * 1000) if left > _SLICE else max(0, int(left * 1000))
            try:
                event = self.next_event(wait_ms)
            except ClosedError:
                return
            if event is not None:
                yield event
                quiet_since = time.monotonic()
            elif left <= _SLICE:
                return

    def on_event(self, callback: Optional[Callable[[Event], None]]) -> None:
        """Calls callback(event) for each event, on a library thread (not the caller's); None
        stops it, and once that returns the old callback is not called again. The callback may
        call any method, close() too; it does not keep this Robot alive. An exception in it is
        logged to the "kelvo.events" logger and otherwise ignored."""
        _require_events()
        _checks.callback(callback, "callback")
        if callback is None:
            self._call("kelvo_set_event_handler", _library.NO_EVENT_HANDLER, None)
            self._event_callback = None
            return
        self._event_callback = callback
        robot = weakref.ref(self)

        def deliver(event: "ctypes._Pointer[CEvent]", user: Optional[int]) -> None:
            with _library.callback():
                current = robot()
                target = current._event_callback if current is not None else None
                del current  # a collected Robot is closed here, not in the callback
                if target is None:
                    return
                try:
                    target(Event.from_c(event.contents))
                except Exception:
                    _events_log.exception("the event callback %r raised", target)

        handler = _library.EventHandler(deliver)
        # Kept until the session is closed: the library may be running any earlier one.
        self._session.callbacks.append(handler)
        self._call("kelvo_set_event_handler", handler, None)

    # ---- helpers ----

    def status(self) -> Status:
        """Everything kelvoctl's status shows: mode, coord, speed, running, servo, joints,
        cartesian, dout, din, aout and ain."""
        return Status(
            mode=self.get_current_mode(),
            coord=self.get_current_coord(),
            speed=self.get_jogging_speed(),
            running=self.get_robot_running_state(),
            servo=self.get_servo_status(),
            joints=self.get_current_position(Coord.JOINT),
            cartesian=self.get_current_position(Coord.CARTESIAN),
            dout=self.get_dout(),
            din=self.get_din(),
            aout=self.get_aout(),
            ain=self.get_ain(),
        )

    def wait_until_stopped(
        self,
        target: Sequence[float],
        coord: int,
        timeout: float = 60.0,
        on_progress: Optional[ProgressCallback] = None,
    ) -> Position:
        """Follows the position (in coord) until the robot stands at target, and returns it.
        RefusedError when it stops short or never sets off (a controller refuses moves it cannot
        make), TimedOutError after timeout seconds; either names the controller's alarm if one
        came meanwhile. on_progress(position, fraction) is called after readings (at most every
        100 ms), the fraction of the way done never falling, and with 1.0 once, on arrival.

        Left by any exception, KeyboardInterrupt included, it stops the robot before re-raising:
        stop-jogging (0x2902) for each of axes 1 to 12, the only frame a host has that stops a
        move; a controller must end any move, and drop the moves waiting behind it, on it."""
        goal = _checks.reals(target, "target", 6)
        code = _checks.code(coord, Coord, "coord")
        limit = _checks.seconds(timeout, "timeout")
        progress = _checks.callback(on_progress, "on_progress")
        try:
            return self._follow(goal, code, limit, time.time(), progress)
        except BaseException:
            self._stop_moving()
            raise

    def move_and_wait(
        self,
        target: Sequence[float],
        vel: int,
        coord: int,
        linear: bool = False,
        timeout: float = 60.0,
        on_progress: Optional[ProgressCallback] = None,
    ) -> Position:
        """robot_movj (or robot_movl when linear) to target, then wait_until_stopped, which
        stops the robot if the wait ends by an exception."""
        _checks.seconds(timeout, "timeout")
        progress = _checks.callback(on_progress, "on_progress")
        started = time.time()
        move = self.robot_movl if linear else self.robot_movj
        move(target, vel, coord)
        try:
            return self._follow(list(target), int(coord), float(timeout), started, progress)
        except BaseException:
            self._stop_moving()
            raise

    def _follow(
        self,
        target: List[float],
        coord: int,
        timeout: float,
        since: float,
        on_progress: Optional[Callable[..., object]],
    ) -> Position:
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
                detail = "the robot %s, at %s" % (what, _rounded(last))
                raise self._error(RefusedError.code, since, detail)
            if now - start > timeout:
                detail = "the robot is still moving after %g s" % timeout
                raise self._error(TimedOutError.code, since, detail)
            time.sleep(_POLL_INTERVAL)
            position = self.get_current_position(coord)
            if _gap(position, last, coord) > _STILL:
                last_change = time.monotonic()
            last = position

    def _stop_moving(self) -> None:
        handle = self._session.handle
        if handle is None:
            return
        for axis in _MOVING_AXES:
            self._session.lib.kelvo_stop_move(handle, axis)


def _vel_coord(vel: int, coord: int) -> Tuple[int, int]:
    return _checks.integer(vel, "vel"), _checks.code(coord, Coord, "coord")


def _rounded(position: Sequence[float]) -> str:
    return "(" + ", ".join("%.3f" % v for v in position) + ")"


def connect(ip: str, port: int = 6000, timeout: float = 5.0) -> Robot:
    """Opens a session with the controller at ip:port, waiting up to timeout seconds for the
    link. Use it in a with statement, or call close(). Raises NotConnectedError when no link
    comes up, InvalidArgumentError for a malformed address. Open sessions are closed when the
    interpreter exits, before it waits for non-daemon threads."""
    address = _checks.text(ip, "ip")
    number = _checks.integer(port, "port", 0, 65535)
    timeout_ms = _checks.milliseconds(_checks.seconds(timeout, "timeout"))
    lib = _library.library()
    log.route_to_logging()
    _close_sessions_at_exit()
    error = ctypes.c_int(0)

    def open_session() -> Optional[int]:
        handle: Optional[int] = lib.kelvo_open(address, number, timeout_ms, ctypes.byref(error))
        return handle

    def close_late(late: Optional[int]) -> None:
        if late:
            lib.kelvo_close(late)

    handle = _sliced(open_session, discard=close_late)
    if not handle:
        raise error_for(error.value or NotConnectedError.code, detail="%s:%d" % (ip, number))
    return Robot(lib, handle, "%s:%d" % (ip, number))
