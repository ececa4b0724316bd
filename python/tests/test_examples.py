"""Each example of examples/python runs against kelvo-sim."""

import pytest

from conftest import ROOT, needs_events, run_python

EXAMPLES = ROOT / "examples" / "python"


@pytest.mark.parametrize(
    "example, sims, arguments",
    [
        ("read_status.py", 1, []),
        ("jog.py", 1, []),
        ("move_and_wait.py", 1, []),
        ("stream_queue.py", 1, []),
        pytest.param("watch_events.py", 1, ["1"], marks=needs_events),
        ("two_controllers.py", 2, []),
        pytest.param("async_two_robots.py", 2, [], marks=needs_events),
    ],
)
def test_example(start_sim, example, sims, arguments):
    addresses = [start_sim().address for _ in range(sims)]
    finished = run_python([str(EXAMPLES / example), *addresses, *arguments])
    assert finished.returncode == 0, finished.stderr[-2000:]
    assert finished.stdout
