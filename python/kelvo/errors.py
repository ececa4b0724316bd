"""One exception class per KELVO_ERR_ code, all derived from KelvoError."""

from typing import Dict, Optional, Type

from ._library import library


class KelvoError(Exception):
    """A call failed. code is the KELVO_ERR_ code, message kelvo_strerror's text for it."""

    code: int = 0

    def __init__(self, code: Optional[int] = None, detail: str = "") -> None:
        if code is not None:
            self.code = code
        self.message: str = library().kelvo_strerror(self.code).decode("utf-8", "replace")
        self.detail: str = detail
        super().__init__(self.message + (": " + detail if detail else ""))


class InvalidArgumentError(KelvoError, ValueError):
    """KELVO_ERR_INVALID: a value out of range or not finite, or a bad address."""

    code = -1


class NotConnectedError(KelvoError):
    """KELVO_ERR_NOT_CONNECTED: the link is down and nothing was sent, or no link came up."""

    code = -2


class TimedOutError(KelvoError):
    """KELVO_ERR_TIMEOUT: no answer within the reply timeout (or a wait helper ran out of time)."""

    code = -3


class RefusedError(KelvoError):
    """KELVO_ERR_REFUSED: the state forbids it, or the controller said no."""

    code = -4


class BusyError(KelvoError):
    """KELVO_ERR_BUSY: a transfer already runs, or pulled events while a handler is set."""

    code = -5


class TooLargeError(KelvoError):
    """KELVO_ERR_TOO_LARGE: a queue does not fit one frame."""

    code = -6


class ClosedError(KelvoError):
    """KELVO_ERR_CLOSED: the session was closed."""

    code = -7


class JobFileError(KelvoError):
    """KELVO_ERR_IO: a local job directory or file could not be read or written."""

    code = -8


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


def error_for(code: int, detail: str = "") -> KelvoError:
    """The exception for a status; a code this package does not know gives a plain KelvoError."""
    cls = _BY_CODE.get(code)
    return cls(detail=detail) if cls else KelvoError(code, detail)


def check(status: int) -> None:
    """Raises the exception for a negative status."""
    if status < 0:
        raise error_for(status)
