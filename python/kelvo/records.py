"""The Python forms of the C records: Event and MotionPoint."""

import ctypes
from dataclasses import dataclass
from enum import IntEnum
from typing import Dict, Optional, Sequence, Tuple, Type, Union

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
    count is the number of values, or for OVERFLOW how many events were dropped."""

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
        values = tuple(event.values[: event.count]) if event.values and event.count > 0 else ()
        return cls(
            kind=kind,
            robot=event.robot,
            code=decode(enum, event.code) if enum else event.code,
            count=event.count,
            values=values,
            text=event.text.decode("utf-8", "replace") if event.text is not None else None,
            time=event.time,
        )


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

