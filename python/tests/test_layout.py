"""The package's records and codes against what a C compiler makes of kelvo.h."""

import ctypes
import shutil
import subprocess

import kelvo
from kelvo import _records
from conftest import BUILD, ROOT

RECORDS = {"ContinuousMotionPoint": _records.CPoint, "KelvoEvent": _records.CEvent}
PREFIXES = {
    kelvo.EventKind: "KELVO_EVENT_",
    kelvo.IoKind: "KELVO_IO_",
    kelvo.AlarmSeverity: "KELVO_ALARM_",
    kelvo.TransferStage: "KELVO_TRANSFER_",
    kelvo.LogLevel: "KELVO_LOG_",
}
ERRORS = {
    kelvo.InvalidArgumentError: "KELVO_ERR_INVALID",
    kelvo.NotConnectedError: "KELVO_ERR_NOT_CONNECTED",
    kelvo.TimedOutError: "KELVO_ERR_TIMEOUT",
    kelvo.RefusedError: "KELVO_ERR_REFUSED",
    kelvo.BusyError: "KELVO_ERR_BUSY",
    kelvo.TooLargeError: "KELVO_ERR_TOO_LARGE",
    kelvo.ClosedError: "KELVO_ERR_CLOSED",
    kelvo.JobFileError: "KELVO_ERR_IO",
}


def expected_and_program():
    """What the package says, and a C program that prints what the header says, line by line.
    The event part counts only once the header has the events."""
    expected, lines = [], []

    def show(text, c_value, value, events=False):
        line = '    printf("%s %%ld\\n", (long)(%s));' % (text, c_value)
        lines.append("#ifdef KELVO_EVENT_LINK\n%s\n#endif" % line if events else line)
        expected.append((events, "%s %d" % (text, value)))

    for name, record in RECORDS.items():
        events = record is _records.CEvent
        show(name, "sizeof(%s)" % name, ctypes.sizeof(record), events)
        for field, _ in record._fields_:
            offset = "offsetof(%s, %s)" % (name, field)
            show(name + "." + field, offset, getattr(record, field).offset, events)
    for enum, prefix in PREFIXES.items():
        for member in enum:
            show(prefix + member.name, prefix + member.name, member, True)
    for error, name in ERRORS.items():
        show(name, name, error.code)
    program = '#include <stdio.h>\n#include "kelvo.h"\nint main(void) {\n%s\n}\n'
    return expected, program % "\n".join(lines)


def test_records_and_codes_match_the_header(tmp_path):
    expected, program = expected_and_program()
    (tmp_path / "layout.c").write_text(program)
    compiler = shutil.which("cc") or "gcc"
    # kelvo.h includes the version header the build generates.
    includes = ["-I" + str(ROOT / "src" / "api"), "-I" + str(BUILD / "include")]
    subprocess.run([compiler, *includes, "layout.c", "-o", "layout"], cwd=tmp_path, check=True)
    c_side = subprocess.run(["./layout"], cwd=tmp_path, capture_output=True, text=True).stdout
    has_events = "KelvoEvent " in c_side
    assert c_side.splitlines() == [line for events, line in expected if has_events or not events]
