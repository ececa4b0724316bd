"""kelvo for asyncio: the Robot's methods as coroutines, events as an async iterator::

    async with kelvo.aio.connect("127.0.0.1") as robot:
        await robot.servo_power_on()
        async for event in robot.events():
            print(event)

Each robot runs its blocking calls in a few threads of its own, so a slow controller stalls only
its own robot and never the event loop."""

from __future__ import annotations  # the typing of _mirror needs Python 3.10 only for mypy

import asyncio
import collections
import threading
import weakref
from concurrent.futures import ThreadPoolExecutor
from typing import (
    TYPE_CHECKING,
    Any,
    Callable,
    Coroutine,
    Deque,
    Generator,
    List,
    Optional,
    Sequence,
    TypeVar,
)

from . import robot as _robot
from .enums import EventKind
from .errors import ClosedError
from .records import Event
from .robot import Position, ProgressCallback, Robot

if TYPE_CHECKING:
    from typing import Concatenate, ParamSpec

    P = ParamSpec("P")

__all__ = ["AsyncRobot", "EventStream", "connect"]

WORKERS = 4  # threads per robot: calls beyond these wait their turn, on that robot only
STREAM_LIMIT = 4096  # events an unread stream keeps; older ones give way to an OVERFLOW event

R = TypeVar("R")


class _Abandoned(Exception):
    """Ends a blocking wait whose task was cancelled."""


def _mirror(
    method: Callable[Concatenate[Robot, P], R]
) -> Callable[Concatenate["AsyncRobot", P], Coroutine[Any, Any, R]]:
    """The Robot method as a coroutine run in the robot's threads: same checks, same errors."""

    async def call(self: "AsyncRobot", /, *args: P.args, **kwargs: P.kwargs) -> R:
        return await self._run(lambda: method(self.robot, *args, **kwargs))

    call.__name__ = method.__name__
    call.__qualname__ = "AsyncRobot." + method.__name__
    call.__doc__ = method.__doc__
    return call


class EventStream:
    """Events of one robot in order of arrival, from when events() was called; ends when the
    robot closes, or after timeout seconds without one."""

    def __init__(self, timeout: Optional[float]) -> None:
        self._timeout = timeout
        self._events: Deque[Optional[Event]] = collections.deque()
        self._dropped = 0
        self._arrived = asyncio.Event()

    def put(self, event: Optional[Event]) -> None:
        """Runs on the loop; None ends the stream."""
        if event is not None and len(self._events) >= STREAM_LIMIT:
            self._events.popleft()
            self._dropped += 1
        self._events.append(event)
        self._arrived.set()

    def __aiter__(self) -> "EventStream":
        return self

    async def __anext__(self) -> Event:
        while not self._events:
            self._arrived.clear()
            try:
                await asyncio.wait_for(self._arrived.wait(), self._timeout)
            except asyncio.TimeoutError:
                raise StopAsyncIteration from None
        if self._dropped:
            dropped, self._dropped = self._dropped, 0
            return Event(EventKind.OVERFLOW, 0, 0, dropped, (), None, 0.0)
        event = self._events.popleft()
        if event is None:
            self._events.append(None)  # stays ended
            raise StopAsyncIteration
        return event


