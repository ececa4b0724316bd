# The package's records and codes against what a C compiler makes of kelvo.h.

import ctypes
import subprocess

import kelvo
from kelvo import _records
from conftest import BUILD, ROOT

RECORDS = {"ContinuousMotionPoint": _records.CPoint, "KelvoEvent": _records.CEvent}
PREFIXES = {kelvo.EventKind: "KELVO_EVENT_", kelvo.IoKind: "KELVO_IO_",
            kelvo.AlarmSeverity: "KELVO_ALARM_", kelvo.TransferStage: "KELVO_TRANSFER_",
            kelvo.LogLevel: "KELVO_LOG_"}
ERRORS = {kelvo.InvalidArgumentError: "INVALID", kelvo.NotConnectedError: "NOT_CONNECTED",
          kelvo.TimedOutError: "TIMEOUT", kelvo.RefusedError: "REFUSED", kelvo.BusyError: "BUSY",
          kelvo.TooLargeError: "TOO_LARGE", kelvo.ClosedError: "CLOSED", kelvo.JobFileError: "IO"}


def test_records_and_codes_match_the_header(tmp_path):
    # What the package says, line by line, against a C program printing what the header says.
    shown = {}  # C expression: the package's value
    for name, record in RECORDS.items():
        shown["sizeof(%s)" % name] = ctypes.sizeof(record)
        for field, _ in record._fields_:
            shown["offsetof(%s, %s)" % (name, field)] = getattr(record, field).offset
    for enum, prefix in PREFIXES.items():
        shown.update((prefix + member.name, int(member)) for member in enum)
    shown.update(("KELVO_ERR_" + name, error.code) for error, name in ERRORS.items())
    lines = "".join('    printf("%%s %%ld\\n", "%s", (long)(%s));\n' % (c, c) for c in shown)
    (tmp_path / "layout.c").write_text(
        '#include <stdio.h>\n#include <stddef.h>\n#include "kelvo.h"\nint main(void) {\n%s}\n'
        % lines)
    # kelvo.h includes the version header the build generates.
    includes = ["-I" + str(ROOT / "src" / "api"), "-I" + str(BUILD / "include")]
    subprocess.run(["cc", *includes, "layout.c", "-o", "layout"], cwd=tmp_path, check=True)
    c_side = subprocess.run(["./layout"], cwd=tmp_path, capture_output=True, text=True).stdout
    assert c_side.splitlines() == ["%s %d" % item for item in shown.items()]
