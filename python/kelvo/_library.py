"""Finding libkelvo_dll and declaring its C functions for ctypes."""

import contextlib
import ctypes
import os
import sys
import threading
from pathlib import Path
from typing import Any, Dict, Iterator, List, Optional, Tuple

from ._records import CEvent, CPoint
from .errors import LibraryNotFoundError

LIBRARY_VARIABLE = "KELVO_LIBRARY"

if sys.platform == "win32":
    _BUILT_NAME, _INSTALLED_NAME = "kelvo_dll.dll", "kelvo_dll.dll"
elif sys.platform == "darwin":
    _BUILT_NAME, _INSTALLED_NAME = "libkelvo_dll.dylib", "libkelvo_dll.1.dylib"
else:
    _BUILT_NAME, _INSTALLED_NAME = "libkelvo_dll.so", "libkelvo_dll.so.1"


_int = ctypes.c_int
_p_int = ctypes.POINTER(ctypes.c_int)
_double = ctypes.c_double
_p_double = ctypes.POINTER(ctypes.c_double)
_session = ctypes.c_void_p
_text = ctypes.c_char_p

EventHandler = ctypes.CFUNCTYPE(None, ctypes.POINTER(CEvent), ctypes.c_void_p)
LogHandler = ctypes.CFUNCTYPE(None, ctypes.c_int, ctypes.c_char_p, ctypes.c_char_p, ctypes.c_void_p)
# The NULL handlers: the library's own log output, no event delivery.
NO_LOG_HANDLER = LogHandler(0)
NO_EVENT_HANDLER = EventHandler(0)

# Every session call returns a status (int); listed here are their parameters after the session.
_SESSION_CALLS: Dict[str, List[Any]] = {
    "kelvo_is_connected": [_p_int],
    "kelvo_set_reply_timeout": [_int],
    "kelvo_set_fences": [_int],
    "kelvo_servo_power_on": [_p_int],
    "kelvo_servo_power_off": [],
    "kelvo_start_jogging": [_int, _int],
    "kelvo_stop_jogging": [_int],
    "kelvo_set_dout": [_int, _int],
    "kelvo_set_aout": [_int, _double],
    "kelvo_get_dout": [_p_double],
    "kelvo_get_din": [_p_double],
    "kelvo_get_aout": [_p_double],
    "kelvo_get_ain": [_p_double],
    "kelvo_get_robot_running_state": [_p_int],
    "kelvo_get_current_position": [_p_double, _int],
    "kelvo_get_current_sync_position": [_p_double],
    "kelvo_robot_movj": [_p_double, _int, _int],
    "kelvo_robot_movl": [_p_double, _int, _int],
    "kelvo_robot_movc": [_p_double, _p_double, _p_double, _int, _int],
    "kelvo_robot_movca": [_p_double, _p_double, _p_double, _int, _int],
    "kelvo_run_job": [_text],
    "kelvo_stop_job": [],
    "kelvo_continuous_motion_mode": [_int],
    "kelvo_send_continuous_motion_queue": [ctypes.POINTER(CPoint), ctypes.c_uint],
    "kelvo_set_jogging_speed": [_int],
    "kelvo_get_jogging_speed": [_p_int],
    "kelvo_set_current_mode": [_int],
    "kelvo_get_current_mode": [_p_int],
    "kelvo_set_current_coord": [_int],
    "kelvo_get_current_coord": [_p_int],
    "kelvo_upload_job": [],
    "kelvo_sync_jobs": [],
    "kelvo_get_servo_status": [_p_int],
    "kelvo_clear_alarm": [_int],
    "kelvo_clear_all_alarms": [],
    "kelvo_stop_move": [_int],
    "kelvo_get_tool": [_p_int],
    "kelvo_set_job_dir": [_text],
    "kelvo_set_transfer_port": [_int],
    "kelvo_set_trace_size": [_int],
    "kelvo_dump_trace": [_text],
}

