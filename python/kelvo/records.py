"""The Python forms of the C records: Event and MotionPoint."""

import ctypes
import math
from dataclasses import dataclass
from enum import IntEnum
from typing import Any, Dict, Optional, Sequence, Tuple, Type, Union

from . import _checks
from ._records import CEvent, CPoint
from .enums import (
    AlarmSeverity,
    Coord,
    EventKind,
    IoKind,
    Mode,
    PointType,
    RunningState,
    ServoStatus,
    TransferStage,
    decode,
)

_CODE_ENUMS: Dict[int, Type[IntEnum]] = {
    EventKind.SERVO: ServoStatus,
    EventKind.MODE: Mode,
    EventKind.COORD: Coord,
    EventKind.RUNNING: RunningState,
    EventKind.POSITION: Coord,
    EventKind.IO: IoKind,
    EventKind.ALARM: AlarmSeverity,
    EventKind.TRANSFER: TransferStage,
}


@dataclass(frozen=True)
class Event:
    """What the controller reported, with copies of the C event's values and text.

    code is an IntEnum where the kind has one (Mode, Coord, IoKind, AlarmSeverity, ...);
    time is when the library received the report, in seconds since the Unix epoch.
    count is the number of values, or for OVERFLOW how many events were dropped.
    ALARM, IO and TRANSFER events come as AlarmEvent, IoEvent and TransferEvent, which name
    their values."""

    kind: Union[EventKind, int]
    robot: int
    code: int
    count: int
    values: Tuple[float, ...]
    text: Optional[str]
    time: float

    @classmethod
    def from_c(cls, event: CEvent) -> "Event":
        """Copies a KelvoEvent; the library may reuse its storage afterwards."""
        kind = decode(EventKind, event.kind)
        enum = _CODE_ENUMS.get(kind)
        code = decode(enum, event.code) if enum else event.code
        values = tuple(event.values[: event.count]) if event.values and event.count > 0 else ()
        typed = _TYPED.get(kind, Event)
        return typed(
            kind=kind,
            robot=event.robot,
            code=code,
            count=event.count,
            values=values,
            text=event.text.decode("utf-8", "replace") if event.text is not None else None,
            time=event.time,
            **typed.named(code, values),
        )

    @staticmethod
    def named(code: int, values: Tuple[float, ...]) -> Dict[str, Any]:
        """The fields a kind adds to these, made from its code and values."""
        return {}


def _whole(values: Tuple[float, ...], index: int) -> int:
    """values[index] as an int; 0 where a report left it out or it is not finite."""
    value = values[index] if index < len(values) else 0.0
    return int(value) if math.isfinite(value) else 0


@dataclass(frozen=True)
class AlarmEvent(Event):
    """An ALARM: number is the alarm number, severity the code; text the controller's text."""

    number: int

    @property
    def severity(self) -> Union[AlarmSeverity, int]:
        return self.code

    @staticmethod
    def named(code: int, values: Tuple[float, ...]) -> Dict[str, Any]:
        return {"number": _whole(values, 0)}


@dataclass(frozen=True)
class IoEvent(Event):
    """An IO report: group (the code) says which ports; ports holds their values from port 1,
    ints for digital ports."""

    ports: Tuple[float, ...]

    @property
    def group(self) -> Union[IoKind, int]:
        return self.code

    @staticmethod
    def named(code: int, values: Tuple[float, ...]) -> Dict[str, Any]:
        if code in (IoKind.DOUT, IoKind.DIN):
            return {"ports": tuple(_whole(values, i) for i in range(len(values)))}
        return {"ports": values}


@dataclass(frozen=True)
class TransferEvent(Event):
    """A file transfer step: phase (the code), name (the file), done and total bytes."""

    done: int
    total: int

    @property
    def phase(self) -> Union[TransferStage, int]:
        return self.code

    @property
    def name(self) -> str:
        return self.text or ""

    @staticmethod
    def named(code: int, values: Tuple[float, ...]) -> Dict[str, Any]:
        return {"done": _whole(values, 0), "total": _whole(values, 1)}


_TYPED: Dict[int, Type[Event]] = {
    EventKind.ALARM: AlarmEvent,
    EventKind.IO: IoEvent,
    EventKind.TRANSFER: TransferEvent,
}


@dataclass
class MotionPoint:
    """One point of a continuous-motion queue (ContinuousMotionPoint in C).

    pos holds 13 values for types 1 to 4 and up to 19 for the EXT types; missing ones are 0.
    spin is used by types 4, 6 and 7. What velocity, acc, dec and pl mean is the controller's."""

    type: Union[PointType, int]
    velocity: float
    pos: Sequence[float]
    acc: float = 0.0
    dec: float = 0.0
    pl: float = 0.0
    spin: int = 0

    def to_c(self) -> CPoint:
        """The 200-byte record; InvalidArgumentError when pos holds more than 19 values or a value
        is not finite or does not fit its C field."""
        pos = _checks.reals(self.pos, "pos", 19, exact=False)
        point = CPoint(
            velocity=_checks.real(self.velocity, "velocity"),
            acc=_checks.real(self.acc, "acc"),
            dec=_checks.real(self.dec, "dec"),
            pl=_checks.real(self.pl, "pl"),
            spin=_checks.integer(self.spin, "spin"),
            type=_checks.integer(self.type, "type"),
        )
        point.pos[: len(pos)] = pos
        return point


def pack_points(points: Sequence[MotionPoint]) -> "ctypes.Array[CPoint]":
    """An array of C records for send_continuous_motion_queue."""
    if isinstance(points, (str, bytes)) or not isinstance(points, Sequence):
        raise TypeError("points must be a sequence of MotionPoint, not %s" % type(points).__name__)
    for point in points:
        if not isinstance(point, MotionPoint):
            raise TypeError("points must hold MotionPoint, not %s" % type(point).__name__)
    return (CPoint * len(points))(*(p.to_c() for p in points))

