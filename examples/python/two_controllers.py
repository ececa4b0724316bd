"""Two controllers at once: both robots move at the same time, each from a thread of its own.

    python3 two_controllers.py ADDRESS ADDRESS
"""

import sys
from concurrent.futures import ThreadPoolExecutor
from typing import List

import kelvo
from kelvo import Coord, Mode


def move(robot: kelvo.Robot, target: List[float]) -> None:
    robot.set_current_mode(Mode.REMOTE)
    robot.servo_power_on()
    print(robot.address, "arrived at", robot.move_and_wait(target, vel=50, coord=Coord.JOINT))


first, second = sys.argv[1:3]
with kelvo.connect(first) as a, kelvo.connect(second) as b, ThreadPoolExecutor() as pool:
    moves = [
        pool.submit(move, a, [45, 0, 0, 0, -30, 0]),
        pool.submit(move, b, [-45, 0, 0, 0, -30, 0]),
    ]
    for finished in moves:
        finished.result()  # raises what the thread raised