class AsyncRobot:
    """A Robot for one event loop; made by kelvo.aio.connect. Its methods are those of Robot as
    coroutines, but for next_event and on_event: events() takes their place. robot is the
    blocking Robot underneath; its event callback belongs to events()."""

    def __init__(self, robot: Robot, loop: asyncio.AbstractEventLoop, pool: ThreadPoolExecutor):
        self.robot = robot
        self.address = robot.address
        self._loop = loop
        self._pool = pool
        self._streams: "weakref.WeakSet[EventStream]" = weakref.WeakSet()
        self._handler_set = False

    def __repr__(self) -> str:
        return "<kelvo.aio.AsyncRobot %s %s>" % (self.address, "closed" if self.closed else "open")

    async def __aenter__(self) -> "AsyncRobot":
        return self

    async def __aexit__(self, *exc: object) -> None:
        await self.close()

    @property
    def closed(self) -> bool:
        """Whether close() has been called."""
        return self.robot.closed

    async def close(self) -> None:
        """Ends the session: calls waiting in other tasks raise ClosedError, event streams end.
        Idempotent."""
        if self.closed:
            return
        # Not in the robot's own threads: they may all be waiting for the controller.
        await self._loop.run_in_executor(None, self.robot.close)
        self._pool.shutdown(wait=False)
        for stream in list(self._streams):
            stream.put(None)

    async def _run(self, call: Callable[[], R]) -> R:
        if self.closed:
            raise ClosedError()
        return await self._loop.run_in_executor(self._pool, call)

    # ---- the Robot's methods ----

    is_connected = _mirror(Robot.is_connected)
    set_reply_timeout = _mirror(Robot.set_reply_timeout)
    set_fences = _mirror(Robot.set_fences)
    servo_power_on = _mirror(Robot.servo_power_on)
    servo_power_off = _mirror(Robot.servo_power_off)
    get_servo_status = _mirror(Robot.get_servo_status)
    start_jogging = _mirror(Robot.start_jogging)
    stop_jogging = _mirror(Robot.stop_jogging)
    stop_move = _mirror(Robot.stop_move)
    clear_alarm = _mirror(Robot.clear_alarm)
    clear_all_alarms = _mirror(Robot.clear_all_alarms)
    set_dout = _mirror(Robot.set_dout)
    set_aout = _mirror(Robot.set_aout)
    get_dout = _mirror(Robot.get_dout)
    get_din = _mirror(Robot.get_din)
    get_aout = _mirror(Robot.get_aout)
    get_ain = _mirror(Robot.get_ain)
    get_robot_running_state = _mirror(Robot.get_robot_running_state)
    get_current_position = _mirror(Robot.get_current_position)
    get_current_sync_position = _mirror(Robot.get_current_sync_position)
    get_tool = _mirror(Robot.get_tool)
    set_jogging_speed = _mirror(Robot.set_jogging_speed)
    get_jogging_speed = _mirror(Robot.get_jogging_speed)
    set_current_mode = _mirror(Robot.set_current_mode)
    get_current_mode = _mirror(Robot.get_current_mode)
    set_current_coord = _mirror(Robot.set_current_coord)
    get_current_coord = _mirror(Robot.get_current_coord)
    robot_movj = _mirror(Robot.robot_movj)
    robot_movl = _mirror(Robot.robot_movl)
    robot_movc = _mirror(Robot.robot_movc)
    robot_movca = _mirror(Robot.robot_movca)
    run_job = _mirror(Robot.run_job)
    stop_job = _mirror(Robot.stop_job)
    continuous_motion_mode = _mirror(Robot.continuous_motion_mode)
    send_continuous_motion_queue = _mirror(Robot.send_continuous_motion_queue)
    set_job_dir = _mirror(Robot.set_job_dir)
    set_trace_size = _mirror(Robot.set_trace_size)
    dump_trace = _mirror(Robot.dump_trace)
    set_transfer_port = _mirror(Robot.set_transfer_port)
    upload_job = _mirror(Robot.upload_job)
    sync_jobs = _mirror(Robot.sync_jobs)
    status = _mirror(Robot.status)

    async def move_and_wait(
        self,
        target: Sequence[float],
        vel: int,
        coord: int,
        linear: bool = False,
        timeout: float = 60.0,
        on_progress: Optional[ProgressCallback] = None,
    ) -> Position:
        """As Robot.move_and_wait, on_progress called on the loop. Cancelling the task, or an
        exception in on_progress, stops the robot where it is."""
        return await self._follow(
            lambda progress: self.robot.move_and_wait(
                target, vel, coord, linear, timeout, progress
            ),
            on_progress,
        )

    async def wait_until_stopped(
        self,
        target: Sequence[float],
        coord: int,
        timeout: float = 60.0,
        on_progress: Optional[ProgressCallback] = None,
    ) -> Position:
        """As Robot.wait_until_stopped, on_progress called on the loop. Cancelling the task, or
        an exception in on_progress, stops the robot where it is."""
        return await self._follow(
            lambda progress: self.robot.wait_until_stopped(target, coord, timeout, progress),
            on_progress,
        )

    async def _follow(
        self,
        wait: Callable[[ProgressCallback], Position],
        on_progress: Optional[ProgressCallback],
    ) -> Position:
        """wait(progress) in a thread of the robot; the blocking wait stops the robot when its
        progress callback raises, which it does once this task is cancelled."""
        abandoned = threading.Event()
        failures: List[Exception] = []

        def report(position: Position, fraction: float) -> None:  # on the loop
            try:
                if on_progress is not None and not failures:
                    on_progress(position, fraction)
            except Exception as error:
                failures.append(error)
                abandoned.set()

        def progress(position: Position, fraction: float) -> None:  # in the waiting thread
            if abandoned.is_set():
                raise _Abandoned()
            self._loop.call_soon_threadsafe(report, position, fraction)

        try:
            position = await self._run(lambda: wait(progress))
        except asyncio.CancelledError:
            abandoned.set()
            # At once, not at the wait's next reading; one frame per axis, no answer awaited.
            self.robot._stop_moving()
            raise
        except _Abandoned:
            raise failures[0] from None
        if failures:  # on arrival
            raise failures[0]
        return position

    # ---- events ----

    def events(self, timeout: Optional[float] = None) -> EventStream:
        """The events from now on, as an async iterator: `async for event in robot.events()`.
        It ends when the robot closes, or when none has come for timeout seconds."""
        stream = EventStream(timeout)
        if self.closed:
            stream.put(None)
            return stream
        self._streams.add(stream)
        if not self._handler_set:
            self.robot.on_event(_deliverer(self._loop, self._streams))
            self._handler_set = True
        return stream


