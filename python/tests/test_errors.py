# Every error code as its own exception, and the errors the package's own waits produce.

import time
from concurrent.futures import ThreadPoolExecutor

import pytest

import kelvo
from kelvo import _library
from kelvo.errors import error_for
from test_layout import ERRORS


@pytest.mark.parametrize("cls", ERRORS)
def test_each_code_has_its_exception_with_the_librarys_message(cls):
    _library.library()
    error = error_for(cls.code, "the detail")
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
