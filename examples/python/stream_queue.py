"""Streams a queue of motion points that the robot passes through without stopping.

    python3 stream_queue.py [ADDRESS]
"""

import sys

import kelvo
from kelvo import Coord, Mode, MotionPoint, PointType

address = sys.argv[1] if len(sys.argv) > 1 else "127.0.0.1"
points = [  # kelvo-sim reads the first six values as joint angles
    MotionPoint(PointType.MOVJ, velocity=50, pos=[0, 20, 0, 0, -30, 0]),
    MotionPoint(PointType.MOVJ, velocity=50, pos=[20, 20, 10, 0, -30, 0]),
    MotionPoint(PointType.MOVL, velocity=200, pos=[20, 0, 0, 0, -30, 0]),
    MotionPoint(PointType.MOVJ, velocity=50, pos=[0, 0, 0, 0, -30, 0]),
]
with kelvo.connect(address) as robot:
    robot.set_current_mode(Mode.RUN)
    robot.servo_power_on()
    robot.continuous_motion_mode(True)
    robot.send_continuous_motion_queue(points)
    print("sent %d points" % len(points))
    print("arrived at", robot.wait_until_stopped(points[-1].pos, Coord.JOINT))
    robot.continuous_motion_mode(False)  # back to teach mode
