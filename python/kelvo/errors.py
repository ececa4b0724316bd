"""One exception class per ``KELVO_ERR_`` code, all derived from KelvoError. This module needs no
library: an exception can be made, raised and caught where libkelvo_dll is missing."""

from typing import TYPE_CHECKING, Dict, Optional, Type

if TYPE_CHECKING:
    from .records import Event


class LibraryNotFoundError(OSError):
    """libkelvo_dll could not be loaded; the message names every place that was tried."""


class KelvoError(Exception):
    """A call failed. code is the ``KELVO_ERR_`` code, message the text for it; alarm is the
    controller's ALARM event that arrived during the call, if one did, and the text names it."""

    code: int = 0
    text: str = "unknown error"

    def __init__(
        self, code: Optional[int] = None, detail: str = "", alarm: Optional["Event"] = None
    ) -> None:
        if code is not None:
            self.code = code
        self.message: str = _message(self.code, self.text)
        self.detail: str = detail
        self.alarm: Optional["Event"] = alarm
        parts = [self.message]
        if detail:
            parts.append(detail)
        if alarm is not None:
            number = "0x%X " % int(alarm.values[0]) if alarm.values else ""
            parts.append("the controller reported alarm %s%r" % (number, alarm.text or ""))
        super().__init__(": ".join(parts))


def _message(code: int, fallback: str) -> str:
    """kelvo_strerror's text when the library is loaded already; this module never loads it."""
    from . import _library

    lib = _library.loaded()
    if lib is None:
        return fallback
    return bytes(lib.kelvo_strerror(code)).decode("utf-8", "replace")


class InvalidArgumentError(KelvoError, ValueError):
    """KELVO_ERR_INVALID: a value out of range or not finite, or a bad address."""

    code = -1
    text = "invalid argument"


class NotConnectedError(KelvoError):
    """KELVO_ERR_NOT_CONNECTED: the link is down and nothing was sent, or no link came up."""

    code = -2
    text = "not connected"


class TimedOutError(KelvoError):
    """KELVO_ERR_TIMEOUT: no answer within the reply timeout (or a wait helper ran out of time)."""

    code = -3
    text = "timed out"


class RefusedError(KelvoError):
    """KELVO_ERR_REFUSED: the state forbids it, or the controller said no."""

    code = -4
    text = "refused"


class BusyError(KelvoError):
    """KELVO_ERR_BUSY: a transfer already runs, or pulled events while a handler is set."""

    code = -5
    text = "busy"


class TooLargeError(KelvoError):
    """KELVO_ERR_TOO_LARGE: a queue does not fit one frame."""

    code = -6
    text = "too large"


class ClosedError(KelvoError):
    """KELVO_ERR_CLOSED: the session was closed."""

    code = -7
    text = "session closed"


class JobFileError(KelvoError):
    """KELVO_ERR_IO: a local job directory or file could not be read or written."""

    code = -8
    text = "job file error"


_BY_CODE: Dict[int, Type[KelvoError]] = {
    cls.code: cls
    for cls in (
        InvalidArgumentError,
        NotConnectedError,
        TimedOutError,
        RefusedError,
        BusyError,
        TooLargeError,
        ClosedError,
        JobFileError,
    )
}


def error_for(code: int, detail: str = "", alarm: Optional["Event"] = None) -> KelvoError:
    """The exception for a status; a code this package does not know gives a plain KelvoError."""
    cls = _BY_CODE.get(code)
    return cls(detail=detail, alarm=alarm) if cls else KelvoError(code, detail, alarm)


def check(status: int) -> None:
    """Raises the exception for a negative status."""
    if status < 0:
        raise error_for(status)
