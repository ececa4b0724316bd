"""The library's log in Python's logging: one logger per library category (kelvo.link,
kelvo.robot, ...), so a script shows nothing below WARNING unless it configures logging."""

import atexit
import logging
import re
import threading
from typing import Any, Callable, Dict, List, Optional, Union

from . import _checks, _library
from .enums import LogLevel, decode
from .errors import check

LogCallback = Callable[[Union[LogLevel, int], str, str], None]

_ROOT = logging.getLogger("kelvo")
_TO_PYTHON: Dict[int, int] = {
    LogLevel.DEBUG: logging.DEBUG,
    LogLevel.INFO: logging.INFO,
    LogLevel.WARNING: logging.WARNING,
    LogLevel.ERROR: logging.ERROR,
}

# The library's fixed texts that are not English, as it logs them, and what they say.
_ENGLISH: Dict[str, str] = {
    "手动开始": "started by hand",
    "手动停止": "stopped by hand",
    "连接成功": "connected",
    "重置网络连接": "resetting the connection",
    "连接超时 主动断开": "timed out, disconnecting",
    "socket连接失败.....": "socket connection failed",
    "等待超时......": "timed out waiting",
    "上传失败！": "upload failed",
    "控制器拒绝上传程序：": "the controller refused the upload of:",
    "控制器拒绝下载程序": "the controller refused the download",
    "无法读取上传程序：": "cannot read the job to upload:",
    "正在上传文件中ing，不允许上传文件": "an upload runs already, no other is allowed",
    "程序下载失败：": "job download failed:",
    "程序发送数目不正确": "wrong number of jobs sent",
    "程序:": "job:",
}
_FIXED_TEXT = re.compile("|".join(re.escape(t) for t in sorted(_ENGLISH, key=len, reverse=True)))

_lock = threading.Lock()
# Every handler ever set: a log line may be on its way through an earlier one on another thread.
_handlers: List[Any] = []


def in_english(text: str) -> str:
    """text with an English rendering after each fixed non-English text of the library."""
    return _FIXED_TEXT.sub(lambda m: "%s (%s)" % (m.group(0), _ENGLISH[m.group(0)]), text)


def _library_level() -> int:
    """The lowest library level the kelvo loggers let through."""
    effective = _ROOT.getEffectiveLevel()
    for level in LogLevel:
        if _TO_PYTHON[level] >= effective:
            return int(level)
    return int(LogLevel.ERROR)


def _to_logging(level: int, category: bytes, text: bytes, user: Optional[int]) -> None:
    name = (category or b"").decode("utf-8", "replace") or "kelvo"
    logger = logging.getLogger(name if name.startswith("kelvo") else "kelvo." + name)
    python_level = _TO_PYTHON.get(level, logging.ERROR)
    if logger.isEnabledFor(python_level):
        with _library.callback():
            logger.log(python_level, "%s", in_english((text or b"").decode("utf-8", "replace")))


def _install(handler: Any, min_level: int) -> None:
    lib = _library.library()
    if not hasattr(lib, "kelvo_set_log_handler"):
        raise NotImplementedError("this libkelvo_dll has no log handler (kelvo_set_log_handler)")
    with _lock:
        if not _handlers:
            atexit.register(_remove)
        if handler not in _handlers:
            _handlers.append(handler)
    check(lib.kelvo_set_log_handler(handler, None, min_level))


def _remove() -> None:
    """Before the interpreter finalises: no call into Python after it. What the library logs
    later goes to standard error, warnings and errors only."""
    lib = _library.loaded()
    if lib is not None:
        lib.kelvo_set_log_handler(_library.NO_LOG_HANDLER, None, LogLevel.WARNING)


_logging_handler = _library.LogHandler(_to_logging)
_own_handler = False  # set_log_handler's callback replaces the loggers until None restores them
_floor = int(LogLevel.DEBUG)  # set_log_handler(None, min_level): nothing below it reaches them


def route_to_logging() -> None:
    """Routes the library's log into the kelvo loggers, the library's own minimum level following
    their effective level now, so lines nobody would see cost nothing. connect() calls it; call it
    again after changing the loggers' level. A callback of set_log_handler stays in place."""
    if not _own_handler and hasattr(_library.library(), "kelvo_set_log_handler"):
        _install(_logging_handler, max(_floor, _library_level()))


def set_log_handler(callback: Optional[LogCallback], min_level: int = LogLevel.INFO) -> None:
    """Calls callback(level, category, text) for each line the library logs at min_level or above,
    process-wide and on whichever thread logs it, texts as the library wrote them (an exception
    in it is logged to the "kelvo" logger); None routes
    the log into the kelvo loggers again, from min_level or their effective level, whichever is
    higher."""
    global _own_handler, _floor
    _checks.callback(callback, "callback")
    level = _checks.code(min_level, LogLevel, "min_level")
    _own_handler = callback is not None
    if callback is None:
        _floor = level
        route_to_logging()
        return
    user_callback = callback

    def deliver(level: int, category: bytes, text: bytes, user: Optional[int]) -> None:
        with _library.callback():
            try:
                user_callback(
                    decode(LogLevel, level),
                    (category or b"").decode("utf-8", "replace"),
                    (text or b"").decode("utf-8", "replace"),
                )
            except Exception:
                _ROOT.exception("the log callback %r raised", user_callback)

    _install(_library.LogHandler(deliver), level)
