"""Jogs the tool 50 mm/s upwards for one second, as the jog keys of a teach pendant do.

    python3 jog.py [ADDRESS]
"""

import sys
import time

import kelvo
from kelvo import Coord, Mode, ServoStatus

address = sys.argv[1] if len(sys.argv) > 1 else "127.0.0.1"
with kelvo.connect(address) as robot:
    robot.set_current_mode(Mode.TEACH)
    robot.servo_power_on()  # in teach mode the library also presses the enabling switch
    deadline = time.monotonic() + 3
    while robot.get_servo_status() != ServoStatus.RUNNING and time.monotonic() < deadline:
        time.sleep(0.1)  # the motors power up
    robot.set_current_coord(Coord.CARTESIAN)
    robot.set_jogging_speed(50)
    print("before", robot.get_current_position(Coord.CARTESIAN))
    robot.start_jogging(3, True)  # axis 3 of Cartesian jogging: Z
    time.sleep(1.0)
    robot.stop_jogging(3)
    print("after ", robot.get_current_position(Coord.CARTESIAN))
