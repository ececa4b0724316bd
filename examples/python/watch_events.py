"""Prints what the controller reports, one line per event, until Ctrl-C (or SECONDS of quiet).

    python3 watch_events.py [ADDRESS [SECONDS]]
"""

import sys
import time

import kelvo

address = sys.argv[1] if len(sys.argv) > 1 else "127.0.0.1"
quiet = float(sys.argv[2]) if len(sys.argv) > 2 else None
with kelvo.connect(address) as robot:
    robot.set_dout(1, 1)  # something to see: the output and its input report the change
    try:
        for event in robot.events(timeout=quiet):
            kind = getattr(event.kind, "name", event.kind)
            code = getattr(event.code, "name", event.code)
            clock = time.strftime("%H:%M:%S", time.localtime(event.time))
            text = " " + event.text if event.text else ""
            print("%s %-8s robot %d %s %s%s" % (clock, kind, event.robot, code, event.values, text))
    except KeyboardInterrupt:
        pass
