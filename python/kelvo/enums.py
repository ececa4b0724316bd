"""The codes of kelvo.h as IntEnums. A code an enum does not know stays a plain int."""

from enum import IntEnum
from typing import Type, TypeVar, Union


class Coord(IntEnum):
    """Coordinate systems (jogging, positions and move targets)."""

    JOINT = 0
    CARTESIAN = 1
    TOOL = 2
    USER = 3


class Mode(IntEnum):
    """Operation modes."""

    TEACH = 0
    REMOTE = 1
    RUN = 2


class ServoStatus(IntEnum):
    """Servo states as the controller reports them."""

    STOPPED = 0
    READY = 1
    ALARM = 2
    RUNNING = 3


class RunningState(IntEnum):
    """Program running states."""

    STOPPED = 0
    PAUSED = 1
    RUNNING = 2


class PointType(IntEnum):
    """Motion types of a continuous-motion point; the EXT types use all 19 values."""

    MOVJ = 1
    MOVL = 2
    MOVC = 3
    MOVCA = 4
    MOVJEXT = 5
    MOVLEXT = 6
    MOVCEXT = 7


class EventKind(IntEnum):
    """``KELVO_EVENT_`` kinds."""

    LINK = 1
    SERVO = 2
    MODE = 3
    COORD = 4
    SPEED = 5
    RUNNING = 6
    ROBOT = 7
    POSITION = 8
    IO = 9
    ALARM = 10
    TRANSFER = 11
    OVERFLOW = 12


class IoKind(IntEnum):
    """The code of an IO event: which group of ports the values are."""

    DOUT = 0
    DIN = 1
    AOUT = 2
    AIN = 3


class AlarmSeverity(IntEnum):
    """The code of an ALARM event."""

    ERROR = 0
    WARNING = 1
    INFO = 2


class TransferStage(IntEnum):
    """The code of a TRANSFER event."""

    STARTED = 0
    PROGRESS = 1
    FINISHED = 2
    FAILED = 3


class LogLevel(IntEnum):
    """Levels of the library's log."""

    DEBUG = 0
    INFO = 1
    WARNING = 2
    ERROR = 3


E = TypeVar("E", bound=IntEnum)


def decode(enum: Type[E], value: int) -> Union[E, int]:
    """The member for value, or value itself when the enum has none (a controller may send more)."""
    try:
        return enum(value)
    except ValueError:
        return value
