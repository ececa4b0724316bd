# kelvo.aio against kelvo-sim, move progress in both faces, and the typed events.

import asyncio
import ctypes
import inspect
import math
import time

import pytest

import kelvo
import kelvo.aio
from kelvo import AlarmSeverity, Coord, EventKind, IoKind, Mode, TransferStage
from kelvo._records import CEvent


NETWORK = "127.0.30"


def run(coroutine, seconds=30.0):
    return asyncio.run(asyncio.wait_for(coroutine, seconds))


async def ready_to_move(robot):
    await robot.set_current_mode(Mode.REMOTE)  # moves need the servo only ready here
    await robot.servo_power_on()


def test_two_robots_interleaved_on_one_loop(start_sim):
    # Calls on two robots interleave; a controller slow to answer stalls only its own robot.
    first, second = start_sim(), start_sim()
    first.command("delay 800")

    async def io_rounds(robot, port):
        for value in (1, 0, 1):
            await robot.set_dout(port, value)
            await robot.get_din()
        return time.monotonic()

    async def main():
        async with kelvo.aio.connect(first.address) as a, kelvo.aio.connect(second.address) as b:
            events = b.events(timeout=5.0)  # the controller's reports reach the loop
            await asyncio.gather(ready_to_move(a), ready_to_move(b))
            a_done, b_done, *arrived = await asyncio.gather(
                io_rounds(a, 2), io_rounds(b, 5),
                a.move_and_wait([30, 0, 0, 0, -30, 0], 100, Coord.JOINT),
                b.move_and_wait([-30, 0, 0, 0, -30, 0], 100, Coord.JOINT))
            assert (await a.get_dout())[:6] == [0, 1, 0, 0, 0, 0]
            assert (await b.get_dout())[:6] == [0, 0, 0, 0, 1, 0]
            second.command("alarm 1")
            async for event in events:
                if isinstance(event, kelvo.AlarmEvent):
                    assert (event.number, event.severity) == (0x6010, AlarmSeverity.ERROR)
                    assert "servo alarm" in event.text and abs(event.time - time.time()) < 60
                    break
            else:
                pytest.fail("no alarm within 5 s")
            return a_done - b_done, arrived

    lead, arrived = run(main())
    # the fast robot finished its rounds while the slow one still waited
    assert [round(p[0]) for p in arrived] == [30, -30] and lead > 0.5, (arrived, lead)


@pytest.mark.parametrize("linear, ending", [(False, "cancel"), (True, "progress raises")])
def test_ending_a_move_early_stops_the_robot(sim, linear, ending):
    async def main():
        async with kelvo.aio.connect(sim.address) as robot:
            await ready_to_move(robot)
            target = [600, -300, 500, 180, 0, 0] if linear else [90, 0, 0, 0, -30, 0]
            coord = Coord.CARTESIAN if linear else Coord.JOINT
            # once under way, a ZeroDivisionError: nothing kelvo raises
            on_progress = (lambda p, f: f > 0.03 and 1 / 0) if ending == "progress raises" else None
            move = asyncio.create_task(robot.move_and_wait(target, 20, coord, linear=linear,
                                                           on_progress=on_progress))
            if not on_progress:
                await asyncio.sleep(0.8)
                move.cancel()
            with pytest.raises(ZeroDivisionError if on_progress else asyncio.CancelledError):
                await move
            stopped = await robot.get_current_position(Coord.JOINT)
            await asyncio.sleep(0.5)
            assert await robot.get_current_position(Coord.JOINT) == stopped
            assert any(abs(v) > 0.5 for v in stopped)  # it had set off

    run(main())


@pytest.mark.parametrize("face", ["blocking", "async"])
def test_progress_rises_to_one_at_most_every_100_ms(sim, face):
    target, calls = [40, 20, 0, 0, -30, 0], []

    note = lambda position, fraction: calls.append((time.monotonic(), position, fraction))  # noqa

    async def main():
        async with kelvo.aio.connect(sim.address) as robot:
            await ready_to_move(robot)
            return await robot.move_and_wait(target, 60, Coord.JOINT, on_progress=note)

    if face == "async":
        arrived = run(main())
    else:
        with kelvo.connect(sim.address) as robot:
            robot.set_current_mode(Mode.REMOTE)
            robot.servo_power_on()
            arrived = robot.move_and_wait(target, 60, Coord.JOINT, on_progress=note)
    times, positions, fractions = zip(*calls)
    assert fractions.index(1.0) == len(fractions) - 1 and positions[-1] == arrived
    assert list(fractions) == sorted(fractions) and any(0 < f < 1 for f in fractions)
    gaps = sorted(b - a for a, b in zip(times, times[1:]))
    assert gaps[len(gaps) // 2] > 0.08  # 100 ms apart; a loaded machine may bunch a few


@pytest.mark.parametrize("kind, code, values, text, expected", [
    (EventKind.ALARM, 0, [], None, {"number": 0, "severity": AlarmSeverity.ERROR}),
    (EventKind.IO, IoKind.DIN, [0, 1.0, math.nan], None, {"ports": (0, 1, 0)}),
    (EventKind.TRANSFER, TransferStage.PROGRESS, [512, 4096], b"R1/job.jbr",
     {"phase": TransferStage.PROGRESS, "name": "R1/job.jbr", "done": 512, "total": 4096}),
    (EventKind.TRANSFER, 9, [math.inf], None, {"phase": 9, "name": "", "done": 0, "total": 0}),
])
def test_typed_event_fields(kind, code, values, text, expected):
    raw = (ctypes.c_double * max(1, len(values)))(*values)  # ctypes takes it as the pointer
    event = kelvo.Event.from_c(CEvent(kind, 1, code, len(values), raw, text))
    assert {name: getattr(event, name) for name in expected} == expected
    assert all(type(port) is int for port in getattr(event, "ports", ()))


@pytest.mark.parametrize("extra", [0, 3])
def test_an_unread_stream_keeps_the_newest_events_and_counts_the_rest(extra):
    async def main():
        stream = kelvo.aio.EventStream(timeout=0.01)
        for n in range(kelvo.aio.STREAM_LIMIT + extra):
            stream.put(kelvo.Event(EventKind.SPEED, 1, n, 0, (), None, 0.0))
        return [(e.kind, e.count if e.kind == EventKind.OVERFLOW else e.code) async for e in stream]

    events = run(main())
    kept = [(EventKind.SPEED, n) for n in range(extra, kelvo.aio.STREAM_LIMIT + extra)]
    assert events == ([(EventKind.OVERFLOW, extra)] if extra else []) + kept


@pytest.mark.parametrize("name", sorted(
    name for name, _ in inspect.getmembers(kelvo.Robot, inspect.isfunction)
    if not name.startswith("_") and name not in {"next_event", "on_event", "events", "close"}))
def test_every_robot_method_has_a_coroutine(name):
    assert inspect.iscoroutinefunction(getattr(kelvo.aio.AsyncRobot, name, None))
