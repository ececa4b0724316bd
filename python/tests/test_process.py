# Where the library is looked for, how it logs, and the package installed by pip or unpacked from
# python3-kelvo, the .deb CPack builds beside kelvo, with kelvo's unpacked library.

import os
import shutil
import subprocess

import pytest

import kelvo
from conftest import BUILD, ROOT, run_python

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
    script = "import kelvo\nwith kelvo.connect(%r) as r:\n    print(r.get_jogging_speed())\n"
    pip = [str(venv / "bin" / "pip"), "install", "--no-index", "--quiet", str(ROOT / "python")]
    for command in (["/usr/bin/python3", "-m", "venv", str(venv)], pip,
                    [str(venv / "bin" / "python"), "-c", script % sim.address]):
        done = subprocess.run(command, cwd=str(tmp_path), check=True, capture_output=True,
                              text=True, timeout=120)
    assert done.stdout == "10\n"


DIST_PACKAGES = "usr/lib/python3/dist-packages"


@pytest.fixture(scope="module")
def unpacked(tmp_path_factory):
    # (root, python3-kelvo's .deb): the packages python3-kelvo and kelvo, unpacked into root.
    out = tmp_path_factory.mktemp("debs")
    subprocess.run(["cpack", "-G", "DEB", "-B", str(out), "-D",
                    "CPACK_COMPONENTS_ALL=python;runtime"], cwd=str(BUILD), check=True,
                   capture_output=True, timeout=120)
    root = tmp_path_factory.mktemp("root")
    debs = [next(out.glob(deb)) for deb in ("python3-kelvo_*_all.deb", "kelvo_*.deb")]
    for deb in debs:
        subprocess.run(["dpkg-deb", "-x", str(deb), str(root)], check=True, timeout=60)
    return root, debs[0]


@pytest.mark.parametrize("command, expected", [
    (["/usr/bin/python3", "-c", "import kelvo; print(kelvo.version())"],
     lambda root: kelvo.version()),
    (["/usr/bin/python3", "-c", "import kelvo.aio; print(kelvo.aio.__file__)"],
     lambda root: str(root / DIST_PACKAGES / "kelvo" / "aio.py")),
    (["dpkg-deb", "-f", "{deb}", "Depends"],
     lambda root: "kelvo (= %s), python3" % kelvo.version()),
])
def test_unpacked_package(unpacked, tmp_path, command, expected):
    root, deb = unpacked
    (library,) = root.glob("usr/lib/**/libkelvo_dll.so.1")
    environment = {key: value for key, value in os.environ.items()
                   if key not in ("KELVO_LIBRARY", "PYTHONPATH", "LD_LIBRARY_PATH")}
    environment.update(PYTHONPATH=str(root / DIST_PACKAGES), LD_LIBRARY_PATH=str(library.parent))
    finished = subprocess.run([part.format(deb=deb) for part in command], env=environment,
                              cwd=str(tmp_path), capture_output=True, text=True, timeout=60)
    assert finished.returncode == 0, finished.stderr[-2000:]
    assert finished.stdout.strip().startswith(expected(root))
