# Events by push, and by pull once unregistered.

import queue

import pytest

import kelvo
from kelvo import EventKind, IoKind
from conftest import until


def is_output(event, port):
    # A digital output report with port set.
    is_dout = event.kind == EventKind.IO and event.code == IoKind.DOUT
    return is_dout and event.values[port - 1 : port] == (1,)


def test_events_by_push_with_a_query_inside_and_unregistering(robot):
    delivered = queue.Queue()
    robot.set_jogging_speed(42)
    robot.on_event(lambda e: is_output(e, 4) and delivered.put(robot.get_jogging_speed()))
    with pytest.raises(kelvo.BusyError):
        robot.next_event(0)
    robot.set_dout(4, 1)
    assert delivered.get(timeout=5) == 42  # a waiting query, from inside

    robot.on_event(None)
    while not delivered.empty():
        delivered.get()
    robot.set_dout(4, 0)
    robot.set_dout(4, 1)
    assert any(is_output(e, 4) for e in robot.events(timeout=5))  # queued for pull instead
    assert delivered.empty()


def test_close_from_inside_a_callback(robot):
    closed = queue.Queue()
    robot.on_event(lambda event: (robot.close(), closed.put(event.kind)))
    robot.set_dout(1, 1)
    closed.get(timeout=5)
    until(lambda: robot.closed, 5, "closed")
    with pytest.raises(kelvo.ClosedError):
        robot.get_dout()
