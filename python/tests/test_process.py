# Where the library is looked for, and a process that exits with sessions open.

import shutil
import subprocess

import pytest

from conftest import ROOT, run_python

LOADED = "import kelvo._library as l; print(l.library()._name)"


def test_library_search_order_and_a_clear_error_when_missing(tmp_path):
    in_checkout = ROOT / "build" / "src" / "libkelvo_dll.so"
    if in_checkout.exists():
        assert run_python(["-c", LOADED], KELVO_LIBRARY="").stdout == str(in_checkout) + "\n"

    chosen = run_python(["-c", LOADED], KELVO_LIBRARY="/nowhere/libkelvo_dll.so")
    assert chosen.returncode != 0
    assert "/nowhere/libkelvo_dll.so (the KELVO_LIBRARY environment variable)" in chosen.stderr
    assert "build tree" not in chosen.stderr  # a deliberate choice is not replaced

    # Outside a checkout, with nothing installed: every place named.
    shutil.copytree(ROOT / "python" / "kelvo", tmp_path / "kelvo")
    missing = run_python(["-c", LOADED], tmp_path, KELVO_LIBRARY="", PYTHONPATH=str(tmp_path),
                         LD_LIBRARY_PATH="")
    assert missing.returncode != 0 and all(text in missing.stderr for text in (
        "LibraryNotFoundError", "libkelvo_dll.so.1 (the system's library search path)",
        "KELVO_LIBRARY"))
    errors = "import kelvo; raise kelvo.RefusedError(detail='no library needed')"
    raised = run_python(["-c", errors], tmp_path, KELVO_LIBRARY="", PYTHONPATH=str(tmp_path))
    assert "RefusedError: refused: no library needed" in raised.stderr


@pytest.mark.parametrize("configure, shown, hidden", [
    ("", None, "kelvo.link"),  # nothing below WARNING unless logging is configured
    ("logging.basicConfig(level=logging.DEBUG)", "连接成功 (connected)", None),
    ("kelvo.set_log_handler(None, kelvo.LogLevel.WARNING)", None, "kelvo.link"),
    ("kelvo.set_log_handler(lambda level, category, text: print(level.name, category, text,"
     " file=sys.stderr), kelvo.LogLevel.DEBUG)", "DEBUG kelvo.link 连接成功", None),
])
def test_the_library_logs_through_logging_or_a_handler(sim, configure, shown, hidden):
    script = "import logging, sys, kelvo\n%s\nkelvo.connect(%r).close()\n" % (configure,
                                                                             sim.address)
    logged = run_python(["-c", script]).stderr
    assert (shown is None or shown in logged) and (hidden is None or hidden not in logged), logged


def test_pip_installs_the_package_without_an_index(tmp_path, sim):
    venv = tmp_path / "venv"
    run(["/usr/bin/python3", "-m", "venv", str(venv)])
    run([str(venv / "bin" / "pip"), "install", "--no-index", "--quiet", str(ROOT / "python")])
    script = "import kelvo\nwith kelvo.connect(%r) as r:\n    print(r.get_jogging_speed())\n"
    installed = run([str(venv / "bin" / "python"), "-c", script % sim.address], cwd=tmp_path)
    assert installed.stdout == "10\n"


def run(command, cwd=ROOT):
    return subprocess.run(command, cwd=str(cwd), check=True, capture_output=True, text=True,
                          timeout=120)
