# The package's records and codes against what a C compiler makes of kelvo.h, every error code as
# its own exception, and the errors the package's own waits produce.

import ctypes
import subprocess
import time
from concurrent.futures import ThreadPoolExecutor

import pytest

import kelvo
from kelvo import _library, _records, errors
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


@pytest.mark.parametrize("cls", ERRORS)
def test_each_code_has_its_exception_with_the_librarys_message(cls):
    _library.library()
    error = errors.error_for(cls.code, "the detail")
    assert type(error) is cls and error.message == cls().message != "unknown error"
    assert str(error) == error.message + ": the detail" and error.message == bytes(
        _library.library().kelvo_strerror(cls.code)).decode()


def test_scripted_answers_timeouts_and_close_ending_a_waiting_query(start_sim):
    sim = start_sim("--scripted")  # answers heartbeats and what is scripted only
    sim.command('reply 2202 2203 {"coord":7,"robot":1}\\n')
    robot = kelvo.connect(sim.address)
    coord = robot.get_current_coord()
    assert coord == 7 and type(coord) is int  # no Coord has 7: no error either
    robot.set_reply_timeout(200)
    with pytest.raises(kelvo.TimedOutError):
        robot.get_current_mode()

    robot.set_reply_timeout(0)  # wait for ever
    with ThreadPoolExecutor(1) as pool:
        waiting = pool.submit(robot.get_jogging_speed)
        time.sleep(0.3)
        assert not waiting.done()
        robot.close()
        with pytest.raises(kelvo.ClosedError):
            waiting.result(timeout=2)
    robot.close()  # idempotent
    with pytest.raises(kelvo.ClosedError):
        robot.get_jogging_speed()