# The event calls arrive with a later library; a library without them still serves the rest.
_EVENT_CALLS: Dict[str, List[Any]] = {
    "kelvo_set_event_handler": [EventHandler, ctypes.c_void_p],
    "kelvo_next_event": [ctypes.POINTER(CEvent), _int],
    "kelvo_last_alarm": [ctypes.POINTER(CEvent)],
}


def _declare(lib: ctypes.CDLL) -> ctypes.CDLL:
    lib.kelvo_strerror.argtypes = [_int]
    lib.kelvo_strerror.restype = ctypes.c_char_p
    lib.kelvo_version.argtypes = []
    lib.kelvo_version.restype = ctypes.c_char_p
    lib.kelvo_open.argtypes = [_text, _int, _int, _p_int]
    lib.kelvo_open.restype = _session
    lib.kelvo_close.argtypes = [_session]
    lib.kelvo_close.restype = None
    for name, parameters in _SESSION_CALLS.items():
        function = getattr(lib, name)
        function.argtypes = [_session] + parameters
        function.restype = _int
    if hasattr(lib, "kelvo_next_event"):
        for name, parameters in _EVENT_CALLS.items():
            function = getattr(lib, name, None)
            if function is None:
                continue
            function.argtypes = [_session] + parameters
            function.restype = _int
    if hasattr(lib, "kelvo_set_log_handler"):
        lib.kelvo_set_log_handler.argtypes = [LogHandler, ctypes.c_void_p, _int]
        lib.kelvo_set_log_handler.restype = _int
    return lib


def _checkout_library() -> Optional[Path]:
    """The build tree's library when this package runs from a checkout of kelvo, else None."""
    root = Path(__file__).resolve().parents[2]
    if not (root / "src" / "api" / "kelvo.h").is_file():
        return None
    return root / "build" / "src" / _BUILT_NAME


def _candidates() -> List[Tuple[str, str]]:
    """(what to load, where it comes from), in the order they are tried."""
    chosen = os.environ.get(LIBRARY_VARIABLE)
    if chosen:  # a deliberate choice: never replaced silently by another library
        return [(chosen, "the " + LIBRARY_VARIABLE + " environment variable")]
    places = []
    built = _checkout_library()
    if built is not None:
        places.append((str(built), "the build tree of this checkout"))
    places.append((_INSTALLED_NAME, "the system's library search path"))
    return places


_lock = threading.Lock()
_loaded: Optional[ctypes.CDLL] = None


def library() -> ctypes.CDLL:
    """The loaded library, loaded on first use; raises LibraryNotFoundError."""
    global _loaded
    with _lock:
        if _loaded is None:
            failures = []
            for path, origin in _candidates():
                try:
                    _loaded = _declare(ctypes.CDLL(path))
                    break
                except OSError as error:
                    failures.append("  %s (%s): %s" % (path, origin, error))
            else:
                raise LibraryNotFoundError(
                    "libkelvo_dll could not be loaded. Tried, in order:\n"
                    + "\n".join(failures)
                    + "\nBuild it (bash scripts/kelvo.sh build), install it, or set "
                    + LIBRARY_VARIABLE
                    + " to its path."
                )
        return _loaded


def loaded() -> Optional[ctypes.CDLL]:
    """The library if it has been loaded; never loads it."""
    return _loaded


_callbacks = threading.local()


@contextlib.contextmanager
def callback() -> Iterator[None]:
    """Marks the calling library thread as running one of our callbacks. Nests: a log callback
    inside an event callback leaves the thread marked when it returns."""
    outer = in_callback()
    _callbacks.active = True
    try:
        yield
    finally:
        _callbacks.active = outer


def in_callback() -> bool:
    """Whether this thread runs a callback from the library now."""
    return getattr(_callbacks, "active", False)


def has_events() -> bool:
    """Whether the loaded library has the event calls."""
    return hasattr(library(), "kelvo_next_event")


def version() -> str:
    """The version of the loaded libkelvo_dll, such as "1.0.0"."""
    return str(library().kelvo_version().decode("ascii"))
