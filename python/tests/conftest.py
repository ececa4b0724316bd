# Fixtures: kelvo-sim on a loopback address of its own per test, and a Robot linked to it.

import itertools
import os
import subprocess
import sys
import time
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("KELVO_BUILD_DIR", ROOT / "build"))
SIM = BUILD / "sim" / "kelvo-sim"

# The library these tests load; a child process gets the same one.
if not os.environ.get("KELVO_LIBRARY"):
    os.environ["KELVO_LIBRARY"] = str(BUILD / "src" / "libkelvo_dll.so")

import kelvo  # noqa: E402  (after KELVO_LIBRARY is set)

_counters = {}


def address_in(network):
    # network.1 to .254 in turn; each file keeps to its own network (127.0.21 by default).
    return "%s.%d" % (network, next(_counters.setdefault(network, itertools.count(1))) % 254 + 1)


class Sim:
    # kelvo-sim as a child process, driven through its console.

    def __init__(self, address, *options):
        self.address = address
        self.process = subprocess.Popen([str(SIM), "--listen", address, *options], text=True,
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL)
        line = self.process.stdout.readline()
        if "listening" not in line:
            self.stop()
            raise RuntimeError("kelvo-sim did not start on %s: %r" % (address, line))

    def command(self, line):
        # One console command; returns once it has taken effect.
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()
        answer = self.process.stdout.readline().strip()
        assert answer == "ok " + line, answer

    def stop(self):
        self.process.kill()  # nothing if it has ended
        self.process.wait()
        self.process.stdin.close()
        self.process.stdout.close()


def sims_in(network):
    # start(*options): a further kelvo-sim on the next address, all stopped after the test.
    sims = []
    yield lambda *options: sims.append(Sim(address_in(network), *options)) or sims[-1]
    for sim in sims:
        sim.stop()


@pytest.fixture
def start_sim(request):
    yield from sims_in(getattr(request.module, "NETWORK", "127.0.21"))


@pytest.fixture
def sim(start_sim):
    return start_sim()


@pytest.fixture
def robot(sim):
    with kelvo.connect(sim.address) as robot:
        yield robot


def until(check, seconds=5.0, what="the condition"):
    # Waits until check() is true; fails the test after seconds.
    deadline = time.monotonic() + seconds
    while not check():
        if time.monotonic() > deadline:
            pytest.fail("not within %g s: %s" % (seconds, what))
        time.sleep(0.02)


def run_python(arguments, cwd=ROOT, **env):
    # Debian's Python (this one) in a child process, with the package on its path.
    environment = {**os.environ, "PYTHONPATH": str(ROOT / "python"), **env}
    return subprocess.run([sys.executable, *arguments], env=environment, cwd=str(cwd),
                          capture_output=True, text=True, timeout=60)
