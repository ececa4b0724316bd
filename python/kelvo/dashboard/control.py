"""Commands from the pages of a dashboard started with control: who may give them, the jog that
lives only while its keep-alives come, and the log of every command.

Runs on the server's event loop. The blocking kelvo calls go to one worker thread per
controller, so that one controller's calls keep their order and never stall the loop."""

import asyncio
import concurrent.futures
import logging
import time
from typing import Any, Callable, Dict, List, NamedTuple, Optional, Tuple

from ..enums import Mode
from ..robot import Robot
from .panel import Message

LOGGER = logging.getLogger("kelvo.dashboard")
# s without a keep-alive after which a jog stops; a held button sends one every 0.1 s
KEEPALIVE_TIMEOUT = 0.3
AXES = 6
# Calls waiting for one controller; beyond them a command is refused, so that a page sending
# faster than the controller answers cannot put a jog's stop behind a long queue.
MAX_WAITING = 8

RobotOf = Callable[[int], Optional[Robot]]
Reply = Callable[[Message], None]


class Refused(Exception):
    """A command the dashboard does not pass on; its text goes to the page and the log."""


class Client:
    """One open page: its address for the log and the way to answer it."""

    def __init__(self, address: str, reply: Reply) -> None:
        self.address = address
        self.reply = reply


class Command(NamedTuple):
    """A command of the page: the fields it takes and the call that carries it out."""

    fields: Tuple[str, ...]
    call: Callable[..., Any]


def _servo_on(robot: Robot) -> Any:
    # Servo on presses the enabling switch, which only a person at the robot should hold
    # outside teach mode.
    if robot.get_current_mode() != Mode.TEACH:
        raise Refused("servo on from the page needs teach mode")
    return robot.servo_power_on()


COMMANDS: Dict[str, Command] = {
    "servo_on": Command((), _servo_on),
    "servo_off": Command((), Robot.servo_power_off),
    "mode": Command(("value",), Robot.set_current_mode),
    "coord": Command(("value",), Robot.set_current_coord),
    "speed": Command(("value",), Robot.set_jogging_speed),
    "dout": Command(("port", "value"), Robot.set_dout),
    "run_job": Command(("name",), Robot.run_job),
    "stop_job": Command((), Robot.stop_job),
    "clear_alarms": Command((), Robot.clear_all_alarms),
}
MESSAGES = tuple(COMMANDS) + ("take", "jog", "jog_alive", "jog_stop")


class Jog:
    """The one jog of a controller: whose it is, and the timer that ends it without keep-alives."""

    def __init__(self, client: Client, axis: int, positive: bool, timer: asyncio.TimerHandle):
        self.client = client
        self.axis = axis
        self.positive = positive
        self.timer = timer

    def __str__(self) -> str:
        return "jog axis %d%s" % (self.axis, "+" if self.positive else "-")


