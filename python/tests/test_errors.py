"""Every error code that a real situation produces, as its own exception."""

import contextlib
import math
import time
from concurrent.futures import ThreadPoolExecutor

import pytest

import kelvo
from conftest import next_address


@contextlib.contextmanager
def raises(cls, code):
    """pytest.raises for cls, also checking the code and that the message is kelvo_strerror's."""
    with pytest.raises(cls) as info:
        yield
    assert info.value.code == code
    assert str(info.value).startswith(info.value.message) and "unknown" not in info.value.message


def test_errors_of_a_linked_session(start_sim, tmp_path):
    jobs = tmp_path / "robotJob" / "R1"
    jobs.mkdir(parents=True)
    (jobs / "BIG.JBR").write_bytes(b"x" * (16 << 20))
    (tmp_path / "controller").mkdir()
    sim = start_sim("--job-dir", str(tmp_path / "controller"))
    with kelvo.connect(sim.address) as robot:
        with raises(kelvo.InvalidArgumentError, -1):
            robot.robot_movj((0, 0, math.nan, 0, 0, 0), 10, kelvo.Coord.JOINT)
        with raises(kelvo.RefusedError, -4):
            robot.start_jogging(1, True)  # the servo is off
        with raises(kelvo.RefusedError, -4):
            robot.stop_job()  # no job runs
        points = [kelvo.MotionPoint(kelvo.PointType.MOVJEXT, 100.5, [1.125] * 19)] * 400
        with raises(kelvo.TooLargeError, -6):
            robot.send_continuous_motion_queue(points)
        with raises(kelvo.JobFileError, -8):
            robot.set_job_dir(tmp_path / "missing")
        robot.set_job_dir(tmp_path)
        robot.upload_job()
        with raises(kelvo.BusyError, -5):
            robot.upload_job()

    with raises(kelvo.InvalidArgumentError, -1):
        kelvo.connect("127.0.21.x")
    started = time.monotonic()
    with raises(kelvo.NotConnectedError, -2):
        kelvo.connect(next_address(), timeout=0.5)  # nothing listens there
    assert time.monotonic() - started < 3


def test_scripted_answers_timeouts_and_close_ending_a_waiting_query(start_sim):
    sim = start_sim("--scripted")  # answers heartbeats and what is scripted only
    sim.command('reply 2202 2203 {"coord":7,"robot":1}\\n')
    robot = kelvo.connect(sim.address)
    coord = robot.get_current_coord()
    assert coord == 7 and type(coord) is int  # no Coord has 7: no error either

    robot.set_reply_timeout(200)
    with raises(kelvo.TimedOutError, -3):
        robot.get_current_mode()

    robot.set_reply_timeout(0)  # wait for ever
    with ThreadPoolExecutor(1) as pool:
        waiting = pool.submit(robot.get_jogging_speed)
        time.sleep(0.3)
        assert not waiting.done()
        robot.close()
        with raises(kelvo.ClosedError, -7):
            waiting.result(timeout=2)
    robot.close()  # idempotent
    with raises(kelvo.ClosedError, -7):
        robot.get_jogging_speed()
