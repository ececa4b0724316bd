"""The package's records and codes against what a C compiler makes of kelvo.h."""

import ctypes
import shutil
import subprocess

import pytest

import kelvo
from kelvo import _records
from conftest import ROOT

PROGRAM = r"""
#include <stdio.h>
#include "kelvo.h"
#define SHOW(name, value) printf("%s %ld\n", name, (long)(value))
#define FIELD(type, field) SHOW(#type "." #field, offsetof(type, field))
int main(void) {
    SHOW("ContinuousMotionPoint", sizeof(ContinuousMotionPoint));
    FIELD(ContinuousMotionPoint, velocity); FIELD(ContinuousMotionPoint, acc);
    FIELD(ContinuousMotionPoint, dec); FIELD(ContinuousMotionPoint, pl);
    FIELD(ContinuousMotionPoint, spin); FIELD(ContinuousMotionPoint, pos);
    FIELD(ContinuousMotionPoint, type);
    SHOW("Error.-1", KELVO_ERR_INVALID); SHOW("Error.-2", KELVO_ERR_NOT_CONNECTED);
    SHOW("Error.-3", KELVO_ERR_TIMEOUT); SHOW("Error.-4", KELVO_ERR_REFUSED);
    SHOW("Error.-5", KELVO_ERR_BUSY); SHOW("Error.-6", KELVO_ERR_TOO_LARGE);
    SHOW("Error.-7", KELVO_ERR_CLOSED); SHOW("Error.-8", KELVO_ERR_IO);
#ifdef KELVO_EVENT_LINK
    SHOW("KelvoEvent", sizeof(KelvoEvent));
    FIELD(KelvoEvent, kind); FIELD(KelvoEvent, robot); FIELD(KelvoEvent, code);
    FIELD(KelvoEvent, count); FIELD(KelvoEvent, values); FIELD(KelvoEvent, text);
    FIELD(KelvoEvent, time);
    SHOW("EventKind.LINK", KELVO_EVENT_LINK); SHOW("EventKind.SERVO", KELVO_EVENT_SERVO);
    SHOW("EventKind.MODE", KELVO_EVENT_MODE); SHOW("EventKind.COORD", KELVO_EVENT_COORD);
    SHOW("EventKind.SPEED", KELVO_EVENT_SPEED); SHOW("EventKind.RUNNING", KELVO_EVENT_RUNNING);
    SHOW("EventKind.ROBOT", KELVO_EVENT_ROBOT); SHOW("EventKind.POSITION", KELVO_EVENT_POSITION);
    SHOW("EventKind.IO", KELVO_EVENT_IO); SHOW("EventKind.ALARM", KELVO_EVENT_ALARM);
    SHOW("EventKind.TRANSFER", KELVO_EVENT_TRANSFER);
    SHOW("EventKind.OVERFLOW", KELVO_EVENT_OVERFLOW);
    SHOW("IoKind.DOUT", KELVO_IO_DOUT); SHOW("IoKind.DIN", KELVO_IO_DIN);
    SHOW("IoKind.AOUT", KELVO_IO_AOUT); SHOW("IoKind.AIN", KELVO_IO_AIN);
    SHOW("AlarmSeverity.ERROR", KELVO_ALARM_ERROR);
    SHOW("AlarmSeverity.WARNING", KELVO_ALARM_WARNING);
    SHOW("AlarmSeverity.INFO", KELVO_ALARM_INFO);
    SHOW("TransferStage.STARTED", KELVO_TRANSFER_STARTED);
    SHOW("TransferStage.PROGRESS", KELVO_TRANSFER_PROGRESS);
    SHOW("TransferStage.FINISHED", KELVO_TRANSFER_FINISHED);
    SHOW("TransferStage.FAILED", KELVO_TRANSFER_FAILED);
    SHOW("LogLevel.DEBUG", KELVO_LOG_DEBUG); SHOW("LogLevel.INFO", KELVO_LOG_INFO);
    SHOW("LogLevel.WARNING", KELVO_LOG_WARNING); SHOW("LogLevel.ERROR", KELVO_LOG_ERROR);
#endif
    return 0;
}
"""


def python_side(name):
    """What the package says for one line of the C program's output."""
    owner, _, member = name.partition(".")
    if owner == "ContinuousMotionPoint":
        record = _records.CPoint
    elif owner == "KelvoEvent":
        record = _records.CEvent
    elif owner == "Error":
        return kelvo.errors.error_for(int(member)).code
    else:
        return int(getattr(getattr(kelvo, owner), member))
    return getattr(record, member).offset if member else ctypes.sizeof(record)


def test_records_and_codes_match_the_header(tmp_path):
    compiler = shutil.which("cc") or shutil.which("gcc")
    if compiler is None:
        pytest.fail("no C compiler")
    source = tmp_path / "layout.c"
    source.write_text(PROGRAM)
    program = tmp_path / "layout"
    subprocess.run(
        [compiler, "-std=c11", "-I", str(ROOT / "src" / "api"), str(source), "-o", str(program)],
        check=True,
    )
    lines = subprocess.run([str(program)], check=True, capture_output=True, text=True).stdout
    c_side = dict(line.rsplit(" ", 1) for line in lines.splitlines())
    assert {name: python_side(name) for name in c_side} == {
        name: int(value) for name, value in c_side.items()
    }