class Control:
    """The controlling page and the jog of each controller."""

    def __init__(self, count: int, robot_of: RobotOf, publish: Callable[[Message], None]):
        self._robot_of = robot_of
        self._publish = publish
        self._holders: List[Optional[Client]] = [None] * count
        self._jogs: List[Optional[Jog]] = [None] * count
        self._waiting = [0] * count
        self._workers = [
            concurrent.futures.ThreadPoolExecutor(1, "kelvo-dashboard-control-%d" % i)
            for i in range(count)
        ]

    def handle(self, client: Client, request: Message) -> None:
        """One message of a page (its type is one of MESSAGES); answers through client.reply."""
        kind = request["type"]
        index = _whole(request.get("robot"), 0, len(self._holders) - 1)
        if index is None:
            client.reply({"type": "error", "command": kind, "message": "no such robot"})
            return
        try:
            if kind == "take":
                self._take(index, client)
            elif kind == "jog_alive":
                self._keep_alive(index, client)
            elif kind == "jog_stop":
                self._end_jog_of(index, client, _reason(request.get("reason")))
            else:
                self._claim(index, client)
                if kind == "jog":
                    self._jog(index, client, request)
                else:
                    self._command(index, client, kind, request)
        except Refused as refusal:
            self._refuse(index, client, kind, str(refusal))

    def leave(self, client: Client) -> None:
        """A page closed: its jog stops and its control is free again."""
        for index, holder in enumerate(self._holders):
            self._end_jog_of(index, client, "page closed")
            if holder is client:
                self._set_holder(index, None)

    def stop_jogs(self) -> None:
        """On the loop, as the server stops."""
        for index in range(len(self._jogs)):
            self._end_jog(index, "dashboard stopped")

    def close(self) -> None:
        """Waits for the calls already given; once the server has stopped."""
        for worker in self._workers:
            worker.shutdown(wait=True)

    # ---- who controls ----

    def _claim(self, index: int, client: Client) -> None:
        holder = self._holders[index]
        if holder is None:
            self._set_holder(index, client)
        elif holder is not client:
            raise Refused("%s holds control; take over first" % holder.address)

    def _take(self, index: int, client: Client) -> None:
        previous = self._holders[index]
        taken = "control taken"
        if previous is not client:
            if previous is not None:
                self._end_jog_of(index, previous, "taken over")
                taken = "control taken over from %s" % previous.address
            self._set_holder(index, client)
            self._log(index, client, taken, "ok")
        client.reply({"type": "done", "robot": index, "command": taken})

    def _set_holder(self, index: int, client: Optional[Client]) -> None:
        self._holders[index] = client
        holder = client.address if client else None
        self._publish({"type": "state", "robot": index, "t": time.time(),
                       "fields": {"holder": holder}})

    # ---- jogging ----

    def _jog(self, index: int, client: Client, request: Message) -> None:
        axis, positive = _whole(request.get("axis"), 1, AXES), request.get("positive")
        if axis is None or not isinstance(positive, bool):
            raise Refused("a jog needs an axis 1 to %d and positive true or false" % AXES)
        if self._jogs[index] is not None:
            self._end_jog(index, "another jog")
        jog = Jog(client, axis, positive, self._watchdog(index))
        self._jogs[index] = jog

        def failed() -> None:
            if self._jogs[index] is jog:
                jog.timer.cancel()
                self._jogs[index] = None

        start = lambda robot: robot.start_jogging(jog.axis, jog.positive)  # noqa: E731
        try:
            self._run(index, client, str(jog), start, failed)
        except Refused:
            failed()
            raise

    def _keep_alive(self, index: int, client: Client) -> None:
        jog = self._jogs[index]
        if jog is not None and jog.client is client:
            jog.timer.cancel()
            jog.timer = self._watchdog(index)

    def _watchdog(self, index: int) -> asyncio.TimerHandle:
        return asyncio.get_running_loop().call_later(
            KEEPALIVE_TIMEOUT, self._end_jog, index, "no keep-alive"
        )

    def _end_jog_of(self, index: int, client: Client, reason: str) -> None:
        jog = self._jogs[index]
        if jog is not None and jog.client is client:
            self._end_jog(index, reason)

    def _end_jog(self, index: int, reason: str) -> None:
        jog = self._jogs[index]
        if jog is None:
            return
        jog.timer.cancel()
        self._jogs[index] = None
        what, axis = "%s stopped: %s" % (jog, reason), jog.axis
        self._run(index, jog.client, what, lambda robot: robot.stop_jogging(axis), urgent=True)

    # ---- commands ----

    def _command(self, index: int, client: Client, kind: str, request: Message) -> None:
        command = COMMANDS[kind]
        if kind == "servo_on" and request.get("confirmed") is not True:
            raise Refused("servo on needs the confirmation in the page")
        missing = [name for name in command.fields if name not in request]
        if missing:
            raise Refused("%s needs %s" % (kind, ", ".join(missing)))
        arguments = [request[name] for name in command.fields]
        what = " ".join([kind] + [_shown(argument) for argument in arguments])
        self._run(index, client, what, lambda robot: command.call(robot, *arguments))

    def _run(
        self,
        index: int,
        client: Client,
        what: str,
        call: Callable[[Robot], Any],
        failed: Optional[Callable[[], None]] = None,
        urgent: bool = False,
    ) -> None:
        """Gives call to the controller's worker; the outcome is logged and answered. Only an
        urgent call (a stop) goes beyond MAX_WAITING."""
        if not urgent and self._waiting[index] >= MAX_WAITING:
            raise Refused("busy: %d commands wait for the controller" % MAX_WAITING)
        loop = asyncio.get_running_loop()

        def work() -> Optional[str]:
            robot = self._robot_of(index)
            if robot is None:
                return "no session with the controller"
            try:
                call(robot)
            except Exception as error:  # a bad argument or a refusal: an answer, never a crash
                return str(error) or type(error).__name__
            return None

        def done(future: "asyncio.Future[Optional[str]]") -> None:
            self._waiting[index] -= 1
            problem = future.result() if not future.cancelled() else "cancelled"
            if problem is None:
                self._log(index, client, what, "ok")
                client.reply({"type": "done", "robot": index, "command": what})
                return
            if failed is not None:
                failed()
            self._refuse(index, client, what, problem)

        try:
            future = loop.run_in_executor(self._workers[index], work)
        except RuntimeError:  # the worker was shut down: the dashboard is stopping
            return
        self._waiting[index] += 1
        future.add_done_callback(done)

    # ---- answers and the log ----

    def _refuse(self, index: int, client: Client, what: str, problem: str) -> None:
        self._log(index, client, what, problem)
        client.reply({"type": "error", "robot": index, "command": what, "message": problem})

    def _log(self, index: int, client: Client, what: str, result: str) -> None:
        LOGGER.info("robot %d, %s: %s: %s", index, client.address, what, result)
        entry = {"t": time.time(), "kind": "command", "client": client.address, "text": what,
                 "result": result}
        self._publish({"type": "log", "robot": index, "entry": entry})


def _whole(value: Any, low: int, high: int) -> Optional[int]:
    """value when it is a whole number from low to high (not a bool), else None."""
    if isinstance(value, int) and not isinstance(value, bool) and low <= value <= high:
        return value
    return None


_REASONS = ("released", "hidden")


def _reason(value: Any) -> str:
    return str(value) if value in _REASONS else "released"


def _shown(value: Any) -> str:
    text = repr(value) if isinstance(value, str) else str(value)
    return text if len(text) <= 40 else text[:37] + "..."