def _deliverer(
    loop: asyncio.AbstractEventLoop, streams: "weakref.WeakSet[EventStream]"
) -> Callable[[Event], None]:
    """The event callback: hands each event to the loop. It holds no AsyncRobot, so that one
    nobody holds is collected (and closed)."""

    def dispatch(event: Event) -> None:
        for stream in list(streams):
            stream.put(event)

    def deliver(event: Event) -> None:
        try:
            loop.call_soon_threadsafe(dispatch, event)
        except RuntimeError:  # the loop is closed: nobody is left to read it
            pass

    return deliver


class _Connection:
    """What connect returns: `async with kelvo.aio.connect(...) as robot`, or await it."""

    def __init__(self, ip: str, port: int, timeout: float) -> None:
        self._arguments = (ip, port, timeout)
        self._robot: Optional[AsyncRobot] = None

    async def _open(self) -> AsyncRobot:
        loop = asyncio.get_running_loop()
        pool = ThreadPoolExecutor(WORKERS, thread_name_prefix="kelvo-%s" % self._arguments[0])
        try:
            robot = await loop.run_in_executor(pool, _robot.connect, *self._arguments)
        except BaseException:
            pool.shutdown(wait=False)
            raise
        return AsyncRobot(robot, loop, pool)

    def __await__(self) -> Generator[Any, None, AsyncRobot]:
        return self._open().__await__()

    async def __aenter__(self) -> AsyncRobot:
        self._robot = await self._open()
        return self._robot

    async def __aexit__(self, *exc: object) -> None:
        if self._robot is not None:
            await self._robot.close()


def connect(ip: str, port: int = 6000, timeout: float = 5.0) -> _Connection:
    """As kelvo.connect, for asyncio: `async with kelvo.aio.connect(ip) as robot:`, or
    `robot = await kelvo.aio.connect(ip)` and later `await robot.close()`."""
    return _Connection(ip, port, timeout)
