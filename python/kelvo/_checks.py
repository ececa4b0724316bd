"""Every argument checked before C sees it: a wrong type is a TypeError, a value C cannot hold or
the API does not define an InvalidArgumentError. Ranges that depend on the controller, such as
how many ports it has, are left to the controller."""

import math
import numbers
import os
from enum import IntEnum
from typing import Callable, List, Optional, Sequence, Type

from .errors import InvalidArgumentError

_INT32_MIN, _INT32_MAX = -(2**31), 2**31 - 1
_MS_MAX = _INT32_MAX  # the longest wait a C time-out in milliseconds holds


def integer(value: object, name: str, low: int = _INT32_MIN, high: int = _INT32_MAX) -> int:
    """An int (bool and IntEnum included) from low to high."""
    if not isinstance(value, numbers.Integral):
        raise TypeError("%s must be an int, not %s" % (name, type(value).__name__))
    number = int(value)
    if not low <= number <= high:
        raise InvalidArgumentError(detail="%s is %d, outside %d to %d" % (name, number, low, high))
    return number


def code(value: object, enum: Type[IntEnum], name: str) -> int:
    """One of enum's codes."""
    number = integer(value, name)
    if number not in {int(member) for member in enum}:
        known = ", ".join("%d (%s)" % (int(m), m.name) for m in enum)
        raise InvalidArgumentError(detail="%s is %d, not one of %s" % (name, number, known))
    return number


def real(value: object, name: str) -> float:
    """A finite int or float."""
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError("%s must be a number, not %s" % (name, type(value).__name__))
    number = float(value)
    if not math.isfinite(number):
        raise InvalidArgumentError(detail="%s is %r, not a finite number" % (name, number))
    return number


def reals(values: object, name: str, count: int, exact: bool = True) -> List[float]:
    """count finite numbers (at most count unless exact)."""
    if isinstance(values, (str, bytes)) or not isinstance(values, Sequence):
        raise TypeError("%s must be a sequence of numbers, not %s" % (name, type(values).__name__))
    if len(values) > count or (exact and len(values) != count):
        needs = "%d values" % count if exact else "at most %d values" % count
        raise InvalidArgumentError(detail="%s needs %s, not %d" % (name, needs, len(values)))
    return [real(v, "%s[%d]" % (name, i)) for i, v in enumerate(values)]


def seconds(value: object, name: str) -> float:
    """A time-out in seconds: not negative, not NaN; infinite means no limit."""
    if isinstance(value, bool) or not isinstance(value, numbers.Real):
        raise TypeError("%s must be a number of seconds, not %s" % (name, type(value).__name__))
    number = float(value)
    if math.isnan(number) or number < 0:
        raise InvalidArgumentError(detail="%s is %r, not a time-out" % (name, number))
    return number


def milliseconds(timeout: float) -> int:
    """A checked time-out in whole milliseconds, at least 1, capped at what C holds."""
    return int(min(_MS_MAX, max(1, round(timeout * 1000)))) if math.isfinite(timeout) else _MS_MAX


def text(value: object, name: str) -> bytes:
    """A str as NUL-free UTF-8."""
    if not isinstance(value, str):
        raise TypeError("%s must be a str, not %s" % (name, type(value).__name__))
    encoded = value.encode("utf-8")
    if b"\0" in encoded:
        raise InvalidArgumentError(detail="%s holds a NUL character" % name)
    return encoded


def path(value: object, name: str) -> bytes:
    """A str or os.PathLike, NUL-free."""
    if not isinstance(value, (str, bytes, os.PathLike)):
        raise TypeError("%s must be a path, not %s" % (name, type(value).__name__))
    encoded = os.fsencode(value)
    if b"\0" in encoded:
        raise InvalidArgumentError(detail="%s holds a NUL character" % name)
    return encoded


def callback(value: object, name: str) -> Optional[Callable[..., object]]:
    """A callable or None."""
    if value is not None and not callable(value):
        raise TypeError("%s must be callable or None, not %s" % (name, type(value).__name__))
    return value

