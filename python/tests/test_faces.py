# What a script meets at the edges: arguments refused before C sees them, the controller's reason in
# an exception, Ctrl-C that ends waits and stops the robot, exits that do not hang, no leaks.

import gc
import glob
import math
import os
import signal
import subprocess
import sys
import textwrap
import time

import pytest

import kelvo
from conftest import ROOT, address_in, sims_in, until

HERE = (0.0,) * 6


NETWORK = "127.0.29"


@pytest.fixture(scope="module")
def robot():
    starter = sims_in(NETWORK)
    with kelvo.connect(next(starter)().address) as robot:
        yield robot
    next(starter, None)


WRONG_TYPES = [
    "r.set_dout(1.0, 1)", 'r.set_aout(1, "5")', 'r.set_jogging_speed("50")',
    'r.robot_movj("abcdef", 10, 0)', "r.robot_movj(HERE, 10.5, 0)", 'r.run_job(b"JOB")',
    "r.set_job_dir(None)", "r.next_event(None)", 'r.on_event("nope")',
    'next(r.events(timeout="1"))', "r.send_continuous_motion_queue([HERE])",
    "kelvo.connect(None)", 'kelvo.connect("127.0.29.1", port="6000")',
    'kelvo.connect("127.0.29.1", timeout=None)', 'kelvo.set_log_handler("nope")',
]
# (call, part of the reason): the reason shows that the package refused it, not C
NOT_HELD = [
    ("r.set_dout(2**32 + 5, 1)", "outside"), ("r.set_aout(1, inf)", "not a finite number"),
    ("r.set_reply_timeout(-1)", "outside"), ("r.clear_alarm(-(2**31) - 1)", "outside"),
    ("r.robot_movl((0, 0, nan, 0, 0, 0), 10, 1)", "not a finite number"),
    ("r.robot_movj(HERE, 2**31, 0)", "outside"), ('r.run_job("A\\0B")', "NUL"),
    ("r.next_event(2**40)", "outside"),
    ("r.send_continuous_motion_queue([kelvo.MotionPoint(1, nan, [0.0] * 13)])",
     "not a finite number"),
    ("r.send_continuous_motion_queue([kelvo.MotionPoint(1, 10, [0.0] * 20)])", "needs"),
    ("r.move_and_wait(HERE, 10, 0, timeout=nan)", "not a time-out"),
    ("r.wait_until_stopped(HERE, 0, timeout=-1)", "not a time-out"),
    ('kelvo.connect("127.0.29.1", port=2**32 + 6000)', "outside"),
    ('kelvo.connect("127.0.29.1", timeout=nan)', "not a time-out"),
    ('kelvo.connect("127.0.29.1", timeout=-1)', "not a time-out"),
]
UNDEFINED = [
    "r.set_jogging_speed(200)", "r.set_jogging_speed(-1)", "r.set_current_mode(3)",
    "r.set_current_coord(4)", "r.get_current_position(7)", "r.robot_movj(HERE, 10, 5)",
    "r.robot_movj(HERE[:5], 10, 0)", "r.robot_movc(HERE, HERE, HERE + (0.0,), 10, 0)",
    "r.start_jogging(13, True)", "r.set_dout(1, 2)", "r.set_transfer_port(0)",
    "r.set_trace_size(-1)",  # refused by C, not by the package
    "kelvo.set_log_handler(None, 7)",
]


@pytest.mark.parametrize("code, error, reason", [(c, TypeError, "") for c in WRONG_TYPES] + [
    (c, kelvo.InvalidArgumentError, why) for c, why in NOT_HELD + [(c, "") for c in UNDEFINED]])
def test_refused_arguments_change_nothing(robot, code, error, reason):
    with pytest.raises(error, match=reason):
        eval(code, {"r": robot, "kelvo": kelvo, "HERE": HERE, "inf": math.inf, "nan": math.nan})
    assert robot.get_jogging_speed() == 10 and robot.get_current_mode() == kelvo.Mode.TEACH


@pytest.mark.parametrize("name, value", [("kelvo_set_jogging_speed", 104),
                                         ("kelvo_set_current_mode", -1),
                                         ("kelvo_set_current_coord", 9)])
