"""Fixtures: kelvo-sim on a loopback address of its own per test, and a Robot linked to it."""

import itertools
import os
import subprocess
import sys
from pathlib import Path
from typing import Callable, Iterator, List

import pytest

ROOT = Path(__file__).resolve().parents[2]
BUILD = Path(os.environ.get("KELVO_BUILD_DIR", ROOT / "build"))
SIM = BUILD / "sim" / "kelvo-sim"

# The library these tests load; a child process gets the same one.
if not os.environ.get("KELVO_LIBRARY"):
    os.environ["KELVO_LIBRARY"] = str(BUILD / "src" / "libkelvo_dll.so")

import kelvo  # noqa: E402  (after KELVO_LIBRARY is set)
from kelvo import _library  # noqa: E402

_addresses = itertools.count(1)
_own_addresses = itertools.count(1)

needs_events = pytest.mark.skipif(
    not hasattr(_library.library(), "kelvo_next_event"),
    reason="this libkelvo_dll has no event calls (kelvo_next_event) yet",
)


def next_address() -> str:
    """127.0.21.1 to .254 in turn; the Python tests use no other addresses but own_address's."""
    return "127.0.21.%d" % (next(_addresses) % 254 + 1)


def own_address() -> str:
    """127.0.29.1 to .254 in turn, for the tests of the faces' argument checks and lifetimes."""
    return "127.0.29.%d" % (next(_own_addresses) % 254 + 1)


class Sim:
    """kelvo-sim as a child process, driven through its console."""

    def __init__(self, address: str, *options: str) -> None:
        self.address = address
        self.process = subprocess.Popen(
            [str(SIM), "--listen", address, *options],
            stdin=subprocess.PIPE,
            stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL,
            text=True,
        )
        line = self.process.stdout.readline()
        if "listening" not in line:
            self.stop()
            raise RuntimeError("kelvo-sim did not start on %s: %r" % (address, line))

    def command(self, line: str) -> None:
        """One console command; returns once it has taken effect."""
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()
        answer = self.process.stdout.readline().strip()
        assert answer == "ok " + line, answer

    def stop(self) -> None:
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()
        self.process.stdin.close()
        self.process.stdout.close()


def sims_on(addresses: Callable[[], str]) -> Iterator[Callable[..., Sim]]:
    """start(*options): a further kelvo-sim on the next address, all stopped after the test."""
    if not SIM.is_file():
        pytest.fail("%s is missing: build the kelvo-sim target" % SIM)
    sims: List[Sim] = []

    def start(*options: str) -> Sim:
        sims.append(Sim(addresses(), *options))
        return sims[-1]

    yield start
    for sim in sims:
        sim.stop()


@pytest.fixture
def start_sim() -> Iterator[Callable[..., Sim]]:
    """start_sim(*options): a further kelvo-sim on an address of its own, stopped after the test."""
    yield from sims_on(next_address)


@pytest.fixture
def sim(start_sim: Callable[..., Sim]) -> Sim:
    return start_sim()


@pytest.fixture
def robot(sim: Sim) -> Iterator[kelvo.Robot]:
    with kelvo.connect(sim.address) as robot:
        yield robot


def run_python(arguments: List[str], cwd: Path = ROOT, **env: str) -> subprocess.CompletedProcess:
    """Debian's Python (this one) in a child process, with the package on its path."""
    environment = dict(os.environ, PYTHONPATH=str(ROOT / "python"))
    environment.update(env)
    return subprocess.run(
        [sys.executable, *arguments],
        env=environment,
        cwd=str(cwd),
        capture_output=True,
        text=True,
        timeout=60,
    )
