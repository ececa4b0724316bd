"""A joint move and a straight line, each followed until the robot stands at its target.

    python3 move_and_wait.py [ADDRESS]
"""

import sys

import kelvo
from kelvo import Coord, Mode

address = sys.argv[1] if len(sys.argv) > 1 else "127.0.0.1"
with kelvo.connect(address) as robot:
    robot.set_current_mode(Mode.REMOTE)  # moves need the servo only ready here
    robot.servo_power_on()
    joints = robot.move_and_wait([30, 15, 10, 0, -25, 0], vel=50, coord=Coord.JOINT)
    print("joints   ", joints)
    line_end = [600, -100, 700, 180, 0, 0]  # mm and degrees
    tool = robot.move_and_wait(line_end, vel=250, coord=Coord.CARTESIAN, linear=True)
    print("cartesian", tool)
