"""The C records of kelvo.h, byte for byte."""

import ctypes


class CPoint(ctypes.Structure):
    """ContinuousMotionPoint: 200 bytes with natural alignment."""

    _fields_ = [
        ("velocity", ctypes.c_double),
        ("acc", ctypes.c_double),
        ("dec", ctypes.c_double),
        ("pl", ctypes.c_double),
        ("spin", ctypes.c_int32),
        ("pos", ctypes.c_double * 19),
        ("type", ctypes.c_int32),
    ]


class CEvent(ctypes.Structure):
    """KelvoEvent; values and text belong to the library."""

    _fields_ = [
        ("kind", ctypes.c_int),
        ("robot", ctypes.c_int),
        ("code", ctypes.c_int),
        ("count", ctypes.c_int),
        ("values", ctypes.POINTER(ctypes.c_double)),
        ("text", ctypes.c_char_p),
        ("time", ctypes.c_double),
    ]
