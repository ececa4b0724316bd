"""Routing the library's log to Python."""

import atexit
import threading
from typing import Any, Callable, List, Optional, Union

from . import _library
from .enums import LogLevel, decode
from .errors import check

LogCallback = Callable[[Union[LogLevel, int], str, str], None]

_lock = threading.Lock()
# Every handler ever set: a log line may be on its way through an earlier one on another thread.
_handlers: List[Any] = []


def _restore_default() -> None:
    _library.library().kelvo_set_log_handler(_library.LogHandler(), None, LogLevel.DEBUG)


def set_log_handler(callback: Optional[LogCallback], min_level: int = LogLevel.INFO) -> None:
    """Calls callback(level, category, text) for each line the library logs at min_level or above,
    process-wide and on whichever thread logs it; None restores the library's own output
    (standard error)."""
    lib = _library.library()
    if not hasattr(lib, "kelvo_set_log_handler"):
        raise NotImplementedError("this libkelvo_dll has no log handler (kelvo_set_log_handler)")
    if callback is None:
        check(lib.kelvo_set_log_handler(_library.LogHandler(), None, min_level))
        return

    def deliver(level: int, category: bytes, text: bytes, user: Optional[int]) -> None:
        with _library.callback():
            callback(
                decode(LogLevel, level),
                (category or b"").decode("utf-8", "replace"),
                (text or b"").decode("utf-8", "replace"),
            )

    handler = _library.LogHandler(deliver)
    with _lock:
        if not _handlers:
            atexit.register(_restore_default)  # no call into Python once it shuts down
        _handlers.append(handler)
    check(lib.kelvo_set_log_handler(handler, None, min_level))
