"""Reads everything kelvoctl's status shows.

    python3 read_status.py [ADDRESS]
"""

import sys

import kelvo

address = sys.argv[1] if len(sys.argv) > 1 else "127.0.0.1"
with kelvo.connect(address) as robot:
    for name, value in robot.status().items():
        print("%-10s %s" % (name, getattr(value, "name", value)))