def test_session_calls_refuse_undefined_codes_that_flat_calls_send(robot, name, value):
    handle = robot._session.handle
    assert getattr(robot._session.lib, name)(handle, value) == kelvo.InvalidArgumentError.code


def child(script, *arguments):
    # Debian's Python running "import sys, kelvo" and script, its output read by line.
    script = "import sys, kelvo\n" + textwrap.dedent(script)
    # Ctrl-C as at a terminal, though a shell that started these tests in the background ignores it.
    return subprocess.Popen([sys.executable, "-c", script, *arguments],
                            env=dict(os.environ, PYTHONPATH=str(ROOT / "python")),
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                            preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))


INTERRUPTED = {
    "move_and_wait": """
        robot = kelvo.connect(sys.argv[1])
        robot.servo_power_on()
        while robot.get_servo_status() != kelvo.ServoStatus.RUNNING:
            pass
        print("ready", flush=True)
        robot.move_and_wait((170, 0, 0, 0, 0, 0), 5, kelvo.Coord.JOINT)
    """,
    "connect to a dead address": """
        print("ready", flush=True)
        kelvo.connect(sys.argv[2], timeout=30)
    """,
    "query to a silent controller": """
        robot = kelvo.connect(sys.argv[1])
        robot.set_reply_timeout(0)
        print("ready", flush=True)
        robot.get_current_mode()
    """,
    "next_event for ever": """
        robot = kelvo.connect(sys.argv[1])
        for _ in robot.events(timeout=0.3):
            pass
        print("ready", flush=True)
        robot.next_event(-1)
    """,
}


@pytest.mark.parametrize("case", sorted(INTERRUPTED))
def test_ctrl_c_ends_waits_and_stops_the_robot(start_sim, case):
    sim = start_sim("--scripted") if "silent" in case else start_sim()
    process = child(INTERRUPTED[case], sim.address, address_in(NETWORK))
    assert process.stdout.readline() == "ready\n", process.communicate()[1]
    time.sleep(0.5)
    process.send_signal(signal.SIGINT)
    started = time.monotonic()
    _, errors = process.communicate(timeout=10)
    # the slices are 0.2 s; the rest is the exit
    assert time.monotonic() - started < 3 and "KeyboardInterrupt" in errors, errors
    if case == "move_and_wait":
        with kelvo.connect(sim.address) as robot:
            first = robot.get_current_position(kelvo.Coord.JOINT)
            time.sleep(0.5)
            assert first[0] > 0 and robot.get_current_position(kelvo.Coord.JOINT) == first


def test_exit_with_sessions_open_a_callback_set_and_a_thread_on_events_ends_at_once(sim):
    script = """
        import threading
        robot, other = kelvo.connect(sys.argv[1]), kelvo.connect(sys.argv[1])
        threading.Thread(target=lambda: [None for _ in robot.events()]).start()
        other.on_event(lambda event: None)
        kelvo.set_log_handler(lambda *line: None, kelvo.LogLevel.DEBUG)
        other.set_dout(1, 1)
        print("ready", flush=True)
    """
    process = child(script, sim.address)
    assert process.stdout.readline() == "ready\n", process.communicate()[1]
    started = time.monotonic()
    process.communicate(timeout=10)
    assert time.monotonic() - started < 2 and process.returncode == 0


def sockets_and_threads():
    # realpath, unlike readlink, takes an fd closed meanwhile
    links = [os.path.realpath(fd) for fd in glob.glob("/proc/self/fd/*")]
    return sum("socket:" in link for link in links), len(os.listdir("/proc/self/task"))


def test_callbacks_do_not_keep_their_robots_alive(sim):
    kelvo.connect(sim.address).close()  # the library's own threads are up before counting
    before = sockets_and_threads()
    for _ in range(20):
        x = kelvo.connect(sim.address)
        x.on_event(lambda event, x=x: None)
        del x
    gc.collect()
    until(lambda: sockets_and_threads() <= before, 5, "sockets and threads freed")
