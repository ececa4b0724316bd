"""Two controllers from one asyncio loop: both robots move at once while one task prints the
events of both.

    python3 async_two_robots.py ADDRESS ADDRESS
"""

import asyncio
import sys
from typing import List

import kelvo
import kelvo.aio
from kelvo import Coord, Mode


async def move(robot: kelvo.aio.AsyncRobot, target: List[float]) -> None:
    await robot.set_current_mode(Mode.REMOTE)  # moves need the servo only ready here
    await robot.servo_power_on()

    def progress(position: kelvo.Position, fraction: float) -> None:
        print("%s %3.0f %%" % (robot.address, fraction * 100))

    arrived = await robot.move_and_wait(target, vel=50, coord=Coord.JOINT, on_progress=progress)
    print(robot.address, "arrived at", arrived)


async def watch(robot: kelvo.aio.AsyncRobot) -> None:
    async for event in robot.events(timeout=1.0):  # ends after a second of quiet
        if isinstance(event, kelvo.IoEvent):
            print(robot.address, getattr(event.group, "name", event.group), event.ports[:4])
        elif isinstance(event, kelvo.AlarmEvent):
            print(robot.address, "alarm", hex(event.number), event.text)
        elif event.kind != kelvo.EventKind.POSITION:
            print(robot.address, getattr(event.kind, "name", event.kind), event.code)


async def main(first: str, second: str) -> None:
    async with kelvo.aio.connect(first) as a, kelvo.aio.connect(second) as b:
        watching = [asyncio.create_task(watch(robot)) for robot in (a, b)]
        await a.set_dout(1, 1)
        await asyncio.gather(move(a, [45, 0, 0, 0, -30, 0]), move(b, [-45, 0, 0, 0, -30, 0]))
        await asyncio.gather(*watching)


asyncio.run(main(*sys.argv[1:3]))
