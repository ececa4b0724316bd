"""python3 -m kelvo.dashboard ADDR[:PORT] ... [--listen HOST:PORT] [--token TOKEN] [--control]"""

import argparse
import logging
import signal
import sys
import threading
from typing import List, Optional

from . import start
from .access import DEFAULT_LISTEN, AccessError, split_address


def main(argv: Optional[List[str]] = None) -> int:
    parser = argparse.ArgumentParser(
        prog="python3 -m kelvo.dashboard", description="A live dashboard of controllers."
    )
    parser.add_argument("controllers", nargs="+", metavar="ADDR[:PORT]")
    parser.add_argument("--listen", default=DEFAULT_LISTEN, metavar="HOST:PORT")
    parser.add_argument("--token", help="needed to listen on an address other than loopback")
    parser.add_argument("--control", action="store_true", help="let the page command the robots")
    arguments = parser.parse_args(argv)
    try:
        controllers = [split_address(text, 6000) for text in arguments.controllers]
    except ValueError as error:
        parser.error(str(error))
    try:
        dashboard = start(addresses=controllers, listen=arguments.listen, token=arguments.token,
                          control=arguments.control)
    except (AccessError, OSError) as error:
        print("kelvo.dashboard: %s" % error, file=sys.stderr)
        return 2
    # Every command, with the time and the page's address.
    logging.basicConfig(format="%(asctime)s %(name)s: %(message)s")
    logging.getLogger("kelvo.dashboard").setLevel(logging.INFO)
    stopped = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stopped.set())
    print("Dashboard on %s" % dashboard.url, flush=True)
    try:
        while not stopped.wait(0.5):
            pass
    except KeyboardInterrupt:
        pass
    dashboard.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
