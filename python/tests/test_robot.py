# Each group of methods, events by push and by pull, and each example of examples/python, against
# kelvo-sim.

import queue
import time

import pytest

from kelvo import (BusyError, ClosedError, Coord, EventKind, IoKind, Mode, RefusedError,
                   RunningState, ServoStatus)
from conftest import ROOT, run_python, until


def test_settings_io_and_status(robot, tmp_path):
    robot.set_current_mode(Mode.REMOTE)
    robot.set_current_coord(Coord.TOOL)
    robot.set_jogging_speed(35)
    robot.set_dout(3, 1)
    robot.set_aout(2, 5)
    digital, analog = [0, 0, 1] + [0] * 13, [0, 5] + [0] * 14
    until(lambda: robot.get_din() == digital, 3, "outputs wired back to inputs")

    status = robot.status()
    assert status == dict(
        mode=Mode.REMOTE, coord=Coord.TOOL, speed=35, running=RunningState.STOPPED,
        servo=ServoStatus.STOPPED, joints=(0.0,) * 6, cartesian=(500.0, 0, 850.0, 180.0, 0, 0),
        dout=digital, din=digital, aout=analog, ain=analog,
    )
    assert isinstance(status["mode"], Mode) and isinstance(status["servo"], ServoStatus)
    assert (robot.get_tool(), robot.get_current_sync_position()) == (0, (0.0,) * 5)
    assert robot.is_connected()

    # The requests no other test makes: each reaches its C function with its arguments.
    here = (0, 0, 0, 0, 0, 0)
    robot.robot_movc(here, here, here, 10, Coord.JOINT)
    robot.robot_movca(here, here, here, 10, Coord.JOINT)
    robot.stop_move(1)
    robot.clear_alarm(0x6010)
    robot.clear_all_alarms()
    robot.set_transfer_port(5001)
    robot.sync_jobs()
    robot.set_trace_size(50)
    robot.dump_trace(tmp_path / "trace.jsonl")
    assert '"word":"0x3602"' in (tmp_path / "trace.jsonl").read_text()


def test_jog_and_move(robot):
    assert robot.servo_power_on() == ServoStatus.READY
    # In teach mode the library also presses the enabling switch: the motors power up.
    until(lambda: robot.get_servo_status() == ServoStatus.RUNNING, 3, "servo running")
    robot.set_current_coord(Coord.CARTESIAN)
    robot.set_jogging_speed(100)
    robot.start_jogging(3, True)
    time.sleep(0.3)
    robot.stop_jogging(3)
    assert robot.get_current_position(Coord.CARTESIAN)[2] > 860

    # The controller reports an rx of -180 as 180: there already.
    arrived = robot.move_and_wait((520, 50, 700, -180, 0, 0), 500, Coord.CARTESIAN, True, 10.0)
    assert arrived == pytest.approx((520, 50, 700, 180, 0, 0), abs=0.01)
    with pytest.raises(RefusedError, match="target out of reach") as info:  # names the alarm
        robot.move_and_wait((2000.0, 0.0, 0.0, 180.0, 0.0, 0.0), 500, Coord.CARTESIAN, True)
    assert info.value.alarm.kind == EventKind.ALARM

    robot.servo_power_off()  # releases the enabling switch: the motors go off
    until(lambda: robot.get_servo_status() == ServoStatus.READY, 3, "servo ready")

    robot.set_current_mode(Mode.RUN)  # and a job
    robot.servo_power_on()
    robot.run_job("DEMO")
    until(lambda: robot.get_robot_running_state() == RunningState.RUNNING, 3, "job on")
    robot.stop_job()
    until(lambda: robot.get_robot_running_state() == RunningState.STOPPED, 3, "job off")


def test_events_by_push_with_a_query_inside_and_unregistering(robot):
    delivered = queue.Queue()
    out4 = lambda e: (e.kind, e.code, e.values[3:4]) == (EventKind.IO, IoKind.DOUT, (1,))  # noqa
    robot.set_jogging_speed(42)
    robot.on_event(lambda e: out4(e) and delivered.put(robot.get_jogging_speed()))
    with pytest.raises(BusyError):
        robot.next_event(0)
    robot.set_dout(4, 1)
    assert delivered.get(timeout=5) == 42  # a waiting query, from inside

    robot.on_event(None)
    while not delivered.empty():
        delivered.get()
    robot.set_dout(4, 0)
    robot.set_dout(4, 1)
    assert any(out4(e) for e in robot.events(timeout=5))  # queued for pull instead
    assert delivered.empty()


def test_close_from_inside_a_callback(robot):
    closed = queue.Queue()
    robot.on_event(lambda event: (robot.close(), closed.put(event.kind)))
    robot.set_dout(1, 1)
    closed.get(timeout=5)
    until(lambda: robot.closed, 5, "closed")
    with pytest.raises(ClosedError):
        robot.get_dout()


@pytest.mark.parametrize("example, sims, arguments", [
    ("read_status.py", 1, []), ("jog.py", 1, []), ("move_and_wait.py", 1, []),
    ("stream_queue.py", 1, []), ("watch_events.py", 1, ["1"]), ("two_controllers.py", 2, []),
    ("async_two_robots.py", 2, []),
])
def test_example(start_sim, example, sims, arguments):
    addresses = [start_sim().address for _ in range(sims)]
    finished = run_python([str(ROOT / "examples" / "python" / example), *addresses, *arguments])
    assert finished.returncode == 0 and finished.stdout, finished.stderr[-2000:]
