"""kelvo: remote control of a robot controller over TCP/IP, over the C library libkelvo_dll::

    import kelvo
    with kelvo.connect("127.0.0.1") as robot:
        print(robot.get_current_position(kelvo.Coord.JOINT))

The library is found through KELVO_LIBRARY, else the build tree of a checkout, else the installed
libkelvo_dll.so.1. Methods named like the C calls keep the C units (milliseconds); connect, events
and the wait helpers take seconds. The library's log goes to the logging module's "kelvo"
loggers."""

from ._library import version
from .enums import (
    AlarmSeverity,
    Coord,
    EventKind,
    IoKind,
    LogLevel,
    Mode,
    PointType,
    RunningState,
    ServoStatus,
    TransferStage,
)
from .errors import (
    BusyError,
    ClosedError,
    InvalidArgumentError,
    JobFileError,
    KelvoError,
    LibraryNotFoundError,
    NotConnectedError,
    RefusedError,
    TimedOutError,
    TooLargeError,
)
from .log import set_log_handler
from .records import AlarmEvent, Event, IoEvent, MotionPoint, TransferEvent
from .robot import Position, ProgressCallback, Robot, Status, connect

__version__ = "0.1.0"

__all__ = [
    "AlarmEvent",
    "AlarmSeverity",
    "BusyError",
    "ClosedError",
    "Coord",
    "Event",
    "EventKind",
    "InvalidArgumentError",
    "IoEvent",
    "IoKind",
    "JobFileError",
    "KelvoError",
    "LibraryNotFoundError",
    "LogLevel",
    "Mode",
    "MotionPoint",
    "NotConnectedError",
    "PointType",
    "Position",
    "ProgressCallback",
    "RefusedError",
    "Robot",
    "RunningState",
    "ServoStatus",
    "Status",
    "TimedOutError",
    "TooLargeError",
    "TransferEvent",
    "TransferStage",
    "connect",
    "set_log_handler",
    "version",
]
